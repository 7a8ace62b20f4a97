#include "decals.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace meshgen {

namespace {

uint32_t Hash(int x, int y, int seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               static_cast<uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

double Rand(int x, int y, int seed) { return (Hash(x, y, seed) & 0xFFFF) / 65535.0; }

double Smooth(double t) { return t * t * (3 - 2 * t); }

// Value noise on a grid of `cells` cells across the unit square.
double Noise(double u, double v, double cells, int seed) {
  const double x = u * cells, y = v * cells;
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  const double fx = Smooth(x - ix), fy = Smooth(y - iy);
  const double a = Rand(ix, iy, seed), b = Rand(ix + 1, iy, seed);
  const double c = Rand(ix, iy + 1, seed), d = Rand(ix + 1, iy + 1, seed);
  return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

void Scale(const double base[3], double k, double out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = std::clamp(base[i] * k, 0.0, 1.0);
}

void Mix(const double a[3], const double b[3], double t, double out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = a[i] + (b[i] - a[i]) * t;
}

// Boards side by side across u; `count` boards with dark seams, grain along v.
void Wood(double u, double v, int count, const double base[3], double out[3]) {
  const int board = std::min(count - 1, static_cast<int>(u * count));
  const double local = u * count - board;
  const double tint = 0.86 + 0.2 * Rand(board, 0, 7);
  const double grain = 0.08 * std::sin((v * 14 + Rand(board, 1, 7) * 6 + Noise(u * 3, v, 6, board) * 3) * 3.1);
  double k = tint + grain + 0.06 * (Noise(u, v, 12, 3) - 0.5);
  if (local < 0.07 || local > 0.97) k *= 0.45;
  const double nailV = std::min(std::fabs(v - 0.1), std::fabs(v - 0.9));
  if (std::hypot((local - 0.5) / count, nailV) < 0.02) k *= 0.5;
  Scale(base, k, out);
}

// Courses of blocks; `rows` courses, each block `perRow` wide, mortar in the accent.
void Masonry(double u, double v, int rows, int perRow, double jitter, const double base[3], const double accent[3],
             double out[3]) {
  const int row = std::min(rows - 1, static_cast<int>(v * rows));
  const double lv = v * rows - row;
  const double shift = (row % 2) * 0.5 + jitter * (Rand(row, 5, 11) - 0.5);
  const double x = u * perRow + shift;
  const int block = static_cast<int>(std::floor(x));
  const double lu = x - block;
  const double k = 0.82 + 0.28 * Rand(block, row, 13) + 0.12 * (Noise(u, v, 16, 17) - 0.5);
  Scale(base, k, out);
  const double edge = std::min({lu, 1 - lu, lv * perRow / rows * 1.0, (1 - lv) * perRow / rows * 1.0});
  if (edge < 0.05) Mix(out, accent, 0.85, out);
}

// A rune: strokes between points of a 3 by 4 lattice chosen by `seed`.
bool RuneStroke(double u, double v, int seed) {
  for (int s = 0; s < 4; ++s) {
    const double ax = (Hash(s, 0, seed) % 3) / 2.0, ay = (Hash(s, 1, seed) % 4) / 3.0;
    const double bx = (Hash(s, 2, seed) % 3) / 2.0, by = (Hash(s, 3, seed) % 4) / 3.0;
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((u - ax) * dx + (v - ay) * dy) / len2, 0.0, 1.0) : 0.0;
    if (std::hypot(u - (ax + dx * t), v - (ay + dy * t)) < 0.11) return true;
  }
  return false;
}

void Runes(double u, double v, const double base[3], const double accent[3], double out[3]) {
  Scale(base, 0.85 + 0.3 * Noise(u, v, 10, 21), out);
  // A column of three glyphs down the middle.
  if (u < 0.3 || u > 0.7 || v < 0.1 || v > 0.9) return;
  const int glyph = static_cast<int>((v - 0.1) / 0.8 * 3);
  const double gu = (u - 0.3) / 0.4, gv = (v - 0.1) / 0.8 * 3 - glyph;
  if (RuneStroke(gu * 1.3 - 0.15, gv * 1.3 - 0.15, glyph + 40)) Mix(out, accent, 1.0, out);
}

void Sign(double u, double v, const double base[3], const double accent[3], double out[3]) {
  Wood(v, u, 3, base, out);  // boards lying across
  if (u < 0.05 || u > 0.95 || v < 0.07 || v > 0.93) {
    Scale(out, 0.6, out);
    return;
  }
  // Two lines of hand-painted letters.
  for (int line = 0; line < 2; ++line) {
    const double top = 0.22 + line * 0.34, bottom = top + 0.22;
    if (v < top || v > bottom) continue;
    const double lu = (u - 0.12) / 0.76;
    if (lu < 0 || lu > (line ? 0.7 : 1.0)) continue;
    const int letter = static_cast<int>(lu * 6);
    const double gu = lu * 6 - letter, gv = (v - top) / (bottom - top);
    if (gu > 0.12 && gu < 0.88 && RuneStroke(gu * 1.2 - 0.1, gv, letter + 10 * line + 3)) Mix(out, accent, 1, out);
  }
}

// One dressed stone: mottled face, darker worn edges.
void Block(double u, double v, const double base[3], const double accent[3], double out[3]) {
  Scale(base, 0.86 + 0.22 * Noise(u, v, 6, 51) + 0.08 * (Noise(u, v, 20, 53) - 0.5), out);
  const double edge = std::min({u, 1 - u, v, 1 - v});
  if (edge < 0.06) Mix(out, accent, 0.75, out);
}

void Scales(double u, double v, const double base[3], double out[3]) {
  const double rows = 6, cols = 5;
  const int row = static_cast<int>(v * rows);
  const double x = u * cols + (row % 2) * 0.5;
  const double lu = x - std::floor(x), lv = v * rows - row;
  const double d = std::hypot(lu - 0.5, lv * 0.9);
  double k = 1.05 - 0.35 * d;
  if (d > 0.5) k *= 0.7;
  Scale(base, k, out);
}

void Bark(double u, double v, const double base[3], double out[3]) {
  const double n = Noise(u * 6 + Noise(u, v, 3, 31) * 0.8, v, 5, 29);
  double k = 0.8 + 0.35 * n;
  if (n < 0.3) k *= 0.6;
  Scale(base, k, out);
}

}  // namespace

// clang-format off
void DecalColour(DecalKind kind, double u, double v, const double base[3], const double accent[3], double out[3]) {
  switch (kind) {
    case DecalKind::Planks:
      Wood(u, v, 4, base, out);
      return;
    case DecalKind::Boards:
      Wood(v, u, 4, base, out);
      return;
    case DecalKind::Stone:
      Masonry(u, v, 3, 2, 0.6, base, accent, out);
      return;
    case DecalKind::Bricks:
      Masonry(u, v, 6, 3, 0.0, base, accent, out);
      return;
    case DecalKind::Block:
      Block(u, v, base, accent, out);
      return;
    case DecalKind::Runes:
      Runes(u, v, base, accent, out);
      return;
    case DecalKind::Sign:
      Sign(u, v, base, accent, out);
      return;
    case DecalKind::Scales:
      Scales(u, v, base, out);
      return;
    case DecalKind::Bark:
      Bark(u, v, base, out);
      return;
    case DecalKind::Mottle:
    case DecalKind::None:
      break;
  }
  Scale(base, 0.88 + 0.24 * Noise(u, v, 8, 41), out);
}
// clang-format on

void ShadeColour(const double base[3], double light, double out[3]) {
  const double cool[3] = {0.03, 0.03, 0.09};
  double shade[3], high[3];
  for (int i = 0; i < 3; ++i) {
    shade[i] = base[i] * 0.40 + cool[i];
    high[i] = base[i] + (1 - base[i]) * 0.22;
  }
  const double turn = 0.72;
  if (light < turn) {
    Mix(shade, base, Smooth(std::clamp(light / turn, 0.0, 1.0)), out);
  } else {
    Mix(base, high, std::clamp((light - turn) / (1 - turn), 0.0, 1.0), out);
  }
}

double LightLevel(Vec3 normal, double y, double height) {
  static const Vec3 kToLight = Normalise({-0.45, 0.85, -0.6});  // above, in front, to the left
  const double wrap = 0.5 + 0.5 * Dot(normal, kToLight);
  double light = 0.08 + 0.92 * wrap;
  // Parts near the ground sit in a little shadow.
  const double reach = std::clamp(height * 0.25, 0.05, 0.5);
  light *= 0.78 + 0.22 * Smooth(std::clamp(y / reach, 0.0, 1.0));
  return std::clamp(light, 0.0, 1.0);
}

}  // namespace meshgen
