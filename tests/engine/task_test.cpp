#include "engine/task.h"

#include <gtest/gtest.h>

#include "data/tasks.h"

namespace {

// A pool for each test; the engine's own pool is a global.
class TaskPoolTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TaskPoolCreate(), 1); }
};

TaskSlot* Live(TaskSlot* slot, int32_t id, int32_t tag = 0) { return TaskStart(slot, id, tag, nullptr, nullptr); }
int SlotOf(const TaskSlot* slot) { return static_cast<int>(slot - g_taskPool); }

TEST_F(TaskPoolTest, RangeAllocationTakesEverySlotUpToTheEndSlot) {
  for (int i = 10; i < 100; ++i) ASSERT_EQ(SlotOf(Live(TaskAllocInRange(10, 100), 1800)), i);
  EXPECT_EQ(TaskAllocInRange(10, 100), nullptr);
  EXPECT_EQ(g_taskPool[100].inUse, 0);
  g_taskPool[42].inUse = 0;
  EXPECT_EQ(SlotOf(TaskAllocInRange(10, 100)), 42);
}

TEST_F(TaskPoolTest, FixedSlotRefusedWhenBusyAndForcedClaimWipes) {
  Live(TaskAllocAt(kSlotTitle), kTaskIdTitle, 7);
  EXPECT_EQ(TaskAllocAt(kSlotTitle), nullptr);
  EXPECT_EQ(g_taskPool[kSlotTitle].id, kTaskIdTitle);
  EXPECT_EQ(g_taskPool[kSlotTitle].tag, 7);

  TaskSlot* view = Live(TaskAllocAt(kSlotFieldView), kTaskIdFieldView);
  view->data[0] = 0x55;
  TaskSlot* again = TaskAllocAtForce(kSlotFieldView);
  EXPECT_EQ(again, view);
  EXPECT_EQ(again->inUse, 0);
  EXPECT_EQ(again->id, 0);
  EXPECT_EQ(again->data[0], 0);
}

TEST_F(TaskPoolTest, ModesSpareTheMapChangeUnlessForced) {
  TaskSlot* change = Live(TaskAllocAt(kSlotMapChange), kTaskIdMapChange);
  TaskSlot* person = Live(TaskAllocInRange(10, 100), kTaskIdPerson);
  TaskSetModeAll(kTaskModeStop);
  EXPECT_EQ(change->updateOn, 1);
  EXPECT_EQ(change->drawOn, 1);
  EXPECT_EQ(person->updateOn, 0);
  EXPECT_EQ(person->drawOn, 0);
  TaskSetModeAllForce(kTaskModeStop);
  EXPECT_EQ(change->updateOn, 0);
  EXPECT_EQ(change->drawOn, 0);
}

}  // namespace
