#include "data/characters.h"

#include <cstring>

#include "engine/atlas.h"

// clang-format off
// Rows 0 to 3 are the starting party, rows 4 to 16 the monsters (row 16 the final boss).
// Names are Shift-JIS.
const CharacterRecord g_characterTable[kCharacterRows] = {
    // ミルヴァ
    {0, 0, 0, 2, 20, 150, 150, 300, 300, 30, 10, 90, 30, 5, 0, 0, 5, 0, 3, 12, 1,
     kAtlasNameMilva, "\x83\x7e\x83\x8b\x83\x94\x83\x40", 0, 0, 0},
    // ヨルン
    {1, 1, 0, 1, 20, 200, 200, 0, 0, 100, 30, 20, 15, 10, 0, 0, 5, 0, 1, 10, 0,
     kAtlasNameYorun, "\x83\x88\x83\x8b\x83\x93", 0, 0, 1},
    // ミネルバ
    {2, 5, 0, 2, 20, 150, 150, 300, 300, 30, 10, 90, 30, 5, 0, 0, 5, 0, 3, 12, 1,
     kAtlasNameMinerva, "\x83\x7e\x83\x6c\x83\x8b\x83\x6f", 0, 0, 5},
    // ジータ
    {3, 3, 0, 1, 20, 200, 200, 0, 0, 100, 30, 20, 15, 10, 0, 0, 5, 0, 1, 10, 0,
     kAtlasNameZita, "\x83\x57\x81\x5b\x83\x5e", 0, 0, 3},
    // 黒トラ
    {0, 21, 1, 1, 10, 30, 30, 0, 0, 20, 10, 0, 5, 10, 0, 0, 5, 0, 7, 0, 0,
     kAtlasNameBlackTiger, "\x8d\x95\x83\x67\x83\x89", 10, 10, 0},
    // コウモリ
    {1, 22, 1, 1, 10, 20, 20, 0, 0, 20, 10, 0, 5, 10, 0, 0, 5, 0, 7, 0, 0,
     kAtlasNameBat, "\x83\x52\x83\x45\x83\x82\x83\x8a", 10, 10, 0},
    // ワーウルフ
    {2, 23, 1, 1, 10, 40, 40, 0, 0, 20, 10, 0, 5, 10, 0, 0, 5, 0, 7, 0, 0,
     kAtlasNameWerewolf, "\x83\x8f\x81\x5b\x83\x45\x83\x8b\x83\x74", 10, 20, 0},
    // 角兎
    {3, 24, 1, 1, 10, 40, 40, 0, 0, 20, 10, 0, 5, 10, 0, 0, 5, 0, 8, 0, 0,
     kAtlasNameHornRabbit, "\x8a\x70\x93\x65", 10, 10, 0},
    // ドラゴン
    {4, 25, 1, 1, 30, 200, 200, 0, 0, 70, 30, 0, 10, 10, 0, 0, 5, 0, 8, 0, 0,
     kAtlasNameDragon, "\x83\x68\x83\x89\x83\x53\x83\x93", 10, 100, 0},
    // 大蜘蛛
    {5, 26, 1, 1, 30, 200, 200, 0, 0, 70, 30, 0, 10, 10, 0, 0, 5, 0, 9, 0, 0,
     kAtlasNameGiantSpider, "\x91\xe5\x92\x77\xe5\x81", 10, 100, 0},
    // 精霊
    {6, 27, 1, 1, 15, 50, 50, 0, 0, 40, 30, 0, 10, 10, 0, 0, 5, 0, 1, 0, 0,
     kAtlasNameSpirit, "\x90\xb8\x97\xec", 10, 10, 0},
    // パンプキン
    {7, 28, 1, 2, 15, 120, 120, 100, 100, 40, 30, 40, 30, 10, 0, 0, 5, 0, 3, 0, 1,
     kAtlasNamePumpkin, "\x83\x70\x83\x93\x83\x76\x83\x4c\x83\x93", 10, 50, 0},
    // オーク
    {8, 29, 1, 1, 50, 300, 300, 0, 0, 90, 30, 10, 20, 10, 0, 0, 5, 0, 2, 0, 0,
     kAtlasNameOrc, "\x83\x49\x81\x5b\x83\x4e", 10, 100, 0},
    // エビルアイ
    {9, 30, 1, 2, 19, 150, 150, 100, 100, 20, 10, 60, 40, 10, 0, 0, 5, 0, 3, 0, 1,
     kAtlasNameEvilEye, "\x83\x47\x83\x72\x83\x8b\x83\x41\x83\x43", 10, 100, 0},
    // デーモン
    {10, 31, 1, 2, 50, 150, 150, 100, 100, 20, 10, 60, 40, 10, 0, 0, 5, 0, 3, 12, 1,
     kAtlasNameDemon, "\x83\x66\x81\x5b\x83\x82\x83\x93", 10, 100, 0},
    // ヴァンプ
    {11, 32, 1, 2, 19, 150, 150, 100, 100, 20, 10, 60, 40, 10, 0, 0, 5, 0, 3, 12, 1,
     kAtlasNameVamp, "\x83\x94\x83\x40\x83\x93\x83\x76", 10, 100, 0},
    // 魔女ベアトリクス
    {12, 10, 1, 2, 90, 1000, 1000, 900, 900, 90, 30, 150, 80, 10, 0, 0, 5, 0, 3, 12, 2,
     kAtlasNameWitch, "\x96\x82\x8f\x97\x83\x78\x83\x41\x83\x67\x83\x8a\x83\x4e\x83\x58", 100, 1000, 0},
};
// clang-format on

// clang-format off
// Monster ids a random battle draws from, by encounter area 1 to 4.
const int32_t g_encounterTable[kEncounterAreas][4] = {
    {0, 1, 2, 3},
    {4, 5, 6, 7},
    {8, 9, 10, 11},
    {4, 0, 7, 2},
};

// clang-format on

int32_t CharacterRecord::*const kAbilityFields[kAbilityCount] = {
    &CharacterRecord::maxHp,   &CharacterRecord::maxMp,   &CharacterRecord::attack,
    &CharacterRecord::defence, &CharacterRecord::magic,   &CharacterRecord::magicDefence,
    &CharacterRecord::hitTerm, &CharacterRecord::growth1, &CharacterRecord::growth2,
};

namespace {

// clang-format off
constexpr AbilityGain kFighterGains[] = {
    {kAbilityAttack, 1, 3, 0}, {kAbilityMagic, 1, 0, 0}, {kAbilityDefence, 1, 0, 0}, {kAbilityMagicDefence, 0, 2, 0},
    {kAbilityMaxHp, 1, 5, 0}, {kAbilityHitTerm, 0, 0, 11}, {kAbilityGrowth1, 0, 0, 6}, {kAbilityGrowth2, 0, 0, 3},
};
constexpr AbilityGain kCasterGains[] = {
    {kAbilityMaxMp, 1, 4, 0}, {kAbilityMagic, 1, 3, 0}, {kAbilityMagicDefence, 1, 0, 0}, {kAbilityMaxHp, 1, 4, 0},
    {kAbilityAttack, 1, 0, 0}, {kAbilityDefence, 1, 0, 0}, {kAbilityHitTerm, 0, 0, 11}, {kAbilityGrowth1, 0, 0, 6},
    {kAbilityGrowth2, 0, 0, 6},
};
// clang-format on

}  // namespace

std::span<const AbilityGain> LevelUpGains(int32_t characterClass) {
  if (characterClass == kClassFighter) return kFighterGains;
  if (characterClass == kClassCaster) return kCasterGains;
  return {};
}

GainRange LevelUpGainRange(int32_t characterClass, Ability ability) {
  GainRange range{0, 0};
  for (const AbilityGain& g : LevelUpGains(characterClass)) {
    if (g.ability != ability) continue;
    range.least += g.chance > 0 ? 0 : g.base;
    range.most += g.chance > 0 ? 1 : g.base + (g.spread > 0 ? g.spread - 1 : 0);
  }
  return range;
}
