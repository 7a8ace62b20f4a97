#include "field/walker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/settings.h"
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

// After a map change the party stands on one point facing the given way, each walker
// following the one before; only the leader shows.
TEST_F(WalkerTest, PartyStandsOnOnePointAndShowsOnlyTheLeader) {
  Open(test::MapFloor(6, 4), 2, 1);
  for (int m = 0; m < 4; ++m) {
    const WalkerData* w = Walker(m);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(g_taskPool[m].tag, 1100 + m);
    EXPECT_FLOAT_EQ(w->y, 0.2f);
    EXPECT_FLOAT_EQ(w->facing, 270.0f);
    EXPECT_EQ(w->leader, m == 0 ? nullptr : Walker(m - 1));
    EXPECT_EQ(WalkerIsHiddenByOther(w), m == 0 ? 0 : 1);
  }
  EXPECT_TRUE(TaskExists(kTaskIdFieldView));
  EXPECT_TRUE(TaskExists(kTaskIdCamera));
  EXPECT_EQ(PartyWalkersCreate(0, 0.2f, 0, 0, 0), 0) << "a second field view is refused";
}

// Pushed into a wall the leader slides along it toward the last Up or Down key; walled
// both ways, that frame only turns the preference and the next slides the other way; a
// cell taken by a person stops it without a slide.
TEST_F(WalkerTest, AWallSlidesTheLeaderAlongItAndATakenCellStopsIt) {
  Open(test::MapFromRows({"......", "...#..", "...#..", "...#..", "......"}), 2, 3);
  Game().Hold(kKeyUp);
  Game().Frames(8);
  ExpectAt(Walker(0), 2, 2);
  Game().ReleaseAll();
  Game().Hold(kKeyRight);
  Game().Frames(1);
  EXPECT_EQ(Walker(0)->state, WalkerStatePlayerStep90);
  Game().Frames(7);
  ExpectAt(Walker(0), 2, 1);

  Open(test::MapFromRows({"######", "#..#.#", "#....#", "######"}), 2, 2);
  Game().Hold(kKeyUp);
  Game().Frames(8);
  ExpectAt(Walker(0), 2, 1);
  Game().ReleaseAll();
  Game().Hold(kKeyRight);
  Game().Frames(1);
  EXPECT_EQ(Walker(0)->state, WalkerStatePlayerIdle) << "that frame only turns the preference";
  ExpectAt(Walker(0), 2, 1);
  Game().Frames(1);
  EXPECT_EQ(Walker(0)->state, WalkerStatePlayerStep270);
  Game().Frames(7);
  ExpectAt(Walker(0), 2, 2);

  Open(test::MapFloor(5, 3), 1, 1);
  MapSetCollision(CentreX(2), CentreZ(1), kCollisionTaken);  // a person stands there
  Game().Hold(kKeyRight);
  Game().Frames(3);
  EXPECT_EQ(Walker(0)->state, WalkerStatePlayerIdle);
  ExpectAt(Walker(0), 1, 1);
}

// A follower whose leader stands one index on but at the start of the next row has no
// neighbour to follow and stays.
TEST_F(WalkerTest, FollowerNeverStepsAcrossARowEnd) {
  Open(test::MapFloor(4, 3), 3, 0);
  Walker(1)->x = Walker(1)->prevX = CentreX(0);
  Walker(1)->z = Walker(1)->prevZ = CentreZ(1);
  Walker(2)->leader = nullptr;
  Game().Hold(kKeyLeft);
  for (int i = 0; i < 8; ++i) {
    Game().Frames(1);
    ExpectAt(Walker(1), 0, 1);
  }
}

// Pressing A toggles auto-battle with its sound and takes that frame from the walk;
// holding it keeps the countdown full, so no battle starts however far the party walks.
TEST_F(WalkerTest, PressingAToggleAutoBattleAndHoldingItKeepsTheCountdownFull) {
  Open(test::MapFloor(12, 3, 1, 5), 1, 1);
  ASSERT_EQ(g_settings.autoBattle, 0);
  Game().Hold(kKeyA);
  Game().Hold(kKeyRight);
  Game().Frames(1);
  EXPECT_EQ(g_settings.autoBattle, 1);
  EXPECT_EQ(g_soundRequests[kSoundAutoBattle].requested, 1);
  ExpectAt(Walker(0), 1, 1);  // the press takes the frame
  Game().Frames(48);
  ExpectAt(Walker(0), 7, 1);
  EXPECT_EQ(g_settings.autoBattle, 1) << "held, not pressed again";
  EXPECT_EQ(g_encounterCountdown, 5);
  EXPECT_EQ(g_taskPool[0].updateOn, 1);
  Game().ReleaseAll();
  Game().Frames(1);
  Game().Tap(kKeyA, 0);
  EXPECT_EQ(g_settings.autoBattle, 0);
}

// A party set down frozen stands still under the keys until the leader is freed.
TEST_F(WalkerTest, FrozenWalkersStandStill) {
  Open(test::MapFloor(6, 4), 2, 1);
  TaskKillById(kTaskIdFieldView);
  TaskKillById(kTaskIdCamera);
  ASSERT_EQ(PartyWalkersCreate(CentreX(2), 0.2f, CentreZ(1), 90.0f, 1), 1);
  for (int m = 0; m < 4; ++m) EXPECT_EQ(Walker(m)->state, WalkerStateFrozen);
  Game().Hold(kKeyRight);
  Game().Frames(10);
  ExpectAt(Walker(0), 2, 1);
  Walker(0)->state = WalkerStatePlayerIdle;
  Game().Frames(8);
  ExpectAt(Walker(0), 3, 1);
}

// Angles come out whole for the four axes; offsets take only those four, rounded first;
// a point snaps to whole numbers with halves away from zero.
TEST(WalkerMathTest, AnglesOffsetsAndRounding) {
  EXPECT_FLOAT_EQ(AngleDeg(0, 0, 1, 0), 0.0f);
  EXPECT_FLOAT_EQ(AngleDeg(0, 0, 0, 1), 90.0f);
  EXPECT_FLOAT_EQ(AngleDeg(0, 0, -1, 0), 180.0f);
  EXPECT_FLOAT_EQ(AngleDeg(0, 0, 0, -1), 270.0f);
  EXPECT_FLOAT_EQ(AngleDeg(0, 0, 0, 0), 270.0f);
  float x = 1, z = 1;
  OffsetByAngle(&x, &z, 0, 0, 89.6f, 2.0f);
  EXPECT_FLOAT_EQ(x, 0.0f);
  EXPECT_FLOAT_EQ(z, 2.0f);
  OffsetByAngle(&x, &z, 0, 0, -90.0f, 2.0f);
  EXPECT_FLOAT_EQ(z, -2.0f);
  OffsetByAngle(&x, &z, 5, 5, 45.0f, 2.0f);
  EXPECT_FLOAT_EQ(x, 0.0f) << "other angles write nothing";
  RoundPairToInt(&x, &z, 2.5f, -2.5f);
  EXPECT_FLOAT_EQ(x, 3.0f);
  EXPECT_FLOAT_EQ(z, -3.0f);
  EXPECT_FLOAT_EQ(DistanceXZ(0, 0, 3, 4), 5.0f);
}

}  // namespace
