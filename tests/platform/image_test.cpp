#include "platform/image.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <string>
#include <vector>

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

// Red and green across the top, blue and white across the bottom, in 8 by 8 quarters.
constexpr uint32_t kQuarters[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
plat::Image Quarters() {
  return test::MakeImage(16, 16, [](int x, int y) { return kQuarters[(y / 8) * 2 + x / 8]; });
}

// A PNG written by libpng itself, top row first, from the picture's colours.
Bytes LibpngBytes(const plat::Image& image, png_uint_32 format) {
  const int channels = format == PNG_FORMAT_RGBA ? 4 : 3;
  std::vector<uint8_t> samples;
  for (uint32_t p : image.pixels) {
    for (int shift : {16, 8, 0, 24}) {
      if (shift != 24 || channels == 4) samples.push_back(static_cast<uint8_t>(p >> shift));
    }
  }
  png_image info{};
  info.version = PNG_IMAGE_VERSION;
  info.width = static_cast<png_uint_32>(image.width);
  info.height = static_cast<png_uint_32>(image.height);
  info.format = format;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(info, size, 0, samples.data(), 0, nullptr)) return {};
  Bytes file(size);
  if (!png_image_write_to_memory(&info, file.data(), &size, 0, samples.data(), 0, nullptr)) return {};
  file.resize(size);
  return file;
}

// Every format the game reads comes out the right way up and in its own colours: each
// quarter of the picture where it was and of the colour it was.
TEST(DecodeImageTest, EachFormatKeepsItsQuartersWhereTheyBelongInTheirColours) {
  const plat::Image source = Quarters();
  const struct {
    std::string name;
    Bytes file;
    int tolerance;  // per channel
  } kFormats[] = {
      {"PNG, RGBA by libpng", LibpngBytes(source, PNG_FORMAT_RGBA), 0},
      {"PNG, RGB by libpng", LibpngBytes(source, PNG_FORMAT_RGB), 0},
      {"PNG, the tools' writer", test::PngBytes(source), 0},
      {"JPEG", test::JpegBytes(source, 95), 24},
      {"BMP, 24 bits bottom-up", test::BmpBytes(source, 24, false), 0},
      {"BMP, 24 bits top-down", test::BmpBytes(source, 24, true), 0},
      {"BMP, 32 bits bottom-up", test::BmpBytes(source, 32, false), 0},
      {"BMP, 8 bits bottom-up", test::BmpBytes(source, 8, false), 0},
      {"BMP, 8 bits top-down", test::BmpBytes(source, 8, true), 0},
  };
  for (const auto& f : kFormats) {
    SCOPED_TRACE(f.name);
    plat::Image decoded;
    ASSERT_TRUE(Decodes(f.file, decoded));
    ASSERT_EQ(decoded.width, 16);
    ASSERT_EQ(decoded.height, 16);
    for (int q = 0; q < 4; ++q) {
      const uint32_t got =
          decoded.pixels[static_cast<size_t>((q / 2) * 8 + 4) * 16 + static_cast<size_t>((q % 2) * 8 + 4)];
      EXPECT_EQ(got >> 24, 0xFFu) << "quarter " << q;
      for (int shift : {16, 8, 0}) {
        EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), static_cast<int>((kQuarters[q] >> shift) & 0xFF),
                    f.tolerance)
            << "quarter " << q << ", channel at bit " << shift;
      }
    }
  }
}

// A BMP's rows lie in the file bottom row first unless its height is negative: the same
// two rows of bytes give a picture and its upside-down twin.
TEST(DecodeImageTest, ABmpsRowOrderFollowsTheSignOfItsHeight) {
  for (const bool topDown : {false, true}) {
    Bytes file = {'B', 'M'};
    PutU32(file, 14 + 40 + 16);
    PutU32(file, 0);
    PutU32(file, 14 + 40);
    PutU32(file, 40);
    PutU32(file, 2);
    PutU32(file, topDown ? static_cast<uint32_t>(-2) : 2u);
    PutU16(file, 1);
    PutU16(file, 24);
    for (int i = 0; i < 6; ++i) PutU32(file, 0);
    // The first stored row: red, green; the second: blue, white (B, G, R bytes).
    for (uint8_t b : {0, 0, 255, 0, 255, 0, 0, 0}) file.push_back(b);
    for (uint8_t b : {255, 0, 0, 255, 255, 255, 0, 0}) file.push_back(b);
    plat::Image decoded;
    ASSERT_TRUE(Decodes(file, decoded));
    const std::vector<uint32_t> firstStored = {0xFFFF0000u, 0xFF00FF00u}, secondStored = {0xFF0000FFu, 0xFFFFFFFFu};
    const std::vector<uint32_t> top(decoded.pixels.begin(), decoded.pixels.begin() + 2);
    const std::vector<uint32_t> bottom(decoded.pixels.begin() + 2, decoded.pixels.end());
    EXPECT_EQ(top, topDown ? firstStored : secondStored) << (topDown ? "top-down" : "bottom-up");
    EXPECT_EQ(bottom, topDown ? secondStored : firstStored) << (topDown ? "top-down" : "bottom-up");
  }
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

// Grey, grey with alpha and colour without alpha come out as the same ARGB words too.
class PngKindsTest : public ::testing::TestWithParam<int> {};

TEST_P(PngKindsTest, ComeOutAsArgbWords) {
  const int channels = GetParam();
  constexpr png_uint_32 kFormats[] = {0, PNG_FORMAT_GRAY, PNG_FORMAT_GA, PNG_FORMAT_RGB};
  std::vector<uint8_t> samples(static_cast<size_t>(6 * channels));
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(17 + 29 * i);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = 3;
  image.height = 2;
  image.format = kFormats[channels];
  png_alloc_size_t size = 0;
  ASSERT_TRUE(png_image_write_get_memory_size(image, size, 0, samples.data(), 0, nullptr));
  Bytes file(size);
  ASSERT_TRUE(png_image_write_to_memory(&image, file.data(), &size, 0, samples.data(), 0, nullptr));
  plat::Image decoded;
  ASSERT_TRUE(Decodes(file, decoded));
  ASSERT_EQ(decoded.pixels.size(), 6u);
  for (size_t i = 0; i < 6; ++i) {
    const uint8_t* p = &samples[i * static_cast<size_t>(channels)];
    const uint32_t alpha = channels == 2 ? p[1] : 0xFFu;
    const uint32_t rgb = channels == 3 ? (uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]) : p[0] * 0x010101u;
    EXPECT_EQ(decoded.pixels[i], alpha << 24 | rgb) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(GreyGreyAlphaAndRgb, PngKindsTest, ::testing::Values(1, 2, 3));

// A JPEG comes out opaque and close to its source's colour.
TEST(DecodeImageTest, JpegComesOutOpaqueAndCloseToTheSource) {
  const plat::Image source = test::SolidImage(16, 8, 0xFF3080C0);
  plat::Image decoded;
  ASSERT_TRUE(Decodes(test::JpegBytes(source, 100), decoded));
  ASSERT_EQ(decoded.width, 16);
  ASSERT_EQ(decoded.height, 8);
  for (uint32_t p : decoded.pixels) {
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 0x30, 3);
    EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 0x80, 3);
    EXPECT_NEAR(static_cast<int>(p & 0xFF), 0xC0, 3);
  }
}

// Odd widths exercise the row padding; the fourth byte of a 32-bit pixel is not alpha.
TEST(DecodeImageTest, BmpInEveryLayoutGivesTheSamePicture) {
  const plat::Image source = Opaque(Pattern(5, 3));
  for (int bits : {8, 24, 32}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(testing::Message() << bits << " bits, top-down " << topDown);
      plat::Image decoded;
      ASSERT_TRUE(Decodes(test::BmpBytes(source, bits, topDown), decoded));
      ExpectSame(decoded, source);
    }
  }
}

TEST(DecodeImageTest, UnknownOrMissingBytesAreRefused) {
  plat::Image out;
  EXPECT_FALSE(plat::DecodeImage(nullptr, 0, out));
  EXPECT_FALSE(Decodes(test::ToBytes("GIF89a......"), out));
  EXPECT_FALSE(Decodes(Bytes(64, 0), out));
  Bytes png = test::PngBytes(Pattern(4, 4));
  png[png.size() / 2] ^= 0x55;  // a damaged chunk fails its check
  EXPECT_FALSE(Decodes(png, out));
}

TEST(ColourKeyTest, OnlyTheExactColourBecomesTransparent) {
  plat::Image image;
  image.width = 5;
  image.height = 1;
  image.pixels = {0xFF00FF00, 0xFF00FE00, 0x7F00FF00, 0xFF01FF00, 0xFF00FF00};
  plat::ApplyColourKey(image, 0xFF00FF00);
  EXPECT_EQ(image.pixels, (std::vector<uint32_t>{0x00000000, 0xFF00FE00, 0x7F00FF00, 0xFF01FF00, 0x00000000}));
}

}  // namespace
