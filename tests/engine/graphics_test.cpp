// The renderer's objects made from the game's own data file.
#include "engine/graphics.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "platform/recording/gpu_recording.h"
#include "support/harness.h"

namespace {

// Start-up asks the device for each size's room before it makes the first texture of
// that size, and asks for exactly as many as it then makes: an array sized once never
// has to be moved as start-up fills it.
TEST(GraphicsTest, StartUpReservesRoomForEveryTextureItThenMakes) {
  test::GameHarness game;
  ASSERT_EQ(game.Start(), 1);
  std::map<std::pair<int, int>, int> made;
  const auto count = [&made](const plat::Texture* t) {
    if (t) ++made[{t->Width(), t->Height()}];
  };
  count(g_atlasTexture.get());
  count(g_fontTexture.get());
  for (const auto& t : g_textures) count(t.get());
  for (const MeshRecord& m : g_meshes) {
    for (const auto& t : m.materialTextures) count(t.get());
  }
  std::map<std::pair<int, int>, int> reserved;
  for (const auto& [w, h, n] : plat::CurrentRecordingDevice()->reservations) reserved[{w, h}] += n;
  EXPECT_EQ(reserved, made);
  EXPECT_GT(made.size(), 3u) << "textures of several sizes";
}

}  // namespace
