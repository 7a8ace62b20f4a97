#include "engine/task.h"

#include <gtest/gtest.h>

#include <vector>

#include "data/tasks.h"

namespace {

// A pool for each test; the engine's own pool is a global.
class TaskPoolTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TaskPoolCreate(), 1); }
  void TearDown() override { TaskPoolFree(); }
};

int SlotOf(const TaskSlot* slot) { return static_cast<int>(slot - g_taskPool); }

std::vector<int> g_updated;

void RecordUpdate(TaskSlot* slot) { g_updated.push_back(SlotOf(slot)); }

TaskSlot* Live(TaskSlot* slot, int32_t id, int32_t tag = 0, TaskCallback update = RecordUpdate) {
  return TaskStart(slot, id, tag, update, RecordUpdate);
}

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

TEST_F(TaskPoolTest, EffectsUseSlots440To497Only) {
  for (int i = 440; i < 498; ++i) ASSERT_EQ(SlotOf(Live(TaskAllocEffect(), 8000)), i);
  EXPECT_EQ(TaskAllocEffect(), nullptr);
  EXPECT_EQ(g_taskPool[498].inUse, 0);
  EXPECT_EQ(g_taskPool[499].inUse, 0);
}

TEST_F(TaskPoolTest, KilledTasksAreGoneButKeepTheirWords) {
  Live(TaskAllocInRange(10, 100), kTaskIdPerson, 3);
  Live(TaskAllocInRange(10, 100), kTaskIdPerson, 4);
  Live(TaskAllocInRange(10, 100), kTaskIdBlock, 5);
  TaskKillById(kTaskIdPerson);
  EXPECT_EQ(TaskFindById(kTaskIdPerson), nullptr);
  EXPECT_EQ(TaskExists(kTaskIdPerson), 0);
  EXPECT_EQ(g_taskPool[10].id, kTaskIdPerson);
  EXPECT_EQ(g_taskPool[11].tag, 4);
  EXPECT_EQ(TaskExists(kTaskIdBlock), 1);

  TaskKillAllBut(kTaskIdBlock);
  EXPECT_EQ(TaskExists(kTaskIdBlock), 1);
  TaskKillAll();
  EXPECT_EQ(TaskExists(kTaskIdBlock), 0);
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

TEST_F(TaskPoolTest, PauseLeavesDrawFlagAsItWas) {
  TaskSlot* hidden = Live(TaskAllocInRange(10, 100), kTaskIdPerson);
  TaskSlot* shown = Live(TaskAllocInRange(10, 100), kTaskIdPerson);
  TaskSetModeById(kTaskIdPerson, kTaskModeHide);
  shown->drawOn = 1;
  TaskSetModeAll(kTaskModePause);
  EXPECT_EQ(hidden->drawOn, 0);
  EXPECT_EQ(shown->drawOn, 1);
  EXPECT_EQ(hidden->updateOn, 0);
  TaskSetModeAll(kTaskModeRun);
  EXPECT_EQ(hidden->drawOn, 1);
  // Unknown modes change nothing; free slots are never touched.
  TaskSetModeAll(7);
  EXPECT_EQ(hidden->updateOn, 1);
  EXPECT_EQ(g_taskPool[200].updateOn, 0);
}

TEST_F(TaskPoolTest, TagSearchIgnoresScreensAndIdZero) {
  TaskSlot* screen = Live(TaskAllocAt(kSlotEvent), kTaskIdEvent, 1100);
  EXPECT_EQ(TaskFindByTag(1100), nullptr);
  TaskSlot* anonymous = Live(TaskAllocAt(20), 0, 1100);
  EXPECT_EQ(TaskFindByTag(1100), nullptr);
  TaskSlot* walker = Live(TaskAllocAt(0), kTaskIdWalker, 1100);
  EXPECT_EQ(TaskFindByTag(1100), TaskData<TaskHead>(walker));
  (void)screen;
  (void)anonymous;
}

// Creation during the pass: above the current slot runs this pass, at or below it
// first runs next frame.
void CreateAbove(TaskSlot* slot) {
  g_updated.push_back(SlotOf(slot));
  if (!g_taskPool[30].inUse) Live(TaskAllocAt(30), 2);
}
void CreateBelow(TaskSlot* slot) {
  g_updated.push_back(SlotOf(slot));
  if (!g_taskPool[15].inUse) Live(TaskAllocAt(15), 2);
}

TEST_F(TaskPoolTest, TaskCreatedAboveUpdatesInTheSamePass) {
  g_updated.clear();
  Live(TaskAllocAt(20), 1, 0, CreateAbove);
  TaskPoolUpdateAll();
  EXPECT_EQ(g_updated, (std::vector<int>{20, 30}));
}

TEST_F(TaskPoolTest, TaskCreatedBelowFirstUpdatesNextFrame) {
  g_updated.clear();
  Live(TaskAllocAt(20), 1, 0, CreateBelow);
  TaskPoolUpdateAll();
  EXPECT_EQ(g_updated, (std::vector<int>{20}));
  g_updated.clear();
  TaskPoolUpdateAll();
  EXPECT_EQ(g_updated, (std::vector<int>{15, 20}));
}

void KillAndPauseOthers(TaskSlot* slot) {
  g_updated.push_back(SlotOf(slot));
  g_taskPool[40].inUse = 0;
  g_taskPool[5].updateOn = 0;
  g_taskPool[50].updateOn = 0;
}

TEST_F(TaskPoolTest, KillsAndPausesDuringThePassFollowSlotOrder) {
  g_updated.clear();
  Live(TaskAllocAt(5), 1);
  Live(TaskAllocAt(20), 1, 0, KillAndPauseOthers);
  Live(TaskAllocAt(40), 1);
  Live(TaskAllocAt(50), 1);
  TaskPoolUpdateAll();
  EXPECT_EQ(g_updated, (std::vector<int>{5, 20}));
  g_updated.clear();
  TaskPoolUpdateAll();
  EXPECT_EQ(g_updated, (std::vector<int>{20}));
}

struct StepData {
  int32_t live;
  void (*step)(StepData*);
  int32_t count;
};

void CountThenEnd(StepData* d) {
  if (++d->count == 3) d->live = 0;
}

TEST_F(TaskPoolTest, TrampolineFreesTheSlotWhenTheLiveWordDrops) {
  TaskSlot* slot = Live(TaskAllocAt(60), 1, 0, TaskRunStep<StepData>);
  StepData* d = TaskDataInit<StepData>(slot);
  d->live = 1;
  d->step = CountThenEnd;
  TaskPoolUpdateAll();
  TaskPoolUpdateAll();
  EXPECT_EQ(slot->inUse, 1);
  TaskPoolUpdateAll();
  EXPECT_EQ(slot->inUse, 0);
  EXPECT_EQ(d->count, 3);
}

}  // namespace
