#include "event/text_window.h"

#include <gtest/gtest.h>

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

}  // namespace
