// Items in battle: every party unit may open a grid over the whole inventory (two
// columns, four rows, ten pages), pick an item usable in battle, then an ally with the
// battle cursor; the item acts, one is used up and the unit's action ends.
#pragma once

#include <cstdint>

#include "battle/unit.h"

constexpr int kItemGridColumns = 2;
constexpr int kItemGridRows = 4;
constexpr int kItemGridPages = 10;
constexpr int32_t kItemTargetRange = 5;

struct ItemGrid {
  int32_t column;
  int32_t row;
  int32_t page;
  int32_t pages;
  int32_t chosenSlot;  // the inventory slot confirmed last
  int32_t chosenItem;  // its item id; kItemEmpty when none
  int32_t confirm;
};

extern ItemGrid g_itemGrid;

// The grid's keys: 1 confirmed (the slot and its item chosen), -1 cancelled, 0 otherwise.
int GridMenuInput2x4(ItemGrid* grid);
// The inventory slot under the grid's cursor.
int ItemGridSlot(const ItemGrid& grid);
void UnitItemChosen(UnitData* unit);
void UnitItemHealHp(UnitData* unit, UnitData* target);
void UnitItemHealMp(UnitData* unit, UnitData* target);
void UnitItemCureStatus(UnitData* target, int32_t mask, const AtlasRect& picture);

void UnitStateItemMenuOpen(UnitData* unit);
void UnitStateItemMenu(UnitData* unit);
void UnitStateItemTargetSelect(UnitData* unit);
void UnitStateItemTarget(UnitData* unit);
void UnitUseItem(UnitData* unit);
void UnitStateItemEffectWait(UnitData* unit);

void DrawBattleItemGrid(const UnitData* unit);
