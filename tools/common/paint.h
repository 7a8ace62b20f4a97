// Anti-aliased shapes, gradients and noise for the procedural pictures.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "canvas.h"

namespace tool {

struct Point {
  float x = 0, y = 0;
};
using Shape = std::vector<Point>;
// Colour of a shape at a point of the surface (gradients, textures).
using Paint = std::function<Colour(float x, float y)>;

// Fills a closed polygon (non-zero winding) with 4 by 4 sub-samples a pixel.
void FillShape(Surface& s, const Shape& shape, const Paint& paint);
void FillShape(Surface& s, const Shape& shape, const Colour& colour);

Shape Ellipse(float cx, float cy, float rx, float ry, int segments = 64);
Shape RectShape(float x, float y, float w, float h);
Shape RoundRect(float x, float y, float w, float h, float radius);
// A band of the given width along a polyline (open), with square ends.
Shape ThickLine(const std::vector<Point>& line, float width);
// Quadratic and cubic Bezier curves sampled into points (end points included).
std::vector<Point> Quad(Point a, Point control, Point b, int steps = 16);
std::vector<Point> Cubic(Point a, Point c1, Point c2, Point b, int steps = 20);
// Shape transformed: scale about the origin, then moved.
Shape Transform(const Shape& shape, float scale, float dx, float dy);
Shape Join(std::initializer_list<std::vector<Point>> parts);

// Solid rectangle of whole pixels, blended.
void FillBox(Surface& s, int x, int y, int w, int h, const Colour& c);
Paint Vertical(const Colour& top, const Colour& bottom, float y0, float y1);
Paint Radial(const Colour& inner, const Colour& outer, float cx, float cy, float radius);

// Deterministic noise: a hash in 0..1 for integer lattice points, and smooth value noise
// that repeats with the given period (so textures tile).
float Hash01(int x, int y, uint32_t seed);
float ValueNoise(float x, float y, int period, uint32_t seed);
float Fractal(float x, float y, int period, uint32_t seed, int octaves);

// Colour from 0xRRGGBB with full alpha.
Colour Rgb(uint32_t rgb);

}  // namespace tool
