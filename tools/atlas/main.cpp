// Atlas builder: paints the 2048 by 2048 interface atlas from its one definition.
//
//   milva_atlas <atlas.def> <proportional font> <fixed font> <atlas.png> [preview.png]
//
// The preview shows every rectangle outlined and named over a checker board.
#include <cstdio>
#include <string>

#include "atlas_def.h"
#include "painters.h"
#include "png_io.h"

namespace {

constexpr int kAtlasSize = 2048;

int Fail(const std::string& message) {
  std::fprintf(stderr, "milva_atlas: %s\n", message.c_str());
  return 1;
}

void Outline(tool::Surface& s, const tool::Colour& c) {
  for (int x = 0; x < s.Width(); ++x) {
    s.Blend(x, 0, c);
    s.Blend(x, s.Height() - 1, c);
  }
  for (int y = 1; y < s.Height() - 1; ++y) {
    s.Blend(0, y, c);
    s.Blend(s.Width() - 1, y, c);
  }
}

tool::Picture Preview(const tool::Picture& atlas, const std::vector<atlas::Entry>& entries, const tool::Font& font) {
  tool::Picture out(atlas.width, atlas.height, 0);
  for (int y = 0; y < atlas.height; ++y)
    for (int x = 0; x < atlas.width; ++x) out.At(x, y) = ((x / 16 + y / 16) % 2) ? 0xFF3A3A44u : 0xFF2A2A32u;
  tool::Surface all(&out, {0, 0, out.width, out.height});
  for (int y = 0; y < atlas.height; ++y)
    for (int x = 0; x < atlas.width; ++x) {
      const uint32_t p = atlas.At(x, y);
      if (p != tool::kColourKey) all.Blend(x, y, tool::FromArgb(p));
    }
  tool::TextStyle label;
  label.top = label.bottom = tool::Rgb(0xFFFF60);
  label.outline = tool::Rgb(0x000000);
  label.outlineRadius = 1.0f;
  for (const atlas::Entry& e : entries) {
    tool::Surface s(&out, e.box);
    Outline(s, e.kind == "same" ? tool::Rgb(0x40C0FF) : tool::Rgb(0xFF40A0));
    std::string name = e.name.rfind("kAtlas", 0) == 0 ? e.name.substr(6) : e.name;
    const tool::Coverage c = font.Render(tool::DecodeUtf8(name), 10, false);
    tool::DrawCoverage(s, c, 2, 1, label);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5)
    return Fail("usage: milva_atlas <atlas.def> <proportional font> <fixed font> <atlas.png> [preview.png]");
  std::string error;
  std::vector<atlas::Entry> entries;
  if (!atlas::ReadDefinition(argv[1], &entries, &error) ||
      !atlas::CheckEntries(argv[1], entries, kAtlasSize, atlas::PaintKinds(), &error))
    return Fail(error);
  const auto proportional = tool::Font::Open(argv[2], &error);
  const auto fixed = proportional ? tool::Font::Open(argv[3], &error) : nullptr;
  if (!fixed) return Fail(error);
  const tool::Fonts fonts{proportional.get(), fixed.get()};
  tool::Picture atlasPicture(kAtlasSize, kAtlasSize, tool::kColourKey);
  for (const atlas::Entry& e : entries) {
    tool::Surface s(&atlasPicture, e.box);
    if (!atlas::PaintEntry(s, e, fonts, &error))
      return Fail(std::string(argv[1]) + ":" + std::to_string(e.line) + ": " + e.name + ": " + error);
  }
  if (!tool::WritePng(argv[4], atlasPicture, &error)) return Fail(error);
  if (argc > 5 && !tool::WritePng(argv[5], Preview(atlasPicture, entries, *proportional), &error)) return Fail(error);
  return 0;
}
