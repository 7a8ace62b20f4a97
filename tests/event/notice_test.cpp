#include "event/notice.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/items.h"
#include "event/event_test_support.h"

namespace {

// A chest (tag 7) holding cell (3, 4) of an 8 by 6 map; the notice's script sets flag
// 12 when the treasure is taken and the next command flag 1.
class NoticeTest : public test::EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    g_mapWidth = 8;
    g_mapHeight = 6;
    Cell() = kCollisionTaken;
    chest_ = PlaceTask(20, kTaskIdExamined);
    chest_->tag = 7;
    PlaceTask(21, kTaskIdExamined)->tag = 8;
    g_money = 100;
  }
  static uint8_t& Cell() { return g_collisionLayer[4 * g_mapWidth + 3]; }
  static ItemDialogData* Dialog() { return Screen<ItemDialogData>(kSlotNotice); }
  bool Taken() const { return !chest_->inUse && Cell() == kCollisionFree && g_eventFlags[12] == 1; }
  TaskSlot* chest_ = nullptr;
};

TEST_F(NoticeTest, MoneyIsPaidOnceAndConfirmTakesTheTreasureAway) {
  Run("#38,0,500,3,4,7,12,#5,1,#99,");
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_TRUE(AtlasSprites().empty());
  Update();
  EXPECT_EQ(g_money, 600);
  EXPECT_EQ(sounds_, std::vector<int>{kSoundReceive});
  const auto sprites = AtlasSprites();
  // The window is centred; 500 and its caption are centred in it together.
  EXPECT_EQ(test::At(sprites, kAtlasNoticeWindow), test::Pos(109.0f, 120.0f));
  EXPECT_EQ(test::At(sprites, kAtlasDigitSmall5), test::Pos(248.0f, 123.0f));
  EXPECT_EQ(test::At(sprites, kAtlasNoticeMoneyCaption), test::Pos(282.0f, 122.0f));
  Updates(5);
  EXPECT_EQ(g_money, 600);
  EXPECT_FALSE(Taken());
  Tap(kKeyEnter);
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_TRUE(Taken());
  EXPECT_EQ(g_taskPool[21].inUse, 1);
  EXPECT_EQ(FramesUntilFlag(1), 2);  // the wait sees it gone, then the next command runs
  EXPECT_EQ(g_money, 600);
}

// An item fills its stack up to 99, then the first free slot; with no room nothing is
// taken and the treasure stays.
TEST_F(NoticeTest, AnItemGoesIntoItsStackOrTheFirstFreeSlotOrStays) {
  const struct {
    int32_t count;  // salves (13) in slot 0 before
    bool full;      // every other slot full too
    int slot;       // where the salve went; -1: refused
  } cases[] = {{4, false, 0}, {98, false, 0}, {99, false, 4}, {99, true, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    InventoryInit();
    g_inventory[0].count = c.count;
    if (c.full) {
      for (InventorySlot& s : g_inventory) s = {13, 99};
    }
    EventFlagsClear();
    chest_->inUse = 1;
    Cell() = kCollisionTaken;
    Run("#38,1,13,3,4,7,12,#5,1,#99,");
    Update();
    EXPECT_EQ(sounds_, std::vector<int>{c.slot < 0 ? kSoundRefuse : kSoundReceive});
    if (c.slot >= 0) {
      EXPECT_EQ(g_inventory[c.slot].id, 13);
    }
    EXPECT_EQ(g_inventory[0].count, c.slot < 0 ? 99 : std::min(c.count + 1, 99));
    EXPECT_EQ(test::Has(AtlasSprites(), kAtlasNoticeBagFull), c.slot < 0);
    Tap(kKeyZ);
    EXPECT_EQ(Taken(), c.slot >= 0);
    EXPECT_EQ(FramesUntilFlag(1), 2);
    Updates(2);
  }
}

TEST_F(NoticeTest, AnItemOutsideTheTableOrAFlagOutsideTheHundredShowsNothing) {
  for (const char* script : {"#38,1,20,3,4,7,12,#5,1,#99,", "#38,1,999,3,4,7,12,#5,1,#99,",
                             "#38,0,500,3,4,7,100,#5,1,#99,", "#38,1,13,3,4,7,100,#5,1,#99,"}) {
    EventFlagsClear();
    Run(script);
    EXPECT_EQ(Dialog(), nullptr) << script;
    EXPECT_EQ(FramesUntilFlag(1), 2) << script;
    EXPECT_EQ(g_money, 100) << script;
    EXPECT_TRUE(chest_->inUse);
    Updates(2);
  }
}

// An item's name and caption are centred together in the window, which stands lower than
// the money's; any mode but 0 hands over an item, never money.
TEST_F(NoticeTest, AnItemIsShownByNameAndAnyModeButMoneyHandsOneOver) {
  InventoryInit();
  Run("#38,5,15,3,4,7,12,#5,1,#99,");
  Update();
  EXPECT_EQ(g_inventory[1].count, 5);
  EXPECT_EQ(g_money, 100);
  const auto sprites = AtlasSprites();
  EXPECT_EQ(test::At(sprites, kAtlasNoticeWindow), test::Pos(109.0f, 160.0f));
  const AtlasRect& name = g_itemTable[15].nameRect;
  const float x = std::floor((640.0f - (RectWidth(name) + 123.0f)) / 2.0f + 0.5f);
  EXPECT_EQ(test::At(sprites, name), test::Pos(x, 163.0f));
  EXPECT_EQ(test::At(sprites, kAtlasNoticeItemCaption), test::Pos(x + RectWidth(name) + 4.0f, 163.0f));
  Tap(kKeyEnter);
  EXPECT_TRUE(Taken());
  EXPECT_EQ(FramesUntilFlag(1), 2);
}

// A busy slot shows nothing, skips the arguments and takes nothing; tag 0 names no object,
// so the cell is freed and the flag set but every object stays.
TEST_F(NoticeTest, ABusySlotShowsNothingAndTagZeroTakesNoObject) {
  PlaceTask(kSlotNotice, kTaskIdPerson);
  Run("#38,0,500,3,4,7,12,#5,1,#99,");
  EXPECT_EQ(FramesUntilFlag(1), 2);
  EXPECT_EQ(g_money, 100);
  EXPECT_FALSE(Taken());
  EXPECT_EQ(Cell(), kCollisionTaken);
  Updates(2);
  TaskKillAll();
  chest_ = PlaceTask(20, kTaskIdExamined);
  chest_->tag = 7;
  EventFlagsClear();
  Run("#38,0,5,3,4,0,12,#5,1,#99,");
  Update();
  Tap(kKeyEnter);
  EXPECT_EQ(chest_->inUse, 1);
  EXPECT_EQ(Cell(), kCollisionFree);
  EXPECT_EQ(g_eventFlags[12], 1);
  EXPECT_EQ(FramesUntilFlag(1), 2);
}

// The width a number takes in the small digits: each digit's own width and a pixel
// between them.
TEST_F(NoticeTest, NumberWidthSumsTheDigitPictures) {
  EXPECT_EQ(NumberWidth(0), 10.0f);
  EXPECT_EQ(NumberWidth(500), 30.0f);
  EXPECT_EQ(NumberWidth(111), 15.0f);
  EXPECT_EQ(NumberWidth(102030), 55.0f);
  EXPECT_EQ(NumberWidth(-4), 0.0f);
}

}  // namespace
