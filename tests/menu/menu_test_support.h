// Drives the menus over a paused field: a fresh game state, stand-in field tasks, a
// menu's record found by its slot, and numbers read back from the small digits.
#pragma once

#include <algorithm>
#include <vector>

#include "data/game_state.h"
#include "data/tasks.h"
#include "event/event_test_support.h"

namespace test {

class MenuTest : public EventTest {
 protected:
  template <class T>
  static T* Data(int slot, int32_t id) {
    return TaskSlotInUse(slot) && g_taskPool[slot].id == id ? TaskData<T>(&g_taskPool[slot]) : nullptr;
  }
  // The leader's walker and the field view, paused as a menu over the field finds them.
  static void PlacePausedField() {
    PlaceTask(kSlotWalkerFirst, kTaskIdWalker);
    PlaceTask(kSlotFieldView, kTaskIdFieldView);
    TaskSetModeAll(kTaskModePause);
  }
  static bool Running(int slot) { return TaskSlotInUse(slot) && g_taskPool[slot].updateOn; }
  bool Sounded(int id) const { return std::find(sounds_.begin(), sounds_.end(), id) != sounds_.end(); }
  void Keys(const std::vector<int>& keys) {
    for (int key : keys) Press(key);
  }
  // The number in small digits whose first digit stands at (x, y); -1 when none does.
  static int NumberAt(const std::vector<Sprite>& sprites, float x, float y) {
    int value = -1;
    for (const Sprite& s : sprites) {
      const AtlasRect* d = std::find_if(g_digitsSmall, g_digitsSmall + 10,
                                        [&](const AtlasRect& r) { return r.left == s.srcLeft && r.top == s.srcTop; });
      if (s.x != x || s.y != y || d == g_digitsSmall + 10) continue;
      value = std::max(value, 0) * 10 + static_cast<int>(d - g_digitsSmall);
      x += s.w + 1.0f;
    }
    return value;
  }
};

}  // namespace test
