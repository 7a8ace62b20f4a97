#include "event/inn.h"

#include <gtest/gtest.h>

#include "data/characters.h"
#include "data/game_state.h"
#include "data/money.h"
#include "data/tasks.h"
#include "event/screen_test_support.h"

namespace {

class InnTest : public test::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
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
    g_money = 200;
  }
  static InnData* Inn() { return TaskSlotInUse(kSlotInn) ? TaskData<InnData>(&g_taskPool[kSlotInn]) : nullptr; }
  // Opens the inn at the price; it asks from the second frame after the command.
  void Open(int price) {
    Run("#9," + std::to_string(price) + ",#5,1,#99,");
    ASSERT_NE(Inn(), nullptr);
    EXPECT_EQ(g_taskPool[kSlotInn].id, kTaskIdInn);
    Updates(2);
    ASSERT_EQ(Inn()->step, InnAsk);
  }
  // The inn's slot comes before the event's, so the event sees it gone in the frame it
  // closes and goes on in the next.
  int FramesUntilScriptGoesOn() {
    for (int i = 1; i <= 10; ++i) {
      Update();
      if (g_eventFlags[1]) return i;
    }
    return -1;
  }
  static void ExpectPartyUntouched(int member) {
    EXPECT_EQ(g_party[member].hp, 5) << member;
    EXPECT_EQ(g_party[member].mp, 3) << member;
    EXPECT_NE(g_party[member].status, 0) << member;
  }
};

TEST_F(InnTest, OpensOnLeaveAndConfirmingAtOnceClosesWithoutPaying) {
  Open(50);
  EXPECT_EQ(Inn()->choice, kInnLeave);
  EXPECT_EQ(Inn()->price, 50);
  const auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasSmallMenuWindow), Pos(2.0f, 240.0f));
  EXPECT_EQ(Find(sprites, kAtlasInnPriceWindow).size(), 2u);
  EXPECT_EQ(At(sprites, kAtlasInnPriceLabel), Pos(8.0f, 4.0f));
  EXPECT_EQ(At(sprites, kAtlasInnMoneyLabel), Pos(8.0f, 32.0f));
  EXPECT_EQ(At(sprites, kAtlasDigitSmall5), Pos(84.0f, 5.0f));   // the price 50
  EXPECT_EQ(At(sprites, kAtlasDigitSmall2), Pos(84.0f, 34.0f));  // the money 200
  EXPECT_EQ(At(sprites, kAtlasMenuCursor), Pos(6.0f, 275.0f));
  Tap(kKeyEnter);
  EXPECT_EQ(Inn(), nullptr);
  EXPECT_EQ(g_money, 200);
  ExpectPartyUntouched(0);
  EXPECT_EQ(FramesUntilScriptGoesOn(), 1);
}

TEST_F(InnTest, EscapeClosesTheInn) {
  Open(50);
  Tap(kKeyDown);
  Tap(kKeyEscape);
  EXPECT_EQ(Inn(), nullptr);
  EXPECT_EQ(g_money, 200);
  EXPECT_EQ(FramesUntilScriptGoesOn(), 1);
}

TEST_F(InnTest, StayingPaysRestoresThePartyAndClosesAfterTheFade) {
  g_money = 120;
  Open(120);
  Tap(kKeyDown);
  EXPECT_EQ(Inn()->choice, kInnStay);
  Tap(kKeyZ);
  EXPECT_EQ(g_money, 0);
  EXPECT_EQ(Inn()->step, InnFadeIn);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(g_party[i].hp, g_party[i].maxHp) << i;
    EXPECT_EQ(g_party[i].status, 0) << i;
  }
  EXPECT_EQ(g_party[0].mp, 3);  // fighters keep their magic points
  EXPECT_EQ(g_party[2].mp, 3);
  EXPECT_EQ(g_party[1].mp, g_party[1].maxMp);  // the caster is full
  ExpectPartyUntouched(3);                     // beyond the party count

  Updates(26);
  EXPECT_EQ(Inn()->alpha, 255);
  EXPECT_EQ(Inn()->step, InnFadeHold);
  EXPECT_EQ(CoverColour(AtlasSprites()), 0xFFFFFFFFu);
  Updates(50);
  EXPECT_EQ(Inn()->step, InnFadeOut);
  Updates(25);
  ASSERT_NE(Inn(), nullptr);
  EXPECT_EQ(Inn()->alpha, 5);
  EXPECT_EQ(CoverColour(AtlasSprites()), 0x05FFFFFFu);
  EXPECT_FALSE(Has(AtlasSprites(), kAtlasSmallMenuWindow));
  Update();  // 102 frames after the confirm
  EXPECT_EQ(Inn(), nullptr);
  EXPECT_EQ(g_taskPool[kSlotEvent].updateOn, 1);
  EXPECT_EQ(FramesUntilScriptGoesOn(), 1);
}

TEST_F(InnTest, WithoutTheMoneyNothingIsPaidOrRestored) {
  g_money = 49;
  Open(50);
  Tap(kKeyUp);  // the cursor wraps to stay
  Tap(kKeyEnter);
  EXPECT_EQ(Inn()->step, InnNoMoneyWait);
  EXPECT_EQ(sounds_, (std::vector<int>{kSoundCursor, kSoundRefuse}));
  const auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasInnNoMoney), Pos(234.0f, 300.0f));
  EXPECT_FALSE(Has(sprites, kAtlasSmallMenuWindow));
  Updates(5);
  ASSERT_NE(Inn(), nullptr);
  Tap(kKeyEnter);
  EXPECT_EQ(Inn(), nullptr);
  EXPECT_EQ(g_money, 49);
  ExpectPartyUntouched(0);
  ExpectPartyUntouched(1);
}

TEST_F(InnTest, ASecondInnIsNotOpenedAndTheScriptWaitsForTheFirst) {
  TaskSlot* first = PlaceTask(430, kTaskIdInn);
  Run("#9,10,#5,1,#99,");
  EXPECT_FALSE(TaskSlotInUse(kSlotInn));
  Updates(5);
  EXPECT_EQ(g_eventFlags[1], 0);
  first->inUse = 0;
  EXPECT_EQ(FramesUntilScriptGoesOn(), 2);
}

TEST_F(InnTest, ABusySlotOpensNothingAndTheScriptGoesOn) {
  PlaceTask(kSlotInn, kTaskIdPerson);
  Run("#9,10,#5,1,#99,");
  EXPECT_EQ(FramesUntilScriptGoesOn(), 2);
}

}  // namespace
