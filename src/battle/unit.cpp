#include "battle/unit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <glm/mat4x4.hpp>

#include "battle/actions.h"
#include "battle/cursor.h"
#include "battle/grid.h"
#include "battle/results.h"
#include "data/items.h"
#include "engine/atlas.h"
#include "engine/draw.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "engine/util.h"
#include "event/popup.h"
#include "field/walker.h"

// clang-format off
// Indexed by class - 1: fighter, caster, familiar.
const int32_t g_commandLists[3][kCommandListLength] = {
    {kCommandClose, kCommandMove, kCommandWait, kCommandAttack, kCommandItem, kCommandEscape, kCommandAuto},
    {kCommandClose, kCommandMove, kCommandWait, kCommandSkill, kCommandItem, kCommandEscape, kCommandAuto},
    {kCommandClose, kCommandMove, kCommandWait, kCommandAttack, kCommandItem, kCommandAuto, kCommandDismiss},
};
const int32_t g_commandListsMoved[3][kCommandListMovedLength] = {
    {kCommandWait, kCommandAttack, kCommandItem},
    {kCommandWait, kCommandSkill, kCommandItem},
    {kCommandWait, kCommandAttack, kCommandItem},
};
// clang-format on

namespace {

constexpr float kUnitQuarter = 0.25f;  // a frame of a walk, a lunge or a knock-back
constexpr int32_t kCellFrames = 8;
constexpr int32_t kLungeFrames = 4;
constexpr int32_t kKnockFrames = 4;
constexpr int32_t kKnockHoldFrames = 20;
constexpr int32_t kHitReactionFrames = 40;
constexpr float kLeanForward = 315.0f;
constexpr float kLeanBack = 45.0f;
constexpr float kSinkPerFrame = 0.1f;
constexpr float kActedMarkerSize = 0.705f;
constexpr float kActedMarkerHeight = 3.5f;
constexpr int kTextureActedParty = 9;
constexpr int kTextureActedEnemy = 10;
constexpr int32_t kInflictChance = 5;  // one in five hits passes the weapon's status on

bool ModelValid(int32_t model) { return model >= 0 && model < kMeshCount; }

int32_t ItemPower(int32_t id) { return ItemIdValid(id) ? g_itemTable[id].power : 0; }

// Hit points after a loss, never below 0; taken wide so no record's values overflow.
int32_t HpAfterLoss(int32_t hp, int64_t loss) { return SaturateToInt32(std::max<int64_t>(int64_t{hp} - loss, 0)); }

// Skill damage gathered as a float, as a whole number of hit points (truncated).
int64_t WholeDamage(float damage) {
  constexpr float kBeyondAnyHp = 4294967296.0f;  // 2^32: more than any hit points
  if (!(damage < kBeyondAnyHp)) return static_cast<int64_t>(kBeyondAnyHp);
  return static_cast<int64_t>(damage);
}

void KeyOf(float x, float z, int* kx, int* kz) {
  float fx = 0, fz = 0;
  GridSnapToCell(x, z, &fx, &fz);
  *kx = static_cast<int>(fx);
  *kz = static_cast<int>(fz);
}

void Move(UnitData* unit, float angle, float d) { OffsetByAngle(&unit->x, &unit->z, unit->x, unit->z, angle, d); }

void StartSinking(UnitData* unit) {
  unit->state = UnitStateSinkAndDie;
  SoundRequest(kSoundReel, 0);
}

// The walk has reached the cursor or run out of path: the unit's menu opens again.
void EndWalk(UnitData* unit) {
  unit->state = UnitStateIdle;
  PathReset();
  GridClearRange();
  unit->state = UnitStateCommandMenuOpen;
  CursorSetState(CursorStateWaitAction);
}

void ApplyCommand(UnitData* unit, int32_t command) {
  unit->command = command;
  switch (command) {
    case kCommandClose:
      GridClearRange();
      CursorSetState(CursorStateFree);
      unit->state = UnitStateIdle;
      break;
    case kCommandMove:
      CursorSetState(CursorStateMoveTarget);
      GridShowMoveRange(unit->x, unit->z, unit->record.move, OtherSide(unit->record.side));
      unit->state = UnitStateMoving;
      break;
    case kCommandWait:
      unit->menuCursor = 0;
      unit->state = UnitStateWaitAsk;
      break;
    case kCommandAttack:
      unit->state = UnitStateMoving;
      GridShowAttackRange(unit->x, unit->z, 1);
      CursorSetState(CursorStateActionTarget);
      break;
    default: UnitCommandExtra(unit, command); break;
  }
}

void KnockMove(UnitData* unit, float sign, bool lean) {
  const float d = kUnitQuarter * sign;
  switch (unit->knockDirection) {
    case 0:
      unit->x += d;
      if (lean) unit->leanZ = kLeanForward;
      break;
    case 90:
      unit->z += d;
      if (lean) unit->leanX = kLeanBack;
      break;
    case 180:
      unit->x -= d;
      if (lean) unit->leanZ = kLeanBack;
      break;
    case 270:
      unit->z -= d;
      if (lean) unit->leanX = kLeanForward;
      break;
    default: break;
  }
}

// A quad facing the camera, its corners `size` from its centre.
void DrawBillboard(float x, float y, float z, float size, int texture) {
  if (!g_device) return;
  const glm::mat4 view = g_device->GetTransform(plat::TransformKind::View);
  const glm::vec3 right(view[0][0], view[1][0], view[2][0]);
  const glm::vec3 up(view[0][1], view[1][1], view[2][1]);
  const float h = size / std::sqrt(2.0f);
  const glm::vec3 c(x, y, z);
  const glm::vec3 corners[4] = {c - right * h + up * h, c + right * h + up * h, c + right * h - up * h,
                                c - right * h - up * h};
  static constexpr float kUv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  Vertex3D v[4];
  for (int i = 0; i < 4; ++i) SetVertex3D(&v[i], corners[i].x, corners[i].y, corners[i].z, kUv[i][0], kUv[i][1]);
  g_device->SetTransform(plat::TransformKind::World, glm::mat4(1.0f));
  DrawQuad3D(v, 0xFFFFFFFF, g_textures[texture].get());
}

}  // namespace

UnitData* UnitCreate(const CharacterRecord& record, float x, float y, float z, float facing) {
  TaskSlot* slot = TaskStart(TaskAllocInRange(kSlotObjectsFirst, kSlotObjectsEnd), kTaskIdBattleUnit, 0, UnitTaskUpdate,
                             UnitTaskDraw);
  if (!slot) return nullptr;
  UnitData* unit = TaskDataInit<UnitData>(slot);
  unit->live = 1;
  unit->x = x;
  unit->y = y;
  unit->z = z;
  unit->facing = facing;
  unit->skill = kUnitStandingSkill;
  unit->state = UnitStateIdle;
  UnitCopyRecord(unit, record);
  return unit;
}

void UnitCopyRecord(UnitData* unit, const CharacterRecord& record) {
  std::memcpy(&unit->record, &record, sizeof record);
  // The name is kept terminated whatever the source held.
  unit->record.name[sizeof unit->record.name - 1] = '\0';
}

void UnitTaskUpdate(TaskSlot* slot) {
  UnitData* unit = TaskData<UnitData>(slot);
  if (unit->state) unit->state(unit);
  unit->cell = GridCellIndexAt(unit->x, unit->z);
  if (unit->live == 0) slot->inUse = 0;
}

void UnitTaskDraw(TaskSlot* slot) {
  UnitData* unit = TaskData<UnitData>(slot);
  if (ModelValid(unit->record.model)) {
    glm::mat4 world;
    BuildWorldYawRollPitch(&world, unit->x, unit->y, unit->z, &unit->facing, unit->leanX, unit->leanZ);
    DrawMesh(g_meshes[unit->record.model], world);
  }
  if (unit->acted == 1) DrawUnitActedMarker(unit);
}

void DrawUnitActedMarker(const UnitData* unit) {
  const float height = UnitModelHeight(unit);
  const float y = height >= kActedMarkerHeight ? unit->y + height + 0.2f : unit->y + kActedMarkerHeight;
  DrawBillboard(unit->x, y, unit->z, kActedMarkerSize,
                unit->record.side == 0 ? kTextureActedParty : kTextureActedEnemy);
}

float UnitModelHeight(const UnitData* unit) {
  return ModelValid(unit->record.model) ? g_meshes[unit->record.model].sizeY : 0.0f;
}

UnitData* UnitLive(UnitData* unit) {
  if (!unit || !g_taskPool) return nullptr;
  const auto at = reinterpret_cast<std::uintptr_t>(unit);
  const auto base = reinterpret_cast<std::uintptr_t>(g_taskPool);
  if (at < base) return nullptr;
  const std::uintptr_t index = (at - base) / sizeof(TaskSlot);
  if (index >= static_cast<std::uintptr_t>(kTaskSlotCount)) return nullptr;
  TaskSlot& slot = g_taskPool[index];
  if (TaskData<UnitData>(&slot) != unit || !slot.inUse || slot.id != kTaskIdBattleUnit || unit->live == 0) {
    return nullptr;
  }
  return unit;
}

void UnitBeginAction(UnitData* unit, int32_t wait, UnitStep next, UnitData* target) {
  unit->wait = wait;
  unit->state = next;
  unit->target = target;
  if (target && target != unit) unit->facing = FacingToward(unit->x, unit->z, target->x, target->z);
}

// pi is taken as 3.14159 here, so the four axis directions come out whole.
float FacingToward(float x0, float z0, float x1, float z1) {
  const float dx = x1 - x0, dz = z1 - z0;
  float a = dx == 0.0f ? 1.570795f : std::atan(dz / dx);
  if (dx < 0.0f || (dx == 0.0f && dz <= 0.0f)) a += 3.14159f;
  return a * 180.0f / 3.14159f;
}

int EffectTasksBusy() {
  return TaskExists(kTaskIdDamageDigits) || TaskExists(kTaskIdPopupSprite) || TaskExists(kTaskIdEffect3D);
}

void UnitFinishTurn(UnitData* unit) {
  unit->state = UnitStateEndAction;
  CursorSetState(PhaseNextUnit);
  GridClearRange();
}

int32_t UnitActionTargetSide(const UnitData* unit) {
  const int32_t other = OtherSide(unit->record.side);
  if (unit->record.characterClass == kClassFighter) return other;
  return SkillKind(unit->skill) != 0 ? unit->record.side : other;
}

const int32_t* UnitCommandList(const UnitData* unit, int32_t* count) {
  int c = unit->record.characterClass - 1;
  if (c < 0 || c > 2) c = 0;
  if (unit->moved) {
    *count = kCommandListMovedLength;
    return g_commandListsMoved[c];
  }
  *count = kCommandListLength;
  return g_commandLists[c];
}

void UnitStateIdle(UnitData* unit) { RoundPairToInt(&unit->x, &unit->z, unit->x, unit->z); }

// The same as idle, its own state while the move or target cursor runs.
void UnitStateMoving(UnitData* unit) { RoundPairToInt(&unit->x, &unit->z, unit->x, unit->z); }

void UnitStateCommandMenuOpen(UnitData* unit) {
  unit->command = kCommandClose;
  unit->menuCursor = 0;
  unit->state = UnitStateCommandMenu;
  if (unit->record.status & kStatusCannotAct) {
    unit->state = UnitStateBlockedMessage;
    SoundRequest(kSoundRefuse, 0);
  }
  ForEachUnit([](UnitData* u) { u->pendingDamage = 0.0f; });
}

void UnitStateBlockedMessage(UnitData* unit) {
  if (!KeyConfirmPressed()) return;
  unit->state = UnitStateIdle;
  CursorSetState(CursorStateFree);
  GridClearRange();
}

// No cancel key: the close command leaves the menu.
void UnitStateCommandMenu(UnitData* unit) {
  int32_t count = 0;
  const int32_t* list = UnitCommandList(unit, &count);
  if (unit->menuCursor < 0 || unit->menuCursor >= count) unit->menuCursor = 0;
  if (MenuCursorVertical(&unit->menuCursor, count)) ApplyCommand(unit, list[unit->menuCursor]);
}

void UnitStateWaitAsk(UnitData* unit) {
  if (!MenuCursorVertical(&unit->menuCursor, 2)) return;
  if (unit->menuCursor == 0) {  // the No entry comes first
    unit->menuCursor = 0;
    unit->state = UnitStateCommandMenu;
    return;
  }
  unit->command = kCommandWait;
  unit->acted = 1;
  unit->state = UnitStateEndAction;
  CursorSetState(CursorStateFree);
  GridClearRange();
}

void UnitStateMovePath(UnitData* unit) {
  const CursorData* cursor = CursorFind();
  int ux = 0, uz = 0, cx = 0, cz = 0;
  KeyOf(unit->x, unit->z, &ux, &uz);
  if (cursor) KeyOf(cursor->marker[0], cursor->marker[2], &cx, &cz);
  if (cursor) {
    PathFind(static_cast<float>(ux), static_cast<float>(uz), unit->record.move, static_cast<float>(cx),
             static_cast<float>(cz));
  } else {
    PathReset();
  }
  unit->stepFrame = 0;
  unit->pathIndex = 0;
  unit->state = UnitStateMoveNextCell;
}

void UnitStateMoveNextCell(UnitData* unit) {
  const CursorData* cursor = CursorFind();
  int ux = 0, uz = 0, cx = 0, cz = 0;
  KeyOf(unit->x, unit->z, &ux, &uz);
  if (cursor) KeyOf(cursor->marker[0], cursor->marker[2], &cx, &cz);
  const int i = unit->pathIndex;
  if (!cursor || (ux == cx && uz == cz) || i < 0 || i >= kPathEntries || g_pathX[i] == kPathEmpty) {
    EndWalk(unit);
    return;
  }
  const int dx = ux - static_cast<int>(g_pathX[i]), dz = uz - static_cast<int>(g_pathZ[i]);
  unit->stepFrame = 0;
  if (dx == 0 && dz == 0) {
    unit->state = UnitStateMovePause;
    return;
  }
  if (!PathStepFacing(dx, dz, &unit->facing)) {
    EndWalk(unit);  // off the path: a walk never jumps
    return;
  }
  unit->state = UnitStateMoveStep;
}

void UnitStateMoveStep(UnitData* unit) {
  Move(unit, unit->facing, kUnitQuarter);
  if (++unit->stepFrame < kCellFrames) return;
  unit->stepFrame = 0;
  ++unit->pathIndex;
  unit->state = UnitStateMoveNextCell;
}

void UnitStateMovePause(UnitData* unit) {
  if (++unit->stepFrame < kCellFrames) return;
  unit->stepFrame = 0;
  ++unit->pathIndex;
  unit->state = UnitStateMoveNextCell;
}

void UnitStateAttackWait(UnitData* unit) {
  if (--unit->wait > 0) return;
  unit->wait = kLungeFrames;
  unit->state = UnitStateLunge;
}

// The attack of a unit that decided for itself; its own state with the same body.
void UnitStateAttackWaitAi(UnitData* unit) {
  if (--unit->wait > 0) return;
  unit->wait = kLungeFrames;
  unit->state = UnitStateLunge;
}

void UnitStateLunge(UnitData* unit) {
  Move(unit, unit->facing, kUnitQuarter);
  if (--unit->wait >= 1) return;
  unit->wait = kLungeFrames;
  unit->state = UnitStateStepBack;
  UnitResolveAttack(unit);
}

void UnitStateStepBack(UnitData* unit) {
  Move(unit, unit->facing - 180.0f, kUnitQuarter);
  if (--unit->wait > 0) return;
  unit->wait = 0;
  unit->state = UnitStateEndAction;
}

// Poison bites the party's units only, once at the end of every action.
void UnitStateEndAction(UnitData* unit) {
  if (EffectTasksBusy()) return;
  unit->state = UnitStateIdle;
  unit->acted = 1;
  if (unit->record.side != 0 || !(unit->record.status & kStatusPoison)) return;
  unit->record.hp = SaturateToInt32(int64_t{unit->record.hp} - kPoisonLoss);
  NumberPopupSpawn(unit->x, unit->y, unit->z, static_cast<float>(kPoisonLoss), kPopupDamage);
  if (unit->record.hp > 0) return;
  unit->record.hp = 0;
  StartSinking(unit);
}

void UnitStateKnockBack(UnitData* unit) {
  KnockMove(unit, 1.0f, true);
  if (--unit->knockFrames > 0) return;
  unit->knockFrames = kKnockHoldFrames;
  unit->state = UnitStateKnockHold;
}

void UnitStateKnockHold(UnitData* unit) {
  if (--unit->knockFrames > 0) return;
  unit->knockFrames = kKnockFrames;
  unit->state = UnitStateKnockReturn;
}

// Whether the victim falls is decided here, once it is back on its cell.
void UnitStateKnockReturn(UnitData* unit) {
  KnockMove(unit, -1.0f, false);
  if (--unit->knockFrames > 0) return;
  if (unit->record.hp > 0) {
    unit->state = UnitStateIdle;
    unit->leanX = unit->leanZ = 0.0f;
  } else {
    StartSinking(unit);
  }
}

void UnitStateSkillResolve(UnitData* unit) {
  if (EffectTasksBusy()) return;
  if (SkillKind(unit->skill) != 0) {
    unit->state = UnitStateEndAction;
    return;
  }
  ForEachUnit([](UnitData* u) {
    if (u->pendingDamage > 0.0f) UnitApplyPendingDamage(u);
  });
  unit->state = UnitStateWaitAllIdle;
}

void UnitApplyPendingDamage(UnitData* unit) {
  unit->knockFrames = kHitReactionFrames;
  unit->state = UnitStateHitReaction;
  unit->leanX = unit->facing >= 0.0f && unit->facing < 180.0f ? kLeanForward : kLeanBack;
  unit->record.hp = HpAfterLoss(unit->record.hp, WholeDamage(unit->pendingDamage));
  NumberPopupSpawn(unit->x, unit->y, unit->z, unit->pendingDamage, kPopupDamage);
  unit->pendingDamage = 0.0f;
  SoundRequest(kSoundHit, 0);
}

void UnitStateHitReaction(UnitData* unit) {
  if (--unit->knockFrames > 0) return;
  if (unit->record.hp > 0) {
    unit->leanX = unit->leanZ = 0.0f;
    unit->state = UnitStateIdle;
  } else {
    StartSinking(unit);
  }
}

void UnitStateWaitAllIdle(UnitData* unit) {
  if (EffectTasksBusy()) return;
  bool busy = false;
  ForEachUnit([&](const UnitData* u) {
    if (u != unit && u->state != UnitStateIdle) busy = true;
  });
  if (!busy) unit->state = UnitStateEndAction;
}

void UnitStateSinkAndDie(UnitData* unit) {
  unit->y -= kSinkPerFrame;
  if (unit->y + UnitModelHeight(unit) + 2.0f >= 0.0f) return;
  if (unit->record.side == 0 && unit->record.characterClass != kClassFamiliar) PartyMarkFallen(unit);
  unit->live = 0;
}

// Taken wide: the most a record's attack can do and the least its defence can stop still
// come to a damage an int32 holds.
int32_t UnitMeleeDamage(const UnitData* attacker, const UnitData* target) {
  const int64_t attack = int64_t{attacker->record.attack} + ItemPower(attacker->record.weapon);
  const int64_t defence = int64_t{target->guard} + target->record.defence + ItemPower(target->record.armour);
  const int32_t r4 = RandomBelow(4);
  const int32_t r2 = RandomBelow(2);
  const int64_t damage = (attack - r4) - (defence - r2);
  return damage <= kDamageFloor ? kDamageFloor : SaturateToInt32(damage);
}

// An attack never misses; one hit in five also passes the weapon's status on.
void UnitResolveAttack(UnitData* unit) {
  SoundRequest(kSoundHit, 0);
  UnitData* target = UnitLive(unit->target);
  if (!target) return;
  const int32_t damage = UnitMeleeDamage(unit, target);
  target->record.hp = HpAfterLoss(target->record.hp, damage);
  target->knockDirection = static_cast<int32_t>(unit->facing);
  target->knockFrames = kKnockFrames;
  target->state = UnitStateKnockBack;
  NumberPopupSpawn(target->x, target->y, target->z, static_cast<float>(damage), kPopupDamage);
  if (RandomBelow(kInflictChance) != 0 || !ItemIdValid(unit->record.weapon)) return;
  const int32_t inflicts = g_itemTable[unit->record.weapon].inflicts;
  target->record.status |= inflicts;
  if (inflicts & kStatusPoison) PopupSpriteCreate(target->x, target->y, target->z, kAtlasPopupPoison);
  if (inflicts & kStatusCannotAct) PopupSpriteCreate(target->x, target->y, target->z, kAtlasPopupStun);
}
