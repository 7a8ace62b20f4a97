// One frame of the game's own pictures through the real OpenGL path: digits, a framed
// window, a vertical menu, a line of message glyphs, a model and a ground quad, all
// from the built data.dat, checked in the pixels that come back.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/tasks.h"
#include "engine/archive.h"
#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/draw.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/task.h"
#include "engine/text.h"
#include "platform/image.h"
#include "platform/text_encoding.h"
#include "support/gfx.h"
#include "support/harness.h"

namespace {

constexpr float kWindowX = 20.0f, kWindowY = 20.0f;
constexpr float kMenuX = 400.0f, kMenuY = 20.0f;
constexpr float kGlyphY = 440.0f;
const AtlasRect kMenuLabels[3] = {kAtlasMenuClose, kAtlasMenuStatus, kAtlasMenuSave};
const int32_t kMenuOrder[3] = {0, 1, 2};

int32_t g_glyphRow[kGlyphRowLength];

void DrawSampleFrame(TaskSlot*) {
  // World first: a ground quad and a model in front of the camera.
  const float at[3] = {0, 0, 0};
  const float eye[3] = {0, 60, -20};
  CameraSetView(at, eye);
  Vertex3D quad[4];
  SetVertex3D(&quad[0], -6, 0, 6, 0, 0);
  SetVertex3D(&quad[1], 6, 0, 6, 1, 0);
  SetVertex3D(&quad[2], 6, 0, -6, 1, 1);
  SetVertex3D(&quad[3], -6, 0, -6, 0, 1);
  DrawQuad3D(quad, 0xFFFFFFFF, g_textures[0].get());
  glm::mat4 world;
  float heading = 270.0f;
  BuildWorldYaw(&world, 0, 0, 0, &heading);
  DrawMesh(g_meshes[0], world);
  // Then the interface over it.
  DrawWindow(kWindowX, kWindowY, kAtlasPromptWindow, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
  DrawNumberSmall(kWindowX + 20, kWindowY + 20, 1234567);
  DrawVerticalMenu(kMenuX, kMenuY, 1, 3, kColourOpaque, kAtlasMenuWindowThree, kAtlasMenuHeading, kMenuLabels,
                   kMenuOrder);
  float x = 40.0f;
  for (int32_t index : g_glyphRow) {
    if (index == 0) continue;
    const AtlasRect& r = g_glyphs[index].rect;
    DrawSprite(x, kGlyphY, r, kGlyphTextureSize, kGlyphTextureSize, kColourOpaque, g_fontTexture.get());
    x += RectWidth(r);
  }
}

plat::Image ArchivePicture(int entry) {
  uint32_t size = 0;
  const uint8_t* bytes = DataFileGetEntry(entry, &size);
  plat::Image image;
  EXPECT_TRUE(plat::DecodeImage(bytes, size, image));
  plat::ApplyColourKey(image, kColourKey);
  return image;
}

uint32_t At(const plat::Image& image, int x, int y) {
  return image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
}

// Every opaque texel of the rectangle shows on the screen at (x, y) unchanged.
int MismatchedOpaqueTexels(const plat::Image& frame, const plat::Image& atlas, const AtlasRect& r, int x, int y) {
  int bad = 0;
  for (int ty = static_cast<int>(r.top); ty < static_cast<int>(r.bottom); ++ty) {
    for (int tx = static_cast<int>(r.left); tx < static_cast<int>(r.right); ++tx) {
      const uint32_t texel = At(atlas, tx, ty);
      if ((texel >> 24) != 0xFF) continue;
      const int sx = x + tx - static_cast<int>(r.left);
      const int sy = y + ty - static_cast<int>(r.top);
      if ((At(frame, sx, sy) & 0xFFFFFF) != (texel & 0xFFFFFF)) ++bad;
    }
  }
  return bad;
}

TEST(FrameGlTest, TheGamesOwnPicturesReachTheScreen) {
  ASSERT_TRUE(std::filesystem::exists("data.dat")) << "the build makes data.dat";
  test::GameHarness::Options options;
  options.realRenderer = true;
  test::GameHarness game(options);
  ASSERT_EQ(game.Start(), 1);
  TaskKillAll();
  TextToGlyphs(g_glyphRow, plat::Utf8ToSjis("ようこそ西部辺境区へ").c_str());
  TaskStart(TaskAllocAt(kSlotEncounterWard), 1, 0, nullptr, DrawSampleFrame);
  game.Frames(1);
  const plat::Image frame = g_device->ReadFrame();
  ASSERT_EQ(frame.width, 640);
  ASSERT_EQ(frame.height, 480);
  const plat::Image atlas = ArchivePicture(kEntryAtlas);
  const plat::Image glyphs = ArchivePicture(kEntryGlyphs);

  // The window's frame and the digits land texel for texel.
  const AtlasRect top = {kAtlasPromptWindow.left, kAtlasPromptWindow.top, kAtlasPromptWindow.right,
                         kAtlasPromptWindow.top + 2};
  EXPECT_EQ(MismatchedOpaqueTexels(frame, atlas, top, 20, 20), 0);
  float x = kWindowX + 20;
  for (int d : {1, 2, 3, 4, 5, 6, 7}) {
    EXPECT_EQ(MismatchedOpaqueTexels(frame, atlas, g_digitsSmall[d], static_cast<int>(x), 40), 0) << d;
    x += RectWidth(g_digitsSmall[d]) + 1;
  }
  // The menu's cursor sits on row 1; its title is centred.
  EXPECT_EQ(MismatchedOpaqueTexels(frame, atlas, kAtlasMenuCursor, 404, 20 + 35 + 27), 0);
  // The first glyph of the line.
  ASSERT_NE(g_glyphRow[0], 0);
  EXPECT_EQ(MismatchedOpaqueTexels(frame, glyphs, g_glyphs[g_glyphRow[0]].rect, 40, 440), 0);
  // The model stands at the centre and the ground quad around it: neither is black.
  const glm::vec3 feet = Vec3Project({0, 0.5f, 0}, g_viewport, g_device->GetTransform(plat::TransformKind::Projection),
                                     g_device->GetTransform(plat::TransformKind::View), glm::mat4(1.0f));
  EXPECT_NE(At(frame, static_cast<int>(feet.x), static_cast<int>(feet.y)) & 0xFFFFFF, 0u);
  const glm::vec3 ground = Vec3Project({4, 0, 4}, g_viewport, g_device->GetTransform(plat::TransformKind::Projection),
                                       g_device->GetTransform(plat::TransformKind::View), glm::mat4(1.0f));
  EXPECT_NE(At(frame, static_cast<int>(ground.x), static_cast<int>(ground.y)) & 0xFFFFFF, 0u);
}

}  // namespace
