// Screen quads read back from the recording device in the caller's terms: where on the
// screen (pixels, the half-pixel shift undone) and from where in the texture (texels).
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "engine/rect.h"
#include "platform/image.h"
#include "platform/recording/gpu_recording.h"

namespace test {

struct Sprite {
  float x, y, w, h;
  float srcLeft, srcTop;
  uint32_t colour;
  const plat::Texture* texture;
};

// The screen quads of the records, those drawn from `texture` only when it is given.
std::vector<Sprite> ScreenSprites(const std::vector<plat::DrawRecord>& records, const plat::Texture* texture = nullptr,
                                  float texSize = 2048.0f);
// Every place a picture was drawn from: sprites cut at its top-left corner with its
// width (a window's top edge counts as the window).
std::vector<Sprite> Find(const std::vector<Sprite>& sprites, const AtlasRect& rect);
bool Has(const std::vector<Sprite>& sprites, const AtlasRect& rect);
// Where the picture was drawn, when it was drawn exactly once.
std::optional<std::pair<float, float>> At(const std::vector<Sprite>& sprites, const AtlasRect& rect);
inline std::optional<std::pair<float, float>> Pos(float x, float y) { return std::make_pair(x, y); }
// The number written in the small digit font from (x, y), a pixel between digits as a
// player reads it; -1 when no digit starts there.
int SmallNumberAt(const std::vector<Sprite>& sprites, float x, float y);

// Where a picture shows on the screen: the box round the texels the colour key leaves
// visible (right and bottom exclusive); empty when it shows none.
struct InkBox {
  float left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};
bool Overlap(const InkBox& a, const InkBox& b);

// The interface atlas of the loaded data.dat as the renderer keys it, to find the ink
// of the sprites drawn from it (drawn one texel to a pixel).
class AtlasInk {
 public:
  AtlasInk();
  bool Loaded() const { return atlas_.width == 2048 && atlas_.height == 2048; }
  InkBox Of(const Sprite& sprite) const;

 private:
  plat::Image atlas_;
};

}  // namespace test
