// The 2D vocabulary every screen is written in: sprites cut from the interface atlas,
// framed windows, digit fonts, screen patterns and the vertical menu.
#pragma once

#include <cstdint>

#include "engine/rect.h"
#include "platform/gpu.h"

constexpr float kAtlasSize = 2048.0f;
constexpr float kGlyphTextureSize = 1024.0f;
constexpr uint32_t kColourOpaque = 0xFFFFFFFF;
constexpr uint32_t kColourDisabled = 0x64FFFFFF;  // entries that cannot be chosen

float RoundToNearest(float value);
float CentreX(float width);
void DrawSprite(float x, float y, const AtlasRect& rect, float texW, float texH, uint32_t colour,
                const plat::Texture* texture);
float DrawSpriteCentred(const AtlasRect& rect, float y, float texW, float texH, uint32_t colour,
                        const plat::Texture* texture);
float DrawSpriteExact(float x, float y, const AtlasRect& rect, float texW, float texH, uint32_t colour,
                      const plat::Texture* texture);
// Shorthands for the atlas at its size.
void DrawAtlas(float x, float y, const AtlasRect& rect, uint32_t colour = kColourOpaque);
void DrawWindow(float x, float y, const AtlasRect& rect, float texW, float texH, uint32_t colour,
                const plat::Texture* texture);
float DrawWindowCentred(float y, const AtlasRect& rect, float texW, float texH, uint32_t colour,
                        const plat::Texture* texture);

// Decimal digits of n, most significant first; 0 when n needs more than 7 digits.
int NumberToDigits(int32_t n, int32_t digits[7]);
float DrawDigits(float x, float y, int32_t n, int scale, const AtlasRect font[10]);
float DrawDigitsColoured(float x, float y, int32_t n, uint32_t colour, const AtlasRect font[10]);
float DrawNumberSmall(float x, float y, int32_t n);
float DrawNumberSmallColoured(float x, float y, int32_t n, uint32_t colour);
float DrawNumberTiny(float x, float y, int32_t n);
float DrawNumberLarge(float x, float y, int32_t n);

extern const AtlasRect g_digitsSmall[10];
extern const AtlasRect g_digitsTiny[10];
extern const AtlasRect g_digitsLarge[10];
extern const AtlasRect g_digitsLargeSecond[10];
extern const AtlasRect g_menuCursorRect;

// One line of message text from the glyph texture, its band's top at y: glyphs are
// proportional, each advancing the pen by its width and 4 pixels and sitting centred in
// the 20-pixel band. Index 0 (and anything outside the table) takes no room.
void DrawGlyphRow(float x, float y, const int32_t* row, int count);

void FillScreenPattern(float left, float top, float right, float bottom);
void FillScreenPatternColour(float left, float top, float right, float bottom, uint32_t colour);

// Down, Up, then Enter or Z; one action a frame. 1 when confirmed.
int MenuCursorVertical(int32_t* cursor, int32_t count);
void DrawVerticalMenu(float x, float y, int32_t cursor, int32_t count, uint32_t colour, const AtlasRect& windowRect,
                      const AtlasRect& titleRect, const AtlasRect* labels, const int32_t* order);
