#include "battle/actions.h"

#include "battle/battle.h"

// Nothing decides yet: the unit's turn ends as it is handed over.
void AiBegin(UnitData* unit) { UnitFinishTurn(unit); }

int UnitCommandExtra(UnitData*, int32_t) { return 0; }

int UnitSkillOnTarget(UnitData*, UnitData*) { return 0; }

int UnitItemOnTarget(UnitData*, UnitData*) { return 0; }

int32_t SkillKind(int32_t) { return 0; }

int DrawUnitActionWindow(const UnitData*) { return 0; }

bool UnitStateHidesPanel(UnitStep) { return false; }

UnitStep UnitMenuStateFor(UnitStep) { return UnitStateCommandMenuOpen; }

void PartySwapOut() {}

// With no familiars to bring on, the field's own team stays and the fight goes on.
void BattleDeployOtherTeam(BattleData* battle) { battle->phase = 0; }
