// Event commands that change the party: its set-up, members joining, leaving for the
// reserve and coming back, and the party put in character order.
#pragma once

#include <cstdint>

#include "data/characters.h"
#include "event/event.h"

void EventCmdSetupParty(EventContext* context);       // '#0'
void EventCmdAddMember(EventContext* context);        // '#4'
void EventCmdMemberToReserve(EventContext* context);  // '#46'
void EventCmdReserveToMember(EventContext* context);  // '#49'
void EventCmdSortParty(EventContext* context);        // '#51'

// A copy of a character table row joins the party at its first emptied place, else past
// its last; with four members it takes the last member's place. Rows outside the table
// change nothing.
void PartyAddFromTable(int32_t row);
// The first member with the character id, or null. Emptied records, and records past the
// party's count, are nobody.
CharacterRecord* PartyFindByCharId(int32_t id);
void ReserveStore(int32_t slot, const CharacterRecord& record);
// The member's hit points less the damage, never below 1; nobody else is touched.
void PartyMemberHurt(int32_t member, int32_t damage);
// Every member's hit points less 10, never below 1.
void PartyHurtAll();
constexpr int32_t kPartyHurtDamage = 10;
