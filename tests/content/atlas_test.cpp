// The built interface atlas: every picture where the definition puts it, and nothing
// anywhere else.
#include "engine/atlas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content_files.h"

namespace {

using content_test::Pixels;

struct Named {
  const char* name;
  AtlasRect rect;
  const char* paint;
};

const std::vector<Named>& Entries() {
  static const std::vector<Named> entries = {
#define ATLAS(name, l, t, r, b, paint) {#name, name, paint},
#include "engine/atlas.def"
#undef ATLAS
  };
  return entries;
}

int L(const AtlasRect& r) { return static_cast<int>(r.left); }
int T(const AtlasRect& r) { return static_cast<int>(r.top); }
int R(const AtlasRect& r) { return static_cast<int>(r.right); }
int B(const AtlasRect& r) { return static_cast<int>(r.bottom); }

int InkCount(const Pixels& p, const AtlasRect& r) {
  int n = 0;
  for (int y = T(r); y < B(r); ++y)
    for (int x = L(r); x < R(r); ++x) n += p.Ink(x, y) ? 1 : 0;
  return n;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

class AtlasTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { loaded_ = content_test::ReadPixels("generated/atlas.png", &atlas_); }
  static Pixels atlas_;
  static bool loaded_;
};
Pixels AtlasTest::atlas_;
bool AtlasTest::loaded_ = false;

TEST_F(AtlasTest, IsTheFullSizeInterfaceTexture) {
  ASSERT_TRUE(loaded_) << "generated/atlas.png is built with the game";
  EXPECT_EQ(atlas_.width, 2048);
  EXPECT_EQ(atlas_.height, 2048);
}

TEST_F(AtlasTest, EveryPaintedPictureHasInkInsideItsRectangle) {
  ASSERT_TRUE(loaded_);
  for (const Named& e : Entries()) {
    const std::string paint = e.paint;
    if (paint == "same" || paint == "picture blank") continue;
    EXPECT_GT(InkCount(atlas_, e.rect), 0) << e.name << " is empty";
  }
}

TEST_F(AtlasTest, NothingIsPaintedOutsideTheDefinedRectangles) {
  ASSERT_TRUE(loaded_);
  std::vector<bool> covered(static_cast<size_t>(2048) * 2048, false);
  for (const Named& e : Entries())
    for (int y = T(e.rect); y < B(e.rect); ++y)
      for (int x = L(e.rect); x < R(e.rect); ++x) covered[static_cast<size_t>(y) * 2048 + x] = true;
  int stray = 0;
  for (int y = 0; y < 2048; ++y)
    for (int x = 0; x < 2048; ++x)
      if (!covered[static_cast<size_t>(y) * 2048 + x] && atlas_.At(x, y) != content_test::kColourKey) ++stray;
  EXPECT_EQ(stray, 0);
}

TEST_F(AtlasTest, WindowsHaveTheOpaqueTwoPixelFrameDrawWindowCuts) {
  ASSERT_TRUE(loaded_);
  for (const Named& e : Entries()) {
    if (!StartsWith(e.paint, "window")) continue;
    const AtlasRect& r = e.rect;
    int holes = 0;
    for (int y = T(r); y < B(r); ++y)
      for (int x = L(r); x < R(r); ++x) {
        const bool frame = x < L(r) + 2 || x >= R(r) - 2 || y < T(r) + 2 || y >= B(r) - 2;
        if (!frame) continue;
        const uint32_t p = atlas_.At(x, y);
        if (p == content_test::kColourKey || (p >> 24) != 0xFF) ++holes;
      }
    EXPECT_EQ(holes, 0) << e.name << " has a frame pixel that is not opaque";
  }
}

TEST_F(AtlasTest, DigitsSitExactlyInTheirFontRectangles) {
  ASSERT_TRUE(loaded_);
  // The small font's zero fills its 10 by 17 cell; its one is narrower.
  EXPECT_EQ(RectWidth(kAtlasDigitSmall0), 10.0f);
  EXPECT_LT(RectWidth(kAtlasDigitSmall1), RectWidth(kAtlasDigitSmall2));
  EXPECT_GT(InkCount(atlas_, kAtlasDigitSmall0), 30);
  EXPECT_GT(InkCount(atlas_, kAtlasDigitSmall1), 15);
  // The tiny font puts zero after nine.
  EXPECT_GT(kAtlasDigitTiny0.left, kAtlasDigitTiny9.left);
  EXPECT_GT(InkCount(atlas_, kAtlasDigitTiny0), 20);
  // A zero is open in the middle; an eight is not a zero: their pixels differ.
  int differ = 0;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 10; ++x) differ += atlas_.At(868 + x, 25 + y) != atlas_.At(959 + x, 25 + y) ? 1 : 0;
  EXPECT_GT(differ, 10);
}

TEST_F(AtlasTest, CursorAndFadePatch) {
  ASSERT_TRUE(loaded_);
  EXPECT_GT(InkCount(atlas_, kAtlasMenuCursor), 60);
  // The cursor points right: its right column is mostly empty at the corners.
  EXPECT_FALSE(atlas_.Ink(920, 1));
  // The fade patch covers the screen: every pixel opaque, and all alike so fades are even.
  const uint32_t first = atlas_.At(582, 1427);
  EXPECT_EQ(first >> 24, 0xFFu);
  EXPECT_NE(first, content_test::kColourKey);
  for (int y = 1427; y < 1459; ++y)
    for (int x = 582; x < 614; ++x) ASSERT_EQ(atlas_.At(x, y), first) << x << "," << y;
}

TEST_F(AtlasTest, TilingPatchesAndTheTitleBackgroundAreFullyOpaque) {
  ASSERT_TRUE(loaded_);
  for (const AtlasRect& r : {kAtlasMenuTile, kAtlasBattleTile, kAtlasTitleBackground}) {
    EXPECT_EQ(InkCount(atlas_, r), static_cast<int>(RectWidth(r) * RectHeight(r)));
  }
}

// The field sets a place name over whatever ground the map shows at the top left: laid
// over white, it must show much more dark round its light letters than the letters take
// (a thin outline gives about twice as much).
TEST_F(AtlasTest, PlaceNamesStandOutOverLightGround) {
  ASSERT_TRUE(loaded_);
  int names = 0;
  for (const Named& e : Entries()) {
    if (!StartsWith(e.name, "kAtlasPlace")) continue;
    ++names;
    int letters = 0, dark = 0;
    for (int y = T(e.rect); y < B(e.rect); ++y)
      for (int x = L(e.rect); x < R(e.rect); ++x) {
        const uint32_t p = atlas_.At(x, y);
        const int a = p == content_test::kColourKey ? 0 : static_cast<int>(p >> 24);
        const int light = (2 * ((p >> 16) & 0xFF) + 5 * ((p >> 8) & 0xFF) + (p & 0xFF)) / 8;
        letters += a == 255 && light > 200 ? 1 : 0;
        dark += (light * a + 255 * (255 - a)) / 255 < 128 ? 1 : 0;
      }
    EXPECT_GT(letters, 30) << e.name;
    EXPECT_GT(dark, 4 * letters) << e.name << " leaves its letters on the ground's own light";
  }
  EXPECT_EQ(names, 12);
}

TEST_F(AtlasTest, TitlePanelLetsTheButtonsShowThroughItsHoles) {
  ASSERT_TRUE(loaded_);
  const AtlasRect& p = kAtlasTitlePanel;
  EXPECT_EQ(RectWidth(p), 368.0f);
  EXPECT_EQ(RectHeight(p), 91.0f);
  // The frame between the buttons is opaque; a hole's corner shows nothing.
  EXPECT_TRUE(atlas_.Ink(L(p) + 1, T(p) + 10));
  EXPECT_TRUE(atlas_.Ink(L(p) + 184, T(p) + 10));
  EXPECT_FALSE(atlas_.Ink(L(p) + 3, T(p) + 3));
  EXPECT_FALSE(atlas_.Ink(L(p) + 187, T(p) + 63));
}

}  // namespace
