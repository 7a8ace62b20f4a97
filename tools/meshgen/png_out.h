// PNG encoding of RGBA pictures, with nothing in the file that changes from run to run.
#pragma once

#include <cstdint>
#include <vector>

#include "bake.h"

namespace meshgen {

bool EncodePng(const Picture& picture, std::vector<uint8_t>& out);

}  // namespace meshgen
