// The small helpers every floor uses: the seeded draw and the polar offset.
#include "engine/util.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

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

TEST(UtilTest, PolarOffsetUsesThePiOf314) {
  float x = 0, z = 0;
  PolarOffset(&x, &z, 0, 0, 0, 20);
  EXPECT_FLOAT_EQ(x, 20.0f);
  EXPECT_FLOAT_EQ(z, 0.0f);
  PolarOffset(&x, &z, 0, 0, 180, 20);
  EXPECT_NEAR(x, -19.99997f, 1e-4);
  EXPECT_NEAR(z, 0.0319f, 1e-4);
  PolarOffset(&x, &z, 0, 0, 270, 20);
  EXPECT_NEAR(x, -0.0478f, 1e-4);
  EXPECT_NEAR(z, -19.99994f, 1e-4);
  PolarOffset(&x, &z, 5, -3, 90, 20);
  EXPECT_NEAR(x, 5.0159f, 1e-3);  // slightly off the axis
  EXPECT_NEAR(z, 17.0f, 1e-3);
}

}  // namespace
