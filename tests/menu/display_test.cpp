// The picture fits the window it is in. The offscreen driver, like an X server without a
// window manager, grants no full screen: its surface stays 640 by 480 while SDL reports
// the desktop's size, so the window must go on showing the frame pixel for pixel.
#include <SDL.h>
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "platform/window.h"
#include "support/harness.h"

namespace {

// The window's own pixels, rows top first, as the frame has them.
std::vector<uint32_t> WindowPixels() {
  std::vector<uint32_t> raw(static_cast<size_t>(plat::kClientWidth) * plat::kClientHeight);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadPixels(0, 0, plat::kClientWidth, plat::kClientHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, raw.data());
  std::vector<uint32_t> rows(raw.size());
  for (int y = 0; y < plat::kClientHeight; ++y) {
    for (int x = 0; x < plat::kClientWidth; ++x) {
      rows[static_cast<size_t>(y * plat::kClientWidth + x)] =
          raw[static_cast<size_t>((plat::kClientHeight - 1 - y) * plat::kClientWidth + x)] | 0xFF000000u;
    }
  }
  return rows;
}

struct DisplayChange {
  const char* name;
  std::vector<int> keys;  // from the title
  bool lostDevice;        // then rebuilt as after a lost device
  int32_t windowed;
};

const std::vector<int> kFlipDisplayRow = {kKeyDown, kKeyEnter, kKeyRight, kKeyEnter};

const DisplayChange kChanges[] = {
    {"full screen from the options", kFlipDisplayRow, false, 0},
    {"full screen after a lost device", {}, true, 0},
    {"windowed from the options", kFlipDisplayRow, false, 1},
    {"windowed after a lost device", {}, true, 1},
};

TEST(DisplayTest, TheWindowShowsTheWholeFrameAfterEveryDisplayChange) {
  test::GameHarness::Options options;
  options.realRenderer = true;
  test::GameHarness game(options);
  ASSERT_EQ(game.Start(), 1);
  game.Frames(2);
  for (const DisplayChange& change : kChanges) {
    SCOPED_TRACE(change.name);
    for (int key : change.keys) game.Tap(key, 2);
    if (change.lostDevice) {
      ASSERT_EQ(DeviceRebuild(), 1);
    }
    game.Frames(2);
    ASSERT_EQ(g_settings.windowed, change.windowed);
    EXPECT_EQ((SDL_GetWindowFlags(plat::WindowHandle()) & SDL_WINDOW_FULLSCREEN) != 0, change.windowed != 1)
        << "the window was asked for the mode";
    const std::vector<uint32_t> frame = g_device->ReadFrame().pixels;
    const std::vector<uint32_t> window = WindowPixels();
    int different = 0;
    for (size_t i = 0; i < frame.size(); ++i) different += frame[i] != window[i] ? 1 : 0;
    EXPECT_EQ(different, 0) << "pixels of the window unlike the frame";
  }
}

// The window opens in the middle of the desktop, and comes back there from full screen.
TEST(DisplayTest, TheWindowStandsInTheMiddleOfTheDesktop) {
  test::GameHarness game;
  ASSERT_EQ(game.Start(), 1);
  SDL_DisplayMode desktop{};
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  ASSERT_NE(desktop.w - plat::kClientWidth, desktop.h - plat::kClientHeight)
      << "a desktop that tells width from height";
  const auto expectCentred = [&](const char* when) {
    int x = -1, y = -1;
    SDL_GetWindowPosition(plat::WindowHandle(), &x, &y);
    EXPECT_EQ(x, (desktop.w - plat::kClientWidth) / 2) << when;
    EXPECT_EQ(y, (desktop.h - plat::kClientHeight) / 2) << when;
  };
  expectCentred("opened");
  g_settings.windowed = 0;
  plat::WindowPlace(false);
  g_settings.windowed = 1;
  plat::WindowPlace(true);
  expectCentred("back from full screen");
}

}  // namespace
