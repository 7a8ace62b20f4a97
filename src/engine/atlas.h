// Rectangles of the interface atlas, from the one definition the atlas builder shares.
#pragma once

#include <cstdint>

#include "engine/rect.h"

#define ATLAS(name, l, t, r, b, paint) inline constexpr AtlasRect name = {l, t, r, b};
#include "engine/atlas.def"
#undef ATLAS

// The two answers of a question box, as its labels in drawing order, and that order.
inline constexpr AtlasRect kNoYesAnswers[2] = {kAtlasAnswerNo, kAtlasAnswerYes};
inline constexpr AtlasRect kBackConfirmAnswers[2] = {kAtlasAnswerBack, kAtlasAnswerConfirm};
inline constexpr int32_t kTwoAnswerOrder[2] = {0, 1};
