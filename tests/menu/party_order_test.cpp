#include "menu/party_order.h"

#include <gtest/gtest.h>

#include "menu/menu_test_support.h"

namespace {

class PartyOrderTest : public test::MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    PlacePausedField();
    g_partyCount = 3;
    ASSERT_EQ(PartyOrderCreate(), 1);
  }
  static PartyOrderData* Order() { return Data<PartyOrderData>(kSlotPartyOrder, kTaskIdPartyOrder); }
};

TEST_F(PartyOrderTest, APartyOfThreeIsPickedAskedAndWrittenOverItsOwnRowsOnly) {
  const CharacterRecord row3 = g_party[3];
  Keys({kKeyUp, kKeyEnter, kKeyEnter});
  EXPECT_TRUE(Sounded(kSoundRefuse)) << "the same member twice";
  EXPECT_EQ(Order()->picked, 1);
  Keys({kKeyDown, kKeyEnter, kKeyDown, kKeyEnter});
  EXPECT_EQ(Order()->picked, 3);
  EXPECT_EQ(Order()->step, PartyOrderPick) << "one more confirm asks";
  Keys({kKeyEnter, kKeyUp});
  EXPECT_EQ(Order()->choice, 0);
  Keys({kKeyDown, kKeyDown});
  EXPECT_EQ(Order()->choice, 1) << "no wrap";
  const float boxX = RoundToNearest(CentreX(RectWidth(kAtlasAskBox)));
  EXPECT_EQ(Find(AtlasSprites(), kAtlasMenuCursor).back().x, boxX + 8.0f);
  Keys({kKeyUp, kKeyEnter, kKeyEscape});  // no keeps the picks; Escape takes the last back
  EXPECT_EQ(Order()->picked, 2);
  EXPECT_EQ(Order()->order[2].id, kOrderPlaceEmpty);
  EXPECT_EQ(At(AtlasSprites(), kAtlasMenuCursor), std::nullopt);  // one on each list
  Keys({kKeyEnter, kKeyEnter, kKeyDown, kKeyEnter});
  EXPECT_EQ(Order(), nullptr);
  EXPECT_EQ(g_party[0].id, 2);
  EXPECT_EQ(g_party[1].id, 0);
  EXPECT_EQ(g_party[2].id, 1);
  EXPECT_EQ(g_party[3].id, row3.id) << "the row past the party keeps its record";
  EXPECT_EQ(g_party[3].hp, row3.hp);
  EXPECT_TRUE(TaskExists(kTaskIdPartyMenu));
}

TEST_F(PartyOrderTest, EscapeWithNothingPickedLeavesThePartyAsItWas) {
  Keys({kKeyDown, kKeyEnter, kKeyEscape});
  EXPECT_EQ(Order()->picked, 0);
  Press(kKeyEscape);
  EXPECT_EQ(Order(), nullptr);
  for (int i = 0; i < kPartyRows; ++i) EXPECT_EQ(g_party[i].id, i);
  EXPECT_TRUE(TaskExists(kTaskIdPartyMenu));
}

}  // namespace
