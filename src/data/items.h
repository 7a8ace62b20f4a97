// The item table and the party's 80-slot inventory.
#pragma once

#include <cstdint>

#include "engine/rect.h"

enum ItemKind : int32_t { kItemNone = 0, kItemWeapon = 1, kItemArmour = 2, kItemConsumable = 3, kItemWard = 4 };
enum ItemFlags : int32_t { kItemUsableInBattle = 1, kItemUsableInField = 2 };

struct ItemRecord {
  int32_t id;
  int32_t kind;
  int32_t power;
  int32_t inflicts;
  int32_t price;
  int32_t equipMask;
  int32_t flags;
  AtlasRect nameRect;
  AtlasRect infoRect;
};
static_assert(sizeof(ItemRecord) == 60);

struct InventorySlot {
  int32_t id;  // kItemEmpty when the slot is free
  int32_t count;
};
static_assert(sizeof(InventorySlot) == 8);

constexpr int kItemCount = 20;
constexpr int kInventorySlots = 80;
constexpr int32_t kItemEmpty = 9999;
constexpr int32_t kStackMax = 99;

extern const ItemRecord g_itemTable[kItemCount];
extern InventorySlot g_inventory[kInventorySlots];

void InventoryInit();
