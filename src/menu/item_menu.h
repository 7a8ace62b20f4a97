// The item menu over the paused field: use, equip, discard and sort, over the inventory
// shown as 4 pages of 2 columns by 10 rows.
#pragma once

#include <cstdint>

#include "data/characters.h"
#include "engine/task.h"

struct PartyMenuData;
struct ItemMenuData;
using ItemMenuStep = void (*)(ItemMenuData* menu);

struct ItemMenuData {
  int32_t live;
  int32_t topCursor;  // ItemMenuCommand
  int32_t member;     // highlighted member in the member list
  int32_t column;     // 0 or 1
  int32_t row;        // 0 to 9
  int32_t spare;
  int32_t page;  // 0 to pageCount - 1
  int32_t pageCount;
  int32_t slot;    // inventory slot chosen last: page x 20 + column + row x 2
  int32_t item;    // its item id
  int32_t result;  // ItemEquipResult of a refused equip, for its message
  int32_t choice;  // answer of the yes/no questions: 0 no, 1 yes
  int32_t wait;    // frames left in the pause after a use
  ItemMenuStep step;
};

enum ItemMenuCommand : int32_t { kItemMenuUse = 0, kItemMenuDiscard = 1, kItemMenuSort = 2 };
enum ItemEquipResult : int32_t { kEquipDone = 0, kEquipNoRoom = 1, kEquipNotAllowed = 2 };

constexpr int32_t kItemMenuPages = 4;
constexpr int32_t kItemMenuColumns = 2;
constexpr int32_t kItemMenuRows = 10;
constexpr int32_t kItemMenuPageSlots = kItemMenuColumns * kItemMenuRows;
constexpr int32_t kItemMenuUseWait = 50;

// Ends the party menu and opens the item menu; 0 when its slot is busy.
int ItemMenuOpenFromPartyMenu(PartyMenuData* menu);
int ItemMenuOpen();
// Runs the step; a menu that ends frees its slot and reopens the party menu.
void ItemMenuUpdate(TaskSlot* slot);
void ItemMenuDraw(TaskSlot* slot);

// The inventory cursor: 1 on confirm (slot and item set), -1 on Escape, else 0.
int InventoryCursorStep(ItemMenuData* menu);
// Equips an inventory piece, the piece taken off going back into the inventory.
// ItemEquipResult; a full inventory is found before the class is asked.
int ItemEquipFromInventory(CharacterRecord* record, int32_t item);
// 1 when the member's class may wear the piece and it is now worn, else 0.
int ItemEquipSet(CharacterRecord* record, int32_t item);

void ItemMenuInit(ItemMenuData* menu);
void ItemMenuTop(ItemMenuData* menu);
void ItemMenuPickItem(ItemMenuData* menu);
void ItemMenuPickMember(ItemMenuData* menu);
void ItemMenuUseOnMember(ItemMenuData* menu);
void ItemMenuEquipOnMember(ItemMenuData* menu);
void ItemMenuWaitAfterUse(ItemMenuData* menu);
void ItemMenuWaitMessage(ItemMenuData* menu);
void ItemMenuConfirmKeyItem(ItemMenuData* menu);
void ItemMenuUseKeyItem(ItemMenuData* menu);
void ItemMenuPickDiscard(ItemMenuData* menu);
void ItemMenuConfirmDiscard(ItemMenuData* menu);
void ItemMenuStartSort(ItemMenuData* menu);
void ItemMenuConfirmSort(ItemMenuData* menu);
