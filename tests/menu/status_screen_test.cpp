#include "menu/status_screen.h"

#include <gtest/gtest.h>

#include "data/items.h"
#include "menu/menu_test_support.h"
#include "menu/party_panels.h"

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

TEST_F(StatusScreenTest, TheValuesWindowAddsTheEquipmentAndCountsToTheNextLevel) {
  g_party[1].weapon = kItemEmpty;
  g_party[1].experience = 37;
  g_party[1].growth2 = 4;
  struct {
    int32_t member;
    int attack, defence, magic, magicDefence, move, hit, growth2, toNext;
    bool weaponShown;
  } const cases[] = {
      {0, 30 + 5, 10 + 5, 90, 30, 5, 5, 0, 100, true},
      {1, 100, 30 + 10, 20, 15, 5, 10, 4, 63, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.member);
    Screen()->member = c.member;
    const auto sprites = AtlasSprites();
    EXPECT_EQ(NumberAt(sprites, 84, 357), c.attack);
    EXPECT_EQ(NumberAt(sprites, 84, 382), c.defence);
    EXPECT_EQ(NumberAt(sprites, 84, 407), c.magic);
    EXPECT_EQ(NumberAt(sprites, 84, 432), c.magicDefence);
    EXPECT_EQ(NumberAt(sprites, 404, 357), c.move);
    EXPECT_EQ(NumberAt(sprites, 404, 382), c.hit);
    EXPECT_EQ(NumberAt(sprites, 404, 432), c.growth2);
    EXPECT_EQ(NumberAt(sprites, 500, 282), c.toNext);
    EXPECT_EQ(NumberAt(sprites, 500, 132), 20);
    EXPECT_EQ(Has(sprites, g_itemTable[g_characterTable[c.member].weapon].nameRect), c.weaponShown);
    EXPECT_EQ(At(sprites, g_faceLargeRects[c.member]), Pos(4.0f, 120.0f));
    EXPECT_EQ(Find(sprites, kAtlasRowBar).at(0).y, 22.0f + 25.0f * static_cast<float>(c.member) + 5.0f);
  }
}

TEST_F(StatusScreenTest, BothAilmentsShowSideBySideAndNoneShowsTheNormalPictures) {
  g_party[0].status = kStatusPoison | kStatusCannotAct;
  auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasAilmentPoison), Pos(480.0f, 22.0f));
  EXPECT_EQ(At(sprites, kAtlasAilmentStun), Pos(501.0f, 22.0f));
  EXPECT_EQ(At(sprites, kAtlasAilmentWordPoison), Pos(500.0f, 250.0f));
  EXPECT_EQ(At(sprites, kAtlasAilmentWordStun), Pos(500.0f + RectWidth(kAtlasAilmentWordPoison) + 8.0f, 250.0f));
  g_party[0].status = kStatusCannotAct;
  sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasAilmentStun), Pos(480.0f, 22.0f));
  EXPECT_EQ(At(sprites, kAtlasAilmentWordStun), Pos(500.0f, 250.0f));
  Press(kKeyDown);
  sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasAilmentWordNormal), Pos(500.0f, 250.0f));
  EXPECT_EQ(Find(sprites, kAtlasAilmentNormal).size(), 3u);
}

TEST_F(StatusScreenTest, TheMembersWrapBothWaysAndEnterClosesIntoThePartyMenu) {
  g_partyCount = 3;
  const struct {
    int key;
    int32_t member;
  } steps[] = {{kKeyUp, 2}, {kKeyRight, 0}, {kKeyLeft, 2}, {kKeyDown, 0}};
  for (const auto& s : steps) {
    Press(s.key);
    EXPECT_EQ(Screen()->member, s.member);
    EXPECT_TRUE(Sounded(kSoundCursor));
  }
  Press(kKeyEnter);
  EXPECT_EQ(Screen(), nullptr);
  EXPECT_TRUE(TaskExists(kTaskIdPartyMenu));
}

}  // namespace
