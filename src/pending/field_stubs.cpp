// TEMPORARY: stand-ins for engine pieces and shared state that other branches are
// building (the camera, the 2D helpers, the party's money), so the field links and runs
// on its own. Only what the field uses is here; the lead removes this file at merge.
#include <glm/mat4x4.hpp>
#include <string>

#include "data/atlas.h"
#include "engine/camera.h"
#include "engine/draw.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/util.h"

Plane g_frustumPlanes[6] = {};

namespace {
void StubCameraUpdate(TaskSlot* slot) {
  CameraData* camera = TaskData<CameraData>(slot);
  if (camera->step) camera->step(camera);
  PolarOffset(&camera->eye[0], &camera->eye[2], camera->at[0], camera->at[2], camera->angle, kCameraDistance);
  CameraSetView(camera->at, camera->eye);
}
void StubCameraDraw(TaskSlot*) {}
}  // namespace

int CameraCreate(float x, float y, float z, float angle, int32_t tag, CameraStep step) {
  if (TaskExists(kTaskIdCamera)) return 0;
  TaskSlot* slot = TaskAllocAtForce(kSlotCamera);
  slot->inUse = 1;
  slot->updateOn = 1;
  slot->drawOn = 1;
  slot->id = kTaskIdCamera;
  slot->update = StubCameraUpdate;
  slot->draw = StubCameraDraw;
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

void CameraFollowStep(CameraData* camera) {
  const void* followed = TaskFindByTag(camera->tag);
  if (followed) TaskReadPosition(followed, camera->at[0], camera->at[1], camera->at[2]);
}

void CameraHoldStep(CameraData*) {}

void CameraSetView(const float at[3], const float eye[3]) {
  if (!g_device) return;
  const glm::mat4 view = MatLookAtLH({eye[0], eye[1], eye[2]}, {at[0], at[1], at[2]}, {0.0f, 1.0f, 0.0f});
  g_device->SetTransform(plat::TransformKind::View, view);
  g_device->SetTransform(plat::TransformKind::Projection,
                         MatPerspectiveFovLH(kCameraFovY, kCameraAspect, kCameraNear, kCameraFar));
}

int SphereInFrustum(float x, float y, float z, float radius) {
  for (const Plane& p : g_frustumPlanes) {
    if (p.a * x + p.b * y + p.c * z + p.d < -radius) return 0;
  }
  return 1;
}
