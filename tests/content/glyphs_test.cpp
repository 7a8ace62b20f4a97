// The glyph table and texture built from content/glyphs/glyphs.txt, and the conversion
// of Shift-JIS lines into rows of glyph indices.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "content_files.h"
#include "engine/text.h"
#include "platform/text_encoding.h"

namespace {

int L(const AtlasRect& r) { return static_cast<int>(r.left); }
int T(const AtlasRect& r) { return static_cast<int>(r.top); }
int R(const AtlasRect& r) { return static_cast<int>(r.right); }
int B(const AtlasRect& r) { return static_cast<int>(r.bottom); }

std::vector<int32_t> Row(const std::string& sjis) {
  std::vector<int32_t> row(kGlyphRowLength, -1);
  TextToGlyphs(row.data(), sjis.c_str());
  return row;
}

std::string Sjis(const char* utf8) { return plat::Utf8ToSjis(utf8); }

TEST(GlyphTable, RowsMatchTheGlyphListLineByLine) {
  std::ifstream in(content_test::SourceRoot() + "/content/glyphs/glyphs.txt");
  ASSERT_TRUE(in) << "content/glyphs/glyphs.txt";
  std::string line;
  int row = 0;
  for (; std::getline(in, line) && row < kGlyphCount; ++row) {
    const std::string key(g_glyphs[row].character, strnlen(g_glyphs[row].character, 4));
    EXPECT_EQ(plat::SjisToUtf8(key), line) << "row " << row;
  }
  EXPECT_EQ(row, kGlyphCount);
  EXPECT_EQ(g_glyphs[1].character[0], '\x81');  // the full-width space
  EXPECT_EQ(plat::SjisToUtf8(std::string(g_glyphs[2].character, 2)), "０");
  EXPECT_EQ(plat::SjisToUtf8(std::string(g_glyphs[11].character, 2)), "９");
  EXPECT_EQ(plat::SjisToUtf8(std::string(g_glyphs[12].character, 2)), "あ");
}

TEST(GlyphTable, EveryRectangleLiesInTheTextureClearOfThePicture) {
  EXPECT_EQ(R(g_glyphs[0].rect), 1);
  EXPECT_EQ(B(g_glyphs[0].rect), 1);
  for (int i = 1; i < kGlyphCount; ++i) {
    const AtlasRect& r = g_glyphs[i].rect;
    EXPECT_GE(L(r), 0) << i;
    EXPECT_GE(T(r), 0) << i;
    EXPECT_LE(R(r), 1024) << i;
    EXPECT_LE(B(r), 1024) << i;
    EXPECT_GT(RectWidth(r), 0.0f) << i;
    EXPECT_GT(RectHeight(r), 0.0f) << i;
    EXPECT_LE(RectWidth(r), 19.0f) << i;
    EXPECT_GE(RectHeight(r), 16.0f) << i;
    EXPECT_LE(RectHeight(r), 18.0f) << i;
    const bool clear = R(r) <= 0 || L(r) >= 640 || B(r) <= 542 || T(r) >= 1022;
    EXPECT_TRUE(clear) << "row " << i << " overlaps the picture screen's area";
  }
}

TEST(GlyphTable, RepeatedCharactersShareTheirFirstRowsRectangle) {
  int repeats = 0;
  for (int i = 1; i < kGlyphCount; ++i) {
    for (int j = 1; j < i; ++j) {
      if (std::strncmp(g_glyphs[i].character, g_glyphs[j].character, 4) != 0) continue;
      ++repeats;
      EXPECT_EQ(L(g_glyphs[i].rect), L(g_glyphs[j].rect)) << i;
      EXPECT_EQ(T(g_glyphs[i].rect), T(g_glyphs[j].rect)) << i;
      break;
    }
  }
  EXPECT_EQ(repeats, 44);
}

// A glyph is white inside a dark outline one pixel wide; its box holds the whole outline,
// so no white pixel of a glyph lies on the box's edge.
TEST(GlyphTexture, EachGlyphsOutlineIsWholeInsideItsBox) {
  content_test::Pixels tex;
  ASSERT_TRUE(content_test::ReadPixels("generated/glyphs.png", &tex));
  const auto white = [&tex](int x, int y) {
    const uint32_t p = tex.At(x, y);
    return tex.Ink(x, y) && (p >> 16 & 0xFF) > 0xC0 && (p >> 8 & 0xFF) > 0xC0 && (p & 0xFF) > 0xC0;
  };
  for (int i = 1; i < kGlyphCount; ++i) {
    const AtlasRect& r = g_glyphs[i].rect;
    int cut = 0;
    for (int x = L(r); x < R(r); ++x) {
      for (int y = T(r); y < B(r); ++y) {
        const bool edge = x == L(r) || x == R(r) - 1 || y == T(r) || y == B(r) - 1;
        cut += edge && white(x, y) ? 1 : 0;
      }
    }
    EXPECT_EQ(cut, 0) << "row " << i << ": the glyph's white reaches its box's edge";
  }
}

TEST(GlyphTexture, GlyphsHaveInkAndThePictureFillsItsArea) {
  content_test::Pixels tex;
  ASSERT_TRUE(content_test::ReadPixels("generated/glyphs.png", &tex));
  ASSERT_EQ(tex.width, 1024);
  ASSERT_EQ(tex.height, 1024);
  for (int i = 2; i < kGlyphCount; ++i) {
    const AtlasRect& r = g_glyphs[i].rect;
    int ink = 0;
    for (int y = T(r); y < B(r); ++y)
      for (int x = L(r); x < R(r); ++x) ink += tex.Ink(x, y) ? 1 : 0;
    EXPECT_GT(ink, 5) << "row " << i;
  }
  for (int y = 542; y < 1022; y += 7)
    for (int x = 0; x < 640; x += 7) ASSERT_EQ(tex.At(x, y) >> 24, 0xFFu) << x << "," << y;
}

TEST(GlyphIndex, FindsTheFirstMatchingRowOrNone) {
  int32_t index = -1;
  GlyphIndex(&index, Sjis("０").c_str());
  EXPECT_EQ(index, 2);
  GlyphIndex(&index, Sjis("あ").c_str());
  EXPECT_EQ(index, 12);
  GlyphIndex(&index, Sjis("宿").c_str());  // listed twice: the first row wins
  ASSERT_GT(index, 12);
  for (int i = 0; i < index; ++i) EXPECT_NE(std::strncmp(g_glyphs[i].character, g_glyphs[index].character, 4), 0);
  GlyphIndex(&index, Sjis("鬱").c_str());
  EXPECT_EQ(index, 0);
  GlyphIndex(&index, "A");
  EXPECT_EQ(index, 0);
}

TEST(TextToGlyphs, EmptyTextGivesAnEmptyRow) { EXPECT_EQ(Row(""), std::vector<int32_t>(kGlyphRowLength, 0)); }

TEST(TextToGlyphs, DigitsGiveTheirRowsThenZeros) {
  std::vector<int32_t> expected(kGlyphRowLength, 0);
  expected[0] = 2;
  expected[1] = 3;
  EXPECT_EQ(Row(Sjis("０１")), expected);
}

TEST(TextToGlyphs, AMissingCharacterLeavesAnEmptyCellInPlace) {
  const std::vector<int32_t> row = Row(Sjis("あ鬱い"));
  EXPECT_EQ(row[0], 12);
  EXPECT_EQ(row[1], 0);
  EXPECT_EQ(row[2], 13);
  EXPECT_EQ(row[3], 0);
}

TEST(TextToGlyphs, OnlyTwentyThreeCharactersAreConverted) {
  std::string text;
  for (int i = 0; i < 25; ++i) text += Sjis("あ");  // 50 bytes
  const std::vector<int32_t> row = Row(text);
  EXPECT_EQ(row, std::vector<int32_t>(kGlyphRowLength, 12));
}

TEST(TextToGlyphs, AOneByteCharacterShiftsThePairing) {
  // "A" then あ: the pairs become (A, first byte of あ) and (second byte of あ, end).
  const std::string text = "A" + Sjis("あい");
  const std::vector<int32_t> row = Row(text);
  EXPECT_EQ(row[0], 0);
  EXPECT_EQ(row[2], 0);
  EXPECT_NE(row[1], 13);  // い is not found where it would have been
  // An odd tail byte ends the text after one more lookup.
  const std::vector<int32_t> tail = Row(Sjis("い") + "A");
  EXPECT_EQ(tail[0], 13);
  EXPECT_EQ(tail[1], 0);
  EXPECT_EQ(std::vector<int32_t>(tail.begin() + 2, tail.end()), std::vector<int32_t>(kGlyphRowLength - 2, 0));
}

}  // namespace
