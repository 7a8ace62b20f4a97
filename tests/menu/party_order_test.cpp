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

TEST_F(PartyOrderTest, APartyOfThreeIsPickedAskedWrittenOverItsOwnRowsOnlyOrLeftAsItWas) {
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
  Keys({kKeyUp, kKeyEnter, kKeyEscape});  // no keeps the picks; Escape takes the last back
  EXPECT_TRUE(Order()->picked == 2 && Order()->order[2].id == kOrderPlaceEmpty);
  Keys({kKeyEnter, kKeyEnter, kKeyDown, kKeyEnter});
  EXPECT_TRUE(!Order() && TaskExists(kTaskIdPartyMenu));
  EXPECT_EQ(std::vector<int32_t>({g_party[0].id, g_party[1].id, g_party[2].id}), std::vector<int32_t>({2, 0, 1}));
  EXPECT_TRUE(g_party[3].id == row3.id && g_party[3].hp == row3.hp) << "the row past the party keeps its record";
  ASSERT_EQ(PartyOrderCreate(), 1);
  Keys({kKeyEnter, kKeyEscape, kKeyEscape});  // a pick taken back, then nothing left to take back
  EXPECT_TRUE(!Order() && g_party[0].id == 2);
}

}  // namespace
