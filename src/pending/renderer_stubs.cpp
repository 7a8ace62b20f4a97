// TEMPORARY: stands in for the 2D drawing helpers until draw2d.cpp is merged; delete
// this file then. Only what the camera's cover needs is here, drawn the same way
// (a 32-pixel grid of the atlas patch over the 640 by 480 screen, opaque).
#include "engine/draw.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"

void FillScreenPattern(float left, float top, float right, float bottom) {
  const AtlasRect patch = {left, top, right, bottom};
  for (int row = 0; row < 15; ++row) {
    for (int column = 0; column < 20; ++column) {
      const auto x = static_cast<float>(column * 32), y = static_cast<float>(row * 32);
      const AtlasRect dest = {x, y, x + (right - left), y + (bottom - top)};
      DrawQuad2D(dest, patch, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
    }
  }
}
