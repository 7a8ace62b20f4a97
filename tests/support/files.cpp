#include "support/files.h"

#include <fcntl.h>
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

// Once the time is up, a reader that the game can write to (kept open, so its writes
// land) and a writer that comes and goes (so its reads end) set free an open that waits,
// again every tenth of a second for a game that opens the FIFO again.
FifoTrap::FifoTrap(std::string path, int seconds) : path_(std::move(path)) {
  std::signal(SIGPIPE, SIG_IGN);  // a writer set free must fail its write, not end the run
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
  made_ = ::mkfifo(path_.c_str(), 0644) == 0;
  if (!made_) return;
  watchdog_ = std::thread([this, seconds] {
    using namespace std::chrono_literals;
    for (auto waited = 0ms; waited < std::chrono::seconds(seconds); waited += 10ms) {
      if (stopping_) return;
      std::this_thread::sleep_for(10ms);
    }
    const int reader = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    for (; !stopping_; std::this_thread::sleep_for(100ms)) {
      waited_ = true;
      const int writer = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (writer >= 0) ::close(writer);
    }
    if (reader >= 0) ::close(reader);
  });
}

FifoTrap::~FifoTrap() {
  stopping_ = true;
  if (watchdog_.joinable()) watchdog_.join();
  ::unlink(path_.c_str());
}

}  // namespace test
