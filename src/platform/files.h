// Whole-file reads from the working directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// A regular file opened to be read whole: its size first, so the caller can take the
// block that keeps the bytes, then the bytes straight into that block.
class WholeFile {
 public:
  explicit WholeFile(const std::string& path);
  ~WholeFile();
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  size_t Size() const { return size_; }
  // Reads up to Size() bytes into `out`; how many arrived (fewer when the file shrank,
  // none when it is not open).
  size_t ReadInto(uint8_t* out);

 private:
  int fd_ = -1;
  size_t size_ = 0;
};

// Reads the whole file. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out);

}  // namespace plat
