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
      {EventStepWaitDonation, kSlotDonation, kTaskIdDonation},
      {EventStepWaitEffects, 20, kTaskIdEffect3D},
      {EventStepWaitProjectiles, 21, kTaskIdProjectile},
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

// An event number outside the map's events runs the first event, also on a map that
// claims more events than there are slots.
TEST_F(EventTaskTest, EventNumbersOutsideTheMapRunTheFirstEvent) {
  SetScript(0, "#5,10,#17,100,");
  SetScript(2, "#5,12,#17,100,");
  const struct {
    int32_t count, event, slot;
  } kCases[] = {{3, 0, 0}, {3, -3, 0}, {3, 4, 0}, {3, 21, 0}, {3, 3, 2}, {3, 1, 0}, {30, 23, 0}};
  for (const auto& c : kCases) {
    g_eventCount = c.count;
    ASSERT_EQ(EventStart(c.event), 1);
    EXPECT_EQ(Context()->scriptSlot, c.slot) << c.event;
    g_taskPool[kSlotEvent].inUse = 0;
  }
}

// Without a command the script ends on its first frame; ended, the event resumes the
// field and reloads the encounter countdown, unless a map change runs, which resumes it
// itself. A script that ends on a mark in its last byte ends there.
TEST_F(EventTaskTest, AnEndedEventResumesTheFieldAndReloadsTheCountdown) {
  std::string lastByte(kEventSlotSize - 1, 'z');
  lastByte += '#';
  const struct {
    std::string script;
    bool mapChange;
  } kCases[] = {{"just words, no command", false}, {"#99,", false}, {"#99,", true}, {lastByte, false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.script.substr(0, 24) + (c.mapChange ? ", during a map change" : ""));
    TaskSlot* person = PlaceTask(12, kTaskIdPerson);
    g_encounterCountdown = 0;
    SetScript(0, c.script);
    Start(1);  // the start's frame: the task only gets ready
    EXPECT_TRUE(EventRunning());
    EXPECT_EQ(person->updateOn, 0);
    EXPECT_EQ(g_encounterCountdown, 0);
    if (c.mapChange) PlaceTask(kSlotMapChange, kTaskIdMapChange);
    Update();
    EXPECT_FALSE(EventRunning());
    EXPECT_EQ(person->updateOn, c.mapChange ? 0 : 1);
    EXPECT_EQ(g_encounterCountdown, 30);
    TaskKillAll();
  }
}

// One command a frame, labels between them passed over, nothing after the end.
TEST_F(EventTaskTest, OneCommandAFrame) {
  SetScript(0, "#5,1,#5,2,label text#5,3,#99,#5,4,");
  Start(1);
  for (int flag = 1; flag <= 3; ++flag) {
    Update();
    EXPECT_EQ(g_eventFlags[flag], 1) << flag;
    EXPECT_EQ(g_eventFlags[flag + 1], 0) << flag;
  }
  EXPECT_TRUE(EventRunning());
  Update();
  EXPECT_FALSE(EventRunning());
  EXPECT_EQ(g_eventFlags[4], 0);
}

// A jump on a set flag goes on after the first occurrence of its label later than its
// own arguments; on a clear flag it goes on with the next command.
TEST_F(EventTaskTest, AJumpOnAFlagGoesOnAfterItsLabel) {
  const struct {
    const char* script;
    int flag, value;
    int updates;
    int flags[3];
  } kCases[] = {
      {"#6,7,skip,#5,1,skip#5,2,#99,", 7, 0, 4, {1, 1, 0}},
      {"#6,7,skip,#5,1,skip#5,2,#99,", 7, 5, 2, {0, 1, 0}},
      {"here#6,0,here,#5,1,#6,99,here,#5,2,here#5,3,#99,", 0, 1, 3, {0, 1, 1}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.script);
    EventFlagsClear();
    g_eventFlags[c.flag] = c.value;
    SetScript(0, c.script);
    Start(1);
    Updates(c.updates);
    for (int f = 0; f < 3; ++f) EXPECT_EQ(g_eventFlags[f + 1], c.flags[f]) << "flag " << f + 1;
    TaskKillAll();
  }
}

// 15, 57 to 96 and codes of 100 and more do nothing; their arguments are skipped by the
// next fetch.
TEST_F(EventTaskTest, CodesWithoutACommandAreSkipped) {
  SetScript(0, "#15,#57,1,2,#96,#150,3,#1000000,#5,4,#99,");
  Start(1);
  EXPECT_EQ(FramesUntilFlag(4), 6);
}

// '#50' kills the tasks of an id; killing the event's own ends it and resumes the field.
TEST_F(EventTaskTest, KillTasksByIdAndKillingTheEventEndsIt) {
  TaskSlot* fade = PlaceTask(kSlotFade, kTaskIdFade);
  TaskSlot* person = PlaceTask(12, kTaskIdPerson);
  SetScript(0, "#50,9800,#50,9500,#5,1,");
  Start(1);
  Update();
  EXPECT_EQ(fade->inUse, 0);
  Update();
  EXPECT_FALSE(EventRunning());
  EXPECT_EQ(person->updateOn, 1);
  Updates(2);
  EXPECT_EQ(g_eventFlags[1], 0);
}

// '#35' lets the field run on during the event; what the event hid stays hidden.
TEST_F(EventTaskTest, ResumeAllSwitchesUpdatesBackOnDuringTheEvent) {
  TaskSlot* person = PlaceTask(12, kTaskIdPerson);
  TaskSlot* hidden = PlaceTask(13, kTaskIdPerson);
  hidden->drawOn = 0;
  SetScript(0, "#35,#17,100,");
  Start(1);
  EXPECT_EQ(person->updateOn, 0);
  Update();
  EXPECT_EQ(person->updateOn, 1);
  EXPECT_EQ(hidden->drawOn, 0);
  EXPECT_TRUE(EventRunning());
}

// '#98' ends everything and opens the title.
TEST_F(EventTaskTest, BackToTheTitleKillsEverything) {
  TaskSlot* person = PlaceTask(12, kTaskIdPerson);
  SetScript(0, "#98,#5,1,");
  Start(1);
  Update();
  EXPECT_FALSE(EventRunning());
  EXPECT_EQ(person->inUse, 0);
  EXPECT_TRUE(TaskSlotInUse(kSlotTitle));
  EXPECT_EQ(g_taskPool[kSlotTitle].updateOn, 1);
  Updates(2);
  EXPECT_EQ(g_eventFlags[1], 0);
}

}  // namespace
