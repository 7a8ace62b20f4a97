#include "text_render.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cmath>

namespace tool {

struct Font::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Impl() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

Font::Font(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Font::~Font() = default;

float Coverage::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
  return values[static_cast<size_t>(y) * width + x];
}

std::u32string DecodeUtf8(const std::string& utf8) {
  std::u32string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1Fu) : extra == 2 ? (c & 0x0Fu) : (c & 0x07u);
    ++i;
    for (; extra > 0 && i < utf8.size(); --extra, ++i) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3Fu);
    out.push_back(cp);
  }
  return out;
}

std::unique_ptr<Font> Font::Open(const std::string& path, std::string* error) {
  auto impl = std::make_unique<Impl>();
  if (FT_Init_FreeType(&impl->library) != 0 || FT_New_Face(impl->library, path.c_str(), 0, &impl->face) != 0) {
    *error = "cannot open the font " + path + " (install fonts-ipafont-gothic)";
    return nullptr;
  }
  return std::unique_ptr<Font>(new Font(std::move(impl)));
}

bool Font::HasGlyph(char32_t c) const { return FT_Get_Char_Index(impl_->face, c) != 0; }

Coverage Font::Render(const std::u32string& text, int pixelSize, bool bold) const {
  FT_Face face = impl_->face;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
  const int ascent = static_cast<int>(std::lround(static_cast<float>(pixelSize) * 0.88f));
  Coverage out;
  out.height = pixelSize;
  // First pass measures, second draws.
  int pen = 0;
  for (char32_t c : text) {
    if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) != 0) continue;
    if (bold) FT_GlyphSlot_Embolden(face->glyph);
    pen += static_cast<int>((face->glyph->advance.x + 32) >> 6);
  }
  out.width = std::max(pen, 1);
  out.values.assign(static_cast<size_t>(out.width) * out.height, 0.0f);
  pen = 0;
  for (char32_t c : text) {
    if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) != 0) continue;
    if (bold) FT_GlyphSlot_Embolden(face->glyph);
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) continue;
    const FT_Bitmap& bm = face->glyph->bitmap;
    const int left = pen + face->glyph->bitmap_left;
    const int top = ascent - face->glyph->bitmap_top;
    for (unsigned row = 0; row < bm.rows; ++row) {
      for (unsigned col = 0; col < bm.width; ++col) {
        const int x = left + static_cast<int>(col), y = top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= out.width || y >= out.height) continue;
        float& v = out.values[static_cast<size_t>(y) * out.width + x];
        v = std::min(1.0f, v + static_cast<float>(bm.buffer[row * static_cast<unsigned>(bm.pitch) + col]) / 255.0f);
      }
    }
    pen += static_cast<int>((face->glyph->advance.x + 32) >> 6);
  }
  return out;
}

Coverage Dilate(const Coverage& c, float radius) {
  const int r = static_cast<int>(std::ceil(radius));
  Coverage out;
  out.width = c.width + 2 * r;
  out.height = c.height + 2 * r;
  out.values.assign(static_cast<size_t>(out.width) * out.height, 0.0f);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      float best = 0;
      for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
          const float d = std::sqrt(static_cast<float>(dx * dx + dy * dy));
          const float weight = std::clamp(radius + 0.5f - d, 0.0f, 1.0f);
          if (weight > 0) best = std::max(best, c.At(x - r + dx, y - r + dy) * weight);
        }
      }
      out.values[static_cast<size_t>(y) * out.width + x] = best;
    }
  }
  return out;
}

Coverage Resample(const Coverage& c, int x0, int y0, int x1, int y1, int w, int h) {
  Coverage out;
  out.width = w;
  out.height = h;
  out.values.assign(static_cast<size_t>(w) * h, 0.0f);
  const float sx = static_cast<float>(x1 - x0) / static_cast<float>(w);
  const float sy = static_cast<float>(y1 - y0) / static_cast<float>(h);
  constexpr int kSamples = 6;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float sum = 0;
      for (int j = 0; j < kSamples; ++j) {
        for (int i = 0; i < kSamples; ++i) {
          const float px =
              static_cast<float>(x0) + (static_cast<float>(x) + (static_cast<float>(i) + 0.5f) / kSamples) * sx;
          const float py =
              static_cast<float>(y0) + (static_cast<float>(y) + (static_cast<float>(j) + 0.5f) / kSamples) * sy;
          sum += c.At(static_cast<int>(px), static_cast<int>(py));
        }
      }
      out.values[static_cast<size_t>(y) * w + x] = sum / (kSamples * kSamples);
    }
  }
  return out;
}

void InkBounds(const Coverage& c, int* x0, int* y0, int* x1, int* y1) {
  *x0 = c.width;
  *y0 = c.height;
  *x1 = 0;
  *y1 = 0;
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      if (c.At(x, y) <= 0.02f) continue;
      *x0 = std::min(*x0, x);
      *y0 = std::min(*y0, y);
      *x1 = std::max(*x1, x + 1);
      *y1 = std::max(*y1, y + 1);
    }
  }
  if (*x1 <= *x0) *x0 = *y0 = *x1 = *y1 = 0;
}

void DrawCoverage(Surface& s, const Coverage& c, int x, int y, const TextStyle& style) {
  if (style.shadow.a > 0) {
    for (int j = 0; j < c.height; ++j)
      for (int i = 0; i < c.width; ++i) s.Blend(x + i + 1, y + j + 1, style.shadow, c.At(i, j));
  }
  if (style.outlineRadius > 0) {
    const Coverage ring = Dilate(c, style.outlineRadius);
    const int r = (ring.width - c.width) / 2;
    for (int j = 0; j < ring.height; ++j)
      for (int i = 0; i < ring.width; ++i) s.Blend(x + i - r, y + j - r, style.outline, ring.At(i, j));
  }
  for (int j = 0; j < c.height; ++j) {
    const float t = c.height > 1 ? static_cast<float>(j) / static_cast<float>(c.height - 1) : 0.0f;
    const Colour colour = Mix(style.top, style.bottom, t);
    for (int i = 0; i < c.width; ++i) s.Blend(x + i, y + j, colour, c.At(i, j));
  }
}

}  // namespace tool
