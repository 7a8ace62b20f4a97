#include "engine/camera.h"

#include <algorithm>
#include <cmath>
#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

#include "engine/atlas.h"
#include "engine/draw.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/util.h"

Plane g_frustumPlanes[6];

namespace {

// The last view and projection set, for frustum updates while no device exists.
glm::mat4 g_view{1.0f};
glm::mat4 g_projection{1.0f};

enum PlaneIndex { kTop, kBottom, kRight, kLeft, kNear, kFar };

// Column 4 plus or minus column k of M (k counted from 1), as a plane.
Plane ColumnPlane(const glm::mat4& m, int k, float sign) {
  // Element (row r, column c) lives at m[r][c].
  const int c = k - 1;
  return Plane{m[0][3] + sign * m[0][c], m[1][3] + sign * m[1][c], m[2][3] + sign * m[2][c], m[3][3] + sign * m[3][c]};
}

Plane Normalised(const Plane& p) {
  const float length = std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c);
  if (length == 0.0f) return p;
  return Plane{p.a / length, p.b / length, p.c / length, p.d / length};
}

CameraData* Camera(TaskSlot* slot) { return TaskData<CameraData>(slot); }

}  // namespace

int CameraCreate(float x, float y, float z, float angle, int32_t tag, CameraStep step) {
  if (TaskExists(kTaskIdCamera)) return 0;
  TaskSlot* slot = TaskAllocAtForce(kSlotCamera);
  if (!slot) return 0;
  TaskStart(slot, kTaskIdCamera, 0, CameraUpdate, CameraDraw);
  CameraData* camera = TaskDataInit<CameraData>(slot);
  camera->at[0] = x;
  camera->at[1] = y;
  camera->at[2] = z;
  camera->angle = angle;
  camera->eye[1] = kCameraHeight;
  PolarOffset(&camera->eye[0], &camera->eye[2], x, z, angle, kCameraDistance);
  camera->step = step;
  camera->tag = tag;
  return 1;
}

void CameraUpdate(TaskSlot* slot) {
  CameraData* camera = Camera(slot);
  if (camera->step) camera->step(camera);
  PolarOffset(&camera->eye[0], &camera->eye[2], camera->at[0], camera->at[2], camera->angle, kCameraDistance);
  CameraSetView(camera->at, camera->eye);
  FrustumUpdate();
}

// While the followed task is gone the scene below is covered, screens above still show.
void CameraDraw(TaskSlot* slot) {
  const CameraData* camera = Camera(slot);
  if (camera->step == CameraFollowStep && !TaskFindByTag(camera->tag)) {
    FillScreenPattern(kAtlasCameraCover.left, kAtlasCameraCover.top, kAtlasCameraCover.right, kAtlasCameraCover.bottom);
  }
}

void CameraFollowStep(CameraData* camera) {
  if (const TaskHead* followed = TaskFindByTag(camera->tag)) {
    camera->at[0] = followed->x;
    camera->at[1] = followed->y;
    camera->at[2] = followed->z;
    return;
  }
  camera->at[0] = camera->eye[0];
  camera->at[1] = camera->eye[1];
  camera->at[2] = camera->eye[2] - 1.0f;
}

void CameraHoldStep(CameraData*) {}

void CameraSetView(const float at[3], const float eye[3]) {
  g_view = MatLookAtLH(glm::vec3(eye[0], eye[1], eye[2]), glm::vec3(at[0], at[1], at[2]), glm::vec3(0.0f, 1.0f, 0.0f));
  g_projection = MatPerspectiveFovLH(kCameraFovY, kCameraAspect, kCameraNear, kCameraFar);
  if (!g_device) return;
  g_device->SetTransform(plat::TransformKind::View, g_view);
  g_device->SetTransform(plat::TransformKind::Projection, g_projection);
}

void FrustumUpdate() {
  const glm::mat4 view = g_device ? g_device->GetTransform(plat::TransformKind::View) : g_view;
  const glm::mat4 projection = g_device ? g_device->GetTransform(plat::TransformKind::Projection) : g_projection;
  const glm::mat4 m = MatMultiply(view, projection);
  g_frustumPlanes[kTop] = Normalised(ColumnPlane(m, 2, -1.0f));
  g_frustumPlanes[kBottom] = Normalised(ColumnPlane(m, 2, 1.0f));
  g_frustumPlanes[kRight] = Normalised(ColumnPlane(m, 1, -1.0f));
  g_frustumPlanes[kLeft] = Normalised(ColumnPlane(m, 1, 1.0f));
  g_frustumPlanes[kNear] = Normalised(ColumnPlane(m, 3, 1.0f));
  g_frustumPlanes[kFar] = Normalised(ColumnPlane(m, 3, -1.0f));
}

void WorldToScreen(float out[2], float x, float y, float z) {
  const glm::mat4 view = g_device ? g_device->GetTransform(plat::TransformKind::View) : g_view;
  const glm::mat4 projection = g_device ? g_device->GetTransform(plat::TransformKind::Projection) : g_projection;
  const glm::vec3 p = Vec3Project(glm::vec3(x, y, z), g_viewport, projection, view, glm::mat4(1.0f));
  out[0] = p.x;
  out[1] = p.y;
}

// Touching a plane still counts as visible.
int SphereInFrustum(float x, float y, float z, float radius) {
  for (const Plane& p : g_frustumPlanes) {
    if (p.a * x + p.b * y + p.c * z + p.d < -radius) return 0;
  }
  return 1;
}

// The places a passing centre can take make a convex solid: each plane moved out by the
// radius, cut to the height band and, so that a view along the ground still ends, to a
// square far beyond any map. Its corners are where three of its faces meet inside all
// the others; their extent is the solid's.
bool FrustumReach(float yLow, float yHigh, float radius, FrustumBounds* out) {
  constexpr double kFar = 1.0e6;
  struct Face {
    glm::dvec3 n;
    double d;  // inside where dot(n, p) + d >= 0
  };
  Face faces[12];
  int count = 0;
  for (const Plane& p : g_frustumPlanes) {
    if (!std::isfinite(p.a + p.b + p.c + p.d) || (p.a == 0.0f && p.b == 0.0f && p.c == 0.0f)) return false;
    faces[count++] = {glm::dvec3(p.a, p.b, p.c), static_cast<double>(p.d) + static_cast<double>(radius)};
  }
  faces[count++] = {glm::dvec3(0, 1, 0), -static_cast<double>(yLow)};
  faces[count++] = {glm::dvec3(0, -1, 0), static_cast<double>(yHigh)};
  for (const glm::dvec3& n : {glm::dvec3(1, 0, 0), glm::dvec3(-1, 0, 0), glm::dvec3(0, 0, 1), glm::dvec3(0, 0, -1)}) {
    faces[count++] = {n, kFar};
  }
  glm::dvec3 lo(kFar), hi(-kFar);
  bool found = false;
  for (int i = 0; i < count; ++i) {
    for (int j = i + 1; j < count; ++j) {
      for (int k = j + 1; k < count; ++k) {
        const Face &f = faces[i], &g = faces[j], &h = faces[k];
        const glm::dvec3 gh = glm::cross(g.n, h.n), hf = glm::cross(h.n, f.n), fg = glm::cross(f.n, g.n);
        const double det = glm::dot(f.n, gh);
        if (std::fabs(det) < 1e-9) continue;
        const glm::dvec3 p = -(f.d * gh + g.d * hf + h.d * fg) / det;
        bool inside = true;
        for (int m = 0; m < count && inside; ++m) inside = glm::dot(faces[m].n, p) + faces[m].d >= -1e-3;
        if (!inside) continue;
        found = true;
        lo = glm::min(lo, p);
        hi = glm::max(hi, p);
      }
    }
  }
  if (!found) {
    *out = {1.0f, 0.0f, 1.0f, 0.0f};  // nothing in view: an empty reach
    return true;
  }
  *out = {static_cast<float>(lo.x), static_cast<float>(hi.x), static_cast<float>(lo.z), static_cast<float>(hi.z)};
  return true;
}
