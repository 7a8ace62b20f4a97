#include "engine/text.h"

#include <cstring>

// The rows come from the glyph texture's build step, which places every character.
const Glyph g_glyphs[kGlyphCount] = {
#include "glyph_table.inc"
};

void GlyphIndex(int32_t* index, const char* character) {
  *index = 0;
  for (int i = 0; i < kGlyphCount; ++i) {
    if (std::strncmp(g_glyphs[i].character, character, sizeof g_glyphs[i].character) == 0) {
      *index = i;
      return;
    }
  }
}

void TextToGlyphs(int32_t row[kGlyphRowLength], const char* text) {
  for (int i = 0; i < kGlyphRowLength; ++i) row[i] = 0;
  for (int column = 0; column < kGlyphRowLength && text[0] != 0; ++column, text += 2) {
    const char key[4] = {text[0], text[1], 0, 0};
    GlyphIndex(&row[column], key);
    // A lone last byte is looked up (and matches nothing), and the text ends there.
    if (text[1] == 0) break;
  }
}
