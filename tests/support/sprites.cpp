#include "support/sprites.h"

#include <algorithm>
#include <cmath>

#include "engine/archive.h"
#include "engine/atlas.h"
#include "engine/graphics.h"

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

bool Overlap(const InkBox& a, const InkBox& b) {
  return !a.Empty() && !b.Empty() && a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

AtlasInk::AtlasInk() {
  uint32_t size = 0;
  const uint8_t* bytes = DataFileGetEntry(kEntryAtlas, &size);
  if (bytes && plat::DecodeImage(bytes, size, atlas_)) plat::ApplyColourKey(atlas_, kColourKey);
}

InkBox AtlasInk::Of(const Sprite& sprite) const {
  InkBox ink{sprite.x + sprite.w, sprite.y + sprite.h, sprite.x, sprite.y};
  const int left = static_cast<int>(std::lround(sprite.srcLeft)), top = static_cast<int>(std::lround(sprite.srcTop));
  const int w = static_cast<int>(std::lround(sprite.w)), h = static_cast<int>(std::lround(sprite.h));
  for (int y = std::max(top, 0); y < std::min(top + h, atlas_.height); ++y) {
    for (int x = std::max(left, 0); x < std::min(left + w, atlas_.width); ++x) {
      if ((atlas_.pixels[static_cast<size_t>(y) * atlas_.width + x] >> 24) == 0) continue;
      const float sx = sprite.x + static_cast<float>(x - left), sy = sprite.y + static_cast<float>(y - top);
      ink = {std::min(ink.left, sx), std::min(ink.top, sy), std::max(ink.right, sx + 1), std::max(ink.bottom, sy + 1)};
    }
  }
  return ink;
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
