// save0.dat to save4.dat: a file image checked whole by the loader, and where it holds a
// game, its party checked against maps of every size the pack can hold, each with an
// event in its first cell that a flag of the file leaves out or lets start by itself.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "menu/save_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Begin();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SaveContents save{};
  if (!SaveParse(data, size, &save)) return 0;
  static const std::vector<char> scripts = [] {
    std::vector<char> slots(static_cast<size_t>(kEventSlotCount) * kEventSlotSize, 0);
    const char placement[] = "$99,5,$0,#99,";
    std::memcpy(slots.data(), placement, sizeof placement - 1);
    return slots;
  }();
  // Maps of every size the pack can hold, a wall down their middle column.
  for (int32_t side : {1, 7, 200}) {
    MapPackTiles map;
    map.width = map.height = side;
    map.tiles.assign(static_cast<size_t>(side) * side, 0);
    map.events.assign(static_cast<size_t>(side) * side, 0);
    map.events[0] = 1;
    for (int32_t row = 0; row < side; ++row) map.tiles[static_cast<size_t>(row * side + side / 2)] = 15;
    SaveFitsMap(save, map, &scripts);
    SaveFitsMap(save, map, nullptr);
  }
  return 0;
}
