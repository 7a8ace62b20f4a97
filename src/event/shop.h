// The shop: sells up to twelve items from the script's list and buys back anything in
// the inventory at half price. Also the script's plain money command.
#pragma once

#include <cstdint>

#include "engine/task.h"
#include "event/event.h"

constexpr int kShopItemMax = 12;
constexpr int32_t kShopPageCount = 8;  // pages of the sell list
constexpr int32_t kShopPageRows = 10;
constexpr int32_t kShopQuantityMax = 99;
constexpr int32_t kItemKindUnsellable = 5;

enum ShopMenuEntry : int32_t { kShopMenuLeave = 0, kShopMenuBuy = 1, kShopMenuSell = 2 };
enum ShopMessage : int32_t { kShopNoMoney = 0, kShopNoRoom = -1 };

struct ShopData;
using ShopStep = void (*)(ShopData* shop);

struct ShopData {
  int32_t live;
  int32_t sellPage;
  int32_t pageCount;
  int32_t menuCursor;  // ShopMenuEntry
  int32_t listCursor;  // row of the buy list or of the sell page
  int32_t quantity;
  int32_t sellMax;  // count of the inventory slot being sold
  int32_t cost;     // shown in the quantity window
  int32_t yesNo;
  int32_t itemCount;
  int32_t message;  // ShopMessage
  int32_t items[kShopItemMax];
  ShopStep step;
};

// '#10,count,item,...'. Items after the twelfth are read and dropped; an item that is
// not in the table keeps the shop shut.
void EventCmdShop(EventContext* context);
// '#27,n': money + n, capped.
void EventCmdAddMoney(EventContext* context);

void ShopUpdate(TaskSlot* slot);
void ShopDraw(TaskSlot* slot);
void ShopBegin(ShopData* shop);
void ShopTopMenu(ShopData* shop);
void ShopLeaveConfirm(ShopData* shop);
void ShopBuyList(ShopData* shop);
void ShopBuyQuantity(ShopData* shop);
void ShopBuyConfirm(ShopData* shop);
void ShopMessageWait(ShopData* shop);
void ShopSellList(ShopData* shop);
void ShopSellQuantity(ShopData* shop);
void ShopSellConfirm(ShopData* shop);

// -1 on Escape, 1 on confirm, else 0.
int ShopBuyCursor(ShopData* shop);
// 1 on confirm; Escape goes back to the top menu.
int ShopSellCursor(ShopData* shop);
// 1 bought; 0 not enough money; -1 no room. Money is tested first.
int ShopBuyCommit(ShopData* shop);
void ShopSellCommit(ShopData* shop);
// What selling `quantity` at `price` pays: half, rounded down.
int32_t ShopSellValue(int32_t price, int32_t quantity);
