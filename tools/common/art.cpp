#include "art.h"

#include <algorithm>
#include <cmath>

namespace tool {

namespace {

TextStyle Lettering(uint32_t top, uint32_t bottom, uint32_t outline) {
  TextStyle t;
  t.top = Rgb(top);
  t.bottom = Rgb(bottom);
  t.outline = Rgb(outline);
  return t;
}

}  // namespace

TextStyle PlainText() { return Lettering(0xFFFFFF, 0xD6DEF6, 0x0B0D22); }
TextStyle GoldText() { return Lettering(0xFFF4C2, 0xE6A436, 0x2A1606); }
TextStyle RedText() { return Lettering(0xFFD8CC, 0xFF5A3C, 0x2A0606); }
TextStyle GreenText() { return Lettering(0xE6FFE0, 0x5EE27A, 0x06220C); }

int FitTextSize(const Font& font, const std::u32string& text, int w, int h, int largest, bool bold) {
  for (int size = std::min(largest, h - 2); size > 6; --size) {
    const Coverage c = font.Render(text, size, bold);
    int x0, y0, x1, y1;
    InkBounds(c, &x0, &y0, &x1, &y1);
    if (x1 - x0 + 3 <= w && y1 - y0 + 3 <= h) return size;
  }
  return 7;
}

void DrawText(Surface& s, const Font& font, const std::string& utf8, int align, const TextStyle& style, bool bold,
              int largest) {
  const std::u32string text = DecodeUtf8(utf8);
  if (text.empty()) return;
  const int size = FitTextSize(font, text, s.Width(), s.Height(), largest, bold);
  const Coverage c = font.Render(text, size, bold);
  int x0, y0, x1, y1;
  InkBounds(c, &x0, &y0, &x1, &y1);
  // Centre the ink vertically; place it one pixel in from the left, or centred.
  const int x = align == 0 ? 1 - x0 : (s.Width() - (x1 - x0)) / 2 - x0;
  const int y = (s.Height() - (y1 - y0)) / 2 - y0;
  DrawCoverage(s, c, x, y, style);
}

namespace {

struct WindowColours {
  Colour top, bottom, edge;
};

WindowColours WindowStyle(const std::string& style) {
  if (style == "red") return {Rgb(0x7A2234), Rgb(0x2C0A14), Rgb(0xF2D6B0)};
  if (style == "green") return {Rgb(0x1E5A44), Rgb(0x0A2418), Rgb(0xE4F0C8)};
  if (style == "dark") return {Rgb(0x1C1C2E), Rgb(0x08080E), Rgb(0xC8C8D8)};
  if (style == "gold") return {Rgb(0x5C4418), Rgb(0x241806), Rgb(0xFFE8A8)};
  return {Rgb(0x2B4394), Rgb(0x0E1746), Rgb(0xF4E6B8)};
}

}  // namespace

void DrawWindowArt(Surface& s, const std::string& style) {
  const WindowColours c = WindowStyle(style);
  const int w = s.Width(), h = s.Height();
  const Colour dark = Rgb(0x070914);
  for (int y = 0; y < h; ++y) {
    const float t = h > 1 ? static_cast<float>(y) / static_cast<float>(h - 1) : 0.0f;
    for (int x = 0; x < w; ++x) {
      const bool outer = x == 0 || y == 0 || x == w - 1 || y == h - 1;
      const bool inner = x == 1 || y == 1 || x == w - 2 || y == h - 2;
      if (outer) {
        // The light edge shades from top-left to bottom-right like a bevel.
        const float k = (x == 0 || y == 0) ? 1.0f : 0.72f;
        s.Set(x, y, ToArgb(Scale(c.edge, k)));
      } else if (inner) {
        s.Set(x, y, ToArgb(dark));
      } else {
        Colour in = Mix(c.top, c.bottom, t);
        // A faint sheen near the top and fine grain keep large windows from looking flat.
        const float sheen = std::max(0.0f, 1.0f - static_cast<float>(y - 2) / 10.0f) * 0.10f;
        const float grain = (Hash01(x, y, 7u) - 0.5f) * 0.03f;
        in = Scale(in, 1.0f + sheen + grain);
        s.Set(x, y, ToArgb(in));
      }
    }
  }
}

void DrawPlate(Surface& s, const Colour& fill) {
  const float w = static_cast<float>(s.Width()), h = static_cast<float>(s.Height());
  FillShape(s, RoundRect(0, 0, w, h, 6), Rgb(0xE8D49A));
  FillShape(s, RoundRect(1, 1, w - 2, h - 2, 5), Rgb(0x080A18));
  FillShape(s, RoundRect(2, 2, w - 4, h - 4, 4), Vertical(Scale(fill, 1.25f), Scale(fill, 0.7f), 2, h - 2));
}

}  // namespace tool
