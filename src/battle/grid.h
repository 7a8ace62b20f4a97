// The battlefield: 18 by 18 cells of 2.0 units centred on the origin, the inner 14 by 14
// open. Its three byte layers (walls, range, search marks) live with the map buffers;
// this holds the conversions between world points, cell keys and indices, the walking
// and action floods, the path search, the unit queries and the grid view task.
//
// A cell key names a cell by its corner of least x and greatest z: column c, row r has
// the key (2c - 18, 18 - 2r) and its centre at (2c - 17, 17 - 2r).
#pragma once

#include <cstdint>

#include "data/battle_layout.h"
#include "engine/task.h"

constexpr int kGridSize = kBattleGridSize;
constexpr int kGridCells = kGridSize * kGridSize;
constexpr int kGridBorder = kBattleGridBorder;
constexpr int kPathEntries = 20;
constexpr float kPathEmpty = 5000.0f;
constexpr int16_t kRangeNone = -1;
// The longest walk the grid allows: a way over its cells that enters each at most once
// has no more steps. A flood given more budget reaches no further, so every budget is
// held to this before a search starts, whatever a record's values add up to.
constexpr int32_t kGridReach = kGridCells - 1;

extern int32_t g_gridWidth;
extern int32_t g_gridHeight;
extern float g_pathX[kPathEntries];
extern float g_pathZ[kPathEntries];
extern int32_t g_pathLength;  // the best path's last entry; 20 when none was found

void GridInit();
void GridSnapToCell(float x, float z, float* keyX, float* keyZ);
int GridCellIndex(float keyX, float keyZ);
int GridCellIndexAt(float x, float z);
int GridInside(float keyX, float keyZ);
// Column and row, given as floats, become the cell centre's x and z.
void GridCellToWorld(float* column, float* row);
// The range value of a cell index (-1 not in range); -1 for an index off the grid.
int GridRangeAt(int index);
void GridClearRange();
// Every search mark := -1, no visit: a search started with a budget of 0 still visits.
void GridClearSearchMarks();
// A flood's budget from any sum of record values: -1 (no cell) up to the grid's reach.
int32_t GridBudget(int64_t budget);
// The walking range from the cell of (x, z): enemies (units of the blocking side) stop
// it, walls too; units of the walker's own side are passed through.
void GridShowMoveRange(float x, float z, int32_t budget, int32_t blockingSide);
// The action range: the same flood that only walls stop.
void GridShowAttackRange(float x, float z, int32_t range);
int GridUnitOfSideAt(float keyX, float keyZ, int32_t side);
int GridAnyUnitAt(float keyX, float keyZ);

void PathReset();
// The shortest path from the start key to the goal key over cells in range, at most
// `depth` steps (and 19, what the lists hold); among paths of equal length the one whose
// steps go first toward -z, then +x, -x, +z: the one an exhaustive depth-first search in
// that order finds first.
void PathFind(float startX, float startZ, int32_t depth, float goalX, float goalZ);
// The facing of one walking step from the cell key (ux, uz) minus the path cell's key
// (dx, dz): one cell along an axis. False for any other difference: a walk never jumps.
bool PathStepFacing(int dx, int dz, float* facing);
int PathHasCell(float keyX, float keyZ);

struct GridViewData {
  int32_t live;
  int32_t terrain;  // the field tile under the party leader, read once
};

// The grid view in slot 7; 0 when it already exists.
int GridViewCreate();
void GridViewUpdate(TaskSlot* slot);
void GridViewDraw(TaskSlot* slot);
// The field tile the leader stands on, or 0 without a walker on the map.
int32_t GridTerrainUnderLeader();
