#include "event/shop.h"

#include <gtest/gtest.h>

#include "data/game_state.h"
#include "data/items.h"
#include "data/money.h"
#include "data/tasks.h"
#include "event/screen_test_support.h"

namespace {

constexpr int32_t kSalve = 13;      // price 100
constexpr int32_t kOakStaff = 3;    // price 50, a weapon
constexpr int32_t kChainMail = 11;  // price 500, armour

class ShopTest : public test::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    for (InventorySlot& s : g_inventory) s = {kItemEmpty, 0};
    g_money = 10000;
  }
  static ShopData* Shop() { return TaskSlotInUse(kSlotShop) ? TaskData<ShopData>(&g_taskPool[kSlotShop]) : nullptr; }
  // Opens the shop with the list; its top menu takes keys from the second frame on.
  void Open(const std::string& list) {
    Run("#10," + list + ",#5,1,#99,");
    ASSERT_NE(Shop(), nullptr);
    Updates(2);
    ASSERT_EQ(Shop()->step, ShopTopMenu);
  }
  void ToBuyList() {
    Press(kKeyDown);
    Press(kKeyEnter);
    ASSERT_EQ(Shop()->step, ShopBuyList);
  }
  void ToSellList() {
    Presses(kKeyUp, 1);
    Press(kKeyEnter);
    ASSERT_EQ(Shop()->step, ShopSellList);
  }
  // From the buy list: pick the row, set the quantity with Right (+10) then Down (+1),
  // and answer yes.
  void Buy(int row, int tens, int ones) {
    Presses(kKeyDown, row);
    Press(kKeyEnter);
    ASSERT_EQ(Shop()->step, ShopBuyQuantity);
    Presses(kKeyRight, tens);
    Presses(kKeyDown, ones);
    Press(kKeyEnter);
    ASSERT_EQ(Shop()->step, ShopBuyConfirm);
    Press(kKeyDown);
    Press(kKeyEnter);
  }
  // From the sell list: the row of page 0, the quantity raised by `more`, and yes.
  void Sell(int row, int more) {
    Presses(kKeyDown, row);
    Press(kKeyEnter);
    ASSERT_EQ(Shop()->step, ShopSellQuantity);
    Presses(kKeyDown, more);
    Press(kKeyZ);
    ASSERT_EQ(Shop()->step, ShopSellConfirm);
    Press(kKeyDown);
    Press(kKeyZ);
  }
  static void FillOthers(int32_t id) {
    for (InventorySlot& s : g_inventory) {
      if (s.id == kItemEmpty) s = {id, 99};
    }
  }
  int FramesUntilScriptGoesOn() {
    for (int i = 1; i <= 10; ++i) {
      Update();
      if (g_eventFlags[1]) return i;
    }
    return -1;
  }
};

TEST(ShopArithmeticTest, SellingPaysHalfRoundedDown) {
  EXPECT_EQ(ShopSellValue(25, 3), 37);
  EXPECT_EQ(ShopSellValue(25, 1), 12);
  EXPECT_EQ(ShopSellValue(1000, 99), 49500);
  EXPECT_EQ(ShopSellValue(0, 5), 0);
}

TEST_F(ShopTest, BuyingFillsTheStackThenAFreeSlot) {
  FillOthers(kChainMail);
  g_inventory[2] = {kSalve, 50};
  g_inventory[5] = {kItemEmpty, 0};
  Open("2,3,13");
  ToBuyList();
  Buy(1, 10, 0);  // 1 + 10 x 10 stops at 99
  EXPECT_EQ(sounds_, (std::vector<int>{kSoundCursor, kSoundTrade}));
  EXPECT_EQ(g_inventory[2].count, 99);
  EXPECT_EQ(g_inventory[5].id, kSalve);
  EXPECT_EQ(g_inventory[5].count, 50);
  EXPECT_EQ(g_money, 10000 - 9900);
  EXPECT_EQ(Shop()->step, ShopBuyList);
  EXPECT_EQ(Shop()->quantity, 1);
  EXPECT_EQ(Shop()->cost, 0);
}

TEST_F(ShopTest, BuyingWithMoneyEqualToTheCostLeavesNothing) {
  g_money = 150;
  Open("2,3,13");
  ToBuyList();
  Buy(0, 0, 2);
  EXPECT_EQ(g_money, 0);
  EXPECT_EQ(g_inventory[0].id, kOakStaff);
  EXPECT_EQ(g_inventory[0].count, 3);
}

TEST_F(ShopTest, ShortOfMoneyAndRoomTheMoneyMessageWins) {
  FillOthers(kChainMail);
  g_money = 99;
  Open("1,13");
  ToBuyList();
  Buy(0, 0, 0);
  EXPECT_EQ(Shop()->step, ShopMessageWait);
  EXPECT_EQ(Shop()->message, kShopNoMoney);
  EXPECT_EQ(sounds_, (std::vector<int>{kSoundCursor, kSoundRefuse}));
  auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasShopNoMoney), Pos(234.0f, 120.0f));
  EXPECT_FALSE(Has(sprites, kAtlasShopNoRoom));
  EXPECT_TRUE(Has(sprites, kAtlasShopListWindow));
  Press(kKeyEnter);
  EXPECT_EQ(Shop()->step, ShopBuyList);

  g_money = 100;  // now only the room is short
  Buy(0, 0, 0);
  EXPECT_EQ(Shop()->message, kShopNoRoom);
  sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasShopNoRoom), Pos(233.0f, 120.0f));
  EXPECT_EQ(g_money, 100);
  for (const InventorySlot& s : g_inventory) EXPECT_EQ(s.id, kChainMail);
}

TEST_F(ShopTest, QuantityStaysWithinOneAndNinetyNine) {
  Open("1,13");
  ToBuyList();
  Press(kKeyEnter);
  EXPECT_EQ(Shop()->cost, 100);  // the price times one from the first frame
  Presses(kKeyDown, 4);
  EXPECT_EQ(Shop()->quantity, 5);
  Press(kKeyLeft);
  EXPECT_EQ(Shop()->quantity, 1);
  Press(kKeyUp);
  EXPECT_EQ(Shop()->quantity, 1);
  Presses(kKeyRight, 9);
  Presses(kKeyDown, 4);
  EXPECT_EQ(Shop()->quantity, 95);
  Press(kKeyRight);
  EXPECT_EQ(Shop()->quantity, 99);
  Press(kKeyDown);
  EXPECT_EQ(Shop()->quantity, 99);
  EXPECT_EQ(Shop()->cost, 9900);
  const auto sprites = AtlasSprites();
  const float left = 226.0f;  // the quantity window is centred
  EXPECT_EQ(At(sprites, kAtlasShopQuantityWindow), Pos(left, 120.0f));
  EXPECT_EQ(At(sprites, kAtlasShopQuantityBuy), Pos(left + 2.0f, 124.0f));
  EXPECT_EQ(At(sprites, kAtlasShopQuantityLabel), Pos(left + 2.0f, 149.0f));
  EXPECT_EQ(At(sprites, kAtlasShopCostLabel), Pos(left + 2.0f, 174.0f));
  Press(kKeyEnter);
  Press(kKeyEnter);  // no: back to the quantity, kept
  EXPECT_EQ(Shop()->step, ShopBuyQuantity);
  EXPECT_EQ(Shop()->quantity, 99);
  Press(kKeyEscape);
  EXPECT_EQ(Shop()->step, ShopBuyList);
  EXPECT_EQ(Shop()->quantity, 1);
  EXPECT_EQ(Shop()->cost, 0);
  EXPECT_EQ(g_money, 10000);
}

TEST_F(ShopTest, BuyListShowsTheItemsPricesAndTheCursorsItem) {
  Open("3,3,11,13");
  ToBuyList();
  Presses(kKeyUp, 2);  // wraps to the last row, then one up
  EXPECT_EQ(Shop()->listCursor, 1);
  const auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasShopListWindow), Pos(0.0f, 120.0f));
  EXPECT_EQ(At(sprites, kAtlasShopInfoWindow), Pos(320.0f, 120.0f));
  EXPECT_EQ(At(sprites, g_itemTable[kOakStaff].nameRect), Pos(16.0f, 128.0f));
  EXPECT_EQ(At(sprites, g_itemTable[kChainMail].nameRect), Pos(16.0f, 153.0f));
  EXPECT_EQ(At(sprites, g_itemTable[kSalve].nameRect), Pos(16.0f, 178.0f));
  EXPECT_EQ(Find(sprites, kAtlasDigitSmall5)[0].x, 200.0f);  // 50 on row 0
  EXPECT_EQ(Find(sprites, kAtlasDigitSmall5)[0].y, 130.0f);
  EXPECT_EQ(At(sprites, kAtlasMenuCursor), Pos(4.0f, 153.0f));
  EXPECT_EQ(At(sprites, g_itemTable[kChainMail].infoRect), Pos(328.0f, 128.0f));
  EXPECT_EQ(At(sprites, kAtlasDefenceLabel), Pos(328.0f, 158.0f));
  EXPECT_EQ(At(sprites, kAtlasShopBuyHeader), Pos(0.0f, 68.0f));
  EXPECT_EQ(At(sprites, kAtlasShopMoneyWindow), Pos(0.0f, 94.0f));
  EXPECT_EQ(At(sprites, kAtlasShopMoneyLabel), Pos(4.0f, 96.0f));
  Press(kKeyEscape);
  EXPECT_EQ(Shop()->step, ShopTopMenu);
  EXPECT_EQ(Shop()->menuCursor, kShopMenuLeave);
}

TEST_F(ShopTest, SellingPaysHalfAndTheWholeStackLeavesTheSlotEmptyInPlace) {
  g_inventory[0] = {kOakStaff, 5};
  g_inventory[1] = {kSalve, 3};
  g_inventory[2] = {kChainMail, 1};
  g_money = 0;
  Open("1,13");
  ToSellList();
  Press(kKeyEnter);
  EXPECT_EQ(Shop()->cost, 25);  // half the price from the first frame
  EXPECT_EQ(Shop()->sellMax, 5);
  Presses(kKeyRight, 1);
  EXPECT_EQ(Shop()->quantity, 5);
  Press(kKeyEscape);
  EXPECT_EQ(Shop()->step, ShopSellList);

  Sell(0, 2);
  EXPECT_EQ(g_money, 75);
  EXPECT_EQ(g_inventory[0].count, 2);
  EXPECT_EQ(sounds_, (std::vector<int>{kSoundCursor, kSoundTrade}));
  Sell(0, 2);  // three asked, two held: the quantity stops at the count
  EXPECT_EQ(g_money, 125);
  EXPECT_EQ(g_inventory[0].id, kItemEmpty);
  EXPECT_EQ(g_inventory[0].count, 0);
  EXPECT_EQ(g_inventory[1].id, kSalve);

  Press(kKeyEnter);  // the empty slot cannot be sold
  EXPECT_EQ(Shop()->step, ShopSellList);
}

TEST_F(ShopTest, SellListPagesThroughTheInventory) {
  g_inventory[0] = {kOakStaff, 5};
  g_inventory[13] = {kChainMail, 2};
  Open("1,13");
  ToSellList();
  auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, g_itemTable[kOakStaff].nameRect), Pos(20.0f, 140.0f));
  const auto five = Find(sprites, kAtlasDigitSmall5);  // the count, then the staff's power
  ASSERT_EQ(five.size(), 2u);
  EXPECT_EQ(five[0].x, 200.0f);
  EXPECT_EQ(five[0].y, 140.0f);
  EXPECT_EQ(five[1].x, 428.0f);
  EXPECT_EQ(five[1].y, 160.0f);
  EXPECT_EQ(Find(sprites, kAtlasShopEmpty).size(), 9u);
  EXPECT_EQ(At(sprites, g_itemTable[kOakStaff].infoRect), Pos(328.0f, 128.0f));
  EXPECT_EQ(At(sprites, kAtlasAttackLabel), Pos(328.0f, 158.0f));
  EXPECT_EQ(At(sprites, kAtlasDigitTiny1), Pos(6.0f, 122.0f));
  EXPECT_EQ(At(sprites, kAtlasSlashTiny), Pos(30.0f, 122.0f));
  EXPECT_EQ(At(sprites, kAtlasDigitTiny8), Pos(54.0f, 122.0f));
  EXPECT_EQ(At(sprites, kAtlasCursorLeft), Pos(20.0f, 435.0f));
  EXPECT_EQ(At(sprites, kAtlasShopSellHeader), Pos(0.0f, 68.0f));
  Press(kKeyLeft);
  EXPECT_EQ(Shop()->sellPage, 7);
  Presses(kKeyRight, 2);
  Presses(kKeyDown, 3);
  sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, g_itemTable[kChainMail].nameRect), Pos(20.0f, 215.0f));
  EXPECT_EQ(At(sprites, kAtlasDigitTiny2), Pos(6.0f, 122.0f));
  EXPECT_EQ(Find(sprites, kAtlasMenuCursor).size(), 2u);  // the page arrow and the row cursor
  EXPECT_EQ(Find(sprites, kAtlasMenuCursor)[1].y, 215.0f);
  Press(kKeyEscape);
  EXPECT_EQ(Shop()->step, ShopTopMenu);
}

TEST_F(ShopTest, LeavingAsksAndEscapeClosesAtOnce) {
  Open("1,13");
  Press(kKeyEnter);
  EXPECT_EQ(Shop()->step, ShopLeaveConfirm);
  auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasShopLeaveWindow), Pos(0.0f, 120.0f));
  EXPECT_TRUE(Has(sprites, kAtlasShopLeaveTitle));
  Press(kKeyEscape);  // the question has no cancel
  EXPECT_EQ(Shop()->step, ShopLeaveConfirm);
  Press(kKeyEnter);
  EXPECT_EQ(Shop()->step, ShopTopMenu);
  Press(kKeyEnter);
  Press(kKeyDown);
  Press(kKeyEnter);
  EXPECT_EQ(Shop(), nullptr);
  EXPECT_EQ(FramesUntilScriptGoesOn(), 1);  // the shop's slot comes before the event's

  EventFlagsClear();
  Updates(3);
  Open("1,13");
  sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasShopMenuWindow), Pos(0.0f, 120.0f));
  Press(kKeyEscape);
  EXPECT_EQ(Shop(), nullptr);
  EXPECT_EQ(FramesUntilScriptGoesOn(), 1);
}

TEST_F(ShopTest, AnEmptyListBuysNothing) {
  Open("0");
  ToBuyList();
  Press(kKeyUp);
  Press(kKeyDown);
  Press(kKeyEnter);
  EXPECT_EQ(Shop()->step, ShopBuyList);
  EXPECT_EQ(Shop()->listCursor, 0);
  for (const InventorySlot& s : g_inventory) EXPECT_EQ(s.id, kItemEmpty);
  EXPECT_EQ(g_money, 10000);
  Press(kKeyEscape);
  EXPECT_EQ(Shop()->step, ShopTopMenu);
}

TEST_F(ShopTest, ALongListIsCutToTwelveAndTheScriptGoesOnAfterIt) {
  Open("14,1,2,3,10,11,12,13,14,15,16,17,18,19,19");
  EXPECT_EQ(Shop()->itemCount, 12);
  EXPECT_EQ(Shop()->items[11], 18);
  ToBuyList();
  Press(kKeyUp);
  EXPECT_EQ(Shop()->listCursor, 11);
  Press(kKeyEscape);
  Press(kKeyEscape);
  EXPECT_EQ(FramesUntilScriptGoesOn(), 1);
}

TEST_F(ShopTest, AnItemOutsideTheTableOpensNoShop) {
  Run("#10,2,13,20,#5,1,#99,");
  EXPECT_EQ(Shop(), nullptr);
  EXPECT_EQ(FramesUntilScriptGoesOn(), 2);
}

TEST_F(ShopTest, ABusySlotOpensNoShop) {
  PlaceTask(kSlotShop, kTaskIdPerson);
  Run("#10,1,13,#5,1,#99,");
  EXPECT_EQ(FramesUntilScriptGoesOn(), 2);
}

TEST_F(ShopTest, MoneyCommandAddsUpToTheCap) {
  g_money = kMoneyMax - 1;
  Run("#27,5,#27,999999,#99,");
  EXPECT_EQ(g_money, kMoneyMax);
  g_money = 10;
  Update();
  EXPECT_EQ(g_money, 1000009);
}

}  // namespace
