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

}  // namespace
