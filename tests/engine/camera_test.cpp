#include "engine/camera.h"

#include <gtest/gtest.h>

#include "data/tasks.h"
#include "engine/graphics.h"
#include "engine/task.h"
#include "platform/recording/gpu_recording.h"

namespace {

// A camera holding its view of the origin from 270 degrees.
class FrustumTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_device = plat::CreateDevice(nullptr, plat::DeviceParams{});
    ASSERT_EQ(TaskPoolCreate(), 1);
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
