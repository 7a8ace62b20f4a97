#include "platform/mesh_io.h"

#include <gtest/gtest.h>

#include "support/gfx.h"

namespace {

using test::XMaterialDesc;

struct Loaded {
  bool ok = false;
  plat::MeshData mesh;
  std::vector<plat::MeshMaterial> materials;
};

Loaded Load(const std::string& text) {
  Loaded out;
  const test::Bytes bytes = test::ToBytes(text);
  out.ok = plat::LoadXMesh(bytes.data(), bytes.size(), out.mesh, out.materials);
  return out;
}

bool Loads(const std::string& text) { return Load(text).ok; }

// The faces of a subset, each named by the x of its first corner (the builder stands
// face i at x = 2i).
std::vector<int> FacesOf(const plat::MeshData& mesh, uint32_t subset) {
  std::vector<int> faces;
  const plat::MeshSubset& s = mesh.subsets.at(subset);
  for (uint32_t i = s.firstIndex; i < s.firstIndex + s.indexCount; i += 3) {
    faces.push_back(static_cast<int>(mesh.vertices.at(mesh.indices.at(i)).x) / 2);
  }
  return faces;
}

XMaterialDesc Textured(const std::string& name, float red) {
  XMaterialDesc m;
  m.diffuse[0] = red;
  m.texture = name;
  return m;
}

const char* kHeader = "xof 0303txt 0032\n";

TEST(LoadXMeshTest, SubsetIHoldsTheFacesOfMaterialIInFileOrder) {
  const auto [ok, mesh, materials] =
      Load(test::XMeshText({Textured("a.png", 0.1f), Textured("", 0.2f), Textured("c.png", 0.3f)}, {2, 0, 2, 1}));
  ASSERT_TRUE(ok);
  ASSERT_EQ(materials.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_FLOAT_EQ(materials[i].material.diffuse.r, 0.1f * static_cast<float>(i + 1));
    EXPECT_EQ(materials[i].textureFile, std::vector<std::string>({"a.png", "", "c.png"})[i]);
  }
  ASSERT_EQ(mesh.subsets.size(), 3u);
  EXPECT_EQ(FacesOf(mesh, 0), std::vector<int>{1});
  EXPECT_EQ(FacesOf(mesh, 1), std::vector<int>{3});
  EXPECT_EQ(FacesOf(mesh, 2), (std::vector<int>{0, 2}));
}

// A lopsided triangle with normals, texture coordinates and vertex colours: nothing is
// mirrored, flipped or rewound on the way in.
TEST(LoadXMeshTest, CoordinatesStayExactlyAsInTheFile) {
  const std::string text = std::string(kHeader) +
                           "Mesh {\n 3;\n 1.0;2.0;3.0;,\n -4.5;0.25;7.0;,\n 0.0;0.0;-9.0;;\n 1;\n 3;0,1,2;;\n"
                           " MeshNormals { 1; 0.0;0.0;-1.0;; 1; 3;0,0,0;; }\n"
                           " MeshTextureCoords { 3; 0.25;0.75;, 1.0;0.0;, 0.5;0.5;; }\n"
                           " MeshVertexColors { 1; 1;1.0;0.0;0.0;0.5;; }\n"
                           " MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }\n}\n";
  const auto [ok, mesh, materials] = Load(text);
  ASSERT_TRUE(ok);
  ASSERT_EQ(mesh.vertices.size(), 3u);
  const plat::MeshVertex& v0 = mesh.vertices[0];
  EXPECT_EQ(std::tuple(v0.x, v0.y, v0.z, v0.nz, v0.u, v0.v, v0.colour),
            std::tuple(1.0f, 2.0f, 3.0f, -1.0f, 0.25f, 0.75f, 0xFFFFFFFFu));
  EXPECT_FLOAT_EQ(mesh.vertices[1].x, -4.5f);
  EXPECT_EQ(mesh.vertices[1].colour, 0x80FF0000u);
  EXPECT_FLOAT_EQ(mesh.vertices[2].z, -9.0f);
  EXPECT_EQ(mesh.indices, (std::vector<uint32_t>{0, 1, 2}));
}

TEST(LoadXMeshTest, MalformedFilesAreRefused) {
  const std::string mesh = "Mesh {\n 3; 0;0;0;, 1;0;0;, 0;1;0;;\n 1; 3;0,1,2;;\n";
  const std::string material = "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }";
  const std::pair<const char*, std::string> bad[] = {
      {"a face index equal to the vertex count",
       std::string(kHeader) + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }"},
      {"a face of two corners", std::string(kHeader) + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2;0,1;; }"},
      {"fewer vertices than counted", std::string(kHeader) + "Mesh { 4; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }"},
      {"a normal index out of range", std::string(kHeader) + mesh + " MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; }\n}"},
      {"normal faces not matching", std::string(kHeader) + mesh + " MeshNormals { 1; 0;0;1;; 1; 4;0,0,0,0;; }\n}"},
      {"texture coordinates short", std::string(kHeader) + mesh + " MeshTextureCoords { 2; 0;0;, 1;1;; }\n}"},
      {"a colour for a missing vertex", std::string(kHeader) + mesh + " MeshVertexColors { 1; 3;1;1;1;1;; }\n}"},
      {"a material index out of range",
       std::string(kHeader) + mesh + " MeshMaterialList { 1; 1; 1;; " + material + " }\n}"},
      {"fewer materials than counted",
       std::string(kHeader) + mesh + " MeshMaterialList { 2; 1; 0;; " + material + " }\n}"},
      {"a reference to no material", std::string(kHeader) + mesh + " MeshMaterialList { 1; 1; 0;; { Nowhere } }\n}"},
      {"a word where a number belongs", std::string(kHeader) + "Mesh { 3; 0;zero;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }"},
      {"an unterminated string", std::string(kHeader) + mesh +
                                     " MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; "
                                     "TextureFilename { \"open; } } }\n}"},
      {"no mesh at all", std::string(kHeader) + "Frame Empty { }\n"},
      {"a binary file", "xof 0303bin 0032" + std::string(40, '\0')},
      {"another kind of file", "not an X file at all, just words"},
  };
  for (const auto& [what, text] : bad) EXPECT_FALSE(Loads(text)) << what;
  // Zero bytes are neither space nor punctuation: inside a skipped object they are
  // skipped, inside a number they spoil it, and an unclosed object still ends the read.
  const std::string zero(1, '\0');
  EXPECT_TRUE(Loads(std::string(kHeader) + "Header { 1" + zero + "; }\n" + mesh + "}"));
  EXPECT_FALSE(Loads(std::string(kHeader) + "Mesh { 3; 0;0" + zero + ";0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }"));
  EXPECT_FALSE(Loads(std::string(kHeader) + "Header { " + zero + zero));
}

}  // namespace
