// What units do beyond walking and striking: decision making for enemies and for the
// party under auto-battle (ai.h), skills (skills.h), items in battle (battle_items.h),
// escape and auto-battle (escape.h) and familiars (familiars.h). The unit task, the
// cursor and the battle task reach all of it through these entry points.
#pragma once

#include <cstdint>

#include "battle/ai.h"
#include "battle/unit.h"

struct BattleData;

// Commands 4 to 8 of the command menu (skill, item, escape, auto-battle, dismiss): 1
// when the unit took the command, 0 when it is refused and the menu stays open.
int UnitCommandExtra(UnitData* unit, int32_t command);
// The cursor's confirm on a target for a skill or an item: 1 when an action started.
int UnitSkillOnTarget(UnitData* unit, UnitData* target);
int UnitItemOnTarget(UnitData* unit, UnitData* target);
// The kind of a skill (0 deals damage); -1 for an id that names no skill.
int32_t SkillKind(int32_t skill);
// The windows of the states these commands add; 1 when the unit's state drew one.
int DrawUnitActionWindow(const UnitData* unit);
// The states these commands add in which the status panel stays hidden.
bool UnitStateHidesPanel(UnitStep state);
// The state restored when the cursor glides back from a target choice.
UnitStep UnitMenuStateFor(UnitStep state);
// The familiar swap: the units on the field leave, the others walk in.
void PartySwapOut();
void BattleDeployOtherTeam(BattleData* battle);
