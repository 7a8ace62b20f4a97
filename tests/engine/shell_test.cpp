#include "engine/shell.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
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

TEST(FramePaceTest, ClockWrapAroundStillMeasuresElapsedTime) {
  const uint32_t t0 = 0xFFFFFFF8u;
  SteppingClock clock{t0};
  plat::SetClockSource([&clock] { return clock(); });
  FramePace(t0);
  plat::SetClockSource(nullptr);
  EXPECT_EQ(clock.now - 1, t0 + 17u);  // 0x00000009 after the wrap
  EXPECT_EQ(clock.reads, 18);
}

TEST(GameStateTest, StartsWithTheFirstFourRowsAndDefaultSettings) {
  g_eventFlags[7] = 3;
  ASSERT_EQ(GameStateInit(), 1);
  EXPECT_EQ(g_running, 1);
  EXPECT_EQ(g_mapNumber, 0);
  EXPECT_EQ(g_partyCount, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(std::memcmp(&g_party[i], &g_characterTable[i], sizeof(CharacterRecord)), 0);
    EXPECT_EQ(g_party[i].level, 20);
    EXPECT_EQ(g_party[i].hp, g_party[i].maxHp);
    EXPECT_EQ(g_partyReserve[i].maxHp, 0);
  }
  EXPECT_EQ(g_settings.soundEffects, 1);
  EXPECT_EQ(g_settings.music, 1);
  EXPECT_EQ(g_settings.windowed, 1);
  EXPECT_EQ(g_settings.colour32, 1);
  EXPECT_EQ(g_settings.vsync, 1);
  EXPECT_EQ(g_settings.depth24, 1);
  EXPECT_EQ(g_settings.autoBattle, 0);
  EXPECT_EQ(g_settings.openWindowed, 1);
  EXPECT_EQ(g_settings.openDepth24, 1);
  EXPECT_EQ(g_eventFlags[7], 0);
  EXPECT_EQ(g_inventory[0].id, 13);
  EXPECT_EQ(g_inventory[4].id, kItemEmpty);
  ASSERT_NE(g_taskPool, nullptr);
  ASSERT_NE(g_tileLayer, nullptr);
  CoreBuffersFree();
  EXPECT_EQ(g_taskPool, nullptr);
  EXPECT_EQ(g_tileLayer, nullptr);
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
    EXPECT_EQ(plat::QuitCode(), 0);
    EXPECT_FALSE(game.Running());
    EXPECT_EQ(g_taskPool, nullptr);  // the core buffers were given back
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
