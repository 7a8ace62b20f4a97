#include "data/items.h"

#include <algorithm>
#include <utility>

#include "data/game_state.h"
#include "engine/atlas.h"

namespace {
constexpr AtlasRect kNoPicture = {0, 0, 0, 0};
}  // namespace

// Rows 4 to 6 are unused weapons: no pictures.
const ItemRecord g_itemTable[kItemCount] = {
    {0, kItemNone, 0, 0, 0, 0, 0, kAtlasItemNameNone, kNoPicture},
    {1, kItemWeapon, 10, 0, 100, 1, 2, kAtlasItemNameBroadsword, kAtlasItemInfoSword},
    {2, kItemWeapon, 15, 0, 500, 1, 2, kAtlasItemNameMithrilSword, kAtlasItemInfoSword},
    {3, kItemWeapon, 5, 0, 50, 2, 2, kAtlasItemNameOakStaff, kAtlasItemInfoStaff},
    {4, kItemWeapon, 0, 0, 0, 1, 2, kNoPicture, kNoPicture},
    {5, kItemWeapon, 0, 0, 0, 1, 2, kNoPicture, kNoPicture},
    {6, kItemWeapon, 0, 0, 0, 1, 2, kNoPicture, kNoPicture},
    {7, kItemWeapon, 5, 0, 0, 1, 2, kAtlasItemNameClaw, kAtlasItemInfoMonsterWeapon},
    {8, kItemWeapon, 10, 1, 0, 1, 2, kAtlasItemNamePoisonFang, kAtlasItemInfoMonsterWeapon},
    {9, kItemWeapon, 10, 2, 0, 1, 2, kAtlasItemNameNumbingClaw, kAtlasItemInfoMonsterWeapon},
    {10, kItemArmour, 10, 0, 100, 1, 2, kAtlasItemNameLeatherArmour, kAtlasItemInfoArmour},
    {11, kItemArmour, 15, 0, 500, 1, 2, kAtlasItemNameChainMail, kAtlasItemInfoArmour},
    {12, kItemArmour, 5, 0, 100, 2, 2, kAtlasItemNameSilkRobe, kAtlasItemInfoRobe},
    {13, kItemConsumable, 100, 0, 100, 0, 3, kAtlasItemNameSalve, kAtlasItemInfoHeal100},
    {14, kItemConsumable, 300, 0, 200, 0, 3, kAtlasItemNameSecretSalve, kAtlasItemInfoHeal300},
    {15, kItemConsumable, 100, 0, 200, 0, 3, kAtlasItemNameMagicWater, kAtlasItemInfoMagic100},
    {16, kItemConsumable, 200, 0, 400, 0, 3, kAtlasItemNameHolyWater, kAtlasItemInfoMagic200},
    {17, kItemConsumable, 0, 0, 100, 0, 3, kAtlasItemNameAntidote, kAtlasItemInfoCurePoison},
    {18, kItemConsumable, 0, 0, 100, 0, 3, kAtlasItemNameRestorative, kAtlasItemInfoCureStun},
    {19, kItemWard, 100, 0, 1000, 0, 2, kAtlasItemNameWardBell, kAtlasItemInfoWard},
};

namespace {

bool SlotValid(int slot) { return slot >= 0 && slot < kInventorySlots; }
bool SlotEmpty(const InventorySlot& s) { return s.id == kItemEmpty; }

int FirstSlotWhere(bool (*pred)(const InventorySlot&, int32_t), int32_t id) {
  for (int i = 0; i < kInventorySlots; ++i) {
    if (pred(g_inventory[i], id)) return i;
  }
  return -1;
}

bool HasRoomFor(const InventorySlot& s, int32_t id) { return s.id == id && s.count < kStackMax; }
bool IsEmptySlot(const InventorySlot& s, int32_t) { return SlotEmpty(s); }

}  // namespace

bool ItemIdValid(int32_t id) { return id >= 0 && id < kItemCount; }

void InventoryInit() {
  for (InventorySlot& s : g_inventory) s = {kItemEmpty, 0};
  g_inventory[0] = {13, 4};
  g_inventory[1] = {15, 4};
  g_inventory[2] = {1, 1};
  g_inventory[3] = {3, 1};
}

void InventoryConsume(int slot) {
  if (!SlotValid(slot)) return;
  InventorySlot& s = g_inventory[slot];
  s.count -= 1;
  if (s.count < 1) s = {kItemEmpty, 0};
}

void InventoryClearSlot(int slot) {
  if (SlotValid(slot)) g_inventory[slot] = {kItemEmpty, 0};
}

int InventoryFindSlot(int32_t id) {
  if (!ItemIdValid(id)) return -1;
  const int stack = FirstSlotWhere(HasRoomFor, id);
  return stack >= 0 ? stack : FirstSlotWhere(IsEmptySlot, id);
}

void InventorySlotAddOne(int slot, int32_t id) {
  if (!SlotValid(slot) || !ItemIdValid(id)) return;
  InventorySlot& s = g_inventory[slot];
  if (SlotEmpty(s)) s = {id, 0};
  if (s.id == id && s.count < kStackMax) s.count += 1;
}

// A plain bubble sort keeps equal ids in their order, so partial stacks stay apart.
void InventorySort() {
  for (int pass = 0; pass < kInventorySlots - 1; ++pass) {
    for (int i = 0; i < kInventorySlots - 1; ++i) {
      if (g_inventory[i].id > g_inventory[i + 1].id) std::swap(g_inventory[i], g_inventory[i + 1]);
    }
  }
}

int32_t InventoryTopUpSlot(int slot, int32_t n) {
  if (!SlotValid(slot)) return n;
  InventorySlot& s = g_inventory[slot];
  const int32_t taken = std::max(0, std::min(n, kStackMax - s.count));
  s.count += taken;
  return n - taken;
}

// Room counts the free part of every stack of the item and a whole stack per empty slot,
// so whatever this allows, InventoryAdd stores without loss.
int InventoryCanAdd(int32_t id, int32_t quantity) {
  if (!ItemIdValid(id)) return 0;
  int64_t room = 0;
  for (const InventorySlot& s : g_inventory) {
    if (s.id == id) room += std::max(0, kStackMax - s.count);
    if (SlotEmpty(s)) room += kStackMax;
  }
  return quantity <= room ? 1 : 0;
}

// Stacks of the item fill first, in slot order; what is left opens new stacks.
void InventoryAdd(int32_t id, int32_t quantity) {
  if (!ItemIdValid(id)) return;
  int32_t left = quantity;
  for (int i = 0; i < kInventorySlots && left > 0; ++i) {
    if (g_inventory[i].id == id) left = InventoryTopUpSlot(i, left);
  }
  for (int i = 0; i < kInventorySlots && left > 0; ++i) {
    if (!SlotEmpty(g_inventory[i])) continue;
    const int32_t n = std::min(left, kStackMax);
    g_inventory[i] = {id, n};
    left -= n;
  }
}

void InventoryAddOne(int32_t id) { InventorySlotAddOne(InventoryFindSlot(id), id); }
