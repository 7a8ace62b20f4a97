#include "field/walker.h"

#include <cmath>
#include <glm/mat4x4.hpp>

#include "data/characters.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/camera.h"
#include "engine/draw.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "engine/sound.h"
#include "field/encounter.h"
#include "field/field_view.h"
#include "field/map.h"
#include "field/objects.h"

namespace {

constexpr float kPi = 3.14159f;  // the four axis directions come out whole with this value
constexpr float kHiddenRadius = 0.25f;
constexpr float kFollowDistance = 2.0f;

float Distance3(float ax, float ay, float az, float bx, float by, float bz) {
  const float dx = ax - bx, dy = ay - by, dz = az - bz;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

float RoundHalfAway(float v) { return v < 0.0f ? std::ceil(v - 0.5f) : std::floor(v + 0.5f); }

void SnapToCell(WalkerData* w) {
  RoundPairToInt(&w->x, &w->z, w->x, w->z);
  w->prevX = w->x;
  w->prevY = w->y;
  w->prevZ = w->z;
}

void FinishStep(WalkerData* w, WalkerStep rest) {
  w->subStep = 0;
  w->state = rest;
  w->prevX = w->x;
  w->prevY = w->y;
  w->prevZ = w->z;
}

// Each finished step of the leader on a map with encounters brings the next random
// battle one step closer.
void WalkerPlayerSubStep(WalkerData* w, float angle) {
  OffsetByAngle(&w->x, &w->z, w->x, w->z, angle, kWalkerQuarter);
  if (++w->subStep <= 7) return;
  FinishStep(w, WalkerStatePlayerIdle);
  if (g_encounterArea > 0 && g_encounterCountdown > 0) --g_encounterCountdown;
}

void WalkerFollowerSubStep(WalkerData* w, float angle) {
  OffsetByAngle(&w->x, &w->z, w->x, w->z, angle, kWalkerQuarter);
  if (++w->subStep <= 7) return;
  FinishStep(w, WalkerStateFollower);
}

WalkerStep PlayerStepState(int angle) {
  switch (angle) {
    case 0: return WalkerStatePlayerStep0;
    case 90: return WalkerStatePlayerStep90;
    case 180: return WalkerStatePlayerStep180;
    default: return WalkerStatePlayerStep270;
  }
}

WalkerStep FollowerStepState(int angle) {
  switch (angle) {
    case 0: return WalkerStateFollowerStep0;
    case 90: return WalkerStateFollowerStep90;
    case 180: return WalkerStateFollowerStep180;
    default: return WalkerStateFollowerStep270;
  }
}

int StepAngleOf(WalkerStep state) {
  if (state == WalkerStatePlayerStep0) return 0;
  if (state == WalkerStatePlayerStep90) return 90;
  if (state == WalkerStatePlayerStep180) return 180;
  if (state == WalkerStatePlayerStep270) return 270;
  return -1;
}

// One try toward `angle`: a free cell starts the step. The result is WalkerTryStep's.
int TryStepToward(WalkerData* w, int angle) {
  const int r = WalkerTryStep(&w->x, &w->z, static_cast<float>(angle));
  if (r == 0) {
    w->state = PlayerStepState(angle);
    ++w->subStep;
  }
  return r;
}

// A push toward `angle`. Into a wall the leader slides along it toward the side its
// preference names (the last perpendicular key); walled there too, the preference turns
// to the other side for the next frame. A taken cell stops it without a slide.
void PlayerMove(WalkerData* w, int angle, int32_t* preference, int slideFor0, int slideFor1) {
  if (TryStepToward(w, angle) != kCollisionWall) return;
  const int slide = *preference == 1 ? slideFor1 : slideFor0;
  if (TryStepToward(w, slide) == kCollisionWall) *preference = *preference == 1 ? 0 : 1;
}

void WalkerUpdateFacing(WalkerData* w) {
  if (Distance3(w->x, w->y, w->z, w->prevX, w->prevY, w->prevZ) >= kWalkerQuarter) {
    w->facing = RoundHalfAway(AngleDeg(w->prevX, w->prevZ, w->x, w->z));
  }
}

// Pressing A at rest switches auto-battle for the battles to come.
bool AutoBattleKeyCheck() {
  if (!KeyPressed(kKeyA)) return false;
  g_settings.autoBattle = 1 - g_settings.autoBattle;
  SoundRequest(kSoundAutoBattle, 0);
  return true;
}

}  // namespace

void WalkerStatePlayerIdle(WalkerData* w) {
  if (w->subStep == 0) {
    SnapToCell(w);
    MapSetCollision(w->x, w->z, kCollisionTaken);
    // The map's run-once event starts in a frame or two and its script expects the
    // party where the map change set it down: a step begun now would be frozen halfway
    // by the event and leave the party between cells for good.
    if (AutoEventPending()) return;
    if (EncounterCheck(w->x, w->z) || FieldMenuKeyCheck() || AutoBattleKeyCheck()) return;
  }
  if (KeyHeld(kKeyRight)) {
    w->horizontalPreference = 0;
    WalkerStatePlayerMove0(w);
  } else if (KeyHeld(kKeyLeft)) {
    w->horizontalPreference = 1;
    WalkerStatePlayerMove180(w);
  } else if (KeyHeld(kKeyDown)) {
    w->verticalPreference = 0;
    WalkerStatePlayerMove270(w);
  } else if (KeyHeld(kKeyUp)) {
    w->verticalPreference = 1;
    WalkerStatePlayerMove90(w);
  }
  WalkerReserveCellsPlayer(w);
}

void WalkerStatePlayerMove0(WalkerData* w) { PlayerMove(w, 0, &w->verticalPreference, 270, 90); }
void WalkerStatePlayerMove180(WalkerData* w) { PlayerMove(w, 180, &w->verticalPreference, 270, 90); }
void WalkerStatePlayerMove90(WalkerData* w) { PlayerMove(w, 90, &w->horizontalPreference, 0, 180); }
void WalkerStatePlayerMove270(WalkerData* w) { PlayerMove(w, 270, &w->horizontalPreference, 0, 180); }

void WalkerReserveCellsPlayer(WalkerData* w) {
  const int angle = StepAngleOf(w->state);
  if (angle < 0) return;
  float aheadX = w->x, aheadZ = w->z;
  OffsetByAngle(&aheadX, &aheadZ, w->x, w->z, static_cast<float>(angle), kCellSize);
  MapSetCollision(aheadX, aheadZ, kCollisionTaken);
  MapSetCollision(w->x, w->z, kCollisionFree);
}

void WalkerStatePlayerStep0(WalkerData* w) { WalkerPlayerSubStep(w, 0.0f); }
void WalkerStatePlayerStep90(WalkerData* w) { WalkerPlayerSubStep(w, 90.0f); }
void WalkerStatePlayerStep180(WalkerData* w) { WalkerPlayerSubStep(w, 180.0f); }
void WalkerStatePlayerStep270(WalkerData* w) { WalkerPlayerSubStep(w, 270.0f); }

// A follower starts once the walker before it, standing in a neighbouring cell at least
// a cell away, has begun its next step; so the chain trails one cell per member.
void WalkerStateFollower(WalkerData* w) {
  const WalkerData* l = w->leader;
  if (!l) return;
  if (w->subStep == 0) SnapToCell(w);
  const int direction = MapNeighbourDirection(MapCellIndex(w->x, w->z), MapCellIndex(l->x, l->z));
  w->savedFacing = w->facing;
  if (direction < 0) return;
  if (Distance3(l->x, l->y, l->z, l->prevX, l->prevY, l->prevZ) < kWalkerQuarter) return;
  if (Distance3(l->x, l->y, l->z, w->x, w->y, w->z) < kFollowDistance) return;
  w->facing = static_cast<float>(direction);
  w->state = FollowerStepState(direction);
  WalkerFollowerSubStep(w, static_cast<float>(direction));
}

void WalkerStateFollowerStep0(WalkerData* w) { WalkerFollowerSubStep(w, 0.0f); }
void WalkerStateFollowerStep90(WalkerData* w) { WalkerFollowerSubStep(w, 90.0f); }
void WalkerStateFollowerStep180(WalkerData* w) { WalkerFollowerSubStep(w, 180.0f); }
void WalkerStateFollowerStep270(WalkerData* w) { WalkerFollowerSubStep(w, 270.0f); }

void WalkerStateFrozen(WalkerData*) {}

int WalkerTryStep(float* x, float* z, float angle) {
  float aheadX = *x, aheadZ = *z;
  OffsetByAngle(&aheadX, &aheadZ, *x, *z, angle, kCellSize);
  const int collision = MapCollisionAt(aheadX, aheadZ);
  if (collision >= 1) return collision;
  OffsetByAngle(x, z, *x, *z, angle, kWalkerQuarter);
  return 0;
}

int PartyWalkersCreate(float x, float y, float z, float angle, int frozen) {
  WalkerData* leader = nullptr;
  for (int member = 0; member < kWalkerCount; ++member) leader = WalkerCreate(x, y, z, angle, member, frozen, leader);
  if (!MapViewCreate()) return 0;
  return CameraCreate(x, 0.0f, z, 270.0f, kWalkerLeaderTag, CameraFollowStep);
}

WalkerData* WalkerCreate(float x, float y, float z, float angle, int member, int frozen, WalkerData* leader) {
  TaskSlot* slot = TaskAllocAtForce(kSlotWalkerFirst + member);
  if (!slot) return nullptr;
  TaskStart(slot, kTaskIdWalker, kWalkerLeaderTag + member, WalkerUpdate, WalkerDraw);
  WalkerData* w = TaskDataInit<WalkerData>(slot);
  w->live = 1;
  w->flag = 1;
  w->x = w->prevX = x;
  w->y = w->prevY = y;
  w->z = w->prevZ = z;
  w->angle = w->facing = w->savedFacing = angle;
  w->member = member;
  w->leader = leader;
  w->model = g_party[member].model;
  if (frozen) {
    w->state = WalkerStateFrozen;
  } else {
    w->state = member == 0 ? WalkerStatePlayerIdle : WalkerStateFollower;
  }
  return w;
}

// Holding A on the field keeps the countdown full, so no random battle starts.
void WalkerUpdate(TaskSlot* slot) {
  WalkerData* w = TaskData<WalkerData>(slot);
  if (w->state) w->state(w);
  WalkerUpdateFacing(w);
  if (w->live == 0) slot->inUse = 0;
  if (KeyHeld(kKeyA)) g_encounterCountdown = g_encounterInterval;
}

void WalkerDraw(TaskSlot* slot) {
  WalkerData* w = TaskData<WalkerData>(slot);
  if (!PartyMemberPresent(w->member) || WalkerIsHiddenByOther(w)) return;
  const int32_t model = g_party[w->member].model;
  if (model < 0 || model >= kMeshCount) return;
  glm::mat4 world;
  BuildWorldYaw(&world, w->x, w->y, w->z, &w->facing);
  DrawMesh(g_meshes[model], world);
}

// Walkers stacked on one point show only the lowest.
int WalkerIsHiddenByOther(const WalkerData* walker) {
  if (!g_taskPool) return 0;
  for (int s = 0; s < walker->member && s < kTaskSlotCount; ++s) {
    TaskSlot& other = g_taskPool[s];
    if (!other.inUse || other.id != kTaskIdWalker) continue;
    const WalkerData* o = TaskData<WalkerData>(&other);
    if (DistanceXZ(o->x, o->z, walker->x, walker->z) <= kHiddenRadius) return 1;
  }
  return 0;
}

float DistanceXZ(float ax, float az, float bx, float bz) {
  const float dx = ax - bx, dz = az - bz;
  return std::sqrt(dx * dx + dz * dz);
}

void OffsetByAngle(float* outX, float* outZ, float x, float z, float angle, float d) {
  const float rounded = RoundHalfAway(angle);
  if (!(std::fabs(rounded) < 1.0e6f)) return;
  switch (((static_cast<int>(rounded) % 360) + 360) % 360) {
    case 0:
      *outX = x + d;
      *outZ = z;
      break;
    case 90:
      *outX = x;
      *outZ = z + d;
      break;
    case 180:
      *outX = x - d;
      *outZ = z;
      break;
    case 270:
      *outX = x;
      *outZ = z - d;
      break;
    default: break;
  }
}

void RoundPairToInt(float* outA, float* outB, float a, float b) {
  *outA = RoundHalfAway(a);
  *outB = RoundHalfAway(b);
}

float AngleDeg(float x0, float z0, float x1, float z1) {
  const float dx = x1 - x0, dz = z1 - z0;
  float a = dx == 0.0f ? 1.570795f : std::atan(dz / dx);
  if (dx < 0.0f || (dx == 0.0f && dz <= 0.0f)) a += kPi;
  return a * 180.0f / kPi;
}
