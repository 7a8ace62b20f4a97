#include "field/map.h"

#include <cstring>
#include <string>
#include <vector>

#include "data/characters.h"
#include "data/game_state.h"
#include "engine/task.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/problem.h"

int32_t g_mapWidth = 0;
int32_t g_mapHeight = 0;
int8_t* g_tileLayer = nullptr;
int8_t* g_eventLayer = nullptr;
uint8_t* g_collisionLayer = nullptr;
uint8_t* g_gridWalls = nullptr;
int16_t* g_gridRange = nullptr;
int16_t* g_gridMarks = nullptr;
char* g_eventSlots = nullptr;
int32_t g_eventCount = 0;

int MapBuffersAlloc() {
  g_tileLayer = static_cast<int8_t*>(MemAlloc(kMapMaxCells));
  g_eventLayer = static_cast<int8_t*>(MemAlloc(kMapMaxCells));
  g_collisionLayer = static_cast<uint8_t*>(MemAlloc(kMapMaxCells));
  g_gridWalls = static_cast<uint8_t*>(MemAlloc(kBattleGridCells));
  g_gridRange = static_cast<int16_t*>(MemAlloc(kBattleGridCells * sizeof *g_gridRange));
  g_gridMarks = static_cast<int16_t*>(MemAlloc(kBattleGridCells * sizeof *g_gridMarks));
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
  std::memset(g_gridRange, 0, kBattleGridCells * sizeof *g_gridRange);
  std::memset(g_gridMarks, 0, kBattleGridCells * sizeof *g_gridMarks);
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

// Everything the loader and the layers rely on is checked before anything is copied:
// the map number, the record's place in the file, a size the 40,000-byte layers hold,
// both layers inside the file, and an encounter area the encounter table has a row for.
int MapPackFindRecord(const uint8_t* image, size_t size, int map, MapPackHeader* header, const uint8_t** layers) {
  if (!image || map < 0 || map >= kMapCount || size < kMapPackTableSize) return 0;
  const uint64_t start = kMapPackTableSize + static_cast<uint64_t>(ReadU32(image + 4 * map));
  if (start > size || size - start < sizeof(MapPackHeader)) return 0;
  const uint8_t* record = image + start;
  MapPackHeader h{ReadU32(record), ReadU32(record + 4), ReadU32(record + 8), ReadU32(record + 12)};
  const uint64_t cells = static_cast<uint64_t>(h.width) * h.height;
  if (cells == 0 || cells > kMapMaxCells) return 0;
  if (size - start - sizeof(MapPackHeader) < 2 * cells) return 0;
  if (h.area > static_cast<uint32_t>(kEncounterAreas)) return 0;
  *header = h;
  *layers = record + sizeof(MapPackHeader);
  return 1;
}

int MapPackReadTiles(const char* fileName, int map, MapPackTiles* out) {
  std::vector<uint8_t> image;
  MapPackHeader header{};
  const uint8_t* layers = nullptr;
  if (!plat::ReadWholeFile(fileName, kMapPackMaxBytes, image) ||
      !MapPackFindRecord(image.data(), image.size(), map, &header, &layers)) {
    return 0;
  }
  out->width = static_cast<int32_t>(header.width);
  out->height = static_cast<int32_t>(header.height);
  const size_t cells = static_cast<size_t>(header.width) * header.height;
  out->tiles.assign(layers, layers + cells);
  out->events.assign(layers + cells, layers + 2 * cells);
  return 1;
}

int MapLoadPack(const char* fileName) {
  if (!g_tileLayer) return 0;
  MapBuffersClear();
  std::vector<uint8_t> image;
  if (!plat::ReadWholeFile(fileName, kMapPackMaxBytes, image)) return 0;
  MapPackHeader header{};
  const uint8_t* layers = nullptr;
  if (!MapPackFindRecord(image.data(), image.size(), g_mapNumber, &header, &layers)) {
    plat::NoteProblem(fileName, "map " + std::to_string(g_mapNumber) + " is missing or damaged");
    return 0;
  }
  g_mapWidth = static_cast<int32_t>(header.width);
  g_mapHeight = static_cast<int32_t>(header.height);
  g_encounterArea = static_cast<int32_t>(header.area);
  g_encounterInterval = static_cast<int32_t>(header.interval);
  g_encounterCountdown = g_encounterInterval;
  const size_t cells = static_cast<size_t>(header.width) * header.height;
  std::memcpy(g_tileLayer, layers, cells);
  std::memcpy(g_eventLayer, layers + cells, cells);
  g_eventCount = MapCountEventCells();
  MapBuildCollision();
  return 1;
}

int MapCountEventCells() { return MapCountEventCellsIn(g_eventLayer, static_cast<size_t>(g_mapWidth) * g_mapHeight); }

int MapCountEventCellsIn(const int8_t* events, size_t cells) {
  int count = 0;
  for (size_t i = 0; i < cells; ++i) {
    if (events[i] >= 1 && events[i] <= kMapMaxEvents) ++count;
  }
  return count;
}

void MapBuildCollision() {
  const int cells = g_mapWidth * g_mapHeight;
  for (int i = 0; i < cells; ++i) {
    g_collisionLayer[i] = g_tileLayer[i] > kTileWallAbove ? kCollisionWall : kCollisionFree;
  }
}

// Exact comparisons: a walker at rest stands on a centre, which whole quarter steps
// from another centre reach without rounding.
int MapCellAtCentre(int32_t width, int32_t height, float x, float z) {
  if (width <= 0 || height <= 0) return -1;
  const float across = (x + static_cast<float>(width) - 1.0f) / kCellSize;
  const float down = (static_cast<float>(height) - 1.0f - z) / kCellSize;
  // Written so that a NaN position is no centre either.
  if (!(across >= 0.0f && across < static_cast<float>(width) && down >= 0.0f && down < static_cast<float>(height))) {
    return -1;
  }
  const int column = static_cast<int>(across), row = static_cast<int>(down);
  if (static_cast<float>(column) != across || static_cast<float>(row) != down) return -1;
  return row * width + column;
}

int MapCellIndex(float x, float z) {
  const int column = static_cast<int>(x + static_cast<float>(g_mapWidth)) / 2;
  const int row = static_cast<int>(static_cast<float>(g_mapHeight) - z) / 2;
  return row * g_mapWidth + column;
}

int MapCellIndexChecked(float x, float z) {
  const float across = x + static_cast<float>(g_mapWidth);
  const float down = static_cast<float>(g_mapHeight) - z;
  // Written so that a NaN position is off the map too.
  if (!(across >= 0.0f && across < kCellSize * static_cast<float>(g_mapWidth))) return -1;
  if (!(down >= 0.0f && down < kCellSize * static_cast<float>(g_mapHeight))) return -1;
  return MapCellIndex(x, z);
}

void MapCellToWorld(float* x, float* z) {
  *x = 2.0f * *x - static_cast<float>(g_mapWidth) + 1.0f;
  *z = static_cast<float>(g_mapHeight) - 2.0f * *z - 1.0f;
}

void MapSetCollision(float x, float z, int value) {
  const int cell = MapCellIndexChecked(x, z);
  if (cell >= 0) g_collisionLayer[cell] = static_cast<uint8_t>(value);
}

int MapCollisionAt(float x, float z) {
  const int cell = MapCellIndexChecked(x, z);
  return cell >= 0 ? static_cast<int>(g_collisionLayer[cell]) : static_cast<int>(kCollisionWall);
}

int MapEventAt(float x, float z) {
  const int cell = MapCellIndexChecked(x, z);
  return cell >= 0 ? g_eventLayer[cell] : 0;
}

int MapNeighbourDirection(int fromCell, int toCell) {
  const int w = g_mapWidth;
  if (w <= 0 || fromCell < 0 || toCell < 0) return -1;
  const bool sameRow = fromCell / w == toCell / w;
  const int d = toCell - fromCell;
  if (d == 1 && sameRow) return 0;
  if (d == -1 && sameRow) return 180;
  if (d == -w) return 90;
  if (d == w) return 270;
  return -1;
}
