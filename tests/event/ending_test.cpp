#include "event/ending.h"

#include <gtest/gtest.h>

#include <cmath>

#include "event/event_test_support.h"

namespace {

class EndingTest : public test::EventTest {
 protected:
  static EndingRollData* Roll() { return Screen<EndingRollData>(kSlotEndingRoll); }
  static int LiveEntries() {
    int n = 0;
    for (const EndingRollEntry& e : Roll()->entries) n += e.live;
    return n;
  }
  static int LiveTasks() {
    int n = 0;
    for (int i = 0; i < kTaskSlotCount; ++i) n += g_taskPool[i].inUse ? 1 : 0;
    return n;
  }
};

// The roll clears the screen; a picture rises every 200 frames, at most three at once;
// the closing picture waits for confirm, which alone leads back to the title.
TEST_F(EndingTest, FifteenPicturesRiseInOrderThenTheClosingPictureWaitsForConfirm) {
  PlaceTask(12, kTaskIdPerson);
  Run("#97,#5,1,");
  EXPECT_FALSE(EventRunning());
  ASSERT_NE(Roll(), nullptr);
  EXPECT_EQ(LiveTasks(), 1);
  int frame = 1, shown = 0, mostAtOnce = 0;
  while (frame < 4000 && Roll()->step != EndingRollWaitConfirm) {
    frame % 700 == 0 ? Tap(kKeyZ) : Update();  // confirm means nothing while the roll runs
    ++frame;
    for (const EndingRollEntry& e : Roll()->entries) {
      if (!e.live || e.y != 509.0f) continue;
      ASSERT_LT(shown, kEndingLineCount);
      EXPECT_EQ(frame, 200 * (shown + 1)) << shown;
      const AtlasRect& r = g_endingLineRects[shown++];
      EXPECT_EQ(test::At(AtlasSprites(), r), test::Pos(std::floor((640.0f - RectWidth(r)) / 2.0f + 0.5f), 509.0f));
    }
    mostAtOnce = std::max(mostAtOnce, LiveEntries());
  }
  EXPECT_EQ(shown, kEndingLineCount);
  EXPECT_EQ(mostAtOnce, 3);
  EXPECT_EQ(frame, 3541);  // the last picture came in at frame 3000 and left 541 frames later
  const auto sprites = AtlasSprites();
  EXPECT_EQ(test::At(sprites, kAtlasEndingClosing), test::Pos(560.0f, 450.0f));
  EXPECT_EQ(sprites.size(), 1u);
  Updates(30);
  EXPECT_FALSE(TaskSlotInUse(kSlotTitle));
  Tap(kKeyEnter);
  EXPECT_EQ(Roll(), nullptr);
  EXPECT_TRUE(TaskSlotInUse(kSlotTitle));
  EXPECT_EQ(LiveTasks(), 1);
  EXPECT_EQ(g_eventFlags[1], 0);
}

// The roll clears the screen and draws nothing until its first picture; it runs in the
// frame of its command.
TEST_F(EndingTest, TheEndingClearsTheScreenForTheRoll) {
  PlaceTask(12, kTaskIdPerson);
  PlaceTask(kSlotCamera, kTaskIdCamera);
  Run("#97,#5,1,");
  ASSERT_NE(Roll(), nullptr);
  EXPECT_EQ(LiveTasks(), 1);
  EXPECT_EQ(Roll()->countdown, 199);
  EXPECT_EQ(LiveEntries(), 0);
  EXPECT_TRUE(AtlasSprites().empty());
}

// A busy slot refuses the roll; a line past the table, or with every entry rising, adds
// nothing.
TEST_F(EndingTest, ABusySlotOrAFullRollAddsNothing) {
  TaskSlot* other = PlaceTask(kSlotEndingRoll, kTaskIdTitle);
  EXPECT_EQ(EndingRollStart(), 0);
  EXPECT_EQ(other->id, kTaskIdTitle);
  other->inUse = 0;
  ASSERT_EQ(EndingRollStart(), 1);
  EndingRollData* roll = Roll();
  EndingRollAddLine(roll, kEndingLineCount);
  EndingRollAddLine(roll, -1);
  EXPECT_EQ(LiveEntries(), 0);
  for (int i = 0; i < kEndingEntryCount + 2; ++i) EndingRollAddLine(roll, i);
  EXPECT_EQ(LiveEntries(), kEndingEntryCount);
  EXPECT_EQ(roll->entries[5].picture.top, g_endingLineRects[5].top);
}
}  // namespace
