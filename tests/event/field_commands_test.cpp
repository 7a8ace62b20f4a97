#include "event/field_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "data/characters.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/camera.h"
#include "event/event_test_support.h"
#include "event/placement.h"
#include "field/objects.h"
#include "field/walker.h"
#include "support/field_world.h"

namespace {

using test::CentreX;
using test::CentreZ;

using test::Walker;

CameraData* Camera() {
  TaskSlot* s = TaskFindById(kTaskIdCamera);
  return s ? TaskData<CameraData>(s) : nullptr;
}

// The first live task with the tag in slots 10 to 99.
TaskSlot* ObjectWithTag(int32_t tag, int32_t id) {
  for (int s = kSlotObjectsFirst; s < kSlotObjectsEnd; ++s) {
    if (g_taskPool[s].inUse && g_taskPool[s].tag == tag && g_taskPool[s].id == id) return &g_taskPool[s];
  }
  return nullptr;
}

// An 8 x 6 floor map with a wall at (6, 0); the party stands on one cell and the event
// task runs crafted scripts, one update pass at a time.
class FieldCommandTest : public test::EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    g_mapWidth = 8;
    g_mapHeight = 6;
    g_tileLayer[test::CellAt(6, 0)] = 15;
    MapBuildCollision();
    g_eventCount = 9;
    for (int i = 0; i < 4; ++i) g_party[i] = g_characterTable[i];
    g_partyCount = 4;
  }
  static void PlaceParty(int column, int row) { PartyWalkersCreate(CentreX(column), 0.2f, CentreZ(row), 270.0f, 0); }
  // Objects from placement scripts: event n stands on the cell given.
  static void PlaceObject(int32_t event, int column, int row, const std::string& script) {
    g_eventLayer[test::CellAt(column, row)] = static_cast<int8_t>(event);
    SetScript(event - 1, script);
  }
  // Updates until the running event has ended.
  void Finish() {
    for (int i = 0; i < 100 && EventRunning(); ++i) Update();
    ASSERT_FALSE(EventRunning());
  }
};

TEST_F(FieldCommandTest, WalkMovesAQuarterAFrameSnappingAtEachCellAndGoesOnAfterItsLastQuarter) {
  PlaceParty(1, 1);
  WalkerData* leader = Walker(0);
  leader->x += 0.1f;  // off the grid: the first frame snaps it back
  Run("#22,1,1100,0,16,#5,9,#99,");
  EXPECT_FLOAT_EQ(leader->x, CentreX(1) + 0.25f);
  Updates(7);
  EXPECT_FLOAT_EQ(leader->x, CentreX(2));
  leader->x += 0.1f;
  Update();  // the ninth quarter snaps again
  EXPECT_FLOAT_EQ(leader->x, CentreX(2) + 0.25f);
  EXPECT_EQ(FramesUntilFlag(9), 8) << "seven more quarters, then the next command";
  EXPECT_FLOAT_EQ(leader->x, CentreX(3));
  EXPECT_FLOAT_EQ(leader->z, CentreZ(1));
  EXPECT_FLOAT_EQ(Walker(1)->x, CentreX(1)) << "only the tag walks";
  EXPECT_EQ(leader->state, WalkerStatePlayerIdle) << "a walk leaves the walker's state alone";
}

TEST_F(FieldCommandTest, WalkStopsAtTheMapsEdgeAndIgnoresOtherDirections) {
  PlaceParty(7, 1);
  Run("#22,2,1100,0,16,1101,45,16,#5,9,#99,");
  EXPECT_EQ(FramesUntilFlag(9), 16);
  EXPECT_FLOAT_EQ(Walker(0)->x, CentreX(7)) << "the next cell would be off the map";
  EXPECT_FLOAT_EQ(Walker(0)->facing, 0.0f);
  EXPECT_FLOAT_EQ(Walker(1)->x, CentreX(7));
  EXPECT_FLOAT_EQ(Walker(1)->facing, 270.0f);
}

TEST_F(FieldCommandTest, TileChangeRewritesTheCellAndItsCollision) {
  Run("#18,2,1,15,#18,3,1,200,#18,6,0,4,#18,8,1,15,#18,2,6,15,#5,9,#99,");
  EXPECT_EQ(g_tileLayer[test::CellAt(2, 1)], 15);
  EXPECT_EQ(g_collisionLayer[test::CellAt(2, 1)], kCollisionWall);
  Update();
  EXPECT_EQ(g_tileLayer[test::CellAt(3, 1)], -56) << "codes read as signed bytes";
  EXPECT_EQ(g_collisionLayer[test::CellAt(3, 1)], kCollisionFree);
  Update();
  EXPECT_EQ(g_collisionLayer[test::CellAt(6, 0)], kCollisionFree) << "a wall opened";
  std::vector<int8_t> tiles(g_tileLayer, g_tileLayer + kMapMaxCells);
  std::vector<uint8_t> collision(g_collisionLayer, g_collisionLayer + kMapMaxCells);
  EXPECT_EQ(FramesUntilFlag(9), 3);
  EXPECT_EQ(std::memcmp(tiles.data(), g_tileLayer, kMapMaxCells), 0) << "cells off the map change nothing";
  EXPECT_EQ(std::memcmp(collision.data(), g_collisionLayer, kMapMaxCells), 0);
}

TEST_F(FieldCommandTest, SpawnedPersonStandsWhereToldAndTalksWithTheFirstEvent) {
  PlaceParty(1, 1);
  Run("#20,2,1,90,7,0,40,#20,3,1,90,38,0,41,#20,8,1,90,7,0,42,#29,99,1,#5,9,#99,");
  TaskSlot* slot = ObjectWithTag(40, kTaskIdPerson);
  ASSERT_NE(slot, nullptr);
  const NpcData* person = TaskData<NpcData>(slot);
  EXPECT_EQ(std::tuple(person->x, person->y, person->z, person->facing, person->model),
            std::tuple(CentreX(2), kNpcSpawnedY, CentreZ(1), 90.0f, 7));
  EXPECT_EQ(FramesUntilFlag(9), 4);
  EXPECT_EQ(ObjectWithTag(41, kTaskIdPerson), nullptr) << "model 38 is no model";
  EXPECT_EQ(ObjectWithTag(42, kTaskIdPerson), nullptr) << "column 8 is off the map";
  Update();
  ASSERT_FALSE(EventRunning());
  EventFlagsClear();
  Tap(kKeyEnter);
  ASSERT_TRUE(EventRunning());
  EXPECT_EQ(Context()->scriptSlot, 0);
}

TEST_F(FieldCommandTest, RemovingByTagFreesTheCellsHeldAndTagZeroRemovesNothing) {
  PlaceParty(0, 5);
  PlaceObject(3, 4, 3, "$3,1,2,");
  PlaceObject(4, 5, 3, "$1,7,0,0,");
  PlaceObject(5, 6, 3, "$4,2,");
  PlaceObject(6, 6, 1, "$3,3,4,");
  EventPlaceAll();
  g_tileLayer[test::CellAt(6, 1)] = 16;  // a block standing on a wall cell leaves it a wall
  Update();
  for (int c : {test::CellAt(4, 3), test::CellAt(5, 3), test::CellAt(6, 3), test::CellAt(6, 1)})
    ASSERT_EQ(g_collisionLayer[c], kCollisionTaken);
  Run("#19,0,#19,3,#33,3,4,5,6,#33,21,1,#5,9,#99,");
  EXPECT_TRUE(EventRunning());
  Update();
  EXPECT_EQ(ObjectWithTag(3, kTaskIdBlock), nullptr);
  EXPECT_EQ(g_collisionLayer[test::CellAt(4, 3)], kCollisionFree);
  EXPECT_EQ(FramesUntilFlag(9), 3);
  for (int c : {test::CellAt(5, 3), test::CellAt(6, 3)}) EXPECT_EQ(g_collisionLayer[c], kCollisionFree);
  EXPECT_EQ(g_collisionLayer[test::CellAt(6, 1)], kCollisionWall);
  Update();
  EXPECT_FALSE(EventRunning());
  for (int m = 0; m < 4; ++m) EXPECT_EQ(g_taskPool[m].updateOn, 1) << "nothing is left paused";
}

// Tag 0 is the tag of every task nobody named (the camera, the view, this event): it
// names nothing to turn, walk, move, hide, follow or remove, not even a person a script
// made with it.
TEST_F(FieldCommandTest, TagZeroNamesNothing) {
  PlaceParty(0, 5);
  TaskKillById(kTaskIdCamera);  // for '#25' to make one
  Run("#20,2,4,270,7,0,0,#5,8,#99,");
  ASSERT_EQ(FramesUntilFlag(8), 1);
  Finish();
  TaskSlot* person = nullptr;
  for (int s = kSlotObjectsFirst; s < kSlotObjectsEnd; ++s) {
    if (g_taskPool[s].inUse && g_taskPool[s].id == kTaskIdPerson) person = &g_taskPool[s];
  }
  ASSERT_NE(person, nullptr);
  const std::vector<unsigned char> before(person->data, person->data + 256);
  Run("#25,3,3,0,#14,1,0,90,#22,1,0,0,8,#29,0,1,#47,1,0,0,#39,0,#19,0,#33,1,0,#5,9,#99,");
  for (int i = 0; i < 20 && EventRunning(); ++i) {
    Update();
    EXPECT_EQ(g_taskPool[kSlotFieldView].drawOn, 1) << "the view stays shown";
  }
  ASSERT_EQ(g_eventFlags[9], 1);
  EXPECT_TRUE(person->inUse && std::memcmp(before.data(), person->data, 256) == 0);
  ASSERT_NE(Camera(), nullptr);
  EXPECT_EQ(Camera()->step, CameraHoldStep) << "a camera made to follow tag 0 holds on its cell";
  EXPECT_FLOAT_EQ(Camera()->at[0], CentreX(3));
}

TEST_F(FieldCommandTest, WalksOfSeveralTagsRunSideBySideUntilTheLongestEnds) {
  PlaceParty(1, 4);
  Run("#22,2,1100,0,8,1101,90,24,#5,9,#99,");
  Updates(7);
  EXPECT_FLOAT_EQ(Walker(0)->x, CentreX(2));
  EXPECT_FLOAT_EQ(Walker(1)->z, CentreZ(4) + 2.0f);
  EXPECT_EQ(FramesUntilFlag(9), 17);
  EXPECT_FLOAT_EQ(Walker(0)->x, CentreX(2)) << "the short walk stopped after its eight";
  EXPECT_FLOAT_EQ(Walker(1)->z, CentreZ(1));
  EXPECT_FLOAT_EQ(Walker(1)->facing, 90.0f);
}

TEST_F(FieldCommandTest, WalkAndFacingMoveOnlyWalkersAndPeopleNeverObjects) {
  PlaceParty(0, 5);
  PlaceObject(3, 4, 3, "$3,1,2,");
  PlaceObject(4, 5, 3, "$2,");
  PlaceObject(5, 6, 3, "$4,2,");
  EventPlaceAll();
  const TaskSlot* block = ObjectWithTag(3, kTaskIdBlock);
  const TaskSlot* trigger = ObjectWithTag(4, kTaskIdTrigger);
  const TaskSlot* examined = ObjectWithTag(5, kTaskIdExamined);
  ASSERT_TRUE(block && trigger && examined);
  std::vector<unsigned char> before[3];
  for (int i = 0; const TaskSlot* s : {block, trigger, examined}) before[i++].assign(s->data, s->data + 256);
  Run("#20,2,4,270,7,0,3,#22,3,3,90,8,4,90,8,5,90,8,#14,3,3,180,4,0,5,0,#5,9,#99,");
  EXPECT_EQ(FramesUntilFlag(9), 10);
  const TaskSlot* person = ObjectWithTag(3, kTaskIdPerson);
  ASSERT_NE(person, nullptr);
  EXPECT_FLOAT_EQ(TaskData<NpcData>(const_cast<TaskSlot*>(person))->z, CentreZ(3));
  EXPECT_FLOAT_EQ(TaskData<NpcData>(const_cast<TaskSlot*>(person))->facing, 180.0f);
  for (int i = 0; const TaskSlot* s : {block, trigger, examined}) {
    EXPECT_EQ(std::memcmp(before[i++].data(), s->data, 256), 0) << "slot " << (s - g_taskPool);
  }
}

TEST_F(FieldCommandTest, FacingTakesOnlyTheFourDirectionsAndTwentyPairs) {
  PlaceParty(2, 2);
  Run("#14,2,1100,90,1101,45,#14,21,1100,180,#5,9,#99,");
  EXPECT_FLOAT_EQ(Walker(0)->facing, 90.0f);
  EXPECT_FLOAT_EQ(Walker(1)->facing, 270.0f);
  EXPECT_EQ(FramesUntilFlag(9), 2);
  EXPECT_FLOAT_EQ(Walker(0)->facing, 90.0f) << "a count above 20 does nothing";
}

TEST_F(FieldCommandTest, WalkingOutOfACellGivesItUp) {
  PlaceParty(1, 1);
  Update();  // the leader at rest claims its cell
  ASSERT_EQ(g_collisionLayer[test::CellAt(1, 1)], kCollisionTaken);
  Run("#16,1,#22,1,1100,0,16,#5,9,#99,");
  EXPECT_NE(FramesUntilFlag(9), -1);
  EXPECT_EQ(g_collisionLayer[test::CellAt(1, 1)], kCollisionFree);
}

TEST_F(FieldCommandTest, GatherBringsFollowersInAlongXThenZ) {
  PlaceParty(3, 2);
  WalkerData* follower = Walker(1);
  follower->x = follower->prevX = CentreX(2);  // one cell left
  follower->z = follower->prevZ = CentreZ(3);  // and one down
  Run("#37,#5,9,#99,");
  Updates(8);
  EXPECT_FLOAT_EQ(follower->x, CentreX(3));
  EXPECT_FLOAT_EQ(follower->z, CentreZ(3));
  EXPECT_FLOAT_EQ(follower->facing, 0.0f);
  Updates(8);
  EXPECT_FLOAT_EQ(follower->z, CentreZ(2));
  EXPECT_FLOAT_EQ(follower->facing, 90.0f);
  EXPECT_EQ(FramesUntilFlag(9), 1);
}

TEST_F(FieldCommandTest, GatherWithoutFollowersGoesStraightOn) {
  PlaceParty(3, 2);
  for (int s = 1; s < 4; ++s) g_taskPool[s].inUse = 0;
  Run("#37,#5,9,#99,");
  EXPECT_EQ(FramesUntilFlag(9), 2);
}

TEST_F(FieldCommandTest, CameraPanSlidesHalfAUnitAFrameAndLeavesTheCameraHolding) {
  PlaceParty(3, 3);
  Update();
  const float z0 = Camera()->at[2];
  const float x0 = Camera()->at[0];
  Run("#21,90,10,#5,9,#21,45,3,#5,10,#21,0,0,#5,11,#99,");
  EXPECT_EQ(Camera()->step, CameraHoldStep);
  EXPECT_EQ(FramesUntilFlag(9), 11);
  EXPECT_FLOAT_EQ(Camera()->at[2], z0 + 5.0f);
  EXPECT_EQ(FramesUntilFlag(10), 5) << "another direction waits without moving";
  EXPECT_FLOAT_EQ(Camera()->at[2], z0 + 5.0f);
  EXPECT_EQ(FramesUntilFlag(11), 3) << "no frames still moves once";
  EXPECT_FLOAT_EQ(Camera()->at[0], x0 + 0.5f);
  Updates(3);
  EXPECT_FLOAT_EQ(Camera()->at[2], z0 + 5.0f) << "the camera holds after the event";
}

TEST_F(FieldCommandTest, CameraHoldFollowAndMove) {
  PlaceParty(3, 3);
  Walker(1)->x = 5.5f;
  Run("#39,1101,#40,#32,0,0,#32,8,0,#32,0,6,#5,9,#99,");
  EXPECT_EQ(Camera()->step, CameraFollowStep);
  EXPECT_EQ(Camera()->tag, 1101);
  Update();  // the camera follows once more before the hold
  EXPECT_FLOAT_EQ(Camera()->at[0], 5.5f);
  EXPECT_EQ(Camera()->step, CameraHoldStep);
  Walker(1)->x = -7.0f;
  EXPECT_EQ(FramesUntilFlag(9), 4);
  EXPECT_FLOAT_EQ(Camera()->at[0], CentreX(0)) << "cells off the map leave the camera";
  EXPECT_FLOAT_EQ(Camera()->at[2], CentreZ(0));
  EXPECT_FLOAT_EQ(Camera()->at[1], 0.2f) << "the height stays";
}

TEST_F(FieldCommandTest, NewCamerasOnlyWhereNoneIs) {
  PlaceParty(3, 3);
  Run("#52,2,2,#5,9,#99,");
  EXPECT_EQ(Camera()->step, CameraFollowStep) << "a camera exists";
  ASSERT_NE(FramesUntilFlag(9), -1);
  Finish();
  TaskKillById(kTaskIdCamera);
  TaskKillById(kTaskIdFieldView);
  EventFlagsClear();
  Run("#52,8,2,#52,2,1,#5,9,#99,");
  EXPECT_FALSE(TaskExists(kTaskIdCamera)) << "a cell off the map makes none";
  Update();
  ASSERT_NE(Camera(), nullptr);
  EXPECT_EQ(Camera()->step, CameraHoldStep);
  EXPECT_EQ(Camera()->tag, 0);
  EXPECT_FLOAT_EQ(Camera()->at[0], CentreX(2));
  EXPECT_FLOAT_EQ(Camera()->at[2], CentreZ(1));
  EXPECT_TRUE(TaskExists(kTaskIdFieldView));
  ASSERT_NE(FramesUntilFlag(9), -1);
  Finish();
  TaskKillById(kTaskIdCamera);
  Run("#25,4,4,1102,");
  EXPECT_EQ(Camera()->step, CameraFollowStep);
  EXPECT_EQ(Camera()->tag, 1102);
}

TEST_F(FieldCommandTest, RebuildingCollisionClearsClaimsAndKeepsWalls) {
  g_collisionLayer[test::CellAt(1, 1)] = kCollisionTaken;
  Run("#34,#99,");
  EXPECT_EQ(g_collisionLayer[test::CellAt(1, 1)], kCollisionFree);
  EXPECT_EQ(g_collisionLayer[test::CellAt(6, 0)], kCollisionWall);
}

TEST_F(FieldCommandTest, PartyControlFreezesAndFreesTheWalkers) {
  PlaceParty(2, 2);
  Run("#16,1,#16,7,#16,0,#99,");
  for (int m = 0; m < 4; ++m) EXPECT_EQ(Walker(m)->state, WalkerStateFrozen);
  Update();
  for (int m = 0; m < 4; ++m) EXPECT_EQ(Walker(m)->state, WalkerStateFrozen) << "other modes do nothing";
  Update();
  EXPECT_EQ(Walker(0)->state, WalkerStatePlayerIdle);
  for (int m = 1; m < 4; ++m) EXPECT_EQ(Walker(m)->state, WalkerStateFollower);
}

TEST_F(FieldCommandTest, PlacingThePartyMovesAllFourAndFreesTheLeadersCell) {
  PlaceParty(1, 1);
  Update();
  Run("#48,9,1,0,#48,5,4,180,#99,");
  EXPECT_FLOAT_EQ(Walker(0)->x, CentreX(1)) << "a cell off the map";
  Update();
  for (int m = 0; m < 4; ++m) {
    const WalkerData* w = Walker(m);
    EXPECT_FLOAT_EQ(w->x, CentreX(5));
    EXPECT_FLOAT_EQ(w->z, CentreZ(4));
    EXPECT_FLOAT_EQ(w->y, 0.2f);
    EXPECT_FLOAT_EQ(w->facing, 180.0f);
    EXPECT_FLOAT_EQ(w->savedFacing, 180.0f);
  }
  EXPECT_EQ(g_collisionLayer[test::CellAt(1, 1)], kCollisionFree);
  Update();  // the event ends; the walkers run again and keep the angle given
  Update();
  EXPECT_FLOAT_EQ(Walker(0)->facing, 180.0f);
  EXPECT_EQ(g_collisionLayer[test::CellAt(5, 4)], kCollisionTaken);
}

TEST_F(FieldCommandTest, PersonMoverChangesTheFirstPersonOfTheTag) {
  Run("#20,2,1,90,7,0,40,#20,4,1,90,7,0,40,#29,40,1,#29,40,5,#99,");
  Updates(2);
  const NpcData* first = TaskData<NpcData>(ObjectWithTag(40, kTaskIdPerson));
  EXPECT_EQ(first->mover, NpcMoverWander);
  Update();
  EXPECT_EQ(first->mover, NpcMoverNone);
  for (int s = kSlotObjectsFirst + 1; s < kSlotObjectsEnd; ++s) {
    if (g_taskPool[s].inUse && g_taskPool[s].tag == 40) {
      EXPECT_EQ(TaskData<NpcData>(&g_taskPool[s])->mover, NpcMoverStand);
    }
  }
}

TEST_F(FieldCommandTest, RemovingAPersonInMidStepFreesTheCellItWasEntering) {
  PlaceObject(4, 3, 3, "$1,7,0,1,");
  EventPlaceAll();
  NpcData* person = TaskData<NpcData>(ObjectWithTag(4, kTaskIdPerson));
  person->mover = NpcWanderPickDirection;
  Update();
  ASSERT_NE(person->subStep, 0);
  Updates(2);
  int taken = 0;
  for (int c = 0; c < g_mapWidth * g_mapHeight; ++c) taken += g_collisionLayer[c] == kCollisionTaken;
  ASSERT_EQ(taken, 1);
  Run("#19,4,#99,");
  for (int c = 0; c < g_mapWidth * g_mapHeight; ++c) EXPECT_NE(g_collisionLayer[c], kCollisionTaken) << c;
}

TEST_F(FieldCommandTest, HiddenObjectsShowAgainWhenTheEventEnds) {
  PlaceObject(4, 3, 3, "$1,7,0,0,");
  EventPlaceAll();
  TaskSlot* person = ObjectWithTag(4, kTaskIdPerson);
  Run("#47,1,0,4,#47,1,1,4,#47,21,0,4,#47,1,0,4,#99,");
  EXPECT_EQ(person->drawOn, 0);
  Update();
  EXPECT_EQ(person->drawOn, 1);
  Update();
  EXPECT_EQ(person->drawOn, 1) << "a count above 20 does nothing";
  Update();
  EXPECT_EQ(person->drawOn, 0);
  Update();
  EXPECT_FALSE(EventRunning());
  EXPECT_EQ(person->drawOn, 1);
}

}  // namespace
