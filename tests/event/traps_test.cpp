#include "event/traps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "event/event_test_support.h"
#include "event/party_commands.h"
#include "field/walker.h"

namespace {

struct Cell {
  int column, row;
};

WalkerData* Walker(int member) { return TaskData<WalkerData>(&g_taskPool[member]); }
float X(Cell c) { return static_cast<float>(2 * c.column - g_mapWidth + 1); }
float Z(Cell c) { return static_cast<float>(g_mapHeight - 2 * c.row - 1); }
bool On(const TaskHead* head, Cell c) { return head->x == X(c) && head->z == Z(c); }

// A 10 x 6 floor under the heroes' walkers; each script sets flag 9 once past the command.
class TrapTest : public test::EventTest {
 protected:
  // Walkers 0 to 3 on the cells (the last for the rest), slot 5 taken if `busy`, then the first frame.
  void Run(const std::string& script, std::vector<Cell> cells, float facing, int members = 4, bool busy = false) {
    TaskKillAll();
    g_mapWidth = 10;
    g_mapHeight = 6;
    g_eventFlags[9] = 0;
    for (int i = 0; i < 4; ++i) g_party[i] = g_characterTable[i];
    g_partyCount = members;
    WalkerData* leader = nullptr;
    for (size_t m = 0; m < 4; ++m) {
      const Cell c = cells[std::min(m, cells.size() - 1)];
      leader = WalkerCreate(X(c), 0.2f, Z(c), facing, static_cast<int>(m), 0, leader);
    }
    if (busy) PlaceTask(kSlotLift, 777);
    SetScript(0, script + "#5,9,#99,");
    Start(1);
    Update();
  }
  bool Heard(int sound) const { return std::find(sounds_.begin(), sounds_.end(), sound) != sounds_.end(); }
  // Updates, each followed by `each`, until the script goes on; the update it did, or 0.
  template <class F>
  int UpdatesUntilDone(F each) {
    for (int i = 1; i < 400; ++i) {
      Update();
      each(i);
      if (g_eventFlags[9]) return i;
    }
    return 0;
  }
};

TEST_F(TrapTest, PitfallGathersAllFourHurtsTheMembersAndLandsThemOneByOneOnTheMap) {
  Run("#53,", {{4, 2}, {4, 3}, {4, 4}, {3, 4}}, 90.0f, 2);
  g_party[1].hp = 5;
  int falls = 0, rises = 0, bottom = 0, landed[4] = {};
  UpdatesUntilDone([&](int i) {
    EXPECT_TRUE(i > 1 || Walker(1)->facing == 135.0f) << "the others spin as they close in";
    falls += Heard(kSoundPitFall);
    rises += Heard(kSoundPitRise);
    if (!bottom && Context()->step == EventStepPitfallPause) {
      bottom = i;
      for (int m = 0; m < 4; ++m) EXPECT_TRUE(On(Walker(m), {4, 2}) && Walker(m)->y <= -3.0f) << m;
      EXPECT_EQ(g_party[0].hp, g_characterTable[0].hp - 10);
      EXPECT_EQ(g_party[1].hp, 1) << "never below 1";
      EXPECT_EQ(g_party[2].hp, g_characterTable[2].hp) << "walkers beyond the party are nobody";
    }
    for (int m = 0; m < 4; ++m) landed[m] = !landed[m] && bottom && On(Walker(m), {4, 3}) ? i : landed[m];
  });
  EXPECT_EQ(bottom, 36) << "the farthest walks 24 quarters, then sinks 13";
  EXPECT_EQ(falls, 2) << "the fall's sound and number for each member";
  EXPECT_EQ(rises, 4);
  for (int m = 1; m < 4; ++m) EXPECT_EQ(landed[m] - landed[m - 1], kPitfallRiseGap) << m;
  for (int m = 0; m < 4; ++m)
    EXPECT_TRUE(On(Walker(m), {4, 3}) && Walker(m)->y == 0.25f && Walker(m)->facing == 270.0f);
  // Facing 45 the party jumps back toward 0; a landing off the map stays in the pit.
  const std::tuple<Cell, float, Cell> kPits[] = {
      {{4, 2}, 45.0f, {5, 2}}, {{4, 5}, 90.0f, {4, 5}}, {{0, 0}, 0.0f, {0, 0}}};
  for (const auto& [pit, facing, landing] : kPits) {
    g_collisionLayer[pit.row * g_mapWidth + pit.column] = kCollisionTaken;
    Run("#53,", {pit}, facing);
    UpdatesUntilDone([](int) {});
    EXPECT_EQ(g_collisionLayer[pit.row * g_mapWidth + pit.column], kCollisionFree) << "the pit is not left held";
    EXPECT_TRUE(On(Walker(3), landing)) << pit.column;
  }
}

TEST_F(TrapTest, ProjectileHitsTheFirstMembersWalkerItNearsOrEndsAtTheEdge) {
  // The leader stands on column 8, the others on a column of its row, member 1's place
  // maybe emptied; the update of the hit on the leader (0: none) and of going on.
  const struct Case {
    const char* script;
    int members, emptied, othersColumn, hitOn, doneOn;
  } kCases[] = {
      {"#54,2,2,0,", 4, 0, 9, 26, 77},  // six cells to the leader
      {"#54,2,0,90,", 4, 0, 9, 0, 22},  // at nobody: gone past the map's edge
      {"#54,5,2,0,", 1, 0, 6, 23, 74},  // walkers beyond the party are passed
      {"#54,5,2,0,", 2, 1, 6, 23, 74},  // and so is an emptied place
      {"#54,2,2,45,", 4, 0, 9, 0, 2},   // another direction fires nothing
      {"#54,10,2,0,", 4, 0, 9, 0, 2},   // nor a cell off the map
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.script);
    const int32_t hp = g_characterTable[0].hp;
    Run(c.script, {{8, 2}, {c.othersColumn, 2}}, 180.0f, c.members);
    if (c.emptied) g_party[1] = CharacterRecord{};
    int hitOn = 0;
    EXPECT_EQ(UpdatesUntilDone([&](int i) {
                if (hitOn || g_party[0].hp == hp) return;
                hitOn = i;
                EXPECT_TRUE(g_party[0].hp == hp - 10 && Heard(kSoundLand) && TaskExists(kTaskIdDamageDigits));
              }),
              c.doneOn);
    EXPECT_EQ(hitOn, c.hitOn);
    EXPECT_EQ(CharacterRecordEmpty(g_party[1]), c.emptied != 0);
  }
}

// The leader stands on (4, 4), the others on (4, 5). Sixteen quarters toward 90 take
// them two cells in sixteen frames; what cannot be done makes nothing or moves nothing,
// and the script goes on.
TEST_F(TrapTest, LiftCarriesThePartyAQuarterAFrameAndRefusesWhatCannotBeDone) {
  const struct Case {  // slot 5 taken before, a lift made, where the leader ends
    const char* script;
    bool busy, made;
    Cell end;
    int doneOn;
  } kCases[] = {
      {"#55,4,4,28,26,#56,90,16,", false, true, {4, 2}, 18},
      {"#55,1,1,28,26,#56,45,16,", false, true, {1, 1}, 3},
      {"#55,9,1,28,26,#56,0,16,", false, true, {9, 1}, 3},
      {"#56,90,16,", false, false, {4, 4}, 2},
      {"#55,10,0,28,26,", false, false, {4, 4}, 1},
      {"#55,1,1,35,26,", false, false, {4, 4}, 1},
      {"#55,1,1,28,26,", true, false, {4, 4}, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.script);
    Run(c.script, {{4, 4}, {4, 5}}, 90.0f, 4, c.busy);
    EXPECT_EQ(UpdatesUntilDone([&](int i) {
                EXPECT_TRUE(i != 17 || c.doneOn != 18 || !On(Walker(0), c.end)) << "the party follows a frame on";
              }),
              c.doneOn);
    EXPECT_EQ(TaskSlotInUse(kSlotLift) && g_taskPool[kSlotLift].id == kTaskIdLift, c.made);
    for (int m = 0; m < 4; ++m) EXPECT_TRUE(On(Walker(m), m == 0 || c.made ? c.end : Cell{4, 5})) << m;
  }
}

}  // namespace
