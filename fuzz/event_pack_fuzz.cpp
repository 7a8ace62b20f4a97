// epack.dat: one map's block read and split into the script slots as a map load does,
// then the placements of the slots run over a map whose event cells name each event.
// The last input byte chooses how many event cells the map has (0 to 21, one more than
// the slots hold), the one before it the map number (-1 to 14, one off either end).
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/task.h"
#include "event/pack.h"
#include "event/placement.h"
#include "field/map.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr int kWidth = 8;
constexpr int kHeight = 6;

void PlaceEventCells(int count) {
  g_mapWidth = kWidth;
  g_mapHeight = kHeight;
  for (int i = 0; i < kWidth * kHeight; ++i) {
    g_tileLayer[i] = 0;
    g_eventLayer[i] = static_cast<int8_t>(i < count ? i + 1 : 0);
  }
  g_eventCount = MapCountEventCells();
  MapBuildCollision();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Begin();
  fuzz::World();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::Round round;
  const std::string path = fuzz::WriteScratch("epack.dat", data, size);
  PlaceEventCells(size ? data[size - 1] % (kMapMaxEvents + 2) : 0);
  g_mapNumber = size > 1 ? data[size - 2] % (kMapCount + 2) - 1 : 0;
  if (EventLoadPack(path.c_str())) EventPlaceAll();
  return 0;
}
