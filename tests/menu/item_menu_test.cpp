#include "menu/item_menu.h"

#include <gtest/gtest.h>

#include "data/items.h"
#include "field/encounter.h"
#include "menu/menu_test_support.h"

namespace {

class ItemMenuTest : public test::MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    PlacePausedField();
    ASSERT_EQ(ItemMenuOpen(), 1);
  }
  static ItemMenuData* Menu() { return Data<ItemMenuData>(kSlotItemMenu, kTaskIdItemMenu); }
  // From the top line: the use list (0) or the discard list (1).
  void OpenList(int32_t command) {
    Keys(std::vector<int>(command, kKeyRight));
    Press(kKeyEnter);
  }
  static void Fill(int32_t id, int32_t count) {
    for (InventorySlot& s : g_inventory) s = {id, count};
  }
};

struct CursorCase {
  std::vector<int> keys;
  int32_t page, column, row, slot;
};

TEST_F(ItemMenuTest, TheInventoryCursorPagesOntoTheLeftColumnAndNamesItsSlot) {
  const CursorCase cases[] = {
      {{kKeyLeft}, 3, 0, 0, 60},
      {{kKeyRight}, 0, 1, 0, 1},
      {{kKeyRight, kKeyRight}, 1, 0, 0, 20},
      {{kKeyRight, kKeyRight, kKeyLeft}, 0, 0, 0, 0},
      {{kKeyUp}, 0, 0, 9, 18},
      {{kKeyDown, kKeyDown, kKeyDown}, 0, 0, 3, 6},
      {{kKeyRight, kKeyRight, kKeyRight, kKeyRight, kKeyRight, kKeyDown, kKeyDown, kKeyDown}, 2, 1, 3, 47},
      {{kKeyLeft, kKeyLeft}, 2, 0, 0, 40},
  };
  OpenList(1);
  for (const CursorCase& c : cases) {
    *Menu() = ItemMenuData{1, 1, 0, 0, 0, 0, 0, kItemMenuPages, 0, 0, 0, 0, 0, ItemMenuPickDiscard};
    Keys(c.keys);
    Press(kKeyEnter);
    EXPECT_EQ(Menu()->page, c.page);
    EXPECT_EQ(Menu()->column, c.column);
    EXPECT_EQ(Menu()->row, c.row);
    EXPECT_EQ(Menu()->slot, c.slot);
  }
}

TEST_F(ItemMenuTest, AConsumableIsTakenAndThePauseEndsAfterFiftyFramesOrAKey) {
  g_party[1].hp = 10;
  OpenList(0);
  Keys({kKeyEnter, kKeyDown, kKeyEnter});  // 4 of item 13 on the second member
  EXPECT_EQ(g_party[1].hp, 110);
  EXPECT_TRUE(Sounded(kSoundRecover));
  EXPECT_EQ(g_inventory[0].count, 3);
  Updates(49);
  EXPECT_EQ(Menu()->step, ItemMenuWaitAfterUse);
  Update();
  EXPECT_EQ(Menu()->step, ItemMenuPickItem);
  g_inventory[0].count = 1;
  Keys({kKeyEnter, kKeyEnter, kKeyZ});
  EXPECT_EQ(Menu()->step, ItemMenuPickItem) << "a key ends the pause";
  EXPECT_EQ(g_inventory[0].id, kItemEmpty);
  EXPECT_EQ(Menu()->column + Menu()->row, 0) << "the cursor stays on the emptied slot";
}

struct EquipCase {
  const char* what;
  int member;
  int32_t item, worn;
  bool full;
  int32_t result;  // ItemEquipResult
  int32_t wornAfter;
  int32_t chosenAfter, oldAfter;  // counts of the chosen stack and of the piece taken off
};

TEST_F(ItemMenuTest, EquippingSwapsThroughTheInventoryOrRefusesWithItsMessage) {
  const EquipCase cases[] = {
      {"better sword on a fighter", 1, 2, 1, false, kEquipDone, 2, 0, 1},
      {"the piece already worn", 1, 1, 1, false, kEquipDone, 1, 1, 1},
      {"nothing worn before", 1, 10, kItemEmpty, false, kEquipDone, 10, 0, 0},
      {"a caster's staff on a fighter", 1, 3, 1, false, kEquipNotAllowed, 1, 1, 0},
      {"a full inventory", 1, 2, 1, true, kEquipNoRoom, 1, 1, 0},
      {"full, and not wearable either", 0, 2, 3, true, kEquipNoRoom, 3, 1, 0},
  };
  for (const EquipCase& c : cases) {
    SCOPED_TRACE(c.what);
    Fill(c.full ? 16 : kItemEmpty, c.full ? 99 : 0);
    g_inventory[0] = {c.item, 1};
    CharacterRecord& m = g_party[c.member];
    (g_itemTable[c.item].kind == kItemWeapon ? m.weapon : m.armour) = c.worn;
    *Menu() = ItemMenuData{1, 0, 0, 0, 0, 0, 0, kItemMenuPages, 0, 0, 0, 0, 0, ItemMenuPickItem};
    Press(kKeyEnter);
    Keys(std::vector<int>(c.member, kKeyDown));
    Press(kKeyEnter);
    EXPECT_EQ(g_itemTable[c.item].kind == kItemWeapon ? m.weapon : m.armour, c.wornAfter);
    EXPECT_EQ(Sounded(c.result == kEquipDone ? kSoundEquip : kSoundRefuse), true);
    EXPECT_EQ(g_inventory[0].id == c.item ? g_inventory[0].count : 0, c.chosenAfter);
    const int old = c.worn == kItemEmpty ? -1 : InventoryFindSlot(c.worn);
    EXPECT_EQ(old >= 0 && g_inventory[old].id == c.worn ? g_inventory[old].count : 0, c.oldAfter);
    if (c.result == kEquipDone) continue;
    EXPECT_EQ(Menu()->result, c.result);
    const AtlasRect& message = c.result == kEquipNoRoom ? kAtlasItemBagFull : kAtlasItemCannotEquip;
    EXPECT_EQ(At(AtlasSprites(), message), Pos(RoundToNearest(CentreX(RectWidth(message))), 120.0f));
  }
}

TEST_F(ItemMenuTest, TheMemberListComparesWithThePieceWornAndNothingWornCountsAsZero) {
  struct {
    int member;
    int32_t item, worn;
    AtlasRect picture;
  } const cases[] = {
      {1, 2, 1, kAtlasWeaponBetter}, {1, 1, 2, kAtlasWeaponWorse}, {1, 1, 1, kAtlasBlank},
      {1, 11, 10, kAtlasArmourBetter}, {0, 2, 3, kAtlasCannotEquipMark}, {3, 10, kItemEmpty, kAtlasArmourBetter},
  };
  for (const auto& c : cases) {
    g_inventory[0] = {c.item, 1};
    CharacterRecord& m = g_party[c.member];
    (g_itemTable[c.item].kind == kItemWeapon ? m.weapon : m.armour) = c.worn;
    *Menu() = ItemMenuData{1, 0, c.member, 0, 0, 0, 0, kItemMenuPages, 0, c.item, 0, 0, 0, ItemMenuPickMember};
    EXPECT_EQ(At(AtlasSprites(), c.picture), Pos(550.0f, 380.0f + 25.0f * static_cast<float>(c.member)));
  }
}

TEST_F(ItemMenuTest, WithNoMembersAnItemToUseIsRefused) {
  g_partyCount = 0;
  OpenList(0);
  Press(kKeyEnter);
  EXPECT_EQ(Menu()->step, ItemMenuPickItem);
  EXPECT_TRUE(Sounded(kSoundRefuse));
}

TEST_F(ItemMenuTest, SortAndDiscardAskFirstAndTheDiscardQuestionKeepsItsLastAnswer) {
  Fill(kItemEmpty, 0);
  g_inventory[0] = {15, 2};
  g_inventory[2] = {1, 1};
  g_inventory[3] = {15, 99};
  OpenList(1);
  Keys({kKeyEnter, kKeyDown, kKeyEnter});  // discard slot 0: yes
  EXPECT_EQ(g_inventory[0].id, kItemEmpty);
  Keys({kKeyRight, kKeyEnter});  // slot 1 is empty: no question
  EXPECT_EQ(Menu()->step, ItemMenuPickDiscard);
  Keys({kKeyDown, kKeyEnter});  // slot 3: the question opens on yes
  EXPECT_EQ(Menu()->choice, 1);
  Keys({kKeyDown, kKeyEnter, kKeyEscape, kKeyRight, kKeyEnter, kKeyDown, kKeyEnter});  // no, then sort: yes
  EXPECT_EQ(g_inventory[0].id, 1);
  EXPECT_EQ(g_inventory[1].id, 15);
  EXPECT_EQ(g_inventory[1].count, 99);
  EXPECT_EQ(g_inventory[2].id, kItemEmpty);
  EXPECT_EQ(Menu()->step, ItemMenuTop);
}

TEST_F(ItemMenuTest, TheWardBellAsksThenEndsInTheFieldWithTheWardRunning) {
  g_inventory[1] = {kItemWardBell, 2};
  OpenList(0);
  Keys({kKeyRight, kKeyEnter, kKeyEnter});  // no
  EXPECT_EQ(Menu()->step, ItemMenuPickItem);
  Keys({kKeyEnter, kKeyDown, kKeyEnter});
  EXPECT_EQ(Menu()->step, ItemMenuUseKeyItem);
  EXPECT_TRUE(Has(AtlasSprites(), kAtlasItemUsedSuffix));
  Press(kKeyEnter);
  EXPECT_FALSE(TaskExists(kTaskIdItemMenu));
  EXPECT_FALSE(TaskExists(kTaskIdPartyMenu));
  EXPECT_TRUE(Sounded(kSoundWard));
  EXPECT_EQ(g_inventory[1].count, 1);
  const EncounterWardData* ward = Data<EncounterWardData>(kSlotEncounterWard, kTaskIdEncounterWard);
  ASSERT_NE(ward, nullptr);
  EXPECT_EQ(ward->stepsLeft, 100);
  EXPECT_TRUE(Running(kSlotWalkerFirst) && Running(kSlotFieldView));
}

}  // namespace
