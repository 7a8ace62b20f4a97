// PNG files for the content tools: written deterministically (no time stamp, fixed
// compression), read back for the previews and checks.
#pragma once

#include <string>

#include "canvas.h"

namespace tool {

bool WritePng(const std::string& path, const Picture& picture, std::string* error);
bool ReadPng(const std::string& path, Picture* picture, std::string* error);

}  // namespace tool
