#include "battle/grid.h"

#include <gtest/gtest.h>

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

}  // namespace
