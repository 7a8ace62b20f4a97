#include "platform/image.h"

#include <gtest/gtest.h>

#include "platform/bytes.h"
#include "support/gfx.h"

namespace {

using test::Bytes;

// Every pixel different, with a few alpha levels.
plat::Image Pattern(int w, int h) {
  return test::MakeImage(w, h, [](int x, int y) {
    const uint32_t alpha = (x + y) % 3 == 0 ? 0xFFu : (x + y) % 3 == 1 ? 0x80u : 0x00u;
    return (alpha << 24) | static_cast<uint32_t>(x * 40) << 16 | static_cast<uint32_t>(y * 30) << 8 |
           static_cast<uint32_t>((x ^ y) * 7);
  });
}

plat::Image Opaque(const plat::Image& image) {
  plat::Image out = image;
  for (uint32_t& p : out.pixels) p |= 0xFF000000u;
  return out;
}

bool Decodes(const Bytes& bytes, plat::Image& out) { return plat::DecodeImage(bytes.data(), bytes.size(), out); }

void ExpectSame(const plat::Image& a, const plat::Image& b) {
  ASSERT_EQ(a.width, b.width);
  ASSERT_EQ(a.height, b.height);
  EXPECT_EQ(a.pixels, b.pixels);
}

TEST(DecodeImageTest, PngKeepsEveryPixelAndItsAlpha) {
  const plat::Image source = Pattern(7, 5);
  plat::Image decoded;
  ASSERT_TRUE(Decodes(test::PngBytes(source), decoded));
  ExpectSame(decoded, source);
}

TEST(DecodeImageTest, EveryTruncationFailsCleanly) {
  const plat::Image source = Opaque(Pattern(9, 6));
  const Bytes files[] = {test::PngBytes(source), test::JpegBytes(source, 90), test::BmpBytes(source, 24, false),
                         test::BmpBytes(source, 8, true)};
  for (const Bytes& file : files) {
    for (size_t cut = 0; cut < file.size(); ++cut) {
      // A copy of exactly `cut` bytes, so a read past it is caught by the sanitizer.
      const Bytes part(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut));
      plat::Image out;
      out.width = 99;
      EXPECT_FALSE(plat::DecodeImage(part.data(), part.size(), out)) << "cut at " << cut << " of " << file.size();
      EXPECT_EQ(out.width, 0);
      EXPECT_TRUE(out.pixels.empty());
    }
  }
}

// Each kind's header gives the size the picture decodes to, read without reading past
// the bytes given; a header cut short or too large gives none.
TEST(DecodeImageTest, TheHeaderAloneGivesTheDecodedSize) {
  const plat::Image source = Opaque(Pattern(9, 6));
  const Bytes files[] = {test::PngBytes(source), test::JpegBytes(source, 90), test::BmpBytes(source, 24, true),
                         test::BmpBytes(source, 8, false)};
  for (const Bytes& file : files) {
    int width = 0, height = 0;
    ASSERT_TRUE(plat::ImageSize(file.data(), file.size(), &width, &height));
    EXPECT_EQ(width, 9);
    EXPECT_EQ(height, 6);
    for (size_t cut = 0; cut < 24 && cut < file.size(); ++cut) {
      const Bytes part(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut));
      EXPECT_FALSE(plat::ImageSize(part.data(), part.size(), &width, &height)) << "cut at " << cut;
    }
  }
  int width = 0, height = 0;
  const Bytes tooWide = test::PngBytes(test::SolidImage(2049, 1, 0xFF000000));
  EXPECT_FALSE(plat::ImageSize(tooWide.data(), tooWide.size(), &width, &height));
  EXPECT_FALSE(plat::ImageSize(nullptr, 0, &width, &height));
}

TEST(DecodeImageTest, BmpHeadersThatLieAreRefused) {
  const Bytes good = test::BmpBytes(Opaque(Pattern(4, 4)), 24, false);
  struct Lie {
    const char* what;
    size_t at;
    uint32_t value;
  };
  const Lie lies[] = {
      {"pixels start past the end", 10, 5000},
      {"taller than the data", 22, 400},
      {"far too wide", 18, 100000},
      {"no height", 22, 0},
      {"negative width", 18, 0xFFFFFFFC},
      {"compressed", 30, 1},
      {"info header longer than the file", 14, 4000},
  };
  for (const Lie& lie : lies) {
    Bytes bad = good;
    StoreU32(bad.data() + lie.at, lie.value);
    plat::Image out;
    EXPECT_FALSE(Decodes(bad, out)) << lie.what;
  }
  Bytes bits16 = good;
  bits16[28] = 16;
  plat::Image out;
  EXPECT_FALSE(Decodes(bits16, out)) << "16 bits a pixel";
  // Two colours in the palette; the last pixel byte then points at entry 7.
  Bytes palette =
      test::BmpBytes(test::MakeImage(2, 1, [](int x, int) { return x ? 0xFFFF0000u : 0xFF0000FFu; }), 8, false);
  ASSERT_TRUE(Decodes(palette, out));
  palette[palette.size() - 3] = 7;  // second pixel of the only row (the row is padded to 4 bytes)
  EXPECT_FALSE(Decodes(palette, out)) << "a palette index past the palette";
}

}  // namespace
