#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/problem.h"

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

// What stands in a file's place instead of a regular file.
const char* NotRegular(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder, not a regular file";
  if (S_ISFIFO(mode)) return "a FIFO, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a regular file";
  if (S_ISSOCK(mode)) return "a socket, not a regular file";
  return "not a regular file";
}

// The reason an open failed: what stands there when it is no regular file (a FIFO
// opened for writing with no reader fails with a message that names no FIFO), else the
// system's message.
void NoteOpenFailure(const std::string& path, int error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    NoteProblem(path, NotRegular(st.st_mode));
  } else {
    NoteSystemProblem(path, error);
  }
  errno = error;
}

// The one way the game opens a file, to read it whole or to write a save. Non-blocking,
// so that a FIFO or a device cannot hold the open up (a plain open of a FIFO waits for
// its other end); then only a regular file is kept, and it goes back to blocking mode for
// its reads and writes. `st` receives what the file is; -1 with the reason noted.
int OpenRegular(const FileOps& ops, const std::string& path, int flags, mode_t mode, struct stat* st) {
  const int fd = ops.open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
  if (fd < 0) {
    NoteOpenFailure(path, errno);
    return -1;
  }
  const int status = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, st) != 0 || status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
    const int error = errno;
    ::close(fd);
    NoteSystemProblem(path, error);
    errno = error;
    return -1;
  }
  if (!S_ISREG(st->st_mode)) {
    ::close(fd);
    NoteProblem(path, NotRegular(st->st_mode));
    errno = EINVAL;
    return -1;
  }
  return fd;
}

// An older file of the slot must be one the player lets the game write. The rename
// would replace it whatever its permission, so the permission is asked first; a file
// nobody may write stays even for root, whom the system lets write anything.
bool MayReplace(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return true;
    NoteSystemProblem(path, errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    NoteProblem(path, NotRegular(st.st_mode));
    return false;
  }
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
    NoteProblem(path, "read-only: its permission forbids writing it");
    return false;
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
  struct stat st {};
  fd_ = OpenRegular(kHostFileOps, path, O_RDONLY, 0, &st);
  if (fd_ < 0) return;
  if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    ::close(fd_);
    fd_ = -1;
    NoteProblem(path, "larger than " + std::to_string(maxBytes) + " bytes, more than any the game could use");
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
  if (!MayReplace(path)) return false;
  const std::string temporary = path + ".tmp";
  // A leftover temporary file is ours to replace; anything else in its place is not.
  struct stat st {};
  if (::lstat(temporary.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    NoteProblem(path, "its new copy " + temporary + " cannot be made: in its place stands " + NotRegular(st.st_mode));
    return false;
  }
  // Failures are noted under the file being replaced, the one the player knows.
  const int fd = OpenRegular(ops, temporary, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0644, &st);
  if (fd < 0) {
    const int error = errno;
    ops.unlink(temporary.c_str());
    NoteSystemProblem(path, error);
    return false;
  }
  // The first call that fails gives the reason.
  int error = 0;
  auto check = [&error](bool ok) {
    if (!ok && error == 0) error = errno != 0 ? errno : EIO;
    return ok;
  };
  errno = 0;
  const bool written = check(WriteAll(ops, fd, data, size)) && check(ops.fsync(fd) == 0);
  // A close can report a write the disk refused late.
  const bool closed = check(ops.close(fd) == 0);
  if (!written || !closed || !check(ops.rename(temporary.c_str(), path.c_str()) == 0)) {
    NoteSystemProblem(path, error);
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
