// The map grid of the current map and every buffer of the map and its scripts.
//
// A map is W columns by H rows of 2.0-unit cells centred on the world origin: row 0 lies
// at the +z edge, column 0 at the -x edge, and a cell's index is row x W + column. The
// pack file "mappack.dat" holds the 14 maps; each load replaces the current map whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/game_state.h"

constexpr int kMapCount = 14;
constexpr char kMapPackFileName[] = "mappack.dat";
constexpr int kMapMaxCells = 40000;
constexpr int kBattleGridCells = 18 * 18;
constexpr int kEventSlotCount = 20;
constexpr int kEventSlotSize = 14000;
constexpr int kMapMaxEvents = 20;  // event numbers 1 to 20

constexpr float kCellSize = 2.0f;
constexpr int kTileWallAbove = 14;  // a signed tile code above this blocks

// Collision bytes.
enum CollisionValue : uint8_t {
  kCollisionFree = 0,
  kCollisionWall = 1,
  kCollisionTaken = 2,  // a walker, a person or an object stands there
};

extern int32_t g_mapWidth;
extern int32_t g_mapHeight;
extern int8_t* g_tileLayer;
extern int8_t* g_eventLayer;
extern uint8_t* g_collisionLayer;
extern uint8_t* g_gridWalls;
// The battle's range and search-mark layers hold flood budgets, which run up to the
// grid's reach (323), so a cell takes 16 bits.
extern int16_t* g_gridRange;
extern int16_t* g_gridMarks;
extern char* g_eventSlots;  // 20 slots of 14,000 bytes
extern int32_t g_eventCount;

int MapBuffersAlloc();
void MapBuffersClear();
void MapBuffersFree();

// The pack: 14 little-endian offsets counted from the end of the table, then per map
// this header followed by the tile layer and the event layer (W x H signed bytes each).
constexpr size_t kMapPackTableSize = kMapCount * 4;
struct MapPackHeader {
  uint32_t width;
  uint32_t height;
  uint32_t area;
  uint32_t interval;
};
static_assert(sizeof(MapPackHeader) == 16);
// Every map at the largest size the layers hold: a larger pack holds bytes no map can
// use, and is refused unread.
constexpr size_t kMapPackMaxBytes = kMapPackTableSize + kMapCount * (sizeof(MapPackHeader) + 2 * kMapMaxCells);

// Finds map `map` in a pack image and checks that its whole record is one the game can
// hold: 1 with the header and the start of its two layers, or 0.
int MapPackFindRecord(const uint8_t* image, size_t size, int map, MapPackHeader* header, const uint8_t** layers);

// A map as its pack file holds it, for a map not yet loaded: its size, and its tile codes
// and event numbers, row by row.
struct MapPackTiles {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<int8_t> tiles;
  std::vector<int8_t> events;
};
// Map `map` of a pack file. 0 when the file does not hold a record the game can load.
int MapPackReadTiles(const char* fileName, int map, MapPackTiles* out);

// The map record alone. A missing file or a record the game cannot hold fails the load.
int MapLoadPack(const char* fileName);
// Cells whose event byte, read signed, is 1 to 20: of the current map, and of a layer.
int MapCountEventCells();
int MapCountEventCellsIn(const int8_t* events, size_t cells);
// Collision from the tile codes alone: 1 above code 14, else 0.
void MapBuildCollision();

// The cell under a world position on the map (no bounds check: a position anywhere in
// a cell, its west and north borders included, names that cell).
int MapCellIndex(float x, float z);
// The same, or -1 for a position off the map.
int MapCellIndexChecked(float x, float z);
// The cell whose centre is exactly (x, z) on a map of that size, or -1 when (x, z) is no
// cell's centre (between cells, off the map, not a number).
int MapCellAtCentre(int32_t width, int32_t height, float x, float z);
// Column and row, given as numbers, become the world centre of that cell.
void MapCellToWorld(float* x, float* z);
// The collision byte of the cell at (x, z); nothing happens off the map.
void MapSetCollision(float x, float z, int value);
// The collision byte of the cell at (x, z). A cell off the map is a wall for every
// mover: this is the one test of whether a cell can be entered.
int MapCollisionAt(float x, float z);
// The event byte of the cell at (x, z); 0 off the map.
int MapEventAt(float x, float z);
// The direction in degrees (0, 90, 180, 270) from one cell to a true neighbour of it:
// beside it in its row or in its column. -1 for any other pair (the last cell of a row
// and the first of the next are no neighbours).
int MapNeighbourDirection(int fromCell, int toCell);
