#include "engine/shell.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data/characters.h"
#include "data/game_state.h"
#include "data/items.h"
#include "engine/settings.h"
#include "engine/task.h"
#include "field/map.h"
#include "game/startup.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "support/harness.h"

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

TEST(StartupTest, MissingDataFileShowsItsBoxAndEndsBeforeAnyFrame) {
  const std::string dir = test::MakeTempDir();
  {
    test::GameHarness::Options options;
    options.workDir = dir;
    test::GameHarness game(options);
    EXPECT_EQ(game.Start(), 0);
    ASSERT_EQ(game.Boxes().size(), 1u);
    EXPECT_EQ(game.Boxes()[0].text, "データロード失敗");
    EXPECT_EQ(game.Boxes()[0].caption, "error");
    EXPECT_FALSE(plat::WindowExists());
    EXPECT_TRUE(plat::QuitPosted());
    EXPECT_EQ(plat::QuitCode(), 0);
    EXPECT_FALSE(game.Running());
    EXPECT_EQ(g_taskPool, nullptr);  // the core buffers were given back
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
