// The cast, drawn procedurally: one parametric bust, varied by colours, hair, clothes
// and headwear, and the spirit's glow. Coordinates below are in head radii from the
// head's centre (the glow's face's).
#include <cmath>
#include <map>

#include "art.h"

namespace tool {

namespace {

enum Hair { kLong, kShort, kPonytail, kTwin, kBob, kSpiky, kBun, kBald };
enum Clothes { kRobe, kArmour, kTunic, kApron, kDress, kCoat, kRags };
enum Extra {
  kNone,
  kWitchHat,
  kHelmet,
  kCrown,
  kHorns,
  kTusks,
  kVeil,
  kCirclet,
  kRibbon,
  kTurban,
  kScarf,
  kStrawHat,
  kCap,
  kHood
};
enum Beard { kShaven, kMoustache, kFullBeard };  // in the hair's colour
// A person's bust, or the floating glow of a spirit that has no body but its light: its
// flame in the clothes' colour round a core in the skin's, with the eyes' colour for its
// eyes and mouth and the hair's for the sparks about it, as the spirit's model is painted.
enum Form { kFigure, kWisp };

// clang-format off
struct Look {
  uint32_t skin, hair, eyes, cloth, trim;
  uint32_t headwear;  // the hat, hood, helmet, turban, veil or scarf; 0 when the head is bare
  Hair hairStyle;
  Clothes clothes;
  Extra extra;
  Beard beard;
  bool soft;        // larger eyes and a gentler face
  float age;        // 0 child, 0.5 adult, 1 old
  uint32_t backdrop;
  Form form = kFigure;
};
// clang-format on

// clang-format off
const std::map<std::string, Look>& Cast() {
  static const std::map<std::string, Look> cast = {
      {"milva", {0xFCE2D2, 0xC9C2EE, 0x7A4FD0, 0x2E3F96, 0xE8C66A, 0, kLong, kRobe, kCirclet, kShaven, true, 0.45f, 0x3A4FA8}},
      {"yorun", {0xF0CDAE, 0x6B4326, 0x2F7A4A, 0x9AA4B8, 0xB3262C, 0, kSpiky, kArmour, kNone, kShaven, false, 0.5f, 0x5A3A28}},
      {"minerva", {0xFCE4D4, 0xF2D27A, 0x2E8C6A, 0xF4F1E8, 0xD9A93A, 0, kLong, kRobe, kRibbon, kShaven, true, 0.42f, 0x2E6A52}},
      {"zita", {0xF6D4BA, 0xC8402C, 0xB06A1E, 0x7A4A2A, 0xD8B070, 0, kPonytail, kArmour, kNone, kShaven, true, 0.45f, 0x8A3426}},
      {"guildmaster", {0xE8C4A2, 0x8A8A90, 0x4A5A7A, 0x5A3C24, 0xC8A050, 0, kShort, kCoat, kNone, kFullBeard, false, 0.8f, 0x4A3A2A}},
      {"villager", {0xF0CCAA, 0x7A5030, 0x5A4030, 0x8A7A4A, 0x5A4A2A, 0xE6C466, kShort, kTunic, kStrawHat, kShaven, false, 0.5f, 0x6A7A4A}},
      {"villagerwoman", {0xF8D8C0, 0x8A5A34, 0x6A4A2A, 0xA85A4A, 0xF0E0C0, 0xE6C04A, kBob, kDress, kScarf, kShaven, true, 0.5f, 0x8A6A4A}},
      {"shopkeeper", {0xF0C8A4, 0x4A3020, 0x4A3A2A, 0x6A8A5A, 0xF2EEE0, 0xF0E8D8, kShort, kCoat, kTurban, kMoustache, false, 0.6f, 0x5A7A4A}},
      {"innkeeper", {0xF8D6BE, 0x9A4A2A, 0x7A4A2A, 0x8A4A6A, 0xF4EEE0, 0, kBun, kApron, kNone, kShaven, true, 0.55f, 0x8A5A4A}},
      {"elder", {0xE6C0A0, 0xEEEEEE, 0x5A5A6A, 0x6A5A8A, 0xD0C090, 0, kBald, kRobe, kNone, kFullBeard, false, 1.0f, 0x5A4A6A}},
      {"girl", {0xFCE6D6, 0xE89A3A, 0x3A7AD0, 0xE46A8A, 0xFFF0F0, 0, kTwin, kDress, kRibbon, kShaven, true, 0.1f, 0xD07A8A}},
      {"soldier", {0xEAC6A6, 0x5A4030, 0x3A4A5A, 0x7A8490, 0x8A2A2A, 0xE8ECF4, kShort, kArmour, kHelmet, kShaven, false, 0.5f, 0x4A5060}},
      {"priestess", {0xFCE6D8, 0xE8D8B0, 0x5A8AD0, 0xF2F0F6, 0xC8A040, 0xF8FAFF, kLong, kRobe, kVeil, kShaven, true, 0.5f, 0x8A9AC8}},
      {"king", {0xEEC8A8, 0xB0A080, 0x4A5A8A, 0x9A1E2E, 0xF0D070, 0, kShort, kCoat, kCrown, kShaven, false, 0.85f, 0x6A2A3A}},
      {"witch", {0xF4E0E4, 0x22182E, 0xD02A3A, 0x2A1A3A, 0xB08AE0, 0x3A2450, kLong, kRobe, kWitchHat, kShaven, true, 0.5f, 0x3A1A4A}},
      {"orc", {0x7AA05A, 0x2A2A1A, 0xE0C020, 0x6A4A2A, 0x9A8A6A, 0, kBald, kRags, kTusks, kShaven, false, 0.5f, 0x3A4A2A}},
      {"demon", {0x8A6AA0, 0x1A1024, 0xFFD040, 0x2A1A2A, 0xC02A3A, 0, kSpiky, kCoat, kHorns, kShaven, false, 0.5f, 0x3A0A1A}},
      {"elder-sister", {0xFCE4D6, 0x1E1A2A, 0x6A3A8A, 0x5A2A6A, 0xE0C0E0, 0, kLong, kDress, kNone, kShaven, true, 0.45f, 0x5A3A6A}},
      {"younger-sister", {0xFCE6D8, 0x2A2234, 0x8A4AAA, 0xC05A8A, 0xF8E0F0, 0, kBob, kDress, kRibbon, kShaven, true, 0.25f, 0x8A4A7A}},
      {"knight", {0xEEC8A8, 0xD8B060, 0x3A6AB0, 0xC8CCD8, 0x2A4AA0, 0xE8ECF4, kShort, kArmour, kHelmet, kShaven, false, 0.55f, 0x2A3A6A}},
      {"merchant", {0xD8A880, 0x2A2018, 0x3A2A1A, 0xC8863A, 0x3A6AA0, 0xF6EEDC, kShort, kCoat, kTurban, kShaven, false, 0.6f, 0x8A6A3A}},
      {"old-man", {0xE8C2A0, 0xD8D8D8, 0x4A4A3A, 0x7A6A4A, 0xC8B890, 0x62543E, kShort, kTunic, kHood, kFullBeard, false, 1.0f, 0x6A6A4A}},
      {"old-woman", {0xF0CCB4, 0xC8C8D0, 0x5A4A3A, 0x6A4A5A, 0xE8E0D0, 0xA88A98, kBun, kDress, kScarf, kShaven, true, 0.95f, 0x7A5A6A}},
      {"spirit", {0xD8F0FF, 0xA8E8F8, 0x1D3A5A, 0x7AC8E8, 0xF0FFFF, 0, kBald, kRobe, kNone, kShaven, true, 0.35f, 0x2A6A9A, kWisp}},
      {"boy", {0xF8DAC2, 0x5A3A1E, 0x3A6A3A, 0x3A6A9A, 0xE0D0A0, 0xD0583A, kShort, kTunic, kCap, kShaven, true, 0.12f, 0x4A7A9A}},
  };
  return cast;
}
// clang-format on

// Maps head units to surface pixels.
struct Frame {
  float cx, cy, r;
  Point P(float x, float y) const { return {cx + x * r, cy + y * r}; }
  Shape S(std::initializer_list<Point> units) const {
    Shape out;
    for (const Point& u : units) out.push_back(P(u.x, u.y));
    return out;
  }
  Shape E(float x, float y, float rx, float ry) const { return Ellipse(cx + x * r, cy + y * r, rx * r, ry * r, 48); }
  Paint V(const Colour& top, const Colour& bottom, float y0, float y1) const {
    return Vertical(top, bottom, cy + y0 * r, cy + y1 * r);
  }
};

Shape Curve(const Frame& f, std::initializer_list<Point> pts) {
  // A smooth closed outline through the given points (Catmull-Rom, sampled).
  std::vector<Point> p;
  for (const Point& u : pts) p.push_back(f.P(u.x, u.y));
  Shape out;
  const size_t n = p.size();
  for (size_t i = 0; i < n; ++i) {
    const Point& p0 = p[(i + n - 1) % n];
    const Point& p1 = p[i];
    const Point& p2 = p[(i + 1) % n];
    const Point& p3 = p[(i + 2) % n];
    for (int k = 0; k < 8; ++k) {
      const float t = static_cast<float>(k) / 8.0f, t2 = t * t, t3 = t2 * t;
      out.push_back({0.5f * (2 * p1.x + (-p0.x + p2.x) * t + (2 * p0.x - 5 * p1.x + 4 * p2.x - p3.x) * t2 +
                             (-p0.x + 3 * p1.x - 3 * p2.x + p3.x) * t3),
                     0.5f * (2 * p1.y + (-p0.y + p2.y) * t + (2 * p0.y - 5 * p1.y + 4 * p2.y - p3.y) * t2 +
                             (-p0.y + 3 * p1.y - 3 * p2.y + p3.y) * t3)});
    }
  }
  return out;
}

Shape Stroke(const Frame& f, std::initializer_list<Point> pts, float width) {
  std::vector<Point> p;
  for (const Point& u : pts) p.push_back(f.P(u.x, u.y));
  if (p.size() == 3) p = Quad(p[0], p[1], p[2], 12);
  return ThickLine(p, width * f.r);
}

// clang-format off
void BackHair(Surface& s, const Frame& f, const Look& l) {
  const Colour hair = Rgb(l.hair), shade = Scale(hair, 0.62f);
  const Paint paint = f.V(hair, shade, -1.2f, 3.0f);
  switch (l.hairStyle) {
    case kLong:
      FillShape(s, Curve(f, {{-1.05f, -0.5f}, {0, -1.2f}, {1.05f, -0.5f}, {1.25f, 1.2f}, {1.35f, 2.9f}, {0.6f, 3.1f},
                             {-0.6f, 3.1f}, {-1.35f, 2.9f}, {-1.25f, 1.2f}}),
                paint);
      break;
    case kBob:
      FillShape(s, Curve(f, {{-1.05f, -0.5f}, {0, -1.2f}, {1.05f, -0.5f}, {1.2f, 0.6f}, {1.05f, 1.05f}, {-1.05f, 1.05f},
                             {-1.2f, 0.6f}}),
                paint);
      break;
    case kPonytail:
      FillShape(s, Curve(f, {{0.6f, -0.9f}, {1.3f, -0.9f}, {1.75f, 0.2f}, {1.55f, 1.6f}, {1.2f, 2.2f}, {1.1f, 1.0f},
                             {0.85f, -0.2f}}),
                paint);
      break;
    case kTwin:
      for (float side : {-1.0f, 1.0f}) {
        FillShape(s, Curve(f, {{side * 0.8f, -0.5f}, {side * 1.35f, -0.4f}, {side * 1.7f, 0.7f}, {side * 1.6f, 1.9f},
                               {side * 1.3f, 2.2f}, {side * 1.15f, 0.9f}}),
                  paint);
      }
      break;
    case kBun:
      FillShape(s, f.E(0, -1.05f, 0.55f, 0.42f), paint);
      break;
    default:
      break;
  }
}
// clang-format on

// clang-format off
void Body(Surface& s, const Frame& f, const Look& l) {
  const Colour cloth = Rgb(l.cloth), trim = Rgb(l.trim), skin = Rgb(l.skin);
  const float wide = l.age < 0.3f ? 0.8f : 1.0f;
  // Neck, then shoulders and chest.
  FillShape(s, f.S({{-0.3f, 0.6f}, {0.3f, 0.6f}, {0.34f, 1.45f}, {-0.34f, 1.45f}}), f.V(Scale(skin, 0.8f), skin, 0.6f, 1.4f));
  const Shape torso = Curve(f, {{-0.42f, 1.25f}, {0.42f, 1.25f}, {1.5f * wide, 1.65f}, {2.05f * wide, 2.3f},
                                {2.25f * wide, 3.6f}, {0, 3.9f}, {-2.25f * wide, 3.6f}, {-2.05f * wide, 2.3f},
                                {-1.5f * wide, 1.65f}});
  FillShape(s, torso, f.V(Scale(cloth, 1.15f), Scale(cloth, 0.6f), 1.2f, 3.6f));
  switch (l.clothes) {
    case kArmour:
      for (float side : {-1.0f, 1.0f}) {
        FillShape(s, f.E(side * 1.45f, 1.95f, 0.7f, 0.5f), f.V(Scale(cloth, 1.35f), Scale(cloth, 0.55f), 1.5f, 2.4f));
        FillShape(s, f.E(side * 1.3f, 1.75f, 0.25f, 0.1f), WithAlpha(Rgb(0xFFFFFF), 0.5f));
      }
      FillShape(s, f.S({{-0.55f, 1.3f}, {0.55f, 1.3f}, {0.3f, 1.75f}, {-0.3f, 1.75f}}), trim);
      FillShape(s, f.S({{-0.7f, 2.3f}, {0.7f, 2.3f}, {0.6f, 3.9f}, {-0.6f, 3.9f}}),
                f.V(Scale(cloth, 1.2f), Scale(cloth, 0.7f), 2.3f, 3.9f));
      break;
    case kRobe:
    case kDress:
      FillShape(s, Stroke(f, {{-0.5f, 1.28f}, {0, 2.2f}, {0.5f, 1.28f}}, 0.18f), trim);
      FillShape(s, f.S({{-0.35f, 1.3f}, {0.35f, 1.3f}, {0, 1.95f}}), Scale(skin, 0.92f));
      if (l.clothes == kRobe) {
        FillShape(s, Stroke(f, {{-1.1f, 1.6f}, {-0.9f, 2.8f}, {-0.7f, 3.9f}}, 0.16f), trim);
        FillShape(s, Stroke(f, {{1.1f, 1.6f}, {0.9f, 2.8f}, {0.7f, 3.9f}}, 0.16f), trim);
        FillShape(s, f.E(0, 2.25f, 0.16f, 0.16f), Rgb(0xE04A6A));
      }
      break;
    case kApron:
      FillShape(s, f.S({{-0.9f, 2.2f}, {0.9f, 2.2f}, {1.0f, 3.9f}, {-1.0f, 3.9f}}), trim);
      FillShape(s, Stroke(f, {{-0.6f, 1.4f}, {-0.8f, 1.8f}, {-0.85f, 2.25f}}, 0.12f), trim);
      FillShape(s, Stroke(f, {{0.6f, 1.4f}, {0.8f, 1.8f}, {0.85f, 2.25f}}, 0.12f), trim);
      break;
    case kCoat:
      FillShape(s, f.S({{-0.45f, 1.3f}, {-0.05f, 2.4f}, {-0.05f, 3.9f}, {-0.55f, 3.9f}, {-0.9f, 1.6f}}), Scale(cloth, 0.8f));
      FillShape(s, f.S({{0.45f, 1.3f}, {0.05f, 2.4f}, {0.05f, 3.9f}, {0.55f, 3.9f}, {0.9f, 1.6f}}), Scale(cloth, 0.8f));
      FillShape(s, Stroke(f, {{-0.45f, 1.3f}, {-0.2f, 1.9f}, {-0.05f, 2.4f}}, 0.1f), trim);
      FillShape(s, Stroke(f, {{0.45f, 1.3f}, {0.2f, 1.9f}, {0.05f, 2.4f}}, 0.1f), trim);
      break;
    case kTunic:
    case kRags:
      FillShape(s, Stroke(f, {{-0.45f, 1.3f}, {0, 1.75f}, {0.45f, 1.3f}}, 0.14f), trim);
      FillShape(s, Stroke(f, {{-1.9f, 3.0f}, {0, 3.2f}, {1.9f, 3.0f}}, 0.2f), Scale(trim, 0.8f));
      break;
  }
}
// clang-format on

// clang-format off
void Face(Surface& s, const Frame& f, const Look& l) {
  const Colour skin = Rgb(l.skin);
  const float chin = l.soft ? 1.02f : 1.1f;
  const float jaw = l.soft ? 0.62f : 0.78f;
  const Shape face = Curve(f, {{-0.92f, -0.3f}, {0, -1.0f}, {0.92f, -0.3f}, {0.86f, 0.42f}, {jaw, 0.75f},
                               {0, chin}, {-jaw, 0.75f}, {-0.86f, 0.42f}});
  // Ears under the hair line, then the face.
  for (float side : {-1.0f, 1.0f}) FillShape(s, f.E(side * 0.9f, 0.3f, 0.14f, 0.24f), Scale(skin, 0.9f));
  FillShape(s, face, Radial(Scale(skin, 1.04f), Scale(skin, 0.86f), f.cx - 0.2f * f.r, f.cy - 0.1f * f.r, 1.3f * f.r));
  if (l.age > 0.75f) {
    FillShape(s, Stroke(f, {{-0.6f, 0.45f}, {-0.45f, 0.62f}, {-0.35f, 0.66f}}, 0.03f), WithAlpha(Scale(skin, 0.6f), 0.7f));
    FillShape(s, Stroke(f, {{0.6f, 0.45f}, {0.45f, 0.62f}, {0.35f, 0.66f}}, 0.03f), WithAlpha(Scale(skin, 0.6f), 0.7f));
  }
  // Eyes: white, iris with a darker top, pupil, highlights, lash line.
  const float eh = l.soft ? 0.22f : 0.14f, ew = l.soft ? 0.2f : 0.19f;
  const Colour iris = Rgb(l.eyes), lash = Scale(Rgb(l.hair), 0.35f);
  for (float side : {-1.0f, 1.0f}) {
    const float ex = side * 0.4f, ey = 0.28f;
    FillShape(s, f.E(ex, ey, ew, eh), Rgb(0xFFFFFF));
    FillShape(s, f.E(ex + side * -0.02f, ey + 0.02f, ew * 0.62f, eh * 0.92f),
              f.V(Scale(iris, 0.45f), Scale(iris, 1.25f), ey - eh, ey + eh));
    FillShape(s, f.E(ex + side * -0.02f, ey + 0.03f, ew * 0.28f, eh * 0.45f), Scale(iris, 0.2f));
    FillShape(s, f.E(ex - 0.06f, ey - eh * 0.35f, ew * 0.22f, eh * 0.22f), Rgb(0xFFFFFF));
    FillShape(s, f.E(ex + 0.06f, ey + eh * 0.4f, ew * 0.1f, eh * 0.1f), WithAlpha(Rgb(0xFFFFFF), 0.8f));
    FillShape(s, Stroke(f, {{ex - side * ew * 1.15f, ey - eh * 0.55f}, {ex, ey - eh * 1.45f}, {ex + side * ew * 1.2f,
                                                                                             ey - eh * 0.35f}},
                        l.soft ? 0.07f : 0.06f),
              lash);
    FillShape(s, Stroke(f, {{ex - side * ew, ey - eh - 0.2f}, {ex, ey - eh - 0.3f}, {ex + side * ew * 1.1f,
                                                                                   ey - eh - 0.17f}},
                        0.05f),
              Scale(Rgb(l.hair), 0.55f));
  }
  // Nose, mouth, cheeks.
  FillShape(s, Stroke(f, {{0.02f, 0.5f}, {0.06f, 0.58f}, {0.0f, 0.62f}}, 0.035f), WithAlpha(Scale(skin, 0.6f), 0.8f));
  FillShape(s, Stroke(f, {{-0.14f, 0.76f}, {0, 0.81f}, {0.14f, 0.76f}}, 0.045f), Rgb(0x8A3A3A));
  if (l.soft) {
    for (float side : {-1.0f, 1.0f}) FillShape(s, f.E(side * 0.5f, 0.56f, 0.17f, 0.08f), WithAlpha(Rgb(0xFF7A8A), 0.35f));
  }
}
// clang-format on

// clang-format off
void FrontHair(Surface& s, const Frame& f, const Look& l) {
  const Colour hair = Rgb(l.hair);
  const Paint paint = f.V(Scale(hair, 1.15f), Scale(hair, 0.8f), -1.1f, 0.4f);
  if (l.hairStyle == kBald) {
    FillShape(s, f.E(-0.3f, -0.7f, 0.25f, 0.1f), WithAlpha(Rgb(0xFFFFFF), 0.25f));
    return;
  }
  // Cap over the crown with locks falling over the forehead.
  Shape cap = Curve(f, {{-1.02f, 0.35f}, {-1.05f, -0.45f}, {-0.5f, -1.08f}, {0.5f, -1.08f}, {1.05f, -0.45f}, {1.02f, 0.35f},
                        {0.8f, -0.05f}, {0.62f, 0.1f}, {0.45f, -0.22f}, {0.22f, 0.02f}, {0.02f, -0.25f},
                        {-0.22f, 0.04f}, {-0.42f, -0.2f}, {-0.62f, 0.1f}, {-0.82f, -0.06f}});
  FillShape(s, cap, paint);
  if (l.hairStyle == kSpiky) {
    for (int i = -2; i <= 2; ++i) {
      const float x = static_cast<float>(i) * 0.38f;
      FillShape(s, f.S({{x - 0.25f, -0.9f}, {x + 0.1f, -1.45f}, {x + 0.3f, -0.85f}}), paint);
    }
  }
  if (l.hairStyle == kLong || l.hairStyle == kBob) {
    for (float side : {-1.0f, 1.0f}) {
      FillShape(s, Curve(f, {{side * 0.85f, -0.2f}, {side * 1.08f, 0.3f}, {side * 1.05f, 1.0f}, {side * 0.9f, 1.5f},
                             {side * 0.82f, 0.6f}}),
                paint);
    }
  }
  // A soft shine band.
  FillShape(s, Stroke(f, {{-0.6f, -0.62f}, {0, -0.82f}, {0.6f, -0.62f}}, 0.08f), WithAlpha(Rgb(0xFFFFFF), 0.35f));
}
// clang-format on

// clang-format off
void Headwear(Surface& s, const Frame& f, const Look& l) {
  const Colour trim = Rgb(l.trim), gold = Rgb(0xF0C850), wear = Rgb(l.headwear);
  switch (l.extra) {
    case kWitchHat:
      FillShape(s, f.E(0, -0.72f, 1.75f, 0.32f), f.V(wear, Scale(wear, 0.35f), -1.0f, -0.4f));
      FillShape(s, Curve(f, {{-0.85f, -0.78f}, {-0.4f, -1.7f}, {0.5f, -2.9f}, {1.3f, -2.6f}, {0.4f, -1.9f}, {0.85f, -0.78f}}),
                f.V(Scale(wear, 1.27f), Scale(wear, 0.45f), -2.9f, -0.8f));
      FillShape(s, Stroke(f, {{-0.88f, -0.9f}, {0, -1.02f}, {0.88f, -0.9f}}, 0.16f), trim);
      break;
    case kHelmet:
      FillShape(s, Curve(f, {{-1.1f, 0.1f}, {-1.1f, -0.6f}, {0, -1.25f}, {1.1f, -0.6f}, {1.1f, 0.1f}, {0.9f, -0.15f},
                             {-0.9f, -0.15f}}),
                f.V(wear, Scale(wear, 0.48f), -1.2f, 0.1f));
      FillShape(s, Stroke(f, {{-1.0f, -0.2f}, {0, -0.32f}, {1.0f, -0.2f}}, 0.12f), trim);
      break;
    case kCrown:
      FillShape(s, f.S({{-0.75f, -0.75f}, {-0.8f, -1.45f}, {-0.45f, -1.05f}, {-0.2f, -1.6f}, {0, -1.1f}, {0.2f, -1.6f},
                        {0.45f, -1.05f}, {0.8f, -1.45f}, {0.75f, -0.75f}}),
                f.V(Rgb(0xFFF0A0), Rgb(0xC08A20), -1.6f, -0.75f));
      FillShape(s, f.E(0, -0.92f, 0.1f, 0.1f), Rgb(0xD02040));
      break;
    case kHorns:
      for (float side : {-1.0f, 1.0f}) {
        FillShape(s, Curve(f, {{side * 0.55f, -0.75f}, {side * 1.2f, -1.3f}, {side * 1.35f, -2.0f}, {side * 0.95f, -1.25f},
                               {side * 0.75f, -0.95f}}),
                  f.V(Rgb(0xF0E8D0), Rgb(0x6A5A4A), -2.0f, -0.7f));
      }
      break;
    case kTusks:
      for (float side : {-1.0f, 1.0f}) {
        FillShape(s, f.S({{side * 0.3f, 0.8f}, {side * 0.42f, 0.45f}, {side * 0.2f, 0.78f}}), Rgb(0xF4EED8));
      }
      break;
    case kVeil:
      FillShape(s, Curve(f, {{-1.15f, 0.2f}, {-1.15f, -0.7f}, {0, -1.25f}, {1.15f, -0.7f}, {1.15f, 0.2f}, {1.4f, 1.6f},
                             {0.95f, 1.4f}, {0.9f, -0.3f}, {0, -0.75f}, {-0.9f, -0.3f}, {-0.95f, 1.4f}, {-1.4f, 1.6f}}),
                f.V(wear, Scale(wear, 0.8f), -1.2f, 1.6f));
      FillShape(s, Stroke(f, {{-0.9f, -0.5f}, {0, -0.85f}, {0.9f, -0.5f}}, 0.08f), gold);
      break;
    case kHood:
      // Deep and loose: it falls to the shoulders and shades the brow.
      FillShape(s, Curve(f, {{-1.18f, 0.2f}, {-1.22f, -0.7f}, {0, -1.32f}, {1.22f, -0.7f}, {1.18f, 0.2f}, {1.7f, 1.8f},
                             {0.95f, 1.5f}, {0.92f, -0.3f}, {0, -0.8f}, {-0.92f, -0.3f}, {-0.95f, 1.5f}, {-1.7f, 1.8f}}),
                f.V(Scale(wear, 1.3f), Scale(wear, 0.85f), -1.3f, 1.7f));
      FillShape(s, Stroke(f, {{-0.93f, -0.3f}, {0, -0.83f}, {0.93f, -0.3f}}, 0.06f), Scale(wear, 1.45f));
      break;
    case kCirclet:
      FillShape(s, Stroke(f, {{-0.95f, -0.35f}, {0, -0.62f}, {0.95f, -0.35f}}, 0.07f), gold);
      FillShape(s, f.E(0, -0.6f, 0.11f, 0.13f), Rgb(0x4AB8F0));
      break;
    case kRibbon:
      FillShape(s, f.S({{0.55f, -0.85f}, {1.05f, -1.2f}, {1.0f, -0.6f}}), trim);
      FillShape(s, f.S({{0.55f, -0.85f}, {0.35f, -1.35f}, {0.85f, -1.25f}}), trim);
      FillShape(s, f.E(0.6f, -0.88f, 0.1f, 0.1f), Scale(trim, 0.8f));
      break;
    case kTurban:
      FillShape(s, f.E(0, -0.72f, 1.15f, 0.62f), f.V(wear, Scale(wear, 0.75f), -1.3f, -0.1f));
      // The folds of the wound cloth.
      FillShape(s, Stroke(f, {{-1.02f, -0.55f}, {-0.2f, -0.98f}, {0.72f, -1.24f}}, 0.06f), Scale(wear, 0.8f));
      FillShape(s, Stroke(f, {{-0.75f, -0.2f}, {0.2f, -0.62f}, {1.06f, -0.82f}}, 0.06f), Scale(wear, 0.8f));
      FillShape(s, f.E(0, -0.55f, 0.14f, 0.16f), Rgb(0x3AA0D0));
      break;
    case kScarf:
      FillShape(s, Curve(f, {{-1.05f, 0.0f}, {-1.05f, -0.7f}, {0, -1.2f}, {1.05f, -0.7f}, {1.05f, 0.0f}, {0.85f, -0.35f},
                             {0, -0.75f}, {-0.85f, -0.35f}}),
                f.V(wear, Scale(wear, 0.78f), -1.2f, 0.0f));
      break;
    case kStrawHat:
      // A wide brim behind a low crown, banded in the clothes' trim.
      FillShape(s, f.E(0, -0.74f, 1.7f, 0.3f), f.V(Scale(wear, 1.08f), Scale(wear, 0.62f), -1.04f, -0.44f));
      FillShape(s, Curve(f, {{-0.74f, -0.8f}, {-0.7f, -1.38f}, {0, -1.58f}, {0.7f, -1.38f}, {0.74f, -0.8f}, {0, -0.7f}}),
                f.V(Scale(wear, 1.15f), Scale(wear, 0.8f), -1.58f, -0.75f));
      FillShape(s, Stroke(f, {{-0.73f, -0.9f}, {0, -0.84f}, {0.73f, -0.9f}}, 0.16f), trim);
      break;
    case kCap:
      // A round cap over the crown, its peak shading the brow.
      FillShape(s, Curve(f, {{-1.0f, -0.38f}, {-0.98f, -0.85f}, {-0.5f, -1.22f}, {0.5f, -1.22f}, {0.98f, -0.85f},
                             {1.0f, -0.38f}, {0, -0.5f}}),
                f.V(Scale(wear, 1.2f), Scale(wear, 0.72f), -1.22f, -0.4f));
      FillShape(s, f.E(0, -0.42f, 0.9f, 0.17f), f.V(Scale(wear, 0.85f), Scale(wear, 0.5f), -0.58f, -0.26f));
      FillShape(s, f.E(0, -1.2f, 0.1f, 0.06f), Scale(wear, 0.6f));
      break;
    case kNone:
      break;
  }
}
// clang-format on

// clang-format off
void FacialHair(Surface& s, const Frame& f, const Look& l) {
  const Colour hair = Rgb(l.hair);
  if (l.beard == kFullBeard) {
    FillShape(s, Curve(f, {{-0.8f, 0.45f}, {-0.35f, 0.88f}, {0, 0.86f}, {0.35f, 0.88f}, {0.8f, 0.45f}, {0.7f, 1.2f},
                           {0, 1.65f}, {-0.7f, 1.2f}}),
              f.V(Scale(hair, 1.1f), Scale(hair, 0.75f), 0.4f, 1.6f));
    FillShape(s, Stroke(f, {{-0.3f, 0.72f}, {0, 0.66f}, {0.3f, 0.72f}}, 0.09f), Scale(hair, 0.9f));
  } else if (l.beard == kMoustache) {
    FillShape(s, Stroke(f, {{-0.36f, 0.8f}, {0, 0.64f}, {0.36f, 0.8f}}, 0.11f), Scale(hair, 0.9f));
  }
}
// clang-format on

// clang-format off
void Wisp(Surface& s, const Frame& f, const Look& l) {
  const Colour flame = Rgb(l.cloth), core = Rgb(l.skin), dark = Rgb(l.eyes), spark = Rgb(l.hair), rim = Rgb(l.trim);
  FillShape(s, f.E(0, 0, 2.6f, 3.0f), Radial(WithAlpha(flame, 0.45f), WithAlpha(flame, 0), f.cx, f.cy, 2.8f * f.r));
  // The two wisps that stream out of its sides, then the flame, its tip bent by a draught.
  for (float side : {-1.0f, 1.0f}) {
    FillShape(s, Curve(f, {{side * 1.2f, -0.1f}, {side * 1.9f, 0.45f}, {side * 2.25f, 1.1f}, {side * 1.7f, 0.85f},
                           {side * 1.2f, 0.7f}}),
              WithAlpha(Scale(flame, 1.1f), 0.8f));
  }
  const Shape body = Curve(f, {{0.2f, -2.95f}, {0.45f, -2.2f}, {0.85f, -1.35f}, {1.3f, -0.6f}, {1.52f, 0.2f},
                               {1.4f, 0.98f}, {0.92f, 1.58f}, {0, 1.82f}, {-0.92f, 1.58f}, {-1.4f, 0.98f},
                               {-1.52f, 0.2f}, {-1.22f, -0.65f}, {-0.62f, -1.45f}, {-0.12f, -2.2f}});
  FillShape(s, body, f.V(WithAlpha(Scale(flame, 1.2f), 0.75f), WithAlpha(Scale(flame, 0.85f), 0.9f), -2.9f, 1.8f));
  FillShape(s, Stroke(f, {{-1.2f, 0.9f}, {-1.36f, 0.0f}, {-0.88f, -0.95f}}, 0.1f), WithAlpha(rim, 0.55f));
  FillShape(s, Stroke(f, {{-0.15f, -2.05f}, {0.3f, -1.2f}, {0.1f, -0.6f}}, 0.08f), WithAlpha(rim, 0.4f));
  // The core shines through the flame; the face sits on it.
  FillShape(s, f.E(0, 0.1f, 1.2f, 1.3f), Radial(core, WithAlpha(core, 0), f.cx, f.cy + 0.1f * f.r, 1.25f * f.r));
  for (float side : {-1.0f, 1.0f}) {
    FillShape(s, f.E(side * 0.42f, -0.05f, 0.16f, 0.25f), dark);
    FillShape(s, f.E(side * 0.42f - 0.05f, -0.15f, 0.06f, 0.07f), Rgb(0xFFFFFF));
    FillShape(s, f.E(side * 0.62f, 0.32f, 0.14f, 0.07f), WithAlpha(Rgb(0xFF9AB0), 0.3f));
  }
  FillShape(s, f.E(0, 0.45f, 0.15f, 0.08f), dark);
  // Sparks about it, clear of the message window over the portrait's lower right.
  for (const Point p : {Point{-1.95f, -0.9f}, {1.55f, -1.95f}, {-1.25f, -2.35f}, {-2.05f, 1.35f}, {0.95f, -2.75f},
                        {1.95f, -0.95f}}) {
    FillShape(s, f.E(p.x, p.y, 0.22f, 0.22f),
              Radial(WithAlpha(spark, 0.7f), WithAlpha(spark, 0), f.cx + p.x * f.r, f.cy + p.y * f.r, 0.22f * f.r));
    FillShape(s, f.E(p.x, p.y, 0.07f, 0.07f), Mix(spark, Rgb(0xFFFFFF), 0.5f));
  }
}
// clang-format on

// clang-format off
void Backdrop(Surface& s, const Look& l) {
  const float w = static_cast<float>(s.Width()), h = static_cast<float>(s.Height());
  const Colour c = Rgb(l.backdrop);
  FillShape(s, RectShape(0, 0, w, h), Radial(Scale(c, 1.5f), Scale(c, 0.45f), w * 0.5f, h * 0.35f, std::max(w, h) * 0.8f));
  for (int i = 0; i < 14; ++i) {
    const float x = Hash01(i, 1, 5u) * w, y = Hash01(i, 2, 5u) * h, r = 2 + Hash01(i, 3, 5u) * w * 0.06f;
    FillShape(s, Ellipse(x, y, r, r, 24), WithAlpha(Rgb(0xFFFFFF), 0.08f));
  }
}
// clang-format on

void Border(Surface& s) {
  const int w = s.Width(), h = s.Height();
  for (int x = 0; x < w; ++x) {
    s.Set(x, 0, ToArgb(Rgb(0xF4E6B8)));
    s.Set(x, h - 1, ToArgb(Rgb(0xA89870)));
  }
  for (int y = 0; y < h; ++y) {
    s.Set(0, y, ToArgb(Rgb(0xF4E6B8)));
    s.Set(w - 1, y, ToArgb(Rgb(0xA89870)));
  }
}

}  // namespace

bool KnownPerson(const std::string& who) { return Cast().count(who) != 0; }

bool CastColour(const std::string& who, const std::string& part, uint32_t* rgb) {
  const auto it = Cast().find(who);
  if (it == Cast().end()) return false;
  const Look& l = it->second;
  const std::map<std::string, uint32_t> parts = {{"skin", l.skin},   {"hair", l.hair}, {"eyes", l.eyes},
                                                 {"cloth", l.cloth}, {"trim", l.trim}, {"headwear", l.headwear}};
  const auto found = parts.find(part);
  if (found == parts.end() || (part == "headwear" && l.headwear == 0)) return false;
  *rgb = found->second;
  return true;
}

bool DrawPerson(Surface& s, const std::string& who, Framing framing) {
  const auto it = Cast().find(who);
  if (it == Cast().end()) return false;
  const Look& l = it->second;
  const float w = static_cast<float>(s.Width()), h = static_cast<float>(s.Height());
  const float childScale = l.age < 0.3f ? 0.88f : 1.0f;
  Frame f{};
  if (framing == Framing::kBust) {
    // Left of centre: the message window covers the portrait's right third, and the face
    // and hair must stay clear of it.
    f = {w * 0.41f, h * 0.38f, std::min(w * 0.21f, h * 0.2f) * childScale};
  } else if (framing == Framing::kFace) {
    Backdrop(s, l);
    f = {w * 0.5f, h * 0.56f, h * 0.4f};
  } else {
    Backdrop(s, l);
    f = {w * 0.5f, h * 0.4f, std::min(w * 0.2f, h * 0.19f)};
  }
  if (l.form == kWisp) {
    // The flame rises above where a head would be: its face sits lower in the frame.
    Wisp(s, {f.cx, f.cy + 0.9f * f.r, f.r}, l);
    if (framing != Framing::kBust) Border(s);
    return true;
  }
  BackHair(s, f, l);
  Body(s, f, l);
  Face(s, f, l);
  FrontHair(s, f, l);
  Headwear(s, f, l);
  FacialHair(s, f, l);
  if (framing != Framing::kBust) Border(s);
  return true;
}

}  // namespace tool
