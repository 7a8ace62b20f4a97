// PNG files for the content tools: written deterministically (no time stamp, fixed
// compression), read back for the previews and checks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace tool {

// PNG bytes of rows of RGBA bytes, top row first.
bool EncodePngRgba(int width, int height, const uint8_t* rgba, std::vector<uint8_t>* out);
bool WritePng(const std::string& path, const Picture& picture, std::string* error);
bool ReadPng(const std::string& path, Picture* picture, std::string* error);

}  // namespace tool
