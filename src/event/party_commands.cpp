#include "event/party_commands.h"

#include <algorithm>
#include <cstring>

#include "data/game_state.h"
#include "field/map.h"

namespace {

bool RowValid(int32_t row) { return row >= 0 && row < kCharacterRows; }
bool PartySlotValid(int32_t slot) { return slot >= 0 && slot < kPartyRows; }

// The fewest places the party can count and still hold every member and everyone kept
// in the reserve: a save keeps as many party and reserve rows as the party counts, and
// whoever stood past them would be lost. Rows past the count are nobody, whatever they
// hold.
int32_t PlacesKept() {
  int32_t kept = 0;
  for (int32_t i = 0; i < g_partyCount && i < kPartyRows; ++i) {
    if (PartyMemberPresent(i) || !CharacterRecordEmpty(g_partyReserve[i])) kept = i + 1;
  }
  return kept;
}

// A place a record may join at: an emptied place within the count, or the next place
// past it while there is room; -1 when neither is free.
int32_t PlaceToJoin(int32_t place) {
  if (place < 0 || place >= kPartyRows || place > g_partyCount) return -1;
  if (place == g_partyCount) return place;
  return PartyMemberPresent(place) ? -1 : place;
}

void Join(int32_t place, const CharacterRecord& record) {
  g_party[place] = record;
  if (place == g_partyCount) ++g_partyCount;
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

// The first emptied place takes the row, else the next place past the count; with four
// members the row takes the last member's place, as a script that adds to a full party
// asks.
void PartyAddFromTable(int32_t row) {
  if (!RowValid(row)) return;
  for (int32_t place = 0; place < kPartyRows; ++place) {
    if (PlaceToJoin(place) < 0) continue;
    Join(place, g_characterTable[row]);
    return;
  }
  g_party[kPartyRows - 1] = g_characterTable[row];
}

CharacterRecord* PartyFindByCharId(int32_t id) {
  for (int32_t i = 0; i < kPartyRows; ++i) {
    if (PartyMemberPresent(i) && g_party[i].id == id) return &g_party[i];
  }
  return nullptr;
}

void ReserveStore(int32_t slot, const CharacterRecord& record) {
  if (PartySlotValid(slot)) g_partyReserve[slot] = record;
}

// The rows are all read before anything changes, and a set-up naming a map or a row the
// game does not have changes nothing; nor does one that would leave someone kept in the
// reserve past the count, where a save would lose them. A count outside 1 to 4 reads no
// rows.
void EventCmdSetupParty(EventContext* context) {
  const int32_t map = EventReadArg(context);
  const int32_t count = EventReadArg(context);
  if (count < 1 || count > kPartyRows) return;
  int32_t rows[kPartyRows] = {};
  bool valid = map >= 0 && map < kMapCount;
  for (int i = count; i < kPartyRows; ++i) valid = valid && CharacterRecordEmpty(g_partyReserve[i]);
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
// drops by one only as far as every member and everyone in the reserve stays within it,
// and never rises: a member set aside from the middle, or into a reserve row past the
// smaller party, would otherwise be lost at the next save. A reserve slot that already
// keeps someone is not written over, and one past the count is not written at all.
void EventCmdMemberToReserve(EventContext* context) {
  const int32_t id = EventReadArg(context);
  const int32_t slot = EventReadArg(context);
  CharacterRecord* member = PartyFindByCharId(id);
  if (!member || !PartySlotValid(slot) || slot >= g_partyCount || !CharacterRecordEmpty(g_partyReserve[slot])) return;
  ReserveStore(slot, *member);
  *member = CharacterRecord{};
  g_partyCount = std::max(g_partyCount - 1, PlacesKept());
}

// Only a kept record comes back, into an emptied place or the next past the count:
// nobody is written over, and no place is left between the party and its new member.
void EventCmdReserveToMember(EventContext* context) {
  const int32_t slot = EventReadArg(context);
  const int32_t place = PlaceToJoin(EventReadArg(context));
  if (!PartySlotValid(slot) || place < 0 || CharacterRecordEmpty(g_partyReserve[slot])) return;
  Join(place, g_partyReserve[slot]);
  g_partyReserve[slot] = CharacterRecord{};
}

// Each member moves to the place of its character id. A party the ids cannot order
// within its count without losing someone (an id at or past the count, or two members
// of one id) is left as it is; emptied places do not take part, and members kept in the
// reserve stay there.
void EventCmdSortParty(EventContext*) {
  CharacterRecord sorted[kPartyRows] = {};
  bool taken[kPartyRows] = {};
  for (int32_t i = 0; i < g_partyCount && i < kPartyRows; ++i) {
    if (!PartyMemberPresent(i)) continue;
    const int32_t id = g_party[i].id;
    if (id < 0 || id >= g_partyCount || taken[id]) return;
    taken[id] = true;
    sorted[id] = g_party[i];
  }
  for (int32_t i = 0; i < g_partyCount && i < kPartyRows; ++i) g_party[i] = sorted[i];
}
