#include "event/party_commands.h"

#include <algorithm>
#include <cstring>

#include "data/game_state.h"
#include "field/map.h"

namespace {

bool RowValid(int32_t row) { return row >= 0 && row < kCharacterRows; }
bool PartySlotValid(int32_t slot) { return slot >= 0 && slot < kPartyRows; }

// The fewest places a party can count and still hold every member of its `count` places
// and everyone kept in the reserve: a save keeps as many party and reserve rows as the
// party counts, and whoever stood past them would be lost.
int32_t PlacesKept(int32_t count) {
  int32_t kept = 0;
  for (int32_t i = 0; i < kPartyRows; ++i) {
    const bool member = i < count && !CharacterRecordEmpty(g_party[i]);
    if (member || !CharacterRecordEmpty(g_partyReserve[i])) kept = i + 1;
  }
  return kept;
}

}  // namespace

// An emptied place stays all zero: hit points written into it would make it read as a
// member again.
void PartyMemberHurt(int32_t member, int32_t damage) {
  if (!PartyMemberPresent(member)) return;
  CharacterRecord& record = g_party[member];
  record.hp = SaturateToInt32(std::max<int64_t>(int64_t{record.hp} - damage, 1));
}

void PartyHurtAll() {
  for (int32_t member = 0; member < kPartyRows; ++member) PartyMemberHurt(member, kPartyHurtDamage);
}

void PartyAddFromTable(int32_t row) {
  if (!RowValid(row)) return;
  if (g_partyCount < kPartyRows) ++g_partyCount;
  g_party[g_partyCount - 1] = g_characterTable[row];
}

CharacterRecord* PartyFindByCharId(int32_t id) {
  for (CharacterRecord& record : g_party) {
    if (!CharacterRecordEmpty(record) && record.id == id) return &record;
  }
  return nullptr;
}

void ReserveStore(int32_t slot, const CharacterRecord& record) {
  if (PartySlotValid(slot)) g_partyReserve[slot] = record;
}

// The rows are all read before anything changes, and a set-up naming a map or a row the
// game does not have changes nothing. A count outside 1 to 4 reads no rows.
void EventCmdSetupParty(EventContext* context) {
  const int32_t map = EventReadArg(context);
  const int32_t count = EventReadArg(context);
  if (count < 1 || count > kPartyRows) return;
  int32_t rows[kPartyRows] = {};
  bool valid = map >= 0 && map < kMapCount;
  for (int i = 0; i < count; ++i) {
    rows[i] = EventReadArg(context);
    valid = valid && RowValid(rows[i]);
  }
  if (!valid) return;
  g_mapNumber = map;
  g_partyCount = count;
  for (int i = 0; i < count; ++i) g_party[i] = g_characterTable[rows[i]];
}

void EventCmdAddMember(EventContext* context) { PartyAddFromTable(EventReadArg(context)); }

// The member's place stays in the party, emptied, until a sort closes it up. The count
// drops by one only as far as every member and everyone in the reserve stays within it:
// a member set aside from the middle, or into a reserve row past the smaller party,
// would otherwise be lost at the next save. A reserve slot that already keeps someone is
// not written over.
void EventCmdMemberToReserve(EventContext* context) {
  const int32_t id = EventReadArg(context);
  const int32_t slot = EventReadArg(context);
  CharacterRecord* member = PartyFindByCharId(id);
  if (!member || !PartySlotValid(slot) || !CharacterRecordEmpty(g_partyReserve[slot])) return;
  ReserveStore(slot, *member);
  *member = CharacterRecord{};
  g_partyCount = std::max({g_partyCount - 1, PlacesKept(g_partyCount), 0});
}

// Only a kept record comes back, and only into an empty place: nobody is written over.
void EventCmdReserveToMember(EventContext* context) {
  const int32_t slot = EventReadArg(context);
  const int32_t place = EventReadArg(context);
  if (!PartySlotValid(slot) || !PartySlotValid(place)) return;
  if (CharacterRecordEmpty(g_partyReserve[slot]) || !CharacterRecordEmpty(g_party[place])) return;
  g_party[place] = g_partyReserve[slot];
  if (g_partyCount < kPartyRows) ++g_partyCount;
  g_partyReserve[slot] = CharacterRecord{};
}

// Each member moves to the place of its character id. A party the ids cannot order
// without losing someone (an id outside 0 to 3, or two members of one id) is left as it
// is; emptied places do not take part, and members kept in the reserve stay there.
void EventCmdSortParty(EventContext*) {
  CharacterRecord sorted[kPartyRows] = {};
  bool taken[kPartyRows] = {};
  for (const CharacterRecord& record : g_party) {
    if (CharacterRecordEmpty(record)) continue;
    if (!PartySlotValid(record.id) || taken[record.id]) return;
    taken[record.id] = true;
    sorted[record.id] = record;
  }
  for (int i = 0; i < kPartyRows; ++i) g_party[i] = sorted[i];
}
