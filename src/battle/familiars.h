// Familiars: the summoning skill sends the whole party off the near edge of the field
// and brings in four familiars copied from a party fighter, which walk in to free spots
// of a fixed formation. The party walks back in, with the records it left with, when the
// player dismisses them, when they all fall or when the enemies are beaten. Familiars
// are never written back to the party.
#pragma once

#include <cstdint>

#include "battle/battle.h"
#include "battle/unit.h"

constexpr int kFormationRows = 4;
constexpr int kFormationPlaces = 10;
constexpr int kFormationSpots = kFormationRows * kFormationPlaces;
constexpr float kFormationSpotReach = 0.25f;  // a unit this close to a spot takes it
constexpr float kWalkInStartZ = -19.0f;
constexpr float kWalkOffEdgeZ = -18.0f;
constexpr float kWalkPerFrame = 0.5f;
constexpr float kWalkInArrival = 0.5f;

// Spot k of the formation: row k / 10, place k mod 10.
void FormationSpot(int k, float* x, float* z);
void FamiliarRecordsCreate();
void SkillSummonFamiliars(UnitData* caster);
void PartyLeaveField();
void BattleSetPhase(int32_t phase);
// The records onto free formation spots, each walking in from the near edge; how many
// units could be created.
int BattleDeployTeam(const CharacterRecord* records, int32_t count);
int FormationSpotTaken(float x, float z);
int UnitCreateWalkIn(const CharacterRecord& record, float x, float y, float z, float facing, float spotX, float spotZ);

void UnitStateWalkOff(UnitData* unit);
void UnitStateWalkIn(UnitData* unit);
void UnitStateDismissAsk(UnitData* unit);

void DrawDismissAsk(const UnitData* unit);
