#include <gtest/gtest.h>

#include <set>

#include "engine/keys.h"
#include "engine/util.h"
#include "platform/keyboard.h"

namespace {

class KeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KeyInit();
    plat::SetKeySource([this](uint32_t k) { return down_.count(k) != 0; });
  }
  void TearDown() override { plat::SetKeySource(nullptr); }
  void Set(int key, bool isDown) {
    if (isDown) {
      down_.insert(KeyHostCode(key));
    } else {
      down_.erase(KeyHostCode(key));
    }
  }
  std::set<uint32_t> down_;
};

TEST_F(KeysTest, HeldKeyPressesOnceAndStaysHeld) {
  Set(kKeyUp, true);
  int presses = 0;
  for (int frame = 0; frame < 10; ++frame) {
    KeyPoll();
    presses += KeyPressed(kKeyUp) ? 1 : 0;
    EXPECT_TRUE(KeyHeld(kKeyUp));
  }
  EXPECT_EQ(presses, 1);
  Set(kKeyUp, false);
  KeyPoll();
  EXPECT_FALSE(KeyHeld(kKeyUp));
  EXPECT_FALSE(KeyPressed(kKeyUp));
  Set(kKeyUp, true);
  KeyPoll();
  EXPECT_TRUE(KeyPressed(kKeyUp));
}

TEST(UtilTest, RandomBelowStaysInRangeAndRepeatsFromASeed) {
  RandomSeed(99);
  std::vector<int> first;
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(RandomBelow(1), 0);
    const int v = RandomBelow(4);
    EXPECT_GE(v, 0);
    EXPECT_LT(v, 4);
    first.push_back(v);
  }
  RandomSeed(99);
  for (int i = 0; i < 200; ++i) {
    RandomBelow(1);
    EXPECT_EQ(RandomBelow(4), first[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(RandomBelow(0), 0);
  EXPECT_EQ(RandomBelow(-3), 0);
}

}  // namespace
