// Screen quads read back from the recording device in the caller's terms: where on the
// screen (pixels) and from where in the atlas (atlas pixels).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/rect.h"
#include "platform/recording/gpu_recording.h"

namespace test {

struct Quad {
  AtlasRect dest;
  AtlasRect src;
  uint32_t colour;
  const plat::Texture* texture;
};

std::vector<Quad> ScreenQuads(const std::vector<plat::DrawRecord>& records, float texSize = 2048.0f);

}  // namespace test
