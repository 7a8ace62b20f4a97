#include "menu/item_menu.h"

#include <gtest/gtest.h>

#include <tuple>

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
  // The menu put in a state with its cursor on the first slot.
  static void Restart(ItemMenuStep step, int32_t member = 0, int32_t item = 0) {
    *Menu() = ItemMenuData{1, 0, member, 0, 0, 0, 0, kItemMenuPages, 0, item, 0, 0, 0, step};
  }
  static int32_t& Worn(CharacterRecord& m, int32_t item) {
    return g_itemTable[item].kind == kItemWeapon ? m.weapon : m.armour;
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
      {{kKeyUp}, 0, 0, 9, 18},
      {{kKeyRight, kKeyRight, kKeyRight, kKeyRight, kKeyRight, kKeyDown, kKeyDown, kKeyDown}, 2, 1, 3, 47},
      {{kKeyLeft, kKeyLeft}, 2, 0, 0, 40},
  };
  OpenList(1);
  for (const CursorCase& c : cases) {
    Restart(ItemMenuPickDiscard);
    Keys(c.keys);
    Press(kKeyEnter);
    const ItemMenuData& m = *Menu();
    EXPECT_EQ(std::make_tuple(m.page, m.column, m.row, m.slot), std::make_tuple(c.page, c.column, c.row, c.slot));
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
  g_inventory[0] = {13, 1};
  g_partyCount = 0;
  Press(kKeyEnter);
  EXPECT_TRUE(Sounded(kSoundRefuse)) << "nobody to use it on";
  EXPECT_EQ(Menu()->step, ItemMenuPickItem);
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
    Worn(m, c.item) = c.worn;
    Restart(ItemMenuPickItem);
    Press(kKeyEnter);
    Keys(std::vector<int>(c.member, kKeyDown));
    Press(kKeyEnter);
    EXPECT_EQ(Worn(m, c.item), c.wornAfter);
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
      {1, 2, 1, kAtlasWeaponBetter},
      {1, 1, 2, kAtlasWeaponWorse},
      {1, 1, 1, kAtlasBlank},
      {0, 2, 3, kAtlasCannotEquipMark},
      {3, 10, kItemEmpty, kAtlasArmourBetter},
  };
  for (const auto& c : cases) {
    Worn(g_party[c.member], c.item) = c.worn;
    Restart(ItemMenuPickMember, c.member, c.item);
    EXPECT_EQ(At(AtlasSprites(), c.picture), Pos(550.0f, 380.0f + 25.0f * static_cast<float>(c.member)));
  }
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
  const auto* ward = Data<EncounterWardData>(kSlotEncounterWard, kTaskIdEncounterWard);
  EXPECT_EQ(ward ? ward->stepsLeft : 0, 100);
  EXPECT_TRUE(Running(kSlotWalkerFirst) && Running(kSlotFieldView));
}

}  // namespace
