// mappack.dat: every map of the pack loaded as a map change loads it, its size and
// tiles read as the map change command and a load read them, and the first map that
// loads drawn once by the field view.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/task.h"
#include "field/field_view.h"
#include "field/map.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Begin();
  fuzz::World();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::Round round;
  const std::string path = fuzz::WriteScratch("mappack.dat", data, size);
  bool drawn = false;
  for (int map = -1; map <= kMapCount; ++map) {
    MapPackTiles tiles;
    MapPackReadTiles(path.c_str(), map, &tiles);
    g_mapNumber = map;
    if (!MapLoadPack(path.c_str()) || drawn) continue;
    MapViewCreate();
    TaskPoolDrawAll();
    TaskKillAll();
    fuzz::World().recorder->current.clear();
    drawn = true;
  }
  return 0;
}
