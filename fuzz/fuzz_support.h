// What the fuzz targets share: a headless start, a scratch folder for the loaders that
// read their file by name, and the world of tasks and buffers the field and the event
// task run in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/event_world.h"

namespace fuzz {

// SDL without a display or a sound card, and a scratch folder for the inputs.
void Begin();
// Writes the input to `name` in the scratch folder; the file's path.
std::string WriteScratch(const char* name, const uint8_t* data, size_t size);
// Runs a loader that reads a fixed name (such as "data.dat") from the working directory
// inside the scratch folder, and comes back; the loader's result.
int RunInScratch(int (*load)());
// The event world, opened on first use and kept for the whole run.
test::EventWorld& World();
// One input's time in the world: it starts from an empty task pool, cleared buffers and
// flags and a fresh party, and gives back what it took when it ends (an input that
// ends holding more blocks than it started with costs a leak check).
class Round {
 public:
  Round();
  ~Round();
  Round(const Round&) = delete;
  Round& operator=(const Round&) = delete;
};

}  // namespace fuzz
