// The OpenGL device on the offscreen driver, checked by reading frames back.
#include "platform/gpu_gl.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>

#include "platform/window.h"
#include "support/gfx.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000;

uint32_t At(const plat::Image& frame, int x, int y) {
  return frame.pixels.at(static_cast<size_t>(y) * static_cast<size_t>(frame.width) + static_cast<size_t>(x));
}

// Every texel of the picture different.
plat::Image Distinct(int w, int h) {
  return test::MakeImage(w, h, [](int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(x * 7) << 16 | static_cast<uint32_t>(y * 5) << 8 |
           static_cast<uint32_t>((x * 3 + y * 11) & 0xFF);
  });
}

// A screen quad of the classic kind: corners shifted by half a pixel.
void ScreenQuad(plat::Device& d, float l, float t, float r, float b, float sl, float st, float sr, float sb, float texW,
                float texH, uint32_t colour, float z = 0.0f) {
  const plat::ScreenVertex v[4] = {{l - 0.5f, t - 0.5f, z, 1, colour, sl / texW, st / texH},
                                   {r - 0.5f, t - 0.5f, z, 1, colour, sr / texW, st / texH},
                                   {r - 0.5f, b - 0.5f, z, 1, colour, sr / texW, sb / texH},
                                   {l - 0.5f, b - 0.5f, z, 1, colour, sl / texW, sb / texH}};
  d.SetVertexFormat(plat::VertexFormat::Screen);
  d.DrawScreenFan(v);
}

// A camera at the origin looking down +z; the square at depth 10 fills the middle of
// the screen.
void LookDownZ(plat::Device& d) {
  d.SetTransform(plat::TransformKind::World, glm::mat4(1.0f));
  d.SetTransform(plat::TransformKind::View, glm::lookAtLH(glm::vec3(0, 0, 0), glm::vec3(0, 0, 1), glm::vec3(0, 1, 0)));
  d.SetTransform(plat::TransformKind::Projection, glm::perspectiveLH_ZO(1.0f, 640.0f / 480.0f, 0.1f, 100.0f));
}

void WorldSquare(plat::Device& d, float half, float z, uint32_t colour) {
  const plat::WorldVertex v[4] = {{-half, half, z, colour, 0, 0},
                                  {half, half, z, colour, 1, 0},
                                  {half, -half, z, colour, 1, 1},
                                  {-half, -half, z, colour, 0, 1}};
  d.SetVertexFormat(plat::VertexFormat::WorldTextured);
  d.DrawWorldFan(v);
}

class GlDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(window_.device(), nullptr) << "no OpenGL on the offscreen driver"; }
  plat::Device& Dev() { return *window_.device(); }
  plat::Image Show() {
    Dev().Present();
    return Dev().ReadFrame();
  }
  test::GlWindow window_;
};

// Lit: the material's emissive colour times the texture, alpha from the diffuse
// colour; the vertex colour plays no part. Unlit: the vertex colour.
TEST_F(GlDeviceTest, MeshSubsetsShowEmissiveWhenLitAndVertexColourWhenNot) {
  plat::MeshData data;
  for (auto [x, y] : {std::pair{-1.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, -1.0f}, {-1.0f, -1.0f}}) {
    data.vertices.push_back(plat::MeshVertex{x, y, 5.0f, 0, 0, -1, 0xFF0000FF, (x + 1) / 2, (1 - y) / 2});
  }
  data.indices = {0, 1, 2, 0, 2, 3};
  data.subsets = {{0, 6}};
  auto mesh = Dev().CreateMesh(data);
  auto grey = Dev().CreateTexture(test::SolidImage(2, 2, 0xFF808080));
  plat::Material material;
  material.emissive = {1.0f, 0.5f, 0.0f, 1.0f};
  material.diffuse = {0.2f, 0.2f, 0.2f, 1.0f};

  Dev().Clear(kBlack, 1.0f);
  LookDownZ(Dev());
  Dev().SetLighting(true);
  Dev().SetMaterial(material);
  Dev().SetTexture(grey.get());
  Dev().DrawMeshSubset(*mesh, 0);
  plat::Image frame = Show();
  const uint32_t lit = At(frame, 320, 240);
  EXPECT_NEAR(static_cast<int>((lit >> 16) & 0xFF), 0x80, 1);
  EXPECT_NEAR(static_cast<int>((lit >> 8) & 0xFF), 0x40, 1);
  EXPECT_EQ(lit & 0xFF, 0u);

  Dev().Clear(kBlack, 1.0f);
  Dev().SetLighting(false);
  Dev().SetTexture(nullptr);
  Dev().SetVertexFormat(plat::VertexFormat::WorldColoured);
  Dev().DrawMeshSubset(*mesh, 0);
  Dev().DrawMeshSubset(*mesh, 7);  // no such subset: nothing
  frame = Show();
  EXPECT_EQ(At(frame, 320, 240), 0xFF0000FFu);
  EXPECT_EQ(At(frame, 5, 5), kBlack);
}

// The window shows the frame pixel for pixel, the right way up.
TEST_F(GlDeviceTest, TheWindowShowsThePresentedFrame) {
  auto texture = Dev().CreateTexture(Distinct(64, 48));
  Dev().Clear(0xFF203040, 1.0f);
  Dev().SetTexture(texture.get());
  ScreenQuad(Dev(), 10, 20, 74, 68, 0, 0, 64, 48, 64, 48, 0xFFFFFFFF);
  const plat::Image frame = Show();
  std::vector<uint32_t> window(frame.pixels.size());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadPixels(0, 0, 640, 480, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, window.data());
  int different = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x)
      different += (window[static_cast<size_t>((479 - y) * 640 + x)] | kBlack) != At(frame, x, y);
  }
  EXPECT_EQ(different, 0);
  EXPECT_EQ(At(frame, 10, 20), At(Distinct(64, 48), 0, 0));
}

TEST_F(GlDeviceTest, BadPicturesAndMeshesAreRefusedOrSkipped) {
  plat::Image wrong = test::SolidImage(4, 4, 0xFFFFFFFF);
  wrong.pixels.pop_back();
  EXPECT_EQ(Dev().CreateTexture(wrong), nullptr);
  EXPECT_EQ(Dev().CreateTexture(plat::Image{}), nullptr);
  // Indices past the vertices: kept, never drawn.
  plat::MeshData broken;
  broken.vertices.resize(3);
  broken.indices = {0, 1, 9};
  broken.subsets = {{0, 3}};
  auto mesh = Dev().CreateMesh(broken);
  ASSERT_NE(mesh, nullptr);
  Dev().Clear(kBlack, 1.0f);
  Dev().DrawMeshSubset(*mesh, 0);
  EXPECT_EQ(At(Show(), 320, 240), kBlack);
}

// Pictures of one size share an array: made into room reserved for them, into an array
// grown as they come, or both, each keeps its own texels.
TEST_F(GlDeviceTest, PicturesOfOneSizeKeepTheirTexelsWhetherTheirRoomWasReservedOrGrown) {
  const struct {
    const char* name;
    int reserved, made;
  } cases[] = {{"grown", 0, 9}, {"reserved", 6, 6}, {"reserved, then grown", 3, 9}, {"reserved twice", 2, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::unique_ptr<plat::Texture>> textures;
    const auto colour = [](int i) { return 0xFF000000u | static_cast<uint32_t>(20 * i + 15) << 16 | 0x80u; };
    Dev().ReserveTextures(8, 8, c.reserved);
    if (std::string(c.name) == "reserved twice") Dev().ReserveTextures(8, 8, c.made);
    for (int i = 0; i < c.made; ++i) {
      textures.push_back(Dev().CreateTexture(test::SolidImage(8, 8, colour(i))));
      ASSERT_NE(textures.back(), nullptr);
    }
    Dev().Clear(kBlack, 1.0f);
    for (int i = 0; i < c.made; ++i) {
      Dev().SetTexture(textures[static_cast<size_t>(i)].get());
      const float x = 10.0f + 20.0f * static_cast<float>(i);
      ScreenQuad(Dev(), x, 10, x + 8, 18, 0, 0, 8, 8, 8, 8, 0xFFFFFFFF);
    }
    const plat::Image frame = Show();
    for (int i = 0; i < c.made; ++i) EXPECT_EQ(At(frame, 14 + 20 * i, 14), colour(i)) << "picture " << i;
    EXPECT_EQ(Dev().LastFrameStats().textures, 1) << "one array";
  }
}

// Mesh subsets join the faces' batch, each vertex taking its own transform and material
// from the batch's table: a textured square, a mesh of two squares lit in two materials
// and moved by two transforms, a shape in vertex colour, a translucent square, and then
// more moves than one table holds. Batched, the picture is the one separate draws give,
// in fewer draws.
TEST_F(GlDeviceTest, MeshesJoinTheBatchAndDrawWhatTheyDrawAlone) {
  plat::MeshData data;
  // Two squares side by side at depth 10, four vertices each; the second subset's
  // indices reach back into the first's vertices too.
  for (float left : {-3.0f, 0.5f}) {
    for (auto [x, y] : {std::pair{0.0f, 1.0f}, {2.5f, 1.0f}, {2.5f, -1.0f}, {0.0f, -1.0f}}) {
      data.vertices.push_back(plat::MeshVertex{left + x, y, 10.0f, 0, 0, -1, 0xFF00FF00, x / 2.5f, (1 - y) / 2});
    }
  }
  data.indices = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7, 3, 2, 6};
  data.subsets = {{0, 6}, {6, 9}};
  const auto mesh = Dev().CreateMesh(data);
  const auto pale = Dev().CreateTexture(Distinct(4, 4));
  const auto grey = Dev().CreateTexture(test::SolidImage(4, 4, 0xFFC0C0C0));
  const auto material = [](float r, float g, float b, float a) {
    plat::Material m;
    m.emissive = {r, g, b, 1.0f};
    m.diffuse = {0, 0, 0, a};
    return m;
  };
  const auto draw = [&](bool batched, int moves) {
    plat::SetGlBatching(batched);
    Dev().Clear(kBlack, 1.0f);
    LookDownZ(Dev());
    Dev().SetTexture(pale.get());
    WorldSquare(Dev(), 4.0f, 12.0f, 0xFFFFFFFF);
    Dev().SetVertexFormat(plat::VertexFormat::WorldTextured);
    Dev().SetLighting(true);
    Dev().SetTexture(grey.get());
    Dev().SetMaterial(material(1.0f, 0.5f, 0.0f, 1.0f));
    Dev().SetTransform(plat::TransformKind::World, glm::translate(glm::mat4(1.0f), glm::vec3(0, 0.5f, 0)));
    Dev().DrawMeshSubset(*mesh, 0);
    Dev().SetMaterial(material(0.0f, 0.25f, 1.0f, 1.0f));
    Dev().SetTransform(plat::TransformKind::World, glm::translate(glm::mat4(1.0f), glm::vec3(0, -0.5f, -1)));
    Dev().DrawMeshSubset(*mesh, 1);
    Dev().SetLighting(false);
    Dev().SetTexture(nullptr);
    Dev().SetVertexFormat(plat::VertexFormat::WorldColoured);
    Dev().SetTransform(plat::TransformKind::World, glm::translate(glm::mat4(1.0f), glm::vec3(1, 1.5f, -2)));
    Dev().DrawMeshSubset(*mesh, 0);
    Dev().SetVertexFormat(plat::VertexFormat::WorldTextured);
    Dev().SetLighting(true);
    Dev().SetTexture(grey.get());
    Dev().SetMaterial(material(1.0f, 1.0f, 1.0f, 0.5f));
    for (int i = 0; i < moves; ++i) {
      const float x = -3.0f + 0.3f * static_cast<float>(i);
      Dev().SetTransform(plat::TransformKind::World, glm::translate(glm::mat4(1.0f), glm::vec3(x, -1.5f, -3)));
      Dev().DrawMeshSubset(*mesh, 0);
    }
    Dev().SetLighting(false);
    Dev().SetTransform(plat::TransformKind::World, glm::mat4(1.0f));
    const plat::Image frame = Show();
    plat::SetGlBatching(true);
    return std::pair{frame, Dev().LastFrameStats().drawCalls};
  };
  const struct { int moves, batchedDraws; } cases[] = {{1, 3}, {20, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.moves) + " moves");
    const auto [batched, batchedDraws] = draw(true, c.moves);
    const auto [separate, separateDraws] = draw(false, c.moves);
    EXPECT_EQ(batched.pixels, separate.pixels);
    EXPECT_EQ(separateDraws, 4 + c.moves);
    EXPECT_EQ(batchedDraws, c.batchedDraws);
    EXPECT_NE(At(batched, 320, 240), kBlack);
  }
}

// Squares one after another, each with its own texture of one size, so batched they
// go in one draw; the picture must be the one separate draws give.
struct Square {
  float half, z;
  uint32_t texel;   // the texture's one colour
  uint32_t colour;  // the vertex colour
};
struct BatchCase {
  const char* name;
  std::vector<Square> squares;
  uint32_t centre;  // what the middle of the screen shows
};

void PrintTo(const BatchCase& c, std::ostream* out) { *out << c.name; }

class GlBatchTest : public GlDeviceTest, public ::testing::WithParamInterface<BatchCase> {
 protected:
  plat::Image Draw(bool batched, int* draws) {
    plat::SetGlBatching(batched);
    std::vector<std::unique_ptr<plat::Texture>> textures;
    Dev().Clear(kBlack, 1.0f);
    LookDownZ(Dev());
    for (const Square& s : GetParam().squares) {
      textures.push_back(Dev().CreateTexture(test::SolidImage(4, 4, s.texel)));
      Dev().SetTexture(textures.back().get());
      WorldSquare(Dev(), s.half, s.z, s.colour);
    }
    const plat::Image frame = Show();
    *draws = Dev().LastFrameStats().drawCalls;
    return frame;
  }
};

TEST_P(GlBatchTest, OneDrawGivesThePictureOfSeparateOnes) {
  int batchedDraws = 0, separateDraws = 0;
  const plat::Image batched = Draw(true, &batchedDraws);
  const plat::Image separate = Draw(false, &separateDraws);
  EXPECT_EQ(batched.pixels, separate.pixels);
  EXPECT_EQ(batchedDraws, 1);
  EXPECT_EQ(separateDraws, static_cast<int>(GetParam().squares.size()));
  EXPECT_EQ(At(batched, 320, 240), GetParam().centre);
}

INSTANTIATE_TEST_SUITE_P(
    Faces, GlBatchTest,
    ::testing::Values(
        // Same depth: the later face wins where they overlap.
        BatchCase{"SameDepth", {{2, 10, 0xFFFF0000, ~0u}, {1, 10, 0xFF0000FF, ~0u}}, 0xFF0000FF},
        // Translucent faces blend over what is there in the order they came.
        BatchCase{"Translucent",
                  {{2, 10, 0xFFFF0000, ~0u}, {1, 10, 0xFF00FF00, 0x80FFFFFF}, {1, 10, 0xFF0000FF, 0x80FFFFFF}},
                  0xFF3F4080},
        // A clear texel in front keeps the depth it writes: a later face behind it stays hidden.
        BatchCase{"ClearInFront", {{1, 5, 0x00000000, ~0u}, {2, 10, 0xFFFF0000, ~0u}}, kBlack}),
    [](const ::testing::TestParamInfo<BatchCase>& c) { return std::string(c.param.name); });

TEST_F(GlDeviceTest, APictureAtItsOwnSizeLandsTexelForTexel) {
  const plat::Image picture = Distinct(32, 32);
  auto texture = Dev().CreateTexture(picture);
  ASSERT_NE(texture, nullptr);
  Dev().Clear(kBlack, 1.0f);
  Dev().SetTexture(texture.get());
  ScreenQuad(Dev(), 100, 50, 132, 82, 0, 0, 32, 32, 32, 32, 0xFFFFFFFF);
  const plat::Image frame = Show();
  ASSERT_EQ(frame.width, 640);
  ASSERT_EQ(frame.height, 480);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) ASSERT_EQ(At(frame, 100 + x, 50 + y), At(picture, x, y)) << x << "," << y;
  }
  // Nothing spills onto the pixels around it.
  for (int i = -1; i <= 32; ++i) {
    EXPECT_EQ(At(frame, 99, 50 + (i < 0 ? 0 : i > 31 ? 31 : i)), kBlack);
    EXPECT_EQ(At(frame, 132, 50 + (i < 0 ? 0 : i > 31 ? 31 : i)), kBlack);
    EXPECT_EQ(At(frame, 100 + (i < 0 ? 0 : i > 31 ? 31 : i), 49), kBlack);
    EXPECT_EQ(At(frame, 100 + (i < 0 ? 0 : i > 31 ? 31 : i), 82), kBlack);
  }
}

TEST_F(GlDeviceTest, APieceCutFromALargerTextureLandsTexelForTexel) {
  const plat::Image atlas = Distinct(64, 64);
  auto texture = Dev().CreateTexture(atlas);
  Dev().Clear(kBlack, 1.0f);
  Dev().SetTexture(texture.get());
  ScreenQuad(Dev(), 7, 300, 39, 320, 16, 8, 48, 28, 64, 64, 0xFFFFFFFF);
  const plat::Image frame = Show();
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 32; ++x) ASSERT_EQ(At(frame, 7 + x, 300 + y), At(atlas, 16 + x, 8 + y)) << x << "," << y;
  }
}

TEST_F(GlDeviceTest, TextureCoordinatesWrapAndAreNotFiltered) {
  const plat::Image picture = Distinct(8, 8);
  auto texture = Dev().CreateTexture(picture);
  Dev().Clear(kBlack, 1.0f);
  Dev().SetTexture(texture.get());
  ScreenQuad(Dev(), 0, 0, 24, 8, 0, 0, 24, 8, 8, 8, 0xFFFFFFFF);  // three times across
  const plat::Image frame = Show();
  for (int x = 0; x < 24; ++x) EXPECT_EQ(At(frame, x, 3), At(picture, x % 8, 3)) << x;
}

TEST_F(GlDeviceTest, VertexColourModulatesTheTextureAndBlendsByItsAlpha) {
  auto white = Dev().CreateTexture(test::SolidImage(4, 4, 0xFFFFFFFF));
  Dev().Clear(0xFF0000FF, 1.0f);
  Dev().SetTexture(white.get());
  ScreenQuad(Dev(), 0, 0, 4, 4, 0, 0, 4, 4, 4, 4, 0xFF00FF00);  // opaque green
  Dev().SetTexture(nullptr);
  ScreenQuad(Dev(), 10, 0, 14, 4, 0, 0, 1, 1, 1, 1, 0xFFFF0000);  // no texture: the colour alone
  ScreenQuad(Dev(), 20, 0, 24, 4, 0, 0, 1, 1, 1, 1, 0x80FF0000);  // half red over blue
  ScreenQuad(Dev(), 30, 0, 34, 4, 0, 0, 1, 1, 1, 1, 0x00FF0000);  // invisible
  const plat::Image frame = Show();
  EXPECT_EQ(At(frame, 1, 1), 0xFF00FF00u);
  EXPECT_EQ(At(frame, 11, 1), 0xFFFF0000u);
  const uint32_t mix = At(frame, 21, 1);
  EXPECT_NEAR(static_cast<int>((mix >> 16) & 0xFF), 128, 2);
  EXPECT_NEAR(static_cast<int>(mix & 0xFF), 127, 2);
  EXPECT_EQ(At(frame, 31, 1), 0xFF0000FFu);
}

TEST_F(GlDeviceTest, TransparentTexelsLetTheSceneThrough) {
  const plat::Image picture = test::MakeImage(2, 1, [](int x, int) { return x ? 0x00000000u : 0xFFFFFFFFu; });
  auto texture = Dev().CreateTexture(picture);
  Dev().Clear(0xFF102030, 1.0f);
  Dev().SetTexture(texture.get());
  ScreenQuad(Dev(), 0, 0, 2, 1, 0, 0, 2, 1, 2, 1, 0xFFFFFFFF);
  const plat::Image frame = Show();
  EXPECT_EQ(At(frame, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(At(frame, 1, 0), 0xFF102030u);
}

// A picture drawn earlier in the frame stays on top of later 3D: screen quads sit at
// depth 0 and write it.
TEST_F(GlDeviceTest, AScreenPictureStaysOverLater3D) {
  Dev().Clear(kBlack, 1.0f);
  Dev().SetTexture(nullptr);
  ScreenQuad(Dev(), 300, 220, 340, 260, 0, 0, 1, 1, 1, 1, 0xFFFF0000);
  LookDownZ(Dev());
  WorldSquare(Dev(), 2.0f, 10.0f, 0xFF00FF00);
  const plat::Image frame = Show();
  EXPECT_EQ(At(frame, 320, 240), 0xFFFF0000u);  // the picture
  EXPECT_EQ(At(frame, 280, 240), 0xFF00FF00u);  // the square around it
}

TEST_F(GlDeviceTest, WithDepthOffLater3DCoversThePicture) {
  Dev().Clear(kBlack, 1.0f);
  Dev().SetTexture(nullptr);
  ScreenQuad(Dev(), 300, 220, 340, 260, 0, 0, 1, 1, 1, 1, 0xFFFF0000);
  Dev().SetZEnable(false);
  LookDownZ(Dev());
  WorldSquare(Dev(), 2.0f, 10.0f, 0xFF00FF00);
  const plat::Image frame = Show();
  EXPECT_EQ(At(frame, 320, 240), 0xFF00FF00u);
}

TEST_F(GlDeviceTest, NearerWorldSurfacesHideFartherOnes) {
  Dev().Clear(kBlack, 1.0f);
  Dev().SetTexture(nullptr);
  LookDownZ(Dev());
  WorldSquare(Dev(), 1.0f, 10.0f, 0xFFFF0000);
  WorldSquare(Dev(), 4.0f, 20.0f, 0xFF0000FF);  // behind, drawn later
  const plat::Image frame = Show();
  EXPECT_EQ(At(frame, 320, 240), 0xFFFF0000u);
  EXPECT_EQ(At(frame, 320, 180), 0xFF0000FFu);
}

TEST_F(GlDeviceTest, ATextureReleasedWhileSetIsForgotten) {
  auto texture = Dev().CreateTexture(test::SolidImage(1, 1, 0xFF00FF00));
  Dev().SetTexture(texture.get());
  texture.reset();
  Dev().Clear(kBlack, 1.0f);
  ScreenQuad(Dev(), 0, 0, 2, 2, 0, 0, 1, 1, 1, 1, 0xFFFF0000);  // drawn untextured
  EXPECT_EQ(At(Show(), 1, 1), 0xFFFF0000u);
}

TEST_F(GlDeviceTest, ReadFrameGivesTheLastPresentedFrameNotTheOneInProgress) {
  Dev().Clear(0xFFFF0000, 1.0f);
  Dev().Present();
  Dev().Clear(0xFF00FF00, 1.0f);
  EXPECT_EQ(At(Dev().ReadFrame(), 10, 10), 0xFFFF0000u);
  EXPECT_EQ(At(Show(), 10, 10), 0xFF00FF00u);
}

TEST_F(GlDeviceTest, TransformsReadBackAsSet) {
  const glm::mat4 view = glm::lookAtLH(glm::vec3(1, 2, 3), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
  Dev().SetTransform(plat::TransformKind::View, view);
  EXPECT_EQ(Dev().GetTransform(plat::TransformKind::View), view);
  EXPECT_EQ(Dev().GetTransform(plat::TransformKind::World), glm::mat4(1.0f));
}

TEST(GlDeviceLifetimeTest, ReleaseAndRecreateManyTimesInOneWindow) {
  test::GlWindow window;
  ASSERT_NE(window.device(), nullptr);
  for (int round = 0; round < 4; ++round) {
    window.owner().reset();
    window.owner() = plat::CreateGlDevice(plat::WindowHandle(), plat::DeviceParams{});
    ASSERT_NE(window.device(), nullptr) << "round " << round;
    auto texture = window.device()->CreateTexture(test::SolidImage(1, 1, 0xFF123456));
    window.device()->Clear(kBlack, 1.0f);
    window.device()->SetTexture(texture.get());
    ScreenQuad(*window.device(), 0, 0, 1, 1, 0, 0, 1, 1, 1, 1, 0xFFFFFFFF);
    window.device()->Present();
    EXPECT_EQ(At(window.device()->ReadFrame(), 0, 0), 0xFF123456u);
  }
}

TEST(GlDeviceLifetimeTest, ATextureOutlivingItsDeviceIsHarmless) {
  test::GlWindow window;
  ASSERT_NE(window.device(), nullptr);
  auto texture = window.device()->CreateTexture(test::SolidImage(1, 1, 0xFFFFFFFF));
  window.owner().reset();
  texture.reset();  // its context is gone: nothing to delete
  SUCCEED();
}

TEST(GlDeviceLifetimeTest, FullScreenSixteenBitAndShallowDepthStillDraw) {
  plat::DeviceParams params;
  params.windowed = false;
  params.colour32 = false;
  params.depth24 = false;
  params.vsync = false;
  params.refreshRate = 60;
  test::GlWindow window(params);
  ASSERT_NE(window.device(), nullptr);
  window.device()->Clear(0xFFFF0000, 1.0f);
  window.device()->Present();
  EXPECT_EQ(At(window.device()->ReadFrame(), 320, 240), 0xFFFF0000u);
}

TEST(GlDeviceLifetimeTest, NoWindowOrAWindowWithoutOpenGLGivesNoDevice) {
  EXPECT_EQ(plat::CreateGlDevice(nullptr, plat::DeviceParams{}), nullptr);
  ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
  SDL_Window* plain = SDL_CreateWindow("plain", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plat::CreateGlDevice(plain, plat::DeviceParams{}), nullptr);
  SDL_DestroyWindow(plain);
  SDL_Quit();
}

}  // namespace
