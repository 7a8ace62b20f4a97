// The renderer's objects and primitives through real OpenGL on the offscreen driver,
// checked in pixels.
#include <gtest/gtest.h>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/draw.h"
#include "engine/graphics.h"
#include "engine/util.h"
#include "platform/image.h"
#include "platform/mesh_io.h"
#include "support/gfx.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000;

uint32_t At(const plat::Image& frame, int x, int y) {
  return frame.pixels.at(static_cast<size_t>(y) * static_cast<size_t>(frame.width) + static_cast<size_t>(x));
}

class RenderGlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window_.device(), nullptr) << "no OpenGL on the offscreen driver";
    g_device = std::move(window_.owner());
    g_meshTextureCount = 0;  // material textures count from entry 37, whatever ran before
    GraphicsSetRenderStates();
    GraphicsSetViewport();
    g_device->Clear(kBlack, 1.0f);
    g_meshTextureCount = 0;  // material textures count from entry 37, whatever ran before
  }
  void TearDown() override {
    GraphicsRelease();  // before the window goes
    DataFileFree();
  }
  static plat::Image Show() {
    g_device->Present();
    return g_device->ReadFrame();
  }
  // The field camera at its usual place, looking at the origin.
  static void FieldView() {
    const float at[3] = {0, 0, 0};
    float eye[3] = {0, kCameraHeight, 0};
    PolarOffset(&eye[0], &eye[2], 0, 0, 270.0f, kCameraDistance);
    CameraSetView(at, eye);
  }
  // A square on the ground around the origin, its texture repeated `repeat` times.
  static void DrawGround(float half, float repeat, uint32_t colour, const plat::Texture* texture) {
    Vertex3D ground[4];
    SetVertex3D(&ground[0], -half, 0, half, 0, 0);
    SetVertex3D(&ground[1], half, 0, half, repeat, 0);
    SetVertex3D(&ground[2], half, 0, -half, repeat, repeat);
    SetVertex3D(&ground[3], -half, 0, -half, 0, repeat);
    DrawQuad3D(ground, colour, texture);
  }
  // Where a world point shows on screen under the device's current view.
  static std::pair<int, int> ScreenOf(float x, float y, float z) {
    const glm::vec3 p = Vec3Project({x, y, z}, g_viewport, g_device->GetTransform(plat::TransformKind::Projection),
                                    g_device->GetTransform(plat::TransformKind::View), glm::mat4(1.0f));
    return {static_cast<int>(p.x), static_cast<int>(p.y)};
  }
  test::GlWindow window_;
};

TEST_F(RenderGlTest, ASpriteFromTheAtlasLandsTexelForTexel) {
  const plat::Image atlas = test::MakeImage(128, 64, [](int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(x * 2) << 16 | static_cast<uint32_t>(y * 4) << 8 |
           static_cast<uint32_t>((x + y) & 0xFF);
  });
  auto texture = g_device->CreateTexture(atlas);
  DrawQuad2D({100, 50, 132, 82}, {40, 20, 72, 52}, 128, 64, 0xFFFFFFFF, texture.get());
  const plat::Image frame = Show();
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) ASSERT_EQ(At(frame, 100 + x, 50 + y), At(atlas, 40 + x, 20 + y)) << x << "," << y;
  }
  EXPECT_EQ(At(frame, 99, 60), kBlack);
  EXPECT_EQ(At(frame, 132, 60), kBlack);
}

TEST_F(RenderGlTest, TwoDimensionalPicturesStayOverTheSceneDrawnAfterThem) {
  DrawQuad2D({300, 220, 340, 260}, {0, 0, 1, 1}, 1, 1, 0xFFFF0000, nullptr);
  FieldView();
  DrawGround(5, 1, 0xFF00FF00, nullptr);
  const plat::Image frame = Show();
  EXPECT_EQ(At(frame, 320, 240), 0xFFFF0000u);
  EXPECT_EQ(At(frame, 280, 240), 0xFF00FF00u);
}

// A mesh from an X file drawn lit shows its emissive colour times its texture; a
// glowing shape shines in its vertex colour, faint where it faces the eye, so the black
// behind it is only tinted, bright and pale at its rim. Each on its own half of the
// screen.
TEST_F(RenderGlTest, LitMeshShowsEmissiveTimesTextureAndAShapeGlowsInItsVertexColour) {
  std::vector<test::Bytes> entries = test::RendererEntries({test::PngBytes(test::SolidImage(2, 2, 0xFFFFFF80))}, {});
  // One big quad across the ground in front of the camera, on the left; black diffuse,
  // which is not what shows.
  entries[kEntryMeshFirst] = test::ToBytes(
      "xof 0303txt 0032\nMesh {\n 4; -6;0;-4;, -1;0;-4;, -1;0;4;, -6;0;4;;\n 1; 4;0,1,2,3;;\n"
      " MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n"
      " MeshMaterialList { 1; 1; 0;; Material { 0;0;0;1;; 0; 0;0;0;; 0.5;1.0;0.25;; TextureFilename { \"t.png\"; } } "
      "}\n"
      "}\n");
  ASSERT_TRUE(test::InstallArchive(test::BuildArchive(entries)));
  g_meshTextureCount = 0;  // the material's picture is entry 37, whatever loaded meshes before
  ASSERT_EQ(MeshLoad(&g_meshes[0], kEntryMeshFirst), 1);
  ASSERT_NE(g_meshes[0].materialTextures[0], nullptr);
  ASSERT_EQ(MeshCreateSphere(&g_meshes[kMeshLargeSphere], 16, 3.4f, 0xFFFF0000), 1);
  FieldView();
  DrawMesh(g_meshes[0], glm::mat4(1.0f));
  DrawGlowAt(g_meshes[kMeshLargeSphere], 5, 0, 0);
  const plat::Image frame = Show();
  const auto [mx, my] = ScreenOf(-3.5f, 0, 0);
  const auto [sx, sy] = ScreenOf(5, 0, 0);
  const uint32_t lit = At(frame, mx, my);
  EXPECT_NEAR(static_cast<int>((lit >> 16) & 0xFF), 0x80, 1);  // 0.5 x 0xFF
  EXPECT_NEAR(static_cast<int>((lit >> 8) & 0xFF), 0xFF, 1);
  EXPECT_NEAR(static_cast<int>(lit & 0xFF), 0x20, 1);  // 0.25 x 0x80
  int edge = sx;
  while (edge < 639 && At(frame, edge + 1, sy) != kBlack) ++edge;
  const uint32_t middle = At(frame, sx, sy), rim = At(frame, edge, sy);
  EXPECT_EQ(middle & 0xFFFF, 0u);
  EXPECT_LT(middle >> 16 & 0xFF, 0xC0u);
  EXPECT_GT(rim >> 16 & 0xFF, 0xF0u) << "brighter at its rim";
  EXPECT_GT(rim >> 8 & 0xFF, 0x30u) << "and paler";
  // Again, held by the scene, with green ground drawn after it through its middle: the
  // sphere's front half, above the ground, tints it; the back half is hidden under it.
  g_device->Clear(kBlack, 1.0f);
  DrawGlowsHold();
  DrawGlowAt(g_meshes[kMeshLargeSphere], 5, 0, 0);
  g_device->SetTransform(plat::TransformKind::World, glm::mat4(1.0f));
  DrawGround(8, 1, 0xFF00FF00, nullptr);
  DrawGlowsHeld();
  const uint32_t tinted = At(Show(), sx, sy);
  EXPECT_GT(tinted >> 16 & 0xFF, 0x10u) << std::hex << tinted;
  EXPECT_GT(tinted >> 8 & 0xFF, 0x80u) << "the ground shows through";
}

// Opaque pure green in a loaded picture becomes fully transparent.
TEST_F(RenderGlTest, TheColourKeyMakesPureGreenTransparent) {
  const plat::Image picture = test::MakeImage(2, 1, [](int x, int) { return x ? 0xFF00FF00u : 0xFF0000FFu; });
  std::vector<test::Bytes> entries = test::RendererEntries({}, {});
  entries[kEntryAtlas] = test::PngBytes(picture);
  ASSERT_TRUE(test::InstallArchive(test::BuildArchive(entries)));
  ASSERT_EQ(TextureLoadEntry(&g_atlasTexture, kEntryAtlas), 1);
  g_device->Clear(0xFF404040, 1.0f);
  DrawQuad2D({10, 10, 12, 11}, {0, 0, 2, 1}, 2, 1, 0xFFFFFFFF, g_atlasTexture.get());
  const plat::Image frame = Show();
  EXPECT_EQ(At(frame, 10, 10), 0xFF0000FFu);
  EXPECT_EQ(At(frame, 11, 10), 0xFF404040u);
}

// A frame of several kinds of drawing: ground, shapes and a translucent panel.
TEST_F(RenderGlTest, AComposedFrameShowsGroundShapesAndAPanel) {
  ASSERT_EQ(MeshCreateTorus(&g_meshes[kMeshTorus], 0.2f, 2.0f, 32, 32, 0xFFFFFF00), 1);
  ASSERT_EQ(MeshCreateSphere(&g_meshes[kMeshSmallSphere], 8, 0.4f, 0xFFFFFF00), 1);
  auto checker = g_device->CreateTexture(
      test::MakeImage(8, 8, [](int x, int y) { return ((x / 4 + y / 4) % 2) ? 0xFF806040u : 0xFF406080u; }));
  FieldView();
  DrawGround(8, 4, 0xFFFFFFFF, checker.get());
  DrawShapeAtRotY(g_meshes[kMeshTorus], 0, 1, 0, 45.0f);
  DrawShapeAt(g_meshes[kMeshSmallSphere], 3, 0.5f, 2);
  DrawQuad2D({20, 380, 620, 460}, {0, 0, 1, 1}, 1, 1, 0xA0000080, nullptr);
  const plat::Image frame = Show();
  EXPECT_NE(At(frame, 320, 300), kBlack);                              // the ground
  EXPECT_EQ(At(frame, 320, 60), kBlack);                               // the sky above it
  EXPECT_NEAR(static_cast<int>(At(frame, 320, 420) & 0xFF), 0x50, 1);  // the panel, 0xA0 of 0x80 over black
}

}  // namespace
