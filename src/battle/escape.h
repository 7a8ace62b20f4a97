// Escape and auto-battle: two commands that act for the whole party. Escape looks for one
// direction in which every party-side unit can run straight off the field without
// meeting an enemy, and runs them all off that way; finding none ends the party's phase.
// Auto-battle hands the party's units to decision making until it is switched off.
#pragma once

#include <cstdint>

#include "battle/unit.h"

constexpr int kEscapeDirections = 4;  // 0, 90, 180, 270 degrees, tried in this order
constexpr float kRunPerFrame = 0.5f;
constexpr int32_t kRunFootstepFrames = 4;

void BattleTryEscape(UnitData* unit);
// 1 when every listed unit has a clear run in the direction.
int EscapeAllClear(UnitData* const* units, int count, float direction);
// 0 when a unit on the cell centre (x, z) can run off the grid along the direction
// without meeting an enemy, 1 when one stands in the way.
int EscapePathClear(float x, float z, float direction);
// 1 when a unit of the enemies' side, in any state, stands on the cell.
int GridEnemyAtCell(int index);
void PartyAllActed();

void UnitStateEscapeAsk(UnitData* unit);
void UnitStateRunAway(UnitData* unit);
void UnitStateEscapeFailed(UnitData* unit);
void UnitStateAutoBattleAsk(UnitData* unit);

void DrawEscapeAsk(const UnitData* unit);
void DrawAutoBattleAsk(const UnitData* unit);
void DrawEscapeFailedMessage();
