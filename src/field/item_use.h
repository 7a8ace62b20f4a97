// What items do when used on the field: recovery on a member, and the ward bell that
// keeps random battles off. They play their sounds and start the ward's task, so they
// live with the field rather than with the item table.
#pragma once

#include <cstdint>

#include "data/characters.h"

// Using a consumable on a party member outside battle. The item is taken whether or not
// it changes anything, and the recovery sound plays in every case.
void ItemApplyToMember(CharacterRecord* member, int32_t id);
void ItemHealHp(CharacterRecord* member, int32_t id);
void ItemHealMp(CharacterRecord* member, int32_t id);
void ItemCureStatus1(CharacterRecord* member, int32_t id);
void ItemCureStatus2(CharacterRecord* member, int32_t id);
// The ward item: holds random battles off for its power in steps. Other ids do nothing.
void ItemUseSpecial(int32_t id);
