// save0.dat to save4.dat: a file image checked whole by the loader, and where it holds a
// game, its walkers checked against maps of every size the pack can hold.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "menu/save_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Begin();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SaveContents save{};
  if (!SaveParse(data, size, &save)) return 0;
  // Maps of every size the pack can hold, a wall down their middle column.
  for (int32_t side : {1, 7, 200}) {
    MapPackTiles map;
    map.width = map.height = side;
    map.tiles.assign(static_cast<size_t>(side) * side, 0);
    for (int32_t row = 0; row < side; ++row) map.tiles[static_cast<size_t>(row * side + side / 2)] = 15;
    SaveWalkersStandOn(save, map);
  }
  return 0;
}
