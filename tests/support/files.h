// Small builders for the files the game reads, so tests can craft good and bad ones.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/bytes.h"

namespace test {

using Bytes = std::vector<uint8_t>;

void PutTag(Bytes& out, const char* fourCc);
bool WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

// An archive image in the data.dat layout: entry i's record at its offset, in order.
Bytes BuildArchive(const std::vector<Bytes>& entries);

// Script text in the event pack's stored form: every byte inverted.
Bytes Inverted(const std::string& text);
// An event pack holding one stored block a map; maps past the list get empty blocks.
Bytes BuildEventPack(const std::vector<Bytes>& blocks);

// A short valid WAVE file: 16-bit mono PCM.
Bytes MinimalWave(uint32_t sampleCount);

// A FIFO in a file's place for the life of this object (whatever stood there before is
// removed). Should the game open it and wait for the other end, a watchdog opens that
// end after `seconds`, which sets the game free, so a test that would hang finishes and
// fails on Waited() instead. The FIFO is removed at the end.
class FifoTrap {
 public:
  explicit FifoTrap(std::string path, int seconds = 10);
  ~FifoTrap();
  FifoTrap(const FifoTrap&) = delete;
  FifoTrap& operator=(const FifoTrap&) = delete;

  bool Made() const { return made_; }
  bool Waited() const { return waited_; }

 private:
  std::string path_;
  bool made_ = false;
  std::atomic<bool> waited_{false}, stopping_{false};
  std::thread watchdog_;
};

}  // namespace test
