// The renderer's objects made from the game's own data file.
#include "engine/graphics.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/draw.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "platform/recording/gpu_recording.h"
#include "support/gfx.h"
#include "support/harness.h"

namespace {

using test::Bytes;
using test::XMaterialDesc;

XMaterialDesc WithTexture(const std::string& name) {
  XMaterialDesc m;
  m.texture = name;
  return m;
}

// A picture whose width names it: material picture n is n + 1 texels wide.
Bytes Numbered(int n) { return test::PngBytes(test::SolidImage(n + 1, 1, 0xFFFFFFFF)); }

class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetDeviceBackend(plat::DeviceBackend::Recording);
    SettingsInit();
    plat::DeviceCreateLog().clear();
  }
  void TearDown() override {
    GraphicsRelease();
    DataFileFree();
    plat::SetDeviceCreateFailures(0);
    plat::DeviceCreateLog().clear();
    plat::SetDeviceBackend(plat::DeviceBackend::OpenGL);
  }
  // Mesh 0: textured, untextured, textured, textured; mesh 1: one textured; mesh 2: one
  // textured whose picture (entry 41) is not a picture; mesh 3: one textured.
  void InstallNumberingArchive() {
    std::vector<Bytes> pictures = {Numbered(0), Numbered(1),           Numbered(2),
                                   Numbered(3), test::ToBytes("junk"), Numbered(5)};
    const Bytes four = test::ToBytes(test::XMeshText(
        {WithTexture("a.png"), XMaterialDesc{}, WithTexture("b.png"), WithTexture("c.png")}, {0, 1, 2, 3}));
    const Bytes one = test::ToBytes(test::XMeshText({WithTexture("d.png")}, {0}));
    ASSERT_TRUE(test::InstallArchive(test::BuildArchive(test::RendererEntries(pictures, {four, one, one, one}))));
  }
  static int WidthOf(const MeshRecord& r, size_t material) {
    const auto& t = r.materialTextures.at(material);
    return t ? t->Width() : -1;
  }
};

TEST_F(GraphicsTest, InitBuildsEverythingFromTheArchive) {
  ASSERT_TRUE(test::InstallArchive(test::BuildArchive(test::RendererEntries({}, {}))));
  ASSERT_EQ(GraphicsInit(nullptr), 1);
  ASSERT_NE(g_device, nullptr);
  EXPECT_NE(g_atlasTexture, nullptr);
  EXPECT_NE(g_fontTexture, nullptr);
  for (const auto& t : g_textures) EXPECT_NE(t, nullptr);
  for (const MeshRecord& m : g_meshes) EXPECT_NE(m.mesh, nullptr);
  EXPECT_EQ(g_meshes[0].materialCount, 1u);
  EXPECT_EQ(g_meshes[kMeshTorus].materialCount, 0u);
  auto* rec = plat::CurrentRecordingDevice();
  EXPECT_TRUE(rec->zEnable);
  EXPECT_FALSE(rec->lighting);
  EXPECT_EQ(rec->viewport.width, 640);
  EXPECT_EQ(rec->viewport.height, 480);
  EXPECT_EQ(rec->viewport.maxZ, 1.0f);
  EXPECT_EQ(g_viewport.height, 480);
  // The first view looks down from (0, 100, 0.1) at (0, 100, 0).
  EXPECT_EQ(rec->GetTransform(plat::TransformKind::View), MatLookAtLH({0, 100, 0.1f}, {0, 100, 0}, {0, 1, 0}));
  EXPECT_EQ(rec->GetTransform(plat::TransformKind::Projection),
            MatPerspectiveFovLH(kCameraFovY, kCameraAspect, kCameraNear, kCameraFar));
}

TEST_F(GraphicsTest, MaterialTexturesTakeEntriesInLoadOrderWhetherOrNotTheyLoad) {
  InstallNumberingArchive();
  ASSERT_EQ(GraphicsInit(nullptr), 1);
  // Mesh 0's three textured materials take 37, 38, 39; mesh 1's one takes 40.
  EXPECT_EQ(WidthOf(g_meshes[0], 0), 1);
  EXPECT_EQ(WidthOf(g_meshes[0], 1), -1);
  EXPECT_EQ(WidthOf(g_meshes[0], 2), 2);
  EXPECT_EQ(WidthOf(g_meshes[0], 3), 3);
  EXPECT_EQ(WidthOf(g_meshes[1], 0), 4);
  // Entry 41 is no picture: mesh 2 draws untextured, and mesh 3 still takes 42.
  EXPECT_EQ(WidthOf(g_meshes[2], 0), -1);
  EXPECT_EQ(WidthOf(g_meshes[3], 0), 6);
  EXPECT_EQ(g_meshTextureCount, 6);
  // After a rebuild the numbering starts again at 37.
  GraphicsRelease();
  ASSERT_EQ(GraphicsInit(nullptr), 1);
  EXPECT_EQ(WidthOf(g_meshes[0], 0), 1);
  EXPECT_EQ(WidthOf(g_meshes[1], 0), 4);
  EXPECT_EQ(g_meshTextureCount, 6);
}

TEST_F(GraphicsTest, MaterialsKeepTheirFileOrderInTheRecord) {
  XMaterialDesc red, green;
  red.emissive[0] = 1.0f;
  green.emissive[1] = 1.0f;
  const Bytes mesh = test::ToBytes(test::XMeshText({red, green}, {1, 0}));
  ASSERT_TRUE(test::InstallArchive(test::BuildArchive(test::RendererEntries({}, {mesh}))));
  ASSERT_EQ(MeshLoad(&g_meshes[0], kEntryMeshFirst), 0) << "no device yet";
  ASSERT_EQ(GraphicsInit(nullptr), 1);
  const MeshRecord& r = g_meshes[0];
  ASSERT_EQ(r.materialCount, 2u);
  EXPECT_EQ(r.materials[0].emissive.r, 1.0f);
  EXPECT_EQ(r.materials[1].emissive.g, 1.0f);
  // Face 0 (at x = 0) uses material 1, face 1 (at x = 2) material 0.
  const plat::MeshData& d = r.mesh->Data();
  EXPECT_EQ(d.vertices.at(d.indices.at(d.subsets.at(0).firstIndex)).x, 2.0f);
  EXPECT_EQ(d.vertices.at(d.indices.at(d.subsets.at(1).firstIndex)).x, 0.0f);
  // Bounds over both triangles: x 0 to 3, y 0 to 1, z 0.
  EXPECT_EQ(r.sizeX, 3.0f);
  EXPECT_EQ(r.sizeY, 1.0f);
  EXPECT_EQ(r.sizeZ, 0.0f);
  EXPECT_EQ(r.boxMax[0], 3.0f);
  EXPECT_GT(r.radius, 1.5f);
}

TEST_F(GraphicsTest, BuiltShapesCarryTheirOneColourOnEveryVertex) {
  ASSERT_TRUE(test::InstallArchive(test::BuildArchive(test::RendererEntries({}, {}))));
  ASSERT_EQ(GraphicsInit(nullptr), 1);
  const std::pair<int, uint32_t> shapes[] = {
      {kMeshSmallSphere, 0xFFFFFF00}, {kMeshLargeSphere, 0xFFFF0000}, {kMeshTorus, 0xFFFFFF00}};
  for (auto [index, colour] : shapes) {
    const plat::MeshData& d = g_meshes[index].mesh->Data();
    ASSERT_FALSE(d.vertices.empty());
    for (const plat::MeshVertex& v : d.vertices) ASSERT_EQ(v.colour, colour) << "shape " << index;
  }
  EXPECT_EQ(g_meshes[kMeshSmallSphere].mesh->Data().vertices.size(), 2u + 8u * 7u);
  EXPECT_NEAR(g_meshes[kMeshSmallSphere].radius, 0.4f, 1e-4f);
  EXPECT_NEAR(g_meshes[kMeshLargeSphere].sizeY, 6.8f, 1e-4f);
  EXPECT_NEAR(g_meshes[kMeshTorus].sizeX, 4.4f, 1e-4f);
  EXPECT_NEAR(g_meshes[kMeshTorus].sizeZ, 0.4f, 1e-4f);
}

// Full screen at 16-bit: 60 Hz with hardware, then software processing, then the
// default rate with each.
TEST_F(GraphicsTest, DeviceFallBackOrderInFullScreen) {
  ASSERT_TRUE(test::InstallArchive(test::BuildArchive(test::RendererEntries({}, {}))));
  g_settings.windowed = 0;
  g_settings.colour32 = 0;
  plat::SetDeviceCreateFailures(3);
  ASSERT_EQ(GraphicsInit(nullptr), 1);
  const auto& log = plat::DeviceCreateLog();
  ASSERT_EQ(log.size(), 4u);
  const std::pair<int, bool> expected[] = {{60, false}, {60, true}, {0, false}, {0, true}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(log[i].refreshRate, expected[i].first) << i;
    EXPECT_EQ(log[i].softwareVertexProcessing, expected[i].second) << i;
    EXPECT_FALSE(log[i].windowed);
    EXPECT_FALSE(log[i].colour32);
    EXPECT_TRUE(log[i].depth24);
    EXPECT_TRUE(log[i].vsync);
  }
}

TEST_F(GraphicsTest, WindowedRoundsAskTheSameAndAllFourFailingGivesNoDevice) {
  ASSERT_TRUE(test::InstallArchive(test::BuildArchive(test::RendererEntries({}, {}))));
  g_settings.vsync = 0;
  g_settings.depth24 = 0;
  plat::SetDeviceCreateFailures(4);
  EXPECT_EQ(GraphicsInit(nullptr), 0);
  EXPECT_EQ(g_device, nullptr);
  const auto& log = plat::DeviceCreateLog();
  ASSERT_EQ(log.size(), 4u);
  for (const plat::DeviceParams& p : log) {
    EXPECT_TRUE(p.windowed);
    EXPECT_EQ(p.refreshRate, 0);
    EXPECT_FALSE(p.vsync);
    EXPECT_FALSE(p.depth24);
  }
  EXPECT_TRUE(log[1].softwareVertexProcessing);
  GraphicsRelease();
}

TEST_F(GraphicsTest, ABrokenMeshOrPictureFailsInitAndReleaseCleansUp) {
  std::vector<Bytes> entries = test::RendererEntries({}, {});
  entries[kEntryMeshFirst + 20] = test::ToBytes("xof 0303txt 0032\nMesh { 3; 0;0;0;; }");
  ASSERT_TRUE(test::InstallArchive(test::BuildArchive(entries)));
  EXPECT_EQ(GraphicsInit(nullptr), 0);
  EXPECT_NE(g_meshes[19].mesh, nullptr);  // what was built stays for the release
  GraphicsRelease();
  for (const MeshRecord& m : g_meshes) EXPECT_EQ(m.mesh, nullptr);
  EXPECT_EQ(g_device, nullptr);
  GraphicsRelease();  // and again, with nothing there

  entries = test::RendererEntries({}, {});
  entries[kEntryTextureFirst + 34] = test::ToBytes("not a picture");
  ASSERT_TRUE(test::InstallArchive(test::BuildArchive(entries)));
  EXPECT_EQ(GraphicsInit(nullptr), 0);
  EXPECT_NE(g_textures[33], nullptr);
  EXPECT_EQ(g_textures[34], nullptr);
  GraphicsRelease();
  EXPECT_EQ(g_atlasTexture, nullptr);
}

TEST_F(GraphicsTest, NoArchiveMeansNoTexturesOrMeshes) {
  g_device = plat::CreateDevice(nullptr, plat::DeviceParams{});
  std::unique_ptr<plat::Texture> texture;
  EXPECT_EQ(TextureLoadEntry(&texture, 0), 0);
  EXPECT_EQ(MeshLoad(&g_meshes[0], kEntryMeshFirst), 0);
  EXPECT_EQ(MeshComputeBounds(&g_meshes[0]), 0);
}

TEST_F(GraphicsTest, SetZEnableReachesTheDevice) {
  g_device = plat::CreateDevice(nullptr, plat::DeviceParams{});
  SetZEnable(0);
  EXPECT_FALSE(plat::CurrentRecordingDevice()->zEnable);
  SetZEnable(1);
  EXPECT_TRUE(plat::CurrentRecordingDevice()->zEnable);
}

// Start-up asks the device for each size's room before it makes the first texture of
// that size, and asks for exactly as many as it then makes: an array sized once never
// has to be moved as start-up fills it.
TEST(GraphicsStartUpTest, StartUpReservesRoomForEveryTextureItThenMakes) {
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
