// The built models through the game's own loader: each reads back whole with its
// textured materials in materials.list order, stands on the ground, faces -z and has the
// size its role in the character table needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/characters.h"
#include "platform/image.h"
#include "platform/mesh_io.h"
#include "support/content_tools.h"
#include "support/files.h"

namespace {

constexpr int kModelCount = 35;
constexpr int kFrontStripRows = 4;  // the front marker paint's rows at the top of each texture

std::string Numbered(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "models/mesh_%03d", i);
  return test::GeneratedPath(name);
}

struct BuiltModel {
  bool loaded = false;
  plat::MeshData mesh;
  std::vector<plat::MeshMaterial> materials;
  int texHeight = 0;
  float min[3] = {1e9f, 1e9f, 1e9f}, max[3] = {-1e9f, -1e9f, -1e9f};
  float Height() const { return max[1] - min[1]; }
};

const std::vector<BuiltModel>& Built() {
  static const std::vector<BuiltModel> models = [] {
    std::vector<BuiltModel> all(kModelCount);
    for (int i = 0; i < kModelCount; ++i) {
      BuiltModel& m = all[i];
      const test::Bytes x = test::ReadFile(Numbered(i) + ".x");
      m.loaded = plat::LoadXMesh(x.data(), x.size(), m.mesh, m.materials);
      const test::Bytes png = test::ReadFile(Numbered(i) + ".png");
      plat::Image picture;
      if (plat::DecodeImage(png.data(), png.size(), picture)) m.texHeight = picture.height;
      for (const plat::MeshVertex& v : m.mesh.vertices) {
        const float p[3] = {v.x, v.y, v.z};
        for (int k = 0; k < 3; ++k) m.min[k] = std::min(m.min[k], p[k]), m.max[k] = std::max(m.max[k], p[k]);
      }
    }
    return all;
  }();
  return models;
}

TEST(BuiltModels, EveryModelStandsOnTheGroundAndFacesMinusZ) {
  for (int i = 0; i < kModelCount; ++i) {
    SCOPED_TRACE(Numbered(i));
    const BuiltModel& m = Built()[i];
    ASSERT_FALSE(m.mesh.vertices.empty());
    EXPECT_NEAR(m.min[1], 0.0, 0.002);
    // The front marker (eyes, a lock, a sign's nails...) lies in the texture's top strip
    // and on the model's -z side.
    float sumZ = 0;
    int count = 0;
    for (const plat::MeshVertex& v : m.mesh.vertices) {
      if (v.v * static_cast<float>(m.texHeight) < kFrontStripRows) sumZ += v.z, ++count;
    }
    ASSERT_GT(count, 0) << "no front marker";
    EXPECT_LT(sumZ / static_cast<float>(count), 0.0f);
  }
}

}  // namespace
