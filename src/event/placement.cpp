#include "event/placement.h"

#include "data/game_state.h"
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

// The placement commands' arguments, read in script order before any creator runs.
struct Arguments {
  int32_t values[3];
};
Arguments ReadArguments(int count, int32_t* position, const char* script) {
  Arguments a{};
  for (int i = 0; i < count; ++i) a.values[i] = EventReadNumber(position, script);
  return a;
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
  switch (EventPlacementCode(position, script, g_eventFlags)) {
    case kPlaceAutoEvent: AutoEventCreate(event); return;
    case kPlacePerson: {
      const Arguments a = ReadArguments(3, position, script);  // model, angle, mover
      NpcCreate(x, kNpcPlacedY, z, event, a.values[0], a.values[1], a.values[2]);
      return;
    }
    case kPlaceTrigger: TouchTriggerCreate(x, 0.0f, z, event); return;
    case kPlaceBlock: {
      const Arguments a = ReadArguments(2, position, script);  // top and side textures
      BlockObjectCreate(x, 0.0f, z, event, a.values[0], a.values[1]);
      return;
    }
    case kPlaceExamined:
      ExamineObjectCreate(x, kExamineObjectY, z, event, ReadArguments(1, position, script).values[0]);
      return;
    default: return;
  }
}

int32_t EventPlacementCode(int32_t* position, const char* script, const int32_t* flags) {
  while (SeekPlacement(position, script)) {
    const int32_t code = EventReadNumber(position, script);
    if (code != kPlaceFlagGuard) return code <= kLastCode ? code : kPlaceNothing;
    if (!EventPlacementFlagGuard(position, script, flags)) return kPlaceNothing;
  }
  return kPlaceNothing;
}

bool EventPlacementFlagGuard(int32_t* position, const char* script, const int32_t* flags) {
  const int32_t flag = EventReadNumber(position, script);
  return flag >= 0 && flag < kEventFlagCount && flags[flag] == 0;
}

bool EventPlacesAutoEvent(const int8_t* events, size_t cells, const char* slots, const int32_t* flags) {
  const int eventCount = MapCountEventCellsIn(events, cells);
  for (size_t cell = 0; cell < cells; ++cell) {
    const int32_t event = events[cell];
    if (event < 1 || event > eventCount || event > kEventSlotCount) continue;
    int32_t position = 0;
    const char* script = slots + static_cast<size_t>(event - 1) * kEventSlotSize;
    if (EventPlacementCode(&position, script, flags) == kPlaceAutoEvent) return true;
  }
  return false;
}
