#include "support/sprites.h"

#include "engine/atlas.h"

namespace test {

std::vector<Sprite> ScreenSprites(const std::vector<plat::DrawRecord>& records, const plat::Texture* texture,
                                  float texSize) {
  std::vector<Sprite> out;
  for (const plat::DrawRecord& r : records) {
    if (r.kind != plat::DrawRecord::Kind::Screen || (texture && r.texture != texture)) continue;
    const plat::ScreenVertex& a = r.screen[0];
    const plat::ScreenVertex& c = r.screen[2];
    out.push_back({a.x + 0.5f, a.y + 0.5f, c.x - a.x, c.y - a.y, a.u * texSize, a.v * texSize, a.colour, r.texture});
  }
  return out;
}

std::vector<Sprite> Find(const std::vector<Sprite>& sprites, const AtlasRect& rect) {
  std::vector<Sprite> out;
  for (const Sprite& s : sprites) {
    if (s.srcLeft == rect.left && s.srcTop == rect.top && s.w == RectWidth(rect)) out.push_back(s);
  }
  return out;
}

bool Has(const std::vector<Sprite>& sprites, const AtlasRect& rect) { return !Find(sprites, rect).empty(); }

std::optional<std::pair<float, float>> At(const std::vector<Sprite>& sprites, const AtlasRect& rect) {
  const auto found = Find(sprites, rect);
  if (found.size() != 1) return std::nullopt;
  return std::make_pair(found[0].x, found[0].y);
}

int SmallNumberAt(const std::vector<Sprite>& sprites, float x, float y) {
  static const AtlasRect* const kDigits[] = {
      &kAtlasDigitSmall0, &kAtlasDigitSmall1, &kAtlasDigitSmall2, &kAtlasDigitSmall3, &kAtlasDigitSmall4,
      &kAtlasDigitSmall5, &kAtlasDigitSmall6, &kAtlasDigitSmall7, &kAtlasDigitSmall8, &kAtlasDigitSmall9};
  int number = -1;
  for (bool found = true; found;) {
    found = false;
    for (const Sprite& s : sprites) {
      for (int d = 0; d < 10 && !found; ++d) {
        if (s.x != x || s.y != y || s.srcLeft != kDigits[d]->left || s.srcTop != kDigits[d]->top) continue;
        number = (number < 0 ? 0 : number * 10) + d;
        x += s.w + 1.0f;
        found = true;
      }
      if (found) break;
    }
  }
  return number;
}

}  // namespace test
