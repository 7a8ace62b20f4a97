#include "engine/shell.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/clock.h"

namespace {

// A clock that advances one millisecond each time it is read.
struct SteppingClock {
  uint32_t now;
  int reads = 0;
  uint32_t operator()() {
    ++reads;
    return now++;
  }
};

TEST(FramePaceTest, ShortFrameWaitsUntil17Milliseconds) {
  const uint32_t t0 = 1000;
  SteppingClock clock{t0 + 3};
  plat::SetClockSource([&clock] { return clock(); });
  FramePace(t0);
  plat::SetClockSource(nullptr);
  // The last reading that let the frame go was t0 + 17.
  EXPECT_EQ(clock.now - 1, t0 + 17);
}

TEST(FramePaceTest, SlowFrameDoesNotWaitAndIsNotMadeUp) {
  const uint32_t t0 = 5000;
  SteppingClock clock{t0 + 40};
  plat::SetClockSource([&clock] { return clock(); });
  FramePace(t0);
  EXPECT_EQ(clock.reads, 1);
  // The next frame starts from its own t0 and waits its full 17 ms.
  const uint32_t next = clock.now;
  FramePace(next);
  plat::SetClockSource(nullptr);
  EXPECT_EQ(clock.now - 1, next + 17);
}

}  // namespace
