#include "event/donation.h"

#include <gtest/gtest.h>

#include "event/event_test_support.h"

namespace {

class DonationTest : public test::EventTest {
 protected:
  static DonationData* Dial() { return Screen<DonationData>(kSlotDonation); }
  // The dial with its minimum; flag 1 marks the refusal path, flag 2 the acceptance.
  void Open(int32_t money, int minimum) {
    g_money = money;
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
    for (int i = 0; i < 6 && !g_eventFlags[1] && !g_eventFlags[2]; ++i) Update();
    return g_eventFlags[1] ? 1 : g_eventFlags[2] ? 2 : 0;
  }
  static std::string Digits() {
    std::string s;
    for (int8_t d : Dial()->digits) s += static_cast<char>('0' + d);
    return s;
  }
};

// The dial opens on the units; the cursor stops at both ends, digits run round.
TEST_F(DonationTest, TheCursorStopsAtTheEndsAndDigitsRunRound) {
  Open(500, 0);
  const struct {
    int key, times, position;
    const char* digits;
  } steps[] = {{kKeyDown, 3, 4, "00003"}, {kKeyLeft, 5, 0, "00003"},  {kKeyUp, 1, 0, "90003"},
               {kKeyDown, 2, 0, "10003"}, {kKeyRight, 6, 4, "10003"}, {kKeyDown, 7, 4, "10000"}};
  for (const auto& s : steps) {
    Press(s.key, s.times);
    EXPECT_EQ(Dial()->position, s.position);
    EXPECT_EQ(Digits(), s.digits);
    EXPECT_EQ(sounds_, std::vector<int>{kSoundCursor});
  }
}

// An offer is taken only when it is within the money and at least the minimum.
TEST_F(DonationTest, OffersWithinTheMoneyAndAboveTheMinimumArePaidAndJump) {
  const struct {
    int32_t money, minimum;
    int left, down;  // digits chosen: Left moves to a higher digit, Down turns it up
    int32_t moneyAfter;
    int path;
  } cases[] = {{500, 0, 0, 3, 497, 2},
               {500, 0, 0, 0, 500, 2},
               {99, 0, 2, 1, 99, 1},
               {500, 50, 0, 9, 500, 1},
               {500, 500, 2, 5, 0, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.money << " " << c.minimum << " " << c.left << " " << c.down);
    EventFlagsClear();
    Open(c.money, c.minimum);
    Press(kKeyLeft, c.left);
    Press(kKeyDown, c.down);
    Answer(true);
    EXPECT_EQ(Dial(), nullptr);
    EXPECT_EQ(g_money, c.moneyAfter);
    EXPECT_EQ(PathTaken(), c.path);
    Updates(3);
    ASSERT_FALSE(EventRunning());
  }
}

// No, and Escape at the question, go back to the dial with its digits; the dial itself
// has no way out.
TEST_F(DonationTest, NoAndEscapeGoBackToTheDialWithTheDigitsKept) {
  Open(500, 0);
  Press(kKeyDown, 4);
  Answer(false);
  EXPECT_EQ(Dial()->step, DonationDial);
  Press(kKeyEnter);
  Press(kKeyDown);
  Press(kKeyEscape);
  EXPECT_EQ(Dial()->step, DonationDial);
  EXPECT_EQ(Digits(), "00004");
  EXPECT_EQ(g_money, 500);
  Press(kKeyEscape);
  EXPECT_EQ(Dial()->step, DonationDial);
}

// The dial with its digits and the cursor over the chosen one, the caption, the money
// below; the question opens under it.
TEST_F(DonationTest, DrawsTheDialAndAsksBelowIt) {
  Open(500, 0);
  Press(kKeyLeft, 1);
  Press(kKeyDown);  // 00010
  auto sprites = AtlasSprites();
  EXPECT_EQ(test::At(sprites, kAtlasDonationDial), test::Pos(100.0f, 200.0f));
  EXPECT_EQ(test::At(sprites, kAtlasDigitSmall1), test::Pos(140.0f, 204.0f));
  const auto zeros = test::Find(sprites, kAtlasDigitSmall0);
  ASSERT_EQ(zeros.size(), 6u);  // four on the dial, two in the money 500
  EXPECT_EQ(zeros[0].x, 104.0f);
  EXPECT_EQ(zeros[3].x, 152.0f);
  EXPECT_EQ(test::At(sprites, kAtlasDonationCursor), test::Pos(134.0f, 190.0f));
  EXPECT_EQ(test::At(sprites, kAtlasDonationCaption), test::Pos(14.0f, 140.0f));
  EXPECT_EQ(test::At(sprites, kAtlasDonationUnderline), test::Pos(14.0f, 227.0f));
  EXPECT_EQ(test::At(sprites, kAtlasDonationMoneyPanel), test::Pos(14.0f, 234.0f));
  EXPECT_EQ(test::At(sprites, kAtlasDonationMoneyLabel), test::Pos(16.0f, 236.0f));
  EXPECT_EQ(test::SmallNumberAt(sprites, 102.0f, 237.0f), 500);
  EXPECT_FALSE(test::Has(sprites, kAtlasSmallMenuWindow));
  Press(kKeyEnter);
  sprites = AtlasSprites();
  EXPECT_EQ(test::At(sprites, kAtlasSmallMenuWindow), test::Pos(40.0f, 264.0f));
  EXPECT_TRUE(test::Has(sprites, kAtlasDonationTitle));
  EXPECT_TRUE(test::Has(sprites, kAtlasDonationDial));
}

// With the dial's slot busy the script waits for it; an offer accepted after its event
// has gone jumps nowhere and takes nothing.
TEST_F(DonationTest, ABusySlotWaitsAndAnOfferWithoutItsEventTakesNothing) {
  g_money = 500;
  TaskSlot* other = PlaceTask(kSlotDonation, kTaskIdDonation);
  Run("#41,50,#5,1,#99,fuse_shita#5,2,#99,");
  EXPECT_EQ(PathTaken(), 0);
  other->inUse = 0;
  EXPECT_EQ(PathTaken(), 1);
  Updates(3);
  EventFlagsClear();
  Open(500, 0);
  g_taskPool[kSlotEvent].inUse = 0;
  Answer(true);
  EXPECT_EQ(Dial(), nullptr);
  EXPECT_EQ(g_money, 500);
  EXPECT_EQ(PathTaken(), 0);
}
}  // namespace
