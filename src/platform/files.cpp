#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

namespace plat {
namespace {

int HostOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t HostWrite(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int HostFsync(int fd) { return ::fsync(fd); }
int HostClose(int fd) { return ::close(fd); }
int HostRename(const char* from, const char* to) { return std::rename(from, to); }
int HostUnlink(const char* path) { return ::unlink(path); }

constexpr FileOps kHostFileOps{HostOpen, HostWrite, HostFsync, HostClose, HostRename, HostUnlink};
const FileOps* g_fileOps = &kHostFileOps;

// Every byte, or false: a short write is carried on, an interrupted one retried, and a
// write that makes no progress is a failure.
bool WriteAll(const FileOps& ops, int fd, const uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ops.write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The folder holding `path`, so the rename itself can be flushed too.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

WholeFile::WholeFile(const std::string& path, size_t maxBytes) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > maxBytes) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  size_ = static_cast<size_t>(st.st_size);
}

WholeFile::~WholeFile() {
  if (fd_ >= 0) ::close(fd_);
}

size_t WholeFile::ReadInto(uint8_t* out) {
  size_t done = 0;
  while (fd_ >= 0 && done < size_) {
    const ssize_t n = ::read(fd_, out + done, size_ - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out) {
  out.clear();
  WholeFile file(path, maxBytes);
  if (!file.IsOpen()) return false;
  out.resize(file.Size());
  // A file that shrank while being read is read as far as it goes.
  out.resize(file.ReadInto(out.data()));
  return true;
}

const FileOps& HostFileOps() { return kHostFileOps; }

void SetFileOps(const FileOps* ops) { g_fileOps = ops ? ops : &kHostFileOps; }

bool WriteFileReplacing(const std::string& path, const uint8_t* data, size_t size) {
  const FileOps& ops = *g_fileOps;
  const std::string temporary = path + ".tmp";
  const int fd = ops.open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return false;
  const bool written = WriteAll(ops, fd, data, size) && ops.fsync(fd) == 0;
  // A close can report a write the disk refused late.
  const bool closed = ops.close(fd) == 0;
  if (!written || !closed || ops.rename(temporary.c_str(), path.c_str()) != 0) {
    ops.unlink(temporary.c_str());
    return false;
  }
  // The new file is in place; flushing the folder only makes the rename itself last
  // through a power cut, so its failure does not undo the write.
  const int folder = ops.open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (folder >= 0) {
    ops.fsync(folder);
    ops.close(folder);
  }
  return true;
}

bool FileModifiedLocalTime(const std::string& path, LocalTime* out) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  const time_t seconds = st.st_mtim.tv_sec;
  struct tm local {};
  if (!::localtime_r(&seconds, &local)) return false;
  out->year = static_cast<uint16_t>(local.tm_year + 1900);
  out->month = static_cast<uint16_t>(local.tm_mon + 1);
  out->dayOfWeek = static_cast<uint16_t>(local.tm_wday);
  out->day = static_cast<uint16_t>(local.tm_mday);
  out->hour = static_cast<uint16_t>(local.tm_hour);
  out->minute = static_cast<uint16_t>(local.tm_min);
  out->second = static_cast<uint16_t>(local.tm_sec);
  out->milliseconds = static_cast<uint16_t>(st.st_mtim.tv_nsec / 1000000);
  return true;
}

}  // namespace plat
