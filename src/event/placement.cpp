#include "event/placement.h"

#include "event/flags.h"
#include "event/pack.h"
#include "field/map.h"
#include "field/objects.h"

namespace {

constexpr int kLastCode = 99;

// Moves past the next '$'; false when none stands before the end of the slot.
bool SeekPlacement(int32_t* position, const char* script) {
  while (*position >= 0 && *position < kEventSlotSize - 1) {
    if (script[(*position)++] == '$') return true;
  }
  return false;
}

}  // namespace

void EventPlaceAll() {
  for (int row = 0; row < g_mapHeight; ++row) {
    for (int column = 0; column < g_mapWidth; ++column) {
      const int32_t event = g_eventLayer[row * g_mapWidth + column];
      if (event < 1 || event > g_eventCount || event > kEventSlotCount) continue;
      int32_t position = 0;
      const float x = static_cast<float>(2 * column - g_mapWidth + 1);
      const float z = static_cast<float>(g_mapHeight - 2 * row - 1);
      EventRunPlacement(x, z, event, &position, EventSlotBase(event - 1));
    }
  }
}

void EventRunPlacement(float x, float z, int32_t event, int32_t* position, const char* script) {
  while (SeekPlacement(position, script)) {
    const int32_t code = EventReadNumber(position, script);
    if (code > kLastCode) return;
    switch (code) {
      case kPlaceAutoEvent: AutoEventCreate(event); return;
      case kPlacePerson: NpcCreate(x, kNpcPlacedY, z, event, position, script); return;
      case kPlaceTrigger: TouchTriggerCreate(x, 0.0f, z, event); return;
      case kPlaceBlock: BlockObjectCreate(x, 0.0f, z, event, position, script); return;
      case kPlaceExamined: ExamineObjectCreate(x, kExamineObjectY, z, event, position, script); return;
      case kPlaceFlagGuard:
        if (!EventPlacementFlagGuard(position, script)) return;
        break;
      default: return;
    }
  }
}

bool EventPlacementFlagGuard(int32_t* position, const char* script) {
  const int32_t flag = EventReadNumber(position, script);
  return flag >= 0 && flag < kEventFlagCount && g_eventFlags[flag] == 0;
}
