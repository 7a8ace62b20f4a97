#include "engine/graphics.h"

#include <gtest/gtest.h>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/draw.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "platform/recording/gpu_recording.h"
#include "support/gfx.h"

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

}  // namespace
