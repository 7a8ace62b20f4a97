#include "geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace meshgen {

Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }

Vec3 Normalise(Vec3 a) {
  const double len = Length(a);
  return len > 1e-12 ? a * (1.0 / len) : Vec3{};
}

Vec3 Affine::Point(Vec3 p) const {
  return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + t.x, m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + t.y,
          m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + t.z};
}

double Affine::Determinant() const {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

Vec3 Affine::Normal(Vec3 n) const {
  // The cofactor matrix is the inverse transpose up to the determinant's size; its
  // sign matters, since a mirror must keep normals pointing out of the mirrored shape.
  const double c[3][3] = {{m[1][1] * m[2][2] - m[1][2] * m[2][1], m[1][2] * m[2][0] - m[1][0] * m[2][2],
                           m[1][0] * m[2][1] - m[1][1] * m[2][0]},
                          {m[0][2] * m[2][1] - m[0][1] * m[2][2], m[0][0] * m[2][2] - m[0][2] * m[2][0],
                           m[0][1] * m[2][0] - m[0][0] * m[2][1]},
                          {m[0][1] * m[1][2] - m[0][2] * m[1][1], m[0][2] * m[1][0] - m[0][0] * m[1][2],
                           m[0][0] * m[1][1] - m[0][1] * m[1][0]}};
  Vec3 r{c[0][0] * n.x + c[0][1] * n.y + c[0][2] * n.z, c[1][0] * n.x + c[1][1] * n.y + c[1][2] * n.z,
         c[2][0] * n.x + c[2][1] * n.y + c[2][2] * n.z};
  if (Determinant() < 0) r = r * -1.0;
  return Normalise(r);
}

Affine Compose(const Affine& outer, const Affine& inner) {
  Affine r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      r.m[i][j] = outer.m[i][0] * inner.m[0][j] + outer.m[i][1] * inner.m[1][j] + outer.m[i][2] * inner.m[2][j];
    }
  }
  r.t = outer.Point(inner.t);
  return r;
}

Affine Translation(Vec3 v) {
  Affine a;
  a.t = v;
  return a;
}

Affine Scaling(Vec3 s) {
  Affine a;
  a.m[0][0] = s.x;
  a.m[1][1] = s.y;
  a.m[2][2] = s.z;
  return a;
}

namespace {

Affine AxisRotation(int axis, double degrees) {
  const double r = degrees * std::numbers::pi / 180.0;
  const double c = std::cos(r), s = std::sin(r);
  const int i = (axis + 1) % 3, j = (axis + 2) % 3;
  Affine a;
  a.m[i][i] = c;
  a.m[i][j] = -s;
  a.m[j][i] = s;
  a.m[j][j] = c;
  return a;
}

// Adds a triangle wound so that its face normal agrees with the corners' normals;
// slivers without area are dropped.
void Emit(Triangles& out, int paint, bool flat, Corner a, Corner b, Corner c) {
  const Vec3 face = Cross(b.pos - a.pos, c.pos - a.pos);
  if (Length(face) < 1e-10) return;
  if (Dot(face, a.normal + b.normal + c.normal) < 0) std::swap(b, c);
  out.push_back({{a, b, c}, paint, flat});
}

void EmitQuad(Triangles& out, int paint, bool flat, const Corner& a, const Corner& b, const Corner& c,
              const Corner& d) {
  Emit(out, paint, flat, a, b, c);
  Emit(out, paint, flat, a, c, d);
}

double StartAngle(int segments) { return std::numbers::pi / segments; }

}  // namespace

Affine RotationXyz(Vec3 degrees) {
  return Compose(AxisRotation(2, degrees.z), Compose(AxisRotation(1, degrees.y), AxisRotation(0, degrees.x)));
}

Affine MirrorX() { return Scaling({-1, 1, 1}); }

void AddBox(Triangles& out, int paint) {
  // Each face: its normal, the direction to the right and upward as seen from outside.
  const Vec3 faces[6][3] = {{{0, 0, -1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},
                            {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
                            {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}}};
  const double signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (const auto& f : faces) {
    Corner q[4];
    for (int k = 0; k < 4; ++k) {
      q[k].pos = f[0] * 0.5 + f[1] * (0.5 * signs[k][0]) + f[2] * (0.5 * signs[k][1]);
      q[k].normal = f[0];
      q[k].du = (signs[k][0] + 1) * 0.5;
      q[k].dv = (1 - signs[k][1]) * 0.5;
    }
    EmitQuad(out, paint, true, q[0], q[1], q[2], q[3]);
  }
}

void AddBall(Triangles& out, int paint, int segments) {
  const int rings = std::max(3, segments / 2);
  auto corner = [&](int ring, int seg) {
    const double phi = -std::numbers::pi / 2 + std::numbers::pi * ring / rings;
    const double theta = StartAngle(segments) + 2 * std::numbers::pi * seg / segments;
    Corner c;
    c.pos = {std::cos(phi) * std::cos(theta), std::sin(phi), std::cos(phi) * std::sin(theta)};
    c.normal = c.pos;
    return c;
  };
  for (int i = 0; i < rings; ++i) {
    for (int j = 0; j < segments; ++j) {
      EmitQuad(out, paint, false, corner(i, j), corner(i, j + 1), corner(i + 1, j + 1), corner(i + 1, j));
    }
  }
}

namespace {

void AddDisc(Triangles& out, int paint, const std::vector<Vec3>& rim, Vec3 centre, Vec3 normal) {
  for (size_t j = 0; j + 1 < rim.size(); ++j) {
    Emit(out, paint, true, {centre, normal}, {rim[j], normal}, {rim[j + 1], normal});
  }
}

// Half a sphere over the end of a tube: `rim` is the tube's last ring, `outward` the
// direction the dome bulges.
void AddDome(Triangles& out, int paint, Vec3 centre, Vec3 u, Vec3 w, Vec3 outward, double radius, int segments) {
  const int rings = std::max(2, segments / 4);
  auto corner = [&](int ring, int seg) {
    const double phi = (std::numbers::pi / 2) * ring / rings;
    const double theta = StartAngle(segments) + 2 * std::numbers::pi * seg / segments;
    const Vec3 dir = (u * std::cos(theta) + w * std::sin(theta)) * std::cos(phi) + outward * std::sin(phi);
    return Corner{centre + dir * radius, dir};
  };
  for (int i = 0; i < rings; ++i) {
    for (int j = 0; j < segments; ++j) {
      EmitQuad(out, paint, false, corner(i, j), corner(i, j + 1), corner(i + 1, j + 1), corner(i + 1, j));
    }
  }
}

}  // namespace

void AddTube(Triangles& out, int paint, Vec3 a, double ra, Vec3 b, double rb, int segments, TubeEnds ends) {
  const Vec3 axis = b - a;
  const double len = Length(axis);
  if (len < 1e-9) return;
  const Vec3 d = axis * (1.0 / len);
  const Vec3 helper = std::fabs(d.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
  const Vec3 u = Normalise(Cross(helper, d));
  const Vec3 w = Cross(d, u);
  std::vector<Vec3> rimA, rimB;
  std::vector<Corner> sideA, sideB;
  for (int j = 0; j <= segments; ++j) {
    const double theta = StartAngle(segments) + 2 * std::numbers::pi * j / segments;
    const Vec3 radial = u * std::cos(theta) + w * std::sin(theta);
    const Vec3 normal = Normalise(radial * len + d * (ra - rb));
    rimA.push_back(a + radial * ra);
    rimB.push_back(b + radial * rb);
    sideA.push_back({rimA.back(), normal});
    sideB.push_back({rimB.back(), normal});
  }
  for (int j = 0; j < segments; ++j) EmitQuad(out, paint, false, sideA[j], sideA[j + 1], sideB[j + 1], sideB[j]);
  if (ends == TubeEnds::Flat) {
    if (ra > 0) AddDisc(out, paint, rimA, a, d * -1.0);
    if (rb > 0) AddDisc(out, paint, rimB, b, d);
  } else if (ends == TubeEnds::Round) {
    if (ra > 0) AddDome(out, paint, a, u, w, d * -1.0, ra, segments);
    if (rb > 0) AddDome(out, paint, b, u, w, d, rb, segments);
  }
}

namespace {

// Ridges for pumpkins and the like: 1 on a ridge, 1 - depth in a furrow.
double RibFactor(double theta, int count, double depth) {
  if (count <= 0) return 1.0;
  return 1.0 - depth * (1.0 - std::fabs(std::cos(count * theta * 0.5)));
}

struct LatheRing {
  double r, y;
  double nr, ny;  // profile normal in the (radius, height) plane
  double tr, ty;  // profile tangent
};

Corner LatheCorner(const LatheRing& p, double theta, int ribs, double depth) {
  const double m = RibFactor(theta, ribs, depth);
  const double c = std::cos(theta), s = std::sin(theta);
  Corner k;
  k.pos = {p.r * m * c, p.y, p.r * m * s};
  const Vec3 plain{p.nr * c, p.ny, p.nr * s};
  k.normal = plain;
  if (ribs > 0 && p.r > 1e-6) {
    const double h = 1e-4;
    const double dm = (RibFactor(theta + h, ribs, depth) - RibFactor(theta - h, ribs, depth)) / (2 * h);
    const Vec3 alongTheta{p.r * (dm * c - m * s), 0, p.r * (dm * s + m * c)};
    const Vec3 alongProfile{p.tr * m * c, p.ty, p.tr * m * s};
    Vec3 n = Normalise(Cross(alongTheta, alongProfile));
    if (Dot(n, plain) < 0) n = n * -1.0;
    k.normal = n;
  }
  return k;
}

// The normal of each end of each profile segment: shared with the neighbouring
// segment where the profile bends gently, its own across a sharp crease.
std::vector<LatheRing> LatheRings(const std::vector<double>& profile) {
  const size_t n = profile.size() / 2;
  std::vector<double> sn(n - 1 ? 2 * (n - 1) : 0), st(sn.size());
  for (size_t k = 0; k + 1 < n; ++k) {
    const double dr = profile[2 * k + 2] - profile[2 * k], dy = profile[2 * k + 3] - profile[2 * k + 1];
    const double len = std::max(1e-12, std::hypot(dr, dy));
    st[2 * k] = dr / len;
    st[2 * k + 1] = dy / len;
    sn[2 * k] = dy / len;
    sn[2 * k + 1] = -dr / len;
  }
  std::vector<LatheRing> rings;  // two per segment: start and end
  for (size_t k = 0; k + 1 < n; ++k) {
    for (int end = 0; end < 2; ++end) {
      const size_t point = k + end;
      LatheRing ring{profile[2 * point], profile[2 * point + 1], sn[2 * k], sn[2 * k + 1], st[2 * k], st[2 * k + 1]};
      const long other = end == 0 ? static_cast<long>(k) - 1 : static_cast<long>(k) + 1;
      if (other >= 0 && other + 1 < static_cast<long>(n)) {
        const double cosBend = sn[2 * k] * sn[2 * other] + sn[2 * k + 1] * sn[2 * other + 1];
        if (cosBend > 0.64) {  // bends of under about 50 degrees shade smoothly
          const double ar = sn[2 * k] + sn[2 * other], ay = sn[2 * k + 1] + sn[2 * other + 1];
          const double len = std::hypot(ar, ay);
          ring.nr = ar / len;
          ring.ny = ay / len;
          ring.tr = (st[2 * k] + st[2 * other]) * 0.5;
          ring.ty = (st[2 * k + 1] + st[2 * other + 1]) * 0.5;
        }
      }
      rings.push_back(ring);
    }
  }
  return rings;
}

}  // namespace

void AddLathe(Triangles& out, int paint, const LatheShape& shape) {
  const std::vector<double>& profile = shape.profile;
  const size_t n = profile.size() / 2;
  if (n < 2) return;
  const int segments = shape.segments;
  const auto rings = LatheRings(profile);
  const bool whole = shape.arcDegrees >= 360;
  const double span = whole ? 2 * std::numbers::pi : shape.arcDegrees * std::numbers::pi / 180;
  const double start = whole ? StartAngle(segments) : std::numbers::pi / 2 - span / 2;
  auto theta = [&](int j) { return start + span * j / segments; };
  auto corner = [&](const LatheRing& ring, int j) {
    return LatheCorner(ring, theta(j), shape.ribCount, shape.ribDepth);
  };
  for (size_t k = 0; k + 1 < n; ++k) {
    for (int j = 0; j < segments; ++j) {
      EmitQuad(out, paint, false, corner(rings[2 * k], j), corner(rings[2 * k], j + 1), corner(rings[2 * k + 1], j + 1),
               corner(rings[2 * k + 1], j));
    }
  }
  auto cap = [&](size_t point, double ny) {
    if (profile[2 * point] <= 0) return;
    const LatheRing flat{profile[2 * point], profile[2 * point + 1], 0, ny, 0, 0};
    std::vector<Vec3> rim;
    for (int j = 0; j <= segments; ++j) rim.push_back(corner(flat, j).pos);
    AddDisc(out, paint, rim, {0, profile[2 * point + 1], 0}, {0, ny, 0});
  };
  if (shape.open) return;
  cap(0, -1);
  cap(n - 1, 1);
}

namespace {

double Cross2(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

bool InsideTriangle(const double* p, const double* a, const double* b, const double* c) {
  const double d1 = Cross2(b[0] - a[0], b[1] - a[1], p[0] - a[0], p[1] - a[1]);
  const double d2 = Cross2(c[0] - b[0], c[1] - b[1], p[0] - b[0], p[1] - b[1]);
  const double d3 = Cross2(a[0] - c[0], a[1] - c[1], p[0] - c[0], p[1] - c[1]);
  return d1 >= 0 && d2 >= 0 && d3 >= 0;
}

// Ear clipping of a counter-clockwise polygon (x right, y up) into index triples.
bool CutIntoTriangles(const std::vector<double>& pts, std::vector<int>& tris) {
  std::vector<int> left;
  for (size_t i = 0; i < pts.size() / 2; ++i) left.push_back(static_cast<int>(i));
  size_t guard = 0;
  while (left.size() > 3) {
    bool clipped = false;
    for (size_t i = 0; i < left.size() && !clipped; ++i) {
      const int ia = left[(i + left.size() - 1) % left.size()], ib = left[i], ic = left[(i + 1) % left.size()];
      const double* a = &pts[2 * ia];
      const double* b = &pts[2 * ib];
      const double* c = &pts[2 * ic];
      if (Cross2(b[0] - a[0], b[1] - a[1], c[0] - b[0], c[1] - b[1]) <= 0) continue;
      bool empty = true;
      for (int other : left) {
        if (other != ia && other != ib && other != ic && InsideTriangle(&pts[2 * other], a, b, c)) empty = false;
      }
      if (!empty) continue;
      tris.insert(tris.end(), {ia, ib, ic});
      left.erase(left.begin() + static_cast<long>(i));
      clipped = true;
    }
    if (!clipped || ++guard > pts.size()) return false;
  }
  tris.insert(tris.end(), {left[0], left[1], left[2]});
  return true;
}

}  // namespace

bool AddSlab(Triangles& out, int paint, const std::vector<double>& polygon, double thickness) {
  std::vector<double> pts = polygon;
  const size_t n = pts.size() / 2;
  double area = 0;
  for (size_t i = 0; i < n; ++i) {
    const size_t j = (i + 1) % n;
    area += Cross2(pts[2 * i], pts[2 * i + 1], pts[2 * j], pts[2 * j + 1]);
  }
  if (std::fabs(area) < 1e-12) return false;
  if (area < 0) {
    for (size_t i = 0; i < n / 2; ++i) {
      std::swap(pts[2 * i], pts[2 * (n - 1 - i)]);
      std::swap(pts[2 * i + 1], pts[2 * (n - 1 - i) + 1]);
    }
  }
  std::vector<int> tris;
  if (!CutIntoTriangles(pts, tris)) return false;
  double minX = pts[0], maxX = pts[0], minY = pts[1], maxY = pts[1];
  for (size_t i = 0; i < n; ++i) {
    minX = std::min(minX, pts[2 * i]);
    maxX = std::max(maxX, pts[2 * i]);
    minY = std::min(minY, pts[2 * i + 1]);
    maxY = std::max(maxY, pts[2 * i + 1]);
  }
  const double h = thickness * 0.5;
  auto face = [&](int i, double z) {
    const double du = (pts[2 * i] - minX) / std::max(1e-9, maxX - minX);
    return Corner{{pts[2 * i], pts[2 * i + 1], z},
                  {0, 0, z < 0 ? -1.0 : 1.0},
                  z < 0 ? du : 1 - du,
                  (maxY - pts[2 * i + 1]) / std::max(1e-9, maxY - minY)};
  };
  for (size_t t = 0; t < tris.size(); t += 3) {
    Emit(out, paint, true, face(tris[t], -h), face(tris[t + 1], -h), face(tris[t + 2], -h));
    Emit(out, paint, true, face(tris[t], h), face(tris[t + 1], h), face(tris[t + 2], h));
  }
  for (size_t i = 0; i < n; ++i) {
    const size_t j = (i + 1) % n;
    const Vec3 normal = Normalise({pts[2 * j + 1] - pts[2 * i + 1], pts[2 * i] - pts[2 * j], 0});
    const Vec3 a{pts[2 * i], pts[2 * i + 1], 0}, b{pts[2 * j], pts[2 * j + 1], 0};
    EmitQuad(out, paint, true, {a + Vec3{0, 0, -h}, normal, 0, 0}, {b + Vec3{0, 0, -h}, normal, 1, 0},
             {b + Vec3{0, 0, h}, normal, 1, 1}, {a + Vec3{0, 0, h}, normal, 0, 1});
  }
  return true;
}

void TransformTriangles(Triangles& tris, size_t first, const Affine& transform) {
  for (size_t i = first; i < tris.size(); ++i) {
    Triangle& t = tris[i];
    for (Corner& c : t.c) {
      c.pos = transform.Point(c.pos);
      c.normal = transform.Normal(c.normal);
    }
    const Vec3 face = Cross(t.c[1].pos - t.c[0].pos, t.c[2].pos - t.c[0].pos);
    if (Dot(face, t.c[0].normal + t.c[1].normal + t.c[2].normal) < 0) std::swap(t.c[1], t.c[2]);
  }
}

}  // namespace meshgen
