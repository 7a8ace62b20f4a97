// What a won battle pays: money into the purse and experience to every party-side unit
// on the field, each gaining at most one level with random growth; then the units'
// records go back into the party. A fallen member's row is marked as it sinks.
#pragma once

#include <cstdint>

#include "battle/battle.h"

void BattleSumRewards(int32_t* gold, int32_t* experience);
void BattleAddRewards(BattleData* battle);
void BattleGiveExperience(BattleData* battle);
void UnitGainExperience(BattleData* battle, UnitData* unit, int32_t amount);
void UnitLevelUpGrowth(UnitData* unit);
void BattleStoreUnitsToParty();
void UnitStoreToParty(const UnitData* unit);
void PartyMarkFallen(const UnitData* unit);
