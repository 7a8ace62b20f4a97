// Files in the working directory: whole-file reads, a write that replaces a file only
// once its new contents are safely on disk, and a file's last-write time. Only regular
// files are read or written: a FIFO, device or folder in a file's place is refused, never
// waited on. Every refusal notes its reason (platform/problem.h).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// A regular file opened to be read whole: its size first, so the caller can take the
// block that keeps the bytes, then the bytes straight into that block. A file larger
// than `maxBytes` is not opened: no valid one could be that big.
class WholeFile {
 public:
  WholeFile(const std::string& path, size_t maxBytes);
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

// Reads the whole file. False when it cannot be opened or read, or when it is larger
// than `maxBytes`: a file no valid one could be that big is refused before any memory
// is taken for it.
bool ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out);

// The host calls a replacing write goes through, one each, so that a test can make any
// step fail. Each has the POSIX call's contract.
struct FileOps {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*write)(int fd, const void* data, size_t size);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*unlink)(const char* path);
};

// The host's own calls.
const FileOps& HostFileOps();
// Replaces the calls in force; nullptr restores the host's.
void SetFileOps(const FileOps* ops);

// Writes `size` bytes to a temporary file beside `path`, checks every write, flushes
// the file to disk and then renames it over `path`. An older file at `path` must be a
// regular file the player may write: one whose permission forbids writing (for everyone,
// or for this user) is kept, not replaced. On any failure the temporary file is removed
// (unless something other than a regular file stands in its place, which is left alone)
// and whatever stood at `path` before is left whole: false, with the reason noted.
bool WriteFileReplacing(const std::string& path, const uint8_t* data, size_t size);

// Calendar fields of a moment in local time, whole numbers as a calendar shows them
// (month 1 to 12, day 1 to 31, weekday 0 Sunday).
struct LocalTime {
  uint16_t year;
  uint16_t month;
  uint16_t dayOfWeek;
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint16_t milliseconds;
};
static_assert(sizeof(LocalTime) == 16);

// The file's last modification in local time. False when the file cannot be looked at.
bool FileModifiedLocalTime(const std::string& path, LocalTime* out);

}  // namespace plat
