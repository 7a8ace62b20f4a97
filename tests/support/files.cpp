#include "support/files.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>

namespace test {

void PutTag(Bytes& out, const char* fourCc) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(fourCc[i]));
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

Bytes Inverted(const std::string& text) {
  Bytes out;
  for (char c : text) out.push_back(static_cast<uint8_t>(~static_cast<uint8_t>(c)));
  return out;
}

Bytes BuildEventPack(const std::vector<Bytes>& blocks) {
  constexpr int kMaps = 14;
  Bytes table, body;
  for (int m = 0; m < kMaps; ++m) {
    PutU32(table, static_cast<uint32_t>(body.size()));
    const Bytes block = m < static_cast<int>(blocks.size()) ? blocks[static_cast<size_t>(m)] : Bytes{};
    PutU32(body, static_cast<uint32_t>(block.size()));
    body.insert(body.end(), block.begin(), block.end());
  }
  table.insert(table.end(), body.begin(), body.end());
  return table;
}

Bytes BuildArchive(const std::vector<Bytes>& entries) {
  Bytes table;
  Bytes body;
  for (const Bytes& e : entries) {
    PutU32(table, static_cast<uint32_t>(body.size()));
    PutU32(body, static_cast<uint32_t>(e.size()));
    body.insert(body.end(), e.begin(), e.end());
  }
  table.insert(table.end(), body.begin(), body.end());
  return table;
}

Bytes MinimalWave(uint32_t sampleCount) {
  Bytes out;
  PutTag(out, "RIFF");
  PutU32(out, 36 + sampleCount * 2);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutU32(out, 16);
  PutU16(out, 1);      // PCM
  PutU16(out, 1);      // mono
  PutU32(out, 22050);  // samples a second
  PutU32(out, 44100);  // bytes a second
  PutU16(out, 2);      // block alignment
  PutU16(out, 16);     // bits a sample
  PutTag(out, "data");
  PutU32(out, sampleCount * 2);
  for (uint32_t i = 0; i < sampleCount; ++i) PutU16(out, static_cast<uint16_t>((i % 16) * 512));
  return out;
}

FifoTrap::FifoTrap(std::string path, int seconds) : path_(std::move(path)) {
  // A writer set free and then left without a reader must fail its write, not end the run.
  std::signal(SIGPIPE, SIG_IGN);
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
  made_ = ::mkfifo(path_.c_str(), 0644) == 0;
  if (made_) watchdog_ = std::thread([this, seconds] { Watch(seconds); });
}

FifoTrap::~FifoTrap() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  stop_.notify_all();
  if (watchdog_.joinable()) watchdog_.join();
  if (reader_ >= 0) ::close(reader_);
  ::unlink(path_.c_str());
}

// Bytes in the FIFO: something opened it to write and got through.
void FifoTrap::SawWrites() {
  int pending = 0;
  if (reader_ >= 0 && ::ioctl(reader_, FIONREAD, &pending) == 0 && pending > 0) waited_ = true;
}

bool FifoTrap::Waited() {
  std::lock_guard<std::mutex> lock(mutex_);
  SawWrites();
  return waited_;
}

// Counts only what it had to set free, so a slow but honest test is never blamed: a
// writer's open that succeeds without our reader means a reader waits in its open (the
// writer going away gives it the end of the file), and bytes that arrive mean a writer
// waited in its open until our reader came. Done again every tenth of a second.
void FifoTrap::Watch(int seconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (stop_.wait_for(lock, std::chrono::seconds(seconds), [this] { return stopping_; })) return;
  do {
    SawWrites();
    if (reader_ >= 0) ::close(reader_);
    const int writer = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (writer >= 0) {
      waited_ = true;
      ::close(writer);
    }
    reader_ = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  } while (!stop_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stopping_; }));
}

}  // namespace test
