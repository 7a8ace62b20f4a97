// A plain ARGB picture for the content tools, and a clipped window into it that the
// painters draw through in their own coordinates.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tool {

// Pure green is the loader's colour key: it becomes transparent in the game.
constexpr uint32_t kColourKey = 0xFF00FF00u;

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, row by row

  Picture() = default;
  Picture(int w, int h, uint32_t fill) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
  uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// Floating colour with straight alpha, 0 to 1 per channel.
struct Colour {
  float r = 0, g = 0, b = 0, a = 1;
};

Colour FromArgb(uint32_t argb);
uint32_t ToArgb(const Colour& c);
Colour Mix(const Colour& a, const Colour& b, float t);
Colour Scale(const Colour& c, float k);  // brightness, alpha kept
Colour WithAlpha(const Colour& c, float a);

// A clipped view of a picture with its own origin: painters see (0, 0) at the view's
// top-left corner and cannot touch anything outside it.
class Surface {
 public:
  Surface(Picture* picture, const Box& box);
  int Width() const { return box_.Width(); }
  int Height() const { return box_.Height(); }
  // Source-over blend of the colour at the given coverage (0 to 1).
  void Blend(int x, int y, const Colour& c, float coverage = 1.0f);
  void Set(int x, int y, uint32_t argb);
  uint32_t Get(int x, int y) const;
  Surface Sub(int x, int y, int w, int h) const;
  const Box& Area() const { return box_; }
  Picture* Target() const { return picture_; }

 private:
  Picture* picture_;
  Box box_;
};

}  // namespace tool
