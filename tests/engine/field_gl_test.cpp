// The field through real OpenGL, each frame drawn twice from the same state: with quads
// batched and with every quad drawn on its own. The pictures must match pixel for pixel.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/shell.h"
#include "engine/task.h"
#include "field/map.h"
#include "field/walker.h"
#include "game/flow.h"
#include "platform/gpu_gl.h"
#include "support/harness.h"

namespace {

int DifferentPixels(const plat::Image& a, const plat::Image& b) {
  if (a.pixels.size() != b.pixels.size()) return -1;
  int n = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
  return n;
}

class FieldGlTest : public ::testing::TestWithParam<int> {
 protected:
  void TearDown() override { plat::SetGlBatching(true); }
};

// The map's middle, a few steps each way: ground, walls, water, people and the party.
TEST_P(FieldGlTest, BatchedQuadsDrawTheSamePictureAsSeparateOnes) {
  ASSERT_TRUE(std::filesystem::exists("data.dat")) << "the build makes data.dat";
  test::GameHarness::Options options;
  options.realRenderer = true;
  test::GameHarness game(options);
  ASSERT_EQ(game.Start(), 1);
  TaskKillAll();
  g_mapNumber = GetParam();
  ASSERT_EQ(MapLoad(), 1);
  float x = static_cast<float>(g_mapWidth / 2), z = static_cast<float>(g_mapHeight / 2);
  MapCellToWorld(&x, &z);
  ASSERT_EQ(PartyWalkersCreate(x, 0.2f, z, 270.0f, 0), 1);
  for (int key : {kKeyUp, kKeyLeft, kKeyDown, kKeyRight}) {
    game.Hold(key);
    game.Frames(12);
    game.ReleaseAll();
    plat::SetGlBatching(true);
    FrameRender();
    const plat::Image batched = g_device->ReadFrame();
    const int batchedDraws = g_device->LastFrameStats().drawCalls;
    plat::SetGlBatching(false);
    FrameRender();
    const plat::Image separate = g_device->ReadFrame();
    EXPECT_EQ(DifferentPixels(batched, separate), 0) << "after key " << key;
    EXPECT_LT(batchedDraws * 4, g_device->LastFrameStats().drawCalls) << "after key " << key;
  }
}

INSTANTIATE_TEST_SUITE_P(PlainWoodCastleMarsh, FieldGlTest, ::testing::Values(1, 3, 8, 11));

}  // namespace
