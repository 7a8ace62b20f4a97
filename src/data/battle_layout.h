// Where a battle's pieces stand on the 18 by 18 battlefield at its start, and the rule
// a scripted battle's enemies must keep: the one place both the game and the script
// compiler read it. Header only, with no dependencies.
#pragma once

#include <cstdint>

constexpr int kBattleGridSize = 18;
constexpr int kBattleGridBorder = 2;  // rows and columns 0, 1, 16, 17 are walls
constexpr int kBattleSideMax = 6;     // units a side can field
constexpr int kBattleMonsterIdMax = 12;

// The party's units in member order, as (column, row).
constexpr int kPartyStartCells[4][2] = {{8, 8}, {9, 8}, {9, 9}, {8, 9}};

constexpr bool BattleCellOpen(int column, int row) {
  return column >= kBattleGridBorder && column < kBattleGridSize - kBattleGridBorder && row >= kBattleGridBorder &&
         row < kBattleGridSize - kBattleGridBorder;
}

constexpr bool BattlePartyStartCell(int column, int row) {
  for (const auto& cell : kPartyStartCells) {
    if (cell[0] == column && cell[1] == row) return true;
  }
  return false;
}

// A scripted enemy: a monster id of the table, on an open cell that no party unit
// starts on and no earlier enemy (columns and rows given) takes.
constexpr bool ScriptedEnemyValid(int32_t monster, int32_t column, int32_t row, const int32_t* earlierColumns,
                                  const int32_t* earlierRows, int earlierCount) {
  if (monster < 0 || monster > kBattleMonsterIdMax || !BattleCellOpen(column, row)) return false;
  if (BattlePartyStartCell(column, row)) return false;
  for (int i = 0; i < earlierCount; ++i) {
    if (earlierColumns[i] == column && earlierRows[i] == row) return false;
  }
  return true;
}
