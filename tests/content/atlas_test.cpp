// The built interface atlas: the painters keep to the rectangles the definition gives
// them and paint nothing anywhere else.
#include "engine/atlas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content_files.h"
#include "support/harness.h"

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

class AtlasTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    loaded_ = content_test::ReadPixels(test::BuildDataDir() + "/generated/atlas.png", &atlas_);
  }
  static Pixels atlas_;
  static bool loaded_;
};
Pixels AtlasTest::atlas_;
bool AtlasTest::loaded_ = false;

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

}  // namespace
