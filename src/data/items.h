// The item table and the party's 80-slot inventory.
#pragma once

#include <cstdint>

#include "data/characters.h"
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
constexpr int32_t kItemWardBell = 19;

extern const ItemRecord g_itemTable[kItemCount];

// Every operation below ignores an item id outside the table and a slot index outside
// the inventory, so a bad id from a script or a save can never reach past either.
bool ItemIdValid(int32_t id);

void InventoryInit();
// One fewer in the slot; the last one leaves the slot empty in place.
void InventoryConsume(int slot);
void InventoryClearSlot(int slot);
// The first stack of the item with room for one more, else the first empty slot, else -1.
int InventoryFindSlot(int32_t id);
// One more of the item in a slot that holds it or is empty; a slot of another item is left alone.
void InventorySlotAddOne(int slot, int32_t id);
// Ascending by id with the empty slots last; stacks of one item are not merged.
void InventorySort();

// The shared ways items come in: from shops, gifts and rewards.
int InventoryCanAdd(int32_t id, int32_t quantity);
void InventoryAdd(int32_t id, int32_t quantity);
void InventoryAddOne(int32_t id);
// Fills the slot towards a full stack; returns what did not fit.
int32_t InventoryTopUpSlot(int slot, int32_t n);
