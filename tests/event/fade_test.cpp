#include "event/fade.h"

#include <gtest/gtest.h>

#include "event/event_test_support.h"

namespace {

class FadeTest : public test::EventTest {
 protected:
  static FadeData* Fade() { return Screen<FadeData>(kSlotFade); }
  static uint32_t White(int alpha) { return static_cast<uint32_t>(alpha) << 24 | 0xFFFFFFu; }
};

// 51 frames up to full cover, held until stopped; the reveal falls for 51 frames and
// ends. The script does not wait for either.
TEST_F(FadeTest, CoverRisesToFullAndHoldsStopClearsItAndRevealFallsAndEnds) {
  Run("#23,#17,60,#30,#24,#17,100,");
  ASSERT_NE(Fade(), nullptr);
  EXPECT_EQ(CoverColour(AtlasSprites()), White(5));
  Updates(49);
  EXPECT_EQ(Fade()->alpha, 250);
  Update();
  EXPECT_EQ(Fade()->alpha, 255);
  Updates(11);  // held, while the wait runs out
  EXPECT_EQ(CoverColour(AtlasSprites()), White(255));
  Update();  // '#30': the cover ends in this very update
  EXPECT_EQ(Fade(), nullptr);
  EXPECT_FALSE(test::Has(AtlasSprites(), kAtlasFadePatch));
  Update();  // '#24' starts from covered
  ASSERT_NE(Fade(), nullptr);
  EXPECT_EQ(Fade()->alpha, 250);
  Updates(49);
  ASSERT_NE(Fade(), nullptr);
  Update();
  EXPECT_EQ(Fade(), nullptr);
  EXPECT_TRUE(EventRunning());
}

TEST_F(FadeTest, OverlayHoldsTheScriptTwentySixFramesThenStaysOverTheWindow) {
  Run("#7,1,#36,#5,1,#17,30,#99,");
  Update();  // '#36'
  Updates(25);
  EXPECT_EQ(Context()->overlayAlpha, 250);
  EXPECT_EQ(Context()->step, EventStepOverlayIn);
  Update();  // the 26th step passes the top and holds at full
  EXPECT_EQ(Context()->overlayAlpha, 255);
  EXPECT_EQ(g_eventFlags[1], 0);
  Update();
  EXPECT_EQ(g_eventFlags[1], 1);
  const auto sprites = AtlasSprites();
  EXPECT_TRUE(test::Has(sprites, kAtlasEventWindow));
  EXPECT_EQ(CoverColour(sprites), White(255));
  EXPECT_EQ(sprites.back().srcLeft, kAtlasFadePatch.left);  // over the window
}

// A reveal while a cover holds, or any fade while another task holds the slot, starts
// nothing; a fade started on a free slot starts from its mode.
TEST_F(FadeTest, ABusySlotStartsNoFade) {
  Run("#23,#24,#17,100,");
  Update();
  ASSERT_NE(Fade(), nullptr);
  EXPECT_EQ(Fade()->step, FadeStepCover);
  EXPECT_EQ(Fade()->alpha, 10);
  EXPECT_EQ(FadeStart(kFadeRevealed), 0);
  EXPECT_EQ(Fade()->step, FadeStepCover);
  TaskKillAll();
  TaskSlot* other = PlaceTask(kSlotFade, kTaskIdPerson);
  other->tag = 77;
  EXPECT_EQ(FadeStart(kFadeCovered), 0);
  EXPECT_EQ(other->tag, 77);
  other->inUse = 0;
  EXPECT_EQ(FadeStart(kFadeCovered), 1);
  EXPECT_EQ(Fade()->alpha, 0);
}

// The cover is drawn over the event's window, all 300 tiles last.
TEST_F(FadeTest, FadeCoversTheEventWindowItIsDrawnAfter) {
  Run("#7,1,#23,#17,100,");
  Updates(60);
  const auto sprites = AtlasSprites();
  ASSERT_GE(sprites.size(), 300u);
  EXPECT_TRUE(test::Has(sprites, kAtlasEventWindow));
  for (size_t i = sprites.size() - 300; i < sprites.size(); ++i) {
    EXPECT_EQ(sprites[i].srcLeft, kAtlasFadePatch.left);
    EXPECT_EQ(sprites[i].colour, White(255));
  }
}
}  // namespace
