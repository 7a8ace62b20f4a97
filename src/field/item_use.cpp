#include "field/item_use.h"

#include <algorithm>

#include "data/items.h"
#include "engine/sound.h"
#include "field/encounter.h"

namespace {

// Recovery never climbs past the maximum; the sum is taken wide so no power can overflow it.
int32_t Restore(int32_t current, int32_t amount, int32_t maximum) {
  return static_cast<int32_t>(std::min<int64_t>(int64_t{current} + amount, maximum));
}

void RequestRecoverySound() { SoundRequest(kSoundRecover, 0); }

}  // namespace

void ItemApplyToMember(CharacterRecord* member, int32_t id) {
  switch (id) {
    case 13:
    case 14: ItemHealHp(member, id); break;
    case 15:
    case 16: ItemHealMp(member, id); break;
    case 17: ItemCureStatus1(member, id); break;
    case 18: ItemCureStatus2(member, id); break;
    default: break;
  }
}

void ItemHealHp(CharacterRecord* member, int32_t id) {
  if (!ItemIdValid(id)) return;
  member->hp = Restore(member->hp, g_itemTable[id].power, member->maxHp);
  RequestRecoverySound();
}

// Only casters draw on magic points; anyone else still uses the item up.
void ItemHealMp(CharacterRecord* member, int32_t id) {
  if (!ItemIdValid(id)) return;
  if (member->characterClass & kClassCaster) member->mp = Restore(member->mp, g_itemTable[id].power, member->maxMp);
  RequestRecoverySound();
}

void ItemCureStatus1(CharacterRecord* member, int32_t id) {
  if (!ItemIdValid(id)) return;
  member->status &= ~kStatusPoison;
  RequestRecoverySound();
}

void ItemCureStatus2(CharacterRecord* member, int32_t id) {
  if (!ItemIdValid(id)) return;
  member->status &= ~kStatusCannotAct;
  RequestRecoverySound();
}

void ItemUseSpecial(int32_t id) {
  if (id != kItemWardBell) return;
  SoundRequest(kSoundWard, 0);
  EncounterWardStart(g_itemTable[id].power);
}
