#include "data/items.h"

// Names and descriptions exist only as pictures; they are placed with the menus.
const ItemRecord g_itemTable[kItemCount] = {
    {0, kItemNone, 0, 0, 0, 0, 0, {}, {}},
    {1, kItemWeapon, 10, 0, 100, 1, 2, {}, {}},
    {2, kItemWeapon, 15, 0, 500, 1, 2, {}, {}},
    {3, kItemWeapon, 5, 0, 50, 2, 2, {}, {}},
    {4, kItemWeapon, 0, 0, 0, 1, 2, {}, {}},
    {5, kItemWeapon, 0, 0, 0, 1, 2, {}, {}},
    {6, kItemWeapon, 0, 0, 0, 1, 2, {}, {}},
    {7, kItemWeapon, 5, 0, 0, 1, 2, {}, {}},
    {8, kItemWeapon, 10, 1, 0, 1, 2, {}, {}},
    {9, kItemWeapon, 10, 2, 0, 1, 2, {}, {}},
    {10, kItemArmour, 10, 0, 100, 1, 2, {}, {}},
    {11, kItemArmour, 15, 0, 500, 1, 2, {}, {}},
    {12, kItemArmour, 5, 0, 100, 2, 2, {}, {}},
    {13, kItemConsumable, 100, 0, 100, 0, 3, {}, {}},
    {14, kItemConsumable, 300, 0, 200, 0, 3, {}, {}},
    {15, kItemConsumable, 100, 0, 200, 0, 3, {}, {}},
    {16, kItemConsumable, 200, 0, 400, 0, 3, {}, {}},
    {17, kItemConsumable, 0, 0, 100, 0, 3, {}, {}},
    {18, kItemConsumable, 0, 0, 100, 0, 3, {}, {}},
    {19, kItemWard, 100, 0, 1000, 0, 2, {}, {}},
};

InventorySlot g_inventory[kInventorySlots];

void InventoryInit() {
  for (InventorySlot& s : g_inventory) s = {kItemEmpty, 0};
  g_inventory[0] = {13, 4};
  g_inventory[1] = {15, 4};
  g_inventory[2] = {1, 1};
  g_inventory[3] = {3, 1};
}
