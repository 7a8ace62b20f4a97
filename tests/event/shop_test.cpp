#include "event/shop.h"

#include <gtest/gtest.h>

#include "data/items.h"
#include "data/money.h"
#include "event/event_test_support.h"

namespace {

constexpr int32_t kSalve = 13;      // price 100
constexpr int32_t kOakStaff = 3;    // price 50, a weapon
constexpr int32_t kChainMail = 11;  // price 500, armour

class ShopTest : public test::EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    for (InventorySlot& s : g_inventory) s = {kItemEmpty, 0};
    g_money = 10000;
  }
  static ShopData* Shop() { return Screen<ShopData>(kSlotShop); }
  // Opens the shop with the list; its top menu takes keys from the second frame on.
  void Open(const std::string& list) {
    Run("#10," + list + ",#5,1,#99,");
    ASSERT_NE(Shop(), nullptr);
    Updates(2);
    ASSERT_EQ(Shop()->step, ShopTopMenu);
  }
  // From the top menu to the buy (Down) or sell (Up) list.
  void ToList(int key, ShopStep list) {
    Press(key);
    Press(kKeyEnter);
    ASSERT_EQ(Shop()->step, list);
  }
  // From a list: pick the row, raise the quantity with Right (+10) and Down (+1), and
  // answer yes.
  void Trade(int row, int tens, int ones) {
    Press(kKeyDown, row);
    Press(kKeyEnter);
    Press(kKeyRight, tens);
    Press(kKeyDown, ones);
    Press(kKeyEnter);
    Press(kKeyDown);
    Press(kKeyEnter);
  }
  static void FillOthers(int32_t id) {
    for (InventorySlot& s : g_inventory) {
      if (s.id == kItemEmpty) s = {id, 99};
    }
  }
  // Leaves the shop from a list and lets the script end, ready for the next Open.
  void Leave() {
    Press(kKeyEscape);
    Press(kKeyEscape);
    Updates(3);
    EventFlagsClear();
  }
  // The quantity window's count and charge as drawn (the window is centred at x 226).
  std::pair<int, int> QuantityShown() {
    const auto sprites = AtlasSprites();
    return {test::SmallNumberAt(sprites, 226 + 82, 151), test::SmallNumberAt(sprites, 226 + 82, 176)};
  }
};

// Several bought at once: Down and Up step the count by one, Right and Left by ten, within
// 1 to 99, and the window shows the charge for the count as it changes. The count bought
// costs the count times the price and fills the stack before a free slot; answering no
// keeps the count, Escape drops it.
TEST_F(ShopTest, SeveralAtOnceCostTheCountTimesThePriceAndFillTheStackFirst) {
  FillOthers(kChainMail);
  g_inventory[2] = {kSalve, 50};
  g_inventory[5] = {kItemEmpty, 0};
  Open("2,3,13");
  ToList(kKeyDown, ShopBuyList);
  Press(kKeyDown);
  Press(kKeyEnter);
  EXPECT_EQ(QuantityShown(), std::make_pair(1, 100)) << "one from the first frame";
  const struct {
    int key, times, count;
  } kSteps[] = {{kKeyDown, 4, 5},  {kKeyUp, 1, 4},    {kKeyRight, 2, 24}, {kKeyLeft, 1, 14}, {kKeyLeft, 1, 4},
                {kKeyLeft, 1, 1},  {kKeyUp, 1, 1},    {kKeyRight, 9, 91}, {kKeyDown, 4, 95}, {kKeyRight, 1, 99},
                {kKeyDown, 1, 99}, {kKeyLeft, 1, 89}, {kKeyRight, 1, 99}};
  for (const auto& step : kSteps) {
    Press(step.key, step.times);
    EXPECT_EQ(QuantityShown(), std::make_pair(step.count, step.count * 100)) << step.key << " x" << step.times;
  }
  Press(kKeyEnter);
  Press(kKeyEnter);  // no: back to the count, kept
  EXPECT_EQ(Shop()->step, ShopBuyQuantity);
  EXPECT_EQ(QuantityShown(), std::make_pair(99, 9900));
  Press(kKeyEscape);
  EXPECT_EQ(Shop()->step, ShopBuyList);
  EXPECT_EQ(g_money, 10000) << "nothing bought yet";
  Trade(0, 10, 0);  // the salve again, raised from 1 by ten tens to 99
  EXPECT_EQ(sounds_, (std::vector<int>{kSoundCursor, kSoundTrade}));
  EXPECT_EQ(g_money, 10000 - 9900);
  EXPECT_EQ(g_inventory[2].count, 99);
  EXPECT_EQ(g_inventory[5].id, kSalve);
  EXPECT_EQ(g_inventory[5].count, 50);
  EXPECT_EQ(Shop()->step, ShopBuyList);
  Press(kKeyEnter);
  EXPECT_EQ(QuantityShown(), std::make_pair(1, 100)) << "the next purchase starts from one";
}

// What a player pays for each item: the buy list shows the price beside the name, one
// bought costs that, and one sold back fetches half of it.
TEST_F(ShopTest, EachItemCostsItsPriceAndSellsForHalf) {
  const struct {
    int32_t item, price;
  } kPrices[] = {{1, 100},  {2, 500},  {3, 50},   {10, 100}, {11, 500}, {12, 100}, {13, 100},
                 {14, 200}, {15, 200}, {16, 400}, {17, 100}, {18, 100}, {19, 1000}};
  for (const auto& p : kPrices) {
    SCOPED_TRACE(testing::Message() << "item " << p.item);
    for (InventorySlot& s : g_inventory) s = {kItemEmpty, 0};
    g_money = 5000;
    Open("1," + std::to_string(p.item));
    ToList(kKeyDown, ShopBuyList);
    EXPECT_EQ(test::SmallNumberAt(AtlasSprites(), 200, 130), p.price);
    Trade(0, 0, 0);
    EXPECT_EQ(g_money, 5000 - p.price);
    ASSERT_EQ(g_inventory[0].id, p.item);
    Press(kKeyEscape);
    ToList(kKeyUp, ShopSellList);
    Trade(0, 0, 0);
    EXPECT_EQ(g_money, 5000 - p.price + p.price / 2);
    EXPECT_EQ(g_inventory[0].id, kItemEmpty);
    Leave();
  }
}

// Exactly the cost is enough; short of money and of room, the money message wins.
TEST_F(ShopTest, ThePriceIsPaidWhenTheMoneyAndTheRoomAreThere) {
  const struct {
    int32_t money;
    bool full;
    bool bought;
    int32_t message;
  } cases[] = {{100, false, true, 0},
               {99, false, false, kShopNoMoney},
               {99, true, false, kShopNoMoney},
               {100, true, false, kShopNoRoom}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.money << (c.full ? " full" : ""));
    for (InventorySlot& s : g_inventory) s = {kItemEmpty, 0};
    if (c.full) FillOthers(kChainMail);
    EventFlagsClear();
    Open("2,3,13");
    g_money = c.money;
    ToList(kKeyDown, ShopBuyList);
    Trade(1, 0, 0);  // one salve, 100
    if (c.bought) {
      EXPECT_EQ(g_money, 0);
      EXPECT_EQ(g_inventory[0].id, kSalve);
      EXPECT_EQ(g_inventory[0].count, 1);
    } else {
      EXPECT_EQ(Shop()->step, ShopMessageWait);
      EXPECT_EQ(Shop()->message, c.message);
      EXPECT_EQ(sounds_, (std::vector<int>{kSoundCursor, kSoundRefuse}));
      EXPECT_EQ(test::At(AtlasSprites(), c.message == kShopNoMoney ? kAtlasShopNoMoney : kAtlasShopNoRoom),
                test::Pos(c.message == kShopNoMoney ? 234.0f : 233.0f, 120.0f));
      EXPECT_EQ(g_money, c.money);
      Press(kKeyEnter);
    }
    EXPECT_EQ(Shop()->step, ShopBuyList);
    Press(kKeyEscape);
    Press(kKeyEscape);
    Updates(3);
  }
}

TEST_F(ShopTest, SellingPaysHalfAndTheWholeStackLeavesTheSlotEmptyInPlace) {
  g_inventory[0] = {kOakStaff, 5};
  g_inventory[1] = {kSalve, 3};
  g_money = 0;
  Open("1,13");
  ToList(kKeyUp, ShopSellList);
  Trade(0, 0, 2);
  EXPECT_EQ(g_money, 75);
  EXPECT_EQ(g_inventory[0].count, 2);
  EXPECT_EQ(sounds_, (std::vector<int>{kSoundCursor, kSoundTrade}));
  Trade(0, 0, 2);  // three asked, two held: the quantity stops at the count
  EXPECT_EQ(g_money, 125);
  EXPECT_EQ(g_inventory[0].id, kItemEmpty);
  EXPECT_EQ(g_inventory[1].id, kSalve);
  Press(kKeyEnter);  // the empty slot cannot be sold
  EXPECT_EQ(Shop()->step, ShopSellList);
}

TEST_F(ShopTest, BuyListShowsTheItemsPricesAndTheCursorsItem) {
  Open("3,3,11,13");
  ToList(kKeyDown, ShopBuyList);
  Press(kKeyUp, 2);  // wraps to the last row, then one up
  EXPECT_EQ(Shop()->listCursor, 1);
  const auto sprites = AtlasSprites();
  EXPECT_EQ(test::At(sprites, kAtlasShopListWindow), test::Pos(0.0f, 120.0f));
  EXPECT_EQ(test::At(sprites, kAtlasShopInfoWindow), test::Pos(320.0f, 120.0f));
  EXPECT_EQ(test::At(sprites, g_itemTable[kOakStaff].nameRect), test::Pos(16.0f, 128.0f));
  EXPECT_EQ(test::At(sprites, g_itemTable[kChainMail].nameRect), test::Pos(16.0f, 153.0f));
  EXPECT_EQ(test::At(sprites, g_itemTable[kSalve].nameRect), test::Pos(16.0f, 178.0f));
  EXPECT_EQ(test::Find(sprites, kAtlasDigitSmall5)[0].x, 200.0f);  // 50 on row 0
  EXPECT_EQ(test::Find(sprites, kAtlasDigitSmall5)[0].y, 130.0f);
  EXPECT_EQ(test::At(sprites, kAtlasMenuCursor), test::Pos(4.0f, 153.0f));
  EXPECT_EQ(test::At(sprites, g_itemTable[kChainMail].infoRect), test::Pos(328.0f, 128.0f));
  EXPECT_EQ(test::At(sprites, kAtlasDefenceLabel), test::Pos(328.0f, 158.0f));
  EXPECT_EQ(test::At(sprites, kAtlasShopBuyHeader), test::Pos(0.0f, 68.0f));
  EXPECT_EQ(test::At(sprites, kAtlasShopMoneyWindow), test::Pos(0.0f, 94.0f));
  EXPECT_EQ(test::At(sprites, kAtlasShopMoneyLabel), test::Pos(4.0f, 96.0f));
  Press(kKeyEscape);
  EXPECT_EQ(Shop()->step, ShopTopMenu);
  EXPECT_EQ(Shop()->menuCursor, kShopMenuLeave);
}

TEST_F(ShopTest, SellListPagesThroughTheInventory) {
  g_inventory[0] = {kOakStaff, 5};
  g_inventory[13] = {kChainMail, 2};
  Open("1,13");
  ToList(kKeyUp, ShopSellList);
  auto sprites = AtlasSprites();
  EXPECT_EQ(test::At(sprites, g_itemTable[kOakStaff].nameRect), test::Pos(20.0f, 140.0f));
  const auto five = test::Find(sprites, kAtlasDigitSmall5);  // the count, then the staff's power
  ASSERT_EQ(five.size(), 2u);
  EXPECT_EQ(five[0].x, 200.0f);
  EXPECT_EQ(five[0].y, 140.0f);
  EXPECT_EQ(five[1].x, 428.0f);
  EXPECT_EQ(five[1].y, 160.0f);
  EXPECT_EQ(test::Find(sprites, kAtlasShopEmpty).size(), 9u);
  EXPECT_EQ(test::At(sprites, g_itemTable[kOakStaff].infoRect), test::Pos(328.0f, 128.0f));
  EXPECT_EQ(test::At(sprites, kAtlasAttackLabel), test::Pos(328.0f, 158.0f));
  EXPECT_EQ(test::At(sprites, kAtlasDigitTiny1), test::Pos(6.0f, 122.0f));
  EXPECT_EQ(test::At(sprites, kAtlasSlashTiny), test::Pos(30.0f, 122.0f));
  EXPECT_EQ(test::At(sprites, kAtlasDigitTiny8), test::Pos(54.0f, 122.0f));
  EXPECT_EQ(test::At(sprites, kAtlasCursorLeft), test::Pos(20.0f, 435.0f));
  EXPECT_EQ(test::At(sprites, kAtlasShopSellHeader), test::Pos(0.0f, 68.0f));
  Press(kKeyLeft);
  EXPECT_EQ(Shop()->sellPage, 7);
  Press(kKeyRight, 2);
  Press(kKeyDown, 3);
  sprites = AtlasSprites();
  EXPECT_EQ(test::At(sprites, g_itemTable[kChainMail].nameRect), test::Pos(20.0f, 215.0f));
  EXPECT_EQ(test::At(sprites, kAtlasDigitTiny2), test::Pos(6.0f, 122.0f));
  EXPECT_EQ(test::Find(sprites, kAtlasMenuCursor).size(), 2u);  // the page arrow and the row cursor
  EXPECT_EQ(test::Find(sprites, kAtlasMenuCursor)[1].y, 215.0f);
  Press(kKeyEscape);
  EXPECT_EQ(Shop()->step, ShopTopMenu);
}

TEST_F(ShopTest, LeavingAsksAndEscapeClosesAtOnce) {
  Open("1,13");
  Press(kKeyEnter);
  EXPECT_EQ(Shop()->step, ShopLeaveConfirm);
  auto sprites = AtlasSprites();
  EXPECT_EQ(test::At(sprites, kAtlasShopLeaveWindow), test::Pos(0.0f, 120.0f));
  EXPECT_TRUE(test::Has(sprites, kAtlasShopLeaveTitle));
  Press(kKeyEscape);  // the question has no cancel
  EXPECT_EQ(Shop()->step, ShopLeaveConfirm);
  Press(kKeyEnter);
  EXPECT_EQ(Shop()->step, ShopTopMenu);
  Press(kKeyEnter);
  Press(kKeyDown);
  Press(kKeyEnter);
  EXPECT_EQ(Shop(), nullptr);
  EXPECT_EQ(FramesUntilFlag(1, 10), 1);  // the shop's slot comes before the event's

  EventFlagsClear();
  Updates(3);
  Open("1,13");
  sprites = AtlasSprites();
  EXPECT_EQ(test::At(sprites, kAtlasShopMenuWindow), test::Pos(0.0f, 120.0f));
  Press(kKeyEscape);
  EXPECT_EQ(Shop(), nullptr);
  EXPECT_EQ(FramesUntilFlag(1, 10), 1);
}

TEST_F(ShopTest, AnEmptyListBuysNothing) {
  Open("0");
  ToList(kKeyDown, ShopBuyList);
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
  ToList(kKeyDown, ShopBuyList);
  Press(kKeyUp);
  EXPECT_EQ(Shop()->listCursor, 11);
  Press(kKeyEscape);
  Press(kKeyEscape);
  EXPECT_EQ(FramesUntilFlag(1, 10), 1);
}

TEST_F(ShopTest, AnItemOutsideTheTableOpensNoShop) {
  Run("#10,2,13,20,#5,1,#99,");
  EXPECT_EQ(Shop(), nullptr);
  EXPECT_EQ(FramesUntilFlag(1, 10), 2);
}

TEST_F(ShopTest, ABusySlotOpensNoShop) {
  PlaceTask(kSlotShop, kTaskIdPerson);
  Run("#10,1,13,#5,1,#99,");
  EXPECT_EQ(FramesUntilFlag(1, 10), 2);
}

TEST_F(ShopTest, MoneyCommandAddsUpToTheCap) {
  g_money = kMoneyMax - 1;
  Run("#27,5,#27,999999,#99,");
  EXPECT_EQ(g_money, kMoneyMax);
  g_money = 10;
  Update();
  EXPECT_EQ(g_money, 1000009);
}

// Half the price of what is sold, rounded down.
TEST(ShopArithmeticTest, SellingPaysHalfRoundedDown) {
  EXPECT_EQ(ShopSellValue(25, 3), 37);
  EXPECT_EQ(ShopSellValue(25, 1), 12);
  EXPECT_EQ(ShopSellValue(1000, 99), 49500);
  EXPECT_EQ(ShopSellValue(0, 5), 0);
}

}  // namespace
