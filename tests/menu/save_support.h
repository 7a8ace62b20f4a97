// What the save screen's slot list shows of a slot.
#pragma once

#include <algorithm>
#include <cstdint>

#include "data/characters.h"
#include "menu/save_file.h"

namespace test {

// Whether the slot list shows the slot as holding a game (a damaged file shows empty).
inline bool SlotListed(int slot) {
  SaveSlotList slots{};
  SaveSlotsScan(&slots);
  return slots.exists[slot] != 0;
}

// A row of the character table taken up to `level` by level-ups that each add the least
// they can, at full health: a record play could have made, which a save keeps.
inline CharacterRecord GrownTo(int row, int32_t level) {
  CharacterRecord r = g_characterTable[row];
  const int64_t ups = int64_t{level} - r.level;
  for (int a = 0; a < kAbilityCount; ++a) {
    int32_t& value = r.*kAbilityFields[a];
    const int64_t least = LevelUpGainRange(r.characterClass, static_cast<Ability>(a)).least;
    value = static_cast<int32_t>(std::min<int64_t>(value + least * ups, kAbilityCaps[a]));
  }
  r.level = level;
  r.hp = r.maxHp;
  r.mp = r.maxMp;
  return r;
}

}  // namespace test
