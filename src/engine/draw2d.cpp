#include "engine/draw2d.h"

#include <cmath>
#include <cstdio>

#include "engine/atlas.h"
#include "engine/draw.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "engine/text.h"

const AtlasRect g_digitsSmall[10] = {kAtlasDigitSmall0, kAtlasDigitSmall1, kAtlasDigitSmall2, kAtlasDigitSmall3,
                                     kAtlasDigitSmall4, kAtlasDigitSmall5, kAtlasDigitSmall6, kAtlasDigitSmall7,
                                     kAtlasDigitSmall8, kAtlasDigitSmall9};
const AtlasRect g_digitsTiny[10] = {kAtlasDigitTiny0, kAtlasDigitTiny1, kAtlasDigitTiny2, kAtlasDigitTiny3,
                                    kAtlasDigitTiny4, kAtlasDigitTiny5, kAtlasDigitTiny6, kAtlasDigitTiny7,
                                    kAtlasDigitTiny8, kAtlasDigitTiny9};
const AtlasRect g_digitsLarge[10] = {kAtlasDigitLarge0, kAtlasDigitLarge1, kAtlasDigitLarge2, kAtlasDigitLarge3,
                                     kAtlasDigitLarge4, kAtlasDigitLarge5, kAtlasDigitLarge6, kAtlasDigitLarge7,
                                     kAtlasDigitLarge8, kAtlasDigitLarge9};
const AtlasRect g_digitsLargeSecond[10] = {
    kAtlasDigitLargeB0, kAtlasDigitLargeB1, kAtlasDigitLargeB2, kAtlasDigitLargeB3, kAtlasDigitLargeB4,
    kAtlasDigitLargeB5, kAtlasDigitLargeB6, kAtlasDigitLargeB7, kAtlasDigitLargeB8, kAtlasDigitLargeB9};
const AtlasRect g_menuCursorRect = kAtlasMenuCursor;

namespace {

constexpr float kScreenWidth = 640.0f;
constexpr int kPatternPitch = 32;
constexpr int kPatternRows = 15;
constexpr int kPatternColumns = 20;
constexpr int kWindowFrame = 2;
constexpr float kMenuFirstRow = 35.0f;
constexpr float kMenuRowPitch = 27.0f;
constexpr float kMenuTitleTop = 6.0f;
constexpr float kMenuCursorLeft = 4.0f;
constexpr int kMaxDigits = 7;

const plat::Texture* Atlas() { return g_atlasTexture.get(); }

float DrawDigitsWith(float x, float y, int32_t n, float scale, uint32_t colour, const AtlasRect font[10]) {
  int32_t digits[kMaxDigits];
  const int count = NumberToDigits(n, digits);
  float total = 0.0f;
  for (int i = 0; i < count; ++i) {
    const AtlasRect& glyph = font[digits[i]];
    const float w = RectWidth(glyph) * scale;
    const float h = RectHeight(glyph) * scale;
    DrawQuad2D({x + total, y, x + total + w, y + h}, glyph, kAtlasSize, kAtlasSize, colour, Atlas());
    total += w + 1.0f;  // one pixel between digits
  }
  return total;
}

// Draws `label` centred across a window of `width` starting at x.
void DrawCentredIn(float x, float width, float y, const AtlasRect& label) {
  DrawAtlas(x + (width - RectWidth(label)) / 2.0f, y, label);
}

}  // namespace

float RoundToNearest(float value) { return std::trunc(value < 0.0f ? value - 0.5f : value + 0.5f); }

float CentreX(float width) { return (kScreenWidth - width) / 2.0f; }

void DrawSprite(float x, float y, const AtlasRect& rect, float texW, float texH, uint32_t colour,
                const plat::Texture* texture) {
  DrawSpriteExact(RoundToNearest(x), RoundToNearest(y), rect, texW, texH, colour, texture);
}

float DrawSpriteCentred(const AtlasRect& rect, float y, float texW, float texH, uint32_t colour,
                        const plat::Texture* texture) {
  const float x = RoundToNearest(CentreX(RectWidth(rect)));
  DrawSprite(x, y, rect, texW, texH, colour, texture);
  return x;
}

float DrawSpriteExact(float x, float y, const AtlasRect& rect, float texW, float texH, uint32_t colour,
                      const plat::Texture* texture) {
  DrawQuad2D({x, y, x + RectWidth(rect), y + RectHeight(rect)}, rect, texW, texH, colour, texture);
  return RectWidth(rect);
}

void DrawAtlas(float x, float y, const AtlasRect& rect, uint32_t colour) {
  DrawSprite(x, y, rect, kAtlasSize, kAtlasSize, colour, Atlas());
}

// The frame stays opaque so a translucent window still has a crisp edge.
void DrawWindow(float x, float y, const AtlasRect& r, float texW, float texH, uint32_t colour,
                const plat::Texture* texture) {
  const float f = kWindowFrame;
  const float w = RectWidth(r), h = RectHeight(r);
  DrawSprite(x, y, {r.left, r.top, r.right, r.top + f}, texW, texH, kColourOpaque, texture);
  DrawSprite(x, y + h - f, {r.left, r.bottom - f, r.right, r.bottom}, texW, texH, kColourOpaque, texture);
  DrawSprite(x, y, {r.left, r.top, r.left + f, r.bottom}, texW, texH, kColourOpaque, texture);
  DrawSprite(x + w - f, y, {r.right - f, r.top, r.right, r.bottom}, texW, texH, kColourOpaque, texture);
  DrawSprite(x + f, y + f, {r.left + f, r.top + f, r.right - f, r.bottom - f}, texW, texH, colour, texture);
}

float DrawWindowCentred(float y, const AtlasRect& rect, float texW, float texH, uint32_t colour,
                        const plat::Texture* texture) {
  const float x = RoundToNearest(CentreX(RectWidth(rect)));
  DrawWindow(x, y, rect, texW, texH, colour, texture);
  return x;
}

// Negative numbers have no digits: their sign would not map to a picture.
int NumberToDigits(int32_t n, int32_t digits[7]) {
  if (n < 0) return 0;
  char text[16];
  const int count = std::snprintf(text, sizeof text, "%d", n);
  if (count < 1 || count > kMaxDigits) return 0;
  for (int i = 0; i < count; ++i) digits[i] = text[i] - '0';
  return count;
}

float DrawDigits(float x, float y, int32_t n, int scale, const AtlasRect font[10]) {
  return DrawDigitsWith(x, y, n, static_cast<float>(scale), kColourOpaque, font);
}

float DrawDigitsColoured(float x, float y, int32_t n, uint32_t colour, const AtlasRect font[10]) {
  return DrawDigitsWith(x, y, n, 1.0f, colour, font);
}

float DrawNumberSmall(float x, float y, int32_t n) { return DrawDigits(x, y, n, 1, g_digitsSmall); }

float DrawNumberSmallColoured(float x, float y, int32_t n, uint32_t colour) {
  return DrawDigitsColoured(x, y, n, colour, g_digitsSmall);
}

float DrawNumberTiny(float x, float y, int32_t n) { return DrawDigits(x, y, n, 1, g_digitsTiny); }

float DrawNumberLarge(float x, float y, int32_t n) { return DrawDigits(x, y, n, 1, g_digitsLarge); }

void FillScreenPattern(float left, float top, float right, float bottom) {
  FillScreenPatternColour(left, top, right, bottom, kColourOpaque);
}

void FillScreenPatternColour(float left, float top, float right, float bottom, uint32_t colour) {
  const AtlasRect patch = {left, top, right, bottom};
  for (int row = 0; row < kPatternRows; ++row) {
    for (int column = 0; column < kPatternColumns; ++column) {
      DrawAtlas(static_cast<float>(column * kPatternPitch), static_cast<float>(row * kPatternPitch), patch, colour);
    }
  }
}

int MenuCursorVertical(int32_t* cursor, int32_t count) {
  if (KeyPressed(kKeyDown)) {
    *cursor = *cursor + 1 > count - 1 ? 0 : *cursor + 1;
  } else if (KeyPressed(kKeyUp)) {
    *cursor = *cursor - 1 < 0 ? count - 1 : *cursor - 1;
  } else if (KeyPressed(kKeyEnter) || KeyPressed(kKeyZ)) {
    SoundRequest(kSoundCursor, 0);
    return 1;
  } else {
    return 0;
  }
  SoundRequest(kSoundCursor, 0);
  return 0;
}

void DrawVerticalMenu(float x, float y, int32_t cursor, int32_t count, uint32_t colour, const AtlasRect& windowRect,
                      const AtlasRect& titleRect, const AtlasRect* labels, const int32_t* order) {
  const float width = RectWidth(windowRect);
  DrawWindow(x, y, windowRect, kAtlasSize, kAtlasSize, colour, Atlas());
  DrawCentredIn(x, width, y + kMenuTitleTop, titleRect);
  DrawAtlas(x + kMenuCursorLeft, y + kMenuFirstRow + static_cast<float>(cursor) * kMenuRowPitch, kAtlasMenuCursor);
  for (int32_t i = 0; i < count; ++i) {
    DrawCentredIn(x, width, y + kMenuFirstRow + static_cast<float>(i) * kMenuRowPitch, labels[order[i]]);
  }
}

void DrawGlyphRow(float x, float y, const int32_t* row, int count) {
  float pen = x;
  for (int i = 0; i < count; ++i) {
    const int32_t g = row[i];
    if (g < 1 || g >= kGlyphCount) continue;
    const AtlasRect& rect = g_glyphs[g].rect;
    const float top = y + RoundToNearest((20.0f - RectHeight(rect)) / 2.0f);
    DrawSprite(pen, top, rect, kGlyphTextureSize, kGlyphTextureSize, kColourOpaque, g_fontTexture.get());
    pen += RectWidth(rect) + 4.0f;
  }
}
