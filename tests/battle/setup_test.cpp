// How battles are set up: the placement ring, the random draws of an encounter, the
// ambush, a script's enemies, and the refusals when the pool has no room.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "battle/battle_support.h"
#include "battle/messages.h"
#include "platform/text_encoding.h"

namespace {

using test::ScriptedRandom;

std::vector<std::string> QueuedLines(const BattleData* battle) {
  std::vector<std::string> out;
  for (const char* line : battle->queue) {
    if (line[0] != '\0') out.push_back(plat::SjisToUtf8(std::string(line, strnlen(line, kBattleLineBytes))));
  }
  return out;
}

using Placed = std::tuple<int, int, int>;  // monster, column, row

std::vector<Placed> Enemies() {
  std::vector<Placed> out;
  for (const UnitData* u : test::Units(1)) out.push_back({u->record.id, test::ColumnOf(u), test::RowOf(u)});
  return out;
}

class SetupTest : public test::BattleWorld {
 protected:
  void SetUp() override { BattleWorld::SetUp(); }
  // A live task in every unit slot but `free` of them.
  static void FillUnitSlots(int free) {
    for (int i = kSlotObjectsFirst; i < kSlotObjectsEnd - free; ++i)
      TaskStart(TaskAllocAt(i), 4242, 0, nullptr, nullptr);
  }
};

// The draws: the ambush roll, the enemy count, then a cell and a column of the area's
// row of the encounter table for each enemy.
TEST_F(SetupTest, ARandomBattleDrawsItsEnemiesFromTheArea) {
  const struct {
    int area;
    std::vector<int> draws;
    std::vector<Placed> enemies;
    std::vector<std::string> appeared;
    int gold, experience;
  } kCases[] = {
      {2,
       {1, 2, 0, 0, 0, 3, 105, 0},
       {{4, 3, 3}, {7, 4, 3}, {4, 14, 11}},
       {"ドラゴンが２体現れた", "パンプキンが現れた"},
       250,
       30},
      {9, {3, 0, 50, 1}, {{0, 5, 13}}, {"黒トラが現れた"}, 10, 10},
  };
  for (const auto& k : kCases) {
    ScriptedRandom random(k.draws);
    g_encounterArea = k.area;
    ASSERT_EQ(BattleStartRandom(), 1);
    EXPECT_EQ(ScriptedRandom::Left(), 0u);
    EXPECT_EQ(Enemies(), k.enemies);
    std::vector<std::string> lines = {"敵に遭遇した", "　", "　"};
    lines.insert(lines.end(), k.appeared.begin(), k.appeared.end());
    EXPECT_EQ(QueuedLines(test::Battle()), lines);
    EXPECT_EQ(test::Battle()->gold, k.gold);
    EXPECT_EQ(test::Battle()->experience, k.experience);
    TaskKillAll();
  }
}

// A roll of 0 in four: the enemies move first and the page says only that they struck.
TEST_F(SetupTest, AnAmbushShowsOnlyItsOwnPageAndGivesTheEnemiesTheFirstPhase) {
  ScriptedRandom random({0, 1, 0, 0, 0, 0});
  g_encounterArea = 1;
  g_partyCount = 3;
  ASSERT_EQ(BattleStartRandom(), 1);
  EXPECT_EQ(g_phaseSide, 1);
  EXPECT_EQ(QueuedLines(test::Battle()), (std::vector<std::string>{"敵が襲ってきた", "　", "　"}));
  EXPECT_EQ(g_taskPool[10].id, kTaskIdBattleCursor) << "the cursor, then the party, then the enemies";
  const auto party = test::Units(0);
  ASSERT_EQ(party.size(), 3u);
  EXPECT_EQ(TaskData<UnitData>(&g_taskPool[11]), party[0]);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(test::ColumnOf(party[i]), kPartyStartCells[i][0]);
    EXPECT_EQ(test::RowOf(party[i]), kPartyStartCells[i][1]);
  }
  EXPECT_EQ(test::Units(1).size(), 2u);
}

// Without room for the cursor, the party and the enemies no battle begins; a set-up that
// runs short all the same leaves the world as it found it.
TEST_F(SetupTest, ABattleWithoutRoomInThePoolLeavesTheWorldAsItWas) {
  FillUnitSlots(10);
  EXPECT_FALSE(BattleCanStart(kBattleSideMax));
  EXPECT_EQ(BattleEncounterStart(), 0);
  EXPECT_FALSE(TaskSlotInUse(kSlotEncounterTransition));
  EventBattleOrder order{6, {{0, 3, 3}, {0, 4, 3}, {0, 5, 3}, {0, 6, 3}, {0, 7, 3}, {0, 8, 3}}};
  EXPECT_EQ(BattleStartEvent(&order), 0);
  TaskKillAll();
  FillUnitSlots(3);
  g_encounterArea = 1;
  ScriptedRandom random({1, 0, 0, 0});
  EXPECT_EQ(BattleStartRandom(), 0);
  EXPECT_FALSE(TaskSlotInUse(kSlotBattle));
  EXPECT_TRUE(test::Units().empty());
  EXPECT_EQ(CursorFind(), nullptr);
  EXPECT_EQ(g_taskPool[10].updateOn + g_taskPool[10].drawOn, 2) << "everything runs again";
}

TEST_F(SetupTest, ThePlacementRingHolds108CellsAroundThePartyAndGivesThemUpInOrder) {
  BattleData battle{};
  BattleBuildPlacementCells(&battle);
  ASSERT_EQ(battle.placementCount, 108);
  const auto cell = [&](int i) { return std::pair(battle.placementX[i], battle.placementZ[i]); };
  EXPECT_EQ(cell(0), std::pair(3, 3));
  EXPECT_EQ(cell(71), std::pair(14, 14));
  EXPECT_EQ(cell(72), std::pair(3, 6));
  EXPECT_EQ(cell(107), std::pair(14, 11));
  for (int i = 0; i < 108; ++i) {
    const auto [c, r] = cell(i);
    EXPECT_FALSE(c >= 6 && c <= 11 && r >= 6 && r <= 11) << i;
  }
  ScriptedRandom random({1});
  int32_t c = 0, r = 0;
  ASSERT_EQ(BattleTakePlacementCell(&battle, &c, &r), 1);
  EXPECT_EQ(std::pair(c, r), std::pair(4, 3));
  EXPECT_EQ(battle.placementCount, 107);
  EXPECT_EQ(cell(1), std::pair(5, 3));
  EXPECT_EQ(battle.placementX[107], -1);
  battle.placementCount = 1;
  EXPECT_EQ(BattleTakePlacementCell(&battle, &c, &r), 0);
}

// A script's enemy with no monster, off the open ground, on a party cell or on another
// enemy is left out; the enemies come first in the pool, then the cursor and the party.
TEST_F(SetupTest, AScriptsEnemiesThatCannotStandAreLeftOut) {
  EventBattleOrder order{6, {{0, 5, 5}, {13, 6, 6}, {0, 1, 5}, {0, 9, 9}, {2, 5, 5}, {3, 12, 3}}};
  ASSERT_EQ(BattleStartEvent(&order), 1);
  EXPECT_EQ(Enemies(), (std::vector<Placed>{{0, 5, 5}, {3, 12, 3}}));
  EXPECT_EQ(g_taskPool[12].id, kTaskIdBattleCursor);
  EXPECT_EQ(QueuedLines(test::Battle()),
            (std::vector<std::string>{"敵に遭遇した", "　", "　", "黒トラが現れた", "角兎が現れた"}));
  EXPECT_EQ(test::Battle()->eventBattle, 1);
  EXPECT_EQ(BattleStartEvent(&order), 0) << "one battle at a time";
  TaskKillAll();
  EventBattleOrder tooMany{9, {{5, 4, 4}, {5, 5, 4}}};
  ASSERT_EQ(BattleStartEvent(&tooMany), 1);
  EXPECT_EQ(Enemies(), (std::vector<Placed>{{5, 4, 4}})) << "a count the language does not allow reads one";
}

}  // namespace
