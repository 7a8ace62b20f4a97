#include "data/characters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "data/game_state.h"
#include "engine/atlas.h"
#include "platform/text_encoding.h"
#include "support/harness.h"

namespace {

// Field offsets the save file depends on.
static_assert(offsetof(CharacterRecord, weapon) == 72);
static_assert(offsetof(CharacterRecord, decision) == 80);
static_assert(offsetof(CharacterRecord, money) == 144);
static_assert(offsetof(CharacterRecord, spare) == 148);

const char* const kNames[kCharacterRows] = {
    "ミルヴァ", "ヨルン", "ミネルバ",   "ジータ", "黒トラ",     "コウモリ", "ワーウルフ", "角兎", "ドラゴン",
    "大蜘蛛",   "精霊",   "パンプキン", "オーク", "エビルアイ", "デーモン", "ヴァンプ",   "魔女",
};

TEST(CharacterTableTest, EveryRowStartsWhole) {
  for (int row = 0; row < kCharacterRows; ++row) {
    SCOPED_TRACE(row);
    const CharacterRecord& c = g_characterTable[row];
    EXPECT_EQ(c.hp, c.maxHp);
    EXPECT_EQ(c.mp, c.maxMp);
    EXPECT_EQ(c.growth1, 0);
    EXPECT_EQ(c.growth2, 0);
    EXPECT_EQ(c.move, 5);
    EXPECT_EQ(c.status, 0);
    const bool party = row < kPartyRows;
    EXPECT_EQ(c.id, party ? row : row - kMonsterRowOffset);
    EXPECT_EQ(c.side, party ? 0 : 1);
    EXPECT_EQ(c.spare, party ? c.model : 0) << "party rows keep their model number";
    if (party) {
      EXPECT_EQ(c.level, 20);
      EXPECT_EQ(c.experience, 0);
      EXPECT_EQ(c.money, 0);
    }
    EXPECT_TRUE(c.characterClass == kClassFighter || c.characterClass == kClassCaster);
    EXPECT_GT(c.maxHp, 0);
  }
  EXPECT_EQ(g_characterTable[test::kWitchMonsterId + kMonsterRowOffset].decision, kDecisionBoss);
}

TEST(CharacterTableTest, NamesAreShiftJisWithinTheirFortyBytes) {
  for (int row = 0; row < kCharacterRows; ++row) {
    SCOPED_TRACE(row);
    const CharacterRecord& c = g_characterTable[row];
    const size_t length = strnlen(c.name, sizeof c.name);
    ASSERT_LT(length, sizeof c.name) << "terminated inside the field";
    const std::string name = plat::SjisToUtf8(std::string(c.name, length));
    if (row == kCharacterRows - 1) {
      EXPECT_EQ(name.rfind(kNames[row], 0), 0u) << name;
      EXPECT_GT(name.size(), std::strlen(kNames[row])) << "the witch has a name of her own";
    } else {
      EXPECT_EQ(name, kNames[row]);
    }
  }
}

TEST(CharacterTableTest, NamePicturesLieOnTheAtlasAndThePartyShareAColumn) {
  const AtlasRect& first = g_characterTable[0].namePicture;
  EXPECT_EQ(first.left, 1404.0f);
  EXPECT_EQ(first.top, 124.0f);
  EXPECT_EQ(first.right, 1462.0f);
  EXPECT_EQ(first.bottom, 142.0f);
  for (int row = 0; row < kCharacterRows; ++row) {
    SCOPED_TRACE(row);
    const AtlasRect& r = g_characterTable[row].namePicture;
    if (row < kPartyRows) {
      EXPECT_EQ(r.left, 1404.0f);
    }
    EXPECT_GT(RectWidth(r), 0.0f);
    EXPECT_GT(RectHeight(r), 0.0f);
    EXPECT_GE(r.left, 0.0f);
    EXPECT_GE(r.top, 0.0f);
    EXPECT_LE(r.right, 2048.0f);
    EXPECT_LE(r.bottom, 2048.0f);
  }
}

TEST(EncounterTableTest, RandomBattlesNeverDrawTheBoss) {
  for (const auto& area : g_encounterTable) {
    for (int32_t id : area) {
      EXPECT_GE(id, 0);
      EXPECT_LT(id, 12) << "the witch";
    }
  }
  const int32_t fourth[4] = {4, 0, 7, 2};
  EXPECT_EQ(std::memcmp(g_encounterTable[3], fourth, sizeof fourth), 0);
}

TEST(PartyInitTest, FirstFourRowsAndNothingElse) {
  g_partyCount = 1;
  g_enemyCount = 9;
  g_familiarCount = 0;
  g_party[2].hp = 1;
  g_partyReserve[3] = g_characterTable[5];
  g_familiars[0] = g_characterTable[1];
  PartyInit();
  EXPECT_EQ(g_partyCount, 4);
  EXPECT_EQ(g_enemyCount, 0);
  EXPECT_EQ(g_familiarCount, 4);
  EXPECT_EQ(std::memcmp(g_party, g_characterTable, sizeof g_party), 0);
  const CharacterRecord zero[4] = {};
  EXPECT_EQ(std::memcmp(g_partyReserve, zero, sizeof zero), 0);
  EXPECT_EQ(std::memcmp(g_familiars, zero, sizeof zero), 0);
}

}  // namespace
