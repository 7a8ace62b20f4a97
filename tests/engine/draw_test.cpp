#include "engine/draw.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/recording/gpu_recording.h"

namespace {

// Where a point of the model lands (row vector times the matrix).
glm::vec3 Apply(const glm::mat4& m, glm::vec3 p) { return glm::vec3(m * glm::vec4(p, 1.0f)); }

void ExpectNear(glm::vec3 a, glm::vec3 b) {
  EXPECT_NEAR(a.x, b.x, 1e-5f);
  EXPECT_NEAR(a.y, b.y, 1e-5f);
  EXPECT_NEAR(a.z, b.z, 1e-5f);
}

// A model's front is -z in its file; heading 0 turns it toward +x, 90 toward +z.
TEST(DrawTest, HeadingTurnsTheModelsFrontAlongTheAngleConvention) {
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

}  // namespace
