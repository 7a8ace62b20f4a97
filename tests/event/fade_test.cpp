#include "event/fade.h"

#include <gtest/gtest.h>

#include "data/game_state.h"
#include "data/tasks.h"
#include "event/screen_test_support.h"

namespace {

class FadeTest : public test::ScreenTest {
 protected:
  static FadeData* Fade() { return TaskSlotInUse(kSlotFade) ? TaskData<FadeData>(&g_taskPool[kSlotFade]) : nullptr; }
  static uint32_t White(int alpha) { return static_cast<uint32_t>(alpha) << 24 | 0xFFFFFFu; }
};

TEST_F(FadeTest, CoverRisesToFullAndHoldsStopClearsItAndRevealFallsAndEnds) {
  Run("#23,#17,60,#30,#24,#17,100,");
  ASSERT_NE(Fade(), nullptr);
  EXPECT_EQ(g_taskPool[kSlotFade].id, kTaskIdFade);
  EXPECT_EQ(Fade()->step, FadeStepCover);
  EXPECT_EQ(Fade()->alpha, 5);
  EXPECT_EQ(CoverColour(AtlasSprites()), White(5));
  Updates(49);
  EXPECT_EQ(Fade()->alpha, 250);
  Update();  // the 51st frame: covered
  EXPECT_EQ(Fade()->alpha, 255);
  Updates(11);  // held, while the wait runs out
  EXPECT_EQ(Fade()->alpha, 255);
  EXPECT_EQ(CoverColour(AtlasSprites()), White(255));

  Update();  // '#30': the cover ends in this very update
  EXPECT_EQ(Fade(), nullptr);
  EXPECT_FALSE(test::ScreenTest::Has(AtlasSprites(), kAtlasFadePatch));

  Update();  // '#24' starts from covered on the next frame
  ASSERT_NE(Fade(), nullptr);
  EXPECT_EQ(Fade()->step, FadeStepReveal);
  EXPECT_EQ(Fade()->alpha, 250);
  Updates(49);
  ASSERT_NE(Fade(), nullptr);
  EXPECT_EQ(Fade()->alpha, 5);
  Update();  // the 51st frame: clear, and the fade is gone
  EXPECT_EQ(Fade(), nullptr);
  EXPECT_TRUE(EventRunning());
}

TEST_F(FadeTest, RevealWhileACoverHoldsDoesNothing) {
  Run("#23,#24,#17,100,");
  Update();
  ASSERT_NE(Fade(), nullptr);
  EXPECT_EQ(Fade()->step, FadeStepCover);
  EXPECT_EQ(Fade()->alpha, 10);
  EXPECT_EQ(FadeStart(kFadeRevealed), 0);
  EXPECT_EQ(Fade()->step, FadeStepCover);
}

TEST_F(FadeTest, TheScriptDoesNotWaitForAFade) {
  Run("#24,#5,1,#17,100,");
  Update();
  EXPECT_EQ(g_eventFlags[1], 1);
}

TEST_F(FadeTest, StopWithoutAFadeDoesNothing) {
  Run("#30,#5,1,#17,100,");
  EXPECT_EQ(Fade(), nullptr);
  Update();
  EXPECT_EQ(g_eventFlags[1], 1);
}

TEST_F(FadeTest, FadeCoversTheEventWindowItIsDrawnAfter) {
  Run("#7,1,#23,#17,100,");
  Updates(60);
  const auto sprites = AtlasSprites();
  ASSERT_GE(sprites.size(), 300u);
  EXPECT_TRUE(test::ScreenTest::Has(sprites, kAtlasEventWindow));
  for (size_t i = sprites.size() - 300; i < sprites.size(); ++i) {
    EXPECT_EQ(sprites[i].srcLeft, kAtlasFadePatch.left);
    EXPECT_EQ(sprites[i].colour, White(255));
  }
}

TEST_F(FadeTest, OverlayHoldsTheScriptTwentySixFramesThenStaysOverTheWindowUntilTheEventEnds) {
  Run("#7,1,#36,#5,1,#17,30,#99,");
  Update();  // '#36'
  EXPECT_EQ(Context()->overlayAlpha, 0);
  Updates(25);
  EXPECT_EQ(Context()->overlayAlpha, 250);
  EXPECT_EQ(Context()->step, EventStepOverlayIn);
  Update();  // the 26th step passes the top and holds at full
  EXPECT_EQ(Context()->overlayAlpha, 255);
  EXPECT_EQ(g_eventFlags[1], 0);
  Update();
  EXPECT_EQ(g_eventFlags[1], 1);

  const auto sprites = AtlasSprites();
  ASSERT_GE(sprites.size(), 300u);
  EXPECT_TRUE(test::ScreenTest::Has(sprites, kAtlasEventWindow));
  EXPECT_EQ(CoverColour(sprites), White(255));
  EXPECT_EQ(sprites.back().srcLeft, kAtlasFadePatch.left);
  Updates(20);
  EXPECT_EQ(Context()->overlayAlpha, 255);

  Updates(12);
  ASSERT_FALSE(EventRunning());
  SetScript(1, "#17,5,");
  ASSERT_EQ(EventStart(2), 1);
  EXPECT_EQ(Context()->overlayAlpha, 0);
  EXPECT_FALSE(test::ScreenTest::Has(AtlasSprites(), kAtlasFadePatch));
}

TEST_F(FadeTest, StartRefusedWhileTheFadeSlotIsBusy) {
  TaskSlot* other = PlaceTask(kSlotFade, kTaskIdFade);
  other->tag = 77;
  EXPECT_EQ(FadeStart(kFadeCovered), 0);
  EXPECT_EQ(other->tag, 77);
  other->inUse = 0;
  EXPECT_EQ(FadeStart(kFadeCovered), 1);
  EXPECT_EQ(Fade()->alpha, 0);
}

}  // namespace
