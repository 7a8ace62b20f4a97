#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace tool {

namespace {

float Channel(uint32_t argb, int shift) { return static_cast<float>((argb >> shift) & 0xFFu) / 255.0f; }

uint32_t Byte(float v) {
  const float clamped = std::clamp(v, 0.0f, 1.0f);
  return static_cast<uint32_t>(std::lround(clamped * 255.0f));
}

}  // namespace

Colour FromArgb(uint32_t argb) { return {Channel(argb, 16), Channel(argb, 8), Channel(argb, 0), Channel(argb, 24)}; }

uint32_t ToArgb(const Colour& c) { return (Byte(c.a) << 24) | (Byte(c.r) << 16) | (Byte(c.g) << 8) | Byte(c.b); }

Colour Mix(const Colour& a, const Colour& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Colour Scale(const Colour& c, float k) {
  return {std::clamp(c.r * k, 0.0f, 1.0f), std::clamp(c.g * k, 0.0f, 1.0f), std::clamp(c.b * k, 0.0f, 1.0f), c.a};
}

Colour WithAlpha(const Colour& c, float a) { return {c.r, c.g, c.b, a}; }

Surface::Surface(Picture* picture, const Box& box) : picture_(picture), box_(box) {}

void Surface::Blend(int x, int y, const Colour& c, float coverage) {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  const float a = std::clamp(c.a * coverage, 0.0f, 1.0f);
  if (a <= 0.0f) return;
  uint32_t& dst = picture_->At(box_.left + x, box_.top + y);
  // The colour key and fully transparent pixels count as empty: nothing of them shows.
  Colour under = dst == kColourKey ? Colour{0, 0, 0, 0} : FromArgb(dst);
  const float outA = a + under.a * (1.0f - a);
  if (outA <= 0.0f) return;
  Colour out;
  out.r = (c.r * a + under.r * under.a * (1.0f - a)) / outA;
  out.g = (c.g * a + under.g * under.a * (1.0f - a)) / outA;
  out.b = (c.b * a + under.b * under.a * (1.0f - a)) / outA;
  out.a = outA;
  dst = ToArgb(out);
}

void Surface::Set(int x, int y, uint32_t argb) {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  picture_->At(box_.left + x, box_.top + y) = argb;
}

uint32_t Surface::Get(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
  return picture_->At(box_.left + x, box_.top + y);
}

Surface Surface::Sub(int x, int y, int w, int h) const {
  Box b{box_.left + x, box_.top + y, box_.left + x + w, box_.top + y + h};
  b.left = std::clamp(b.left, box_.left, box_.right);
  b.top = std::clamp(b.top, box_.top, box_.bottom);
  b.right = std::clamp(b.right, b.left, box_.right);
  b.bottom = std::clamp(b.bottom, b.top, box_.bottom);
  return Surface(picture_, b);
}

}  // namespace tool
