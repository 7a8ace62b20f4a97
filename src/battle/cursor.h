// The battle cursor: one task that owns the camera and the player's pointer, a flat
// marker lying on the grid. The camera stands 20 units from the marker on the side of
// the view heading and looks at it. The cursor's state decides what the keys do: roam
// and pick a party unit, choose a move destination or an action target, glide to a
// unit, turn the view. It also carries the phases: the banner, the queue wait and the
// sequencer that hands units to decision making one at a time.
#pragma once

#include <cstdint>

#include "battle/unit.h"
#include "engine/task.h"

struct CursorData;
using CursorStep = void (*)(CursorData* cursor);

struct CursorData {
  int32_t live;
  float camera[3];     // x, height, z
  float marker[3];     // centre of the marker square
  float heading;       // view heading: 0, 90, 180 or 270 at rest
  float size;          // half-diagonal of the marker square
  int32_t stepCount;   // sub-steps done of a one-cell step (0 at rest)
  int32_t glideCount;  // half-unit steps left of a glide leg
  int32_t cell;
  CursorStep state;
  UnitData* unit;  // the unit being handled
  int32_t queueWait;
  int32_t bannerCount;
  int32_t idleFrames;  // frames without input: the index into the pulse table
};

constexpr int kPulseFrames = 96;
constexpr float kMarkerSize = 1.41f;
constexpr float kCameraLowest = 10.0f;
constexpr float kCameraHighest = 60.0f;
constexpr float kCursorDistance = 20.0f;
constexpr int32_t kBannerFrames = 60;
constexpr int32_t kQueueWaitFrames = 60;  // the queue fills on the frame after this many
constexpr int kUnitQueueLength = 6;

extern const float g_pulseTable[kPulseFrames];
extern UnitData* g_unitQueue[kUnitQueueLength];
extern int32_t g_phaseSide;  // 0 the party's phase, 1 the enemies'

// A slot of 10 to 99 at the world point; 0 when none is free.
int CursorCreate(float x, float y, float z);
// The cursor task's data, or null while there is none.
CursorData* CursorFind();
void CursorSetState(CursorStep state);
UnitData* CursorFindUnit(const CursorData* cursor);
void CursorGlideToUnit(CursorData* cursor);
void CursorGiveControlToUnit(CursorData* cursor, UnitData* unit);
int CursorRunUnitAction(UnitData* unit, int32_t command, UnitData* target);
int CursorOpenBattleMenu(CursorData* cursor);
void CursorTaskUpdate(TaskSlot* slot);
void CursorTaskDraw(TaskSlot* slot);
// The marker texture for the cursor's state and the phase.
int CursorMarkerTexture(const CursorData* cursor);
// The cursor's state is one of a target choice or one of its steps.
bool CursorInMoveTarget(const CursorData* cursor);
bool CursorInActionTarget(const CursorData* cursor);
// A one-cell step or a glide is under way.
bool CursorBetweenCells(const CursorData* cursor);

void CursorStateCameraRise(CursorData* cursor);
void CursorStateIdle(CursorData* cursor);
void CursorStateFree(CursorData* cursor);
void CursorStateSelect(CursorData* cursor);
void CursorStateTurnView(CursorData* cursor);
void CursorStateMoveTarget(CursorData* cursor);
void CursorStateActionTarget(CursorData* cursor);
void CursorStateWaitAction(CursorData* cursor);
void CursorStateReturnToMenu(CursorData* cursor);
void CursorArriveAtUnit(CursorData* cursor);

// Phases, run as cursor states.
void PhaseBannerStart(CursorStep banner);
// The end of the party's phase asked for from the battle menu: it comes once every unit
// has settled, so no unit with no hit points is set back on its feet.
void BattleRequestPhaseEnd();
void PhaseClearQueue();
UnitData* PhaseUnitQueueable(int32_t side);
int PhaseQueuePush(UnitData* unit);
UnitData* PhasePopUnit();
void BattleUnitsResetForPhase();
int BattleAnyUnitBusy();
void PhaseBannerStep(CursorData* cursor);
void PhaseBannerStepAuto(CursorData* cursor);
void PhaseStepQueue(CursorData* cursor);
void PhaseQueueUnits(CursorData* cursor);
void PhaseNextUnit(CursorData* cursor);
void CursorStateFollowUnit(CursorData* cursor);
void CursorStateWaitUnitsIdle(CursorData* cursor);
void PhaseWaitIdleThenToggle(CursorData* cursor);
// The banner state the phase in force opens with.
CursorStep PhaseOpeningBanner();
