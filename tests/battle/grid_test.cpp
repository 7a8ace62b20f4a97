#include "battle/grid.h"

#include <gtest/gtest.h>

#include <vector>

#include "battle/battle_support.h"

namespace {

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

}  // namespace
