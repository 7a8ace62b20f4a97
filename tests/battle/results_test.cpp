// What a won battle pays and writes back, and the lines the battle says.
#include "battle/results.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "battle/battle_support.h"
#include "battle/messages.h"
#include "data/money.h"
#include "engine/text.h"
#include "platform/text_encoding.h"

namespace {

using test::ScriptedRandom;

std::string Line(const char* sjis) { return plat::SjisToUtf8(std::string(sjis, strnlen(sjis, kBattleLineBytes))); }

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

}  // namespace
