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
  for (int32_t side : {1, 7, 200}) SaveWalkersFitMap(save, side, side);
  return 0;
}
