#include "paint.h"

#include <algorithm>
#include <cmath>

namespace tool {

namespace {

constexpr int kSubRows = 4;
constexpr float kPi = 3.14159265f;

struct Crossing {
  float x;
  int dir;
};

// Adds the covered part of [xa, xb) to the row's per-pixel coverage.
void AddSpan(std::vector<float>& row, int x0, float xa, float xb, float weight) {
  const int count = static_cast<int>(row.size());
  float a = std::max(xa - static_cast<float>(x0), 0.0f);
  float b = std::min(xb - static_cast<float>(x0), static_cast<float>(count));
  if (b <= a) return;
  int ia = static_cast<int>(a);
  const int ib = static_cast<int>(b);
  if (ia == ib) {
    row[ia] += (b - a) * weight;
    return;
  }
  row[ia] += (static_cast<float>(ia + 1) - a) * weight;
  for (++ia; ia < ib && ia < count; ++ia) row[ia] += weight;
  if (ib < count) row[ib] += (b - static_cast<float>(ib)) * weight;
}

void CrossingsAt(const Shape& shape, float y, std::vector<Crossing>& out) {
  out.clear();
  const size_t n = shape.size();
  for (size_t i = 0; i < n; ++i) {
    const Point& p = shape[i];
    const Point& q = shape[(i + 1) % n];
    if (p.y == q.y) continue;
    const bool down = p.y < q.y;
    const float y0 = down ? p.y : q.y;
    const float y1 = down ? q.y : p.y;
    if (y < y0 || y >= y1) continue;
    const float t = (y - p.y) / (q.y - p.y);
    out.push_back({p.x + (q.x - p.x) * t, down ? 1 : -1});
  }
  std::sort(out.begin(), out.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
}

}  // namespace

void FillShape(Surface& s, const Shape& shape, const Paint& paint) {
  if (shape.size() < 3) return;
  float minX = shape[0].x, maxX = shape[0].x, minY = shape[0].y, maxY = shape[0].y;
  for (const Point& p : shape) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  const int x0 = std::max(0, static_cast<int>(std::floor(minX)));
  const int x1 = std::min(s.Width(), static_cast<int>(std::ceil(maxX)) + 1);
  const int y0 = std::max(0, static_cast<int>(std::floor(minY)));
  const int y1 = std::min(s.Height(), static_cast<int>(std::ceil(maxY)) + 1);
  if (x1 <= x0 || y1 <= y0) return;
  std::vector<float> row(static_cast<size_t>(x1 - x0));
  std::vector<Crossing> crossings;
  for (int y = y0; y < y1; ++y) {
    std::fill(row.begin(), row.end(), 0.0f);
    for (int sub = 0; sub < kSubRows; ++sub) {
      const float sy = static_cast<float>(y) + (static_cast<float>(sub) + 0.5f) / kSubRows;
      CrossingsAt(shape, sy, crossings);
      int winding = 0;
      for (size_t i = 0; i + 1 < crossings.size(); ++i) {
        winding += crossings[i].dir;
        if (winding != 0) AddSpan(row, x0, crossings[i].x, crossings[i + 1].x, 1.0f / kSubRows);
      }
    }
    for (int x = x0; x < x1; ++x) {
      const float cover = std::min(row[static_cast<size_t>(x - x0)], 1.0f);
      if (cover > 0.0f) s.Blend(x, y, paint(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f), cover);
    }
  }
}

void FillShape(Surface& s, const Shape& shape, const Colour& colour) {
  FillShape(s, shape, [&colour](float, float) { return colour; });
}

Shape Ellipse(float cx, float cy, float rx, float ry, int segments) {
  Shape out;
  for (int i = 0; i < segments; ++i) {
    const float a = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(segments);
    out.push_back({cx + std::cos(a) * rx, cy + std::sin(a) * ry});
  }
  return out;
}

Shape RectShape(float x, float y, float w, float h) { return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}; }

Shape RoundRect(float x, float y, float w, float h, float radius) {
  const float r = std::min({radius, w / 2, h / 2});
  Shape out;
  const Point centres[4] = {{x + w - r, y + r}, {x + w - r, y + h - r}, {x + r, y + h - r}, {x + r, y + r}};
  for (int corner = 0; corner < 4; ++corner) {
    for (int i = 0; i <= 6; ++i) {
      const float a = kPi * (-0.5f + 0.5f * static_cast<float>(corner) + static_cast<float>(i) / 12.0f);
      out.push_back({centres[corner].x + std::cos(a) * r, centres[corner].y + std::sin(a) * r});
    }
  }
  return out;
}

Shape ThickLine(const std::vector<Point>& line, float width) {
  Shape left, right;
  const float h = width / 2;
  for (size_t i = 0; i < line.size(); ++i) {
    const Point& a = line[i == 0 ? 0 : i - 1];
    const Point& b = line[i + 1 < line.size() ? i + 1 : i];
    float dx = b.x - a.x, dy = b.y - a.y;
    const float len = std::sqrt(dx * dx + dy * dy);
    if (len > 0) {
      dx /= len;
      dy /= len;
    }
    left.push_back({line[i].x - dy * h, line[i].y + dx * h});
    right.push_back({line[i].x + dy * h, line[i].y - dx * h});
  }
  Shape out = left;
  out.insert(out.end(), right.rbegin(), right.rend());
  return out;
}

std::vector<Point> Quad(Point a, Point control, Point b, int steps) {
  std::vector<Point> out;
  for (int i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(steps);
    const float u = 1 - t;
    out.push_back(
        {u * u * a.x + 2 * u * t * control.x + t * t * b.x, u * u * a.y + 2 * u * t * control.y + t * t * b.y});
  }
  return out;
}

std::vector<Point> Cubic(Point a, Point c1, Point c2, Point b, int steps) {
  std::vector<Point> out;
  for (int i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(steps);
    const float u = 1 - t;
    const float k0 = u * u * u, k1 = 3 * u * u * t, k2 = 3 * u * t * t, k3 = t * t * t;
    out.push_back({k0 * a.x + k1 * c1.x + k2 * c2.x + k3 * b.x, k0 * a.y + k1 * c1.y + k2 * c2.y + k3 * b.y});
  }
  return out;
}

Shape Transform(const Shape& shape, float scale, float dx, float dy) {
  Shape out;
  for (const Point& p : shape) out.push_back({p.x * scale + dx, p.y * scale + dy});
  return out;
}

Shape Join(std::initializer_list<std::vector<Point>> parts) {
  Shape out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

void FillBox(Surface& s, int x, int y, int w, int h, const Colour& c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) s.Blend(i, j, c);
}

Paint Vertical(const Colour& top, const Colour& bottom, float y0, float y1) {
  return [=](float, float y) {
    const float t = y1 > y0 ? std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f) : 0.0f;
    return Mix(top, bottom, t);
  };
}

Paint Radial(const Colour& inner, const Colour& outer, float cx, float cy, float radius) {
  return [=](float x, float y) {
    const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) / radius;
    return Mix(inner, outer, std::clamp(d, 0.0f, 1.0f));
  };
}

float Hash01(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFFu) / 16777215.0f;
}

float ValueNoise(float x, float y, int period, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  auto at = [&](int i, int j) {
    const int p = std::max(period, 1);
    return Hash01(((i % p) + p) % p, ((j % p) + p) % p, seed);
  };
  const float a = at(ix, iy), b = at(ix + 1, iy), c = at(ix, iy + 1), d = at(ix + 1, iy + 1);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float Fractal(float x, float y, int period, uint32_t seed, int octaves) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += ValueNoise(x, y, period, seed + static_cast<uint32_t>(o) * 97u) * amp;
    norm += amp;
    amp *= 0.5f;
    x *= 2;
    y *= 2;
    period *= 2;
  }
  return sum / norm;
}

Colour Rgb(uint32_t rgb) { return FromArgb(0xFF000000u | rgb); }

}  // namespace tool
