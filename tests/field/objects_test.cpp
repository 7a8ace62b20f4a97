#include "field/objects.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "data/game_state.h"
#include "data/tasks.h"
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
  Open({"..2.", "....", "3..1"}, {"$2,#99,", "$1,5,270,0,#99,", "$4,2,#99,"}, 1, 1);
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

TEST_F(ObjectsTest, BlockHoldsItsCellAndStartsItsEventWhenExamined) {
  Open({"....", ".1..", "...."}, {"$3,5,6,#5,11,#99,"}, 1, 2);
  const int cell = test::CellAt(1, 1);
  Game().Frames(1);
  EXPECT_EQ(g_collisionLayer[cell], kCollisionTaken);
  g_collisionLayer[cell] = kCollisionFree;  // as a command clearing the layer would
  Game().Frames(1);
  EXPECT_EQ(g_collisionLayer[cell], kCollisionTaken);
  Game().Tap(kKeyEnter, 0);
  EXPECT_TRUE(TaskSlotInUse(kSlotEvent));
  EXPECT_FLOAT_EQ(Walker(0)->facing, 90.0f) << "the leader turns toward the block north of it";
  EXPECT_EQ(TaskData<BlockObjectData>(Slot(10))->step, BlockObjectWaitLeaderGone);
  ASSERT_TRUE(RunEventOut());
  EXPECT_EQ(g_eventFlags[11], 1);
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

}  // namespace
