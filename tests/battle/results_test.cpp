// What a won battle pays and writes back, and the lines the battle says.
#include "battle/results.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "battle/battle_support.h"
#include "battle/messages.h"
#include "data/money.h"
#include "engine/text.h"
#include "platform/text_encoding.h"

namespace {

using test::ScriptedRandom;

std::string Line(const char* sjis) { return plat::SjisToUtf8(std::string(sjis, strnlen(sjis, kBattleLineBytes))); }

struct Grown {
  int32_t maxHp, maxMp, attack, defence, magic, magicDefence, hitTerm, growth1, growth2;
  bool operator==(const Grown&) const = default;
};
Grown GrownOf(const CharacterRecord& r) {
  return {r.maxHp, r.maxMp, r.attack, r.defence, r.magic, r.magicDefence, r.hitTerm, r.growth1, r.growth2};
}

class ResultsTest : public test::BattleWorld {
 protected:
  BattleData battle_{};
};

// A level takes 100 experience; whatever lies beyond is lost, one level a battle, and
// none past the highest.
TEST_F(ResultsTest, ExperienceGivesAtMostOneLevelAndTheLevelUpLine) {
  const struct {
    int levelBefore, before, gained, level, after;
  } kCases[] = {{20, 99, 1, 21, 0}, {20, 50, 300, 21, 0}, {kLevelMax, 99, 1, kLevelMax, 0}, {20, 10, 89, 20, 99}};
  for (const auto& k : kCases) {
    UnitData* u = Place(1, 8, 8);
    u->record.level = k.levelBefore;
    u->record.experience = k.before;
    u->record.hp = 3;
    UnitGainExperience(&battle_, u, k.gained);
    EXPECT_EQ(u->record.level, k.level);
    EXPECT_EQ(u->record.experience, k.after);
    EXPECT_EQ(u->record.hp == u->record.maxHp, k.after == 0) << "a level heals";
    TaskKillAll();
  }
  EXPECT_EQ(Line(battle_.queue[0]), "ヨルンのレベルが２１になった");
  EXPECT_EQ(battle_.queue[3][0], '\0');
}

// The purse stops at 9,999,999; the records of party units go back to their rows, those
// of familiars and monsters nowhere.
TEST_F(ResultsTest, RewardsFillThePurseAndUnitsGoBackToTheirRows) {
  g_money = kMoneyMax - 10;
  battle_.gold = 50;
  battle_.experience = 35;
  UnitData* yorun = Place(1, 8, 8);
  UnitData* familiar = Place(3, 9, 8);
  familiar->record.characterClass = kClassFamiliar;
  Place(4, 12, 8);
  yorun->record.hp = 77;
  familiar->record.hp = 5;
  BattleAddRewards(&battle_);
  EXPECT_EQ(g_money, kMoneyMax);
  EXPECT_EQ(Line(battle_.queue[0]), "５０のお金と３５の経験値を得た");
  EXPECT_EQ(yorun->record.experience, 35);
  EXPECT_EQ(familiar->record.experience, 35) << "familiars gain too";
  BattleStoreUnitsToParty();
  EXPECT_EQ(0, std::memcmp(&g_party[1], &yorun->record, sizeof(CharacterRecord)));
  EXPECT_EQ(g_party[3].hp, g_party[3].maxHp);
  EXPECT_EQ(g_party[0].experience, 0);
}

// The growth draws in the order of each class's table, then the caps.
TEST_F(ResultsTest, LevelUpGrowthFollowsTheClassAndKeepsToTheCaps) {
  const struct {
    int row;
    std::vector<int> draws;
    Grown start, grown;
  } kCases[] = {
      // fighter: attack +1+2, magic +1, defence +1, magic defence +1, max hp +1+4,
      // hit term (5 < 11), growth 1 (6 is not below 6), growth 2 (2 < 3)
      {1, {2, 1, 4, 5, 6, 2}, {}, {205, 0, 103, 31, 21, 16, 11, 0, 1}},
      // caster: max mp +1+3, magic +1+2, magic defence +1, max hp +1+0, attack +1,
      // defence +1, hit term (11 is not below 11), growth 1 (0 < 6), growth 2 (5 < 6)
      {0, {3, 2, 0, 11, 0, 5}, {}, {151, 304, 31, 11, 93, 31, 5, 1, 1}},
      {1, {2, 1, 4, 0, 0, 0}, {399, 400, 149, 100, 150, 100, 20, 5, 5}, {400, 400, 150, 100, 150, 100, 20, 5, 5}},
  };
  for (const auto& k : kCases) {
    ScriptedRandom random(k.draws);
    UnitData* u = Place(k.row, 8, 8);
    CharacterRecord& r = u->record;
    if (k.start.maxHp > 0) {
      std::tie(r.maxHp, r.maxMp, r.attack, r.defence, r.magic, r.magicDefence, r.hitTerm, r.growth1, r.growth2) =
          std::tie(k.start.maxHp, k.start.maxMp, k.start.attack, k.start.defence, k.start.magic, k.start.magicDefence,
                   k.start.hitTerm, k.start.growth1, k.start.growth2);
    }
    r.mp = 7;
    UnitLevelUpGrowth(u);
    EXPECT_EQ(ScriptedRandom::Left(), 0u) << k.row;
    EXPECT_EQ(GrownOf(r), k.grown) << k.row;
    EXPECT_EQ(r.hp, r.maxHp);
    EXPECT_EQ(r.mp, r.characterClass == kClassCaster ? r.maxMp : 7);
    TaskKillAll();
  }
}

TEST_F(ResultsTest, TheQueueHoldsTenLinesAndPagesThemThreeAtATime) {
  for (int i = 0; i < 10; ++i) EXPECT_EQ(BattleQueueMessage(&battle_, "\x82\xa0"), 1);
  EXPECT_EQ(BattleQueueMessage(&battle_, "\x82\xa0"), 0);
  BattleClearQueue(&battle_);
  for (int i = 0; i < 5; ++i) BattleQueueMessage(&battle_, "\x82\x4f");
  battle_.step = BattleOutroStep;
  BattleOutroStep(&battle_);
  EXPECT_EQ(battle_.step, BattleOutroWaitKey);
  EXPECT_EQ(battle_.shownLines[2][0], 2);  // the glyph of ０
  EXPECT_EQ(battle_.queue[3][0], '\x82') << "the two that did not fit stay queued";
  BattleClearLines(&battle_);
  BattleShowQueuedLines(&battle_);
  EXPECT_EQ(battle_.shownLines[1][0], 2);
  EXPECT_EQ(battle_.shownLines[2][0], 0);
  EXPECT_EQ(BattleQueueHasLines(&battle_), 0);
}

// Nothing is written past a line's 46 bytes, and no character is cut in half; every
// name the battle says fits its longest line and is in the glyph table.
TEST_F(ResultsTest, BattleTextStaysWithinItsLinesAndItsGlyphs) {
  char line[kBattleLineBytes + 8];
  std::memset(line, 0, sizeof line);
  std::memset(line + kBattleLineBytes, 'X', 8);
  BattleTextAppend(line, "\x82\xa0\x82\xa0\x82\xa0");
  for (int i = 0; i < 8; ++i) BattleTextAppend(line, "\x82\xa0\x82\xa0\x82\xa0");
  EXPECT_EQ(line[kBattleLineBytes - 1], '\xa0') << "the line is full";
  EXPECT_EQ(line[kBattleLineBytes], 'X') << "and nothing lies past it";
  std::memset(line, 0, kBattleLineBytes);
  std::memset(line, 'a', 45);
  BattleTextAppend(line, "\x82\xa0");
  EXPECT_EQ(line[45], '\0') << "a character that does not fit is left out whole";
  AppendWideNumber(line, 7);
  EXPECT_EQ(line[45], '\0');
  for (const CharacterRecord& r : g_characterTable) {
    EXPECT_LE(strnlen(r.name, sizeof r.name), 34u) << r.id;
    int32_t glyphs[kGlyphRowLength];
    TextToGlyphs(glyphs, r.name);
    for (size_t i = 0; i < strnlen(r.name, sizeof r.name) / 2; ++i) EXPECT_GT(glyphs[i], 0) << r.id;
  }
}

}  // namespace
