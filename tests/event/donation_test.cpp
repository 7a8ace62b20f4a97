#include "event/donation.h"

#include <gtest/gtest.h>

#include "data/game_state.h"
#include "data/money.h"
#include "data/tasks.h"
#include "event/screen_test_support.h"

namespace {

class DonationTest : public test::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    g_money = 500;
  }
  static DonationData* Dial() {
    return TaskSlotInUse(kSlotDonation) ? TaskData<DonationData>(&g_taskPool[kSlotDonation]) : nullptr;
  }
  // The dial with its minimum; flag 1 marks the refusal path, flag 2 the acceptance.
  void Open(int minimum) {
    Run("#41," + std::to_string(minimum) + ",#5,1,#99,fuse_shita#5,2,#99,");
    ASSERT_NE(Dial(), nullptr);
    ASSERT_EQ(Dial()->step, DonationDial);  // its first step ran in the frame of the command
  }
  void Answer(bool yes) {
    Press(kKeyEnter);
    ASSERT_EQ(Dial()->step, DonationConfirm);
    if (yes) Press(kKeyDown);
    Press(kKeyEnter);
  }
  // Frames until the script sets flag 1 or 2; which one it was.
  int PathTaken() {
    for (int i = 0; i < 6; ++i) {
      Update();
      if (g_eventFlags[1]) return 1;
      if (g_eventFlags[2]) return 2;
    }
    return 0;
  }
  static std::string Digits() {
    std::string s;
    for (int8_t d : Dial()->digits) s += static_cast<char>('0' + d);
    return s;
  }
};

TEST_F(DonationTest, TheDialOpensOnTheUnitsAndAnAcceptedOfferJumps) {
  Open(0);
  EXPECT_EQ(g_taskPool[kSlotDonation].id, kTaskIdDonation);
  EXPECT_EQ(Dial()->position, 4);
  EXPECT_EQ(Dial()->minimum, 0);
  Presses(kKeyDown, 3);
  EXPECT_EQ(Digits(), "00003");
  EXPECT_EQ(sounds_, std::vector<int>{kSoundCursor});
  Answer(true);
  EXPECT_EQ(Dial(), nullptr);
  EXPECT_EQ(g_money, 497);
  EXPECT_EQ(PathTaken(), 2);
}

TEST_F(DonationTest, PositionStopsAtTheEndsAndDigitsRunRound) {
  Open(0);
  Presses(kKeyLeft, 4);
  EXPECT_EQ(Dial()->position, 0);
  Press(kKeyLeft);
  EXPECT_EQ(Dial()->position, 0);
  EXPECT_EQ(sounds_, std::vector<int>{kSoundCursor});
  Press(kKeyUp);
  EXPECT_EQ(Digits(), "90000");
  Presses(kKeyDown, 2);
  EXPECT_EQ(Digits(), "10000");
  Presses(kKeyRight, 6);
  EXPECT_EQ(Dial()->position, 4);
  Presses(kKeyDown, 10);
  EXPECT_EQ(Digits(), "10000");
}

TEST_F(DonationTest, AnOfferOfZeroMeetsAMinimumOfZero) {
  Open(0);
  Answer(true);
  EXPECT_EQ(g_money, 500);
  EXPECT_EQ(PathTaken(), 2);
}

TEST_F(DonationTest, AnOfferAboveTheMoneyIsRefusedWithoutAJump) {
  g_money = 99;
  Open(0);
  Presses(kKeyLeft, 2);
  Press(kKeyDown);  // 100
  Answer(true);
  EXPECT_EQ(Dial(), nullptr);
  EXPECT_TRUE(sounds_ == std::vector<int>{kSoundCursor});
  EXPECT_EQ(g_money, 99);
  EXPECT_EQ(PathTaken(), 1);
}

TEST_F(DonationTest, AnOfferBelowTheMinimumIsRefused) {
  Open(50);
  Presses(kKeyUp, 1);  // 9
  Answer(true);
  EXPECT_EQ(g_money, 500);
  EXPECT_EQ(PathTaken(), 1);
}

TEST_F(DonationTest, AnOfferOfAllTheMoneyLeavesNothing) {
  Open(500);
  Presses(kKeyLeft, 2);
  Presses(kKeyDown, 5);
  Answer(true);
  EXPECT_EQ(g_money, 0);
  EXPECT_EQ(PathTaken(), 2);
}

TEST_F(DonationTest, NoAndEscapeGoBackToTheDialWithTheDigitsKept) {
  Open(0);
  Presses(kKeyDown, 4);
  Answer(false);
  EXPECT_EQ(Dial()->step, DonationDial);
  Press(kKeyEnter);
  Press(kKeyDown);
  Press(kKeyEscape);
  EXPECT_EQ(Dial()->step, DonationDial);
  EXPECT_EQ(Digits(), "00004");
  EXPECT_EQ(g_money, 500);
  Press(kKeyEscape);  // the dial itself has no way out
  EXPECT_EQ(Dial()->step, DonationDial);
}

TEST_F(DonationTest, DrawsTheDialAndAsksBelowIt) {
  Open(0);
  Presses(kKeyLeft, 1);
  Press(kKeyDown);  // 00010
  auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasDonationDial), Pos(100.0f, 200.0f));
  EXPECT_EQ(At(sprites, kAtlasDigitSmall1), Pos(140.0f, 204.0f));
  const auto zeros = Find(sprites, kAtlasDigitSmall0);
  ASSERT_EQ(zeros.size(), 6u);  // four on the dial, two in the money 500
  EXPECT_EQ(zeros[0].x, 104.0f);
  EXPECT_EQ(zeros[3].x, 152.0f);
  EXPECT_EQ(At(sprites, kAtlasDonationCursor), Pos(134.0f, 190.0f));
  EXPECT_EQ(At(sprites, kAtlasDonationCaption), Pos(14.0f, 140.0f));
  EXPECT_EQ(At(sprites, kAtlasDonationUnderline), Pos(14.0f, 227.0f));
  EXPECT_EQ(At(sprites, kAtlasDonationMoneyPanel), Pos(14.0f, 234.0f));
  EXPECT_EQ(At(sprites, kAtlasDonationMoneyLabel), Pos(16.0f, 236.0f));
  EXPECT_EQ(At(sprites, kAtlasDigitSmall5), Pos(102.0f, 237.0f));
  EXPECT_FALSE(Has(sprites, kAtlasSmallMenuWindow));
  Press(kKeyEnter);
  sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasSmallMenuWindow), Pos(40.0f, 264.0f));
  EXPECT_TRUE(Has(sprites, kAtlasDonationTitle));
  EXPECT_TRUE(Has(sprites, kAtlasDonationDial));
}

TEST_F(DonationTest, ABusySlotLeavesTheMinimumUnreadAndTheScriptWaitsForTheSlot) {
  TaskSlot* other = PlaceTask(kSlotDonation, kTaskIdDonation);
  Run("#41,50,#5,1,#99,fuse_shita#5,2,#99,");
  EXPECT_EQ(PathTaken(), 0);
  other->inUse = 0;
  EXPECT_EQ(PathTaken(), 1);
}

TEST_F(DonationTest, AnAcceptedOfferAfterItsEventHasGoneJumpsNowhere) {
  Open(0);
  g_taskPool[kSlotEvent].inUse = 0;
  Answer(true);
  EXPECT_EQ(Dial(), nullptr);
  EXPECT_EQ(g_money, 500);
}

TEST(DigitsTest, ReadAsADecimalNumber) {
  const int8_t digits[5] = {9, 0, 1, 2, 3};
  EXPECT_EQ(DigitsToNumber(digits, 5), 90123);
  const int8_t nines[5] = {9, 9, 9, 9, 9};
  EXPECT_EQ(DigitsToNumber(nines, 5), 99999);
}

}  // namespace
