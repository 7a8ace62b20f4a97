// Turns a recipe into 16-bit samples and a RIFF WAVE file.
#pragma once

#include <cstdint>
#include <vector>

#include "recipe.h"

namespace wavsynth {

// Mono samples at the recipe's rate. Music comes out as an exact loop: notes and
// echoes that run past the end continue from the start. Throws desc::Error for a
// recipe that makes no sound.
std::vector<int16_t> RenderRecipe(const Recipe& recipe);

// A canonical 44-byte-header PCM WAVE image.
std::vector<uint8_t> WaveFile(const std::vector<int16_t>& samples, int rate);

}  // namespace wavsynth
