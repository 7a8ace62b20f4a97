// Whole-file reads and crash-safe writes in the working directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Reads the whole file. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out);
// Writes to a temporary file beside the target, flushes it to disk and renames it over
// the target, so a crash mid-write leaves the old file whole.
bool WriteFileAtomic(const std::string& path, const void* bytes, size_t size);
bool FileExists(const std::string& path);

struct LocalTime {
  int year, month, day, hour, minute, second;
};
// The file's last-write time in local time.
bool FileModifiedLocalTime(const std::string& path, LocalTime& out);

}  // namespace plat
