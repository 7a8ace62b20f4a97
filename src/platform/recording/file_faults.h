// Failing file calls for the replacing write: one chosen call of one step
// fails, so a test can see that nothing is lost whichever step goes wrong.
#pragma once

namespace plat {

enum class FileStep { Open, Write, Fsync, Close, Rename };

// While alive, call `nth` (counted from 0) of `step` fails; every write moves at most
// `chunk` bytes, so one file takes several writes.
class FileFault {
 public:
  explicit FileFault(FileStep step, int nth = 0, int chunk = 512);
  ~FileFault();
  FileFault(const FileFault&) = delete;
  FileFault& operator=(const FileFault&) = delete;
};

}  // namespace plat
