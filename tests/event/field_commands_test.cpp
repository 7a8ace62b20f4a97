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

}  // namespace
