#include "support/file_faults.h"

#include <algorithm>
#include <cerrno>

#include "platform/files.h"

namespace test {
namespace {

FileStep g_step = FileStep::Open;
int g_nth = 0;
int g_chunk = 512;
int g_calls[5] = {};

// True when this call of the step is the one to fail.
bool Fails(FileStep step) {
  const int call = g_calls[static_cast<int>(step)]++;
  if (step != g_step || call != g_nth) return false;
  errno = EIO;
  return true;
}

const plat::FileOps kFaultyOps{
    [](const char* path, int flags, mode_t mode) {
      return Fails(FileStep::Open) ? -1 : plat::HostFileOps().open(path, flags, mode);
    },
    [](int fd, const void* data, size_t size) -> ssize_t {
      if (Fails(FileStep::Write)) return -1;
      return plat::HostFileOps().write(fd, data, std::min(size, static_cast<size_t>(g_chunk)));
    },
    [](int fd) { return Fails(FileStep::Fsync) ? -1 : plat::HostFileOps().fsync(fd); },
    [](int fd) {
      const int closed = plat::HostFileOps().close(fd);  // the descriptor goes either way
      return Fails(FileStep::Close) ? -1 : closed;
    },
    [](const char* from, const char* to) {
      return Fails(FileStep::Rename) ? -1 : plat::HostFileOps().rename(from, to);
    },
    [](const char* path) { return plat::HostFileOps().unlink(path); },
};

}  // namespace

FileFault::FileFault(FileStep step, int nth, int chunk) {
  g_step = step;
  g_nth = nth;
  g_chunk = chunk;
  std::fill(std::begin(g_calls), std::end(g_calls), 0);
  plat::SetFileOps(&kFaultyOps);
}

FileFault::~FileFault() { plat::SetFileOps(nullptr); }

}  // namespace test
