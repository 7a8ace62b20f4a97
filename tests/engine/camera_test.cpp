#include "engine/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "data/tasks.h"
#include "engine/draw.h"
#include "engine/graphics.h"
#include "engine/task.h"
#include "platform/recording/gpu_recording.h"

namespace {

using plat::DrawRecord;

// A followable task: the live word, its state, then its position.
// Any task the camera follows starts with the task head.
struct Walker : TaskHead {};

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_device = plat::CreateDevice(nullptr, plat::DeviceParams{});
    rec_ = plat::CurrentRecordingDevice();
    g_atlasTexture = g_device->CreateTexture(plat::Image{2048, 2048, {}});
    ASSERT_EQ(TaskPoolCreate(), 1);
  }
  Walker* AddWalker(float x, float y, float z) {
    TaskSlot* slot = TaskAllocAt(kSlotWalkerFirst);
    slot->inUse = slot->updateOn = slot->drawOn = 1;
    slot->id = kTaskIdWalker;
    slot->tag = kTaskIdWalker;
    Walker* w = TaskDataInit<Walker>(slot);
    w->live = 1;
    w->x = x, w->y = y, w->z = z;
    return w;
  }
  static CameraData* Camera() { return TaskData<CameraData>(TaskFindById(kTaskIdCamera)); }
  plat::RecordingDevice* rec_ = nullptr;
};

TEST_F(CameraTest, FollowingKeepsTheLookAtOnTheLeaderAndSetsTheView) {
  Walker* leader = AddWalker(4, 0, -6);
  ASSERT_EQ(CameraCreate(0, 0, 0, 270.0f, kTaskIdWalker, CameraFollowStep), 1);
  leader->x = 10;
  TaskPoolUpdateAll();
  const CameraData* c = Camera();
  EXPECT_EQ(std::pair(c->at[0], c->at[2]), std::pair(10.0f, -6.0f));
  EXPECT_NEAR(c->eye[2], -26.0f, 1e-3f);
  const glm::mat4 view = MatLookAtLH({c->eye[0], c->eye[1], c->eye[2]}, {10, 0, -6}, {0, 1, 0});
  EXPECT_EQ(rec_->GetTransform(plat::TransformKind::View), view);
  EXPECT_EQ(rec_->GetTransform(plat::TransformKind::Projection), MatPerspectiveFovLH(0.5235988f, 1.0f, 0.1f, 100.0f));
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

}  // namespace
