// Decision making: enemies, and the party's units under auto-battle, act without the
// player. A unit handed over begins in AiBegin; a chain of its states, one a frame,
// chooses by the record's decision type (attacker, caster, boss), shows the chosen range,
// walks when it must and hands over to the attack or the skill states, or ends the turn.
// Foes are always the units of the other side, allies those of the unit's own side,
// itself included.
#pragma once

#include <cstdint>

#include "battle/unit.h"

constexpr int kApproachCells = 1000;
constexpr float kNoGoal = 5000.0f;
constexpr int32_t kAiShowFrames = 30;  // a chosen range shows this long before acting
constexpr int32_t kAiCastRange = 5;    // casters look this far for allies and foes
constexpr int kSummonCount = 5;        // the boss's summons: monster 8 on row 5
constexpr int kSummonRow = 5;
constexpr int kSummonFirstColumn = 6;
constexpr int kSummonMonster = 8;
constexpr float kSummonStartHeight = -8.0f;

// A free cell a unit might walk to: the budget left when the flood from the target
// reached it (higher is nearer), its cell key and the target it would reach.
struct ApproachCell {
  int32_t budget;
  float x, z;
  UnitData* target;
};

extern ApproachCell g_approachCells[kApproachCells];
extern int32_t g_approachCellCount;

// Target orderings over the filled target slots: an exchange sort, the first slot after
// it is returned (null when none is filled).
UnitData* AiSortTargetsByHp(UnitData* unit);
UnitData* AiSortTargetsByHpLost(UnitData* unit);
UnitData* AiSortTargetsByStatus(UnitData* unit);
// Filters: the slots whose unit does not qualify are emptied, and the rest ordered by
// descending slot.
void AiKeepTargetsWithStatus(UnitData* unit);
void AiKeepLowTargets(UnitData* unit);
void AiCompactTargets(UnitData* unit);
int AiFilledTargets(const UnitData* unit);
// Hit points at most a third of the maximum.
bool AiUnitLow(const UnitData* unit);
// The unit's level and magic points reach the skill's.
bool AiSkillUsable(const UnitData* unit, int32_t skill);
// The nearest six foes by distance into the target slots; their number.
int AiCollectNearestFoes(UnitData* unit);
float UnitDistanceXZ(const UnitData* a, const UnitData* b);

void AiClearApproachCells();
// Floods from the cell of (x, z) appending the free cells in walking range at least
// `reach` steps from it; units of the blocking side stop the flood.
void AiAddApproachCells(float x, float z, int32_t budget, int32_t total, int32_t reach, int32_t blockingSide,
                        UnitData* target);
void AiSortApproachCells();
// Among the cells nearest the target (at most ten), the one nearest the unit comes first.
void AiPickNearestApproachCells(float keyX, float keyZ);

// States.
void AiBegin(UnitData* unit);
void AiAttackerThink(UnitData* unit);
void AiAttackerCheckAdjacent(UnitData* unit);
void AiAttackerTargetAdjacent(UnitData* unit);
void AiAttackerStrike(UnitData* unit);
void AiAttackerCheckReach(UnitData* unit);
void AiAttackerApproach(UnitData* unit);
void AiAttackerMarkMove(UnitData* unit);
void AiAttackerCollectCells(UnitData* unit);
void AiAttackerPickCell(UnitData* unit);
void AiAttackerPlanPath(UnitData* unit);
void AiStateWalkPath(UnitData* unit);
void AiStateWalkStep(UnitData* unit);
void AiRecheckAfterMove(UnitData* unit);
void AiActAfterMove(UnitData* unit);
void AiAttackAfterMove(UnitData* unit);
void AiCastAfterMove(UnitData* unit);
void AiApproachNearest(UnitData* unit);
void AiApproachCollect(UnitData* unit);
void AiApproachPoint(UnitData* unit);
void AiApproachPickCell(UnitData* unit);
void AiCasterThink(UnitData* unit);
void AiCasterDecide(UnitData* unit);
void AiCasterTryHeal(UnitData* unit);
void AiCasterTryCure(UnitData* unit);
void AiCasterCheckFar(UnitData* unit);
void AiCasterDecideFar(UnitData* unit);
void AiCasterPlanHeal(UnitData* unit);
void AiCasterPlanCure(UnitData* unit);
void AiCasterCheckFoes(UnitData* unit);
void AiCasterTryAttack(UnitData* unit);
void AiCasterCheckFoesFar(UnitData* unit);
void AiCasterPlanAttack(UnitData* unit);
void AiBossThink(UnitData* unit);
void AiBossDecide(UnitData* unit);
void AiBossTryHeal(UnitData* unit);
void AiBossFindFoes(UnitData* unit);
void AiBossShowRange(UnitData* unit);
void AiBossRangeWait(UnitData* unit);
void AiBossTryAttack(UnitData* unit);
void AiBossSummonCheck(UnitData* unit);
void AiSummonMinions(UnitData* unit);
void AiSummonRise(UnitData* unit);
void AiSummonWait(UnitData* unit);
