// The whole start-up chain on real OpenGL, and renderer rebuilds in one run.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/tasks.h"
#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/graphics.h"
#include "engine/task.h"
#include "platform/window.h"
#include "support/gfx.h"
#include "support/harness.h"

namespace {

constexpr uint32_t kCoverColour = 0xFF336699;

bool FrameIsAll(const plat::Image& frame, uint32_t colour) {
  if (frame.pixels.size() != 640u * 480u) return false;
  for (uint32_t p : frame.pixels) {
    if (p != colour) return false;
  }
  return true;
}

TEST(StartupGlTest, TheGameStartsOnOpenGLAndSurvivesRepeatedRebuilds) {
  const std::string dir = test::MakeTempDir();
  std::vector<test::Bytes> entries = test::RendererEntries({}, {});
  entries[kEntryAtlas] = test::PngBytes(test::SolidImage(4, 4, kCoverColour));
  ASSERT_TRUE(test::WriteFile(dir + "/data.dat", test::BuildArchive(entries)));
  {
    test::GameHarness::Options options;
    options.realRenderer = true;
    options.workDir = dir;
    test::GameHarness game(options);
    ASSERT_EQ(game.Start(), 1);
    ASSERT_NE(g_device, nullptr);
    // A camera following a walker that does not exist covers the whole screen.
    ASSERT_EQ(CameraCreate(0, 0, 0, 270.0f, kTaskIdWalker, CameraFollowStep), 1);
    game.Frames(2);
    EXPECT_TRUE(FrameIsAll(g_device->ReadFrame(), kCoverColour));
    // As after a display change: everything released and built again from the archive.
    for (int round = 0; round < 3; ++round) {
      GraphicsRelease();
      ASSERT_EQ(GraphicsInit(plat::WindowHandle()), 1) << "round " << round;
      game.Frames(1);
      EXPECT_TRUE(FrameIsAll(g_device->ReadFrame(), kCoverColour)) << "round " << round;
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
