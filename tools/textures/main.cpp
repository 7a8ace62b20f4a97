// Texture builder: paints the 35 textures of 3D quads (ground, walls, markers, water)
// named by content/textures/textures.txt.
//
//   milva_textures <textures.txt> <output folder> [sheet.png]
//
// Writes texture_00.png to texture_34.png (g_textures index), and a labelled sheet.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "art.h"
#include "data/tile_roles.h"
#include "png_io.h"

namespace {

using tool::Colour;
using tool::Picture;
using tool::Rgb;

constexpr int kSize = 64;
constexpr int kTextureCount = 35;

float Noise(int x, int y, float scale, uint32_t seed, int octaves = 4) {
  const int period = static_cast<int>(static_cast<float>(kSize) / scale);
  return tool::Fractal(static_cast<float>(x) / scale, static_cast<float>(y) / scale, period, seed, octaves);
}

void Fill(Picture& p, const std::function<Colour(int, int)>& f) {
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) p.At(x, y) = tool::ToArgb(f(x, y));
}

Colour Shade(uint32_t rgb, float k) { return tool::Scale(Rgb(rgb), k); }

// Stones of a wall or pavement: rows of blocks with mortar joints.
Colour Blocks(int x, int y, int bw, int bh, uint32_t stone, uint32_t mortar, uint32_t seed) {
  const int row = y / bh;
  const int xx = x + (row % 2) * (bw / 2);
  const int col = xx / bw;
  const bool joint = y % bh == 0 || xx % bw == 0;
  const float tone = 0.8f + tool::Hash01(col % (kSize / bw), row, seed) * 0.35f;
  const float n = Noise(x, y, 8, seed + 1);
  if (joint) return Shade(mortar, 0.8f + n * 0.3f);
  const bool lit = y % bh == 1 || xx % bw == 1;
  return Shade(stone, tone * (0.85f + n * 0.3f) * (lit ? 1.15f : 1.0f));
}

Colour Grass(int x, int y, uint32_t seed, uint32_t base) {
  const float n = Noise(x, y, 16, seed), blade = tool::Hash01(x, y, seed + 3);
  Colour c = Shade(base, 0.75f + n * 0.5f);
  if (blade > 0.93f) c = tool::Mix(c, Rgb(0xB8E070), 0.5f);
  if (blade < 0.05f) c = tool::Scale(c, 0.7f);
  return c;
}

Colour Boards(int x, int y, uint32_t wood, uint32_t seed) {
  const int plank = x / 16;
  const bool joint = x % 16 == 0 || (y + plank * 23) % 64 == 0;
  const float grain = std::sin(static_cast<float>(y) * 0.35f + Noise(x, y, 8, seed) * 6.0f) * 0.08f;
  const float tone = 0.85f + tool::Hash01(plank, 0, seed) * 0.25f;
  return joint ? Shade(wood, 0.45f) : Shade(wood, tone + grain);
}

// Jittered points on an n by n grid that wraps at the texture's edges: distances from a
// pixel to the nearest point and to the next, the nearest point's offset and its cell.
struct Worley {
  float d1 = 1e9f, d2 = 1e9f;
  float dx = 0, dy = 0;  // from the nearest point to the pixel
  int id = 0;
};

Worley Cells(int x, int y, int n, uint32_t seed) {
  const float size = static_cast<float>(kSize) / static_cast<float>(n);
  const float fx = (static_cast<float>(x) + 0.5f) / size, fy = (static_cast<float>(y) + 0.5f) / size;
  const int cx = static_cast<int>(std::floor(fx)), cy = static_cast<int>(std::floor(fy));
  Worley w;
  for (int gy = cy - 1; gy <= cy + 1; ++gy) {
    for (int gx = cx - 1; gx <= cx + 1; ++gx) {
      const int wx = ((gx % n) + n) % n, wy = ((gy % n) + n) % n;
      const float px = (static_cast<float>(gx) + 0.15f + 0.7f * tool::Hash01(wx, wy, seed)) * size;
      const float py = (static_cast<float>(gy) + 0.15f + 0.7f * tool::Hash01(wx, wy, seed + 1)) * size;
      const float dx = static_cast<float>(x) + 0.5f - px, dy = static_cast<float>(y) + 0.5f - py;
      const float d = std::sqrt(dx * dx + dy * dy);
      if (d < w.d1) {
        w.d2 = w.d1;
        w.d1 = d;
        w.dx = dx;
        w.dy = dy;
        w.id = wy * n + wx;
      } else if (d < w.d2) {
        w.d2 = d;
      }
    }
  }
  return w;
}

// Leafy crowns seen from above, lit from the upper left: round masses with dark
// hollows between them.
Colour Leaves(int x, int y, uint32_t seed, float darken) {
  const Worley w = Cells(x, y, 5, seed);
  const float size = static_cast<float>(kSize) / 5.0f;
  const float r = w.d1 / (size * 0.75f);
  const float lit = std::clamp(0.55f - (w.dx + w.dy) / (size * 1.4f), 0.0f, 1.0f);
  const float tone = tool::Hash01(w.id, 0, seed + 2);
  const Colour base = tool::Mix(Rgb(0x2F6A24), tone > 0.6f ? Rgb(0x4C8A2A) : Rgb(0x23583A), tone > 0.6f ? 0.6f : tone);
  float k = 0.55f + 0.6f * lit - 0.35f * std::min(r * r, 1.0f);
  if (w.d2 - w.d1 < 2.0f) k *= 0.55f;  // the hollow between two crowns
  const float leaf = tool::Hash01(x, y, seed + 3);
  if (leaf > 0.9f) k += 0.25f * lit;
  if (leaf < 0.08f) k *= 0.7f;
  k *= 0.85f + Noise(x, y, 8, seed + 4) * 0.3f;
  return tool::Scale(base, k * darken);
}

// The shadow under a roof's edge along the top of a house wall. Faces between a house's
// own cells hang inside it with their tops on the roof's seams, where a pixel of them
// can come through; dark there, they pass for the joint.
void UnderEaves(Picture& p) {
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < kSize; ++x)
      p.At(x, y) = tool::ToArgb(tool::Scale(tool::FromArgb(p.At(x, y)), y < 2 ? 0.25f : 0.6f));
}

void Marker(Picture& p, uint32_t colour, bool ring) {
  Fill(p, [](int, int) { return Colour{0, 0, 0, 0}; });
  tool::Surface s(&p, {0, 0, kSize, kSize});
  const float c = kSize / 2.0f;
  if (ring) {
    tool::FillShape(s, tool::Ellipse(c, c, 30, 30), tool::WithAlpha(Rgb(colour), 0.95f));
    tool::FillShape(s, tool::Ellipse(c, c, 25, 25), tool::WithAlpha(tool::Scale(Rgb(colour), 0.4f), 0.35f));
    for (int i = 0; i < 4; ++i) {
      const float a = 3.14159265f * 0.5f * static_cast<float>(i);
      const float dx = std::cos(a), dy = std::sin(a);
      tool::FillShape(s,
                      tool::Shape{{c + dx * 27 - dy * 5, c + dy * 27 + dx * 5},
                                  {c + dx * 17, c + dy * 17},
                                  {c + dx * 27 + dy * 5, c + dy * 27 - dx * 5}},
                      Rgb(0xFFFFFF));
    }
    return;
  }
  // Range squares: a tinted inside with a bright border.
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const int edge = std::min(std::min(x, y), std::min(kSize - 1 - x, kSize - 1 - y));
      const Colour base = Rgb(colour);
      p.At(x, y) =
          tool::ToArgb(edge < 3 ? tool::WithAlpha(tool::Scale(base, 1.3f), 1.0f)
                                : tool::WithAlpha(base, 0.55f + 0.1f * std::sin(static_cast<float>(x + y) * 0.3f)));
    }
}

void Acted(Picture& p, uint32_t colour) {
  Fill(p, [](int, int) { return Colour{0, 0, 0, 0}; });
  tool::Surface s(&p, {0, 0, kSize, kSize});
  tool::FillShape(s, tool::Ellipse(32, 32, 30, 30), Rgb(0x101020));
  tool::FillShape(s, tool::Ellipse(32, 32, 27, 27),
                  tool::Radial(tool::Scale(Rgb(colour), 1.5f), Rgb(colour), 24, 22, 34));
  tool::FillShape(s, tool::ThickLine({{17, 33}, {28, 44}, {48, 20}}, 7), Rgb(0xFFFFFF));
}

void Water(Picture& p) {
  Fill(p, [](int x, int y) {
    const float n = Noise(x, y, 16, 31u), m = Noise(x + 17, y, 8, 37u);
    const float wave = std::sin((static_cast<float>(y) + n * 18.0f) * 0.4f);
    Colour c = tool::Mix(Rgb(0x1A5AA8), Rgb(0x3A9AD8), n);
    if (wave > 0.85f && m > 0.5f) c = tool::Mix(c, Rgb(0xD8F4FF), 0.6f);
    return tool::WithAlpha(c, 0.82f);
  });
}

using Painter = std::function<void(Picture&)>;

const std::map<std::string, Painter>& Painters() {
  static const std::map<std::string, Painter> painters = {
      {"grass", [](Picture& p) { Fill(p, [](int x, int y) { return Grass(x, y, 1u, 0x4E8A34); }); }},
      {"battle-grass",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const bool edge = x == 0 || y == 0 || x == kSize - 1 || y == kSize - 1;
           return edge ? Shade(0x2E5A22, 0.9f) : Grass(x, y, 5u, 0x5A9A3A);
         });
       }},
      {"pavement",
       [](Picture& p) { Fill(p, [](int x, int y) { return Blocks(x, y, 16, 16, 0xB8AC98, 0x6A6254, 13u); }); }},
      {"cobbles",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const Colour c = Blocks(x, y, 16, 8, 0x8A8678, 0x3A4A2A, 19u);
           return Noise(x, y, 8, 21u) > 0.62f ? tool::Mix(c, Rgb(0x4A7A30), 0.5f) : c;
         });
       }},
      {"battle-stone",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const bool edge = x == 0 || y == 0 || x == kSize - 1 || y == kSize - 1;
           return edge ? Shade(0x3A3A44, 1.0f) : Blocks(x, y, 32, 32, 0x7A7A84, 0x3A3A44, 23u);
         });
       }},
      {"dirt",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const float n = Noise(x, y, 16, 25u), pebble = tool::Hash01(x, y, 26u);
           return pebble > 0.97f ? Shade(0xC8B8A0, 1.0f) : Shade(0x8A6A44, 0.75f + n * 0.45f);
         });
       }},
      {"sand",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           return Shade(0xD8C48A, 0.85f + Noise(x, y, 8, 27u) * 0.25f + tool::Hash01(x, y, 28u) * 0.06f);
         });
       }},
      {"boards", [](Picture& p) { Fill(p, [](int x, int y) { return Boards(x, y, 0x9A6A3A, 29u); }); }},
      {"crate-top",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const int e = std::min(std::min(x, y), std::min(kSize - 1 - x, kSize - 1 - y));
           return e < 5 ? Shade(0x6A4422, 0.9f) : Boards(x, y, 0xB07A44, 31u);
         });
       }},
      {"crate-side",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const int e = std::min(std::min(x, y), std::min(kSize - 1 - x, kSize - 1 - y));
           const bool brace = std::abs(x - y) < 4 || e < 5;
           return brace ? Shade(0x6A4422, 0.9f) : Boards(y, x, 0xB07A44, 33u);
         });
       }},
      {"lift",
       [](Picture& p) {
         // A carved stone plate with a ring of glowing runes: the party rides on it.
         Fill(p, [](int x, int y) {
           const int e = std::min(std::min(x, y), std::min(kSize - 1 - x, kSize - 1 - y));
           const float dx = static_cast<float>(x) - 31.5f, dy = static_cast<float>(y) - 31.5f;
           const float r = std::sqrt(dx * dx + dy * dy);
           const bool rune = r > 18 && r < 22 && (static_cast<int>(std::atan2(dy, dx) * 6.0f) % 2 == 0);
           if (e < 3) return Shade(0x4A4A56, 0.9f);
           if (rune || (r > 6 && r < 8)) return tool::Mix(Rgb(0x9AE8FF), Rgb(0xFFFFFF), 0.3f);
           return Shade(0x8A8A98, 0.8f + Noise(x, y, 8, 35u) * 0.3f - (e < 6 ? 0.15f : 0.0f));
         });
       }},
      {"roof",
       [](Picture& p) {
         // Courses of rounded tiles 16 wide and 8 deep, each lit at its top and shaded
         // toward its lower edge, so copies meet without a seam. Each course starts with
         // its joint: a cell's edge is a joint on one side and a shaded tile foot on the
         // other, never a bright line where a roof ends.
         Fill(p, [](int x, int y) {
           const int row = y / 8, ly = y % 8, xx = x + (row % 2) * 8, lx = xx % 16;
           if (ly == 0) return Shade(0x2E2224, 1.0f);
           const bool rounded = ly >= 6 && std::abs(lx - 8) > 11 - ly;  // the gap between tile feet
           if (lx == 0 || rounded) return Shade(0x4A2A26, 1.0f);
           const float tone = 0.85f + tool::Hash01((xx / 16) % 4, row, 37u) * 0.25f;
           const float light =
               1.15f - static_cast<float>(ly) * 0.07f - std::abs(static_cast<float>(lx) - 8.0f) * 0.012f;
           return Shade(0x9A3E30, tone * light * (0.92f + Noise(x, y, 8, 38u) * 0.16f));
         });
       }},
      {"house-plaster",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const bool window = x >= 22 && x < 42 && y >= 14 && y < 38;
           const bool frame = window && (x < 24 || x >= 40 || y < 16 || y >= 36 || x == 31 || y == 25);
           if (frame) return Rgb(0x5A3A22);
           if (window) return Shade(0xF0D070, 0.8f + static_cast<float>(y - 14) * 0.01f);
           return Shade(0xE8DCC4, 0.85f + Noise(x, y, 8, 39u) * 0.2f);
         });
         UnderEaves(p);
       }},
      {"house-timber",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const bool beam = x < 4 || x >= 60 || y < 4 || (y >= 30 && y < 34) || std::abs((x - y)) < 3;
           return beam ? Shade(0x4A2E1A, 0.9f + Noise(x, y, 8, 41u) * 0.2f)
                       : Shade(0xEADFC8, 0.85f + Noise(x, y, 8, 43u) * 0.2f);
         });
         UnderEaves(p);
       }},
      {"house-brick",
       [](Picture& p) {
         Fill(p, [](int x, int y) { return Blocks(x, y, 16, 8, 0xA8523A, 0xD8CCB8, 45u); });
         UnderEaves(p);
       }},
      {"house-door",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const bool door = x >= 20 && x < 44 && y >= 18;
           if (door) {
             if (x == 40 && y == 42) return Rgb(0xF0C850);
             return (x - 20) % 8 == 0 ? Shade(0x3A2412, 1.0f) : Shade(0x7A4A26, 0.9f + Noise(x, y, 8, 47u) * 0.2f);
           }
           return Shade(0xE0D4BC, 0.85f + Noise(x, y, 8, 49u) * 0.2f);
         });
         UnderEaves(p);
       }},
      {"carpet",
       [](Picture& p) {
         // No border: runners are several cells wide, and a border would line every cell.
         Fill(p, [](int x, int y) {
           const int mx = std::abs((x % 16) - 8), my = std::abs((y % 16) - 8);
           if (mx + my == 5 || (mx + my < 2)) return Shade(0xE0B050, 0.8f);
           return Shade(0x9A1E2A, 0.85f + Noise(x, y, 4, 55u) * 0.15f);
         });
       }},
      {"marble",
       [](Picture& p) {
         // Cream and warm grey slabs, two a side, with faint veins: a calm chequer.
         Fill(p, [](int x, int y) {
           const bool dark = ((x / 32) + (y / 32)) % 2 == 1;
           const float vein = std::abs(std::sin(static_cast<float>(x + y) * 0.12f + Noise(x, y, 16, 57u) * 8.0f));
           Colour c = Shade(dark ? 0xA8A09A : 0xE4DCCC, 0.92f + Noise(x, y, 8, 58u) * 0.12f);
           if (vein > 0.97f) c = tool::Scale(c, 0.82f);
           if (x % 32 == 0 || y % 32 == 0) c = tool::Scale(c, 0.7f);
           return c;
         });
       }},
      {"rock-top",
       [](Picture& p) {
         // Weathered rock: broad slabs of uneven grey, cracks that come and go, lichen.
         Fill(p, [](int x, int y) {
           const Worley w = Cells(x, y, 2, 71u);
           const float tone = 0.78f + tool::Hash01(w.id, 1, 72u) * 0.3f;
           const float n = Noise(x, y, 8, 73u), fine = Noise(x, y, 4, 75u);
           Colour c = tool::Mix(Rgb(0x8C8A82), Rgb(0x6E7070), fine);
           c = tool::Scale(c, tone * (0.75f + n * 0.45f));
           const float moss = Noise(x, y, 16, 74u);
           if (moss > 0.64f) c = tool::Mix(c, Rgb(0x667A3A), std::min(0.7f, (moss - 0.64f) * 5.0f));
           const bool crack = w.d2 - w.d1 < 1.2f && Noise(x, y, 8, 76u) > 0.35f;
           if (crack) c = tool::Scale(c, 0.45f);
           if (tool::Hash01(x, y, 77u) > 0.96f) c = tool::Scale(c, 1.2f);
           return c;
         });
       }},
      {"rock-face",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const float n = Noise(x, y, 16, 11u);
           const float band = static_cast<float>(y) + n * 10.0f;
           const int layer = static_cast<int>(band / 9.0f);
           const float tone = 0.75f + tool::Hash01(layer, 0, 12u) * 0.35f;
           const Colour stone = tool::Mix(Rgb(0x7A6A58), Rgb(0x6A6A66), tool::Hash01(layer, 1, 13u));
           Colour c = tool::Scale(stone, tone * (0.8f + Noise(x, y, 8, 14u) * 0.35f));
           if (std::fmod(band, 9.0f) < 1.2f) c = tool::Scale(c, 0.55f);                          // bedding joint
           if (tool::Hash01(x / 4, layer, 15u) > 0.93f && x % 4 == 0) c = tool::Scale(c, 0.6f);  // crack
           return c;
         });
       }},
      {"stone-top",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const int bx = x % 32, by = y % 32;
           const float tone = 0.85f + tool::Hash01(x / 32, y / 32, 81u) * 0.2f;
           Colour c = Shade(0x545666, tone * (0.85f + Noise(x, y, 8, 82u) * 0.3f));
           if (bx == 0 || by == 0) return Shade(0x22222A, 1.0f);
           if (bx <= 2 || by <= 2) c = tool::Scale(c, 1.2f);  // bevel toward the light
           if (bx >= 30 || by >= 30) c = tool::Scale(c, 0.7f);
           return c;
         });
       }},
      {"stone-wall",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const Colour c = Blocks(x, y, 32, 16, 0x5E6070, 0x24242C, 83u);
           return y % 16 >= 13 ? tool::Scale(c, 0.8f) : c;  // shade under each course
         });
       }},
      {"flowers",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           static constexpr uint32_t kBlooms[] = {0xE8384A, 0xF4D03A, 0xF6F2EC, 0xE07AC0, 0x9A6AE0, 0xF08A30};
           const Worley w = Cells(x, y, 9, 91u);
           const float pick = tool::Hash01(w.id, 3, 92u);
           if (pick > 0.12f && w.d1 < 2.6f) {
             if (w.d1 < 0.9f) return Rgb(0xF8E070);
             const Colour bloom = Rgb(kBlooms[static_cast<int>(pick * 6.0f) % 6]);
             return tool::Scale(bloom, 1.05f - 0.12f * w.d1 + (w.dx + w.dy < 0 ? 0.1f : 0.0f));
           }
           const float leaf = Noise(x, y, 8, 93u);
           return Shade(0x2E6A26, 0.6f + leaf * 0.6f + (tool::Hash01(x, y, 94u) > 0.9f ? 0.2f : 0.0f));
         });
       }},
      {"cave-floor",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           const Worley w = Cells(x, y, 4, 101u);
           if (w.d2 - w.d1 < 1.8f) {
             return Shade(0x3A342C, 0.8f + tool::Hash01(x, y, 102u) * 0.4f);  // grit between the stones
           }
           const float tone = 0.75f + tool::Hash01(w.id, 2, 103u) * 0.35f;
           Colour c = Shade(0x7E7264, tone * (0.85f + Noise(x, y, 8, 104u) * 0.3f));
           if (w.d2 - w.d1 < 3.2f && w.dx + w.dy < 0) c = tool::Scale(c, 1.12f);
           return c;
         });
       }},
      {"canopy", [](Picture& p) { Fill(p, [](int x, int y) { return Leaves(x, y, 111u, 1.0f); }); }},
      {"trunks",
       [](Picture& p) {
         // Top to bottom: the crowns' leafy edge (level with the canopy), shaded trunks
         // among ferns down to the ground two thirds down, then earth and roots below it.
         Fill(p, [](int x, int y) {
           const float fringe = 16.0f + Noise(x, 0, 8, 121u) * 10.0f;
           if (static_cast<float>(y) < fringe) return Leaves(x, y, 122u, 1.0f - static_cast<float>(y) / 60.0f);
           if (y >= 43) {
             const bool root = (x % 21 == 5 || x % 21 == 6) && y < 50;
             return root ? Shade(0x4A3220, 0.9f) : Shade(0x5A4632, 0.55f + Noise(x, y, 8, 123u) * 0.4f);
           }
           static constexpr int kTrunks[][2] = {{5, 7}, {26, 6}, {47, 8}};
           for (const auto& t : kTrunks) {
             const int dx = x - t[0];
             if (dx < 0 || dx >= t[1]) continue;
             const float lit = 1.15f - static_cast<float>(dx) / static_cast<float>(t[1]) * 0.6f;
             const float bark = (tool::Hash01(x, y / 3, 124u) > 0.75f) ? 0.75f : 1.0f;
             return Shade(0x6A4E36, lit * bark * (0.85f + Noise(x, y, 8, 125u) * 0.3f));
           }
           const float fern = Noise(x, y, 8, 126u) + static_cast<float>(y - 30) / 20.0f;
           if (y > 30 && fern > 0.95f) return Shade(0x3A7A2A, 0.6f + Noise(x, y, 4, 127u) * 0.6f);
           return Shade(0x1E2E18, 0.7f + Noise(x, y, 8, 128u) * 0.5f);
         });
       }},
      {"pine-trunks",
       [](Picture& p) {
         Fill(p, [](int x, int y) {
           // Boughs in tiers with saw-toothed lower edges, then straight red-brown trunks.
           const float tooth = std::fabs(static_cast<float>(x % 11) - 5.0f);
           const float tier1 = 10.0f + tooth, tier2 = 21.0f + tooth * 0.8f;
           if (static_cast<float>(y) < tier2) {
             const bool edge = std::fabs(static_cast<float>(y) - tier1) < 1.5f;
             const float k = 0.6f + Noise(x, y, 8, 131u) * 0.5f - static_cast<float>(y) / 70.0f;
             return Shade(0x1F4A38, edge ? k * 0.6f : k + (tool::Hash01(x, y, 132u) > 0.88f ? 0.2f : 0.0f));
           }
           if (y >= 43) return Shade(0x4A3A2A, 0.5f + Noise(x, y, 8, 133u) * 0.4f);
           static constexpr int kTrunks[][2] = {{9, 4}, {30, 5}, {52, 4}};
           for (const auto& t : kTrunks) {
             const int dx = x - t[0];
             if (dx < 0 || dx >= t[1]) continue;
             return Shade(0x8A4A2E, (1.15f - static_cast<float>(dx) * 0.12f) * (0.85f + Noise(x, y, 8, 134u) * 0.3f));
           }
           return Shade(0x142A20, 0.7f + Noise(x, y, 8, 135u) * 0.5f);
         });
       }},
      {"marker-gold", [](Picture& p) { Marker(p, 0xF0B830, true); }},
      {"marker-red", [](Picture& p) { Marker(p, 0xE83A3A, true); }},
      {"marker-blue", [](Picture& p) { Marker(p, 0x4AA8FF, true); }},
      {"range-blue", [](Picture& p) { Marker(p, 0x3A78E8, false); }},
      {"range-gold", [](Picture& p) { Marker(p, 0xF0A020, false); }},
      {"acted-party", [](Picture& p) { Acted(p, 0x2A5AC8); }},
      {"acted-enemy", [](Picture& p) { Acted(p, 0xC82A3A); }},
      {"water", Water},
  };
  return painters;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "milva_textures: %s\n", message.c_str());
  return 1;
}

struct Line {
  int index;
  std::string style, uses, role;
};

// What the tile roles and the battlefield's floors say texture `index` shows: "top:<role>",
// "side:<role>", "battle-top:<terrain>" and "battle-side:<terrain>".
std::set<std::string> UsesOf(int index) {
  std::set<std::string> uses;
  for (const TileRole& r : kTileRoles) {
    if (r.top == index) uses.insert(std::string("top:") + r.name);
    if (r.side == index) uses.insert(std::string("side:") + r.name);
  }
  for (const BattleFloor& f : kBattleFloors) {
    if (f.top == index) uses.insert(std::string("battle-top:") + f.terrain);
    if (f.side == index) uses.insert(std::string("battle-side:") + f.terrain);
  }
  return uses;
}

// Why a use named on a texture's line is not one the roles give it ("" when it is).
std::string WrongUse(int index, const std::string& use) {
  const size_t colon = use.find(':');
  const std::string kind = use.substr(0, colon), name = colon == std::string::npos ? "" : use.substr(colon + 1);
  if (kind == "top" || kind == "side") {
    for (const TileRole& r : kTileRoles) {
      if (name != r.name) continue;
      const int shown = kind == "top" ? r.top : r.side;
      return "tile code " + std::to_string(r.code) + " (" + name + ") shows texture " + std::to_string(shown) +
             " on its " + kind + ", not " + std::to_string(index);
    }
    return "no tile role is named '" + name + "'";
  }
  if (kind == "battle-top" || kind == "battle-side") {
    for (const BattleFloor& f : kBattleFloors) {
      if (name != f.terrain) continue;
      const int shown = kind == "battle-top" ? f.top : f.side;
      return "the battlefield on " + name + " terrain uses texture " + std::to_string(shown) + " there, not " +
             std::to_string(index);
    }
    return "no battlefield terrain is named '" + name + "'";
  }
  return "'" + use + "' is no use: write top:, side:, battle-top: or battle-side: and a name, or '-'";
}

// The uses a line names must be exactly those of the tile roles and battlefield floors.
bool CheckUses(const Line& l, const std::string& where, std::string* error) {
  std::set<std::string> named;
  if (l.uses != "-") {
    std::stringstream list(l.uses);
    for (std::string use; std::getline(list, use, ',');) named.insert(use);
  }
  const std::set<std::string> actual = UsesOf(l.index);
  for (const std::string& use : named) {
    if (actual.count(use)) continue;
    *error = where + "texture " + std::to_string(l.index) + ": " + WrongUse(l.index, use);
    return false;
  }
  for (const std::string& use : actual) {
    if (named.count(use)) continue;
    *error = where + "texture " + std::to_string(l.index) + " is also " + use +
             " (data/tile_roles.def); its line must say so";
    return false;
  }
  return true;
}

bool ReadList(const std::string& path, std::vector<Line>* lines, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot open the texture list";
    return false;
  }
  std::string text;
  std::vector<bool> seen(kTextureCount, false);
  for (int n = 1; std::getline(in, text); ++n) {
    if (text.empty() || text[0] == '#') continue;
    std::stringstream fields(text);
    Line l{-1, "", "", ""};
    fields >> l.index >> l.style >> l.uses;
    std::getline(fields, l.role);
    const std::string where = path + ":" + std::to_string(n) + ": ";
    if (l.index < 0 || l.index >= kTextureCount || seen[static_cast<size_t>(l.index)] || !Painters().count(l.style) ||
        l.uses.empty()) {
      *error = where + "expected a new index 0 to 34, a known style and the texture's uses";
      return false;
    }
    if (!CheckUses(l, where, error)) return false;
    seen[static_cast<size_t>(l.index)] = true;
    lines->push_back(l);
  }
  if (lines->size() != kTextureCount) {
    *error = path + ": every index 0 to 34 needs a line";
    return false;
  }
  return true;
}

Picture Sheet(const std::vector<std::pair<Line, Picture>>& done, const tool::Font& font) {
  constexpr int kCell = 150, kColumns = 7;
  Picture sheet(kCell * kColumns, kCell * 5, 0xFF20242Cu);
  for (size_t i = 0; i < done.size(); ++i) {
    const int cx = static_cast<int>(i % kColumns) * kCell, cy = static_cast<int>(i / kColumns) * kCell;
    tool::Surface cell(&sheet, {cx, cy, cx + kCell, cy + kCell});
    const Picture& p = done[i].second;
    for (int y = 0; y < 2 * kSize; ++y)
      for (int x = 0; x < 2 * kSize; ++x) cell.Blend(11 + x, 4 + y, tool::FromArgb(p.At(x / 2, y / 2)));
    tool::Surface label = cell.Sub(2, 2 * kSize + 5, kCell - 4, 16);
    tool::DrawText(label, font, std::to_string(done[i].first.index) + " " + done[i].first.style, 1, tool::PlainText(),
                   false, 12);
  }
  return sheet;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Fail("usage: milva_textures <textures.txt> <output folder> [sheet.png] [font]");
  std::string error;
  std::vector<Line> lines;
  if (!ReadList(argv[1], &lines, &error)) return Fail(error);
  std::vector<std::pair<Line, Picture>> done;
  for (const Line& l : lines) {
    Picture p(kSize, kSize, tool::kColourKey);
    Painters().at(l.style)(p);
    char name[32];
    std::snprintf(name, sizeof name, "/texture_%02d.png", l.index);
    if (!tool::WritePng(argv[2] + std::string(name), p, &error)) return Fail(error);
    done.emplace_back(l, std::move(p));
  }
  if (argc > 4) {
    const auto font = tool::Font::Open(argv[4], &error);
    if (!font) return Fail(error);
    if (!tool::WritePng(argv[3], Sheet(done, *font), &error)) return Fail(error);
  }
  return 0;
}
