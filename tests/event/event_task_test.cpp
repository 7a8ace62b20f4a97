#include <gtest/gtest.h>

#include <string>

#include "data/game_state.h"
#include "data/tasks.h"
#include "event/event.h"
#include "event/event_test_support.h"

namespace {

using EventTaskTest = test::EventTest;

TEST_F(EventTaskTest, StartFreezesEverythingButCameraViewAndItself) {
  TaskSlot* walker = PlaceTask(0, kTaskIdWalker);
  TaskSlot* view = PlaceTask(kSlotFieldView, kTaskIdFieldView);
  TaskSlot* person = PlaceTask(12, kTaskIdPerson);
  TaskSlot* camera = PlaceTask(kSlotCamera, kTaskIdCamera);
  TaskSlot* change = PlaceTask(kSlotMapChange, kTaskIdMapChange);
  view->updateOn = 0;
  SetScript(0, "#99,");
  ASSERT_EQ(EventStart(1), 1);
  EXPECT_EQ(walker->updateOn + person->updateOn, 0);
  EXPECT_EQ(walker->drawOn, 1);
  EXPECT_EQ(view->updateOn + camera->updateOn + change->updateOn + g_taskPool[kSlotEvent].updateOn, 4);
  EXPECT_EQ(Context()->portrait, 100);
}

TEST_F(EventTaskTest, StartRefusedWhileABattleAMenuOrAnotherEventRuns) {
  SetScript(0, "#17,100,");
  for (int busy : {static_cast<int>(kSlotBattle), static_cast<int>(kSlotChoiceMenu)}) {
    TaskSlot* s = PlaceTask(busy, busy == kSlotBattle ? kTaskIdBattle : kTaskIdChoiceMenu);
    EXPECT_EQ(EventStart(1), 0);
    EXPECT_FALSE(EventRunning());
    s->inUse = 0;
  }
  ASSERT_EQ(EventStart(1), 1);
  Context()->readPosition = 3;
  EXPECT_EQ(EventStart(2), 0);
  EXPECT_EQ(Context()->readPosition, 3);
  EXPECT_EQ(Context()->scriptSlot, 0);
}

TEST_F(EventTaskTest, WaitHoldsTheScriptForItsFramesAndAtLeastOne) {
  for (const auto& [frames, expected] : std::vector<std::pair<int, int>>{{3, 4}, {0, 2}, {1, 2}, {10, 11}}) {
    EventFlagsClear();
    SetScript(0, "#17," + std::to_string(frames) + ",#5,9,#99,");
    Start(1);
    Update();  // the wait command
    EXPECT_EQ(FramesUntilFlag(9, 50), expected) << frames;
    Updates(2);
    ASSERT_FALSE(EventRunning());
  }
}

// A jump whose label is missing, or whose label runs past the end of the slot, ends the
// event and gives the field back.
TEST_F(EventTaskTest, AMissingLabelEndsTheEvent) {
  TaskSlot* person = PlaceTask(12, kTaskIdPerson);
  std::string script = "#6,3,abcd,";
  script.resize(kEventSlotSize - 2, 'z');
  script += "ab";
  std::memcpy(EventSlotBase(1), "cd#5,1,", 7);  // what a read past the slot would find
  for (const std::string& text : {std::string("#6,3,nowhere,#5,1,#99,"), script}) {
    SetScript(0, text);
    g_eventFlags[3] = 1;
    Start(1);
    Update();
    EXPECT_FALSE(EventRunning());
    Updates(3);
    EXPECT_EQ(g_eventFlags[1], 0);
    EXPECT_EQ(person->updateOn, 1);
    EXPECT_EQ(g_encounterCountdown, g_encounterInterval);
  }
}

TEST_F(EventTaskTest, FlagAndSoundArgumentsOutOfRangeDoNothing) {
  SetScript(0, "#5,100,#5,999999,#6,100,x,#5,5,x#11,21,#11,3,#99,");
  g_eventFlags[99] = 1;
  Start(1);
  Updates(4);
  EXPECT_EQ(g_eventFlags[5], 1);
  Update();
  EXPECT_TRUE(sounds_.empty());
  Update();
  EXPECT_EQ(sounds_, std::vector<int>{3});
}

TEST_F(EventTaskTest, TaskWaitsGoOnTheFrameAfterTheTaskIsGone) {
  struct Wait {
    EventStep step;
    int slot;
    int32_t id;
  };
  const Wait waits[] = {
      {EventStepWaitInn, kSlotInn, kTaskIdInn},
      {EventStepWaitShop, kSlotShop, kTaskIdShop},
      {EventStepWaitItemDialog, kSlotNotice, kTaskIdNotice},
      {EvTransitionWait, kSlotEncounterTransition, kTaskIdEncounterTransition},
  };
  for (const Wait& w : waits) {
    EventFlagsClear();
    SetScript(0, "#5,1,");
    Start(1);
    TaskSlot* screen = PlaceTask(w.slot, w.id);
    Context()->step = w.step;
    Updates(5);
    EXPECT_EQ(Context()->step, w.step);
    screen->inUse = 0;
    Update();
    EXPECT_EQ(Context()->step, EventStepReadCommand);
    EXPECT_EQ(g_eventFlags[1], 0);
    Update();
    EXPECT_EQ(g_eventFlags[1], 1);
    g_taskPool[kSlotEvent].inUse = 0;
  }
}

}  // namespace
