#include "support/quads.h"

namespace test {

// Undoes the half-pixel shift every 2D quad is drawn with.
std::vector<Quad> ScreenQuads(const std::vector<plat::DrawRecord>& records, float texSize) {
  std::vector<Quad> quads;
  for (const plat::DrawRecord& r : records) {
    if (r.kind != plat::DrawRecord::Kind::Screen) continue;
    const plat::ScreenVertex& a = r.screen[0];
    const plat::ScreenVertex& c = r.screen[2];
    quads.push_back({{a.x + 0.5f, a.y + 0.5f, c.x + 0.5f, c.y + 0.5f},
                     {a.u * texSize, a.v * texSize, c.u * texSize, c.v * texSize},
                     a.colour,
                     r.texture});
  }
  return quads;
}

}  // namespace test
