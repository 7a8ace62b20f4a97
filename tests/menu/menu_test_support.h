// Drives the menus over a paused field: a fresh game state, stand-in field tasks, the
// hooks put back after each test, and the record of a menu's task by its slot.
#pragma once

#include <algorithm>
#include <vector>

#include "data/flow.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "event/screen_test_support.h"

namespace test {

class MenuTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    GameStateReset();
    flow_ = g_flow;
  }
  // Later tests find a fresh game, the hooks as installed and no sound asked for.
  void TearDown() override {
    g_flow = flow_;
    GameStateReset();
    SoundRequestsClear();
    ScreenTest::TearDown();
  }

  // The task record in `slot` when a task of kind `id` lives there, else null.
  template <class T>
  static T* Data(int slot, int32_t id) {
    if (!TaskSlotInUse(slot) || g_taskPool[slot].id != id) return nullptr;
    return TaskData<T>(&g_taskPool[slot]);
  }
  // The leader's walker and the field view as a paused field holds them.
  static void PlacePausedField() {
    PlaceTask(kSlotWalkerFirst, kTaskIdWalker);
    PlaceTask(kSlotFieldView, kTaskIdFieldView);
    TaskSetModeAll(kTaskModePause);
  }
  static bool Running(int slot) { return TaskSlotInUse(slot) && g_taskPool[slot].updateOn; }
  bool Sounded(int id) const { return std::find(sounds_.begin(), sounds_.end(), id) != sounds_.end(); }
  // The number in small digits whose first digit stands at (x, y); -1 when none does.
  static int NumberAt(const std::vector<Sprite>& sprites, float x, float y) {
    int value = -1;
    for (bool found = true; found;) {
      found = false;
      for (const Sprite& s : sprites) {
        if (s.x != x || s.y != y) continue;
        for (int d = 0; d < 10 && !found; ++d) {
          if (s.srcLeft != g_digitsSmall[d].left || s.srcTop != g_digitsSmall[d].top) continue;
          value = (value < 0 ? 0 : value * 10) + d;
          x += s.w + 1.0f;
          found = true;
        }
        if (found) break;
      }
    }
    return value;
  }
  // Presses each key in turn, a frame with every key up before each.
  void Keys(const std::vector<int>& keys) {
    for (int key : keys) Press(key);
  }

  GameFlow flow_{};
};

}  // namespace test
