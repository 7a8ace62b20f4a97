// Shift-JIS message text turned into rows of glyph indices, drawn from the glyph texture.
#pragma once

#include <cstdint>

#include "engine/rect.h"

constexpr int kGlyphCount = 659;
constexpr int kGlyphRowLength = 23;  // characters in one line of text
constexpr int kTextLineBytes = 46;

struct Glyph {
  char character[4];  // two Shift-JIS bytes and two zeros; row 0 all zero
  AtlasRect rect;     // in the glyph texture
};

extern const Glyph g_glyphs[kGlyphCount];

void GlyphIndex(int32_t* index, const char* character);
void TextToGlyphs(int32_t row[kGlyphRowLength], const char* text);
