#include "engine/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_encoding.h"

namespace {

std::vector<int32_t> Row(const std::string& sjis) {
  std::vector<int32_t> row(kGlyphRowLength, -1);
  TextToGlyphs(row.data(), sjis.c_str());
  return row;
}

std::string Sjis(const char* utf8) { return plat::Utf8ToSjis(utf8); }

// Shift-JIS text to a row of glyph indices: two bytes a character, 23 at most, 0 for a
// character the table lacks, zeros after the end.
TEST(TextToGlyphs, PairsBytesIntoRowsOfTheTable) {
  struct Case {
    std::string text;
    std::vector<int32_t> start;  // the row's first cells; the rest must be 0
  };
  const std::string a25 = [] {
    std::string t;
    for (int i = 0; i < 25; ++i) t += Sjis("あ");
    return t;
  }();
  const Case cases[] = {
      {"", {}},
      {Sjis("０１"), {2, 3}},
      {Sjis("あ鬱い"), {12, 0, 13}},
      {a25, std::vector<int32_t>(kGlyphRowLength, 12)},
      {Sjis("い") + "A", {13}},  // an odd tail byte ends the text
  };
  for (const Case& c : cases) {
    std::vector<int32_t> expected = c.start;
    expected.resize(kGlyphRowLength, 0);
    EXPECT_EQ(Row(c.text), expected) << plat::SjisToUtf8(c.text);
  }
}

}  // namespace
