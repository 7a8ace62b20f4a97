// The built models: every X file reads back through the game's loader, its textured
// materials line up with materials.list, and each model stands on the ground, faces -z
// and has the size its role needs. The model tool gives the
// same bytes twice and stops on a bad description.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/characters.h"
#include "platform/image.h"
#include "platform/mesh_io.h"
#include "support/content_tools.h"
#include "support/files.h"
#include "support/harness.h"

namespace {

constexpr int kModelCount = 35;
constexpr int kMaxMaterialTextures = 90;
constexpr int kFrontStripRows = 4;  // the front marker paint's rows at the top of each texture

// ---------------------------------------------------------------------------------
// The built models as the game's own loader reads them.

struct XMaterial {
  double colour[4] = {};
  double emissive[3] = {};
  std::string texture;
};

struct XMesh {
  std::vector<std::array<double, 3>> positions;
  std::vector<std::array<double, 2>> uvs;
  size_t normalCount = 0;
  std::vector<std::array<uint32_t, 3>> faces;
  std::vector<uint32_t> faceMaterial;
  std::vector<XMaterial> materials;
};

// Empty when the loader refuses the file, else a description of what went wrong.
std::string ReadXMesh(const test::Bytes& bytes, XMesh& out) {
  plat::MeshData data;
  std::vector<plat::MeshMaterial> materials;
  if (!plat::LoadXMesh(bytes.data(), bytes.size(), data, materials)) return "the game's loader refuses it";
  const auto d = [](float f) { return static_cast<double>(f); };
  for (const plat::MeshVertex& v : data.vertices) {
    out.positions.push_back({d(v.x), d(v.y), d(v.z)});
    out.uvs.push_back({d(v.u), d(v.v)});
  }
  for (size_t subset = 0; subset < data.subsets.size(); ++subset) {
    const plat::MeshSubset& s = data.subsets[subset];
    for (uint32_t i = s.firstIndex; i + 2 < s.firstIndex + s.indexCount; i += 3) {
      out.faces.push_back({data.indices[i], data.indices[i + 1], data.indices[i + 2]});
      out.faceMaterial.push_back(static_cast<uint32_t>(subset));
    }
  }
  for (const plat::MeshMaterial& m : materials) {
    const plat::Material& c = m.material;
    out.materials.push_back({{d(c.diffuse.r), d(c.diffuse.g), d(c.diffuse.b), d(c.diffuse.a)},
                             {d(c.emissive.r), d(c.emissive.g), d(c.emissive.b)},
                             m.textureFile});
  }
  return "";
}

// ---------------------------------------------------------------------------------

std::string Numbered(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "mesh_%03d", i);
  return name;
}

struct BuiltModel {
  XMesh mesh;
  std::string error;
  int texWidth = 0, texHeight = 0;
  std::vector<uint32_t> texture;  // ARGB
  std::array<double, 3> min{}, max{};
  double Height() const { return max[1] - min[1]; }
};

const std::vector<BuiltModel>& Built() {
  static const std::vector<BuiltModel> models = [] {
    std::vector<BuiltModel> all(kModelCount);
    for (int i = 0; i < kModelCount; ++i) {
      BuiltModel& m = all[i];
      const test::Bytes x = test::ReadFile(test::GeneratedPath("models/" + Numbered(i) + ".x"));
      m.error = ReadXMesh(x, m.mesh);
      const test::Bytes png = test::ReadFile(test::GeneratedPath("models/" + Numbered(i) + ".png"));
      plat::Image picture;
      if (plat::DecodeImage(png.data(), png.size(), picture)) {
        m.texWidth = picture.width;
        m.texHeight = picture.height;
        m.texture = std::move(picture.pixels);
      }
      if (m.mesh.positions.empty()) continue;
      m.min = m.max = m.mesh.positions.front();
      for (const auto& p : m.mesh.positions) {
        for (int k = 0; k < 3; ++k) {
          m.min[k] = std::min(m.min[k], p[k]);
          m.max[k] = std::max(m.max[k], p[k]);
        }
      }
    }
    return all;
  }();
  return models;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

TEST(BuiltModels, EveryXFileReadsBackWhole) {
  for (int i = 0; i < kModelCount; ++i) {
    SCOPED_TRACE(Numbered(i));
    const BuiltModel& m = Built()[i];
    ASSERT_EQ(m.error, "");
    EXPECT_GT(m.mesh.faces.size(), 20u);
    if (m.mesh.normalCount) {
      EXPECT_EQ(m.mesh.normalCount, m.mesh.positions.size());
    }
    ASSERT_EQ(m.mesh.uvs.size(), m.mesh.positions.size());
    for (const auto& uv : m.mesh.uvs) {
      EXPECT_TRUE(uv[0] >= 0 && uv[0] <= 1 && uv[1] >= 0 && uv[1] <= 1);
    }
    ASSERT_FALSE(m.mesh.materials.empty());
    std::vector<bool> used(m.mesh.materials.size(), false);
    for (uint32_t f : m.mesh.faceMaterial) used[f] = true;
    for (size_t k = 0; k < used.size(); ++k) EXPECT_TRUE(used[k]) << "material " << k << " draws nothing";
    for (const XMaterial& mat : m.mesh.materials) {
      // The game shows emissive times texture, with the diffuse alpha as the alpha.
      EXPECT_GT(mat.emissive[0] + mat.emissive[1] + mat.emissive[2], 0.0);
      EXPECT_TRUE(mat.colour[3] > 0.05 && mat.colour[3] <= 1.0);
    }
  }
}

TEST(BuiltModels, TexturedMaterialsTakeTheListEntriesInLoadOrder) {
  const auto list = ReadLines(test::GeneratedPath("models/materials.list"));
  size_t next = 0;
  for (int i = 0; i < kModelCount; ++i) {
    for (const XMaterial& mat : Built()[i].mesh.materials) {
      if (mat.texture.empty()) continue;
      ASSERT_LT(next, list.size()) << Numbered(i) << " needs more list entries";
      const std::string& path = list[next++];
      EXPECT_TRUE(std::filesystem::path(path).is_absolute()) << path;
      EXPECT_TRUE(std::filesystem::exists(path)) << path;
      EXPECT_EQ(std::filesystem::path(path).filename().string(), mat.texture) << "entry " << 37 + next - 1;
    }
  }
  EXPECT_EQ(next, list.size()) << "materials.list has entries no material takes";
  EXPECT_LE(list.size(), static_cast<size_t>(kMaxMaterialTextures));
}

TEST(BuiltModels, TexturesArePowerOfTwoAndNeverTheColourKey) {
  for (int i = 0; i < kModelCount; ++i) {
    SCOPED_TRACE(Numbered(i));
    const BuiltModel& m = Built()[i];
    ASSERT_GT(m.texWidth, 0);
    EXPECT_EQ(m.texWidth & (m.texWidth - 1), 0);
    EXPECT_EQ(m.texHeight & (m.texHeight - 1), 0);
    size_t keyed = 0;
    for (uint32_t p : m.texture) keyed += p == 0xFF00FF00u ? 1 : 0;
    EXPECT_EQ(keyed, 0u) << "opaque pure green turns transparent in the game";
  }
}

TEST(BuiltModels, EveryModelStandsOnTheGroundAndFacesMinusZ) {
  for (int i = 0; i < kModelCount; ++i) {
    SCOPED_TRACE(Numbered(i));
    const BuiltModel& m = Built()[i];
    ASSERT_FALSE(m.mesh.positions.empty());
    EXPECT_NEAR(m.min[1], 0.0, 0.002);
    // The front marker (eyes, a lock, a sign's nails...) lies in the texture's top strip;
    // it sits on the -z side of the part of the model at its height.
    double sumY = 0, sumZ = 0;
    int count = 0;
    for (size_t v = 0; v < m.mesh.uvs.size(); ++v) {
      if (m.mesh.uvs[v][1] * m.texHeight < kFrontStripRows) {
        sumY += m.mesh.positions[v][1];
        sumZ += m.mesh.positions[v][2];
        ++count;
      }
    }
    ASSERT_GT(count, 0) << "no front marker";
    const double markerY = sumY / count, markerZ = sumZ / count;
    double bandMin = markerZ, bandMax = markerZ;
    for (const auto& f : m.mesh.faces) {
      double low = 1e9, high = -1e9;
      for (uint32_t v : f) {
        low = std::min(low, m.mesh.positions[v][1]);
        high = std::max(high, m.mesh.positions[v][1]);
      }
      if (high < markerY - 0.25 || low > markerY + 0.25) continue;
      for (uint32_t v : f) {
        bandMin = std::min(bandMin, m.mesh.positions[v][2]);
        bandMax = std::max(bandMax, m.mesh.positions[v][2]);
      }
    }
    EXPECT_LT(markerZ, 0.0);
    EXPECT_LT(markerZ, (bandMin + bandMax) * 0.5);
  }
}

TEST(BuiltModels, TrianglesWindOutward) {
  // Front faces are clockwise seen from outside; with (b - a) x (c - a)
  // pointing outward the enclosed volume comes out positive.
  for (int i = 0; i < kModelCount; ++i) {
    const XMesh& mesh = Built()[i].mesh;
    double volume = 0;
    for (const auto& f : mesh.faces) {
      const auto& a = mesh.positions[f[0]];
      const auto& b = mesh.positions[f[1]];
      const auto& c = mesh.positions[f[2]];
      volume += (a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
                 a[2] * (b[0] * c[1] - b[1] * c[0])) /
                6.0;
    }
    EXPECT_GT(volume, 0.0) << Numbered(i);
  }
}

TEST(BuiltModels, SizesSuitTheCharacterTable) {
  double tallestHero = 0, shortestHero = 100;
  for (int row = 0; row < kPartyRows; ++row) {
    const int model = g_characterTable[row].model;
    ASSERT_TRUE(model >= 0 && model < kModelCount);
    const BuiltModel& m = Built()[model];
    // Tall, thin figures on 2-unit cells, large enough to read at the field camera and
    // under the 3.5 where the battle's acted mark floats over a unit.
    EXPECT_GE(m.Height(), 2.9) << "hero model " << model;
    EXPECT_LT(m.Height(), 3.5) << "hero model " << model;
    EXPECT_LT(m.max[0] - m.min[0], 2.0) << "hero model " << model;
    EXPECT_LT(m.max[2] - m.min[2], 2.0) << "hero model " << model;
    tallestHero = std::max(tallestHero, m.Height());
    shortestHero = std::min(shortestHero, m.Height());
  }
  for (int row = kMonsterRowOffset; row < kCharacterRows; ++row) {
    const int model = g_characterTable[row].model;
    ASSERT_TRUE(model >= 0 && model < kModelCount);
    EXPECT_GT(Built()[model].Height(), 1.0) << "monster model " << model;
    EXPECT_LT(Built()[model].Height(), 6.5) << "monster model " << model;
  }
  // The final boss and the dragon tower over the party; the familiar is small.
  EXPECT_GT(Built()[g_characterTable[kMonsterRowOffset + test::kWitchMonsterId].model].Height(), tallestHero + 0.8);
  EXPECT_GT(Built()[g_characterTable[kMonsterRowOffset + 4].model].Height(), tallestHero + 0.8);
  EXPECT_LT(Built()[33].Height(), shortestHero);
}

TEST(BuiltModels, TheGamesLoaderReadsEveryModelWithItsTexturedMaterials) {
  for (int i = 0; i < kModelCount; ++i) {
    SCOPED_TRACE(Numbered(i));
    const test::Bytes bytes = test::ReadFile(test::GeneratedPath("models/" + Numbered(i) + ".x"));
    plat::MeshData mesh;
    std::vector<plat::MeshMaterial> materials;
    ASSERT_TRUE(plat::LoadXMesh(bytes.data(), bytes.size(), mesh, materials));
    EXPECT_EQ(mesh.indices.size(), Built()[i].mesh.faces.size() * 3);
    size_t textured = 0;
    for (const plat::MeshMaterial& m : materials) textured += m.textureFile.empty() ? 0 : 1;
    EXPECT_EQ(textured, Built()[i].mesh.materials.size());
  }
}

}  // namespace
