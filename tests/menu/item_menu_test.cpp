#include "menu/item_menu.h"

#include <gtest/gtest.h>

#include <tuple>

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

TEST_F(ItemMenuTest, AConsumableIsTakenAndThePauseEndsAfterFiftyFramesOrAKey) {
  g_party[1].hp = 10;
  Keys({kKeyEnter, kKeyEnter, kKeyDown, kKeyEnter});  // 4 of item 13 on the second member
  EXPECT_TRUE(g_party[1].hp == 110 && g_inventory[0].count == 3 && Sounded(kSoundRecover));
  Updates(49);
  EXPECT_EQ(Menu()->step, ItemMenuWaitAfterUse);
  Update();
  g_inventory[0].count = 1;
  Keys({kKeyEnter, kKeyEnter, kKeyZ});
  EXPECT_TRUE(Menu()->step == ItemMenuPickItem && g_inventory[0].id == kItemEmpty) << "a key ends the pause";
  g_inventory[0] = {13, 1};
  g_partyCount = 0;
  Press(kKeyEnter);
  EXPECT_TRUE(Sounded(kSoundRefuse)) << "nobody to use it on";
  EXPECT_EQ(Menu()->step, ItemMenuPickItem);
}

TEST_F(ItemMenuTest, EquippingComparesSwapsThroughTheInventoryOrRefusesWithItsMessage) {
  // A member, the chosen piece, the piece worn, a full inventory; the member list's
  // picture on the member's line; the answer, the piece worn after, and the counts of the
  // chosen stack and of the piece taken off.
  const struct {
    int32_t member, item, worn, full;
    AtlasRect compared;
    int32_t result, wornAfter, chosenAfter, oldAfter;
  } cases[] = {
      {1, 1, 1, 0, kAtlasBlank, kEquipDone, 1, 1, 1},                    // the piece already worn
      {1, 10, kItemEmpty, 0, kAtlasArmourBetter, kEquipDone, 10, 0, 0},  // nothing worn counts 0
      {1, 3, 1, 0, kAtlasCannotEquipMark, kEquipNotAllowed, 1, 1, 0},    // a caster's staff
      {1, 1, 2, 1, kAtlasWeaponWorse, kEquipNoRoom, 2, 1, 0},
      {0, 2, 3, 1, kAtlasCannotEquipMark, kEquipNoRoom, 3, 1, 0},  // full comes before the class
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    Fill(c.full ? 16 : kItemEmpty, c.full ? 99 : 0);
    g_inventory[0] = {c.item, 1};
    CharacterRecord& m = g_party[c.member];
    Worn(m, c.item) = c.worn;
    Restart(ItemMenuPickItem);
    Press(kKeyEnter);
    Keys(std::vector<int>(c.member, kKeyDown));
    EXPECT_EQ(At(AtlasSprites(), c.compared), test::Pos(550.0f, 380.0f + 25.0f * static_cast<float>(c.member)));
    Press(kKeyEnter);
    EXPECT_EQ(Worn(m, c.item), c.wornAfter);
    EXPECT_TRUE(Sounded(c.result == kEquipDone ? kSoundEquip : kSoundRefuse));
    EXPECT_EQ(g_inventory[0].id == c.item ? g_inventory[0].count : 0, c.chosenAfter);
    const int old = c.worn == kItemEmpty ? -1 : InventoryFindSlot(c.worn);
    EXPECT_EQ(old >= 0 && g_inventory[old].id == c.worn ? g_inventory[old].count : 0, c.oldAfter);
    if (c.result == kEquipDone) continue;
    const AtlasRect& message = c.result == kEquipNoRoom ? kAtlasItemBagFull : kAtlasItemCannotEquip;
    EXPECT_EQ(At(AtlasSprites(), message), test::Pos(RoundToNearest(CentreX(RectWidth(message))), 120.0f));
  }
}

TEST_F(ItemMenuTest, TheWardBellAsksThenEndsInTheFieldWithTheWardRunning) {
  g_inventory[1] = {kItemWardBell, 2};
  Keys({kKeyEnter, kKeyRight, kKeyEnter, kKeyEnter});  // no
  EXPECT_EQ(Menu()->step, ItemMenuPickItem);
  Keys({kKeyEnter, kKeyDown, kKeyEnter});
  EXPECT_TRUE(Has(AtlasSprites(), kAtlasItemUsedSuffix)) << "the message waits for a key";
  Press(kKeyEnter);
  EXPECT_TRUE(!TaskExists(kTaskIdItemMenu) && !TaskExists(kTaskIdPartyMenu) && Sounded(kSoundWard));
  EXPECT_EQ(g_inventory[1].count, 1);
  const auto* ward = Data<EncounterWardData>(kSlotEncounterWard, kTaskIdEncounterWard);
  EXPECT_EQ(ward ? ward->stepsLeft : 0, 100);
  EXPECT_TRUE(Running(kSlotWalkerFirst) && Running(kSlotFieldView));
}

TEST_F(ItemMenuTest, TheInventoryCursorPagesOntoTheLeftColumnAndNamesItsSlot) {
  const struct {
    std::vector<int> keys;
    int32_t page, column, row, slot;
  } cases[] = {
      {{kKeyLeft}, 3, 0, 0, 60},
      {{kKeyUp}, 0, 0, 9, 18},
      {{kKeyRight, kKeyRight, kKeyRight, kKeyRight, kKeyRight, kKeyDown, kKeyDown, kKeyDown}, 2, 1, 3, 47},
  };
  for (const auto& c : cases) {
    Restart(ItemMenuPickDiscard);
    Keys(c.keys);
    Press(kKeyEnter);
    const ItemMenuData& m = *Menu();
    EXPECT_EQ(std::make_tuple(m.page, m.column, m.row, m.slot), std::make_tuple(c.page, c.column, c.row, c.slot));
  }
}

TEST_F(ItemMenuTest, SortAndDiscardAskFirstAndTheDiscardQuestionKeepsItsLastAnswer) {
  Fill(kItemEmpty, 0);
  g_inventory[0] = {15, 2};
  g_inventory[2] = {1, 1};
  g_inventory[3] = {15, 99};
  Keys({kKeyRight, kKeyEnter, kKeyEnter, kKeyDown, kKeyEnter});  // discard slot 0: yes
  EXPECT_EQ(g_inventory[0].id, kItemEmpty);
  Keys({kKeyRight, kKeyDown, kKeyEnter});  // slot 3: the question opens on yes
  EXPECT_EQ(Menu()->choice, 1);
  Keys({kKeyDown, kKeyEnter, kKeyEscape, kKeyRight, kKeyEnter, kKeyDown, kKeyEnter});  // no, then sort: yes
  const std::vector<int32_t> sorted = {g_inventory[0].id, g_inventory[1].id, g_inventory[1].count, g_inventory[2].id};
  EXPECT_EQ(sorted, std::vector<int32_t>({1, 15, 99, kItemEmpty}));
}

}  // namespace
