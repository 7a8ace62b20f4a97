// Turntable pictures of the baked models, drawn the way the game draws them (each
// material's texture, alpha-blended, depth-tested, no lighting) by a small software
// rasteriser, so a reviewer can judge the models without running the game.
#pragma once

#include <string>
#include <vector>

#include "bake.h"

namespace meshgen {

struct PreviewEntry {
  int index = 0;
  std::string name;
  const BakedMesh* mesh = nullptr;
};

// One sheet: every model from three sides at one common scale, plus the view from
// the field camera, with its index, name and height written under it.
Picture DrawSheet(const std::vector<PreviewEntry>& entries);
// A larger picture of one model, fitted to its own size, from four sides.
Picture DrawCloseUp(const PreviewEntry& entry);

}  // namespace meshgen
