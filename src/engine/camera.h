// The field camera task and the view frustum used to skip what cannot be seen.
#pragma once

#include <cstdint>

#include "engine/task.h"

struct CameraData;
using CameraStep = void (*)(CameraData* camera);

struct CameraData {
  float eye[3];
  float at[3];
  float angle;  // degrees, from the look-at point toward the eye
  CameraStep step;
  int32_t tag;  // the followed task's tag, 0 for none
};

constexpr float kCameraDistance = 20.0f;
constexpr float kCameraHeight = 60.0f;
constexpr float kCameraFovY = 0.5235988f;
constexpr float kCameraAspect = 1.0f;
constexpr float kCameraNear = 0.1f;
constexpr float kCameraFar = 100.0f;

// The camera is an engine task with its own id and slot, under every screen.
constexpr int32_t kTaskIdCamera = 1000;
constexpr int kSlotCamera = 399;

struct Plane {
  float a, b, c, d;
};
extern Plane g_frustumPlanes[6];  // top, bottom, right, left, near, far

int CameraCreate(float x, float y, float z, float angle, int32_t tag, CameraStep step);
void CameraUpdate(TaskSlot* slot);
void CameraDraw(TaskSlot* slot);
void CameraFollowStep(CameraData* camera);
void CameraHoldStep(CameraData* camera);
void CameraSetView(const float at[3], const float eye[3]);
void FrustumUpdate();
// Where a world point lands on the screen, in pixels, through the view and projection
// last set and the renderer's viewport.
void WorldToScreen(float out[2], float x, float y, float z);
int SphereInFrustum(float x, float y, float z, float radius);

// The ground the frustum reaches: bounds in x and z holding the centre of every sphere of
// `radius`, centred between heights yLow and yHigh, that SphereInFrustum passes. False
// when the planes bound no such place (none set yet, or nothing in view).
struct FrustumBounds {
  float xMin, xMax, zMin, zMax;
};
bool FrustumReach(float yLow, float yHigh, float radius, FrustumBounds* out);
