// The phases: each opens with a banner; in the party's phase the player then has the
// cursor, while in the enemies' phase (and the party's under auto-battle) a sequencer
// queues up to six units of the side and hands each in turn to decision making. All of
// it runs as states of the cursor task, so the camera follows the marker throughout.
#include "battle/actions.h"
#include "battle/cursor.h"
#include "battle/grid.h"
#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/sound.h"

int32_t g_phaseSide = 0;

namespace {

bool PlayerHasPhase() { return g_phaseSide == 0 && !g_settings.autoBattle; }

// The flip: every unit on its feet (but one sinking), the other side's banner. Reached
// only when the sequencer runs out of units and once every unit has settled after the
// battle menu asked for the end of the party's phase.
void BattlePhaseToggle() {
  BattleUnitsResetForPhase();
  g_phaseSide = 1 - g_phaseSide;
  for (UnitData*& entry : g_unitQueue) entry = nullptr;
  PhaseBannerStart(PlayerHasPhase() ? PhaseBannerStep : PhaseBannerStepAuto);
  GridClearRange();
  SoundRequest(kSoundPhase, 0);
}

}  // namespace

CursorStep PhaseOpeningBanner() { return g_phaseSide == 1 ? PhaseBannerStepAuto : PhaseBannerStep; }

void PhaseBannerStart(CursorStep banner) {
  CursorData* c = CursorFind();
  if (!c) return;
  c->state = banner;
  c->bannerCount = kBannerFrames;
}

void PhaseBannerStep(CursorData* c) {
  if (KeyConfirmPressed()) {
    c->bannerCount = 0;
  } else {
    --c->bannerCount;
  }
  if (c->bannerCount > 0) return;
  c->bannerCount = 0;
  c->state = g_settings.autoBattle ? PhaseStepQueue : CursorStateFree;
}

void PhaseBannerStepAuto(CursorData* c) {
  if (--c->bannerCount > 0) return;
  c->bannerCount = 0;
  c->queueWait = 0;
  c->state = PhaseStepQueue;
}

void PhaseStepQueue(CursorData* c) {
  if (++c->queueWait <= kQueueWaitFrames) return;
  c->queueWait = 0;
  PhaseClearQueue();
  c->state = PhaseQueueUnits;
}

void PhaseQueueUnits(CursorData* c) {
  while (UnitData* unit = PhaseUnitQueueable(g_phaseSide)) PhaseQueuePush(unit);
  c->state = PhaseNextUnit;
}

void PhaseClearQueue() {
  ForEachUnit([](UnitData* u) { u->taken = 0; });
  for (UnitData*& entry : g_unitQueue) entry = nullptr;
}

// A unit that cannot act (status 2 or more) is never queued.
UnitData* PhaseUnitQueueable(int32_t side) {
  UnitData* found = nullptr;
  ForEachUnit([&](UnitData* u) {
    if (found || u->record.side != side || u->taken || u->acted || u->record.status >= kStatusCannotAct) return;
    found = u;
  });
  if (found) found->taken = 1;
  return found;
}

int PhaseQueuePush(UnitData* unit) {
  for (UnitData*& entry : g_unitQueue) {
    if (entry) continue;
    entry = unit;
    return 1;
  }
  return 0;
}

// Entries whose unit has gone since it was queued are passed over.
UnitData* PhasePopUnit() {
  for (UnitData*& entry : g_unitQueue) {
    if (!entry) continue;
    UnitData* unit = UnitLive(entry);
    entry = nullptr;
    if (unit) return unit;
  }
  return nullptr;
}

void PhaseNextUnit(CursorData* c) {
  if (PlayerHasPhase()) {
    c->unit = nullptr;
    CursorSetState(CursorStateFree);
    for (UnitData*& entry : g_unitQueue) entry = nullptr;
    return;
  }
  if (UnitData* unit = PhasePopUnit()) {
    c->unit = unit;
    CursorGlideToUnit(c);
    return;
  }
  BattlePhaseToggle();
}

void CursorStateFollowUnit(CursorData* c) {
  const UnitData* unit = UnitLive(c->unit);
  if (!unit) {
    c->state = PhaseNextUnit;
    return;
  }
  c->marker[0] = unit->x;
  c->marker[2] = unit->z;
}

void CursorStateWaitUnitsIdle(CursorData* c) {
  if (BattleAnyUnitBusy()) return;
  c->state = PhaseNextUnit;
}

int BattleAnyUnitBusy() {
  if (TaskExists(kTaskIdDamageDigits) || TaskExists(kTaskIdPopupSprite)) return 1;
  int busy = 0;
  ForEachUnit([&](const UnitData* u) {
    if (u->state != UnitStateIdle) busy = 1;
  });
  return busy;
}

void BattleUnitsResetForPhase() {
  ForEachUnit([](UnitData* u) {
    u->acted = 0;
    u->moved = 0;
    u->taken = 0;
    if (u->state != UnitStateSinkAndDie) u->state = UnitStateIdle;
  });
}

void BattleRequestPhaseEnd() { CursorSetState(PhaseWaitIdleThenToggle); }

// Hit units finish their knock-back (and fall, when they have no hit points left)
// before the flip sets every unit back on its feet.
void PhaseWaitIdleThenToggle(CursorData*) {
  if (BattleAnyUnitBusy()) return;
  BattlePhaseToggle();
}
