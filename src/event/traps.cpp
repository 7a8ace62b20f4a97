#include "event/traps.h"

#include <cmath>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/draw.h"
#include "engine/graphics.h"
#include "engine/sound.h"
#include "event/field_commands.h"
#include "event/party_commands.h"
#include "event/popup.h"
#include "field/field_view.h"
#include "field/map.h"
#include "field/objects.h"
#include "field/walker.h"

namespace {

constexpr float kPitfallDeepest = -6.0f;
constexpr float kPitfallDown = -3.0f;  // every walker this deep ends the sinking
constexpr float kPitfallLandedY = 0.25f;
constexpr int kPitfallCarryFrom = 12;  // the rise steps that also carry the walker back
constexpr int kPitfallRiseSound = 1;

// Up for twelve steps, then the jump's arc: six in all, the last eight of them also a
// quarter cell back.
constexpr float kPitfallRise[kPitfallRiseSteps] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,  0.5f,   0.5f,  0.5f,  0.5f,
                                                   0.5f, 0.5f, 3.0f, 1.5f, 0.5f, 0.25f, -0.25f, -0.5f, -1.5f, -3.0f};

WalkerData* WalkerOf(int member) {
  TaskSlot& slot = g_taskPool[kSlotWalkerFirst + member];
  return slot.inUse && slot.id == kTaskIdWalker ? TaskData<WalkerData>(&slot) : nullptr;
}

bool AxisDirection(int32_t direction) {
  float dx = 0.0f, dz = 0.0f;
  return AxisOffset(direction, 0.0f, &dx, &dz);
}

// A follower spins and closes in on the leader a quarter a frame, along x first.
void PitfallCloseIn(WalkerData* walker, const WalkerData* leader) {
  walker->facing += 45.0f;
  if (walker->facing >= 360.0f) walker->facing -= 360.0f;
  const float dx = leader->x - walker->x, dz = leader->z - walker->z;
  if (dx >= kWalkerQuarter) {
    walker->x += kWalkerQuarter;
  } else if (dx <= -kWalkerQuarter) {
    walker->x -= kWalkerQuarter;
  } else if (dz >= kWalkerQuarter) {
    walker->z += kWalkerQuarter;
  } else if (dz <= -kWalkerQuarter) {
    walker->z -= kWalkerQuarter;
  }
  if (std::fabs(leader->x - walker->x) < kWalkerQuarter && std::fabs(leader->z - walker->z) < kWalkerQuarter) {
    PitfallSink(walker);
  }
}

// The field holds its four walkers whenever an event runs; one that is missing all the
// same does not hold the pit up.
bool AllWalkersDown() {
  for (int m = 0; m < kWalkerCount; ++m) {
    const WalkerData* w = WalkerOf(m);
    if (w && w->y > kPitfallDown) return false;
  }
  return true;
}

LiftData* FindLift() {
  TaskSlot* slot = TaskFindById(kTaskIdLift);
  return slot ? TaskData<LiftData>(slot) : nullptr;
}

// A walker carried off by a trap or a lift gives up the cells it held; it claims its
// new one once it stands at rest again.
void WalkersReleaseCells() {
  for (int m = 0; m < kWalkerCount; ++m) {
    if (WalkerOf(m)) ObjectReleaseCells(&g_taskPool[kSlotWalkerFirst + m]);
  }
}

}  // namespace

void EventCmdPitfall(EventContext*) {
  WalkersReleaseCells();
  for (int m = 0; m < kWalkerCount && m < g_partyCount; ++m) {
    if (WalkerData* w = WalkerOf(m)) {
      w->pitfallTimer = kPitfallSinkTimer;
      w->pitfallStep = 0;
    }
  }
}

// The leader sinks at once; the others spin in toward it and sink once they are on it.
// When all are down, each gets its turn to jump out, facing away from where the leader
// was going, and the party is hurt.
void EventStepPitfall(EventContext* context) {
  WalkerData* leader = WalkerOf(0);
  if (!leader) {
    context->step = EventStepReadCommand;
    return;
  }
  PitfallSink(leader);
  const float back = FacingReverse(leader->facing);
  for (int m = 1; m < kWalkerCount; ++m) {
    if (WalkerData* w = WalkerOf(m)) PitfallCloseIn(w, leader);
  }
  if (!AllWalkersDown()) return;
  for (int m = 0; m < kWalkerCount; ++m) {
    if (WalkerData* w = WalkerOf(m)) {
      w->pitfallTimer = (m + 1) * kPitfallRiseGap;
      w->pitfallStep = 0;
      w->facing = back;
    }
  }
  context->waitCounter = kPitfallPauseFrames;
  context->step = EventStepPitfallPause;
  PartyHurtAll();
}

void EventStepPitfallPause(EventContext* context) {
  if (--context->waitCounter <= 0) context->step = EventStepPitfallRise;
}

void EventStepPitfallRise(EventContext* context) {
  bool done = true;
  for (int m = 0; m < kWalkerCount; ++m) {
    WalkerData* w = WalkerOf(m);
    if (!w) continue;
    if (w->pitfallTimer >= 1) {
      --w->pitfallTimer;
    } else if (w->pitfallStep < kPitfallRiseSteps) {
      PitfallRiseStep(w);
      ++w->pitfallStep;
    }
    done = done && w->pitfallStep >= kPitfallRiseSteps;
  }
  if (!done) return;
  for (int m = 0; m < kWalkerCount; ++m) {
    if (WalkerData* w = WalkerOf(m)) {
      w->y = kPitfallLandedY;
      w->subStep = 0;
      w->pitfallStep = 0;
      w->pitfallTimer = 0;
      w->pitfallFlag = 0;
    }
  }
  context->step = EventStepReadCommand;
}

void PitfallSink(WalkerData* walker) {
  walker->y = std::fmax(walker->y - kWalkerQuarter, kPitfallDeepest);
  if (walker->pitfallTimer <= 0) return;
  if (--walker->pitfallTimer != 1) return;
  SoundRequest(kSoundPitFall, 0);
  NumberPopupSpawn(walker->x, walker->y, walker->z, static_cast<float>(kPartyHurtDamage), kPopupDamage);
}

float FacingReverse(float angle) {
  if (angle == 0.0f) return 180.0f;
  if (angle == 90.0f) return 270.0f;
  if (angle == 180.0f) return 0.0f;
  if (angle == 270.0f) return 90.0f;
  return 0.0f;
}

void PitfallRiseStep(WalkerData* walker) {
  const int step = walker->pitfallStep;
  if (step < 0 || step >= kPitfallRiseSteps) return;
  if (step == kPitfallRiseSound) SoundRequest(kSoundPitRise, 0);
  walker->y += kPitfallRise[step];
  if (step < kPitfallCarryFrom) return;
  float dx = 0.0f, dz = 0.0f;
  if (!AxisOffset(static_cast<int32_t>(walker->facing), kWalkerQuarter, &dx, &dz)) return;
  // A walker whose landing, a cell back, lies off the map jumps on the spot; the flag
  // keeps that for the rest of the jump.
  if (step == kPitfallCarryFrom) {
    const float carry = static_cast<float>(kPitfallRiseSteps - kPitfallCarryFrom);
    walker->pitfallFlag = MapCellIndexChecked(walker->x + dx * carry, walker->z + dz * carry) < 0 ? 1 : 0;
  }
  if (walker->pitfallFlag != 0) return;
  walker->x += dx;
  walker->z += dz;
}

void EventCmdProjectile(EventContext* context) {
  float x = 0.0f, z = 0.0f;
  const bool onMap = EventReadCell(context, &x, &z);
  const int32_t direction = EventReadArg(context);
  if (onMap && AxisDirection(direction)) ProjectileCreate(x, z, direction);
}

ProjectileData* ProjectileCreate(float x, float z, int32_t direction) {
  TaskSlot* slot = TaskStart(TaskAllocInRange(kSlotObjectsFirst, kSlotObjectsEnd), kTaskIdProjectile, 0,
                             ProjectileUpdate, ProjectileDraw);
  if (!slot) return nullptr;
  ProjectileData* p = TaskDataInit<ProjectileData>(slot);
  p->live = 1;
  p->x = x;
  p->y = kProjectileY;
  p->z = z;
  p->direction = direction;
  p->timer = kProjectileDelay;
  p->model = kMeshSmallSphere;
  p->step = ProjectileDelay;
  return p;
}

void ProjectileUpdate(TaskSlot* slot) { TaskRunStep<ProjectileData>(slot); }

void ProjectileDraw(TaskSlot* slot) {
  const ProjectileData* p = TaskData<ProjectileData>(slot);
  if (p->model >= 0 && p->model < kMeshCount) DrawShapeAt(g_meshes[p->model], p->x, p->y, p->z);
}

void ProjectileDelay(ProjectileData* p) {
  if (--p->timer > 0) return;
  p->step = ProjectileFly;
  SoundRequest(kSoundTakeOff, 0);
}

// One that has met nobody by the time it leaves the map is gone, so the event waiting
// for it always goes on.
void ProjectileFly(ProjectileData* p) {
  float dx = 0.0f, dz = 0.0f;
  if (AxisOffset(p->direction, kProjectileStep, &dx, &dz)) {
    p->x += dx;
    p->z += dz;
  }
  if (!ProjectileHitTest(p) && MapCellIndexChecked(p->x, p->z) < 0) p->live = 0;
}

// Only a member's walker can be hit: the walkers beyond the party move along unseen.
int ProjectileHitTest(ProjectileData* p) {
  for (int m = 0; m < kWalkerCount; ++m) {
    const WalkerData* w = WalkerOf(m);
    if (!w || !PartyMemberPresent(w->member)) continue;
    if (DistanceXZ(p->x, p->z, w->x, w->z) >= kProjectileReach) continue;
    PartyMemberHurt(w->member, kPartyHurtDamage);
    p->timer = kProjectileHold;
    p->model = kMeshLargeSphere;
    p->step = ProjectileHold;
    SoundRequest(kSoundLand, 0);
    NumberPopupSpawn(w->x, w->y, w->z, static_cast<float>(kPartyHurtDamage), kPopupDamage);
    return 1;
  }
  return 0;
}

void ProjectileHold(ProjectileData* p) {
  if (--p->timer < 1) p->live = 0;
}

void EventCmdLiftCreate(EventContext* context) {
  float x = 0.0f, z = 0.0f;
  const bool onMap = EventReadCell(context, &x, &z);
  const int32_t top = EventReadArg(context);
  const int32_t side = EventReadArg(context);
  if (!onMap || top < 0 || top >= kTextureCount || side < 0 || side >= kTextureCount) return;
  TaskSlot* slot = TaskStart(TaskAllocAt(kSlotLift), kTaskIdLift, 0, LiftUpdate, LiftDraw);
  if (!slot) return;
  LiftData* lift = TaskDataInit<LiftData>(slot);
  lift->live = 1;
  lift->x = x;
  lift->y = kLiftY;
  lift->z = z;
  lift->topTexture = top;
  lift->sideTexture = side;
  lift->step = LiftCarryWalkers;
  WalkersReleaseCells();
}

void EventCmdLiftMove(EventContext* context) {
  const int32_t direction = EventReadArg(context);
  const int32_t steps = EventReadArg(context);
  LiftData* lift = FindLift();
  if (!lift) return;
  lift->direction = direction;
  lift->stepsLeft = AxisDirection(direction) ? steps : 0;
}

// The lift moves here; the walkers follow through its own update.
void EventStepLiftMove(EventContext* context) {
  LiftData* lift = FindLift();
  if (lift && lift->stepsLeft >= 1) {
    --lift->stepsLeft;
    if (!LiftMoveQuarter(lift)) lift->stepsLeft = 0;
  }
  if (!lift || lift->stepsLeft < 1) context->step = EventStepReadCommand;
}

void LiftUpdate(TaskSlot* slot) { TaskRunStep<LiftData>(slot); }

void LiftDraw(TaskSlot* slot) {
  const LiftData* lift = TaskData<LiftData>(slot);
  DrawTexturedBlock(lift->x, lift->z, lift->y + kLiftTopAbove, lift->topTexture, lift->sideTexture);
}

void LiftCarryWalkers(LiftData* lift) {
  for (int m = 0; m < kWalkerCount; ++m) {
    if (WalkerData* w = WalkerOf(m)) {
      w->x = lift->x;
      w->z = lift->z;
    }
  }
}

int LiftMoveQuarter(LiftData* lift) {
  float facing = 0.0f;
  return ObjectStepQuarter(&lift->x, &lift->z, &facing, lift->direction);
}
