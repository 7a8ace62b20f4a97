#include "event/traps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/characters.h"
#include "event/event_test_support.h"
#include "event/party_commands.h"
#include "event/popup.h"
#include "field/walker.h"

namespace {

float CentreX(int column) { return static_cast<float>(2 * column - g_mapWidth + 1); }
float CentreZ(int row) { return static_cast<float>(g_mapHeight - 2 * row - 1); }

WalkerData* Walker(int member) { return TaskData<WalkerData>(&g_taskPool[member]); }

struct Cell {
  int column, row;
};

// A 10 x 6 floor under the four heroes; the event task runs crafted scripts whose last
// command before the end sets flag 9.
class TrapTest : public test::EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    g_mapWidth = 10;
    g_mapHeight = 6;
    for (int i = 0; i < 4; ++i) g_party[i] = g_characterTable[i];
    g_partyCount = 4;
  }
  void TearDown() override {
    TaskKillAll();
    EventTest::TearDown();
  }
  static void PlaceWalkers(const std::vector<Cell>& cells, float facing) {
    WalkerData* leader = nullptr;
    for (int m = 0; m < 4; ++m) {
      const Cell& c = cells[static_cast<size_t>(m) < cells.size() ? m : cells.size() - 1];
      leader = WalkerCreate(CentreX(c.column), 0.2f, CentreZ(c.row), facing, m, 0, leader);
    }
  }
  // Event 1 with the script: the start's frame, then the frame of its first command.
  void Run(const std::string& script) {
    SetScript(0, script + "#5,9,#99,");
    Start(1);
    Update();
  }
  // Updates until the script has gone on past the command under test; how many, or -1.
  int UpdatesUntilDone(int limit = 400) {
    for (int i = 1; i <= limit; ++i) {
      Update();
      if (g_eventFlags[9]) return i;
    }
    return -1;
  }
  bool Heard(int sound) const { return std::find(sounds_.begin(), sounds_.end(), sound) != sounds_.end(); }
};

TEST_F(TrapTest, PitfallGathersTheFourSinksThemHurtsTheTwoAndLandsThemOneByOne) {
  g_partyCount = 2;
  g_party[0].hp = 50;
  g_party[1].hp = 5;
  const int32_t outsiderHp = g_party[2].hp;
  PlaceWalkers({{4, 2}, {4, 3}, {4, 4}, {3, 4}}, 90.0f);
  Run("#53,");
  int falls = 0, rises = 0, bottom = -1;
  int landed[4] = {-1, -1, -1, -1};
  for (int i = 1; i < 400 && !g_eventFlags[9]; ++i) {
    Update();
    if (i == 1) {
      EXPECT_FLOAT_EQ(Walker(1)->facing, 135.0f) << "the others spin as they close in";
    }
    falls += Heard(kSoundPitFall);
    rises += Heard(kSoundPitRise);
    if (bottom < 0 && Context()->step == EventStepPitfallPause) {
      bottom = i;
      for (int m = 0; m < 4; ++m) {
        EXPECT_FLOAT_EQ(Walker(m)->x, CentreX(4)) << m << " gathered on the leader";
        EXPECT_FLOAT_EQ(Walker(m)->z, CentreZ(2)) << m;
        EXPECT_LE(Walker(m)->y, -3.0f) << m;
      }
      EXPECT_EQ(g_party[0].hp, 40);
      EXPECT_EQ(g_party[1].hp, 1) << "never below 1";
      EXPECT_EQ(g_party[2].hp, outsiderHp) << "walkers beyond the party are nobody";
    }
    for (int m = 0; m < 4; ++m) {
      if (bottom > 0 && landed[m] < 0 && Walker(m)->z == CentreZ(3)) landed[m] = i;
    }
  }
  ASSERT_TRUE(g_eventFlags[9]);
  EXPECT_EQ(bottom, 36) << "the farthest walks 24 quarters, then sinks 13";
  EXPECT_EQ(falls, 2) << "a number and the fall's sound for each member";
  EXPECT_EQ(rises, 4);
  for (int m = 1; m < 4; ++m) EXPECT_EQ(landed[m] - landed[m - 1], kPitfallRiseGap) << m;
  for (int m = 0; m < 4; ++m) {
    EXPECT_FLOAT_EQ(Walker(m)->x, CentreX(4));
    EXPECT_FLOAT_EQ(Walker(m)->y, 0.25f);
    EXPECT_FLOAT_EQ(Walker(m)->facing, 270.0f);
  }
}

// The party jumps out one cell behind the way the leader faced, never off the map.
TEST_F(TrapTest, PitfallLandsOneCellBackOrOnThePitAtTheEdge) {
  const struct {
    Cell pit;
    float facing;
    Cell landing;
  } kCases[] = {{{4, 2}, 0.0f, {3, 2}}, {{4, 2}, 45.0f, {5, 2}}, {{4, 5}, 90.0f, {4, 5}}, {{0, 0}, 0.0f, {0, 0}}};
  for (const auto& c : kCases) {
    g_eventFlags[9] = 0;
    TaskKillAll();
    PlaceWalkers({c.pit}, c.facing);
    g_collisionLayer[c.pit.row * g_mapWidth + c.pit.column] = kCollisionTaken;
    Run("#53,");
    EXPECT_EQ(g_collisionLayer[c.pit.row * g_mapWidth + c.pit.column], kCollisionFree) << "the pit is not left held";
    ASSERT_GT(UpdatesUntilDone(), 0);
    EXPECT_FLOAT_EQ(Walker(3)->x, CentreX(c.landing.column)) << c.facing;
    EXPECT_FLOAT_EQ(Walker(3)->z, CentreZ(c.landing.row)) << c.facing;
  }
}

TEST_F(TrapTest, ProjectileHitsTheFirstMembersWalkerItNearsOrEndsAtTheEdge) {
  const struct {
    const char* script;
    int members;
    bool firstEmptied;  // member 1's place emptied for the reserve
    int othersColumn;   // of walkers 1 to 3, on the leader's row
    int hitOn;          // the update of the hit on the leader; 0 for none
    int doneOn;         // the update the script goes on
  } kCases[] = {
      {"#54,2,2,0,", 4, false, 9, 26, 77},  // six cells to the leader
      {"#54,2,0,90,", 4, false, 9, 0, 22},  // at nobody: gone past the map's edge
      {"#54,5,2,0,", 1, false, 6, 23, 74},  // walkers beyond the party are passed
      {"#54,5,2,0,", 2, true, 6, 23, 74},   // and so is an emptied place
      {"#54,2,2,45,", 4, false, 9, 0, 2},   // another direction fires nothing
      {"#54,10,2,0,", 4, false, 9, 0, 2},   // nor a cell off the map
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.script);
    g_eventFlags[9] = 0;
    TaskKillAll();
    for (int i = 0; i < 4; ++i) g_party[i] = g_characterTable[i];
    g_partyCount = c.members;
    if (c.firstEmptied) g_party[1] = CharacterRecord{};
    const int32_t hp = g_party[0].hp;
    PlaceWalkers({{8, 2}, {c.othersColumn, 2}}, 180.0f);
    Run(c.script);
    int hitOn = 0, done = 0;
    for (int i = 1; i < 200 && !done; ++i) {
      Update();
      if (!hitOn && g_party[0].hp != hp) {
        hitOn = i;
        EXPECT_EQ(g_party[0].hp, hp - 10);
        EXPECT_TRUE(Heard(kSoundLand));
        EXPECT_TRUE(TaskExists(kTaskIdDamageDigits));
      }
      if (g_eventFlags[9]) done = i;
    }
    EXPECT_EQ(hitOn, c.hitOn);
    EXPECT_EQ(done, c.doneOn);
    EXPECT_TRUE(CharacterRecordEmpty(g_party[1]) == c.firstEmptied);
  }
}

TEST_F(TrapTest, LiftCarriesThePartyTwoCellsInSixteenQuarters) {
  PlaceWalkers({{4, 4}, {4, 5}}, 90.0f);
  g_collisionLayer[4 * g_mapWidth + 4] = kCollisionTaken;
  Run("#55,4,4,28,26,#56,90,16,");
  EXPECT_EQ(g_collisionLayer[4 * g_mapWidth + 4], kCollisionFree) << "the walkers give up their cells";
  Update();  // '#56'
  EXPECT_FLOAT_EQ(Walker(3)->z, CentreZ(4)) << "everyone stands on the lift";
  Updates(16);
  const LiftData* lift = TaskData<LiftData>(&g_taskPool[kSlotLift]);
  EXPECT_FLOAT_EQ(lift->z, CentreZ(2));
  EXPECT_FLOAT_EQ(Walker(0)->z, CentreZ(2) - kWalkerQuarter) << "the party follows a frame behind";
  EXPECT_EQ(UpdatesUntilDone(), 1);
  for (int m = 0; m < 4; ++m) EXPECT_FLOAT_EQ(Walker(m)->z, CentreZ(2)) << m;
}

// What cannot be done makes nothing or moves nothing, and the script goes on.
TEST_F(TrapTest, LiftRefusalsLeaveEverythingWhereItWas) {
  const struct {
    const char* script;
    bool made;
    Cell at;
  } kCases[] = {
      {"#56,90,16,", false, {}},
      {"#55,10,0,28,26,", false, {}},
      {"#55,1,1,35,26,", false, {}},
      {"#55,1,1,28,26,#56,45,16,", true, {1, 1}},
      {"#55,9,1,28,26,#56,0,16,", true, {9, 1}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.script);
    g_eventFlags[9] = 0;
    TaskKillAll();
    Run(c.script);
    EXPECT_GT(UpdatesUntilDone(30), 0);
    ASSERT_EQ(TaskSlotInUse(kSlotLift) != 0, c.made);
    if (!c.made) continue;
    EXPECT_FLOAT_EQ(TaskData<LiftData>(&g_taskPool[kSlotLift])->x, CentreX(c.at.column));
    EXPECT_FLOAT_EQ(TaskData<LiftData>(&g_taskPool[kSlotLift])->z, CentreZ(c.at.row));
  }
  g_eventFlags[9] = 0;
  TaskKillAll();
  PlaceTask(kSlotLift, 777);
  Run("#55,1,1,28,26,");
  EXPECT_EQ(g_taskPool[kSlotLift].id, 777) << "a busy slot 5 makes nothing";
}

}  // namespace
