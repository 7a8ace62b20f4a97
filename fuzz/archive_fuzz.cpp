// data.dat: read from disk and checked as the start-up reads it, then every entry taken
// the way the loaders take them, its first and last byte touched.
#include <cstddef>
#include <cstdint>

#include "engine/archive.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Begin();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::WriteScratch("data.dat", data, size);
  if (!fuzz::RunInScratch(DataFileLoad)) return 0;
  volatile uint32_t sink = 0;
  for (int i = -1; i <= kArchiveEntryCount; ++i) {
    uint32_t entrySize = 0;
    const uint8_t* entry = DataFileGetEntry(i, &entrySize);
    if (entry && entrySize) sink = sink + entry[0] + entry[entrySize - 1];
  }
  DataFileFree();
  return 0;
}
