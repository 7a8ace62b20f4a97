#include "event/text_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "event/event_test_support.h"

namespace {

using test::Sjis;

class TextWindowTest : public test::EventTest {
 protected:
  // Starts event 1 with the script and runs its first command.
  void Run(const std::string& script) {
    SetScript(0, script);
    Start(1);
    Update();
  }
  int ShownCount(int line) const {
    int n = 0;
    for (int32_t g : Context()->shownGlyphs[line]) n += g != 0 ? 1 : 0;
    return n;
  }
  // Sprites drawn from one texture, in drawing order.
  std::vector<test::Sprite> SpritesOf(const plat::Texture* texture, float size) {
    std::vector<test::Sprite> out;
    for (const auto& r : Draw()) {
      if (r.texture == texture) out.push_back(test::ToSprite(r, size));
    }
    return out;
  }
  std::vector<test::Sprite> GlyphSprites() { return SpritesOf(g_fontTexture.get(), 1024.0f); }
  std::vector<test::Sprite> AtlasSprites() { return SpritesOf(g_atlasTexture.get(), 2048.0f); }
};

const char* const kTenGlyphs = "あいうえおかきくけこ";

TEST_F(TextWindowTest, OneGlyphAFrameAndOneFrameMoreForEachLine) {
  Run("#1,1," + Sjis(kTenGlyphs) + ",#5,1,#99,");
  EXPECT_EQ(Context()->step, TextWindowStep);
  EXPECT_EQ(Context()->lineCount, 1);
  EXPECT_EQ(ShownCount(0), 0);
  Updates(4);
  EXPECT_EQ(ShownCount(0), 4);
  EXPECT_EQ(Context()->shownGlyphs[0][3], Context()->sourceGlyphs[0][3]);
  Updates(8);
  EXPECT_EQ(ShownCount(0), 10);
  EXPECT_LT(Context()->typingLine, 3);
  Update();  // the thirteenth frame
  EXPECT_EQ(Context()->typingLine, 3);
  Updates(20);
  EXPECT_EQ(g_eventFlags[1], 0);
  EXPECT_TRUE(sounds_.empty());
  Tap(kKeyZ);
  EXPECT_EQ(sounds_, std::vector<int>{kSoundCursor});
  Update();
  EXPECT_EQ(g_eventFlags[1], 1);
}

TEST_F(TextWindowTest, EmptyMessageWaitsForConfirmAfterThreeFrames) {
  Run("#1,0,#5,1,");
  Updates(3);
  EXPECT_EQ(Context()->typingLine, 3);
  Tap(kKeyEnter);
  Update();
  EXPECT_EQ(g_eventFlags[1], 1);
}

TEST_F(TextWindowTest, ConfirmWhileTypingShowsAllWithOneSoundAndANewPressGoesOn) {
  Run("#1,3," + Sjis(kTenGlyphs) + "," + Sjis("さしすせそ") + "," + Sjis("たちつ") + ",#5,1,");
  Update();
  Tap(kKeyEnter);
  EXPECT_EQ(Context()->typingLine, 3);
  EXPECT_EQ(ShownCount(0), 10);
  EXPECT_EQ(ShownCount(1), 5);
  EXPECT_EQ(ShownCount(2), 3);
  EXPECT_EQ(sounds_, std::vector<int>{kSoundCursor});
  // Holding the key is no new press.
  world_.held.insert(KeyHostCode(kKeyEnter));
  Updates(3);
  world_.held.clear();
  EXPECT_TRUE(sounds_.empty());
  EXPECT_EQ(Context()->step, TextWindowStep);
  Update();
  Tap(kKeyEnter);
  EXPECT_EQ(Context()->step, EventStepReadCommand);
  Update();
  EXPECT_EQ(g_eventFlags[1], 1);
}

TEST_F(TextWindowTest, MoreThanThreeLinesShowThreeAndTheRestIsSkipped) {
  Run("#1,5," + Sjis("あ") + "," + Sjis("い") + "," + Sjis("う") + "," + Sjis("え") + "," + Sjis("お") + ",#5,1,");
  EXPECT_EQ(Context()->lineCount, 3);
  Tap(kKeyEnter);
  EXPECT_EQ(ShownCount(2), 1);
  Update();
  Tap(kKeyEnter);
  Update();
  EXPECT_EQ(g_eventFlags[1], 1);
}

TEST_F(TextWindowTest, OverlongLineIsCutToItsBufferAndTheNextArgumentStillReads) {
  std::string thirty;
  for (int i = 0; i < 3; ++i) thirty += Sjis(kTenGlyphs);
  Run("#1,2," + thirty + "," + Sjis("たちつ") + ",#5,1,");
  EXPECT_EQ(std::string(Context()->lines[0], kEventLineBytes), thirty.substr(0, kEventLineBytes));
  EXPECT_EQ(std::string(Context()->lines[1]), Sjis("たちつ"));
  Tap(kKeyZ);
  EXPECT_EQ(ShownCount(0), 23);
  EXPECT_EQ(ShownCount(1), 3);
  Update();
  Tap(kKeyZ);
  Update();
  EXPECT_EQ(g_eventFlags[1], 1);
}

TEST_F(TextWindowTest, MissingCharacterEndsTheTypingOfItsLineAndTakesNoRoom) {
  // ぴ is not in the glyph table.
  Run("#1,2," + Sjis("あいぴうえ") + "," + Sjis("か") + ",#5,1,");
  Updates(3);  // two glyphs, then the empty cell ends the line
  EXPECT_EQ(ShownCount(0), 2);
  EXPECT_EQ(Context()->typingLine, 1);
  Tap(kKeyEnter);
  EXPECT_EQ(ShownCount(0), 4);
  EXPECT_EQ(ShownCount(1), 1);
  const auto glyphs = GlyphSprites();
  ASSERT_EQ(glyphs.size(), 5u);
  const AtlasRect& i = g_glyphs[Context()->shownGlyphs[0][1]].rect;
  EXPECT_EQ(glyphs[2].x, glyphs[1].x + RectWidth(i) + 4.0f);
}

TEST_F(TextWindowTest, ChoiceJumpsToTheFirstLabelWithoutAMove) {
  const std::string question = Sjis("どうする？") + "," + Sjis("はい") + "," + Sjis("いいえ") + ",";
  // "yes" also stands before the command: a jump only goes forward.
  Run("yes#2," + question + "yes,no,#5,3,no#5,2,#99,yes#5,1,#99,");
  EXPECT_EQ(Context()->step, EventChoiceStep);
  EXPECT_EQ(ShownCount(0), 5);
  EXPECT_EQ(ShownCount(2), 3);
  Updates(10);
  Tap(kKeyEnter);
  EXPECT_EQ(sounds_, std::vector<int>{kSoundCursor});
  Updates(2);
  EXPECT_EQ(g_eventFlags[1], 1);
  EXPECT_EQ(g_eventFlags[2], 0);
  EXPECT_EQ(g_eventFlags[3], 0);
}

TEST_F(TextWindowTest, ChoiceHighlightMovesWithoutWrappingAndEveryPressSounds) {
  Run("#2,q,a,b,first,second,first#5,1,#99,second#5,2,#99,");
  Tap(kKeyDown);
  EXPECT_EQ(Context()->choice, 1);
  EXPECT_EQ(sounds_, std::vector<int>{kSoundCursor});
  Update();
  EXPECT_TRUE(sounds_.empty());
  Tap(kKeyDown);
  EXPECT_EQ(Context()->choice, 1);
  EXPECT_EQ(sounds_, std::vector<int>{kSoundCursor});
  Update();
  Tap(kKeyUp);
  Update();
  Tap(kKeyUp);
  EXPECT_EQ(Context()->choice, 0);
  EXPECT_EQ(sounds_, std::vector<int>{kSoundCursor});
  Update();
  Tap(kKeyDown);
  Update();
  Tap(kKeyZ);
  Update();
  EXPECT_EQ(g_eventFlags[2], 1);
  EXPECT_EQ(g_eventFlags[1], 0);
}

TEST_F(TextWindowTest, ChoiceWithALabelThatIsNotThereEndsTheEvent) {
  TaskSlot* person = PlaceTask(12, kTaskIdPerson);
  Run("#2,q,a,b,here,gone,here#5,1,#99,");
  Tap(kKeyDown);
  Tap(kKeyEnter);
  EXPECT_FALSE(EventRunning());
  EXPECT_EQ(person->updateOn, 1);
}

TEST_F(TextWindowTest, OverlongLabelsAreCutToTwentyBytes) {
  Run("#2,q,a,b,abcdefghijklmnopqrstuvwxyz,b,abcdefghijklmnopqrst#5,1,#99,");
  EXPECT_EQ(std::string(Context()->labels[0], kEventLabelBytes), "abcdefghijklmnopqrst");
  EXPECT_STREQ(Context()->labels[1], "b");
  Tap(kKeyEnter);
  Update();
  EXPECT_EQ(g_eventFlags[1], 1);
}

TEST_F(TextWindowTest, PortraitWindowAndBlackoutCommands) {
  Run("#3,21,#7,5,#31,2,#31,1,#7,0,#3,22,#17,100,");
  EXPECT_EQ(Context()->portrait, 21);
  Update();
  EXPECT_EQ(Context()->windowShown, 1);
  Update();
  EXPECT_EQ(Context()->blackout, 0);
  Update();
  EXPECT_EQ(Context()->blackout, 1);
  Update();
  EXPECT_EQ(Context()->windowShown, 0);
  Update();
  EXPECT_EQ(Context()->portrait, 22);
}

TEST_F(TextWindowTest, DrawsPortraitWindowAndTypedGlyphsInPlace) {
  Run("#3,0,#7,1,#1,2," + Sjis("あい") + "," + Sjis("う") + ",#99,");
  Updates(2);
  Tap(kKeyEnter);
  const auto atlas = AtlasSprites();
  ASSERT_EQ(atlas.size(), 6u);  // portrait, then the window's five pieces
  EXPECT_EQ(atlas[0].x, -4.0f);
  EXPECT_EQ(atlas[0].y, 480.0f - 173.0f);
  EXPECT_EQ(atlas[0].w, 193.0f);
  EXPECT_EQ(atlas[0].srcLeft, 1212.0f);
  EXPECT_EQ(atlas[0].colour, 0xFFFFFFFFu);
  EXPECT_EQ(atlas[1].x, 124.0f);  // top edge
  EXPECT_EQ(atlas[1].y, 384.0f);
  EXPECT_EQ(atlas[1].w, 512.0f);
  EXPECT_EQ(atlas[5].x, 126.0f);  // the inside, translucent
  EXPECT_EQ(atlas[5].y, 386.0f);
  EXPECT_EQ(atlas[5].colour, 0x64FFFFFFu);
  EXPECT_EQ(atlas[4].colour, 0xFFFFFFFFu);

  const auto glyphs = GlyphSprites();
  ASSERT_EQ(glyphs.size(), 3u);
  const AtlasRect& a = g_glyphs[Context()->shownGlyphs[0][0]].rect;
  const AtlasRect& u = g_glyphs[Context()->shownGlyphs[1][0]].rect;
  EXPECT_EQ(glyphs[0].x, 140.0f);
  EXPECT_EQ(glyphs[0].y, 392.0f + std::trunc((20.0f - RectHeight(a)) / 2.0f + 0.5f));
  EXPECT_EQ(glyphs[0].w, RectWidth(a));
  EXPECT_EQ(glyphs[0].srcLeft, a.left);
  EXPECT_EQ(glyphs[1].x, 140.0f + RectWidth(a) + 4.0f);
  EXPECT_EQ(glyphs[2].x, 140.0f);
  EXPECT_EQ(glyphs[2].y, 420.0f + std::trunc((20.0f - RectHeight(u)) / 2.0f + 0.5f));
  EXPECT_EQ(glyphs[2].colour, 0xFFFFFFFFu);

  // Once confirmed the text goes with its step; portrait and window stay.
  Update();
  Tap(kKeyEnter);
  EXPECT_TRUE(GlyphSprites().empty());
  EXPECT_EQ(AtlasSprites().size(), 6u);
}

TEST_F(TextWindowTest, TypingShowsOnlyWhatIsRevealed) {
  Run("#1,1," + Sjis(kTenGlyphs) + ",");
  EXPECT_TRUE(GlyphSprites().empty());
  Updates(3);
  EXPECT_EQ(GlyphSprites().size(), 3u);
  // Without the window the text stands straight over the field.
  EXPECT_TRUE(AtlasSprites().empty());
}

TEST_F(TextWindowTest, DrawsTheChoiceBarUnderTheHighlightedAnswer) {
  Run("#2,q," + Sjis("はい") + "," + Sjis("いいえ") + ",a,b,a#99,b#99,");
  auto bar = AtlasSprites();
  ASSERT_EQ(bar.size(), 1u);
  EXPECT_EQ(bar[0].x, 126.0f);
  EXPECT_EQ(bar[0].y, 420.0f);
  EXPECT_EQ(bar[0].w, 508.0f);
  EXPECT_EQ(bar[0].h, 24.0f);
  EXPECT_EQ(bar[0].colour, 0x64FFFFFFu);
  EXPECT_EQ(GlyphSprites().size(), 5u);  // the question's 'q' has no glyph
  Tap(kKeyDown);
  bar = AtlasSprites();
  ASSERT_EQ(bar.size(), 1u);
  EXPECT_EQ(bar[0].y, 448.0f);
}

TEST_F(TextWindowTest, BlackoutFirstAndNoPortraitOutsideTheTable) {
  Run("#31,1,#3,100,#17,50,");
  Updates(2);
  const auto sprites = AtlasSprites();
  ASSERT_EQ(sprites.size(), 300u);  // 20 by 15 tiles of 32 pixels
  EXPECT_EQ(sprites[0].srcLeft, 582.0f);
  EXPECT_EQ(sprites[0].srcTop, 1427.0f);
  EXPECT_EQ(sprites[299].x, 608.0f);
  EXPECT_EQ(sprites[299].y, 448.0f);
  EXPECT_EQ(sprites[299].colour, 0xFFFFFFFFu);
}

TEST_F(TextWindowTest, OverlayDrawsLastWithItsAlpha) {
  Run("#7,1,#17,50,");
  Update();
  Context()->overlayAlpha = 128;
  const auto sprites = AtlasSprites();
  ASSERT_EQ(sprites.size(), 305u);
  EXPECT_EQ(sprites.back().colour, 0x80FFFFFFu);
  EXPECT_EQ(sprites[4].colour, 0x64FFFFFFu);  // the window's inside comes before
}

}  // namespace
