#include "field/walker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "field/map.h"
#include "support/field_world.h"

namespace {

using test::CentreX;
using test::CentreZ;

using test::Walker;

// The field on one map, the party set down on (column, row).
class WalkerTest : public test::FieldTest {
 protected:
  static void ExpectAt(const WalkerData* w, int column, int row) {
    ASSERT_NE(w, nullptr);
    EXPECT_FLOAT_EQ(w->x, CentreX(column)) << "member " << w->member;
    EXPECT_FLOAT_EQ(w->z, CentreZ(row)) << "member " << w->member;
  }
};

// Each arrow key of the keyboard walks the leader one cell its own way and faces it there;
// Right wins over Up and Left over Down when both are held.
TEST_F(WalkerTest, EachArrowWalksItsOwnWay) {
  const struct {
    std::vector<int> keys;
    int column, row;
    float facing;
  } kCases[] = {
      {{kKeyRight}, 4, 3, 0.0f},          {{kKeyLeft}, 2, 3, 180.0f},         {{kKeyUp}, 3, 2, 90.0f},
      {{kKeyDown}, 3, 4, 270.0f},         {{kKeyRight, kKeyUp}, 4, 3, 0.0f},  {{kKeyLeft, kKeyDown}, 2, 3, 180.0f},
      {{kKeyUp, kKeyDown}, 3, 4, 270.0f}, {{kKeyRight, kKeyLeft}, 4, 3, 0.0f}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "keys " << c.keys[0] << (c.keys.size() > 1 ? "+" : "")
                                    << (c.keys.size() > 1 ? c.keys[1] : 0));
    Open(test::MapFloor(8, 6), 3, 3);
    for (int key : c.keys) Game().Hold(key);
    Game().Frames(8);
    Game().ReleaseAll();
    Game().Frames(1);
    ExpectAt(Walker(0), c.column, c.row);
    EXPECT_FLOAT_EQ(Walker(0)->facing, c.facing);
  }
}

TEST_F(WalkerTest, StepTakesEightFramesAndHoldsOnlyTheCellBeingEntered) {
  Open(test::MapFloor(6, 4), 2, 1);
  Game().Hold(kKeyRight);
  Game().Frames(1);
  const WalkerData* leader = Walker(0);
  EXPECT_FLOAT_EQ(leader->x, CentreX(2) + 0.25f);
  EXPECT_EQ(g_collisionLayer[1 * 6 + 3], kCollisionTaken);
  EXPECT_EQ(g_collisionLayer[1 * 6 + 2], kCollisionFree);
  Game().Frames(6);
  EXPECT_EQ(leader->state, WalkerStatePlayerStep0);
  Game().Frames(1);
  EXPECT_EQ(leader->state, WalkerStatePlayerIdle);
  ExpectAt(leader, 3, 1);
}

TEST_F(WalkerTest, FollowersTrailOneCellPerMember) {
  Open(test::MapFloor(12, 3), 1, 1);
  Game().Hold(kKeyRight);
  Game().Frames(8);
  ExpectAt(Walker(1), 1, 1);  // the leader only stood still beside it
  Game().Frames(24);
  ExpectAt(Walker(0), 5, 1);
  ExpectAt(Walker(1), 4, 1);
  ExpectAt(Walker(2), 3, 1);
  ExpectAt(Walker(3), 2, 1);
  EXPECT_EQ(g_collisionLayer[1 * 12 + 4], kCollisionFree) << "followers leave the collision layer alone";
}

TEST_F(WalkerTest, NoWalkerLeavesTheMapAtTheRightOrBottomEdge) {
  for (const char* name : {"open floor", "house walls"}) {
    SCOPED_TRACE(name);
    Open(std::string(name) == "open floor" ? test::MapFloor(4, 3) : test::MapFromRows({"....", "..H.", "...."}), 2, 1);
    for (int key : {kKeyRight, kKeyDown, kKeyRight, kKeyLeft, kKeyDown}) {
      Game().ReleaseAll();
      Game().Hold(key);
      for (int i = 0; i < 40; ++i) {
        Game().Frames(1);
        for (int m = 0; m < 4; ++m) {
          const WalkerData* w = Walker(m);
          ASSERT_GE(MapCellIndexChecked(w->x, w->z), 0) << "member " << m << " frame " << i;
        }
      }
    }
    for (int i = g_mapWidth * g_mapHeight; i < kMapMaxCells; ++i) ASSERT_EQ(g_collisionLayer[i], 0) << i;
  }
}

// Five finished steps on an interval-5 map bring the countdown to 0; the encounter then
// comes up at the next rest on a cell without an event: the field stops and the
// transition into the battle begins. With no room for a battle the field walks on.
TEST_F(WalkerTest, CountdownRunsDownPerStepAndTheEncounterStartsAtRest) {
  for (bool room : {true, false}) {
    test::TestMap map = test::MapFromRows({"............", "......1.....", "............"}, 1, 5);
    Open(map, 1, 1);
    if (!room) {
      for (int s = kSlotObjectsFirst; s < kSlotObjectsEnd; ++s) test::PlaceStandIn(s, kTaskIdPerson);
    }
    Game().Hold(kKeyRight);
    Game().Frames(8);
    EXPECT_EQ(g_encounterCountdown, 4);
    Game().Frames(32);
    EXPECT_EQ(g_encounterCountdown, 0);
    ExpectAt(Walker(0), 6, 1);
    Game().Frames(1);
    EXPECT_EQ(Walker(0)->state, WalkerStatePlayerStep0) << "no battle on the event's cell";
    EXPECT_EQ(g_encounterCountdown, 0) << "it stays at 0";
    Game().Frames(7);
    EXPECT_EQ(g_taskPool[0].updateOn, 1);
    Game().Frames(1);
    EXPECT_EQ(g_encounterCountdown, 5) << "reloaded as the encounter comes up at (7, 1)";
    EXPECT_EQ(g_soundRequests[kSoundEncounter].requested, 1);
    EXPECT_EQ(TaskSlotInUse(kSlotEncounterTransition), room);
    EXPECT_EQ(g_taskPool[kSlotFieldView].updateOn, room ? 0 : 1);
    Game().Frames(7);
    ExpectAt(Walker(0), room ? 7 : 8, 1);
  }
}

// An event that ends reloads the countdown: the steps before it no longer count, and the
// encounter comes a whole interval of steps after the event's cell.
TEST_F(WalkerTest, AnEventEndedReloadsTheCountdown) {
  Open(test::MapFromRows({"...1..........", ".............."}, 1, 5), 1, 0,
       test::BuildEventPack({test::EventBlock({"$2,#5,11,#99,"})}));
  Game().Hold(kKeyRight);
  ASSERT_TRUE(Game().RunUntil([] { return g_eventFlags[11] != 0; }, 60));
  EXPECT_EQ(g_encounterCountdown, 3) << "two steps counted on the way";
  ASSERT_TRUE(Game().RunUntil([] { return !TaskSlotInUse(kSlotEvent); }, 20));
  EXPECT_EQ(g_encounterCountdown, 5);
  ASSERT_TRUE(Game().RunUntil([] { return TaskSlotInUse(kSlotEncounterTransition); }, 200));
  ExpectAt(Walker(0), 8, 0);
}

TEST_F(WalkerTest, NoEncounterWhileTheFieldMenuOrAnEventIsOpen) {
  for (int slot : {kSlotChoiceMenu, kSlotEvent}) {
    Open(test::MapFloor(12, 3, 1, 1), 1, 1);
    test::PlaceStandIn(slot, slot == kSlotEvent ? kTaskIdEvent : kTaskIdChoiceMenu);
    Game().Hold(kKeyRight);
    Game().Frames(10);
    EXPECT_EQ(g_taskPool[0].updateOn, 1) << "slot " << slot;
    EXPECT_EQ(g_encounterCountdown, 0);
  }
}

TEST_F(WalkerTest, MapWithoutEncountersNeverCountsDown) {
  Open(test::MapFloor(12, 3, 0, 3), 1, 1);
  Game().Hold(kKeyRight);
  Game().Frames(48);
  ExpectAt(Walker(0), 7, 1);
  EXPECT_EQ(g_encounterCountdown, 3);
  g_encounterCountdown = 0;  // as another map may leave it: still no encounter here
  Game().Release(kKeyRight);
  Game().Hold(kKeyLeft);
  Game().Frames(48);
  ExpectAt(Walker(0), 1, 1);
  EXPECT_EQ(g_encounterCountdown, 0);
}

}  // namespace
