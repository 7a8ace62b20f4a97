// The event task's world without a window or the start-up chain: the task pool, the map
// buffers, keys read from a set the caller fills, a recording device holding the atlas
// and glyph textures, and message boxes kept instead of shown. The event tests and the
// fuzz targets that run scripts stand on it.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "platform/recording/gpu_recording.h"
#include "support/harness.h"

namespace test {

class EventWorld {
 public:
  // False when the task pool or the map buffers cannot be had.
  bool Open();
  // Gives back everything Open took.
  void Close();

  std::set<int> held;  // SDL scancodes reported down (HostScancode for a game key)
  std::vector<CapturedBox> boxes;
  plat::RecordingDevice* recorder = nullptr;
};

}  // namespace test
