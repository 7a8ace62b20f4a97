#include "event/effect3d.h"

#include "data/tasks.h"
#include "engine/draw.h"
#include "engine/graphics.h"
#include "engine/util.h"

namespace {

bool ShapeValid(int32_t shape) { return shape >= 0 && shape < kMeshCount; }

}  // namespace

EffectData* EffectCreate(float x, float y, float z, int32_t shape, int32_t frames, EffectStep state, bool ring) {
  TaskSlot* slot = TaskStart(TaskAllocInRange(kSlotObjectsFirst, kSlotObjectsEnd), kTaskIdEffect3D, 0, EffectTaskUpdate,
                             ring ? EffectRingDraw : EffectShapeDraw);
  if (!slot) return nullptr;
  EffectData* e = TaskDataInit<EffectData>(slot);
  e->live = 1;
  e->x = e->centre[0] = x;
  e->y = e->centre[1] = y;
  e->z = e->centre[2] = z;
  e->shape = shape;
  e->frames = frames;
  e->state = state;
  return e;
}

int SpinRingCreate(float x, float y, float z, int32_t shape, int32_t frames) {
  return EffectCreate(x, y, z, shape, frames, EffectRingStateSpin, true) ? 1 : 0;
}

void EffectTaskUpdate(TaskSlot* slot) {
  EffectData* e = TaskData<EffectData>(slot);
  if (e->state) e->state(e);
  if (e->live == 0) slot->inUse = 0;
}

void EffectShapeDraw(TaskSlot* slot) {
  const EffectData* e = TaskData<EffectData>(slot);
  if (ShapeValid(e->shape)) DrawGlowAt(g_meshes[e->shape], e->x, e->y, e->z);
}

void EffectRingDraw(TaskSlot* slot) {
  const EffectData* e = TaskData<EffectData>(slot);
  if (ShapeValid(e->shape)) DrawGlowAtRotY(g_meshes[e->shape], e->x, e->y, e->z, e->angle);
}

bool EffectOrbitStep(EffectData* e) {
  PolarOffset(&e->x, &e->z, e->centre[0], e->centre[2], e->angle, e->radius);
  e->angle += kEffectOrbitTurn;
  if (e->angle > 360.0f) e->angle -= 360.0f;
  e->radius += kEffectOrbitGrowth;
  if (e->radius <= e->maxRadius) return false;
  e->radius = e->maxRadius;
  --e->frames;
  return true;
}

void EffectStateHoldThenEnd(EffectData* e) {
  if (--e->frames < 1) e->live = 0;
}

void EffectRingStateSpin(EffectData* e) {
  e->angle += kEffectRingTurn;
  if (e->angle > 360.0f) e->angle -= 360.0f;
  if (--e->frames <= 0) e->live = 0;
}
