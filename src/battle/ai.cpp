#include "battle/ai.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

#include "battle/actions.h"
#include "battle/battle.h"
#include "battle/cursor.h"
#include "battle/grid.h"
#include "battle/skills.h"
#include "data/skills.h"
#include "engine/sound.h"
#include "engine/util.h"
#include "field/map.h"
#include "field/walker.h"

ApproachCell g_approachCells[kApproachCells];
int32_t g_approachCellCount = 0;

namespace {

constexpr float kWalkQuarter = 0.25f;
constexpr int32_t kWalkCellFrames = 8;
constexpr float kSummonRisePerFrame = 0.1f;
constexpr float kSummonTurnPerFrame = 45.0f;
constexpr float kSummonFacing = 270.0f;
constexpr int32_t kSkillHealOne = 2, kSkillHealAll = 3, kSkillCurePoison = 4, kSkillCureStun = 5;
constexpr int32_t kSkillFlare = 0, kSkillFlareAll = 1;

int32_t Foes(const UnitData* u) { return OtherSide(u->record.side); }

// The unit's move and some cells more, as a search's budget.
int32_t MoveAnd(const UnitData* u, int32_t extra) { return GridBudget(int64_t{u->record.move} + extra); }

int Key(float v) { return static_cast<int>(v); }

void UnitKey(const UnitData* u, float* kx, float* kz) { GridSnapToCell(u->x, u->z, kx, kz); }

int FoesWithin(UnitData* u, int32_t range) { return UnitFindTargetsInRange(u, u->x, u->z, range, Foes(u)); }
int AlliesWithin(UnitData* u, int32_t range) { return UnitFindTargetsInRange(u, u->x, u->z, range, u->record.side); }

// The exchange sort of the Parts' tables: each position against every later one,
// swapped when the later is strictly better.
template <class Better>
UnitData* SortTargets(UnitData* u, Better better) {
  const int n = AiFilledTargets(u);
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      if (u->targets[i] && u->targets[j] && better(*u->targets[j], *u->targets[i])) {
        std::swap(u->targets[i], u->targets[j]);
      }
    }
  }
  return u->targets[0];
}

int CountLow(const UnitData* u) {
  int n = 0;
  for (const UnitData* t : u->targets) {
    if (t && AiUnitLow(t)) ++n;
  }
  return n;
}

bool AnyWithStatus(const UnitData* u) {
  for (const UnitData* t : u->targets) {
    if (t && t->record.status != 0) return true;
  }
  return false;
}

// The first of the two skills the unit can cast, or -1.
int32_t PickSkill(const UnitData* u, int32_t first, int32_t second) {
  if (AiSkillUsable(u, first)) return first;
  if (AiSkillUsable(u, second)) return second;
  return -1;
}

int32_t PickHealSkill(const UnitData* u) {
  return PickSkill(u, CountLow(u) == 1 ? kSkillHealOne : kSkillHealAll, kSkillHealOne);
}

int32_t PickCureSkill(const UnitData* u, const UnitData* target) {
  return PickSkill(u, (target->record.status & kStatusCannotAct) ? kSkillCureStun : kSkillCurePoison, kSkillCurePoison);
}

int32_t PickDamageSkill(const UnitData* u) {
  return PickSkill(u, AiFilledTargets(u) == 1 ? kSkillFlare : kSkillFlareAll, kSkillFlare);
}

// The timed cast, the unit's skill already chosen.
void Cast(UnitData* u) {
  CursorSetState(CursorStateWaitUnitsIdle);
  u->state = UnitStateAiSkillWait;
  u->wait = kAiShowFrames;
  GridShowAttackRange(u->x, u->z, kAiCastRange);
}

void CastIfChosen(UnitData* u, int32_t skill) {
  if (skill < 0) {
    UnitFinishTurn(u);
    return;
  }
  u->skill = skill;
  Cast(u);
}

void WalkIfChosen(UnitData* u, int32_t skill) {
  if (skill < 0) {
    UnitFinishTurn(u);
    return;
  }
  u->skill = skill;
  u->state = AiAttackerMarkMove;
}

// The approach search of the rules, depth first, appends a cell every time a way reaches
// it with no less budget than any way before, so its candidates, repeats and order hang
// on every way it tries. Up to this budget (a move of 5 and a caster's reach of 2 ask
// for 7) that stays well under 100,000 visits and is kept as it is; each further step
// multiplies the work, which only a damaged record's move could ask for. A larger budget
// reaches each cell once, breadth first, and appends it once with the budget of its
// shortest way.
constexpr int32_t kApproachExhaustiveBudget = 9;

// One approach search: its budgets and what stands on each cell, looked up once.
struct ApproachSearch {
  int32_t total, reach;
  UnitData* target;
  bool occupied[kGridCells];  // a unit of any side, in any state
  bool blocking[kGridCells];  // a unit of the blocking side standing on the ground
};

void MarkUnits(ApproachSearch* s, int32_t blockingSide) {
  std::fill(std::begin(s->occupied), std::end(s->occupied), false);
  std::fill(std::begin(s->blocking), std::end(s->blocking), false);
  ForEachUnit([&](const UnitData* u) {
    float kx = 0, kz = 0;
    UnitKey(u, &kx, &kz);
    if (!GridInside(kx, kz)) return;
    const int i = GridCellIndex(kx, kz);
    s->occupied[i] = true;
    if (u->record.side == blockingSide && u->y >= kUnitHeight) s->blocking[i] = true;
  });
}

// A free cell in the walking range on show, far enough from the start, while there is room.
void AppendIfCandidate(const ApproachSearch& s, int i, int32_t budget, float kx, float kz) {
  if (!s.occupied[i] && GridRangeAt(i) >= 0 && budget <= s.total - s.reach && g_approachCellCount < kApproachCells) {
    g_approachCells[g_approachCellCount++] = {budget, kx, kz, s.target};
  }
}

void FloodApproach(int kx, int kz, int32_t budget, const ApproachSearch& s) {
  const float fx = static_cast<float>(kx), fz = static_cast<float>(kz);
  if (budget < 0 || !GridInside(fx, fz)) return;
  const int i = GridCellIndex(fx, fz);
  if (g_gridMarks[i] > budget) return;
  if (budget < s.total && s.blocking[i]) return;
  AppendIfCandidate(s, i, budget, fx, fz);
  g_gridMarks[i] = static_cast<int16_t>(budget);
  FloodApproach(kx + 2, kz, budget - 1, s);
  FloodApproach(kx, kz + 2, budget - 1, s);
  FloodApproach(kx - 2, kz, budget - 1, s);
  FloodApproach(kx, kz - 2, budget - 1, s);
}

constexpr int kApproachSteps[4][2] = {{2, 0}, {0, 2}, {-2, 0}, {0, -2}};  // +x, +z, -x, -z

void FloodApproachBreadthFirst(int kx, int kz, int32_t budget, const ApproachSearch& s) {
  if (budget < 0 || !GridInside(static_cast<float>(kx), static_cast<float>(kz))) return;
  int queueX[kGridCells], queueZ[kGridCells];
  int head = 0, tail = 0;
  const int start = GridCellIndex(static_cast<float>(kx), static_cast<float>(kz));
  g_gridMarks[start] = static_cast<int16_t>(budget);
  AppendIfCandidate(s, start, budget, static_cast<float>(kx), static_cast<float>(kz));
  queueX[tail] = kx;
  queueZ[tail++] = kz;
  while (head < tail) {
    const int x = queueX[head], z = queueZ[head++];
    const int32_t left = g_gridMarks[GridCellIndex(static_cast<float>(x), static_cast<float>(z))] - 1;
    if (left < 0) continue;
    for (const auto& step : kApproachSteps) {
      const int nx = x + step[0], nz = z + step[1];
      const float fx = static_cast<float>(nx), fz = static_cast<float>(nz);
      if (!GridInside(fx, fz)) continue;
      const int i = GridCellIndex(fx, fz);
      if (g_gridMarks[i] >= 0 || s.blocking[i]) continue;
      g_gridMarks[i] = static_cast<int16_t>(left);
      AppendIfCandidate(s, i, left, fx, fz);
      queueX[tail] = nx;
      queueZ[tail++] = nz;
    }
  }
}

// Entry 0 of the sorted candidates becomes the goal; a goal leads to the walk.
void PickGoal(UnitData* u) {
  AiSortApproachCells();
  float kx = 0, kz = 0;
  UnitKey(u, &kx, &kz);
  AiPickNearestApproachCells(kx, kz);
  u->goalX = g_approachCells[0].x;
  u->goalZ = g_approachCells[0].z;
}

void EndWalk(UnitData* u) {
  u->state = AiRecheckAfterMove;
  PathReset();
  GridClearRange();
}

void FaceTarget(UnitData* u) {
  if (u->target && u->target != u) u->facing = FacingToward(u->x, u->z, u->target->x, u->target->z);
}

bool OtherUnitBusy(const UnitData* u) {
  bool busy = false;
  ForEachUnit([&](const UnitData* other) {
    if (other != u && other->state != UnitStateIdle) busy = true;
  });
  return busy;
}

}  // namespace

int AiFilledTargets(const UnitData* unit) {
  int n = 0;
  for (const UnitData* t : unit->targets) {
    if (t) ++n;
  }
  return n;
}

UnitData* AiSortTargetsByHp(UnitData* unit) {
  return SortTargets(unit, [](const UnitData& a, const UnitData& b) { return a.record.hp < b.record.hp; });
}

UnitData* AiSortTargetsByHpLost(UnitData* unit) {
  return SortTargets(unit, [](const UnitData& a, const UnitData& b) {
    return int64_t{a.record.maxHp} - a.record.hp > int64_t{b.record.maxHp} - b.record.hp;
  });
}

UnitData* AiSortTargetsByStatus(UnitData* unit) {
  return SortTargets(unit, [](const UnitData& a, const UnitData& b) { return a.record.status > b.record.status; });
}

void AiKeepTargetsWithStatus(UnitData* unit) {
  for (UnitData*& t : unit->targets) {
    if (t && t->record.status == 0) t = nullptr;
  }
  AiCompactTargets(unit);
}

void AiKeepLowTargets(UnitData* unit) {
  for (UnitData*& t : unit->targets) {
    if (t && !AiUnitLow(t)) t = nullptr;
  }
  AiCompactTargets(unit);
}

// By descending address of the unit data: the filled slots first, in descending slot
// order of the task pool.
void AiCompactTargets(UnitData* unit) {
  std::sort(std::begin(unit->targets), std::end(unit->targets), std::greater<>());
}

bool AiUnitLow(const UnitData* unit) { return unit->record.hp <= unit->record.maxHp / 3; }

bool AiSkillUsable(const UnitData* unit, int32_t skill) {
  if (!SkillIdValid(skill)) return false;
  return unit->record.level >= g_skillTable[skill].level && unit->record.mp >= g_skillTable[skill].mpCost;
}

float UnitDistanceXZ(const UnitData* a, const UnitData* b) { return DistanceXZ(a->x, a->z, b->x, b->z); }

int AiCollectNearestFoes(UnitData* unit) {
  UnitData* found[kUnitTargetSlots] = {};
  float distance[kUnitTargetSlots] = {};
  int n = 0;
  ForEachUnit([&](UnitData* u) {
    if (n >= kUnitTargetSlots || u->record.side != Foes(unit) || u->state == UnitStateSinkAndDie) return;
    found[n] = u;
    distance[n] = UnitDistanceXZ(unit, u);
    ++n;
  });
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      if (distance[j] < distance[i]) {
        std::swap(distance[i], distance[j]);
        std::swap(found[i], found[j]);
      }
    }
  }
  for (int i = 0; i < kUnitTargetSlots; ++i) unit->targets[i] = found[i];
  return n;
}

void AiClearApproachCells() {
  g_approachCellCount = 0;
  for (ApproachCell& c : g_approachCells) c = {0, kNoGoal, kNoGoal, nullptr};
}

void AiAddApproachCells(float x, float z, int32_t budget, int32_t total, int32_t reach, int32_t blockingSide,
                        UnitData* target) {
  GridClearSearchMarks();
  float kx = 0, kz = 0;
  GridSnapToCell(x, z, &kx, &kz);
  ApproachSearch s;
  s.total = GridBudget(total);
  s.reach = reach;
  s.target = target;
  MarkUnits(&s, blockingSide);
  budget = GridBudget(budget);
  if (budget <= kApproachExhaustiveBudget) {
    FloodApproach(Key(kx), Key(kz), budget, s);
  } else {
    FloodApproachBreadthFirst(Key(kx), Key(kz), budget, s);
  }
}

void AiSortApproachCells() {
  for (int i = 0; i < kApproachCells; ++i) {
    for (int j = i + 1; j < kApproachCells; ++j) {
      if (g_approachCells[j].budget > g_approachCells[i].budget) std::swap(g_approachCells[i], g_approachCells[j]);
    }
  }
}

void AiPickNearestApproachCells(float keyX, float keyZ) {
  constexpr int kNearest = 10;
  int n = 1;
  while (n < kApproachCells && n < kNearest && g_approachCells[n].budget == g_approachCells[n - 1].budget) ++n;
  float distance[kNearest];
  for (int i = 0; i < n; ++i) distance[i] = DistanceXZ(g_approachCells[i].x, g_approachCells[i].z, keyX, keyZ);
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      if (distance[j] < distance[i]) {
        std::swap(distance[i], distance[j]);
        std::swap(g_approachCells[i], g_approachCells[j]);
      }
    }
  }
}

// A skill chosen in an earlier turn is never cast again: the unit starts from the skill
// it was made with, which a caster that walks up to its foes casts on arrival.
void AiBegin(UnitData* unit) {
  UnitsClearPendingDamage();
  unit->skill = kUnitStandingSkill;
  switch (unit->record.decision) {
    case kDecisionAttacker: unit->state = AiAttackerThink; break;
    case kDecisionCaster: unit->state = AiCasterThink; break;
    case kDecisionBoss: unit->state = AiBossThink; break;
    default: UnitFinishTurn(unit); break;
  }
}

void AiAttackerThink(UnitData* unit) { unit->state = AiAttackerCheckAdjacent; }

void AiAttackerCheckAdjacent(UnitData* unit) {
  unit->state = FoesWithin(unit, 1) ? AiAttackerTargetAdjacent : AiAttackerCheckReach;
}

void AiAttackerTargetAdjacent(UnitData* unit) {
  unit->target = AiSortTargetsByHp(unit);
  if (!unit->target) {
    UnitFinishTurn(unit);
    return;
  }
  unit->wait = kAiShowFrames;
  GridShowAttackRange(unit->x, unit->z, 1);
  unit->state = AiAttackerStrike;
}

void AiAttackerStrike(UnitData* unit) {
  if (--unit->wait >= 1) return;
  GridClearRange();
  if (!UnitLive(unit->target)) {
    UnitFinishTurn(unit);
    return;
  }
  CursorSetState(CursorStateWaitUnitsIdle);
  unit->wait = kAttackWaitFrames;
  unit->state = UnitStateAttackWaitAi;
  FaceTarget(unit);
}

void AiAttackerCheckReach(UnitData* unit) {
  unit->state = FoesWithin(unit, MoveAnd(unit, 1)) ? AiAttackerApproach : AiApproachNearest;
}

void AiAttackerApproach(UnitData* unit) { unit->state = AiAttackerMarkMove; }

void AiAttackerMarkMove(UnitData* unit) {
  AiClearApproachCells();
  GridShowMoveRange(unit->x, unit->z, unit->record.move, Foes(unit));
  unit->goalX = unit->goalZ = kNoGoal;
  unit->searchSlot = 0;
  unit->state = AiAttackerCollectCells;
}

// One target a frame.
void AiAttackerCollectCells(UnitData* unit) {
  const int s = unit->searchSlot;
  if (s >= 0 && s < kUnitTargetSlots && unit->targets[s]) {
    const int32_t reach = unit->record.characterClass == kClassCaster ? 2 : 1;
    const int32_t total = MoveAnd(unit, reach);
    const UnitData* t = unit->targets[s];
    AiAddApproachCells(t->x, t->z, total, total, reach, Foes(unit), unit->targets[s]);
    ++unit->searchSlot;
    return;
  }
  unit->state = AiAttackerPickCell;
}

void AiAttackerPickCell(UnitData* unit) {
  PickGoal(unit);
  if (unit->goalX < kNoGoal && unit->goalZ < kNoGoal) {
    unit->state = AiAttackerPlanPath;
  } else {
    UnitFinishTurn(unit);
  }
}

void AiAttackerPlanPath(UnitData* unit) {
  float kx = 0, kz = 0;
  UnitKey(unit, &kx, &kz);
  PathFind(kx, kz, unit->record.move, unit->goalX, unit->goalZ);
  unit->pathIndex = 0;
  unit->stepFrame = 0;
  unit->state = AiStateWalkPath;
}

// A step the path does not allow (not one cell along an axis) ends the walk, as does the
// end of the path's twenty entries.
void AiStateWalkPath(UnitData* unit) {
  float kx = 0, kz = 0;
  UnitKey(unit, &kx, &kz);
  const int i = unit->pathIndex;
  if ((Key(kx) == Key(unit->goalX) && Key(kz) == Key(unit->goalZ)) || i < 0 || i >= kPathEntries ||
      g_pathX[i] == kPathEmpty) {
    EndWalk(unit);
    return;
  }
  const int dx = Key(kx) - Key(g_pathX[i]), dz = Key(kz) - Key(g_pathZ[i]);
  unit->stepFrame = 0;
  if (dx == 0 && dz == 0) {
    ++unit->pathIndex;
    return;
  }
  if (!PathStepFacing(dx, dz, &unit->facing)) {
    EndWalk(unit);
    return;
  }
  unit->state = AiStateWalkStep;
}

void AiStateWalkStep(UnitData* unit) {
  OffsetByAngle(&unit->x, &unit->z, unit->x, unit->z, unit->facing, kWalkQuarter);
  if (++unit->stepFrame < kWalkCellFrames) return;
  unit->stepFrame = 0;
  ++unit->pathIndex;
  unit->state = AiStateWalkPath;
}

// A caster looks for the side its skill aims at: the one it chose before walking, or its
// standing attack after a walk toward the nearest foe.
void AiRecheckAfterMove(UnitData* unit) {
  int found = 0;
  if (unit->record.characterClass == kClassCaster) {
    if (!SkillIdValid(unit->skill)) {
      UnitFinishTurn(unit);
      return;
    }
    const int32_t side = SkillKind(unit->skill) != kSkillDamage ? unit->record.side : Foes(unit);
    found = UnitFindTargetsInRange(unit, unit->x, unit->z, kAiCastRange, side);
  } else {
    found = FoesWithin(unit, 1);
  }
  if (found) {
    unit->state = AiActAfterMove;
  } else {
    UnitFinishTurn(unit);
  }
}

void AiActAfterMove(UnitData* unit) {
  const bool caster = unit->record.characterClass == kClassCaster;
  CursorSetState(CursorStateWaitUnitsIdle);
  GridClearRange();
  GridShowAttackRange(unit->x, unit->z, caster ? kAiCastRange : 1);
  unit->wait = kAiShowFrames;
  unit->state = caster ? AiCastAfterMove : AiAttackAfterMove;
}

void AiAttackAfterMove(UnitData* unit) {
  if (--unit->wait >= 1) return;
  GridClearRange();
  unit->wait = kAttackWaitFrames;
  unit->state = UnitStateAttackWaitAi;
  unit->target = AiSortTargetsByHp(unit);
  if (!unit->target) {
    UnitFinishTurn(unit);
    return;
  }
  FaceTarget(unit);
}

void AiCastAfterMove(UnitData* unit) {
  if (--unit->wait >= 1) return;
  GridClearRange();
  unit->wait = kAiShowFrames;
  unit->state = UnitStateAiSkillWait;
}

void AiApproachNearest(UnitData* unit) {
  GridShowMoveRange(unit->x, unit->z, unit->record.move, Foes(unit));
  unit->state = AiApproachCollect;
}

void AiApproachCollect(UnitData* unit) {
  if (AiCollectNearestFoes(unit) == 0) {
    UnitFinishTurn(unit);
    return;
  }
  unit->state = AiApproachPoint;
}

// A point `move` cells toward the nearest foe (one fewer off a straight line); the free
// cells in range nearest it, then nearest the unit.
void AiApproachPoint(UnitData* unit) {
  unit->target = unit->targets[0];
  const UnitData* t = unit->target;
  const float angle = FacingToward(unit->x, unit->z, t->x, t->z);
  const int32_t move = MoveAnd(unit, 0);
  const int32_t d = static_cast<int32_t>(angle) % 90 == 0 ? move : move - 1;
  float px = 0, pz = 0;
  PolarOffset(&px, &pz, unit->x, unit->z, angle, 2.0f * static_cast<float>(d));
  const int32_t reach = unit->record.characterClass == kClassFighter ? 1 : 2;
  AiClearApproachCells();
  unit->goalX = unit->goalZ = kNoGoal;
  const int32_t total = MoveAnd(unit, reach);
  AiAddApproachCells(px, pz, total, total, reach, Foes(unit), nullptr);
  unit->state = AiApproachPickCell;
}

void AiApproachPickCell(UnitData* unit) {
  PickGoal(unit);
  unit->target = g_approachCells[0].target;
  if (unit->goalX < kNoGoal && unit->goalZ < kNoGoal) {
    unit->state = AiAttackerPlanPath;
  } else {
    UnitFinishTurn(unit);
  }
}

void AiCasterThink(UnitData* unit) {
  unit->state = AlliesWithin(unit, kAiCastRange) ? AiCasterDecide : AiCasterCheckFar;
}

// Healing comes before curing.
void AiCasterDecide(UnitData* unit) {
  if (CountLow(unit) > 0) {
    unit->state = AiCasterTryHeal;
  } else if (AnyWithStatus(unit)) {
    unit->state = AiCasterTryCure;
  } else {
    unit->state = AiCasterCheckFar;
  }
}

void AiCasterTryHeal(UnitData* unit) {
  const int32_t skill = PickHealSkill(unit);
  unit->target = AiSortTargetsByHpLost(unit);
  CastIfChosen(unit, skill);
}

void AiCasterTryCure(UnitData* unit) {
  unit->target = AiSortTargetsByStatus(unit);
  if (!unit->target) {
    UnitFinishTurn(unit);
    return;
  }
  CastIfChosen(unit, PickCureSkill(unit, unit->target));
}

void AiCasterCheckFar(UnitData* unit) {
  unit->state = AlliesWithin(unit, MoveAnd(unit, 2)) ? AiCasterDecideFar : AiCasterCheckFoes;
}

void AiCasterDecideFar(UnitData* unit) {
  if (CountLow(unit) > 0) {
    unit->state = AiCasterPlanHeal;
  } else if (AnyWithStatus(unit)) {
    unit->state = AiCasterPlanCure;
  } else {
    unit->state = AiCasterCheckFoes;
  }
}

void AiCasterPlanHeal(UnitData* unit) {
  const int32_t skill = PickHealSkill(unit);
  AiKeepLowTargets(unit);
  WalkIfChosen(unit, skill);
}

void AiCasterPlanCure(UnitData* unit) {
  AiKeepTargetsWithStatus(unit);
  unit->target = AiSortTargetsByStatus(unit);
  if (!unit->target) {
    UnitFinishTurn(unit);
    return;
  }
  WalkIfChosen(unit, PickCureSkill(unit, unit->target));
}

void AiCasterCheckFoes(UnitData* unit) {
  unit->state = FoesWithin(unit, kAiCastRange) ? AiCasterTryAttack : AiCasterCheckFoesFar;
}

void AiCasterTryAttack(UnitData* unit) { CastIfChosen(unit, PickDamageSkill(unit)); }

void AiCasterCheckFoesFar(UnitData* unit) {
  unit->state = FoesWithin(unit, MoveAnd(unit, 2)) ? AiCasterPlanAttack : AiApproachNearest;
}

void AiCasterPlanAttack(UnitData* unit) { WalkIfChosen(unit, PickDamageSkill(unit)); }

// The boss never walks and casts whatever its level and magic points.
void AiBossThink(UnitData* unit) {
  AlliesWithin(unit, kAiCastRange);
  unit->state = AiBossDecide;
}

void AiBossDecide(UnitData* unit) { unit->state = unit->targets[0] ? AiBossTryHeal : AiBossFindFoes; }

void AiBossTryHeal(UnitData* unit) {
  if (CountLow(unit) == 0) {
    unit->state = AiBossFindFoes;
    return;
  }
  unit->target = AiSortTargetsByHp(unit);
  unit->skill = kSkillHealAll;
  unit->wait = kAiShowFrames;
  unit->state = UnitStateAiSkillWait;
  GridShowAttackRange(unit->x, unit->z, kAiCastRange);
  CursorSetState(CursorStateWaitUnitsIdle);
}

void AiBossFindFoes(UnitData* unit) {
  FoesWithin(unit, kAiCastRange);
  unit->state = AiBossShowRange;
}

void AiBossShowRange(UnitData* unit) {
  unit->wait = kAiShowFrames;
  GridShowAttackRange(unit->x, unit->z, kAiCastRange);
  unit->state = AiBossRangeWait;
}

void AiBossRangeWait(UnitData* unit) {
  if (--unit->wait >= 1) return;
  GridClearRange();
  unit->state = AiBossTryAttack;
}

void AiBossTryAttack(UnitData* unit) {
  if (!unit->targets[0]) {
    unit->state = AiBossSummonCheck;
    return;
  }
  unit->skill = kSkillFlareAll;
  unit->wait = kAiShowFrames;
  unit->state = UnitStateAiSkillWait;
  CursorSetState(CursorStateWaitUnitsIdle);
}

// The boss and any unit still sinking count.
void AiBossSummonCheck(UnitData* unit) {
  CursorSetState(CursorStateWaitUnitsIdle);
  if (BattleCountSide(unit->record.side) < 2) {
    AiSummonMinions(unit);
  } else {
    UnitFinishTurn(unit);
  }
}

// A summon whose cell is taken, or that finds no slot, is left out.
void AiSummonMinions(UnitData* unit) {
  const CharacterRecord& record = g_characterTable[kMonsterRowOffset + kSummonMonster];
  for (int i = 0; i < kSummonCount; ++i) {
    float x = static_cast<float>(kSummonFirstColumn + i), z = static_cast<float>(kSummonRow);
    GridCellToWorld(&x, &z);
    float kx = 0, kz = 0;
    GridSnapToCell(x, z, &kx, &kz);
    if (GridAnyUnitAt(kx, kz)) continue;
    if (UnitData* summoned = UnitCreate(record, x, kSummonStartHeight, z, kSummonFacing)) {
      summoned->state = AiSummonRise;
    }
  }
  unit->state = AiSummonWait;
  SoundRequest(kSoundSummon, 0);
}

// Rises spinning until it stands on the grid, facing the party.
void AiSummonRise(UnitData* unit) {
  unit->y += kSummonRisePerFrame;
  unit->facing += kSummonTurnPerFrame;
  if (unit->facing > 360.0f) unit->facing -= 360.0f;
  if (unit->y < kUnitHeight) return;
  unit->y = kUnitHeight;
  unit->facing = kSummonFacing;
  unit->state = UnitStateIdle;
}

void AiSummonWait(UnitData* unit) {
  if (OtherUnitBusy(unit)) return;
  UnitFinishTurn(unit);
}
