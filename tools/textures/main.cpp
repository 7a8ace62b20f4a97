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
#include <sstream>
#include <vector>

#include "art.h"
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

// clang-format off
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
      tool::FillShape(s, tool::Shape{{c + dx * 27 - dy * 5, c + dy * 27 + dx * 5}, {c + dx * 17, c + dy * 17},
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
      p.At(x, y) = tool::ToArgb(edge < 3 ? tool::WithAlpha(tool::Scale(base, 1.3f), 1.0f)
                                         : tool::WithAlpha(base, 0.55f + 0.1f * std::sin(static_cast<float>(x + y) * 0.3f)));
    }
}
// clang-format on

// clang-format off
void Acted(Picture& p, uint32_t colour) {
  Fill(p, [](int, int) { return Colour{0, 0, 0, 0}; });
  tool::Surface s(&p, {0, 0, kSize, kSize});
  tool::FillShape(s, tool::Ellipse(32, 32, 30, 30), Rgb(0x101020));
  tool::FillShape(s, tool::Ellipse(32, 32, 27, 27), tool::Radial(tool::Scale(Rgb(colour), 1.5f), Rgb(colour), 24, 22, 34));
  tool::FillShape(s, tool::ThickLine({{17, 33}, {28, 44}, {48, 20}}, 7), Rgb(0xFFFFFF));
}
// clang-format on

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

// clang-format off
const std::map<std::string, Painter>& Painters() {
  static const std::map<std::string, Painter> painters = {
      {"grass", [](Picture& p) { Fill(p, [](int x, int y) { return Grass(x, y, 1u, 0x4E8A34); }); }},
      {"battle-grass", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const bool edge = x == 0 || y == 0 || x == kSize - 1 || y == kSize - 1;
           return edge ? Shade(0x2E5A22, 0.9f) : Grass(x, y, 5u, 0x5A9A3A);
         });
       }},
      {"meadow", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const float f = tool::Hash01(x / 3, y / 3, 9u);
           if (f > 0.94f && (x % 3 + y % 3) < 3) return f > 0.97f ? Rgb(0xF8E8F0) : Rgb(0xF0C040);
           return Grass(x, y, 7u, 0x5A9A3A);
         });
       }},
      {"wall-top", [](Picture& p) { Fill(p, [](int x, int y) { return Blocks(x, y, 32, 16, 0x8A8A90, 0x4A4A50, 3u); }); }},
      {"cliff", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const float n = Noise(x, y, 16, 11u), strata = std::sin(static_cast<float>(y) * 0.5f + n * 4.0f);
           return Shade(0x7A6650, 0.6f + n * 0.5f + strata * 0.08f);
         });
       }},
      {"pavement", [](Picture& p) { Fill(p, [](int x, int y) { return Blocks(x, y, 16, 16, 0xB8AC98, 0x6A6254, 13u); }); }},
      {"dungeon", [](Picture& p) { Fill(p, [](int x, int y) { return Blocks(x, y, 32, 32, 0x5A5A66, 0x26262E, 17u); }); }},
      {"cobbles", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const Colour c = Blocks(x, y, 16, 8, 0x8A8678, 0x3A4A2A, 19u);
           return Noise(x, y, 8, 21u) > 0.62f ? tool::Mix(c, Rgb(0x4A7A30), 0.5f) : c;
         });
       }},
      {"battle-stone", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const bool edge = x == 0 || y == 0 || x == kSize - 1 || y == kSize - 1;
           return edge ? Shade(0x3A3A44, 1.0f) : Blocks(x, y, 32, 32, 0x7A7A84, 0x3A3A44, 23u);
         });
       }},
      {"dirt", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const float n = Noise(x, y, 16, 25u), pebble = tool::Hash01(x, y, 26u);
           return pebble > 0.97f ? Shade(0xC8B8A0, 1.0f) : Shade(0x8A6A44, 0.75f + n * 0.45f);
         });
       }},
      {"sand", [](Picture& p) {
         Fill(p, [](int x, int y) { return Shade(0xD8C48A, 0.85f + Noise(x, y, 8, 27u) * 0.25f + tool::Hash01(x, y, 28u) * 0.06f); });
       }},
      {"boards", [](Picture& p) { Fill(p, [](int x, int y) { return Boards(x, y, 0x9A6A3A, 29u); }); }},
      {"crate-top", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const int e = std::min(std::min(x, y), std::min(kSize - 1 - x, kSize - 1 - y));
           return e < 5 ? Shade(0x6A4422, 0.9f) : Boards(x, y, 0xB07A44, 31u);
         });
       }},
      {"crate-side", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const int e = std::min(std::min(x, y), std::min(kSize - 1 - x, kSize - 1 - y));
           const bool brace = std::abs(x - y) < 4 || e < 5;
           return brace ? Shade(0x6A4422, 0.9f) : Boards(y, x, 0xB07A44, 33u);
         });
       }},
      {"lift", [](Picture& p) {
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
      {"roof", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const int row = y / 8;
           const bool joint = y % 8 == 7 || (x + (row % 2) * 6) % 12 == 0;
           return joint ? Shade(0x2A2430, 1.0f) : Shade(0x7A3A34, 0.8f + tool::Hash01((x + (row % 2) * 6) / 12, row, 37u) * 0.3f);
         });
       }},
      {"house-plaster", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const bool window = x >= 22 && x < 42 && y >= 14 && y < 38;
           const bool frame = window && (x < 24 || x >= 40 || y < 16 || y >= 36 || x == 31 || y == 25);
           if (frame) return Rgb(0x5A3A22);
           if (window) return Shade(0xF0D070, 0.8f + static_cast<float>(y - 14) * 0.01f);
           return Shade(0xE8DCC4, 0.85f + Noise(x, y, 8, 39u) * 0.2f);
         });
       }},
      {"house-timber", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const bool beam = x < 4 || x >= 60 || y < 4 || (y >= 30 && y < 34) || std::abs((x - y)) < 3;
           return beam ? Shade(0x4A2E1A, 0.9f + Noise(x, y, 8, 41u) * 0.2f) : Shade(0xEADFC8, 0.85f + Noise(x, y, 8, 43u) * 0.2f);
         });
       }},
      {"house-brick", [](Picture& p) { Fill(p, [](int x, int y) { return Blocks(x, y, 16, 8, 0xA8523A, 0xD8CCB8, 45u); }); }},
      {"house-door", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const bool door = x >= 20 && x < 44 && y >= 18;
           if (door) {
             if (x == 40 && y == 42) return Rgb(0xF0C850);
             return (x - 20) % 8 == 0 ? Shade(0x3A2412, 1.0f) : Shade(0x7A4A26, 0.9f + Noise(x, y, 8, 47u) * 0.2f);
           }
           return Shade(0xE0D4BC, 0.85f + Noise(x, y, 8, 49u) * 0.2f);
         });
       }},
      {"hedge-top", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const float n = Noise(x, y, 8, 51u), leaf = tool::Hash01(x, y, 52u);
           return Shade(0x2E6A2A, 0.6f + n * 0.7f + (leaf > 0.9f ? 0.25f : 0.0f));
         });
       }},
      {"hedge-side", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const float n = Noise(x, y, 8, 53u), leaf = tool::Hash01(x, y, 54u);
           const float dark = static_cast<float>(y) / kSize * 0.3f;
           return Shade(0x285A24, 0.7f + n * 0.6f - dark + (leaf > 0.92f ? 0.2f : 0.0f));
         });
       }},
      {"carpet", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const int e = std::min(x % 64, 63 - x % 64);
           if (e < 4) return Rgb(0xE0B050);
           const bool motif = (std::abs((x % 16) - 8) + std::abs((y % 16) - 8)) == 5;
           return motif ? Shade(0xE0B050, 0.8f) : Shade(0x9A1E2A, 0.85f + Noise(x, y, 4, 55u) * 0.15f);
         });
       }},
      {"marble", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const bool dark = ((x / 32) + (y / 32)) % 2 == 1;
           const float vein = std::abs(std::sin(static_cast<float>(x + y) * 0.12f + Noise(x, y, 16, 57u) * 8.0f));
           const Colour base = dark ? Rgb(0x3A3A4A) : Rgb(0xE8E4DC);
           return tool::Mix(base, dark ? Rgb(0x6A6A7A) : Rgb(0xB8B0A8), vein > 0.96f ? 0.6f : 0.0f);
         });
       }},
      {"castle-top", [](Picture& p) { Fill(p, [](int x, int y) { return Blocks(x, y, 32, 32, 0x8A8AA0, 0x40404E, 59u); }); }},
      {"castle-wall", [](Picture& p) { Fill(p, [](int x, int y) { return Blocks(x, y, 32, 16, 0x7E7E92, 0x3A3A48, 61u); }); }},
      {"castle-banner", [](Picture& p) {
         Fill(p, [](int x, int y) {
           const bool cloth = x >= 20 && x < 44 && y < 50 + (x % 8 < 4 ? x % 4 : 4 - x % 4);
           if (cloth) {
             const bool emblem = std::abs(x - 32) + std::abs(y - 22) < 7;
             return emblem ? Rgb(0xF0C850) : Shade(0x2A3A9A, 0.85f + Noise(x, y, 8, 63u) * 0.2f);
           }
           return Blocks(x, y, 32, 16, 0x7E7E92, 0x3A3A48, 61u);
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
// clang-format on

int Fail(const std::string& message) {
  std::fprintf(stderr, "milva_textures: %s\n", message.c_str());
  return 1;
}

struct Line {
  int index;
  std::string style, role;
};

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
    Line l{-1, "", ""};
    fields >> l.index >> l.style;
    std::getline(fields, l.role);
    if (l.index < 0 || l.index >= kTextureCount || seen[static_cast<size_t>(l.index)] || !Painters().count(l.style)) {
      *error = path + ":" + std::to_string(n) + ": expected a new index 0 to 34 and a known style";
      return false;
    }
    seen[static_cast<size_t>(l.index)] = true;
    lines->push_back(l);
  }
  if (lines->size() != kTextureCount) {
    *error = path + ": every index 0 to 34 needs a line";
    return false;
  }
  return true;
}

// clang-format off
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
    tool::DrawText(label, font, std::to_string(done[i].first.index) + " " + done[i].first.style, 1, tool::PlainText(), false, 12);
  }
  return sheet;
}
// clang-format on

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
