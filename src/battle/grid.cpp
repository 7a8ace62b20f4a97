#include "battle/grid.h"

#include <algorithm>
#include <cstring>
#include <glm/mat4x4.hpp>

#include "battle/unit.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "field/map.h"

int32_t g_gridWidth = kGridSize;
int32_t g_gridHeight = kGridSize;
float g_pathX[kPathEntries];
float g_pathZ[kPathEntries];
int32_t g_pathLength = kPathEntries;

namespace {

constexpr uint32_t kRangeColour = 0x96FFFFFF;
constexpr uint32_t kPathColour = 0xBEFFFFFF;
constexpr int kTextureFloorSide = 2;
constexpr int kTextureFloorTop = 3;
constexpr int kTextureRange = 7;
constexpr int kTexturePath = 8;
constexpr int kTextureHardSide = 26;
constexpr int kTextureHardTop = 27;
constexpr int32_t kHardTerrainAbove = 7;
constexpr float kBlockDepth = 4.0f;

// Truncation toward zero, kept within reach of an int for points far off the grid.
int Trunc(float v) {
  if (v > 100000.0f) return 100000;
  if (v < -100000.0f) return -100000;
  return static_cast<int>(v);
}

bool InsideKey(int kx, int kz) {
  return kx >= -g_gridWidth && kx <= g_gridWidth - 2 && kz >= -g_gridHeight + 2 && kz <= g_gridHeight;
}

int IndexOfKey(int kx, int kz) { return (g_gridHeight / 2 - kz / 2) * g_gridWidth + kx / 2 + g_gridWidth / 2; }

int16_t Range(int index) { return g_gridRange[index]; }

// The key of a cell index: the inverse of IndexOfKey.
int KeyXOfIndex(int index) { return 2 * (index % g_gridWidth) - g_gridWidth; }
int KeyZOfIndex(int index) { return g_gridHeight - 2 * (index / g_gridWidth); }

// The floods' order of neighbours, +x, +z, -x, -z, and the path search's, -z, +x, -x, +z.
constexpr int kFloodSteps[4][2] = {{2, 0}, {0, 2}, {-2, 0}, {0, -2}};
constexpr int kPathSteps[4][2] = {{0, -2}, {2, 0}, {-2, 0}, {0, 2}};

void SnapInt(float x, float z, int* kx, int* kz);

// The cells a unit of the side stands on, in any state.
void MarkUnitsOfSide(int32_t side, bool taken[kGridCells]) {
  std::fill_n(taken, kGridCells, false);
  ForEachUnit([&](const UnitData* u) {
    if (u->record.side != side) return;
    int kx = 0, kz = 0;
    SnapInt(u->x, u->z, &kx, &kz);
    if (InsideKey(kx, kz)) taken[IndexOfKey(kx, kz)] = true;
  });
}

// Fills the cleared range layer from the key: every cell that is not a wall (nor taken,
// when `taken` is given) gets the budget left over the shortest way to it. That is what
// a depth-first flood that passes over cells already holding more budget leaves, but
// breadth first each cell is taken once, so the work is bounded by the grid's cells
// whatever the budget.
void FloodRange(int kx, int kz, int32_t budget, const bool* taken) {
  budget = GridBudget(budget);
  if (budget < 0 || !InsideKey(kx, kz)) return;
  const auto open = [&](int i) { return g_gridWalls[i] == 0 && !(taken && taken[i]); };
  const int start = IndexOfKey(kx, kz);
  if (!open(start)) return;
  int queue[kGridCells];
  int head = 0, tail = 0;
  g_gridRange[start] = static_cast<int16_t>(budget);
  queue[tail++] = start;
  while (head < tail) {
    const int cell = queue[head++];
    const int left = Range(cell);
    if (left == 0) continue;
    for (const auto& step : kFloodSteps) {
      const int nx = KeyXOfIndex(cell) + step[0], nz = KeyZOfIndex(cell) + step[1];
      if (!InsideKey(nx, nz)) continue;
      const int next = IndexOfKey(nx, nz);
      if (!open(next) || Range(next) >= 0) continue;
      g_gridRange[next] = static_cast<int16_t>(left - 1);
      queue[tail++] = next;
    }
  }
}

// A key the path may step on: inside the grid and in the range on show.
bool PathOpen(int kx, int kz) { return InsideKey(kx, kz) && Range(IndexOfKey(kx, kz)) >= 0; }

// The path search works on the keys a whole number of steps from its start: a square of
// them centred on the start, wide enough to hold every key of the grid wherever it starts.
constexpr int kLatticeHalf = kGridSize - 1;
constexpr int kLatticeSide = 2 * kLatticeHalf + 1;

int LatticeSlot(int kx, int kz, int startX, int startZ) {
  const int dx = kx - startX, dz = kz - startZ;
  if (dx % 2 != 0 || dz % 2 != 0) return -1;
  const int column = dx / 2 + kLatticeHalf, row = dz / 2 + kLatticeHalf;
  if (column < 0 || column >= kLatticeSide || row < 0 || row >= kLatticeSide) return -1;
  return row * kLatticeSide + column;
}

// Steps from every open key to the goal, counted breadth first from the goal (-1 where
// none leads); the search ends at the start or past the largest depth.
void StepsToGoal(int sx, int sz, int gx, int gz, int maxDepth, int16_t steps[]) {
  std::fill_n(steps, kLatticeSide * kLatticeSide, int16_t{-1});
  const int goal = LatticeSlot(gx, gz, sx, sz);
  if (goal < 0 || !PathOpen(gx, gz)) return;
  int queueX[kLatticeSide * kLatticeSide], queueZ[kLatticeSide * kLatticeSide];
  int head = 0, tail = 0;
  steps[goal] = 0;
  queueX[tail] = gx;
  queueZ[tail++] = gz;
  while (head < tail) {
    const int kx = queueX[head], kz = queueZ[head++];
    const int here = steps[LatticeSlot(kx, kz, sx, sz)];
    if ((kx == sx && kz == sz) || here >= maxDepth) continue;
    for (const auto& step : kPathSteps) {
      const int nx = kx + step[0], nz = kz + step[1];
      const int slot = LatticeSlot(nx, nz, sx, sz);
      if (slot < 0 || steps[slot] >= 0 || !PathOpen(nx, nz)) continue;
      steps[slot] = static_cast<int16_t>(here + 1);
      queueX[tail] = nx;
      queueZ[tail++] = nz;
    }
  }
}

void SnapInt(float x, float z, int* kx, int* kz) {
  *kx = 2 * (Trunc(x + static_cast<float>(g_gridWidth)) / 2) - g_gridWidth;
  *kz = g_gridHeight - 2 * (Trunc(static_cast<float>(g_gridHeight) - z) / 2);
}

bool UnitOnKey(const UnitData* unit, float kx, float kz) {
  float ux = 0, uz = 0;
  GridSnapToCell(unit->x, unit->z, &ux, &uz);
  return Trunc(ux) == Trunc(kx) && Trunc(uz) == Trunc(kz);
}

const plat::Texture* Texture(int n) { return g_textures[n].get(); }

void DrawCellQuad(float kx, float y, float kz, uint32_t colour, int texture) {
  Vertex3D v[4];
  SetVertex3D(&v[0], kx, y, kz, 0, 0);
  SetVertex3D(&v[1], kx + 2, y, kz, 1, 0);
  SetVertex3D(&v[2], kx + 2, y, kz - 2, 1, 1);
  SetVertex3D(&v[3], kx, y, kz - 2, 0, 1);
  DrawQuad3D(v, colour, Texture(texture));
}

// One face hanging kBlockDepth below the top edge from (x0, z0) to (x1, z1).
void DrawSide(float x0, float z0, float x1, float z1, int texture) {
  Vertex3D v[4];
  SetVertex3D(&v[0], x0, 0, z0, 0, 0);
  SetVertex3D(&v[1], x1, 0, z1, 1, 0);
  SetVertex3D(&v[2], x1, -kBlockDepth, z1, 1, 1);
  SetVertex3D(&v[3], x0, -kBlockDepth, z0, 0, 1);
  DrawQuad3D(v, 0xFFFFFFFF, Texture(texture));
}

void DrawFloorBlock(float kx, float kz, int top, int side) {
  DrawCellQuad(kx, 0.0f, kz, 0xFFFFFFFF, top);
  DrawSide(kx + 2, kz, kx + 2, kz - 2, side);
  DrawSide(kx, kz - 2, kx, kz, side);
  DrawSide(kx, kz, kx + 2, kz, side);
  DrawSide(kx + 2, kz - 2, kx, kz - 2, side);
}

float KeyX(int column) { return static_cast<float>(2 * column - g_gridWidth); }
float KeyZ(int row) { return static_cast<float>(g_gridHeight - 2 * row); }

}  // namespace

void GridInit() {
  g_gridWidth = kGridSize;
  g_gridHeight = kGridSize;
  std::memset(g_gridWalls, 0, kBattleGridCells);
  for (int r = 0; r < g_gridHeight; ++r) {
    for (int c = 0; c < g_gridWidth; ++c) {
      const bool border =
          r < kGridBorder || c < kGridBorder || r >= g_gridHeight - kGridBorder || c >= g_gridWidth - kGridBorder;
      g_gridWalls[r * g_gridWidth + c] = border ? 1 : 0;
    }
  }
}

void GridSnapToCell(float x, float z, float* keyX, float* keyZ) {
  int kx = 0, kz = 0;
  SnapInt(x, z, &kx, &kz);
  *keyX = static_cast<float>(kx);
  *keyZ = static_cast<float>(kz);
}

int GridCellIndex(float keyX, float keyZ) { return IndexOfKey(Trunc(keyX), Trunc(keyZ)); }

int GridCellIndexAt(float x, float z) {
  const int row = Trunc(static_cast<float>(g_gridHeight) - z) / 2;
  const int column = Trunc(x + static_cast<float>(g_gridWidth)) / 2;
  return row * g_gridWidth + column;
}

int GridInside(float keyX, float keyZ) { return InsideKey(Trunc(keyX), Trunc(keyZ)) ? 1 : 0; }

void GridCellToWorld(float* column, float* row) {
  *column = 2.0f * *column - static_cast<float>(g_gridWidth) + 1.0f;
  *row = -(2.0f * *row - static_cast<float>(g_gridHeight)) - 1.0f;
}

int GridRangeAt(int index) { return index >= 0 && index < kGridCells ? Range(index) : kRangeNone; }

void GridClearRange() {
  std::fill_n(g_gridRange, kBattleGridCells, kRangeNone);
  PathReset();
}

void GridClearSearchMarks() { std::fill_n(g_gridMarks, kBattleGridCells, int16_t{-1}); }

int32_t GridBudget(int64_t budget) { return static_cast<int32_t>(std::clamp<int64_t>(budget, -1, kGridReach)); }

void GridShowMoveRange(float x, float z, int32_t budget, int32_t blockingSide) {
  int kx = 0, kz = 0;
  SnapInt(x, z, &kx, &kz);
  GridClearRange();
  bool taken[kGridCells];
  MarkUnitsOfSide(blockingSide, taken);
  FloodRange(kx, kz, budget, taken);
}

void GridShowAttackRange(float x, float z, int32_t range) {
  int kx = 0, kz = 0;
  SnapInt(x, z, &kx, &kz);
  GridClearRange();
  FloodRange(kx, kz, range, nullptr);
}

int GridUnitOfSideAt(float keyX, float keyZ, int32_t side) {
  int found = 0;
  ForEachUnit([&](const UnitData* u) {
    if (!found && u->record.side == side && UnitOnKey(u, keyX, keyZ)) found = 1;
  });
  return found;
}

int GridAnyUnitAt(float keyX, float keyZ) {
  int found = 0;
  ForEachUnit([&](const UnitData* u) {
    if (!found && UnitOnKey(u, keyX, keyZ)) found = 1;
  });
  return found;
}

void PathReset() {
  for (int i = 0; i < kPathEntries; ++i) {
    g_pathX[i] = g_pathZ[i] = kPathEmpty;
  }
  g_pathLength = kPathEntries;
}

// The lists hold 20 entries, so no path is longer than 19 steps. The steps to the goal
// from every key near it are counted first; the path then takes at each key the first
// step of the search order that leads one step nearer. That is the path the exhaustive
// depth-first search finds first among the shortest, in work bounded by the grid.
void PathFind(float startX, float startZ, int32_t depth, float goalX, float goalZ) {
  PathReset();
  const int maxDepth = depth < kPathEntries - 1 ? depth : kPathEntries - 1;
  const int sx = Trunc(startX), sz = Trunc(startZ);
  if (maxDepth < 0 || !PathOpen(sx, sz)) return;
  int16_t steps[kLatticeSide * kLatticeSide];
  StepsToGoal(sx, sz, Trunc(goalX), Trunc(goalZ), maxDepth, steps);
  const int length = steps[LatticeSlot(sx, sz, sx, sz)];
  if (length < 0) return;
  int kx = sx, kz = sz;
  for (int i = 0; i <= length; ++i) {
    g_pathX[i] = static_cast<float>(kx);
    g_pathZ[i] = static_cast<float>(kz);
    if (i == length) break;
    for (const auto& step : kPathSteps) {
      const int slot = LatticeSlot(kx + step[0], kz + step[1], sx, sz);
      if (slot >= 0 && steps[slot] == length - i - 1) {
        kx += step[0];
        kz += step[1];
        break;
      }
    }
  }
  g_pathLength = length;
}

// A length of 20 or more means no path: nothing is read past the lists.
int PathHasCell(float keyX, float keyZ) {
  if (g_pathLength < 0 || g_pathLength >= kPathEntries) return 0;
  for (int i = 0; i <= g_pathLength; ++i) {
    if (Trunc(g_pathX[i]) == Trunc(keyX) && Trunc(g_pathZ[i]) == Trunc(keyZ)) return 1;
  }
  return 0;
}

int GridViewCreate() {
  if (TaskExists(kTaskIdBattleGridView)) return 0;
  TaskSlot* slot =
      TaskStart(TaskAllocAtForce(kSlotBattleGridView), kTaskIdBattleGridView, 0, GridViewUpdate, GridViewDraw);
  if (!slot) return 0;
  GridViewData* view = TaskDataInit<GridViewData>(slot);
  view->live = 1;
  view->terrain = GridTerrainUnderLeader();
  return 1;
}

void GridViewUpdate(TaskSlot*) {}

// Only a walker in slot 0 counts, and only on a cell of the map.
int32_t GridTerrainUnderLeader() {
  if (!g_taskPool || !g_tileLayer) return 0;
  TaskSlot& slot = g_taskPool[kSlotWalkerFirst];
  if (!slot.inUse || slot.id != kTaskIdWalker) return 0;
  const TaskHead* leader = TaskData<TaskHead>(&slot);
  const int cell = MapCellIndexChecked(leader->x, leader->z);
  return cell < 0 ? 0 : g_tileLayer[cell];
}

void GridViewDraw(TaskSlot* slot) {
  const GridViewData* view = TaskData<GridViewData>(slot);
  SetZEnable(0);
  FillScreenPattern(kAtlasBattleTile.left, kAtlasBattleTile.top, kAtlasBattleTile.right, kAtlasBattleTile.bottom);
  SetZEnable(1);
  if (g_device) g_device->SetTransform(plat::TransformKind::World, glm::mat4(1.0f));
  const bool hard = view->terrain > kHardTerrainAbove;
  const int top = hard ? kTextureHardTop : kTextureFloorTop;
  const int side = hard ? kTextureHardSide : kTextureFloorSide;
  for (int r = 0; r < g_gridHeight; ++r) {
    for (int c = 0; c < g_gridWidth; ++c) {
      if (g_gridWalls[r * g_gridWidth + c] == 0) DrawFloorBlock(KeyX(c), KeyZ(r), top, side);
    }
  }
  SetZEnable(0);
  for (int r = 0; r < g_gridHeight; ++r) {
    for (int c = 0; c < g_gridWidth; ++c) {
      if (Range(r * g_gridWidth + c) < 0) continue;
      const bool onPath = PathHasCell(KeyX(c), KeyZ(r));
      DrawCellQuad(KeyX(c), 0.0f, KeyZ(r), onPath ? kPathColour : kRangeColour, onPath ? kTexturePath : kTextureRange);
    }
  }
  SetZEnable(1);
}

bool PathStepFacing(int dx, int dz, float* facing) {
  if (dx == 0 && dz == -2) {
    *facing = 90.0f;
  } else if (dx == 0 && dz == 2) {
    *facing = 270.0f;
  } else if (dx == -2 && dz == 0) {
    *facing = 0.0f;
  } else if (dx == 2 && dz == 0) {
    *facing = 180.0f;
  } else {
    return false;
  }
  return true;
}
