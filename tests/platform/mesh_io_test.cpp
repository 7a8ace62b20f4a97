#include "platform/mesh_io.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

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

TEST(LoadXMeshTest, AnUnusedMaterialKeepsItsPlaceWithAnEmptySubset) {
  const auto [ok, mesh, materials] =
      Load(test::XMeshText({Textured("", 0.1f), Textured("", 0.2f), Textured("", 0.3f)}, {2, 0}));
  ASSERT_TRUE(ok);
  ASSERT_EQ(materials.size(), 3u);
  EXPECT_FLOAT_EQ(materials[1].material.diffuse.r, 0.2f);
  EXPECT_EQ(FacesOf(mesh, 0), std::vector<int>{1});
  EXPECT_TRUE(FacesOf(mesh, 1).empty());
  EXPECT_EQ(FacesOf(mesh, 2), std::vector<int>{0});
}

TEST(LoadXMeshTest, MaterialFieldsComeThroughAsWritten) {
  XMaterialDesc m;
  m.diffuse[0] = 0.25f;
  m.diffuse[1] = 0.5f;
  m.diffuse[2] = 0.75f;
  m.diffuse[3] = 0.625f;
  m.power = 12.5f;
  m.specular[1] = 0.5f;
  m.emissive[0] = 0.125f;
  m.emissive[2] = 1.0f;
  m.texture = "stone.bmp";
  const auto [ok, mesh, materials] = Load(test::XMeshText({m}, {0}));
  ASSERT_TRUE(ok);
  const plat::Material& got = materials.at(0).material;
  EXPECT_FLOAT_EQ(got.diffuse.r, 0.25f);
  EXPECT_FLOAT_EQ(got.diffuse.g, 0.5f);
  EXPECT_FLOAT_EQ(got.diffuse.b, 0.75f);
  EXPECT_FLOAT_EQ(got.diffuse.a, 0.625f);
  EXPECT_FLOAT_EQ(got.power, 12.5f);
  EXPECT_FLOAT_EQ(got.specular.g, 0.5f);
  EXPECT_FLOAT_EQ(got.emissive.r, 0.125f);
  EXPECT_FLOAT_EQ(got.emissive.g, 0.0f);
  EXPECT_FLOAT_EQ(got.emissive.b, 1.0f);
  EXPECT_EQ(materials[0].textureFile, "stone.bmp");
}

TEST(LoadXMeshTest, APositionUsedWithTwoNormalsIsSplit) {
  const std::string text = std::string(kHeader) +
                           "Mesh {\n 4;\n 0;0;0;, 1;0;0;, 0;1;0;, 1;1;0;;\n 2;\n 3;0,1,2;, 3;1,3,2;;\n"
                           " MeshNormals { 2; 0;0;-1;, 0;0;1;; 2; 3;0,0,0;, 3;1,1,1;; }\n}\n";
  const auto [ok, mesh, materials] = Load(text);
  ASSERT_TRUE(ok);
  // Positions 1 and 2 carry both normals: two extra vertices after the four.
  ASSERT_EQ(mesh.vertices.size(), 6u);
  EXPECT_EQ(mesh.indices, (std::vector<uint32_t>{0, 1, 2, 4, 3, 5}));
  EXPECT_FLOAT_EQ(mesh.vertices[3].nz, 1.0f);
  EXPECT_FLOAT_EQ(mesh.vertices[4].x, 1.0f);
  EXPECT_FLOAT_EQ(mesh.vertices[4].nz, 1.0f);
  EXPECT_FLOAT_EQ(mesh.vertices[1].nz, -1.0f);
}

TEST(LoadXMeshTest, PolygonsBecomeFans) {
  const std::string text = std::string(kHeader) +
                           "Mesh {\n 5;\n 0;0;0;, 1;0;0;, 2;1;0;, 1;2;0;, 0;1;0;;\n 1;\n"
                           " 5;0,1,2,3,4;;\n}\n";
  const auto [ok, mesh, materials] = Load(text);
  ASSERT_TRUE(ok);
  EXPECT_EQ(mesh.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
  // No material list: no materials, and the faces sit in a subset nothing draws.
  EXPECT_TRUE(materials.empty());
  ASSERT_EQ(mesh.subsets.size(), 1u);
  EXPECT_EQ(mesh.subsets[0].indexCount, 9u);
}

// Two meshes in two frames: the second frame's row-vector transform moves its mesh, and
// the materials follow one another, the first referring to one defined at the top.
TEST(LoadXMeshTest, MeshesMergeWithTheirFramesAndMaterialsInOrder) {
  const std::string text = std::string(kHeader) +
                           "Material Shared { 0.5;0.5;0.5;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"s.png\"; } }\n"
                           "Frame A {\n Mesh {\n 3; 0;0;0;, 1;0;0;, 0;1;0;;\n 1; 3;0,1,2;;\n"
                           "  MeshMaterialList { 1; 1; 0;; { Shared } }\n }\n}\n"
                           "Frame B {\n FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,20,30,1;; }\n"
                           " Frame Inner {\n  FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,0,0,1;; }\n"
                           "  Mesh {\n  3; 1;1;1;, 2;1;1;, 1;2;1;;\n  1; 3;0,1,2;;\n"
                           "   MeshMaterialList { 2; 1; 1;; Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }\n"
                           "    Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } }\n  }\n }\n}\n";
  const auto [ok, mesh, materials] = Load(text);
  ASSERT_TRUE(ok);
  ASSERT_EQ(materials.size(), 3u);
  EXPECT_EQ(materials[0].textureFile, "s.png");
  EXPECT_FLOAT_EQ(materials[1].material.diffuse.r, 1.0f);
  EXPECT_FLOAT_EQ(materials[2].material.diffuse.g, 1.0f);
  ASSERT_EQ(mesh.subsets.size(), 3u);
  EXPECT_EQ(mesh.subsets[0].indexCount, 3u);
  EXPECT_EQ(mesh.subsets[1].indexCount, 0u);
  ASSERT_EQ(mesh.subsets[2].indexCount, 3u);
  // (1, 1, 1) scaled by 2 in the inner frame, then moved by (10, 20, 30).
  const plat::MeshVertex& moved = mesh.vertices.at(mesh.indices.at(mesh.subsets[2].firstIndex));
  EXPECT_FLOAT_EQ(moved.x, 12.0f);
  EXPECT_FLOAT_EQ(moved.y, 22.0f);
  EXPECT_FLOAT_EQ(moved.z, 32.0f);
  EXPECT_FLOAT_EQ(mesh.vertices[1].x, 1.0f);  // the first mesh stays put
}

TEST(LoadXMeshTest, EveryCutBeforeTheLastBraceIsRefused) {
  const std::string text = test::XMeshText({Textured("a.png", 0.5f), Textured("", 0.25f)}, {1, 0, 1});
  ASSERT_TRUE(Loads(text));
  const size_t end = text.rfind('}');
  for (size_t cut = 0; cut < end; ++cut) {
    EXPECT_FALSE(Loads(text.substr(0, cut))) << "cut at " << cut;  // exactly `cut` bytes
  }
}

TEST(BuildShapeTest, SphereRunsFromTopPoleToBottomPoleOnItsRadius) {
  plat::MeshData sphere;
  plat::BuildSphere(sphere, 3.4f, 16, 16);
  ASSERT_EQ(sphere.vertices.size(), 2u + 16u * 15u);
  EXPECT_EQ(sphere.indices.size(), 3u * 2u * 16u * 15u);
  ASSERT_EQ(sphere.subsets.size(), 1u);
  EXPECT_EQ(sphere.subsets[0].indexCount, sphere.indices.size());
  EXPECT_FLOAT_EQ(sphere.vertices.front().y, 3.4f);
  EXPECT_FLOAT_EQ(sphere.vertices.back().y, -3.4f);
  float lastY = 3.4f;
  for (size_t i = 1; i + 1 < sphere.vertices.size(); i += 16) {
    EXPECT_LT(sphere.vertices[i].y, lastY);  // each ring below the one before
    lastY = sphere.vertices[i].y;
  }
  for (const plat::MeshVertex& v : sphere.vertices) {
    EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 3.4f, 1e-5f);
    EXPECT_EQ(v.colour, 0xFFFFFFFFu);
  }
  for (uint32_t i : sphere.indices) EXPECT_LT(i, sphere.vertices.size());
}

TEST(BuildShapeTest, TorusLiesAroundTheZAxis) {
  plat::MeshData torus;
  plat::BuildTorus(torus, 0.2f, 2.0f, 32, 32);
  ASSERT_EQ(torus.vertices.size(), 32u * 32u);
  EXPECT_EQ(torus.indices.size(), 6u * 32u * 32u);
  for (const plat::MeshVertex& v : torus.vertices) {
    const float fromAxis = std::sqrt(v.x * v.x + v.y * v.y);
    const float fromRing = std::sqrt((fromAxis - 2.0f) * (fromAxis - 2.0f) + v.z * v.z);
    EXPECT_NEAR(fromRing, 0.2f, 1e-5f);
  }
  glm::vec3 min, max;
  plat::ComputeBoundingBox(torus, min, max);
  EXPECT_NEAR(max.x, 2.2f, 1e-5f);
  EXPECT_NEAR(min.y, -2.2f, 1e-3f);
  EXPECT_NEAR(max.z - min.z, 0.4f, 1e-3f);
}

TEST(BuildShapeTest, TooFewSlicesBuildNothing) {
  plat::MeshData mesh;
  plat::BuildSphere(mesh, 1.0f, 1, 8);
  EXPECT_TRUE(mesh.vertices.empty());
  plat::BuildTorus(mesh, 0.2f, 2.0f, 2, 8);
  EXPECT_TRUE(mesh.vertices.empty());
}

TEST(BoundsTest, BoxSpansTheVerticesAndTheSphereCentresOnTheirMean) {
  plat::MeshData mesh;
  for (float x : {1.0f, 3.0f}) {
    for (float y : {-2.0f, 2.0f}) {
      for (float z : {5.0f, 7.0f}) mesh.vertices.push_back(plat::MeshVertex{x, y, z, 0, 0, 0, 0, 0, 0});
    }
  }
  glm::vec3 min, max, centre;
  float radius = 0;
  plat::ComputeBoundingBox(mesh, min, max);
  plat::ComputeBoundingSphere(mesh, centre, radius);
  EXPECT_EQ(min, glm::vec3(1, -2, 5));
  EXPECT_EQ(max, glm::vec3(3, 2, 7));
  EXPECT_EQ(centre, glm::vec3(2, 0, 6));
  EXPECT_FLOAT_EQ(radius, std::sqrt(6.0f));
}

}  // namespace
