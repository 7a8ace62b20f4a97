// Battle units: every fighter on the battlefield, party member, familiar or monster, is
// one task in slots 10 to 99 carrying its own copy of a character record and a state
// that runs once a frame. This holds the unit's data, its creation, update and draw, the
// player's command menu, the walk along a found path, the melee attack with its damage
// rule, the victim's knock-back, the end of an action with poison, skill damage and the
// sinking death.
#pragma once

#include <cstdint>

#include "data/characters.h"
#include "data/tasks.h"
#include "engine/task.h"

struct UnitData;
using UnitStep = void (*)(UnitData* unit);

constexpr int kUnitTargetSlots = 6;

struct UnitData : TaskHead {
  float facing;  // degrees; 0 toward +x, 90 toward +z
  float leanX;   // tilt about the x axis (knock-back along z, hit reaction)
  float leanZ;   // tilt about the z axis (knock-back along x)
  int32_t cell;  // index of the cell under the unit, refreshed every frame
  int32_t stepFrame;
  int32_t pathIndex;
  int32_t wait;
  int32_t menuCursor;
  int32_t command;  // the command chosen last
  int32_t skill;
  int32_t knockFrames;
  int32_t knockDirection;  // the attacker's facing at the hit
  int32_t item;
  int32_t guard;       // added to defence against attacks
  int32_t magicGuard;  // added to magic defence against damage skills
  UnitStep state;
  UnitData* target;
  UnitData* targets[kUnitTargetSlots];
  int32_t searchSlot;
  int32_t acted;  // acted in this phase: the acted marker shows
  int32_t moved;  // walked in this phase: the command list is the short one
  CharacterRecord record;
  float pendingDamage;  // skill damage collected, applied when the skill resolves
  int32_t taken;        // queued by the phase sequencer this phase
  float goalX, goalZ;   // cell key chosen by decision making; 5000.0 none
  float walkIn[3];      // where a unit walking onto the field stops
};
static_assert(sizeof(UnitData) <= kTaskDataSize);

// The commands of the command menu; rows 9 and 10 of the label table are the two
// answers of yes/no lists.
enum UnitCommand : int32_t {
  kCommandClose = 0,
  kCommandMove = 1,
  kCommandWait = 2,
  kCommandAttack = 3,
  kCommandSkill = 4,
  kCommandItem = 5,
  kCommandEscape = 6,
  kCommandAuto = 7,
  kCommandDismiss = 8,
  kCommandAnswerNo = 9,
  kCommandAnswerYes = 10,
};
constexpr int kCommandListLength = 7;
constexpr int kCommandListMovedLength = 3;

constexpr float kUnitHeight = 0.2f;  // units stand at this height on the cell centres
constexpr int32_t kAttackWaitFrames = 30;
constexpr int32_t kPoisonLoss = 10;
constexpr int32_t kDamageFloor = 10;
// The skill a unit is made with, and the one it holds again whenever it starts deciding:
// a caster's standing attack.
constexpr int32_t kUnitStandingSkill = 0;

extern const int32_t g_commandLists[3][kCommandListLength];
extern const int32_t g_commandListsMoved[3][kCommandListMovedLength];

// The first free slot of 10 to 99 with a copy of the record, idle; null when full.
UnitData* UnitCreate(const CharacterRecord& record, float x, float y, float z, float facing);
void UnitCopyRecord(UnitData* unit, const CharacterRecord& record);
void UnitTaskUpdate(TaskSlot* slot);
void UnitTaskDraw(TaskSlot* slot);
void DrawUnitActedMarker(const UnitData* unit);
// The height of the unit's model (its bounding box in y); 0 for a model not loaded.
float UnitModelHeight(const UnitData* unit);

// The unit a pointer names while its slot still holds a live unit; null once it has
// gone (its slot may have been freed or taken by another task).
UnitData* UnitLive(UnitData* unit);
// Every live unit in slot order: f(UnitData*).
template <class F>
void ForEachUnit(F f);

void UnitBeginAction(UnitData* unit, int32_t wait, UnitStep next, UnitData* target);
float FacingToward(float x0, float z0, float x1, float z1);
// A number popup or popup picture is on screen, or a skill projectile flies.
int EffectTasksBusy();
void UnitFinishTurn(UnitData* unit);
// The side an action of the unit aims at.
int32_t UnitActionTargetSide(const UnitData* unit);
// The melee hit, in the frame the lunge ends.
void UnitResolveAttack(UnitData* unit);
// The damage of a melee hit with its two draws.
int32_t UnitMeleeDamage(const UnitData* attacker, const UnitData* target);
// A pending skill hit lands: reaction, hit points, number and sound.
void UnitApplyPendingDamage(UnitData* unit);
// The command lists for a unit, by class and moved flag.
const int32_t* UnitCommandList(const UnitData* unit, int32_t* count);

// States. Each is its own function: draw code and the phase sequencer tell them apart.
void UnitStateIdle(UnitData* unit);
void UnitStateMoving(UnitData* unit);
void UnitStateCommandMenuOpen(UnitData* unit);
void UnitStateBlockedMessage(UnitData* unit);
void UnitStateCommandMenu(UnitData* unit);
void UnitStateWaitAsk(UnitData* unit);
void UnitStateMovePath(UnitData* unit);
void UnitStateMoveNextCell(UnitData* unit);
void UnitStateMoveStep(UnitData* unit);
void UnitStateMovePause(UnitData* unit);
void UnitStateAttackWait(UnitData* unit);
void UnitStateAttackWaitAi(UnitData* unit);
void UnitStateLunge(UnitData* unit);
void UnitStateStepBack(UnitData* unit);
void UnitStateEndAction(UnitData* unit);
void UnitStateKnockBack(UnitData* unit);
void UnitStateKnockHold(UnitData* unit);
void UnitStateKnockReturn(UnitData* unit);
void UnitStateSkillResolve(UnitData* unit);
void UnitStateHitReaction(UnitData* unit);
void UnitStateWaitAllIdle(UnitData* unit);
void UnitStateSinkAndDie(UnitData* unit);

// The command window of a party unit, chosen by its state; drawn by the battle task.
void DrawBattleCommandHud(const UnitData* unit);
// A 261-pixel message frame centred on the screen at y with the picture centred over it.
void DrawCenteredMessage(float y, const AtlasRect& picture);
// The 194 by 24 name window at x 223 with the picture centred in it.
void DrawNameWindow(float y, const AtlasRect& picture);

template <class F>
void ForEachUnit(F f) {
  if (!g_taskPool) return;
  for (int i = 0; i < kTaskSlotCount; ++i) {
    TaskSlot& s = g_taskPool[i];
    if (s.inUse && s.id == kTaskIdBattleUnit) f(TaskData<UnitData>(&s));
  }
}
