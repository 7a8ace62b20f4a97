// The large pictures: the title's sky and stone garden, its two foreground banners,
// its logo, and the finished illustration of the picture screen.
#include <cmath>

#include "art.h"

namespace tool {

namespace {

struct Sky {
  uint32_t top, middle, horizon;
};

void PaintSky(Surface& s, const Sky& sky, float horizonY, uint32_t seed) {
  const int w = s.Width(), h = s.Height();
  for (int y = 0; y < h; ++y) {
    const float t = static_cast<float>(y) / horizonY;
    const Colour c = t < 0.6f ? Mix(Rgb(sky.top), Rgb(sky.middle), t / 0.6f)
                              : Mix(Rgb(sky.middle), Rgb(sky.horizon), std::min((t - 0.6f) / 0.4f, 1.0f));
    for (int x = 0; x < w; ++x) s.Set(x, y, ToArgb(c));
  }
  // Stars fade out toward the horizon.
  for (int i = 0; i < 260; ++i) {
    const float x = Hash01(i, 11, seed) * static_cast<float>(w);
    const float y = Hash01(i, 12, seed) * horizonY * 0.75f;
    const float r = 0.4f + Hash01(i, 13, seed) * 0.9f;
    const float a = (1.0f - y / (horizonY * 0.75f)) * (0.4f + 0.6f * Hash01(i, 14, seed));
    FillShape(s, Ellipse(x, y, r, r, 12), WithAlpha(Rgb(0xFFF8E8), a));
  }
  // Thin clouds.
  for (int y = 0; y < static_cast<int>(horizonY); ++y) {
    for (int x = 0; x < w; ++x) {
      const float n = Fractal(static_cast<float>(x) / 90.0f, static_cast<float>(y) / 22.0f, 64, seed, 4);
      const float band = std::exp(-std::pow((static_cast<float>(y) / horizonY - 0.55f) / 0.18f, 2.0f));
      const float a = std::clamp((n - 0.5f) * 2.2f, 0.0f, 1.0f) * band * 0.5f;
      if (a > 0.01f) s.Blend(x, y, Mix(Rgb(0xF0B8C8), Rgb(sky.horizon), 0.4f), a);
    }
  }
}

// A ridge of hills: noise heights above baseY, filled down to the bottom.
void PaintRidge(Surface& s, float baseY, float amplitude, float scale, const Colour& top, const Colour& bottom,
                uint32_t seed) {
  const int w = s.Width();
  Shape ridge;
  for (int x = 0; x <= w; x += 4) {
    const float n = Fractal(static_cast<float>(x) / scale, 0.5f, 1024, seed, 4);
    ridge.push_back({static_cast<float>(x), baseY - n * amplitude});
  }
  ridge.push_back({static_cast<float>(w), static_cast<float>(s.Height())});
  ridge.push_back({0, static_cast<float>(s.Height())});
  FillShape(s, ridge, Vertical(top, bottom, baseY - amplitude, static_cast<float>(s.Height())));
}

void PaintMoon(Surface& s, float x, float y, float r) {
  FillShape(s, Ellipse(x, y, r * 2.6f, r * 2.6f), WithAlpha(Rgb(0xFFF0D0), 0.08f));
  FillShape(s, Ellipse(x, y, r * 1.6f, r * 1.6f), WithAlpha(Rgb(0xFFF0D0), 0.12f));
  FillShape(s, Ellipse(x, y, r, r), Radial(Rgb(0xFFFCF0), Rgb(0xF2DEB0), x - r * 0.3f, y - r * 0.3f, r * 1.4f));
  FillShape(s, Ellipse(x + r * 0.25f, y + r * 0.1f, r * 0.18f, r * 0.15f), WithAlpha(Rgb(0xD8C498), 0.6f));
  FillShape(s, Ellipse(x - r * 0.35f, y + r * 0.35f, r * 0.12f, r * 0.1f), WithAlpha(Rgb(0xD8C498), 0.5f));
}

void PaintCastle(Surface& s, float x, float baseY, float k, const Colour& c) {
  struct Tower {
    float left, width, height;
  };
  const Tower towers[] = {{-50, 22, 70}, {28, 22, 70}, {-12, 24, 95}};
  FillShape(s, RectShape(x - 40 * k, baseY - 40 * k, 80 * k, 40 * k), c);
  for (const Tower& t : towers) {
    FillShape(s, RectShape(x + t.left * k, baseY - t.height * k, t.width * k, t.height * k), c);
    FillShape(s,
              Shape{{x + (t.left - 3) * k, baseY - t.height * k},
                    {x + (t.left + t.width / 2) * k, baseY - (t.height + 30) * k},
                    {x + (t.left + t.width + 3) * k, baseY - t.height * k}},
              c);
    FillShape(s, RectShape(x + (t.left + t.width / 2 - 1.5f) * k, baseY - (t.height - 14) * k, 3 * k, 5 * k),
              WithAlpha(Rgb(0xFFD070), 0.9f));
  }
}

// A standing stone with a lit edge, its foot at (x, footY).
void PaintStone(Surface& s, float x, float footY, float w, float h, const Colour& body, const Colour& light,
                uint32_t seed) {
  const float lean = (Hash01(static_cast<int>(x), 3, seed) - 0.5f) * w * 0.4f;
  const Shape stone = {{x - w * 0.5f, footY},
                       {x - w * 0.45f, footY - h * 0.7f},
                       {x - w * 0.3f + lean, footY - h},
                       {x + w * 0.25f + lean, footY - h * 0.96f},
                       {x + w * 0.5f, footY - h * 0.6f},
                       {x + w * 0.5f, footY}};
  FillShape(s, stone, Vertical(Scale(body, 1.2f), Scale(body, 0.7f), footY - h, footY));
  FillShape(s,
            Shape{{x + w * 0.25f + lean, footY - h * 0.96f},
                  {x + w * 0.5f, footY - h * 0.6f},
                  {x + w * 0.5f, footY},
                  {x + w * 0.38f, footY},
                  {x + w * 0.38f, footY - h * 0.6f}},
            WithAlpha(light, 0.55f));
  // Carved rune glowing faintly.
  const float ry = footY - h * 0.55f;
  FillShape(s, ThickLine({{x - w * 0.1f, ry - h * 0.12f}, {x, ry}, {x - w * 0.1f, ry + h * 0.12f}}, 1.6f),
            WithAlpha(Rgb(0x9AE8FF), 0.55f));
}

void PaintGarden(Surface& s, float groundY, uint32_t seed, float scale) {
  const Colour stone = Rgb(0x4A4E66), light = Rgb(0xFFC890);
  for (int i = 0; i < 7; ++i) {
    const float x = 40.0f + static_cast<float>(i) * 95.0f + (Hash01(i, 1, seed) - 0.5f) * 40.0f;
    const float h = (40.0f + Hash01(i, 2, seed) * 45.0f) * scale;
    PaintStone(s, x, groundY + Hash01(i, 4, seed) * 6.0f, h * 0.45f, h, stone, light, seed + static_cast<uint32_t>(i));
  }
}

void PaintGrass(Surface& s, float fromY, const Colour& c, uint32_t seed) {
  const int w = s.Width();
  for (int i = 0; i < w / 3; ++i) {
    const float x = static_cast<float>(i) * 3.0f + Hash01(i, 7, seed) * 3.0f;
    const float y = fromY + Hash01(i, 8, seed) * (static_cast<float>(s.Height()) - fromY);
    const float h = 5.0f + Hash01(i, 9, seed) * 10.0f;
    const float bend = (Hash01(i, 10, seed) - 0.5f) * 6.0f;
    FillShape(s, Shape{{x - 1.2f, y}, {x + bend, y - h}, {x + 1.2f, y}}, Scale(c, 0.8f + Hash01(i, 11, seed) * 0.5f));
  }
}

void TitleBackground(Surface& s) {
  const float w = static_cast<float>(s.Width()), h = static_cast<float>(s.Height());
  PaintSky(s, {0x0C1030, 0x3A2E6E, 0xF0A070}, h * 0.62f, 3u);
  PaintMoon(s, w * 0.8f, h * 0.16f, 26);
  PaintRidge(s, h * 0.6f, 90, 260, Rgb(0x4A3A6A), Rgb(0x2A2244), 21u);
  PaintCastle(s, w * 0.1f, h * 0.57f, 0.8f, Rgb(0x2E2448));
  PaintRidge(s, h * 0.7f, 60, 180, Rgb(0x2C2A48), Rgb(0x181830), 22u);
  // Mist over the valley.
  FillShape(s, RectShape(0, h * 0.6f, w, h * 0.15f),
            Vertical(WithAlpha(Rgb(0xE8B8C8), 0.0f), WithAlpha(Rgb(0xE8B8C8), 0.3f), h * 0.6f, h * 0.75f));
  PaintRidge(s, h * 0.82f, 30, 120, Rgb(0x22304A), Rgb(0x0E1420), 23u);
  PaintGarden(s, h * 0.86f, 5u, 0.8f);
  PaintGrass(s, h * 0.86f, Rgb(0x22384A), 9u);
}

// Foreground along the bottom edge; everything above its outline stays transparent.
void TitleBanner(Surface& s, int variant) {
  const float w = static_cast<float>(s.Width()), h = static_cast<float>(s.Height());
  const uint32_t seed = 40u + static_cast<uint32_t>(variant);
  PaintRidge(s, h * 0.55f, h * 0.25f, 200, Rgb(0x1A2238), Rgb(0x080A14), seed);
  if (variant == 0) {
    for (int i = 0; i < 4; ++i) {
      const float x = 60.0f + static_cast<float>(i) * 170.0f + Hash01(i, 3, seed) * 30.0f;
      PaintStone(s, x, h * 0.78f, 36, 70 + Hash01(i, 4, seed) * 50, Rgb(0x2A2E44), Rgb(0xFFB070),
                 seed + static_cast<uint32_t>(i));
    }
  } else {
    // A broken arch on the left and a tree on the right.
    const Colour c = Rgb(0x1C2236);
    FillShape(s, RectShape(40, h * 0.2f, 26, h * 0.8f), Vertical(Rgb(0x3A3E58), c, h * 0.2f, h));
    FillShape(s, RectShape(150, h * 0.35f, 26, h * 0.65f), Vertical(Rgb(0x3A3E58), c, h * 0.35f, h));
    FillShape(s, ThickLine(Quad({53, h * 0.22f}, {100, h * 0.02f}, {140, h * 0.3f}, 20), 16), Rgb(0x30344C));
    FillShape(s, RectShape(w - 120, h * 0.3f, 18, h * 0.7f), Rgb(0x141020));
    for (int i = 0; i < 9; ++i) {
      const float a = static_cast<float>(i) * 0.7f;
      FillShape(s, Ellipse(w - 111 + std::cos(a) * 50, h * 0.25f + std::sin(a) * 26, 44, 30),
                WithAlpha(Rgb(0x101C24), 0.95f));
    }
  }
  PaintGrass(s, h * 0.6f, Rgb(0x1C2C3A), seed + 7u);
  // Fireflies.
  for (int i = 0; i < 18; ++i) {
    const float x = Hash01(i, 1, seed) * w, y = h * 0.3f + Hash01(i, 2, seed) * h * 0.6f;
    FillShape(s, Ellipse(x, y, 4, 4), WithAlpha(Rgb(0xFFE890), 0.25f));
    FillShape(s, Ellipse(x, y, 1.4f, 1.4f), Rgb(0xFFF6C8));
  }
}

void TitleLogo(Surface& s, const Fonts& fonts) {
  const int w = s.Width(), h = s.Height();
  Surface title = s.Sub(0, 4, w, h * 70 / 100);
  TextStyle gold = GoldText();
  gold.outlineRadius = 2.6f;
  gold.outline = Rgb(0x1A0C04);
  gold.shadow = WithAlpha(Rgb(0x000000), 0.6f);
  DrawText(title, *fonts.proportional, "ミルヴァと石の庭", 1, gold, true, 80);
  // Ornament lines and the subtitle.
  const float y = static_cast<float>(h) * 0.8f;
  FillShape(s, ThickLine({{20, y}, {static_cast<float>(w) * 0.3f, y}}, 2), Rgb(0xE8C66A));
  FillShape(s, ThickLine({{static_cast<float>(w) * 0.7f, y}, {static_cast<float>(w) - 20, y}}, 2), Rgb(0xE8C66A));
  for (float x : {20.0f, static_cast<float>(w) - 20}) FillShape(s, Ellipse(x, y, 4, 4), Rgb(0xFFE8A8));
  Surface sub = s.Sub(w * 30 / 100, h * 70 / 100, w * 40 / 100, h * 22 / 100);
  DrawText(sub, *fonts.proportional, "Milva and the Stone Garden", 1, PlainText(), false, 16);
}

// The finished illustration: the heroine before the stone circle at dusk.
void Illustration(Surface& s) {
  const float w = static_cast<float>(s.Width()), h = static_cast<float>(s.Height());
  PaintSky(s, {0x1A1A4A, 0x8A4A7A, 0xFFB070}, h * 0.7f, 77u);
  PaintMoon(s, w * 0.18f, h * 0.15f, 18);
  PaintRidge(s, h * 0.66f, 70, 220, Rgb(0x5A3A6A), Rgb(0x3A2448), 31u);
  PaintRidge(s, h * 0.76f, 40, 160, Rgb(0x3A2A4A), Rgb(0x1E1830), 32u);
  PaintGarden(s, h * 0.86f, 12u, 1.1f);
  FillShape(s, RectShape(0, h * 0.86f, w, h * 0.14f), Vertical(Rgb(0x2A2A40), Rgb(0x101018), h * 0.86f, h));
  PaintGrass(s, h * 0.88f, Rgb(0x2A3A4A), 13u);
  // Light motes rising from the circle.
  for (int i = 0; i < 40; ++i) {
    const float x = Hash01(i, 1, 99u) * w, y = h * 0.3f + Hash01(i, 2, 99u) * h * 0.6f;
    const float r = 1 + Hash01(i, 3, 99u) * 2;
    FillShape(s, Ellipse(x, y, r * 3, r * 3), WithAlpha(Rgb(0x9AE8FF), 0.15f));
    FillShape(s, Ellipse(x, y, r, r), WithAlpha(Rgb(0xE8FCFF), 0.9f));
  }
  Surface figure = s.Sub(static_cast<int>(w * 0.5f), static_cast<int>(h * 0.18f), static_cast<int>(w * 0.45f),
                         static_cast<int>(h * 0.82f));
  DrawPerson(figure, "milva", Framing::kBust);
  // A soft vignette.
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      const float dx = (static_cast<float>(x) - w / 2) / (w / 2), dy = (static_cast<float>(y) - h / 2) / (h / 2);
      const float a = std::clamp((dx * dx + dy * dy - 0.6f) * 0.35f, 0.0f, 0.5f);
      s.Blend(x, y, Rgb(0x000000), a);
    }
  }
}

}  // namespace

bool DrawScene(Surface& s, const std::string& name, const Fonts& fonts) {
  if (name == "title-background") {
    TitleBackground(s);
  } else if (name == "title-banner-0") {
    TitleBanner(s, 0);
  } else if (name == "title-banner-1") {
    TitleBanner(s, 1);
  } else if (name == "title-logo") {
    TitleLogo(s, fonts);
  } else if (name == "illustration") {
    Illustration(s);
  } else {
    return false;
  }
  return true;
}

}  // namespace tool
