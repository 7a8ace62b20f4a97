#include "event/text_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "event/event_test_support.h"

namespace {

using test::Sjis;

class TextWindowTest : public test::EventTest {
 protected:
  int ShownCount(int line) const {
    int n = 0;
    for (int32_t g : Context()->shownGlyphs[line]) n += g != 0 ? 1 : 0;
    return n;
  }
};

const char* const kTenGlyphs = "あいうえおかきくけこ";

TEST_F(TextWindowTest, OneGlyphAFrameOneFrameMoreForEachLineThenAPressGoesOn) {
  Run("#1,1," + Sjis(kTenGlyphs) + ",#5,1,#99,");
  EXPECT_EQ(Context()->step, TextWindowStep);
  Updates(4);
  EXPECT_EQ(ShownCount(0), 4);
  Updates(8);
  EXPECT_EQ(ShownCount(0), 10);
  EXPECT_LT(Context()->typingLine, 3);
  Update();  // the thirteenth frame: the empty second and third lines took one each
  EXPECT_EQ(Context()->typingLine, 3);
  Updates(20);
  EXPECT_TRUE(sounds_.empty());
  Tap(kKeyZ);
  EXPECT_EQ(sounds_, std::vector<int>{kSoundCursor});
  EXPECT_EQ(FramesUntilFlag(1), 1);
}

// A line holds 23 glyphs; a character the table lacks ends the typing of its line and
// takes no room.
TEST_F(TextWindowTest, LinesKeepToTheirBuffersAndMissingCharactersTakeNoRoom) {
  std::string thirty;
  for (int i = 0; i < 3; ++i) thirty += Sjis(kTenGlyphs);
  Run("#1,5," + thirty + "," + Sjis("あいぴうえ") + ",a,b,c,#5,1,");  // ぴ is not in the table
  EXPECT_EQ(Context()->lineCount, 3);
  EXPECT_EQ(std::string(Context()->lines[1]), Sjis("あいぴうえ"));
  Tap(kKeyZ);
  EXPECT_EQ(ShownCount(0), 23);
  EXPECT_EQ(ShownCount(1), 4);
  const auto glyphs = GlyphSprites();
  ASSERT_EQ(glyphs.size(), 27u);
  const AtlasRect& i = g_glyphs[Context()->shownGlyphs[1][1]].rect;
  EXPECT_EQ(glyphs[25].x, glyphs[24].x + RectWidth(i) + 4.0f);
  Press(kKeyZ);
  EXPECT_EQ(FramesUntilFlag(1), 1);
}

// The answer jumps forward to the first later label; the bar under the highlighted
// answer moves without wrapping and every move clicks.
TEST_F(TextWindowTest, ChoiceHighlightsWithoutWrappingAndJumpsForward) {
  Run("second#2,q," + Sjis("はい") + "," + Sjis("いいえ") + ",first,second,first#5,1,#99,second#5,2,#99,");
  EXPECT_EQ(Context()->step, EventChoiceStep);
  auto bar = AtlasSprites();
  ASSERT_EQ(bar.size(), 1u);
  EXPECT_EQ(test::Pos(bar[0].x, bar[0].y), test::Pos(126.0f, 420.0f));
  const struct {
    int key, choice;
    float barY;
  } moves[] = {
      {kKeyDown, 1, 448.0f}, {kKeyDown, 1, 448.0f}, {kKeyUp, 0, 420.0f}, {kKeyUp, 0, 420.0f}, {kKeyDown, 1, 448.0f}};
  for (const auto& m : moves) {
    Press(m.key);
    EXPECT_EQ(Context()->choice, m.choice);
    EXPECT_EQ(sounds_, std::vector<int>{kSoundCursor});
    EXPECT_EQ(AtlasSprites()[0].y, m.barY);
  }
  Press(kKeyZ);
  EXPECT_EQ(FramesUntilFlag(2), 1);
  EXPECT_EQ(g_eventFlags[1], 0);
}

// A message without lines waits for confirm after its three empty lines' frames.
TEST_F(TextWindowTest, EmptyMessageWaitsForConfirmAfterThreeFrames) {
  Run("#1,0,#5,1,");
  Updates(3);
  EXPECT_EQ(Context()->typingLine, 3);
  Tap(kKeyEnter);
  EXPECT_EQ(FramesUntilFlag(1), 1);
}

// Confirm while typing shows every line at once with one click; holding the key is no new
// press, a fresh one goes on.
TEST_F(TextWindowTest, ConfirmWhileTypingShowsAllWithOneSoundAndANewPressGoesOn) {
  Run("#1,3," + Sjis(kTenGlyphs) + "," + Sjis("さしすせそ") + "," + Sjis("たちつ") + ",#5,1,");
  Update();
  Tap(kKeyEnter);
  EXPECT_EQ(Context()->typingLine, 3);
  EXPECT_EQ(ShownCount(0), 10);
  EXPECT_EQ(ShownCount(1), 5);
  EXPECT_EQ(ShownCount(2), 3);
  EXPECT_EQ(sounds_, std::vector<int>{kSoundCursor});
  world_.held.insert(test::HostScancode(kKeyEnter));
  Updates(3);
  world_.held.clear();
  EXPECT_TRUE(sounds_.empty());
  EXPECT_EQ(Context()->step, TextWindowStep);
  Update();
  Tap(kKeyEnter);
  EXPECT_EQ(Context()->step, EventStepReadCommand);
  EXPECT_EQ(FramesUntilFlag(1), 1);
}

// An answer whose label is not in the script ends the event and gives the field back;
// labels longer than twenty bytes are cut to twenty.
TEST_F(TextWindowTest, ChoiceLabelsAreCutAndAMissingOneEndsTheEvent) {
  TaskSlot* person = PlaceTask(12, kTaskIdPerson);
  Run("#2,q,a,b,abcdefghijklmnopqrstuvwxyz,gone,abcdefghijklmnopqrst#5,1,#99,");
  EXPECT_EQ(std::string(Context()->labels[0], kEventLabelBytes), "abcdefghijklmnopqrst");
  EXPECT_STREQ(Context()->labels[1], "gone");
  Tap(kKeyDown);
  Tap(kKeyEnter);
  EXPECT_FALSE(EventRunning());
  EXPECT_EQ(person->updateOn, 1);
  Run("#2,q,a,b,abcdefghijklmnopqrstuvwxyz,gone,abcdefghijklmnopqrst#5,1,#99,");
  Tap(kKeyEnter);
  EXPECT_EQ(FramesUntilFlag(1), 1) << "the cut label is found";
}

// '#3' picks the portrait, '#7' shows or hides the window, '#31,1' blacks the screen out
// (any other number clears it).
TEST_F(TextWindowTest, PortraitWindowAndBlackoutCommands) {
  Run("#3,21,#7,5,#31,2,#31,1,#7,0,#3,22,#31,0,#17,100,");
  EXPECT_EQ(Context()->portrait, 21);
  const struct {
    int32_t window, blackout, portrait;
  } kAfter[] = {{1, 0, 21}, {1, 0, 21}, {1, 1, 21}, {0, 1, 21}, {0, 1, 22}, {0, 0, 22}};
  for (const auto& a : kAfter) {
    Update();
    EXPECT_EQ(Context()->windowShown, a.window);
    EXPECT_EQ(Context()->blackout, a.blackout);
    EXPECT_EQ(Context()->portrait, a.portrait);
  }
}

// The portrait at the lower left, then the window's five pieces with its translucent
// inside; the glyphs typed so far in their lines, each centred on its line's height.
TEST_F(TextWindowTest, DrawsPortraitWindowAndTypedGlyphsInPlace) {
  Run("#3,0,#7,1,#1,2," + Sjis("あい") + "," + Sjis("う") + ",#99,");
  Updates(2);
  Tap(kKeyEnter);
  const auto atlas = AtlasSprites();
  ASSERT_EQ(atlas.size(), 6u);
  EXPECT_EQ(test::Pos(atlas[0].x, atlas[0].y), test::Pos(-4.0f, 480.0f - 173.0f));
  EXPECT_EQ(atlas[0].w, 193.0f);
  EXPECT_EQ(atlas[0].srcLeft, 1212.0f);
  EXPECT_EQ(atlas[0].colour, 0xFFFFFFFFu);
  EXPECT_EQ(test::Pos(atlas[1].x, atlas[1].y), test::Pos(124.0f, 384.0f));  // the top edge
  EXPECT_EQ(atlas[1].w, 512.0f);
  EXPECT_EQ(test::Pos(atlas[5].x, atlas[5].y), test::Pos(126.0f, 386.0f));  // the inside
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

// Only the glyphs typed so far are drawn; without the window the text stands alone.
TEST_F(TextWindowTest, TypingShowsOnlyWhatIsRevealed) {
  Run("#1,1," + Sjis(kTenGlyphs) + ",");
  EXPECT_TRUE(GlyphSprites().empty());
  Updates(3);
  EXPECT_EQ(GlyphSprites().size(), 3u);
  EXPECT_TRUE(AtlasSprites().empty());
}

// The blackout is drawn first, the fade patch tiled 20 by 15 over the screen, opaque; a
// portrait outside the table draws nothing.
TEST_F(TextWindowTest, BlackoutFirstAndNoPortraitOutsideTheTable) {
  Run("#31,1,#3,100,#17,50,");
  Updates(2);
  const auto sprites = AtlasSprites();
  ASSERT_EQ(sprites.size(), 300u);
  EXPECT_EQ(sprites[0].srcLeft, 582.0f);
  EXPECT_EQ(sprites[0].srcTop, 1427.0f);
  EXPECT_EQ(test::Pos(sprites[0].x, sprites[0].y), test::Pos(0.0f, 0.0f));
  EXPECT_EQ(test::Pos(sprites[299].x, sprites[299].y), test::Pos(608.0f, 448.0f));
  EXPECT_EQ(sprites[299].colour, 0xFFFFFFFFu);
}

// The overlay is drawn last, over the window, with its own alpha.
TEST_F(TextWindowTest, OverlayDrawsLastWithItsAlpha) {
  Run("#7,1,#17,50,");
  Update();
  Context()->overlayAlpha = 128;
  const auto sprites = AtlasSprites();
  ASSERT_EQ(sprites.size(), 305u);
  EXPECT_EQ(sprites.back().colour, 0x80FFFFFFu);
  EXPECT_EQ(sprites[4].colour, 0x64FFFFFFu);  // the window's inside comes before
}

// The choice bar: 508 by 24, translucent, under the highlighted answer.
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

}  // namespace
