// What the save screen's slot list shows of a slot.
#pragma once

#include "menu/save_file.h"

namespace test {

// Whether the slot list shows the slot as holding a game (a damaged file shows empty).
inline bool SlotListed(int slot) {
  SaveSlotList slots{};
  SaveSlotsScan(&slots);
  return slots.exists[slot] != 0;
}

}  // namespace test
