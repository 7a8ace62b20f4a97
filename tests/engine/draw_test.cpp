#include "engine/draw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "engine/graphics.h"
#include "engine/task.h"
#include "platform/recording/gpu_recording.h"

namespace {

using plat::DrawRecord;

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetDeviceBackend(plat::DeviceBackend::Recording);
    g_device = plat::CreateDevice(nullptr, plat::DeviceParams{});
    rec_ = plat::CurrentRecordingDevice();
    ASSERT_NE(rec_, nullptr);
  }
  void TearDown() override {
    GraphicsRelease();
    plat::SetDeviceBackend(plat::DeviceBackend::OpenGL);
  }
  std::vector<DrawRecord> Of(DrawRecord::Kind kind) const {
    std::vector<DrawRecord> out;
    for (const DrawRecord& r : rec_->current) {
      if (r.kind == kind) out.push_back(r);
    }
    return out;
  }
  plat::RecordingDevice* rec_ = nullptr;
};

// Where a point of the model lands (row vector times the matrix).
glm::vec3 Apply(const glm::mat4& m, glm::vec3 p) { return glm::vec3(m * glm::vec4(p, 1.0f)); }

void ExpectNear(glm::vec3 a, glm::vec3 b) {
  EXPECT_NEAR(a.x, b.x, 1e-5f);
  EXPECT_NEAR(a.y, b.y, 1e-5f);
  EXPECT_NEAR(a.z, b.z, 1e-5f);
}

TEST_F(DrawTest, AScreenQuadAtItsOwnSizeIsShiftedByHalfAPixel) {
  auto texture = g_device->CreateTexture(plat::Image{256, 128, {}});
  DrawQuad2D({100, 50, 132, 82}, {64, 32, 96, 64}, 256, 128, 0x80FFFFFF, texture.get());
  const auto quads = Of(DrawRecord::Kind::Screen);
  ASSERT_EQ(quads.size(), 1u);
  const plat::ScreenVertex* v = quads[0].screen;
  const float expected[4][4] = {{99.5f, 49.5f, 0.25f, 0.25f},
                                {131.5f, 49.5f, 0.375f, 0.25f},
                                {131.5f, 81.5f, 0.375f, 0.5f},
                                {99.5f, 81.5f, 0.25f, 0.5f}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(v[i].x, expected[i][0]);
    EXPECT_FLOAT_EQ(v[i].y, expected[i][1]);
    EXPECT_FLOAT_EQ(v[i].u, expected[i][2]);
    EXPECT_FLOAT_EQ(v[i].v, expected[i][3]);
    EXPECT_EQ(v[i].z, 0.0f);
    EXPECT_EQ(v[i].rhw, 1.0f);
    EXPECT_EQ(v[i].colour, 0x80FFFFFFu);
  }
  EXPECT_EQ(quads[0].texture, texture.get());
  EXPECT_EQ(quads[0].format, plat::VertexFormat::Screen);
}

TEST_F(DrawTest, CornerQuadsShiftEachCornerAndScaleEachTextureCorner) {
  const float corners[8] = {10, 0, 30, 5, 25, 40, 0, 35};
  const float tex[8] = {0, 0, 8, 0, 8, 4, 0, 4};
  DrawQuad2DCorners(corners, tex, 16, 8, 0xFFFFFFFF, nullptr);
  const auto quads = Of(DrawRecord::Kind::Screen);
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_FLOAT_EQ(quads[0].screen[1].x, 29.5f);
  EXPECT_FLOAT_EQ(quads[0].screen[1].y, 4.5f);
  EXPECT_FLOAT_EQ(quads[0].screen[2].u, 0.5f);
  EXPECT_FLOAT_EQ(quads[0].screen[2].v, 0.5f);
  EXPECT_FLOAT_EQ(quads[0].screen[3].x, -0.5f);
  EXPECT_EQ(quads[0].texture, nullptr);
}

TEST_F(DrawTest, AWorldQuadTakesTheGivenColourForAllFourCorners) {
  Vertex3D v[4];
  SetVertex3D(&v[0], 0, 0, 0, 0, 0);
  SetVertex3D(&v[1], 2, 0, 0, 1, 0);
  SetVertex3D(&v[2], 2, 0, 2, 1, 1);
  SetVertex3D(&v[3], 0, 0, 2, 0, 1);
  EXPECT_EQ(v[2].colour, 0xFFFFFFFFu);
  DrawQuad3D(v, 0x40112233, nullptr);
  const auto quads = Of(DrawRecord::Kind::World);
  ASSERT_EQ(quads.size(), 1u);
  for (const Vertex3D& w : quads[0].world) EXPECT_EQ(w.colour, 0x40112233u);
  EXPECT_FLOAT_EQ(quads[0].world[2].z, 2.0f);
  EXPECT_FALSE(quads[0].lighting);
}

TEST_F(DrawTest, HeadingsAreNormalisedOnceEachWayAndWrittenBack) {
  const std::pair<float, float> cases[] = {{-90, 270}, {360, 360}, {361, 1}, {725, 365}, {-400, -40}, {0, 0}};
  for (auto [given, kept] : cases) {
    float heading = given;
    glm::mat4 world;
    BuildWorldYaw(&world, 0, 0, 0, &heading);
    EXPECT_FLOAT_EQ(heading, kept) << "from " << given;
    float again = given;
    BuildWorldYawRollPitch(&world, 0, 0, 0, &again, 0, 0);
    EXPECT_FLOAT_EQ(again, kept) << "from " << given;
  }
}

// A model's front is -z in its file; heading 0 turns it toward +x, 90 toward +z.
TEST_F(DrawTest, HeadingTurnsTheModelsFrontAlongTheAngleConvention) {
  const std::pair<float, glm::vec3> cases[] = {
      {0.0f, {1, 0, 0}}, {90.0f, {0, 0, 1}}, {180.0f, {-1, 0, 0}}, {270.0f, {0, 0, -1}}};
  for (const auto& [h, facing] : cases) {
    float heading = h;
    glm::mat4 world;
    BuildWorldYaw(&world, 5, 1, -3, &heading);
    ExpectNear(Apply(world, {0, 0, -1}) - Apply(world, {0, 0, 0}), facing);
    ExpectNear(Apply(world, {0, 0, 0}), {5, 1, -3});
  }
}

// Yaw first, then the roll about z, then the pitch about x, then the move.
TEST_F(DrawTest, RollAndPitchFollowTheYawInThatOrder) {
  float heading = 270.0f;  // a yaw of -360: none
  glm::mat4 world;
  BuildWorldYawRollPitch(&world, 1, 2, 3, &heading, 90.0f, 90.0f);
  // (1, 0, 0) rolls to (0, 1, 0), which pitches to (0, 0, 1).
  ExpectNear(Apply(world, {1, 0, 0}), {1, 2, 4});
}

TEST_F(DrawTest, AMeshDrawsEachMaterialsSubsetLitThenLightingGoesOff) {
  MeshRecord record;
  record.mesh = g_device->CreateMesh(plat::MeshData{});
  record.materialCount = 2;
  record.materials.resize(2);
  record.materials[0].emissive.r = 0.5f;
  record.materials[1].emissive.g = 0.25f;
  record.materialTextures.resize(2);
  record.materialTextures[1] = g_device->CreateTexture(plat::Image{4, 4, {}});
  const glm::mat4 world = MatTranslation(1, 2, 3);
  DrawMesh(record, world);
  const auto subsets = Of(DrawRecord::Kind::MeshSubset);
  ASSERT_EQ(subsets.size(), 2u);
  for (uint32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(subsets[i].subset, i);
    EXPECT_TRUE(subsets[i].lighting);
    EXPECT_EQ(subsets[i].worldMatrix, world);
    EXPECT_EQ(subsets[i].mesh, record.mesh.get());
    EXPECT_EQ(subsets[i].texture, record.materialTextures[i].get());
  }
  EXPECT_FLOAT_EQ(subsets[0].material.emissive.r, 0.5f);
  EXPECT_FLOAT_EQ(subsets[1].material.emissive.g, 0.25f);
  EXPECT_FALSE(rec_->lighting);
}

TEST_F(DrawTest, AMeshWithoutMaterialsDrawsNothingAndLeavesLightingOff) {
  MeshRecord record;
  record.mesh = g_device->CreateMesh(plat::MeshData{});
  DrawMesh(record, glm::mat4(1.0f));
  EXPECT_TRUE(Of(DrawRecord::Kind::MeshSubset).empty());
  EXPECT_FALSE(rec_->lighting);
}

MeshRecord g_shape;
const glm::mat4 kSceneView = MatTranslation(0, 0, 9), kUnitView = MatTranslation(0, 0, 5);
void DrawBurst(TaskSlot*) {
  DrawShapeAt(g_shape, 1, 2, 3);
  DrawGlowAtRotY(g_shape, 4, 0, 0, 90.0f);
}
void DrawUnit(TaskSlot*) {
  g_device->SetTransform(plat::TransformKind::View, kUnitView);
  Vertex3D v[4] = {};
  DrawQuad3D(v, 0xFFFFFFFF, nullptr);
}
void DrawPanel(TaskSlot*) {
  DrawQuad2D({0, 0, 1, 1}, {0, 0, 1, 1}, 1, 1, 0xFFFFFFFF, nullptr);
  DrawGlowAt(g_shape, 7, 0, 0);
}

// The built shapes are drawn on subset 0, unlit and untextured, where they stand: as
// they were made at once, and glowing after the whole scene, under the view each was
// asked for and under the screens, so a burst in a slot below a unit's does not lie under
// it. A screen's glow is drawn at once.
TEST_F(DrawTest, ShapesStandOnSubsetZeroAndTheScenesGlowsComeAfterItUnderTheScreens) {
  ASSERT_EQ(TaskPoolCreate(), 1);
  g_shape.mesh = g_device->CreateMesh(plat::MeshData{});
  TaskStart(TaskAllocAt(10), 1, 0, nullptr, DrawBurst);
  TaskStart(TaskAllocAt(50), 1, 0, nullptr, DrawUnit);
  TaskStart(TaskAllocAt(401), 1, 0, nullptr, DrawPanel);
  auto texture = g_device->CreateTexture(plat::Image{4, 4, {}});
  g_device->SetTexture(texture.get());
  g_device->SetTransform(plat::TransformKind::View, kSceneView);
  TaskPoolDrawAll();
  TaskPoolFree();
  g_shape = MeshRecord{};
  using K = DrawRecord::Kind;
  const std::vector<std::pair<K, bool>> expected = {
      {K::MeshSubset, false}, {K::World, false}, {K::MeshSubset, true}, {K::Screen, false}, {K::MeshSubset, true}};
  ASSERT_EQ(rec_->current.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const DrawRecord& r = rec_->current[i];
    EXPECT_EQ(r.kind, expected[i].first) << i;
    if (r.kind != K::MeshSubset) continue;
    EXPECT_TRUE(r.subset == 0 && !r.texture && !r.lighting && r.format == plat::VertexFormat::WorldColoured) << i;
    EXPECT_EQ(r.glow, expected[i].second) << i;
    EXPECT_EQ(r.view, i == 4 ? kUnitView : kSceneView) << i;
  }
  EXPECT_FALSE(rec_->glow) << "and nothing after them glows";
  ExpectNear(Apply(rec_->current[0].worldMatrix, {0, 0, 0}), {1, 2, 3});
  // Turned first (x toward -z by a quarter turn), then moved.
  ExpectNear(Apply(rec_->current[2].worldMatrix, {1, 0, 0}), {4, 0, -1});
}

TEST_F(DrawTest, NothingIsDrawnWithoutADevice) {
  GraphicsRelease();
  DrawQuad2D({0, 0, 1, 1}, {0, 0, 1, 1}, 1, 1, 0xFFFFFFFF, nullptr);
  Vertex3D v[4] = {};
  DrawQuad3D(v, 0xFFFFFFFF, nullptr);
  MeshRecord record;
  DrawMesh(record, glm::mat4(1.0f));
  DrawShapeAt(record, 0, 0, 0);
  SetZEnable(0);
  EXPECT_EQ(g_device, nullptr);
}

TEST(MatrixTest, LookAtAndPerspectiveMatchTheLeftHandedRowVectorForms) {
  const glm::mat4 view = MatLookAtLH({0, 0, -5}, {0, 0, 0}, {0, 1, 0});
  ExpectNear(Apply(view, {0, 0, 0}), {0, 0, 5});  // five units in front of the eye
  ExpectNear(Apply(view, {1, 0, 0}), {1, 0, 5});  // right stays right
  const glm::mat4 proj = MatPerspectiveFovLH(1.0f, 1.0f, 1.0f, 11.0f);
  // Row 2 column 3 holds the 1 that copies z into w; near maps to 0, far to 1.
  EXPECT_FLOAT_EQ(proj[2][3], 1.0f);
  const glm::vec4 nearPoint = proj * glm::vec4(0, 0, 1, 1);
  const glm::vec4 farPoint = proj * glm::vec4(0, 0, 11, 1);
  EXPECT_NEAR(nearPoint.z / nearPoint.w, 0.0f, 1e-6f);
  EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, 1e-6f);
  EXPECT_FLOAT_EQ(proj[1][1], 1.0f / std::tan(0.5f));
}

TEST(MatrixTest, MultiplyAppliesTheFirstMatrixFirst) {
  const glm::mat4 m = MatMultiply(MatRotationZ(1.5707964f), MatTranslation(10, 0, 0));
  ExpectNear(Apply(m, {1, 0, 0}), {10, 1, 0});
}

TEST(MatrixTest, ProjectedLookAtPointLandsInTheViewportCentre) {
  const glm::mat4 view = MatLookAtLH({0, 60, -20}, {0, 0, 0}, {0, 1, 0});
  const glm::mat4 proj = MatPerspectiveFovLH(0.5235988f, 1.0f, 0.1f, 100.0f);
  const glm::vec3 p = Vec3Project({0, 0, 0}, plat::Viewport{}, proj, view, glm::mat4(1.0f));
  EXPECT_NEAR(p.x, 320.0f, 1e-3f);
  EXPECT_NEAR(p.y, 240.0f, 1e-3f);
  EXPECT_GT(p.z, 0.0f);
  EXPECT_LT(p.z, 1.0f);
}

}  // namespace
