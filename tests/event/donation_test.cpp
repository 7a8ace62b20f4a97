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

}  // namespace
