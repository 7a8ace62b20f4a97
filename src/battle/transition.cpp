#include "battle/transition.h"

#include "battle/battle.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/util.h"

namespace {

constexpr float kCornerOffsets[4] = {45.0f, -45.0f, -135.0f, -225.0f};

float Wrap(float a) {
  if (a >= 360.0f) a -= 360.0f;
  if (a < 0.0f) a += 360.0f;
  return a;
}

void PlaceCentre(const BattleTransitionData* t, TransitionQuad* q) {
  PolarOffset(&q->centreX, &q->centreY, t->centreX, t->centreY, q->angle, q->radius);
}

}  // namespace

int BattleTransitionStart(int32_t noBattle) {
  TaskSlot* slot = TaskStart(TaskAllocAt(kSlotEncounterTransition), kTaskIdEncounterTransition, 0,
                             BattleTransitionUpdate, BattleTransitionDraw);
  if (!slot) return 0;
  BattleTransitionData* t = TaskDataInit<BattleTransitionData>(slot);
  t->live = 1;
  t->noBattle = noBattle;
  t->centreX = 320.0f;
  t->centreY = 240.0f;
  for (int i = 0; i < 4; ++i) {
    TransitionQuad& q = t->quads[i];
    q.angle = 90.0f * static_cast<float>(i);
    q.radius = kTransitionStartRadius;
    PlaceCentre(t, &q);
    TransitionQuadCorners(&q);
  }
  t->step = BattleTransitionStep;
  return 1;
}

int BattleTransitionStartForEvent() { return BattleTransitionStart(1); }

void TransitionQuadCorners(TransitionQuad* q) {
  for (int k = 0; k < 4; ++k) {
    const float a = Wrap(q->angle + 90.0f + kCornerOffsets[k]);
    PolarOffset(&q->corners[2 * k], &q->corners[2 * k + 1], q->centreX, q->centreY, a, kTransitionCornerRadius);
    q->angle += 10.0f;
    if (q->angle >= 360.0f) q->angle -= 360.0f;
  }
}

// From 640 the radius reaches 32 on the 19th frame.
void BattleTransitionStep(BattleTransitionData* t) {
  for (TransitionQuad& q : t->quads) PlaceCentre(t, &q);
  for (TransitionQuad& q : t->quads) TransitionQuadCorners(&q);
  for (TransitionQuad& q : t->quads) {
    q.radius -= kTransitionSpeed;
    if (q.radius > kTransitionEndRadius) continue;
    q.radius = kTransitionEndRadius;
    t->live = 0;
  }
}

// The battle is checked before everything is hidden: when it cannot start, the field
// is given back as it stood instead of a black screen.
void BattleTransitionUpdate(TaskSlot* slot) {
  BattleTransitionData* t = TaskData<BattleTransitionData>(slot);
  if (t->step) t->step(t);
  if (t->live != 0) return;
  slot->inUse = 0;
  if (t->noBattle != 0) return;
  if (!BattleCanStart(kBattleSideMax)) {
    TaskSetModeAllForce(kTaskModeRun);
    return;
  }
  TaskSetModeAllForce(kTaskModeHide);
  BattleStartRandom();
}

void BattleTransitionDraw(TaskSlot* slot) {
  const BattleTransitionData* t = TaskData<BattleTransitionData>(slot);
  const AtlasRect& p = kAtlasTransitionPatch;
  const float uv[8] = {p.left, p.top, p.right, p.top, p.right, p.bottom, p.left, p.bottom};
  for (const TransitionQuad& q : t->quads) {
    DrawQuad2DCorners(q.corners, uv, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
  }
}
