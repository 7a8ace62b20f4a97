#include "menu/item_menu.h"

#include "data/game_state.h"
#include "data/items.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "field/item_use.h"
#include "menu/menu_common.h"
#include "menu/party_menu.h"
#include "menu/party_panels.h"

namespace {

constexpr float kListY = 80.0f;
constexpr float kMembersY = 360.0f;
constexpr float kAskX = 234.0f;
constexpr float kAskY = 120.0f;
constexpr float kMessageY = 120.0f;
constexpr float kUsedBoxY = 200.0f;
constexpr float kUsedLineY = 225.0f;
constexpr float kCompareX = 550.0f;
constexpr int32_t kTopCommands = 3;

const AtlasRect kTopLabels[kTopCommands] = {kAtlasItemUse, kAtlasItemDiscard, kAtlasItemSort};

float F(int32_t n) { return static_cast<float>(n); }

const ItemRecord* Item(int32_t id) { return ItemIdValid(id) ? &g_itemTable[id] : nullptr; }

bool UsableHere(const ItemRecord& item) { return (item.flags & kItemUsableInField) != 0; }

bool IsEquipment(const ItemRecord& item) { return item.kind == kItemWeapon || item.kind == kItemArmour; }

// The piece of the same kind the member wears now.
int32_t& WornPiece(CharacterRecord* record, const ItemRecord& item) {
  return item.kind == kItemWeapon ? record->weapon : record->armour;
}

int32_t CursorSlot(const ItemMenuData& menu) {
  return menu.page * kItemMenuPageSlots + menu.column + menu.row * kItemMenuColumns;
}

// The record of a filled slot of the table, else null.
const ItemRecord* SlotItem(int32_t slot) {
  if (slot < 0 || slot >= kInventorySlots) return nullptr;
  const InventorySlot& s = g_inventory[slot];
  return s.count > 0 ? Item(s.id) : nullptr;
}

void Go(ItemMenuData* menu, ItemMenuStep step) { menu->step = step; }

// ---- drawing ----

const plat::Texture* Atlas() { return g_atlasTexture.get(); }

void DrawHeader(const ItemMenuData& menu) {
  DrawAtlas(0.0f, 0.0f, kAtlasItemHeaderBar);
  DrawAtlas(320.0f, 0.0f, kAtlasItemHeaderBar);
  DrawAtlas(4.0f, 8.0f, kAtlasItemHeading);
  DrawAtlas(125.0f, 8.0f, kAtlasItemHeading2);
  for (int32_t i = 0; i < kTopCommands; ++i) DrawAtlas(25.0f + 100.0f * F(i), 40.0f, kTopLabels[i]);
  DrawAtlas(9.0f + 100.0f * F(menu.topCursor), 40.0f, kAtlasMenuCursor);
}

void ItemMenuDrawDetail(float x, float y, const ItemRecord& item) {
  DrawPicture(x, y, item.infoRect);
  if (!IsEquipment(item)) return;
  DrawAtlas(x, y + 30.0f, item.kind == kItemWeapon ? kAtlasAttackPowerLabel : kAtlasDefencePowerLabel);
  DrawNumberSmall(x + 100.0f, y + 32.0f, item.power);
}

bool ShowsListCursor(const ItemMenuData& menu) {
  return menu.step == ItemMenuPickItem || menu.step == ItemMenuPickDiscard || menu.step == ItemMenuConfirmDiscard ||
         menu.step == ItemMenuPickMember;
}

void DrawInventoryList(const ItemMenuData& menu, float y) {
  DrawAtlas(0.0f, y, kAtlasWidePanel);
  for (int32_t i = 0; i < kItemMenuPageSlots; ++i) {
    const int32_t column = i % kItemMenuColumns, row = i / kItemMenuColumns;
    const float sx = 20.0f + 315.0f * F(column), sy = y + 20.0f + 25.0f * F(row);
    const int32_t slot = menu.page * kItemMenuPageSlots + i;
    const ItemRecord* item = SlotItem(slot);
    if (!item) {
      DrawAtlas(sx, sy, kAtlasEmptySlot);
      continue;
    }
    DrawPicture(sx, sy, item->nameRect, UsableHere(*item) ? kColourOpaque : kColourDisabled);
    DrawNumberSmall(sx + 180.0f, sy, g_inventory[slot].count);
  }
  if (ShowsListCursor(menu)) {
    DrawAtlas(6.0f + 315.0f * F(menu.column), y + 20.0f + 25.0f * F(menu.row), kAtlasMenuCursor);
    if (const ItemRecord* item = SlotItem(CursorSlot(menu))) ItemMenuDrawDetail(328.0f, 8.0f, *item);
  }
  DrawNumberTiny(6.0f, y + 2.0f, menu.page + 1);
  DrawAtlas(30.0f, y + 2.0f, kAtlasSlashTiny);
  DrawNumberTiny(54.0f, y + 2.0f, menu.pageCount);
}

// What the chosen piece would do for the member: better, worse, the same, or not wearable.
const AtlasRect& ComparePicture(const CharacterRecord& member, const ItemRecord& item) {
  if ((item.equipMask & member.characterClass) == 0) return kAtlasCannotEquipMark;
  const int32_t worn = EquipPower(item.kind == kItemWeapon ? member.weapon : member.armour);
  const bool weapon = item.kind == kItemWeapon;
  if (item.power > worn) return weapon ? kAtlasWeaponBetter : kAtlasArmourBetter;
  if (item.power < worn) return weapon ? kAtlasWeaponWorse : kAtlasArmourWorse;
  return kAtlasBlank;
}

void ItemMenuDrawMembers(const ItemMenuData& menu, float x, float y) {
  DrawPartyRows(x, y, g_party, PartySize());
  if (PartySize() == 0) return;
  DrawListArrow(x + 8.0f, y + 20.0f, 25.0f, menu.member);
  const ItemRecord* item = Item(menu.item);
  if (item && IsEquipment(*item)) {
    DrawAtlas(x + kCompareX, y + 20.0f + 25.0f * F(menu.member), ComparePicture(g_party[menu.member], *item));
  }
}

void DrawAsk(const ItemMenuData& menu, const AtlasRect& frame, const AtlasRect& heading) {
  DrawVerticalMenu(kAskX, kAskY, menu.choice, 2, kColourOpaque, frame, heading, kNoYesAnswers, kTwoAnswerOrder);
}

// The item's name and "used" run on as one line, centred together in the box.
void DrawUsedMessage(const ItemMenuData& menu) {
  const float boxX = DrawSpriteCentred(kAtlasItemMessageBox, kUsedBoxY, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
  const ItemRecord* item = Item(menu.item);
  const AtlasRect name = item ? item->nameRect : AtlasRect{0, 0, 0, 0};
  const float width = RectWidth(name) + RectWidth(kAtlasItemUsedSuffix);
  const float x = boxX + RoundToNearest((RectWidth(kAtlasItemMessageBox) - width) / 2.0f);
  DrawPicture(x, kUsedLineY, name);
  DrawAtlas(x + RectWidth(name), kUsedLineY, kAtlasItemUsedSuffix);
}

}  // namespace

int ItemMenuOpenFromPartyMenu(PartyMenuData* menu) {
  menu->live = 0;
  return ItemMenuOpen();
}

int ItemMenuOpen() {
  TaskSlot* slot = TaskStart(TaskAllocAt(kSlotItemMenu), kTaskIdItemMenu, 0, ItemMenuUpdate, ItemMenuDraw);
  if (!slot) return 0;
  ItemMenuData* menu = TaskDataInit<ItemMenuData>(slot);
  menu->live = 1;
  menu->pageCount = kItemMenuPages;
  menu->step = ItemMenuInit;
  return 1;
}

void ItemMenuUpdate(TaskSlot* slot) {
  if (MenuTaskStep<ItemMenuData>(slot)) PartyMenuOpen();
}

void ItemMenuInit(ItemMenuData* menu) {
  menu->topCursor = kItemMenuUse;
  Go(menu, ItemMenuTop);
}

void ItemMenuTop(ItemMenuData* menu) {
  if (KeyPressed(kKeyEscape)) {
    menu->live = 0;
  } else if (KeyPressed(kKeyRight) || KeyPressed(kKeyDown)) {
    menu->topCursor = WrapStep(menu->topCursor, 1, kTopCommands);
  } else if (KeyPressed(kKeyLeft) || KeyPressed(kKeyUp)) {
    menu->topCursor = WrapStep(menu->topCursor, -1, kTopCommands);
  } else if (KeyConfirmPressed()) {
    constexpr ItemMenuStep kNext[kTopCommands] = {ItemMenuPickItem, ItemMenuPickDiscard, ItemMenuStartSort};
    Go(menu, kNext[WrapStep(menu->topCursor, 0, kTopCommands)]);
  } else {
    return;
  }
  MenuSound(kSoundCursor);
}

// Paging either way lands on the left column.
int InventoryCursorStep(ItemMenuData* menu) {
  int result = 0;
  if (KeyPressed(kKeyRight)) {
    if (++menu->column > kItemMenuColumns - 1) {
      menu->column = 0;
      menu->page = WrapStep(menu->page, 1, menu->pageCount);
    }
  } else if (KeyPressed(kKeyLeft)) {
    if (--menu->column < 0) {
      menu->column = 0;
      menu->page = WrapStep(menu->page, -1, menu->pageCount);
    }
  } else if (KeyPressed(kKeyDown)) {
    menu->row = WrapStep(menu->row, 1, kItemMenuRows);
  } else if (KeyPressed(kKeyUp)) {
    menu->row = WrapStep(menu->row, -1, kItemMenuRows);
  } else if (KeyConfirmPressed()) {
    menu->slot = CursorSlot(*menu);
    menu->item = menu->slot < kInventorySlots ? g_inventory[menu->slot].id : kItemEmpty;
    result = 1;
  } else if (KeyPressed(kKeyEscape)) {
    result = -1;
  } else {
    return 0;
  }
  MenuSound(kSoundCursor);
  return result;
}

void ItemMenuPickItem(ItemMenuData* menu) {
  const int r = InventoryCursorStep(menu);
  if (r < 0) Go(menu, ItemMenuTop);
  if (r <= 0) return;
  const ItemRecord* item = SlotItem(menu->slot);
  if (!item || !UsableHere(*item)) return;
  if (item->kind == kItemWard) {
    menu->choice = 0;
    Go(menu, ItemMenuConfirmKeyItem);
  } else if (PartySize() == 0) {
    MenuSound(kSoundRefuse);  // nobody to use it on
  } else {
    menu->member = 0;
    Go(menu, ItemMenuPickMember);
  }
}

void ItemMenuPickMember(ItemMenuData* menu) {
  if (KeyPressed(kKeyEscape)) {
    MenuSound(kSoundCursor);
    Go(menu, ItemMenuPickItem);
  } else if (KeyPressed(kKeyRight) || KeyPressed(kKeyDown)) {
    menu->member = WrapStep(menu->member, 1, PartySize());
    MenuSound(kSoundCursor);
  } else if (KeyPressed(kKeyLeft) || KeyPressed(kKeyUp)) {
    menu->member = WrapStep(menu->member, -1, PartySize());
    MenuSound(kSoundCursor);
  } else if (KeyConfirmPressed()) {
    const ItemRecord* item = Item(menu->item);
    if (!item || menu->member >= PartySize()) return;
    if (item->kind == kItemConsumable) ItemMenuUseOnMember(menu);
    if (IsEquipment(*item)) ItemMenuEquipOnMember(menu);
  }
}

// The item is taken whether or not it changed anything.
void ItemMenuUseOnMember(ItemMenuData* menu) {
  MenuSound(kSoundCursor);
  ItemApplyToMember(&g_party[menu->member], menu->item);
  InventoryConsume(menu->slot);
  menu->wait = kItemMenuUseWait;
  Go(menu, ItemMenuWaitAfterUse);
}

// The new piece leaves the inventory after the old one came back, so wearing a piece of
// the id already worn leaves the count as it was.
void ItemMenuEquipOnMember(ItemMenuData* menu) {
  const int r = ItemEquipFromInventory(&g_party[menu->member], menu->item);
  if (r == kEquipDone) {
    MenuSound(kSoundEquip);
    menu->wait = kItemMenuUseWait;
    Go(menu, ItemMenuWaitAfterUse);
    InventoryConsume(menu->slot);
    return;
  }
  MenuSound(kSoundRefuse);
  menu->result = r;
  Go(menu, ItemMenuWaitMessage);
}

int ItemEquipFromInventory(CharacterRecord* record, int32_t item) {
  const ItemRecord* piece = Item(item);
  if (!piece || !IsEquipment(*piece)) return kEquipNotAllowed;
  const int32_t old = WornPiece(record, *piece);
  if (old == kItemEmpty) return ItemEquipSet(record, item) ? kEquipDone : kEquipNotAllowed;
  const int slot = InventoryFindSlot(old);
  if (slot < 0) return kEquipNoRoom;
  if (!ItemEquipSet(record, item)) return kEquipNotAllowed;
  InventorySlotAddOne(slot, old);
  return kEquipDone;
}

int ItemEquipSet(CharacterRecord* record, int32_t item) {
  const ItemRecord* piece = Item(item);
  if (!piece || !IsEquipment(*piece) || (piece->equipMask & record->characterClass) == 0) return 0;
  WornPiece(record, *piece) = item;
  return 1;
}

void ItemMenuWaitAfterUse(ItemMenuData* menu) {
  --menu->wait;
  if (KeyConfirmPressed()) menu->wait = 0;
  if (menu->wait <= 0) Go(menu, ItemMenuPickItem);
}

void ItemMenuWaitMessage(ItemMenuData* menu) {
  if (KeyConfirmPressed()) Go(menu, ItemMenuPickItem);
}

void ItemMenuConfirmKeyItem(ItemMenuData* menu) {
  if (!MenuCursorVertical(&menu->choice, 2)) return;
  Go(menu, menu->choice == 1 ? ItemMenuUseKeyItem : ItemMenuPickItem);
}

// After the message the menu ends without reopening the party menu and the field goes
// on with the ward running.
void ItemMenuUseKeyItem(ItemMenuData* menu) {
  if (!KeyConfirmPressed()) return;
  const int32_t slot = menu->slot;
  const int32_t item = menu->item;
  TaskKillById(kTaskIdItemMenu);
  InventoryConsume(slot);
  ItemUseSpecial(item);
  TaskSetModeAll(kTaskModeRun);
}

void ItemMenuPickDiscard(ItemMenuData* menu) {
  const int r = InventoryCursorStep(menu);
  if (r < 0) Go(menu, ItemMenuTop);
  if (r > 0 && SlotItem(menu->slot)) Go(menu, ItemMenuConfirmDiscard);
}

// The question keeps the answer given last.
void ItemMenuConfirmDiscard(ItemMenuData* menu) {
  if (!MenuCursorVertical(&menu->choice, 2)) return;
  if (menu->choice == 1) InventoryClearSlot(menu->slot);
  Go(menu, ItemMenuPickDiscard);
}

void ItemMenuStartSort(ItemMenuData* menu) {
  menu->choice = 0;
  Go(menu, ItemMenuConfirmSort);
}

void ItemMenuConfirmSort(ItemMenuData* menu) {
  if (!MenuCursorVertical(&menu->choice, 2)) return;
  if (menu->choice == 1) InventorySort();
  menu->choice = 0;
  Go(menu, ItemMenuTop);
}

void ItemMenuDraw(TaskSlot* slot) {
  const ItemMenuData& menu = *TaskData<ItemMenuData>(slot);
  const AtlasRect& tile = kAtlasMenuTile;
  FillScreenPattern(tile.left, tile.top, tile.right, tile.bottom);
  DrawHeader(menu);
  DrawInventoryList(menu, kListY);
  const ItemMenuStep step = menu.step;
  if (step == ItemMenuConfirmDiscard) DrawAsk(menu, kAtlasAskWindowSmall, kAtlasItemDiscardHeading);
  if (step == ItemMenuConfirmSort) DrawAsk(menu, kAtlasAskWindowSmall, kAtlasItemSortHeading);
  if (step == ItemMenuConfirmKeyItem) DrawAsk(menu, kAtlasAskBox, kAtlasItemWardHeading);
  if (step == ItemMenuPickMember || step == ItemMenuWaitAfterUse) ItemMenuDrawMembers(menu, 0.0f, kMembersY);
  if (step == ItemMenuWaitMessage) {
    const AtlasRect& message = menu.result == kEquipNoRoom ? kAtlasItemBagFull : kAtlasItemCannotEquip;
    DrawSpriteCentred(message, kMessageY, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
  }
  if (step == ItemMenuUseKeyItem) DrawUsedMessage(menu);
}
