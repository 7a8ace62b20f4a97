// Rectangles of the interface atlas, from the one definition the atlas builder shares.
#pragma once

#include "engine/rect.h"

#define ATLAS(name, l, t, r, b, paint) inline constexpr AtlasRect name = {l, t, r, b};
#include "engine/atlas.def"
#undef ATLAS
