#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace plat {

WholeFile::WholeFile(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
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

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out) {
  out.clear();
  WholeFile file(path);
  if (!file.IsOpen()) return false;
  out.resize(file.Size());
  // A file that shrank while being read is read as far as it goes.
  out.resize(file.ReadInto(out.data()));
  return true;
}

}  // namespace plat
