// Battles for tests: a scripted random sequence, the battle's tasks looked up in the
// pool, and a world of one task pool and the map buffers for unit-level cases.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include "battle/battle.h"
#include "battle/cursor.h"
#include "battle/grid.h"
#include "battle/messages.h"
#include "battle/unit.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "engine/util.h"
#include "event/event_test_support.h"
#include "field/map.h"
#include "support/field_world.h"

namespace test {

// The game's random draws come from this list while it lasts (RandomBelow(n) of a raw
// value v is v % n), then 1 each: no ambush, no inflicted status.
class ScriptedRandom {
 public:
  explicit ScriptedRandom(std::vector<int> values = {}) {
    Values() = std::deque<int>(values.begin(), values.end());
    RandomSetSource(Next);
  }
  ~ScriptedRandom() { RandomSetSource(nullptr); }
  ScriptedRandom(const ScriptedRandom&) = delete;
  ScriptedRandom& operator=(const ScriptedRandom&) = delete;
  static size_t Left() { return Values().size(); }

 private:
  static std::deque<int>& Values() {
    static std::deque<int> values;
    return values;
  }
  static int Next() {
    if (Values().empty()) return 1;
    const int v = Values().front();
    Values().pop_front();
    return v;
  }
};

inline BattleData* Battle() { return BattleFind(); }
inline CursorData* Cursor() { return CursorFind(); }

// The units in slot order, of one side or of both (-1).
inline std::vector<UnitData*> Units(int side = -1) {
  std::vector<UnitData*> out;
  ForEachUnit([&](UnitData* u) {
    if (side < 0 || u->record.side == side) out.push_back(u);
  });
  return out;
}

// The unit's column or row; -1 when it stands off the cell's centre (a walk cut short).
inline int CellOf(float at) { return std::fabs(at - std::round(at)) < 1e-3f ? static_cast<int>(std::round(at)) : -1; }
inline int ColumnOf(const UnitData* u) { return CellOf((u->x + 17) / 2); }
inline int RowOf(const UnitData* u) { return CellOf((17 - u->z) / 2); }

// The event task's headless world (a task pool, the map buffers, scripted keys and a
// recording device) with the battlefield laid out and the party of a new game.
class BattleWorld : public EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    GridInit();
    GridClearRange();
    GridClearSearchMarks();
    g_phaseSide = 0;
  }
  // A unit from a table row on (column, row), of its own side or the one given.
  static UnitData* Place(int row, int column, int gridRow, int side = -1) {
    CharacterRecord r = g_characterTable[row];
    if (side >= 0) r.side = side;
    float x = static_cast<float>(column), z = static_cast<float>(gridRow);
    GridCellToWorld(&x, &z);
    return UnitCreate(r, x, kUnitHeight, z, r.side == 1 ? 270.0f : 90.0f);
  }
  // Key down for one update, then up for `after` updates.
  void TapKey(int key, int after = 1) {
    Tap(key);
    Updates(after);
  }
  // Updates until the predicate holds: how many it took, or -1 after `limit`.
  template <class Pred>
  int UpdatesUntil(Pred pred, int limit = 400) {
    for (int i = 1; i <= limit; ++i) {
      Updates(1);
      if (pred()) return i;
    }
    return -1;
  }
  bool Sounded(int id) const { return std::find(sounds_.begin(), sounds_.end(), id) != sounds_.end(); }
};

// Whole battles through the real program: a random encounter on a small field map.
class FieldBattleTest : public FieldTest {
 protected:
  // An interval-1 map with encounters; event 1 lies in a corner out of the way.
  void Open(const Bytes& epack = {}, bool realRenderer = false) {
    Start(BuildMapPack({MapFromRows({"............", "............", "...........1"}, 1, 1)}), epack, realRenderer);
    ASSERT_TRUE(field_->Enter(0, 1, 1, 0.0f));
  }

  // One step right on an interval-1 map: the encounter, its transition and the battle.
  void Encounter() {
    Game().Hold(kKeyRight);
    ASSERT_TRUE(Game().RunUntil([] { return TaskSlotInUse(kSlotEncounterTransition); }, 40));
    Game().ReleaseAll();
    EXPECT_EQ(g_taskPool[0].updateOn, 0) << "the field stopped for the transition";
    ASSERT_TRUE(Game().RunUntil([] { return Battle() != nullptr; }, 30));
    EXPECT_EQ(g_taskPool[0].drawOn, 0) << "and is hidden under the battle";
  }
  // Enter at each page of lines until `done`.
  template <class Done>
  void Page(BattleStep waitKey, Done done) {
    while (!done()) {
      ASSERT_TRUE(Game().RunUntil([&] { return done() || Battle()->step == waitKey; }, 200));
      if (!done()) Game().Tap(kKeyEnter);
    }
  }
  void ToPartyPhase() {
    Page(BattleIntroWaitKey, [] { return Battle()->step == BattleMainStep; });
    Game().Tap(kKeyEnter);  // the banner
    ASSERT_EQ(Cursor()->state, CursorStateFree);
  }
};

}  // namespace test
