#include "battle/cursor.h"

#include <cmath>
#include <glm/mat4x4.hpp>

#include "battle/actions.h"
#include "battle/battle.h"
#include "battle/grid.h"
#include "battle/messages.h"
#include "data/tasks.h"
#include "engine/camera.h"
#include "engine/draw.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/sound.h"
#include "engine/util.h"
#include "field/walker.h"
#include "menu/choice_menu.h"

// clang-format off
// 40 frames at rest, then the marker swells and shrinks; past the end the index goes
// back to 32, so the pulse repeats every 64 frames.
const float g_pulseTable[kPulseFrames] = {
    1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f,
    1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f,
    1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f,
    1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f, 1.41f,
    1.5f, 1.5f, 1.5f, 1.5f, 1.5f, 1.5f, 1.5f, 1.5f,
    1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f,
    1.7f, 1.7f, 1.7f, 1.7f, 1.7f, 1.7f, 1.7f, 1.7f,
    1.8f, 1.8f, 1.8f, 1.8f, 1.8f, 1.8f, 1.8f, 1.8f,
    1.7f, 1.7f, 1.7f, 1.7f, 1.7f, 1.7f, 1.7f, 1.7f,
    1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f, 1.6f,
    1.5f, 1.5f, 1.5f, 1.5f, 1.5f, 1.5f, 1.5f, 1.5f,
};
// clang-format on

namespace {

constexpr float kSubStep = 0.5f;
constexpr int32_t kStepSubSteps = 4;
constexpr float kTurnPerFrame = 2.0f;
constexpr int32_t kIdleFramesAtStart = 22;
constexpr int32_t kPulseRestart = 32;
constexpr float kCameraStartDistance = 10.0f;
constexpr int kTextureMarkerOrders = 4;
constexpr int kTextureMarkerEnemy = 5;
constexpr int kTextureMarkerFree = 6;

enum StepOrigin { kFromSelect = 0, kFromMove = 1, kFromAction = 2 };

// A one-cell step toward 0, 90, 180 or 270 degrees (direction 0 to 3), going back to
// the state it began from after four sub-steps. One function per direction and origin:
// the hints tell the target choices' steps apart from the others.
template <int Direction, int Origin>
void CursorStepState(CursorData* c) {
  OffsetByAngle(&c->marker[0], &c->marker[2], c->marker[0], c->marker[2], 90.0f * Direction, kSubStep);
  if (++c->stepCount < kStepSubSteps) return;
  c->stepCount = 0;
  c->state = Origin == kFromSelect ? CursorStateSelect
             : Origin == kFromMove ? CursorStateMoveTarget
                                   : CursorStateActionTarget;
}

template <int Origin>
constexpr CursorStep kStepStates[4] = {CursorStepState<0, Origin>, CursorStepState<1, Origin>,
                                       CursorStepState<2, Origin>, CursorStepState<3, Origin>};

bool IsStepOf(CursorStep s, const CursorStep (&steps)[4]) {
  for (CursorStep step : steps) {
    if (s == step) return true;
  }
  return false;
}

// The glide to a unit: an x leg, then a z leg, half a unit a frame.
void GlideStartZ(CursorData* c);
void GlideXPlus(CursorData* c);
void GlideXMinus(CursorData* c);
void GlideZPlus(CursorData* c);
void GlideZMinus(CursorData* c);

void GlideX(CursorData* c, float d) {
  if (c->glideCount >= 1) {
    c->marker[0] += d;
    --c->glideCount;
    return;
  }
  GlideStartZ(c);
}

void GlideZ(CursorData* c, float d) {
  if (c->glideCount >= 1) {
    c->marker[2] += d;
    --c->glideCount;
    return;
  }
  CursorArriveAtUnit(c);
}

void GlideXPlus(CursorData* c) { GlideX(c, kSubStep); }
void GlideXMinus(CursorData* c) { GlideX(c, -kSubStep); }
void GlideZPlus(CursorData* c) { GlideZ(c, kSubStep); }
void GlideZMinus(CursorData* c) { GlideZ(c, -kSubStep); }

void GlideStartZ(CursorData* c) {
  const UnitData* unit = UnitLive(c->unit);
  if (!unit) {
    c->state = PhaseNextUnit;
    return;
  }
  const float dz = RoundToNearest(c->marker[2]) - RoundToNearest(unit->z);
  c->glideCount = static_cast<int32_t>(2.0f * std::fabs(dz));
  if (dz == 0.0f) {
    CursorArriveAtUnit(c);
  } else {
    c->state = dz > 0.0f ? GlideZMinus : GlideZPlus;
  }
}

bool InGlide(CursorStep s) { return s == GlideXPlus || s == GlideXMinus || s == GlideZPlus || s == GlideZMinus; }

// The direction index (0 to 3) of an arrow key, relative to the view: Up leads away from
// the camera, Down toward it. -1 for none.
int ArrowDirection(const CursorData* c, int key) {
  float angle = c->heading;
  switch (key) {
    case kKeyUp: angle -= 180.0f; break;
    case kKeyDown: break;
    case kKeyRight: angle += 90.0f; break;
    case kKeyLeft: angle -= 90.0f; break;
    default: return -1;
  }
  int a = static_cast<int>(RoundToNearest(angle)) % 360;
  if (a < 0) a += 360;
  return (a + 45) / 90 % 4;
}

constexpr int kArrowOrder[4] = {kKeyUp, kKeyDown, kKeyRight, kKeyLeft};

int HeldArrow() {
  for (int key : kArrowOrder) {
    if (KeyHeld(key)) return key;
  }
  return -1;
}

int PressedArrow() {
  for (int key : kArrowOrder) {
    if (KeyPressed(key)) return key;
  }
  return -1;
}

// The first sub-step must end within the square of cell centres; the target choices
// also keep the marker on highlighted cells.
bool TryStep(CursorData* c, int direction, bool inRange) {
  const float angle = 90.0f * static_cast<float>(direction);
  float x = c->marker[0], z = c->marker[2];
  OffsetByAngle(&x, &z, c->marker[0], c->marker[2], angle, kSubStep);
  const float limitX = static_cast<float>(g_gridWidth - 1), limitZ = static_cast<float>(g_gridHeight - 1);
  if (x < -limitX || x > limitX || z < -limitZ || z > limitZ) return false;
  if (inRange) {
    float ax = c->marker[0], az = c->marker[2];
    OffsetByAngle(&ax, &az, c->marker[0], c->marker[2], angle, 2.0f);
    if (GridRangeAt(GridCellIndexAt(ax, az)) < 0) return false;
  }
  c->marker[0] = x;
  c->marker[2] = z;
  return true;
}

// Steps from the free and select states clear the overlay of the unit left behind; the
// target choices keep theirs, since the marker may only walk on it.
void StartStep(CursorData* c, int key, StepOrigin origin) {
  c->idleFrames = 0;
  const int direction = ArrowDirection(c, key);
  if (direction < 0 || !TryStep(c, direction, origin != kFromSelect)) return;
  c->stepCount = 1;
  if (origin == kFromSelect) GridClearRange();
  const CursorStep* steps = origin == kFromSelect ? kStepStates<kFromSelect>
                            : origin == kFromMove ? kStepStates<kFromMove>
                                                  : kStepStates<kFromAction>;
  c->state = steps[direction];
}

void TurnView(CursorData* c) {
  c->idleFrames = 0;
  c->state = CursorStateTurnView;
  SoundRequest(kSoundAutoBattle, 0);
}

void CursorShowUnitRange(const UnitData* unit) {
  if (unit->record.decision == kDecisionBoss) {
    GridShowAttackRange(unit->x, unit->z, unit->record.move);
  } else {
    GridShowMoveRange(unit->x, unit->z, unit->record.move, OtherSide(unit->record.side));
  }
}

void CursorCancelToUnit(CursorData* c) {
  c->idleFrames = 0;
  CursorGlideToUnit(c);
}

void CursorHandToAi(CursorData* c, UnitData* unit) {
  unit->state = AiBegin;
  c->state = CursorStateFollowUnit;
}

void CursorSnapToCell(CursorData* c) {
  const CursorStep s = c->state;
  if (c->stepCount != 0) return;
  if (s != CursorStateFree && s != CursorStateSelect && s != CursorStateMoveTarget && s != CursorStateActionTarget) {
    return;
  }
  RoundPairToInt(&c->marker[0], &c->marker[2], c->marker[0], c->marker[2]);
}

void CursorCameraHeight(CursorData* c) {
  if (c->state == CursorStateCameraRise) return;
  if (KeyHeld(kKeyS)) {
    c->idleFrames = 0;
    c->camera[1] = std::fmin(c->camera[1] + 1.0f, kCameraHighest);
  } else if (KeyHeld(kKeyD)) {
    c->idleFrames = 0;
    c->camera[1] = std::fmax(c->camera[1] - 1.0f, kCameraLowest);
  }
}

}  // namespace

UnitData* g_unitQueue[kUnitQueueLength];

int CursorCreate(float x, float y, float z) {
  TaskSlot* slot = TaskStart(TaskAllocInRange(kSlotObjectsFirst, kSlotObjectsEnd), kTaskIdBattleCursor, 0,
                             CursorTaskUpdate, CursorTaskDraw);
  if (!slot) return 0;
  CursorData* c = TaskDataInit<CursorData>(slot);
  c->live = 1;
  c->marker[0] = x;
  c->marker[1] = y;
  c->marker[2] = z;
  c->heading = 270.0f;
  PolarOffset(&c->camera[0], &c->camera[2], x, z, c->heading, kCameraStartDistance);
  c->camera[1] = kCameraLowest;
  c->size = kMarkerSize;
  c->state = CursorStateCameraRise;
  c->idleFrames = kIdleFramesAtStart;
  for (UnitData*& entry : g_unitQueue) entry = nullptr;
  return 1;
}

CursorData* CursorFind() {
  TaskSlot* slot = TaskFindById(kTaskIdBattleCursor);
  return slot ? TaskData<CursorData>(slot) : nullptr;
}

void CursorSetState(CursorStep state) {
  CursorData* c = CursorFind();
  if (!c) return;
  c->idleFrames = 0;
  c->state = state;
}

UnitData* CursorFindUnit(const CursorData* cursor) {
  UnitData* found = nullptr;
  ForEachUnit([&](UnitData* u) {
    if (!found && u->cell == cursor->cell && u->y >= kUnitHeight) found = u;
  });
  return found;
}

bool CursorInMoveTarget(const CursorData* c) {
  return c->state == CursorStateMoveTarget || IsStepOf(c->state, kStepStates<kFromMove>);
}

bool CursorInActionTarget(const CursorData* c) {
  return c->state == CursorStateActionTarget || IsStepOf(c->state, kStepStates<kFromAction>);
}

bool CursorBetweenCells(const CursorData* c) {
  return IsStepOf(c->state, kStepStates<kFromSelect>) || IsStepOf(c->state, kStepStates<kFromMove>) ||
         IsStepOf(c->state, kStepStates<kFromAction>) || InGlide(c->state);
}

void CursorTaskUpdate(TaskSlot* slot) {
  CursorData* c = TaskData<CursorData>(slot);
  CursorSnapToCell(c);
  if (c->state) c->state(c);
  CursorCameraHeight(c);
  if (c->idleFrames > kPulseFrames - 1) c->idleFrames = kPulseRestart;
  if (c->idleFrames < 0) c->idleFrames = 0;
  c->size = g_pulseTable[c->idleFrames];
  c->cell = GridCellIndexAt(c->marker[0], c->marker[2]);
  PolarOffset(&c->camera[0], &c->camera[2], c->marker[0], c->marker[2], c->heading, kCursorDistance);
  CameraSetView(c->marker, c->camera);
  if (!CursorOpenBattleMenu(c) && c->live == 0) slot->inUse = 0;
}

int CursorMarkerTexture(const CursorData* c) {
  const CursorStep s = c->state;
  if (g_phaseSide == 1) return s == CursorStateCameraRise ? kTextureMarkerFree : kTextureMarkerEnemy;
  if (s == PhaseBannerStep || s == CursorStateFree || s == CursorStateIdle || s == CursorStateCameraRise) {
    return kTextureMarkerFree;
  }
  return kTextureMarkerOrders;
}

// The marker: a flat square lying at its height, corners at 135, 45, 315 and 225 degrees.
void CursorTaskDraw(TaskSlot* slot) {
  const CursorData* c = TaskData<CursorData>(slot);
  static constexpr float kCornerAngles[4] = {135.0f, 45.0f, 315.0f, 225.0f};
  static constexpr float kUv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  Vertex3D v[4];
  for (int i = 0; i < 4; ++i) {
    float x = 0, z = 0;
    PolarOffset(&x, &z, c->marker[0], c->marker[2], kCornerAngles[i], c->size);
    SetVertex3D(&v[i], x, c->marker[1], z, kUv[i][0], kUv[i][1]);
  }
  if (g_device) g_device->SetTransform(plat::TransformKind::World, glm::mat4(1.0f));
  DrawQuad3D(v, 0xFFFFFFFF, g_textures[CursorMarkerTexture(c)].get());
}

void CursorStateCameraRise(CursorData* c) {
  c->camera[1] += 1.0f;
  if (c->camera[1] < kCameraHighest) return;
  c->camera[1] = kCameraHighest;
  c->state = CursorStateIdle;
  BattleSetStep(BattleIntroStep);
}

void CursorStateIdle(CursorData*) {}

// Nothing but steps until the marker has moved once.
void CursorStateFree(CursorData* c) {
  const int key = HeldArrow();
  if (key >= 0) {
    StartStep(c, key, kFromSelect);
  } else {
    ++c->idleFrames;
  }
}

// On a unit the marker moves a cell a press; on empty cells it runs while a key is held.
void CursorStateSelect(CursorData* c) {
  c->unit = nullptr;
  UnitData* unit = c->stepCount == 0 ? CursorFindUnit(c) : nullptr;
  if (unit) {
    CursorShowUnitRange(unit);
    const int key = PressedArrow();
    if (key >= 0) {
      StartStep(c, key, kFromSelect);
    } else if (KeyPressed(kKeyCtrl)) {
      TurnView(c);
    } else if (KeyConfirmPressed()) {
      c->idleFrames = 0;
      c->size = kMarkerSize;
      CursorGiveControlToUnit(c, unit);
    } else {
      ++c->idleFrames;
    }
    return;
  }
  const int key = HeldArrow();
  if (key >= 0) {
    StartStep(c, key, kFromSelect);
  } else if (KeyPressed(kKeyCtrl)) {
    TurnView(c);
  } else {
    ++c->idleFrames;
  }
}

void CursorGiveControlToUnit(CursorData* c, UnitData* unit) {
  if (unit->acted || unit->record.side != 0 || c->state != CursorStateSelect) return;
  unit->state = UnitStateCommandMenuOpen;
  c->state = CursorStateIdle;
  c->unit = unit;
  SoundRequest(kSoundCursor, 0);
}

// Two degrees a frame; a quarter turn takes 45 frames and ends on a whole heading.
void CursorStateTurnView(CursorData* c) {
  c->heading -= kTurnPerFrame;
  if (c->heading < 0.0f) c->heading += 360.0f;
  if (c->heading >= 360.0f) c->heading -= 360.0f;
  const int whole = static_cast<int>(RoundToNearest(c->heading));
  if (whole % 90 != 0) return;
  c->heading = whole == 90 || whole == 180 || whole == 270 ? static_cast<float>(whole) : 0.0f;
  c->state = CursorStateSelect;
}

// A destination is confirmed only on a cell no unit stands on.
void CursorStateMoveTarget(CursorData* c) {
  const int key = HeldArrow();
  if (key >= 0) {
    StartStep(c, key, kFromMove);
  } else if (KeyConfirmPressed()) {
    c->idleFrames = 0;
    c->size = kMarkerSize;
    float kx = 0, kz = 0;
    GridSnapToCell(c->marker[0], c->marker[2], &kx, &kz);
    UnitData* unit = UnitLive(c->unit);
    if (GridAnyUnitAt(kx, kz) || !unit) return;
    c->state = CursorStateIdle;
    unit->state = UnitStateMovePath;
    unit->moved = 1;
  } else if (KeyPressed(kKeyEscape)) {
    CursorCancelToUnit(c);
  } else {
    ++c->idleFrames;
  }
}

void CursorStateActionTarget(CursorData* c) {
  UnitData* target = CursorFindUnit(c);
  if (KeyPressed(kKeyEscape)) {
    GridClearRange();
    CursorCancelToUnit(c);
    return;
  }
  if (!target) {
    const int key = HeldArrow();
    if (key >= 0) {
      StartStep(c, key, kFromAction);
    } else {
      ++c->idleFrames;
    }
    return;
  }
  const int key = PressedArrow();
  if (key >= 0) {
    StartStep(c, key, kFromAction);
  } else if (KeyConfirmPressed()) {
    c->idleFrames = 0;
    c->size = kMarkerSize;
    UnitData* unit = UnitLive(c->unit);
    if (unit && CursorRunUnitAction(unit, unit->command, target)) {
      GridClearRange();
      c->state = CursorStateWaitAction;
    }
  } else {
    ++c->idleFrames;
  }
}

int CursorRunUnitAction(UnitData* unit, int32_t command, UnitData* target) {
  if (!target) return 0;
  switch (command) {
    case kCommandAttack:
      if (target->record.side != 1) return 0;
      UnitBeginAction(unit, kAttackWaitFrames, UnitStateAttackWait, target);
      return 1;
    case kCommandSkill: return UnitSkillOnTarget(unit, target);
    case kCommandItem: return target->record.side == 0 ? UnitItemOnTarget(unit, target) : 0;
    default: return 0;
  }
}

void CursorStateWaitAction(CursorData* c) {
  if (TaskExists(kTaskIdDamageDigits) || TaskExists(kTaskIdPopupSprite)) return;
  const UnitData* unit = UnitLive(c->unit);
  if (unit && unit->state != UnitStateIdle) return;
  c->state = CursorStateFree;
  c->unit = nullptr;
}

void CursorGlideToUnit(CursorData* c) {
  const UnitData* unit = UnitLive(c->unit);
  if (!unit) {
    c->state = PhaseNextUnit;
    return;
  }
  const float dx = RoundToNearest(c->marker[0]) - RoundToNearest(unit->x);
  c->glideCount = static_cast<int32_t>(2.0f * std::fabs(dx));
  if (dx == 0.0f) {
    GlideStartZ(c);
  } else {
    c->state = dx < 0.0f ? GlideXPlus : GlideXMinus;
  }
}

// Enemies, and the party under auto-battle, decide for themselves; a party unit the
// player handles gets its menu back.
void CursorArriveAtUnit(CursorData* c) {
  UnitData* unit = UnitLive(c->unit);
  if (!unit) {
    c->state = PhaseNextUnit;
    return;
  }
  c->marker[0] = unit->x;
  c->marker[2] = unit->z;
  if (unit->record.side == 1 || g_settings.autoBattle) {
    CursorHandToAi(c, unit);
  } else {
    c->state = CursorStateReturnToMenu;
  }
}

void CursorStateReturnToMenu(CursorData* c) {
  UnitData* unit = UnitLive(c->unit);
  c->state = CursorStateIdle;
  c->stepCount = 0;
  c->glideCount = 0;
  if (!unit) {
    c->state = CursorStateFree;
    return;
  }
  if (!unit->moved) GridShowMoveRange(c->marker[0], c->marker[2], unit->record.move, OtherSide(unit->record.side));
  unit->state = UnitMenuStateFor(unit->state);
}

// The battle menu needs the main step, no swap under way and the cursor at rest in the
// player's phase, or any state in the enemies' phase or under auto-battle.
int CursorOpenBattleMenu(CursorData* c) {
  if (!KeyPressed(kKeyShift)) return 0;
  const BattleData* battle = BattleFind();
  if (!battle || battle->step != BattleMainStep || battle->phase != kBattleFighting) return 0;
  int32_t list = 0;
  if (c->state == CursorStateFree || c->state == CursorStateSelect) {
    list = 0;
  } else if (g_phaseSide == 1 || g_settings.autoBattle) {
    list = 1;
  } else {
    return 0;
  }
  c->idleFrames = 0;
  c->size = kMarkerSize;
  TaskSetModeAll(kTaskModePause);
  if (MenuTaskCreateList(list == 0 ? kMenuListBattleMain : kMenuListEnemyPhase, 1)) {
    SoundRequest(kSoundCursor, 0);
    return 1;
  }
  BattleResumeTasks();
  return 0;
}
