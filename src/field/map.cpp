#include "field/map.h"

#include <cstring>

#include "engine/task.h"

int32_t g_mapNumber = 0;
int32_t g_mapWidth = 0;
int32_t g_mapHeight = 0;
int8_t* g_tileLayer = nullptr;
int8_t* g_eventLayer = nullptr;
uint8_t* g_collisionLayer = nullptr;
uint8_t* g_gridWalls = nullptr;
uint8_t* g_gridRange = nullptr;
uint8_t* g_gridMarks = nullptr;
char* g_eventSlots = nullptr;
int32_t g_eventCount = 0;
int32_t g_encounterArea = 0;
int32_t g_encounterInterval = 0;
int32_t g_encounterCountdown = 0;

int MapBuffersAlloc() {
  g_tileLayer = static_cast<int8_t*>(MemAlloc(kMapMaxCells));
  g_eventLayer = static_cast<int8_t*>(MemAlloc(kMapMaxCells));
  g_collisionLayer = static_cast<uint8_t*>(MemAlloc(kMapMaxCells));
  g_gridWalls = static_cast<uint8_t*>(MemAlloc(kBattleGridCells));
  g_gridRange = static_cast<uint8_t*>(MemAlloc(kBattleGridCells));
  g_gridMarks = static_cast<uint8_t*>(MemAlloc(kBattleGridCells));
  g_eventSlots = static_cast<char*>(MemAlloc(kEventSlotCount * kEventSlotSize));
  if (!g_tileLayer || !g_eventLayer || !g_collisionLayer || !g_gridWalls || !g_gridRange || !g_gridMarks ||
      !g_eventSlots) {
    MapBuffersFree();
    return 0;
  }
  MapBuffersClear();
  return 1;
}

void MapBuffersClear() {
  std::memset(g_tileLayer, 0, kMapMaxCells);
  std::memset(g_eventLayer, 0, kMapMaxCells);
  std::memset(g_collisionLayer, 0, kMapMaxCells);
  std::memset(g_gridWalls, 0, kBattleGridCells);
  std::memset(g_gridRange, 0, kBattleGridCells);
  std::memset(g_gridMarks, 0, kBattleGridCells);
  std::memset(g_eventSlots, 0, kEventSlotCount * kEventSlotSize);
}

void MapBuffersFree() {
  MemFree(g_tileLayer);
  MemFree(g_eventLayer);
  MemFree(g_collisionLayer);
  MemFree(g_gridWalls);
  MemFree(g_gridRange);
  MemFree(g_gridMarks);
  MemFree(g_eventSlots);
  g_tileLayer = nullptr;
  g_eventLayer = nullptr;
  g_collisionLayer = nullptr;
  g_gridWalls = nullptr;
  g_gridRange = nullptr;
  g_gridMarks = nullptr;
  g_eventSlots = nullptr;
}
