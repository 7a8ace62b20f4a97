#include "event/shop.h"

#include <algorithm>

#include "data/game_state.h"
#include "data/items.h"
#include "data/money.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"

namespace {

constexpr float kListX = 0.0f;
constexpr float kListY = 120.0f;
constexpr float kInfoX = 320.0f;
constexpr float kInfoY = 120.0f;
constexpr float kRowPitch = 25.0f;
constexpr float kAskX = 234.0f;
constexpr float kAskY = 221.0f;
constexpr float kHeaderY = 68.0f;
constexpr float kMoneyY = 94.0f;
constexpr float kQuantityY = 120.0f;
constexpr float kMessageY = 120.0f;

const AtlasRect kTopLabels[] = {kAtlasShopLeave, kAtlasShopBuy, kAtlasShopSell};
constexpr int32_t kTopOrder[] = {kShopMenuLeave, kShopMenuBuy, kShopMenuSell};

void Sound(int id) { SoundRequest(id, 0); }

int32_t Price(int32_t item) { return ItemIdValid(item) ? g_itemTable[item].price : 0; }

// A cursor past either end comes round to the other.
int32_t Wrap(int32_t value, int32_t count) {
  if (value < 0) return count - 1;
  return value >= count ? 0 : value;
}

// Down and Up move the row round the list and confirm picks it, each with the cursor
// sound. 1 when picked.
int RowKeys(int32_t* row, int32_t rows) {
  int picked = 0;
  if (KeyPressed(kKeyDown)) {
    *row = Wrap(*row + 1, rows);
  } else if (KeyPressed(kKeyUp)) {
    *row = Wrap(*row - 1, rows);
  } else if (KeyConfirmPressed()) {
    picked = 1;
  } else {
    return 0;
  }
  Sound(kSoundCursor);
  return picked;
}

InventorySlot* SellSlot(const ShopData& shop) {
  const int32_t index = shop.sellPage * kShopPageRows + shop.listCursor;
  return index >= 0 && index < kInventorySlots ? &g_inventory[index] : nullptr;
}

int32_t SellSlotItem(const ShopData& shop) {
  const InventorySlot* slot = SellSlot(shop);
  return slot ? slot->id : kItemEmpty;
}

// An empty slot, an item the table does not know and items of the unsellable kind
// cannot be sold.
bool Sellable(const InventorySlot* slot) {
  if (!slot || !ItemIdValid(slot->id) || slot->count < 1) return false;
  return g_itemTable[slot->id].kind != kItemKindUnsellable;
}

int32_t BuyItem(const ShopData& shop) {
  const int32_t row = std::clamp(shop.listCursor, 0, kShopItemMax - 1);
  return shop.items[row];
}

// Down and Right raise the quantity, Up and Left lower it, within 1 to `most`; confirm
// moves on to the yes/no question.
void QuantityKeys(ShopData* shop, int32_t most, ShopStep confirmStep) {
  int32_t& q = shop->quantity;
  if (KeyPressed(kKeyDown)) {
    q = std::min(q + 1, most);
  } else if (KeyPressed(kKeyUp)) {
    q = std::max(q - 1, 1);
  } else if (KeyPressed(kKeyRight)) {
    q = std::min(q + 10, most);
  } else if (KeyPressed(kKeyLeft)) {
    q = std::max(q - 10, 1);
  } else if (KeyConfirmPressed()) {
    shop->yesNo = 0;
    shop->step = confirmStep;
  } else {
    return;
  }
  Sound(kSoundCursor);
}

// Drawing. Every picture is opaque.

const plat::Texture* Atlas() { return g_atlasTexture.get(); }

void DrawShopMoney(float x, float y) {
  DrawWindow(x, y, kAtlasShopMoneyWindow, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
  DrawAtlas(x + 4.0f, y + 2.0f, kAtlasShopMoneyLabel);
  DrawNumberSmall(x + 80.0f, y + 4.0f, g_money);
}

void DrawShopQuantity(const ShopData& shop, const AtlasRect& title) {
  const float left =
      DrawWindowCentred(kQuantityY, kAtlasShopQuantityWindow, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
  DrawAtlas(left + 2.0f, 124.0f, title);
  DrawAtlas(left + 2.0f, 149.0f, kAtlasShopQuantityLabel);
  DrawNumberSmall(left + 82.0f, 151.0f, shop.quantity);
  DrawAtlas(left + 2.0f, 174.0f, kAtlasShopCostLabel);
  DrawNumberSmall(left + 82.0f, 176.0f, shop.cost);
}

void DrawShopItemInfo(float x, float y, int32_t item) {
  if (!ItemIdValid(item)) return;
  const ItemRecord& record = g_itemTable[item];
  DrawAtlas(x + 8.0f, y + 8.0f, record.infoRect);
  if (record.kind != kItemWeapon && record.kind != kItemArmour) return;
  DrawAtlas(x + 8.0f, y + 38.0f, record.kind == kItemWeapon ? kAtlasAttackLabel : kAtlasDefenceLabel);
  DrawNumberSmall(x + 108.0f, y + 40.0f, record.power);
}

void DrawItemName(float x, float y, int32_t item) {
  if (ItemIdValid(item)) DrawAtlas(x, y, g_itemTable[item].nameRect);
}

void DrawWindowAt(float x, float y, const AtlasRect& rect) {
  DrawWindow(x, y, rect, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
}

void DrawBuyList(const ShopData& shop) {
  DrawWindowAt(kListX, kListY, kAtlasShopListWindow);
  DrawWindowAt(kInfoX, kInfoY, kAtlasShopInfoWindow);
  const int32_t count = std::clamp(shop.itemCount, 0, kShopItemMax);
  for (int32_t i = 0; i < count; ++i) {
    const float y = 128.0f + kRowPitch * static_cast<float>(i);
    DrawItemName(16.0f, y, shop.items[i]);
    DrawNumberSmall(200.0f, y + 2.0f, Price(shop.items[i]));
  }
  DrawAtlas(4.0f, 128.0f + kRowPitch * static_cast<float>(shop.listCursor), kAtlasMenuCursor);
  if (count > 0) DrawShopItemInfo(kInfoX, kInfoY, BuyItem(shop));
  DrawAtlas(0.0f, kHeaderY, kAtlasShopBuyHeader);
  DrawShopMoney(0.0f, kMoneyY);
}

void DrawSellRow(int32_t index, float y) {
  const InventorySlot& slot = g_inventory[index];
  if (slot.id == kItemEmpty) {
    DrawAtlas(20.0f, y, kAtlasShopEmpty);
    return;
  }
  DrawItemName(20.0f, y, slot.id);
  DrawNumberSmall(200.0f, y, slot.count);
}

void DrawSellList(const ShopData& shop) {
  DrawWindowAt(kInfoX, kInfoY, kAtlasShopInfoWindow);
  DrawWindowAt(kListX, kListY, kAtlasShopListWindow);
  DrawAtlas(20.0f, 435.0f, kAtlasCursorLeft);
  DrawAtlas(259.0f, 435.0f, kAtlasMenuCursor);
  for (int32_t r = 0; r < kShopPageRows; ++r) {
    const int32_t index = shop.sellPage * kShopPageRows + r;
    if (index >= 0 && index < kInventorySlots) DrawSellRow(index, 140.0f + kRowPitch * static_cast<float>(r));
  }
  DrawAtlas(6.0f, 140.0f + kRowPitch * static_cast<float>(shop.listCursor), kAtlasMenuCursor);
  const int32_t item = SellSlotItem(shop);
  if (item != kItemEmpty) DrawShopItemInfo(kInfoX, kInfoY, item);
  DrawNumberTiny(6.0f, 122.0f, shop.sellPage + 1);
  DrawAtlas(30.0f, 122.0f, kAtlasSlashTiny);
  DrawNumberTiny(54.0f, 122.0f, shop.pageCount);
  DrawAtlas(0.0f, kHeaderY, kAtlasShopSellHeader);
  DrawShopMoney(0.0f, kMoneyY);
}

void DrawAsk(const ShopData& shop, const AtlasRect& title) {
  DrawVerticalMenu(kAskX, kAskY, shop.yesNo, 2, kColourOpaque, kAtlasShopAskWindow, title, kNoYesAnswers,
                   kTwoAnswerOrder);
}

void DrawShopMessage(int32_t message) {
  const AtlasRect& picture = message == kShopNoRoom ? kAtlasShopNoRoom : kAtlasShopNoMoney;
  DrawSpriteCentred(picture, kMessageY, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
}

void ViewTopMenu(const ShopData& shop) {
  DrawVerticalMenu(kListX, kListY, shop.menuCursor, 3, kColourOpaque, kAtlasShopMenuWindow, kAtlasShopTitle, kTopLabels,
                   kTopOrder);
}
void ViewLeave(const ShopData& shop) {
  DrawVerticalMenu(kListX, kListY, shop.yesNo, 2, kColourOpaque, kAtlasShopLeaveWindow, kAtlasShopLeaveTitle,
                   kNoYesAnswers, kTwoAnswerOrder);
}
void ViewBuyQuantity(const ShopData& shop) {
  DrawBuyList(shop);
  DrawShopQuantity(shop, kAtlasShopQuantityBuy);
}
void ViewBuyConfirm(const ShopData& shop) {
  ViewBuyQuantity(shop);
  DrawAsk(shop, kAtlasShopBuyTitle);
}
void ViewMessage(const ShopData& shop) {
  DrawBuyList(shop);
  DrawShopMessage(shop.message);
}
void ViewSellQuantity(const ShopData& shop) {
  DrawSellList(shop);
  DrawShopQuantity(shop, kAtlasShopQuantitySell);
}
void ViewSellConfirm(const ShopData& shop) {
  ViewSellQuantity(shop);
  DrawAsk(shop, kAtlasShopSellTitle);
}

struct ShopView {
  ShopStep step;
  void (*draw)(const ShopData& shop);
};
constexpr ShopView kViews[] = {
    {ShopTopMenu, ViewTopMenu},         {ShopLeaveConfirm, ViewLeave},        {ShopBuyList, DrawBuyList},
    {ShopBuyQuantity, ViewBuyQuantity}, {ShopBuyConfirm, ViewBuyConfirm},     {ShopMessageWait, ViewMessage},
    {ShopSellList, DrawSellList},       {ShopSellQuantity, ViewSellQuantity}, {ShopSellConfirm, ViewSellConfirm},
};

}  // namespace

void EventCmdShop(EventContext* context) {
  int32_t items[kShopItemMax] = {};
  const int32_t count = EventArgNumber(context);
  bool known = true;
  // Every listed id is read so the script goes on after the list, however long it is.
  for (int32_t i = 0; i < count && context->readPosition < kEventSlotSize; ++i) {
    const int32_t id = EventArgNumber(context);
    if (i >= kShopItemMax) continue;
    items[i] = id;
    known = known && ItemIdValid(id);
  }
  if (!known) return;
  TaskSlot* slot = TaskAllocAt(kSlotShop);
  if (!slot) return;
  TaskStart(slot, kTaskIdShop, 0, ShopUpdate, ShopDraw);
  ShopData* shop = TaskDataInit<ShopData>(slot);
  shop->live = 1;
  shop->pageCount = kShopPageCount;
  shop->quantity = 1;
  shop->itemCount = std::min(count, kShopItemMax);
  std::copy(std::begin(items), std::end(items), shop->items);
  shop->step = ShopBegin;
}

void EventCmdAddMoney(EventContext* context) { MoneyAdd(EventArgNumber(context)); }

void ShopUpdate(TaskSlot* slot) { TaskRunStep<ShopData>(slot); }

void ShopDraw(TaskSlot* slot) {
  const ShopData* shop = TaskData<ShopData>(slot);
  for (const ShopView& view : kViews) {
    if (view.step == shop->step) view.draw(*shop);
  }
}

void ShopBegin(ShopData* shop) { shop->step = ShopTopMenu; }

void ShopTopMenu(ShopData* shop) {
  if (KeyPressed(kKeyEscape)) {
    shop->live = 0;
    return;
  }
  if (!MenuCursorVertical(&shop->menuCursor, 3)) return;
  switch (shop->menuCursor) {
    case kShopMenuLeave:
      shop->yesNo = 0;
      shop->step = ShopLeaveConfirm;
      break;
    case kShopMenuBuy:
      shop->listCursor = 0;
      shop->cost = 0;
      shop->quantity = 1;
      shop->step = ShopBuyList;
      break;
    default:
      shop->sellPage = 0;
      shop->listCursor = 0;
      shop->step = ShopSellList;
      break;
  }
}

void ShopLeaveConfirm(ShopData* shop) {
  if (!MenuCursorVertical(&shop->yesNo, 2)) return;
  if (shop->yesNo == 1) {
    shop->live = 0;
    return;
  }
  shop->menuCursor = kShopMenuLeave;
  shop->yesNo = 0;
  shop->step = ShopTopMenu;
}

void ShopBuyList(ShopData* shop) {
  const int r = ShopBuyCursor(shop);
  if (r == -1) {
    shop->listCursor = 0;
    shop->menuCursor = kShopMenuLeave;
    shop->step = ShopTopMenu;
  } else if (r == 1) {
    shop->quantity = 1;
    shop->cost = Price(BuyItem(*shop));
    shop->step = ShopBuyQuantity;
  }
}

int ShopBuyCursor(ShopData* shop) {
  if (KeyPressed(kKeyEscape)) {
    Sound(kSoundCursor);
    return -1;
  }
  // An empty list has no row to move to or to buy.
  if (shop->itemCount < 1) return 0;
  return RowKeys(&shop->listCursor, std::min(shop->itemCount, kShopItemMax));
}

void ShopBuyQuantity(ShopData* shop) {
  if (KeyPressed(kKeyEscape)) {
    Sound(kSoundCursor);
    shop->cost = 0;
    shop->quantity = 1;
    shop->step = ShopBuyList;
    return;
  }
  QuantityKeys(shop, kShopQuantityMax, ShopBuyConfirm);
  shop->cost = Price(BuyItem(*shop)) * shop->quantity;
}

void ShopBuyConfirm(ShopData* shop) {
  if (!MenuCursorVertical(&shop->yesNo, 2)) return;
  if (shop->yesNo == 0) {
    shop->step = ShopBuyQuantity;
    return;
  }
  const int r = ShopBuyCommit(shop);
  if (r == 1) {
    shop->step = ShopBuyList;
  } else {
    shop->message = r;
    shop->step = ShopMessageWait;
    Sound(kSoundRefuse);
  }
  shop->yesNo = 0;
  shop->cost = 0;
  shop->quantity = 1;
}

int ShopBuyCommit(ShopData* shop) {
  const int32_t id = BuyItem(*shop);
  shop->cost = shop->quantity * Price(id);
  if (g_money < shop->cost) return kShopNoMoney;
  if (!InventoryCanAdd(id, shop->quantity)) return kShopNoRoom;
  InventoryAdd(id, shop->quantity);
  MoneySpend(shop->cost);
  Sound(kSoundTrade);
  return 1;
}

void ShopMessageWait(ShopData* shop) {
  if (KeyConfirmPressed()) shop->step = ShopBuyList;
}

void ShopSellList(ShopData* shop) {
  if (ShopSellCursor(shop) != 1) return;
  const InventorySlot* slot = SellSlot(*shop);
  if (!Sellable(slot)) return;
  shop->sellMax = slot->count;
  shop->quantity = 1;
  shop->cost = ShopSellValue(Price(slot->id), 1);
  shop->step = ShopSellQuantity;
}

int ShopSellCursor(ShopData* shop) {
  if (KeyPressed(kKeyEscape)) {
    shop->menuCursor = kShopMenuLeave;
    shop->step = ShopTopMenu;
  } else if (KeyPressed(kKeyRight)) {
    shop->sellPage = Wrap(shop->sellPage + 1, shop->pageCount);
  } else if (KeyPressed(kKeyLeft)) {
    shop->sellPage = Wrap(shop->sellPage - 1, shop->pageCount);
  } else {
    return RowKeys(&shop->listCursor, kShopPageRows);
  }
  Sound(kSoundCursor);
  return 0;
}

void ShopSellQuantity(ShopData* shop) {
  if (KeyPressed(kKeyEscape)) {
    Sound(kSoundCursor);
    shop->cost = 0;
    shop->step = ShopSellList;
    return;
  }
  QuantityKeys(shop, shop->sellMax, ShopSellConfirm);
  shop->cost = ShopSellValue(Price(SellSlotItem(*shop)), shop->quantity);
}

void ShopSellConfirm(ShopData* shop) {
  if (!MenuCursorVertical(&shop->yesNo, 2)) return;
  if (shop->yesNo == 0) {
    shop->step = ShopSellQuantity;
    return;
  }
  ShopSellCommit(shop);
  shop->yesNo = 0;
  shop->step = ShopSellList;
  Sound(kSoundTrade);
}

void ShopSellCommit(ShopData* shop) {
  InventorySlot* slot = SellSlot(*shop);
  if (!Sellable(slot)) return;
  const int32_t quantity = std::clamp(shop->quantity, 0, slot->count);
  MoneyAdd(ShopSellValue(Price(slot->id), quantity));
  slot->count -= quantity;
  if (slot->count < 1) *slot = {kItemEmpty, 0};
}

int32_t ShopSellValue(int32_t price, int32_t quantity) { return price * quantity / 2; }
