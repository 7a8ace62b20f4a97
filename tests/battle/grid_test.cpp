#include "battle/grid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "battle/battle_support.h"

namespace {

float KeyX(int column) { return static_cast<float>(2 * column - 18); }
float KeyZ(int row) { return static_cast<float>(18 - 2 * row); }

int Range(int column, int row) { return GridRangeAt(row * kGridSize + column); }

int CellsInRange() {
  int n = 0;
  for (int i = 0; i < kGridCells; ++i) n += GridRangeAt(i) >= 0 ? 1 : 0;
  return n;
}

class GridTest : public test::BattleWorld {
 protected:
  // The walking range of a party unit with move 5 standing on (column, row).
  void ShowFrom(int column, int row) {
    float x = static_cast<float>(column), z = static_cast<float>(row);
    GridCellToWorld(&x, &z);
    GridShowMoveRange(x, z, 5, 1);
  }
};

// A unit at the centre reaches every cell within five steps; one in the corner of the
// open ground never enters the walls.
TEST_F(GridTest, WalkingRangeFillsTheOpenGroundWithinTheBudget) {
  ShowFrom(8, 8);
  EXPECT_EQ(CellsInRange(), 61);
  EXPECT_EQ(Range(8, 8), 5);
  EXPECT_EQ(Range(8, 3), 0);
  ShowFrom(2, 2);
  EXPECT_EQ(CellsInRange(), 21);
  for (int i = 0; i < kGridSize; ++i) {
    for (int wall : {0, 1, 16, 17}) {
      EXPECT_LT(Range(i, wall), 0);
      EXPECT_LT(Range(wall, i), 0);
    }
  }
}

// An enemy beside the walker stops the way through its cell; an ally does not.
TEST_F(GridTest, EnemiesBlockTheWalkingRangeAndAlliesDoNot) {
  const struct {
    int side;
    int onNeighbour, behind, twoBehind, threeBehind;
  } kCases[] = {{1, -1, 1, 0, -1}, {0, 4, 3, 2, 1}};
  for (const auto& k : kCases) {
    TaskKillAll();
    Place(1, 8, 8, 0);
    Place(5, 9, 8, k.side);
    ShowFrom(8, 8);
    EXPECT_EQ(Range(9, 8), k.onNeighbour) << "side " << k.side;
    EXPECT_EQ(Range(10, 8), k.behind) << "side " << k.side;
    EXPECT_EQ(Range(11, 8), k.twoBehind) << "side " << k.side;
    EXPECT_EQ(Range(12, 8), k.threeBehind) << "side " << k.side;
  }
  GridShowAttackRange(-1.0f, 1.0f, 4);  // the action range passes every unit
  EXPECT_EQ(Range(12, 8), 0);
}

// The path over the walking range: the shortest, the first in the search order (-z,
// +x, -x, +z) among equal lengths, round enemies, never longer than the move nor than the
// 19 steps the lists hold, and none to a cell out of range.
TEST_F(GridTest, PathsAreTheShortestAndTheFirstInOrderAmongEqualOnes) {
  struct Cell {
    int column, row;
    bool operator==(const Cell&) const = default;
  };
  // The cells of a walk `down` rows toward -z, then `right` columns toward +x.
  const auto DownThenRight = [](Cell from, int down, int right) {
    std::vector<Cell> cells{from};
    for (int i = 0; i < down; ++i) cells.push_back({from.column, ++from.row});
    for (int i = 0; i < right; ++i) cells.push_back({++from.column, from.row});
    return cells;
  };
  const struct {
    const char* name;
    Cell from;
    int32_t move;
    Cell enemy;  // column -1: none
    Cell goal;
    std::vector<Cell> path;  // empty: no path
  } kCases[] = {
      {"Here", {8, 8}, 5, {-1, 0}, {8, 8}, {{8, 8}}},
      {"NextCell", {8, 8}, 5, {-1, 0}, {9, 8}, {{8, 8}, {9, 8}}},
      {"TowardMinusZFirst", {8, 8}, 5, {-1, 0}, {10, 10}, DownThenRight({8, 8}, 2, 2)},
      {"ThenMinusXThenPlusZ", {8, 8}, 5, {-1, 0}, {6, 6}, {{8, 8}, {7, 8}, {6, 8}, {6, 7}, {6, 6}}},
      {"RoundAnEnemy", {8, 8}, 5, {9, 8}, {10, 8}, {{8, 8}, {8, 9}, {9, 9}, {10, 9}, {10, 8}}},
      {"PastTheMove", {8, 8}, 5, {-1, 0}, {14, 8}, {}},
      {"OutOfRange", {2, 8}, 5, {-1, 0}, {1, 8}, {}},
      {"NineteenSteps", {2, 2}, 100000, {-1, 0}, {15, 8}, DownThenRight({2, 2}, 6, 13)},
      {"TwentySteps", {2, 2}, 100000, {-1, 0}, {15, 9}, {}},
  };
  for (const auto& k : kCases) {
    TaskKillAll();
    Place(1, k.from.column, k.from.row, 0);
    if (k.enemy.column >= 0) Place(5, k.enemy.column, k.enemy.row, 1);
    float x = static_cast<float>(k.from.column), z = static_cast<float>(k.from.row);
    GridCellToWorld(&x, &z);
    GridShowMoveRange(x, z, k.move, 1);
    float kx = 0, kz = 0;
    GridSnapToCell(x, z, &kx, &kz);
    PathFind(kx, kz, k.move, static_cast<float>(2 * k.goal.column - 18), static_cast<float>(18 - 2 * k.goal.row));
    std::vector<Cell> path;
    for (int i = 0; i < kPathEntries && g_pathX[i] != kPathEmpty; ++i) {
      path.push_back({static_cast<int>(g_pathX[i] + 18) / 2, static_cast<int>(18 - g_pathZ[i]) / 2});
    }
    EXPECT_EQ(path, k.path) << k.name;
    EXPECT_EQ(g_pathLength, k.path.empty() ? kPathEntries : static_cast<int32_t>(k.path.size()) - 1) << k.name;
  }
}

// A point anywhere in a cell snaps to its key, whose index is the cell's; keys past the
// border are off the grid.
TEST_F(GridTest, KeysIndicesAndCentresAgree) {
  for (const auto& [c, r] : {std::pair{0, 0}, {2, 5}, {9, 17}, {17, 9}}) {
    float x = static_cast<float>(c), z = static_cast<float>(r), kx = 0, kz = 0;
    GridCellToWorld(&x, &z);
    GridSnapToCell(x + 0.9f, z - 0.9f, &kx, &kz);
    EXPECT_EQ(std::pair(kx, kz), std::pair(KeyX(c), KeyZ(r)));
    EXPECT_EQ(GridCellIndex(kx, kz), r * 18 + c);
    EXPECT_EQ(GridCellIndexAt(x, z), r * 18 + c);
  }
  EXPECT_EQ(GridInside(KeyX(17), KeyZ(0)), 1);
  EXPECT_EQ(GridInside(KeyX(18), KeyZ(3)) + GridInside(KeyX(3), KeyZ(-1)), 0);
}

TEST_F(GridTest, PathsAreShortestAndTiesGoTowardMinusZFirst) {
  ShowFrom(8, 8);
  PathFind(KeyX(8), KeyZ(8), 5, KeyX(9), KeyZ(9));
  ASSERT_EQ(g_pathLength, 2);
  EXPECT_EQ(g_pathX[1], KeyX(8)) << "the first step goes to row 9, toward -z";
  EXPECT_EQ(g_pathZ[1], KeyZ(9));
  EXPECT_EQ(g_pathX[3], kPathEmpty);
  EXPECT_EQ(PathHasCell(KeyX(8), KeyZ(9)), 1);
  EXPECT_EQ(PathHasCell(KeyX(9), KeyZ(8)), 0);
  PathFind(KeyX(8), KeyZ(8), 5, KeyX(7), KeyZ(8));
  EXPECT_EQ(g_pathLength, 1);
  PathFind(KeyX(8), KeyZ(8), 5, KeyX(8), KeyZ(2));  // six steps, out of range
  EXPECT_EQ(g_pathLength, kPathEntries);
  EXPECT_EQ(g_pathX[0], kPathEmpty);
  EXPECT_EQ(PathHasCell(KeyX(8), KeyZ(8)), 0);
}

// Along a corridor of 21 cells a path of 19 steps fits the lists and one of 20 does not,
// whatever depth is asked for.
TEST_F(GridTest, PathsNeverOutgrowTheirTwentyEntries) {
  std::memset(g_gridWalls, 1, kGridCells);
  for (int c = 2; c <= 15; ++c) g_gridWalls[2 * 18 + c] = 0;
  for (int r = 3; r <= 9; ++r) g_gridWalls[r * 18 + 15] = 0;
  GridShowAttackRange(-13.0f, 13.0f, 25);  // from the centre of (2, 2)
  PathFind(KeyX(2), KeyZ(2), 25, KeyX(15), KeyZ(8));
  EXPECT_EQ(g_pathLength, 19);
  EXPECT_EQ(PathHasCell(KeyX(15), KeyZ(8)), 1);
  PathFind(KeyX(2), KeyZ(2), 25, KeyX(15), KeyZ(9));
  EXPECT_EQ(g_pathLength, kPathEntries);
  EXPECT_EQ(PathHasCell(KeyX(2), KeyZ(2)), 0);
}

// The floor comes from the field tile under a walker in slot 0, and from nothing else.
TEST_F(GridTest, TheFloorReadsOnlyTheLeadersWalker) {
  EXPECT_EQ(GridTerrainUnderLeader(), 0) << "no map, no walker";
  g_mapWidth = g_mapHeight = 4;
  std::memset(g_tileLayer, 9, 16);
  TaskSlot* slot = TaskStart(TaskAllocAt(0), 4242, 0, nullptr, nullptr);
  EXPECT_EQ(GridTerrainUnderLeader(), 0) << "slot 0 holds no walker";
  slot->id = kTaskIdWalker;
  TaskHead* head = TaskData<TaskHead>(slot);
  head->x = 100.0f;
  EXPECT_EQ(GridTerrainUnderLeader(), 0) << "off the map";
  head->x = head->z = 1.0f;
  EXPECT_EQ(GridTerrainUnderLeader(), 9);
  ASSERT_EQ(GridViewCreate(), 1);
  EXPECT_EQ(TaskData<GridViewData>(&g_taskPool[kSlotBattleGridView])->terrain, 9);
  EXPECT_EQ(GridViewCreate(), 0);
}

}  // namespace
