#include "platform/recording/file_faults.h"

#include <algorithm>
#include <cerrno>

#include "platform/files.h"

namespace plat {
namespace {

FileStep g_step;
int g_nth, g_chunk, g_calls[5];

// True, with an I/O error, when this call of the step is the one to fail.
bool Fails(FileStep step) {
  if (g_calls[static_cast<int>(step)]++ != g_nth || step != g_step) return false;
  errno = EIO;
  return true;
}

const FileOps& Host() { return HostFileOps(); }

const FileOps kFaultyOps{
    [](const char* path, int flags, mode_t mode) {
      return Fails(FileStep::Open) ? -1 : Host().open(path, flags, mode);
    },
    [](int fd, const void* data, size_t size) -> ssize_t {
      return Fails(FileStep::Write) ? -1 : Host().write(fd, data, std::min(size, static_cast<size_t>(g_chunk)));
    },
    [](int fd) { return Fails(FileStep::Fsync) ? -1 : Host().fsync(fd); },
    [](int fd) { return Host().close(fd) != 0 || Fails(FileStep::Close) ? -1 : 0; },  // closed either way
    [](const char* from, const char* to) { return Fails(FileStep::Rename) ? -1 : Host().rename(from, to); },
    [](const char* path) { return Host().unlink(path); },
};

}  // namespace

FileFault::FileFault(FileStep step, int nth, int chunk) {
  g_step = step, g_nth = nth, g_chunk = chunk;
  std::fill(std::begin(g_calls), std::end(g_calls), 0);
  SetFileOps(&kFaultyOps);
}

FileFault::~FileFault() { SetFileOps(nullptr); }

}  // namespace plat
