#include "engine/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw.h"
#include "engine/graphics.h"
#include "engine/task.h"
#include "platform/recording/gpu_recording.h"

namespace {

using plat::DrawRecord;

// A followable task: the live word, its state, then its position.
// Any task the camera follows starts with the task head.
struct Walker : TaskHead {};

void WalkerDraw(TaskSlot*) { DrawQuad2D({0, 0, 1, 1}, {0, 0, 1, 1}, 1, 1, 0xFF0000FF, nullptr); }
void ScreenDraw(TaskSlot*) { DrawQuad2D({5, 5, 6, 6}, {0, 0, 1, 1}, 1, 1, 0xFF00FF00, nullptr); }

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetDeviceBackend(plat::DeviceBackend::Recording);
    g_device = plat::CreateDevice(nullptr, plat::DeviceParams{});
    rec_ = plat::CurrentRecordingDevice();
    g_atlasTexture = g_device->CreateTexture(plat::Image{2048, 2048, {}});
    ASSERT_EQ(TaskPoolCreate(), 1);
  }
  void TearDown() override {
    TaskPoolFree();
    GraphicsRelease();
    plat::SetDeviceBackend(plat::DeviceBackend::OpenGL);
  }
  Walker* AddWalker(float x, float y, float z) {
    TaskSlot* slot = TaskAllocAt(kSlotWalkerFirst);
    slot->inUse = slot->updateOn = slot->drawOn = 1;
    slot->id = kTaskIdWalker;
    slot->tag = kTaskIdWalker;
    slot->draw = WalkerDraw;
    Walker* w = TaskDataInit<Walker>(slot);
    w->live = 1;
    w->x = x, w->y = y, w->z = z;
    return w;
  }
  // A screen above the camera's slot that draws one green quad.
  static void AddScreen() {
    TaskSlot* screen = TaskAllocAt(kSlotEncounterWard);
    screen->inUse = screen->drawOn = 1;
    screen->id = 7777;
    screen->draw = ScreenDraw;
  }
  static CameraData* Camera() { return TaskData<CameraData>(TaskFindById(kTaskIdCamera)); }
  plat::RecordingDevice* rec_ = nullptr;
};

TEST_F(CameraTest, CreateTakesSlot399AndPlacesTheEyeOnItsCircle) {
  ASSERT_EQ(CameraCreate(0, 0, 0, 270.0f, 0, CameraHoldStep), 1);
  TaskSlot* slot = TaskFindById(kTaskIdCamera);
  ASSERT_EQ(slot, &g_taskPool[kSlotCamera]);
  EXPECT_TRUE(slot->updateOn && slot->drawOn);
  const CameraData* c = Camera();
  // The small x offset comes from the 3.14 the circle is computed with.
  EXPECT_NEAR(c->eye[0], -0.0478f, 1e-3f);
  EXPECT_FLOAT_EQ(c->eye[1], 60.0f);
  EXPECT_NEAR(c->eye[2], -19.9999f, 1e-4f);
  EXPECT_GT(c->eye[2], -20.0f);
  EXPECT_EQ(c->angle, 270.0f);
  EXPECT_EQ(c->step, &CameraHoldStep);
}

TEST_F(CameraTest, ASecondCameraIsRefusedUntilTheFirstIsKilled) {
  ASSERT_EQ(CameraCreate(1, 0, 2, 270.0f, 0, CameraHoldStep), 1);
  EXPECT_EQ(CameraCreate(9, 0, 9, 90.0f, 5, CameraFollowStep), 0);
  EXPECT_EQ(Camera()->at[0], 1.0f);
  EXPECT_EQ(Camera()->step, &CameraHoldStep);
  TaskKillById(kTaskIdCamera);
  EXPECT_EQ(CameraCreate(9, 0, 9, 90.0f, 5, CameraFollowStep), 1);
  EXPECT_EQ(Camera()->at[0], 9.0f);
  EXPECT_EQ(Camera()->tag, 5);
}

TEST_F(CameraTest, TheCameraForcesItsWayIntoItsSlot) {
  TaskSlot* squatter = TaskAllocAt(kSlotCamera);
  squatter->inUse = 1;
  squatter->id = 4242;
  ASSERT_EQ(CameraCreate(0, 0, 0, 270.0f, 0, CameraHoldStep), 1);
  EXPECT_EQ(g_taskPool[kSlotCamera].id, kTaskIdCamera);
}

TEST_F(CameraTest, FollowingKeepsTheLookAtOnTheLeaderAndSetsTheView) {
  Walker* leader = AddWalker(4, 0, -6);
  ASSERT_EQ(CameraCreate(0, 0, 0, 270.0f, kTaskIdWalker, CameraFollowStep), 1);
  leader->x = 10;
  TaskPoolUpdateAll();
  const CameraData* c = Camera();
  EXPECT_EQ(c->at[0], 10.0f);
  EXPECT_EQ(c->at[2], -6.0f);
  EXPECT_NEAR(c->eye[0], 10.0f - 0.0478f, 1e-3f);
  EXPECT_NEAR(c->eye[2], -26.0f, 1e-3f);
  const glm::mat4 view = MatLookAtLH({c->eye[0], c->eye[1], c->eye[2]}, {10, 0, -6}, {0, 1, 0});
  EXPECT_EQ(rec_->GetTransform(plat::TransformKind::View), view);
  EXPECT_EQ(rec_->GetTransform(plat::TransformKind::Projection), MatPerspectiveFovLH(0.5235988f, 1.0f, 0.1f, 100.0f));
}

TEST_F(CameraTest, WithNothingToFollowTheLookAtDropsToJustInFrontOfTheEye) {
  ASSERT_EQ(CameraCreate(0, 0, 0, 270.0f, kTaskIdWalker, CameraFollowStep), 1);
  const float eyeBefore[3] = {Camera()->eye[0], Camera()->eye[1], Camera()->eye[2]};
  CameraFollowStep(Camera());
  EXPECT_EQ(Camera()->at[0], eyeBefore[0]);
  EXPECT_EQ(Camera()->at[1], eyeBefore[1]);
  EXPECT_EQ(Camera()->at[2], eyeBefore[2] - 1.0f);
}

TEST_F(CameraTest, HoldingKeepsTheLookAt) {
  ASSERT_EQ(CameraCreate(3, 0, 4, 270.0f, 0, CameraHoldStep), 1);
  TaskPoolUpdateAll();
  TaskPoolUpdateAll();
  EXPECT_EQ(Camera()->at[0], 3.0f);
  EXPECT_EQ(Camera()->at[2], 4.0f);
}

// The cover hides what lies below the camera's slot; screens above it still show.
TEST_F(CameraTest, TheSceneIsCoveredOnceTheFollowedWalkerIsGone) {
  AddWalker(0, 0, 0);
  ASSERT_EQ(CameraCreate(0, 0, 0, 270.0f, kTaskIdWalker, CameraFollowStep), 1);
  AddScreen();
  TaskPoolDrawAll();
  EXPECT_EQ(rec_->current.size(), 2u);  // the walker and the screen
  rec_->current.clear();

  TaskKillAllBut(kTaskIdCamera);
  AddScreen();
  TaskPoolDrawAll();
  const auto& drawn = rec_->current;
  ASSERT_EQ(drawn.size(), 301u);
  for (size_t i = 0; i < 300; ++i) {
    const DrawRecord& r = drawn[i];
    ASSERT_EQ(r.kind, DrawRecord::Kind::Screen);
    EXPECT_EQ(r.texture, g_atlasTexture.get());
    EXPECT_EQ(r.screen[0].colour, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(r.screen[0].u * 2048.0f, kAtlasCameraCover.left);
    EXPECT_FLOAT_EQ(r.screen[2].v * 2048.0f, kAtlasCameraCover.bottom);
  }
  // A 32-pixel grid over the whole screen, row by row.
  EXPECT_FLOAT_EQ(drawn[0].screen[0].x, -0.5f);
  EXPECT_FLOAT_EQ(drawn[21].screen[0].x, 31.5f);
  EXPECT_FLOAT_EQ(drawn[21].screen[0].y, 31.5f);
  EXPECT_FLOAT_EQ(drawn[299].screen[2].x, 639.5f);
  EXPECT_FLOAT_EQ(drawn[299].screen[2].y, 479.5f);
  EXPECT_EQ(drawn[300].screen[0].colour, 0xFF00FF00u);  // the screen, last and on top
}

TEST_F(CameraTest, AHoldingCameraNeverCovers) {
  ASSERT_EQ(CameraCreate(0, 0, 0, 270.0f, kTaskIdWalker, CameraHoldStep), 1);
  TaskPoolDrawAll();
  EXPECT_TRUE(rec_->current.empty());
}

class FrustumTest : public CameraTest {
 protected:
  void SetUp() override {
    CameraTest::SetUp();
    ASSERT_EQ(CameraCreate(0, 0, 0, 270.0f, 0, CameraHoldStep), 1);
    TaskPoolUpdateAll();
  }
  // A point on the plane near where the look-at point projects onto it.
  static glm::vec3 OnPlane(const Plane& p) {
    const float d = p.d;  // the look-at point is the origin
    return glm::vec3(-p.a * d, -p.b * d, -p.c * d);
  }
};

TEST_F(FrustumTest, PlanesAreNormalisedAndTheLookAtPointIsInside) {
  for (const Plane& p : g_frustumPlanes) EXPECT_NEAR(p.a * p.a + p.b * p.b + p.c * p.c, 1.0f, 1e-5f);
  EXPECT_EQ(SphereInFrustum(0, 0, 0, 0.0f), 1);
  EXPECT_EQ(SphereInFrustum(0, 60, -40, 1.0f), 0);  // behind the eye
  EXPECT_EQ(SphereInFrustum(0, -200, 0, 1.0f), 0);  // beyond the far plane
}

TEST_F(FrustumTest, ASphereJustOutsideTheLeftPlaneIsVisibleUntilItIsFullyOut) {
  const Plane& left = g_frustumPlanes[3];
  const glm::vec3 normal(left.a, left.b, left.c);
  const glm::vec3 edge = OnPlane(left);
  EXPECT_NEAR(glm::dot(normal, edge) + left.d, 0.0f, 1e-4f);
  // The left plane faces into the frustum from the left: outside is toward -x.
  EXPECT_GT(left.a, 0.5f);
  const glm::vec3 in = edge - 0.99f * normal;
  const glm::vec3 out = edge - 1.01f * normal;
  EXPECT_EQ(SphereInFrustum(in.x, in.y, in.z, 1.0f), 1);
  EXPECT_EQ(SphereInFrustum(out.x, out.y, out.z, 1.0f), 0);
  EXPECT_EQ(SphereInFrustum(out.x, out.y, out.z, 1.02f), 1);
}

// The planes come from the transforms on the device, whoever set them.
TEST_F(FrustumTest, PlanesFollowTheTransformsOnTheDevice) {
  EXPECT_EQ(SphereInFrustum(0, 0, 0, 0.5f), 1);
  g_device->SetTransform(plat::TransformKind::View, MatLookAtLH({100, 60, 100}, {100, 0, 120}, {0, 1, 0}));
  FrustumUpdate();
  EXPECT_EQ(SphereInFrustum(0, 0, 0, 0.5f), 0);
  EXPECT_EQ(SphereInFrustum(100, 0, 120, 0.5f), 1);
}

TEST_F(FrustumTest, WithoutADeviceTheLastViewSetIsUsed) {
  GraphicsRelease();
  const float at[3] = {50, 0, 50};
  const float eye[3] = {50, 60, 30};
  CameraSetView(at, eye);
  FrustumUpdate();
  EXPECT_EQ(SphereInFrustum(50, 0, 50, 0.5f), 1);
  EXPECT_EQ(SphereInFrustum(0, 0, 0, 0.5f), 0);
}

}  // namespace
