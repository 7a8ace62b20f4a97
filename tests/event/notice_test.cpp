#include "event/notice.h"

#include <gtest/gtest.h>

#include "data/game_state.h"
#include "data/items.h"
#include "data/money.h"
#include "data/tasks.h"
#include "event/screen_test_support.h"

namespace {

class NoticeTest : public test::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    g_mapWidth = 8;
    g_mapHeight = 6;
    for (int i = 0; i < g_mapWidth * g_mapHeight; ++i) g_collisionLayer[i] = kCollisionFree;
    Cell(3, 4) = kCollisionTaken;
    chest_ = PlaceTask(20, kTaskIdExamined);
    chest_->tag = 7;
    other_ = PlaceTask(21, kTaskIdExamined);
    other_->tag = 8;
    InventoryInit();
    g_money = 100;
  }
  static uint8_t& Cell(int x, int y) { return g_collisionLayer[y * g_mapWidth + x]; }
  static ItemDialogData* Dialog() {
    return TaskSlotInUse(kSlotNotice) ? TaskData<ItemDialogData>(&g_taskPool[kSlotNotice]) : nullptr;
  }
  // Runs frames until flag 1 (set by the command after the notice) is set; the count.
  int FramesUntilScriptGoesOn() {
    for (int i = 1; i <= 10; ++i) {
      Update();
      if (g_eventFlags[1]) return i;
    }
    return -1;
  }
  void ExpectNothingTaken() {
    EXPECT_EQ(chest_->inUse, 1);
    EXPECT_EQ(Cell(3, 4), kCollisionTaken);
    EXPECT_EQ(g_eventFlags[12], 0);
  }
  static void FillInventory(int32_t id, int32_t count) {
    for (InventorySlot& s : g_inventory) s = {id, count};
  }
  TaskSlot* chest_ = nullptr;
  TaskSlot* other_ = nullptr;
};

TEST_F(NoticeTest, MoneyIsPaidOnceAndConfirmTakesTheTreasureAway) {
  Run("#38,0,500,3,4,7,12,#5,1,#99,");
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_EQ(g_taskPool[kSlotNotice].id, kTaskIdNotice);
  EXPECT_EQ(Dialog()->step, ItemDialogGiveMoney);  // its first step ran in the frame of the command
  EXPECT_EQ(g_money, 100);
  EXPECT_TRUE(AtlasSprites().empty());
  Update();
  EXPECT_EQ(g_money, 600);
  EXPECT_EQ(sounds_, std::vector<int>{kSoundReceive});
  const auto sprites = AtlasSprites();
  // The window is centred (left edge 109); 500 and its caption are centred in it together.
  EXPECT_EQ(At(sprites, kAtlasNoticeWindow), Pos(109.0f, 120.0f));
  const auto five = Find(sprites, kAtlasDigitSmall5);
  ASSERT_EQ(five.size(), 1u);
  EXPECT_EQ(five[0].x, 248.0f);
  EXPECT_EQ(five[0].y, 123.0f);
  EXPECT_EQ(Find(sprites, kAtlasDigitSmall0).size(), 2u);
  EXPECT_EQ(At(sprites, kAtlasNoticeMoneyCaption), Pos(282.0f, 122.0f));

  Updates(5);
  EXPECT_EQ(g_money, 600);
  ExpectNothingTaken();
  EXPECT_EQ(g_eventFlags[1], 0);
  Tap(kKeyEnter);
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_EQ(chest_->inUse, 0);
  EXPECT_EQ(other_->inUse, 1);
  EXPECT_EQ(Cell(3, 4), kCollisionFree);
  EXPECT_EQ(g_eventFlags[12], 1);
  EXPECT_EQ(FramesUntilScriptGoesOn(), 2);  // the wait sees it gone, then the next command runs
  EXPECT_EQ(g_money, 600);
}

TEST_F(NoticeTest, AnItemGoesIntoItsStackOrTheFirstFreeSlot) {
  Run("#38,1,13,3,4,7,12,#5,1,#99,");
  Update();
  EXPECT_EQ(g_inventory[0].count, 5);  // the starting stack of 13
  EXPECT_EQ(sounds_, std::vector<int>{kSoundReceive});
  const auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasNoticeWindow), Pos(109.0f, 160.0f));
  const AtlasRect& name = g_itemTable[13].nameRect;
  const float x = std::floor((640.0f - (RectWidth(name) + 123.0f)) / 2.0f + 0.5f);
  EXPECT_EQ(At(sprites, name), Pos(x, 163.0f));
  EXPECT_EQ(At(sprites, kAtlasNoticeItemCaption), Pos(x + RectWidth(name) + 4.0f, 163.0f));
  Tap(kKeyZ);
  EXPECT_EQ(chest_->inUse, 0);
  EXPECT_EQ(g_eventFlags[12], 1);
  Updates(3);

  for (const auto& [count, slot] : std::vector<std::pair<int32_t, int>>{{98, 0}, {99, 4}}) {
    InventoryInit();
    g_inventory[0].count = count;
    EventFlagsClear();
    Run("#38,1,13,3,4,9,12,#99,");
    Update();
    EXPECT_EQ(g_inventory[0].count, 99) << count;
    EXPECT_EQ(g_inventory[slot].id, 13) << count;
    EXPECT_EQ(g_inventory[4].count, slot == 4 ? 1 : 0) << count;
    Tap(kKeyZ);
    Updates(2);
    ASSERT_FALSE(EventRunning());
  }
}

TEST_F(NoticeTest, WithNoRoomNothingIsTakenAndTheTreasureStays) {
  FillInventory(13, 99);
  Run("#38,1,13,3,4,7,12,#5,1,#99,");
  Update();
  EXPECT_EQ(sounds_, std::vector<int>{kSoundRefuse});
  for (const InventorySlot& s : g_inventory) EXPECT_EQ(s.count, 99);
  const auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasNoticeBagFull), Pos(233.0f, 120.0f));
  EXPECT_FALSE(Has(sprites, kAtlasNoticeWindow));
  Tap(kKeyEnter);
  EXPECT_EQ(Dialog(), nullptr);
  ExpectNothingTaken();
  EXPECT_EQ(FramesUntilScriptGoesOn(), 2);
}

TEST_F(NoticeTest, AnyModeButMoneyHandsOverAnItem) {
  Run("#38,5,15,3,4,7,12,#5,1,#99,");
  Update();
  EXPECT_EQ(g_inventory[1].count, 5);
  EXPECT_EQ(g_money, 100);
  Tap(kKeyEnter);
  EXPECT_EQ(g_eventFlags[12], 1);
  EXPECT_EQ(FramesUntilScriptGoesOn(), 2);
}

TEST_F(NoticeTest, AnItemOutsideTheTableOrAFlagOutsideTheHundredShowsNothing) {
  for (const char* script : {"#38,1,20,3,4,7,12,#5,1,#99,", "#38,1,999,3,4,7,12,#5,1,#99,",
                             "#38,0,500,3,4,7,100,#5,1,#99,", "#38,1,13,3,4,7,100,#5,1,#99,"}) {
    EventFlagsClear();
    InventoryInit();
    Run(script);
    EXPECT_EQ(Dialog(), nullptr) << script;
    EXPECT_EQ(FramesUntilScriptGoesOn(), 2) << script;
    EXPECT_EQ(g_money, 100) << script;
    EXPECT_EQ(g_inventory[0].count, 4) << script;
    ExpectNothingTaken();
    Updates(2);
  }
}

TEST_F(NoticeTest, ABusySlotShowsNothingAndTheArgumentsAreSkipped) {
  PlaceTask(kSlotNotice, kTaskIdPerson);
  Run("#38,0,500,3,4,7,12,#5,1,#99,");
  EXPECT_EQ(FramesUntilScriptGoesOn(), 2);
  EXPECT_EQ(g_money, 100);
  ExpectNothingTaken();
}

TEST_F(NoticeTest, TagZeroNamesNoObject) {
  Run("#38,0,5,3,4,0,12,#5,1,#99,");
  Update();
  Tap(kKeyEnter);
  EXPECT_EQ(chest_->inUse, 1);
  EXPECT_EQ(Cell(3, 4), kCollisionFree);
  EXPECT_EQ(g_eventFlags[12], 1);
  EXPECT_EQ(FramesUntilScriptGoesOn(), 2);
}

TEST_F(NoticeTest, NumberWidthSumsTheDigitPictures) {
  EXPECT_EQ(NumberWidth(0), 10.0f);
  EXPECT_EQ(NumberWidth(500), 30.0f);
  EXPECT_EQ(NumberWidth(111), 15.0f);
  EXPECT_EQ(NumberWidth(102030), 55.0f);
  EXPECT_EQ(NumberWidth(-4), 0.0f);
}

}  // namespace
