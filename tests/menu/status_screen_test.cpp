#include "menu/status_screen.h"

#include <gtest/gtest.h>

#include "menu/menu_test_support.h"

namespace {

class StatusScreenTest : public test::MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    PlacePausedField();
    ASSERT_EQ(StatusScreenOpen(), 1);
    Update();
  }
  static StatusData* Screen() { return Data<StatusData>(kSlotStatus, kTaskIdStatus); }
};

TEST_F(StatusScreenTest, TheValuesAddTheEquipmentCountToTheNextLevelAndShowBothAilments) {
  g_party[0].status = kStatusPoison | kStatusCannotAct;
  g_party[1].weapon = kItemEmpty;
  g_party[1].experience = 37;
  g_party[1].growth2 = 4;
  // Attack and defence with the equipment, magic, magic defence, move, hit, the second
  // grown value, and what is missing to the next level.
  constexpr float kSpots[][2] = {{84, 357},  {84, 382},  {84, 407},  {84, 432},
                                 {404, 357}, {404, 382}, {404, 432}, {500, 282}};
  const int values[2][8] = {{30 + 5, 10 + 5, 90, 30, 5, 5, 0, 100}, {100 + 0, 30 + 10, 20, 15, 5, 10, 4, 63}};
  for (int32_t member : {0, 1}) {
    Screen()->member = member;
    const auto sprites = AtlasSprites();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(NumberAt(sprites, kSpots[i][0], kSpots[i][1]), values[member][i]) << i;
    EXPECT_EQ(Has(sprites, g_itemTable[g_characterTable[member].weapon].nameRect), member == 0);
    EXPECT_EQ(At(sprites, kAtlasAilmentPoison), test::Pos(480.0f, 22.0f));
    EXPECT_EQ(At(sprites, kAtlasAilmentStun), test::Pos(501.0f, 22.0f));
    EXPECT_EQ(Find(sprites, kAtlasAilmentNormal).size(), 3u);
    EXPECT_EQ(At(sprites, kAtlasAilmentWordNormal), member == 1 ? test::Pos(500.0f, 250.0f) : std::nullopt);
  }
  const float stunX = 500.0f + RectWidth(kAtlasAilmentWordPoison) + 8.0f;
  Screen()->member = 0;
  EXPECT_EQ(At(AtlasSprites(), kAtlasAilmentWordStun), test::Pos(stunX, 250.0f));
}

TEST_F(StatusScreenTest, TheMembersWrapBothWaysAndEnterClosesLikeEscape) {
  g_partyCount = 3;
  for (const auto& [key, member] : {std::pair{kKeyUp, 2}, {kKeyRight, 0}, {kKeyLeft, 2}, {kKeyDown, 0}}) {
    Press(key);
    EXPECT_EQ(Screen()->member, member);
  }
  g_party[2].status = kStatusCannotAct;
  EXPECT_EQ(test::At(AtlasSprites(), kAtlasAilmentStun), test::Pos(480.0f, 72.0f)) << "alone, it takes the first place";
  Press(kKeyEnter);
  EXPECT_TRUE(!Screen() && TaskExists(kTaskIdPartyMenu));
}

}  // namespace
