// Whole-file reads from the working directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Reads the whole file. False when it cannot be opened or read, or when it is larger
// than `maxBytes`: a file no valid one could be that big is refused before any memory
// is taken for it.
bool ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out);

}  // namespace plat
