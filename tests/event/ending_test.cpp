#include "event/ending.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/game_state.h"
#include "data/tasks.h"
#include "event/screen_test_support.h"

namespace {

class EndingTest : public test::ScreenTest {
 protected:
  static EndingRollData* Roll() {
    return TaskSlotInUse(kSlotEndingRoll) ? TaskData<EndingRollData>(&g_taskPool[kSlotEndingRoll]) : nullptr;
  }
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
  static float CentredX(const AtlasRect& r) { return std::floor((640.0f - RectWidth(r)) / 2.0f + 0.5f); }
};

TEST_F(EndingTest, TheEndingClearsTheScreenForTheRoll) {
  PlaceTask(12, kTaskIdPerson);
  PlaceTask(kSlotCamera, kTaskIdCamera);
  Run("#97,#5,1,");
  EXPECT_FALSE(EventRunning());
  ASSERT_NE(Roll(), nullptr);
  EXPECT_EQ(LiveTasks(), 1);
  EXPECT_EQ(g_taskPool[kSlotEndingRoll].id, kTaskIdEndingRoll);
  EXPECT_EQ(Roll()->step, EndingRollFeed);
  EXPECT_EQ(Roll()->countdown, 199);  // the roll ran in the frame of the command
  EXPECT_EQ(LiveEntries(), 0);
  EXPECT_TRUE(AtlasSprites().empty());
  Updates(10);
  EXPECT_EQ(g_eventFlags[1], 0);
}

TEST_F(EndingTest, FifteenPicturesRiseInOrderThenTheClosingPictureWaitsForConfirm) {
  Run("#97,");
  int frame = 1;
  int shown = 0;
  int mostAtOnce = 0;
  int closingFrame = 0;
  while (frame < 4000 && Roll()->step != EndingRollWaitConfirm) {
    // Confirm means nothing while the roll runs.
    frame % 700 == 0 ? Tap(kKeyZ) : Update();
    ++frame;
    for (const EndingRollEntry& e : Roll()->entries) {
      if (!e.live || e.y != 509.0f) continue;
      ASSERT_LT(shown, kEndingLineCount);
      EXPECT_EQ(frame, 200 * (shown + 1)) << shown;
      EXPECT_EQ(e.picture.left, g_endingLineRects[shown].left);
      EXPECT_EQ(e.picture.top, g_endingLineRects[shown].top);
      const auto sprites = AtlasSprites();
      EXPECT_EQ(At(sprites, g_endingLineRects[shown]), Pos(CentredX(g_endingLineRects[shown]), 509.0f));
      EXPECT_FALSE(Has(sprites, kAtlasEndingClosing));
      ++shown;
    }
    mostAtOnce = std::max(mostAtOnce, LiveEntries());
    closingFrame = frame;
  }
  EXPECT_EQ(shown, kEndingLineCount);
  EXPECT_EQ(mostAtOnce, 3);
  EXPECT_EQ(closingFrame, 3541);  // the last picture came in at frame 3000 and left 541 frames later
  EXPECT_EQ(LiveEntries(), 0);
  const auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasEndingClosing), Pos(560.0f, 450.0f));
  EXPECT_EQ(sprites.size(), 1u);

  Updates(30);
  ASSERT_NE(Roll(), nullptr);
  EXPECT_FALSE(TaskSlotInUse(kSlotTitle));
  Tap(kKeyEnter);
  EXPECT_EQ(Roll(), nullptr);
  EXPECT_TRUE(TaskSlotInUse(kSlotTitle));
  EXPECT_EQ(g_taskPool[kSlotTitle].id, kTaskIdTitle);
  EXPECT_EQ(LiveTasks(), 1);
}

TEST_F(EndingTest, ThePicturesTableStartsWithTheFirstLine) {
  EXPECT_EQ(g_endingLineRects[0].left, 640.0f);
  EXPECT_EQ(g_endingLineRects[0].top, 729.0f);
  EXPECT_EQ(g_endingLineRects[0].right, 713.0f);
  EXPECT_EQ(g_endingLineRects[0].bottom, 749.0f);
  for (const AtlasRect& r : g_endingLineRects) EXPECT_GT(RectWidth(r) * RectHeight(r), 0.0f);
}

TEST_F(EndingTest, StartRefusedWhileItsSlotIsBusy) {
  TaskSlot* other = PlaceTask(kSlotEndingRoll, kTaskIdTitle);
  EXPECT_EQ(EndingRollStart(), 0);
  EXPECT_EQ(other->id, kTaskIdTitle);
}

TEST_F(EndingTest, AnEntryPastTheTableOrWithNoFreeEntryAddsNothing) {
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
