// Whole-file reads from the working directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Reads the whole file. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out);

}  // namespace plat
