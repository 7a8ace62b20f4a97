// A script slot run through the event task, as an object's event runs it: the input is
// the clean text of event 1 on a small walled map with the party standing on it. Keys
// go down in turn, one every other frame, so messages, choices and the screens the
// commands open move on; every 64th frame is drawn. The run ends with the event, or
// after a bounded number of frames.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/shell.h"
#include "engine/task.h"
#include "event/event.h"
#include "event/pack.h"
#include "field/map.h"
#include "field/walker.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr int kFrameLimit = 300;
constexpr int kWidth = 10;
constexpr int kHeight = 8;
constexpr int kKeys[] = {kKeyEnter, kKeyDown, kKeyZ, kKeyRight, kKeyEnter, kKeyUp, kKeyLeft, kKeyEscape, kKeyShift};

// Walls all round and one inside; event cells 1 to 20 on the first three inner rows.
void BuildMap() {
  g_mapWidth = kWidth;
  g_mapHeight = kHeight;
  int event = 0;
  for (int r = 0; r < kHeight; ++r) {
    for (int c = 0; c < kWidth; ++c) {
      const int cell = r * kWidth + c;
      const bool wall = r == 0 || c == 0 || r == kHeight - 1 || c == kWidth - 1 || (r == 5 && c == 6);
      g_tileLayer[cell] = static_cast<int8_t>(wall ? 15 : 0);
      if (!wall && event < kMapMaxEvents) g_eventLayer[cell] = static_cast<int8_t>(++event);
    }
  }
  g_eventCount = MapCountEventCells();
  g_encounterInterval = 30;
  MapBuildCollision();
  float x = 3.0f, z = 5.0f;
  MapCellToWorld(&x, &z);
  PartyWalkersCreate(x, 0.2f, z, 270.0f, 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Begin();
  fuzz::World();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  test::EventWorld& world = fuzz::World();
  const fuzz::Round round;
  BuildMap();
  std::memcpy(EventSlotBase(0), data, std::min<size_t>(size, kEventSlotSize));
  if (!EventStart(1)) return 0;
  for (int frame = 0; frame < kFrameLimit && TaskSlotInUse(kSlotEvent); ++frame) {
    world.held.clear();
    if (frame % 2 == 0) world.held.insert(test::HostScancode(kKeys[(frame / 2) % std::size(kKeys)]));
    FrameUpdate();
    if (frame % 64 == 0) {
      TaskPoolDrawAll();
      world.recorder->current.clear();
    }
  }
  return 0;
}
