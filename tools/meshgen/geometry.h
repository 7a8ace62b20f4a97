// Vectors, affine transforms and the primitive shapes models are built from.
//
// Coordinates are the game's: x right, y up, z forward (left-handed). A primitive
// comes out as triangles whose corners carry a position, a shading normal and a
// decal coordinate (0..1 across the face, for painted pictures). Triangles are
// wound so that (b - a) x (c - a) points out of the shape.
#pragma once

#include <string>
#include <vector>

namespace meshgen {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b);
double Length(Vec3 a);
Vec3 Normalise(Vec3 a);  // a zero vector stays zero

// p' = m * p + t, with m a 3x3 matrix acting on column vectors.
struct Affine {
  double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  Vec3 t;
  Vec3 Point(Vec3 p) const;
  Vec3 Normal(Vec3 n) const;  // by the inverse transpose, normalised
  double Determinant() const;
};
Affine Compose(const Affine& outer, const Affine& inner);  // inner first
Affine Translation(Vec3 v);
Affine Scaling(Vec3 s);
// Degrees about x, then y, then z.
Affine RotationXyz(Vec3 degrees);
Affine MirrorX();

struct Corner {
  Vec3 pos;
  Vec3 normal;
  double du = 0, dv = 0;  // decal coordinate
};
struct Triangle {
  Corner c[3];
  int paint = 0;
  bool flat = false;  // one light for the whole face (boxes, slabs, caps)
};
using Triangles = std::vector<Triangle>;

// Unit cube centred on the origin.
void AddBox(Triangles& out, int paint);
// Unit sphere with `segments` around and segments / 2 rings.
void AddBall(Triangles& out, int paint, int segments);
// Capped = flat discs; round = half spheres; open = no ends.
enum class TubeEnds { Flat, Round, Open };
void AddTube(Triangles& out, int paint, Vec3 a, double ra, Vec3 b, double rb, int segments, TubeEnds ends);
// Profile of (radius, height) pairs from bottom to top turned about the y axis; a
// radius above zero at either end gets a flat cap unless `open` (rings, tubes).
// ribCount ridges of ribDepth (fraction of the radius) run along the surface when
// ribCount > 0. With arcDegrees below 360 only that much of the turn is made,
// centred on +z (capes, hoods, stripes over a back).
struct LatheShape {
  std::vector<double> profile;
  int segments = 12;
  int ribCount = 0;
  double ribDepth = 0;
  bool open = false;
  double arcDegrees = 360;
};
void AddLathe(Triangles& out, int paint, const LatheShape& shape);
// A simple polygon in the xy plane, thickness along z centred on z = 0. False when the
// polygon cannot be cut into triangles (it crosses itself).
bool AddSlab(Triangles& out, int paint, const std::vector<double>& polygon, double thickness);

// Applies a transform to triangles [first, end) and, when it mirrors, reverses
// their winding.
void TransformTriangles(Triangles& tris, size_t first, const Affine& transform);

}  // namespace meshgen
