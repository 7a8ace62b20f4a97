#include "event/inn.h"

#include <gtest/gtest.h>

#include "data/characters.h"
#include "event/event_test_support.h"

namespace {

class InnTest : public test::EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    g_partyCount = 3;
    for (int i = 0; i < kPartyRows; ++i) {
      g_party[i] = CharacterRecord{};
      g_party[i].characterClass = i == 1 ? kClassCaster : kClassFighter;
      g_party[i].hp = 5;
      g_party[i].maxHp = 100 + i;
      g_party[i].mp = 3;
      g_party[i].maxMp = 40 + i;
      g_party[i].status = kStatusPoison | kStatusCannotAct;
    }
  }
  static InnData* Inn() { return Screen<InnData>(kSlotInn); }
  // Opens the inn at the price; it asks from the second frame after the command.
  void Open(int32_t money, int price) {
    g_money = money;
    Run("#9," + std::to_string(price) + ",#5,1,#99,");
    ASSERT_NE(Inn(), nullptr);
    Updates(2);
    ASSERT_EQ(Inn()->step, InnAsk);
  }
  static bool Untouched(int member) {
    return g_party[member].hp == 5 && g_party[member].mp == 3 && g_party[member].status != 0;
  }
};

// Leave, Escape, or Stay without the money: nothing paid, nobody rested.
TEST_F(InnTest, LeavingOrShortOfMoneyPaysAndRestoresNothing) {
  const struct {
    std::vector<int> keys;
    bool refused;
  } cases[] = {{{kKeyEnter}, false}, {{kKeyDown, kKeyEscape}, false}, {{kKeyUp, kKeyEnter}, true}};
  for (const auto& c : cases) {
    EventFlagsClear();
    Open(49, 50);
    EXPECT_EQ(Inn()->choice, kInnLeave);
    const auto sprites = AtlasSprites();
    EXPECT_EQ(test::At(sprites, kAtlasSmallMenuWindow), test::Pos(2.0f, 240.0f));
    EXPECT_EQ(test::At(sprites, kAtlasDigitSmall5), test::Pos(84.0f, 5.0f));   // the price, 50
    EXPECT_EQ(test::At(sprites, kAtlasDigitSmall4), test::Pos(84.0f, 34.0f));  // the money, 49
    for (int key : c.keys) Tap(key);
    if (c.refused) {
      EXPECT_EQ(sounds_, (std::vector<int>{kSoundCursor, kSoundRefuse}));
      EXPECT_EQ(test::At(AtlasSprites(), kAtlasInnNoMoney), test::Pos(234.0f, 300.0f));
      Press(kKeyEnter);
    }
    EXPECT_EQ(Inn(), nullptr);
    EXPECT_EQ(g_money, 49);
    EXPECT_TRUE(Untouched(0) && Untouched(1));
    EXPECT_EQ(FramesUntilFlag(1), 1);  // the inn's slot comes before the event's
    Updates(2);
  }
}

TEST_F(InnTest, StayingPaysRestoresThePartyAndClosesAfterTheFade) {
  Open(120, 120);
  Tap(kKeyDown);
  Tap(kKeyZ);
  EXPECT_EQ(g_money, 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(g_party[i].status, 0) << i;  // the hit points: the playthrough's inn
  EXPECT_EQ(g_party[0].mp, 3);                                       // fighters keep their magic points
  EXPECT_EQ(g_party[1].mp, g_party[1].maxMp);
  EXPECT_TRUE(Untouched(3));  // beyond the party count
  Updates(26);
  EXPECT_EQ(Inn()->step, InnFadeHold);
  EXPECT_EQ(CoverColour(AtlasSprites()), 0xFFFFFFFFu);
  Updates(50 + 25);
  ASSERT_NE(Inn(), nullptr);
  EXPECT_EQ(CoverColour(AtlasSprites()), 0x05FFFFFFu);
  Update();  // 102 frames after the confirm
  EXPECT_EQ(Inn(), nullptr);
  EXPECT_EQ(FramesUntilFlag(1), 1);
}

// The inn's two panels: the price and the party's money, the menu with its cursor on
// Leave; a stay restores every member's hit points.
TEST_F(InnTest, ShowsThePriceAndTheMoneyAndAStayRestoresHitPoints) {
  Open(200, 50);
  const auto sprites = AtlasSprites();
  EXPECT_EQ(test::Find(sprites, kAtlasInnPriceWindow).size(), 2u);
  EXPECT_EQ(test::At(sprites, kAtlasInnPriceLabel), test::Pos(8.0f, 4.0f));
  EXPECT_EQ(test::At(sprites, kAtlasInnMoneyLabel), test::Pos(8.0f, 32.0f));
  EXPECT_EQ(test::SmallNumberAt(sprites, 84.0f, 5.0f), 50);
  EXPECT_EQ(test::SmallNumberAt(sprites, 84.0f, 34.0f), 200);
  EXPECT_EQ(test::At(sprites, kAtlasMenuCursor), test::Pos(6.0f, 275.0f));
  Tap(kKeyDown);
  Tap(kKeyEnter);
  EXPECT_EQ(g_money, 150);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(g_party[i].hp, g_party[i].maxHp) << i;
  EXPECT_EQ(g_party[3].hp, 5) << "beyond the party count";
}

// A second inn is not opened while one runs, and its script waits for the first; another
// task in the inn's slot opens nothing and the script goes on.
TEST_F(InnTest, ASecondInnOrABusySlotOpensNothing) {
  TaskSlot* first = PlaceTask(430, kTaskIdInn);
  Run("#9,10,#5,1,#99,");
  EXPECT_FALSE(TaskSlotInUse(kSlotInn));
  Updates(5);
  EXPECT_EQ(g_eventFlags[1], 0);
  first->inUse = 0;
  EXPECT_EQ(FramesUntilFlag(1), 2);
  Updates(3);
  EventFlagsClear();
  PlaceTask(kSlotInn, kTaskIdPerson);
  Run("#9,10,#5,1,#99,");
  EXPECT_EQ(FramesUntilFlag(1), 2);
  EXPECT_EQ(g_money, 0);
}
}  // namespace
