#include "engine/draw2d.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "engine/atlas.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "platform/keyboard.h"
#include "platform/recording/gpu_recording.h"
#include "support/harness.h"

namespace {

// A screen quad in the caller's terms: where on the screen and from where in the
// texture, in pixels, the half-pixel shift of 2D quads undone.
struct Quad {
  AtlasRect dest;
  AtlasRect src;
  uint32_t colour;
  const plat::Texture* texture;
};

std::vector<Quad> ScreenQuads(const std::vector<plat::DrawRecord>& records, float texSize = 2048.0f) {
  std::vector<Quad> quads;
  for (const plat::DrawRecord& r : records) {
    if (r.kind != plat::DrawRecord::Kind::Screen) continue;
    const plat::ScreenVertex& a = r.screen[0];
    const plat::ScreenVertex& c = r.screen[2];
    quads.push_back({{a.x + 0.5f, a.y + 0.5f, c.x + 0.5f, c.y + 0.5f},
                     {a.u * texSize, a.v * texSize, c.u * texSize, c.v * texSize},
                     a.colour,
                     r.texture});
  }
  return quads;
}

class Draw2DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousBackend_ = plat::GetDeviceBackend();
    plat::SetDeviceBackend(plat::DeviceBackend::Recording);
    g_device = plat::CreateDevice(nullptr, {});
    ASSERT_NE(g_device, nullptr);
    plat::Image image;
    image.width = image.height = 4;
    image.pixels.assign(16, 0xFFFFFFFF);
    g_atlasTexture = g_device->CreateTexture(image);
    recorder_ = plat::CurrentRecordingDevice();
    ASSERT_NE(recorder_, nullptr);
  }
  void TearDown() override {
    g_atlasTexture.reset();
    g_device.reset();
    plat::SetDeviceBackend(previousBackend_);
  }

  std::vector<Quad> Quads() const { return ScreenQuads(recorder_->current); }
  void ClearDraws() { recorder_->current.clear(); }

  plat::RecordingDevice* recorder_ = nullptr;
  plat::DeviceBackend previousBackend_ = plat::DeviceBackend::OpenGL;
};

void ExpectRect(const AtlasRect& r, float l, float t, float rt, float b) {
  EXPECT_FLOAT_EQ(r.left, l);
  EXPECT_FLOAT_EQ(r.top, t);
  EXPECT_FLOAT_EQ(r.right, rt);
  EXPECT_FLOAT_EQ(r.bottom, b);
}

constexpr AtlasRect kPatch32 = {100, 200, 132, 232};

TEST(RoundingTest, HalvesRoundAwayFromZero) {
  EXPECT_EQ(RoundToNearest(10.5f), 11.0f);
  EXPECT_EQ(RoundToNearest(-10.5f), -11.0f);
  EXPECT_EQ(RoundToNearest(10.49f), 10.0f);
  EXPECT_EQ(RoundToNearest(-10.49f), -10.0f);
  EXPECT_EQ(RoundToNearest(0.0f), 0.0f);
  EXPECT_EQ(CentreX(200.0f), 220.0f);
  EXPECT_EQ(CentreX(201.0f), 219.5f);
}

TEST_F(Draw2DTest, SpriteLandsOnWholePixelsAtItsOwnSize) {
  DrawSprite(10.5f, 20.49f, kPatch32, kAtlasSize, kAtlasSize, 0x80FFFFFF, g_atlasTexture.get());
  DrawSprite(-10.5f, -0.5f, kPatch32, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
  DrawSprite(10.49f, 0.0f, kPatch32, kAtlasSize, kAtlasSize, kColourOpaque, nullptr);
  const std::vector<Quad> q = Quads();
  ASSERT_EQ(q.size(), 3u);
  ExpectRect(q[0].dest, 11, 20, 43, 52);
  ExpectRect(q[0].src, 100, 200, 132, 232);
  EXPECT_EQ(q[0].colour, 0x80FFFFFFu);
  EXPECT_EQ(q[0].texture, g_atlasTexture.get());
  ExpectRect(q[1].dest, -11, -1, 21, 31);
  ExpectRect(q[2].dest, 10, 0, 42, 32);
  EXPECT_EQ(q[2].texture, nullptr);  // the caller's texture, even none
}

TEST_F(Draw2DTest, ExactAndCentredVariants) {
  EXPECT_FLOAT_EQ(DrawSpriteExact(10.25f, 5.75f, kPatch32, kAtlasSize, kAtlasSize, kColourOpaque, nullptr), 32.0f);
  const AtlasRect odd = {0, 0, 101, 10};
  EXPECT_FLOAT_EQ(DrawSpriteCentred(odd, 7, kAtlasSize, kAtlasSize, kColourOpaque, nullptr), 270.0f);
  DrawAtlas(3.5f, 4, kPatch32);
  const std::vector<Quad> q = Quads();
  ASSERT_EQ(q.size(), 3u);
  ExpectRect(q[0].dest, 10.25f, 5.75f, 42.25f, 37.75f);
  ExpectRect(q[1].dest, 270, 7, 371, 17);
  ExpectRect(q[2].dest, 4, 4, 36, 36);
  EXPECT_EQ(q[2].texture, g_atlasTexture.get());
  EXPECT_EQ(q[2].colour, kColourOpaque);
}

TEST_F(Draw2DTest, NoDeviceDrawsNothingAndDoesNotCrash) {
  g_atlasTexture.reset();
  g_device.reset();
  DrawAtlas(0, 0, kPatch32);
  EXPECT_FLOAT_EQ(DrawNumberSmall(0, 0, 42), 22.0f);  // the advance is still reported
}

TEST(NumberToDigitsTest, SplitsMostSignificantFirstUpToSevenDigits) {
  int32_t d[7] = {};
  ASSERT_EQ(NumberToDigits(0, d), 1);
  EXPECT_EQ(d[0], 0);
  ASSERT_EQ(NumberToDigits(9, d), 1);
  EXPECT_EQ(d[0], 9);
  ASSERT_EQ(NumberToDigits(10, d), 2);
  EXPECT_EQ(d[0], 1);
  EXPECT_EQ(d[1], 0);
  ASSERT_EQ(NumberToDigits(9999999, d), 7);
  for (int32_t v : d) EXPECT_EQ(v, 9);
  EXPECT_EQ(NumberToDigits(10000000, d), 0);
  EXPECT_EQ(NumberToDigits(INT32_MAX, d), 0);
  EXPECT_EQ(NumberToDigits(-5, d), 0);
  EXPECT_EQ(NumberToDigits(INT32_MIN, d), 0);
}

TEST_F(Draw2DTest, DigitsDrawOnePictureEachWithAPixelBetween) {
  EXPECT_FLOAT_EQ(DrawNumberSmall(100, 50, 0), 11.0f);
  std::vector<Quad> q = Quads();
  ASSERT_EQ(q.size(), 1u);
  ExpectRect(q[0].dest, 100, 50, 110, 67);
  ExpectRect(q[0].src, 868, 25, 878, 42);

  ClearDraws();
  EXPECT_FLOAT_EQ(DrawNumberSmall(0, 0, 11), 12.0f);  // the narrow 1: 2 x (5 + 1)
  q = Quads();
  ASSERT_EQ(q.size(), 2u);
  ExpectRect(q[1].dest, 6, 0, 11, 17);

  ClearDraws();
  EXPECT_FLOAT_EQ(DrawNumberSmall(0, 0, 12345678), 0.0f);
  EXPECT_FLOAT_EQ(DrawNumberSmall(0, 0, -5), 0.0f);
  EXPECT_TRUE(Quads().empty());
}

TEST_F(Draw2DTest, DigitFontsComeFromTheirOwnRows) {
  DrawNumberTiny(0, 0, 90);
  DrawNumberLarge(0, 100, 0);
  DrawDigits(0, 200, 5, 1, g_digitsLargeSecond);
  const std::vector<Quad> q = Quads();
  ASSERT_EQ(q.size(), 4u);
  ExpectRect(q[0].src, 736, 29, 746, 41);  // tiny 9
  ExpectRect(q[1].src, 748, 29, 758, 41);  // tiny 0, after the nine
  ExpectRect(q[2].src, 1407, 1841, 1424, 1862);
  ExpectRect(q[3].src, 734, 1, 751, 22);
  for (const AtlasRect& r : g_digitsLarge) EXPECT_LE(r.right, 1586.0f);
}

TEST_F(Draw2DTest, ScaledAndColouredDigits) {
  EXPECT_FLOAT_EQ(DrawDigits(10.5f, 20.5f, 21, 2, g_digitsSmall), 2 * 10 + 1 + 2 * 5 + 1.0f);
  EXPECT_FLOAT_EQ(DrawNumberSmallColoured(0, 0, 7, 0x64FFFFFF), 11.0f);
  const std::vector<Quad> q = Quads();
  ASSERT_EQ(q.size(), 3u);
  ExpectRect(q[0].dest, 10.5f, 20.5f, 30.5f, 54.5f);  // digits are placed without rounding
  ExpectRect(q[1].dest, 31.5f, 20.5f, 41.5f, 54.5f);
  EXPECT_EQ(q[0].colour, kColourOpaque);
  EXPECT_EQ(q[2].colour, 0x64FFFFFFu);
  EXPECT_EQ(q[2].texture, g_atlasTexture.get());
}

TEST_F(Draw2DTest, WindowHasAnOpaqueTwoPixelFrameAndAColouredInside) {
  const AtlasRect window = {1000, 500, 1200, 600};  // 200 by 100
  DrawWindow(20, 30, window, kAtlasSize, kAtlasSize, 0x80102030, g_atlasTexture.get());
  const std::vector<Quad> q = Quads();
  ASSERT_EQ(q.size(), 5u);
  ExpectRect(q[0].dest, 20, 30, 220, 32);  // top
  ExpectRect(q[0].src, 1000, 500, 1200, 502);
  ExpectRect(q[1].dest, 20, 128, 220, 130);  // bottom
  ExpectRect(q[1].src, 1000, 598, 1200, 600);
  ExpectRect(q[2].dest, 20, 30, 22, 130);    // left
  ExpectRect(q[3].dest, 218, 30, 220, 130);  // right
  ExpectRect(q[3].src, 1198, 500, 1200, 600);
  ExpectRect(q[4].dest, 22, 32, 218, 128);  // inside
  ExpectRect(q[4].src, 1002, 502, 1198, 598);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(q[static_cast<size_t>(i)].colour, kColourOpaque);
  EXPECT_EQ(q[4].colour, 0x80102030u);
}

TEST_F(Draw2DTest, CentredWindowOnAnotherTexture) {
  plat::Image image;
  image.width = image.height = 2;
  image.pixels.assign(4, 0);
  const auto glyphs = g_device->CreateTexture(image);
  const AtlasRect window = {0, 0, 201, 50};
  EXPECT_FLOAT_EQ(DrawWindowCentred(10, window, kGlyphTextureSize, kGlyphTextureSize, kColourOpaque, glyphs.get()),
                  220.0f);
  const std::vector<Quad> q = Quads();
  ASSERT_EQ(q.size(), 5u);
  EXPECT_EQ(q[0].texture, glyphs.get());
  ExpectRect(q[3].dest, 419, 10, 421, 60);
  const plat::ScreenVertex& v = recorder_->current.back().screen[2];
  EXPECT_FLOAT_EQ(v.u, 199.0f / kGlyphTextureSize);
}

TEST_F(Draw2DTest, PatternTilesTheWholeScreen) {
  FillScreenPattern(kPatch32.left, kPatch32.top, kPatch32.right, kPatch32.bottom);
  std::vector<Quad> q = Quads();
  ASSERT_EQ(q.size(), 300u);
  std::set<std::pair<float, float>> corners;
  for (const Quad& quad : q) {
    EXPECT_FLOAT_EQ(quad.dest.right - quad.dest.left, 32.0f);
    EXPECT_FLOAT_EQ(quad.dest.bottom - quad.dest.top, 32.0f);
    EXPECT_EQ(quad.colour, kColourOpaque);
    EXPECT_EQ(quad.texture, g_atlasTexture.get());
    corners.insert({quad.dest.left, quad.dest.top});
  }
  EXPECT_EQ(corners.size(), 300u);
  EXPECT_EQ(corners.begin()->first, 0.0f);
  EXPECT_EQ(corners.rbegin()->first, 608.0f);
  EXPECT_EQ(corners.rbegin()->second, 448.0f);

  ClearDraws();
  FillScreenPatternColour(0, 0, 16, 16, 0x40000000);  // a smaller patch keeps the 32-pixel pitch
  q = Quads();
  ASSERT_EQ(q.size(), 300u);
  ExpectRect(q[1].dest, 32, 0, 48, 16);
  EXPECT_EQ(q[299].colour, 0x40000000u);
}

TEST_F(Draw2DTest, VerticalMenuPlacesTitleCursorAndLabelsInOrder) {
  const AtlasRect window = {1802, 1739, 1922, 1870};  // 120 wide
  const AtlasRect title = {767, 196, 871, 214};       // 104 wide
  const AtlasRect labels[3] = {{0, 0, 80, 20}, {100, 0, 137, 20}, {200, 0, 239, 20}};
  const int32_t order[2] = {2, 0};
  DrawVerticalMenu(0, 120, 1, 2, 0xC0FFFFFF, window, title, labels, order);
  const std::vector<Quad> q = Quads();
  ASSERT_EQ(q.size(), 5u + 1 + 1 + 2);
  EXPECT_EQ(q[4].colour, 0xC0FFFFFFu);
  ExpectRect(q[5].dest, 8, 126, 112, 144);  // title centred across the window
  ExpectRect(q[6].dest, 4, 182, 15, 203);   // cursor on row 1
  ExpectRect(q[6].src, 910, 1, 921, 22);
  ExpectRect(q[7].src, 200, 0, 239, 20);    // row 0 shows label 2
  ExpectRect(q[7].dest, 41, 155, 80, 175);  // (120 - 39) / 2 = 40.5 rounds to 41
  ExpectRect(q[8].src, 0, 0, 80, 20);
  ExpectRect(q[8].dest, 20, 182, 100, 202);
  for (size_t i = 5; i < q.size(); ++i) EXPECT_EQ(q[i].colour, kColourOpaque);
}

class MenuCursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KeyInit();
    plat::SetScancodeSource([this](int scancode) { return down_.count(scancode) != 0; });
    KeyPoll();
  }
  void TearDown() override {
    plat::SetScancodeSource(nullptr);
    SoundRequestsClear();
  }
  // One frame with exactly these keys down.
  int Frame(std::initializer_list<int> keys, int32_t* cursor, int32_t count) {
    down_.clear();
    for (int k : keys) down_.insert(test::HostScancode(k));
    KeyPoll();
    SoundRequestsClear();
    return MenuCursorVertical(cursor, count);
  }
  bool CursorSound() const { return g_soundRequests[kSoundCursor].requested == 1; }
  std::set<int> down_;  // SDL scancodes
};

TEST_F(MenuCursorTest, DownAndUpWrapWithASound) {
  int32_t cursor = 2;
  EXPECT_EQ(Frame({kKeyDown}, &cursor, 3), 0);
  EXPECT_EQ(cursor, 0);
  EXPECT_TRUE(CursorSound());
  EXPECT_EQ(Frame({}, &cursor, 3), 0);
  EXPECT_FALSE(CursorSound());
  EXPECT_EQ(Frame({kKeyUp}, &cursor, 3), 0);
  EXPECT_EQ(cursor, 2);
  EXPECT_TRUE(CursorSound());
  EXPECT_EQ(Frame({kKeyUp}, &cursor, 3), 0);  // held: no second move
  EXPECT_EQ(cursor, 2);
  EXPECT_FALSE(CursorSound());
  EXPECT_EQ(Frame({}, &cursor, 3), 0);
  EXPECT_EQ(Frame({kKeyUp}, &cursor, 3), 0);
  EXPECT_EQ(cursor, 1);
}

TEST_F(MenuCursorTest, OneActionAFrameAndEitherConfirmKey) {
  int32_t cursor = 0;
  EXPECT_EQ(Frame({kKeyDown, kKeyEnter}, &cursor, 3), 0);
  EXPECT_EQ(cursor, 1);
  Frame({}, &cursor, 3);
  EXPECT_EQ(Frame({kKeyDown, kKeyUp}, &cursor, 3), 0);  // Down is tested first
  EXPECT_EQ(cursor, 2);
  Frame({}, &cursor, 3);
  EXPECT_EQ(Frame({kKeyEnter}, &cursor, 3), 1);
  EXPECT_TRUE(CursorSound());
  Frame({}, &cursor, 3);
  EXPECT_EQ(Frame({kKeyZ}, &cursor, 3), 1);
  Frame({}, &cursor, 3);
  EXPECT_EQ(Frame({kKeyEscape}, &cursor, 3), 0);
  EXPECT_FALSE(CursorSound());
  EXPECT_EQ(cursor, 2);
}

}  // namespace
