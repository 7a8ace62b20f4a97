#include "battle/grid.h"

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
float g_pathTryX[kPathEntries];
float g_pathTryZ[kPathEntries];
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

int32_t g_pathTryLength = 0;

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

int8_t Range(int index) { return static_cast<int8_t>(g_gridRange[index]); }

void FloodMove(int kx, int kz, int budget, int32_t side) {
  if (budget < 0) return;
  if (GridUnitOfSideAt(static_cast<float>(kx), static_cast<float>(kz), side) || !InsideKey(kx, kz)) return;
  const int i = IndexOfKey(kx, kz);
  if (g_gridWalls[i] != 0 || Range(i) > budget) return;
  g_gridRange[i] = static_cast<uint8_t>(budget);
  FloodMove(kx + 2, kz, budget - 1, side);
  FloodMove(kx, kz + 2, budget - 1, side);
  FloodMove(kx - 2, kz, budget - 1, side);
  FloodMove(kx, kz - 2, budget - 1, side);
}

void FloodAction(int kx, int kz, int budget) {
  if (budget < 0 || !InsideKey(kx, kz)) return;
  const int i = IndexOfKey(kx, kz);
  if (g_gridWalls[i] != 0 || Range(i) > budget) return;
  g_gridRange[i] = static_cast<uint8_t>(budget);
  FloodAction(kx + 2, kz, budget - 1);
  FloodAction(kx, kz + 2, budget - 1);
  FloodAction(kx - 2, kz, budget - 1);
  FloodAction(kx, kz - 2, budget - 1);
}

void PathSearch(int kx, int kz, int depth, int maxDepth, int gx, int gz) {
  if (depth > maxDepth || !InsideKey(kx, kz) || Range(IndexOfKey(kx, kz)) < 0) return;
  for (int i = 0; i < depth; ++i) {
    if (Trunc(g_pathTryX[i]) == kx && Trunc(g_pathTryZ[i]) == kz) return;
  }
  g_pathTryX[depth] = static_cast<float>(kx);
  g_pathTryZ[depth] = static_cast<float>(kz);
  g_pathTryLength = depth;
  if (kx == gx && kz == gz) {
    // Only a strictly shorter path replaces the best: the first found of a length stays.
    if (depth < g_pathLength) {
      for (int i = 0; i < kPathEntries; ++i) {
        g_pathX[i] = i <= depth ? g_pathTryX[i] : kPathEmpty;
        g_pathZ[i] = i <= depth ? g_pathTryZ[i] : kPathEmpty;
      }
      g_pathLength = depth;
    }
    return;
  }
  PathSearch(kx, kz - 2, depth + 1, maxDepth, gx, gz);
  PathSearch(kx + 2, kz, depth + 1, maxDepth, gx, gz);
  PathSearch(kx - 2, kz, depth + 1, maxDepth, gx, gz);
  PathSearch(kx, kz + 2, depth + 1, maxDepth, gx, gz);
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
  std::memset(g_gridRange, 0xFF, kBattleGridCells);
  PathReset();
}

void GridClearSearchMarks() { std::memset(g_gridMarks, 0, kBattleGridCells); }

void GridShowMoveRange(float x, float z, int32_t budget, int32_t blockingSide) {
  int kx = 0, kz = 0;
  SnapInt(x, z, &kx, &kz);
  GridClearRange();
  FloodMove(kx, kz, budget, blockingSide);
}

void GridShowAttackRange(float x, float z, int32_t range) {
  int kx = 0, kz = 0;
  SnapInt(x, z, &kx, &kz);
  GridClearRange();
  FloodAction(kx, kz, range);
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
    g_pathTryX[i] = g_pathTryZ[i] = kPathEmpty;
    g_pathX[i] = g_pathZ[i] = kPathEmpty;
  }
  g_pathTryLength = 0;
  g_pathLength = kPathEntries;
}

// The lists hold 20 entries, so no search goes deeper than 19 steps.
void PathFind(float startX, float startZ, int32_t depth, float goalX, float goalZ) {
  PathReset();
  const int maxDepth = depth < kPathEntries - 1 ? depth : kPathEntries - 1;
  PathSearch(Trunc(startX), Trunc(startZ), 0, maxDepth, Trunc(goalX), Trunc(goalZ));
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
