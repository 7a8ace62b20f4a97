// The map grid of the current map and every buffer of the map and its scripts.
#pragma once

#include <cstdint>

constexpr int kMapCount = 14;
constexpr int kMapMaxCells = 40000;
constexpr int kBattleGridCells = 18 * 18;
constexpr int kEventSlotCount = 20;
constexpr int kEventSlotSize = 14000;

extern int32_t g_mapNumber;
extern int32_t g_mapWidth;
extern int32_t g_mapHeight;
extern int8_t* g_tileLayer;
extern int8_t* g_eventLayer;
extern uint8_t* g_collisionLayer;
extern uint8_t* g_gridWalls;
extern uint8_t* g_gridRange;
extern uint8_t* g_gridMarks;
extern char* g_eventSlots;  // 20 slots of 14,000 bytes
extern int32_t g_eventCount;
extern int32_t g_encounterArea;
extern int32_t g_encounterInterval;
extern int32_t g_encounterCountdown;

int MapBuffersAlloc();
void MapBuffersClear();
void MapBuffersFree();
