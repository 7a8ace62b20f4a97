#include "field/objects.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/task.h"
#include "event/event.h"
#include "field/map.h"
#include "field/walker.h"
#include "support/field_world.h"
#include "support/sprites.h"

namespace {

using test::CentreX;
using test::CentreZ;

using test::Walker;

TaskSlot* Slot(int s) { return g_taskPool[s].inUse ? &g_taskPool[s] : nullptr; }

// The field on map 0 built from rows (digits are event cells) with the scripts given,
// and the party set down on (column, row).
class ObjectsTest : public test::FieldTest {
 protected:
  void Open(const std::vector<std::string>& rows, const std::vector<std::string>& scripts, int column, int row) {
    FieldTest::Open(test::MapFromRows(rows), column, row, test::BuildEventPack({test::EventBlock(scripts)}));
  }
  // Frames until the running event has ended (at most `limit`).
  bool RunEventOut(int limit = 50) {
    return Game().RunUntil([] { return !TaskSlotInUse(kSlotEvent); }, limit);
  }
};

TEST_F(ObjectsTest, PlacementRunsRowByRowFromTheTopAndEachRowFromTheLeft) {
  Open({"..2.", "....", "3..1", "4..."}, {"$2,#99,", "$1,5,270,0,#99,", "$4,2,#99,", "$3,1,2,#99,"}, 1, 1);
  for (const auto& [slot, id, tag] :
       {std::tuple{10, kTaskIdPerson, 2}, {11, kTaskIdExamined, 3}, {12, kTaskIdTrigger, 1}}) {
    ASSERT_NE(Slot(slot), nullptr);
    EXPECT_EQ(Slot(slot)->id, id) << slot;
    EXPECT_EQ(Slot(slot)->tag, tag) << slot;
  }
  const NpcData* person = TaskData<NpcData>(Slot(10));
  EXPECT_EQ(test::Pos(person->x, person->z), test::Pos(CentreX(2), CentreZ(0)));
  EXPECT_EQ(std::make_pair(person->event, person->model), std::make_pair(2, 5));
  EXPECT_FLOAT_EQ(person->facing, 270.0f);
  const TouchTriggerData* trigger = TaskData<TouchTriggerData>(Slot(12));
  EXPECT_EQ(test::Pos(trigger->x, trigger->z), test::Pos(CentreX(3), CentreZ(2)));
  EXPECT_EQ(g_collisionLayer[test::CellAt(0, 2)], kCollisionTaken) << "an examined object claims its cell at once";
  EXPECT_EQ(g_collisionLayer[test::CellAt(0, 3)], kCollisionTaken) << "so does a block";
  EXPECT_EQ(g_collisionLayer[test::CellAt(3, 2)], kCollisionFree) << "a trigger never does";
}

TEST_F(ObjectsTest, TriggerFiresWhenTheLeaderComesToRestOnItAndAgainAfterALeave) {
  Open({"...1..", "......"}, {"$2,#5,11,#99,"}, 1, 0);
  TouchTriggerData* trigger = TaskData<TouchTriggerData>(Slot(10));
  Game().Hold(kKeyRight);
  Game().Frames(15);
  EXPECT_FALSE(TaskSlotInUse(kSlotEvent)) << "passing through the cell in mid-step fires nothing";
  Game().Frames(1);
  Game().Release(kKeyRight);
  EXPECT_TRUE(TaskSlotInUse(kSlotEvent)) << "at rest on the cell";
  EXPECT_EQ(trigger->step, TouchTriggerWaitLeave);
  ASSERT_TRUE(RunEventOut());
  EXPECT_EQ(g_eventFlags[11], 1);
  g_eventFlags[11] = 0;
  Game().Frames(20);
  EXPECT_EQ(g_eventFlags[11], 0) << "standing on it does not fire it again";
  Game().Hold(kKeyDown);
  Game().Frames(1);
  Game().Release(kKeyDown);
  EXPECT_EQ(trigger->step, TouchTriggerArmed) << "a step begun rearms it";
  Game().Frames(7);
  Game().Hold(kKeyUp);
  Game().Frames(8);
  Game().Release(kKeyUp);
  EXPECT_TRUE(TaskSlotInUse(kSlotEvent));
}

TEST_F(ObjectsTest, WandererRestsTwoHundredFramesThenStepsACellHoldingOnlyItsNewCell) {
  Open({".......", ".......", "...1...", ".......", "......."}, {"$1,7,0,1,#99,"}, 0, 0);
  NpcData* person = TaskData<NpcData>(Slot(10));
  Game().Frames(200);
  EXPECT_EQ(person->mover, NpcWanderPickDirection);
  Game().Frames(1);
  ASSERT_NE(person->subStep, 0);
  const int direction = static_cast<int>(AngleDeg(CentreX(3), CentreZ(2), person->x, person->z) + 0.5f);
  float aheadX = CentreX(3), aheadZ = CentreZ(2);
  OffsetByAngle(&aheadX, &aheadZ, aheadX, aheadZ, static_cast<float>(direction), 2.0f);
  EXPECT_EQ(g_collisionLayer[MapCellIndex(aheadX, aheadZ)], kCollisionTaken);
  EXPECT_EQ(g_collisionLayer[test::CellAt(3, 2)], kCollisionFree);
  Game().Frames(7);
  EXPECT_EQ(person->mover, NpcMoverWander);
  EXPECT_EQ(std::tuple(person->x, person->z, person->facing),
            std::tuple(aheadX, aheadZ, static_cast<float>(direction)));
  Game().Frames(199);
  EXPECT_EQ(person->mover, NpcMoverWander) << "it rests again";
}

TEST_F(ObjectsTest, FlagGuardsKeepObjectsOut) {
  const std::vector<std::string> scripts = {"$99,3,$1,5,270,1,#99,", "$99,3,$99,4,$2,#99,", "$99,100,$2,#99,",
                                            "$7,$2,#99,"};
  Open({"1.2.3.4", "......."}, scripts, 0, 1);
  ASSERT_NE(Slot(10), nullptr);
  EXPECT_EQ(TaskData<NpcData>(Slot(10))->mover, NpcMoverWander);
  EXPECT_FLOAT_EQ(TaskData<NpcData>(Slot(10))->facing, 270.0f);
  EXPECT_EQ(Slot(11)->id, kTaskIdTrigger) << "both guards clear";
  EXPECT_EQ(test::ObjectCount(), 2) << "flag 100 and code 7 stop their placements";

  g_eventFlags[4] = 1;
  ASSERT_TRUE(field_->Enter(0, 0, 1));
  EXPECT_EQ(test::ObjectCount(), 1) << "one of two guards set";
  EXPECT_EQ(Slot(10)->id, kTaskIdPerson);
  g_eventFlags[3] = 1;
  ASSERT_TRUE(field_->Enter(0, 0, 1));
  EXPECT_EQ(test::ObjectCount(), 0);
}

TEST_F(ObjectsTest, EventCellsBeyondTheMapsEventsPlaceNothing) {
  // Two event cells, numbered 1 and 5: the map has two events, so 5 is none of them.
  Open({"1...5"}, {"$2,#99,", "$2,#99,"}, 2, 0);
  EXPECT_EQ(g_eventCount, 2);
  EXPECT_EQ(test::ObjectCount(), 1);
}

TEST_F(ObjectsTest, ModelsAndTexturesTheGameLacksPlaceNothing) {
  Open({"1234567", "......."},
       {"$1,38,0,0,#99,", "$4,99,#99,", "$3,35,1,#99,", "$3,1,35,#99,", "$1,37,0,0,#99,", "$4,0,#99,", "$3,34,0,#99,"},
       0, 1);
  EXPECT_EQ(test::ObjectCount(), 3);
  Game().Frames(2);
  for (int c = 0; c < 4; ++c) EXPECT_EQ(g_collisionLayer[test::CellAt(c, 0)], kCollisionFree) << c;
  for (int c = 4; c < 7; ++c) EXPECT_EQ(g_collisionLayer[test::CellAt(c, 0)], kCollisionTaken) << c;
}

TEST_F(ObjectsTest, StandingPersonTalksToTheLeaderBesideItAndTurnsBackAfterwards) {
  Open({".....", "..1..", "....."}, {"$1,7,270,0,#5,11,#99,"}, 1, 1);
  NpcData* person = TaskData<NpcData>(Slot(10));
  ASSERT_NE(person, nullptr);
  Game().Frames(1);
  EXPECT_EQ(g_collisionLayer[test::CellAt(2, 1)], kCollisionTaken);
  Game().Tap(kKeyEnter, 0);
  EXPECT_TRUE(TaskSlotInUse(kSlotEvent)) << "the talk starts in the frame of the press";
  EXPECT_FLOAT_EQ(person->facing, 180.0f);
  EXPECT_FLOAT_EQ(Walker(0)->facing, 0.0f);
  EXPECT_EQ(person->mover, NpcStandAfterTalk);
  ASSERT_TRUE(RunEventOut());
  EXPECT_EQ(g_eventFlags[11], 1);
  Game().Frames(3);
  EXPECT_FLOAT_EQ(person->facing, 180.0f) << "it keeps facing the leader while it stays";
  Game().Hold(kKeyDown);
  Game().Frames(3);  // three quarters of the step: the leader's position is still beside it
  EXPECT_EQ(person->mover, NpcStandAfterTalk);
  Game().Frames(1);
  EXPECT_EQ(person->mover, NpcMoverStand);
  EXPECT_FLOAT_EQ(person->facing, 270.0f);
}

TEST_F(ObjectsTest, DiagonalLeaderAndHeldConfirmStartNothingMore) {
  Open({".....", ".1...", "....."}, {"$1,7,270,0,#6,11,again,#5,11,#99,again#5,12,#99,"}, 2, 2);
  Game().Tap(kKeyEnter);
  EXPECT_FALSE(TaskSlotInUse(kSlotEvent)) << "diagonal is not beside";
  EXPECT_EQ(g_eventFlags[11], 0);

  Game().Hold(kKeyLeft);
  Game().Frames(8);
  Game().Release(kKeyLeft);
  Game().Hold(kKeyEnter);
  Game().Frames(1);
  EXPECT_TRUE(TaskSlotInUse(kSlotEvent));
  Game().Frames(40);
  EXPECT_EQ(g_eventFlags[11], 1);
  EXPECT_EQ(g_eventFlags[12], 0) << "a held key presses once";
  Game().Release(kKeyEnter);
  Game().Tap(kKeyEnter, 10);
  EXPECT_EQ(g_eventFlags[12], 0) << "the person waits for the leader to leave first";
  Game().Hold(kKeyRight);
  Game().Frames(8);
  Game().Release(kKeyRight);
  Game().Hold(kKeyLeft);
  Game().Frames(8);
  Game().Release(kKeyLeft);
  Game().Tap(kKeyZ, 10);
  EXPECT_EQ(g_eventFlags[12], 1);
}

TEST_F(ObjectsTest, BlockHoldsItsCellIsDrawnAndStartsItsEventWhenExamined) {
  Open({"....", ".1..", "...."}, {"$3,5,6,#5,11,#99,"}, 1, 2);
  const int cell = test::CellAt(1, 1);
  Game().Frames(1);
  EXPECT_EQ(g_collisionLayer[cell], kCollisionTaken);
  g_collisionLayer[cell] = kCollisionFree;  // as a command clearing the layer would
  Game().Frames(1);
  EXPECT_EQ(g_collisionLayer[cell], kCollisionTaken);
  int tops = 0, sides = 0;
  for (const plat::DrawRecord& r : plat::CurrentRecordingDevice()->lastFrame) {
    if (r.kind != plat::DrawRecord::Kind::World) continue;
    if (r.texture == g_textures[5].get()) {
      ++tops;
      EXPECT_FLOAT_EQ(r.world[0].y, kBlockTopHeight);
    }
    sides += r.texture == g_textures[6].get();
  }
  EXPECT_EQ(tops, 1);
  EXPECT_EQ(sides, 4);
  Game().Tap(kKeyEnter, 0);
  EXPECT_TRUE(TaskSlotInUse(kSlotEvent));
  EXPECT_FLOAT_EQ(Walker(0)->facing, 90.0f) << "the leader turns toward the block north of it";
  EXPECT_EQ(TaskData<BlockObjectData>(Slot(10))->step, BlockObjectWaitLeaderGone);
  ASSERT_TRUE(RunEventOut());
  EXPECT_EQ(g_eventFlags[11], 1);
}

TEST_F(ObjectsTest, ExaminedObjectIsDrawnAndStartsItsEventFromBeside) {
  Open({"....", ".1..", "...."}, {"$4,2,#5,11,#99,"}, 2, 1);
  Game().Frames(1);
  int meshes = 0;
  for (const plat::DrawRecord& r : plat::CurrentRecordingDevice()->lastFrame) {
    meshes += r.kind == plat::DrawRecord::Kind::MeshSubset && r.mesh == g_meshes[2].mesh.get();
  }
  EXPECT_GE(meshes, 1);
  Game().Tap(kKeyZ, 0);
  EXPECT_TRUE(TaskSlotInUse(kSlotEvent));
  EXPECT_FLOAT_EQ(Walker(0)->facing, 180.0f);
  ASSERT_TRUE(RunEventOut());
  EXPECT_EQ(g_eventFlags[11], 1);
}

TEST_F(ObjectsTest, RunOnceEventStartsOnItsSecondUpdateAndOnlyTheFirstIsPlaced) {
  Open({"1.2"}, {"$0,#5,11,#99,", "$0,#5,12,#99,"}, 1, 0);
  ASSERT_NE(Slot(kSlotRunOnceEvent), nullptr);
  EXPECT_EQ(Slot(kSlotRunOnceEvent)->id, kTaskIdRunOnceEvent);
  EXPECT_EQ(Slot(kSlotRunOnceEvent)->tag, 1);
  EXPECT_EQ(test::ObjectCount(), 1) << "the single slot refuses the second";
  Game().Frames(1);
  EXPECT_FALSE(TaskSlotInUse(kSlotEvent));
  Game().Frames(1);
  EXPECT_TRUE(TaskSlotInUse(kSlotEvent));
  ASSERT_TRUE(RunEventOut());
  EXPECT_EQ(g_eventFlags[11], 1);
  EXPECT_EQ(g_eventFlags[12], 0);
  Game().Frames(1);  // paused with the rest while its event ran
  EXPECT_EQ(Slot(kSlotRunOnceEvent), nullptr);
}

TEST_F(ObjectsTest, BoxedInWandererNeverMovesAndWanderersNeverLeaveTheMap) {
  Open({".....", "..#..", ".#1#.", "..#..", "2...."}, {"$1,7,0,1,#99,", "$1,8,0,1,#99,"}, 4, 0);
  const NpcData* boxed = TaskData<NpcData>(Slot(10));
  const NpcData* corner = TaskData<NpcData>(Slot(11));
  for (int frame = 0; frame < 3000; ++frame) {
    Game().Frames(1);
    ASSERT_FLOAT_EQ(boxed->x, CentreX(2)) << frame;
    ASSERT_FLOAT_EQ(boxed->z, CentreZ(2)) << frame;
    ASSERT_GE(MapCellIndexChecked(corner->x, corner->z), 0) << frame;
  }
  EXPECT_EQ(boxed->mover, NpcWanderPickDirection) << "it draws again every frame";
  for (int c : {test::CellAt(2, 1), test::CellAt(1, 2), test::CellAt(3, 2), test::CellAt(2, 3)})
    EXPECT_EQ(g_collisionLayer[c], kCollisionWall);
}

TEST_F(ObjectsTest, WandererBesideTheLeaderStaysToListen) {
  Open({".....", "..1..", "....."}, {"$1,7,0,1,#99,"}, 1, 1);
  const NpcData* person = TaskData<NpcData>(Slot(10));
  Game().Frames(300);
  EXPECT_FLOAT_EQ(person->x, CentreX(2));
  EXPECT_EQ(person->frameCounter, 0);
  Game().Tap(kKeyEnter, 0);
  EXPECT_TRUE(TaskSlotInUse(kSlotEvent));
  EXPECT_EQ(person->mover, NpcWanderAfterTalk);
}

TEST_F(ObjectsTest, PersonWhoNeitherStandsNorWandersClaimsNothingAndNeverTalks) {
  Open({"....", ".1..", "...."}, {"$1,7,90,2,#5,11,#99,"}, 2, 1);
  const NpcData* person = TaskData<NpcData>(Slot(10));
  EXPECT_EQ(person->mover, NpcMoverNone);
  Game().Frames(2);
  EXPECT_EQ(g_collisionLayer[test::CellAt(1, 1)], kCollisionFree);
  Game().Tap(kKeyEnter, 3);
  EXPECT_FALSE(TaskSlotInUse(kSlotEvent));
}

}  // namespace
