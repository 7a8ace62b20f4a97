// Whole battles through the real program: a random encounter on the field fought to
// victory and to defeat with the keyboard, and a scripted battle that hands its event
// back.
#include <gtest/gtest.h>

#include "battle/battle.h"
#include "battle/battle_support.h"
#include "battle/cursor.h"
#include "battle/messages.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "field/walker.h"
#include "support/field_world.h"

namespace {

using test::Battle;
using test::Cursor;

class BattleFlowTest : public ::testing::Test {
 protected:
  void Open(const test::Bytes& epack = {}) {
    field_ = std::make_unique<test::FieldGame>(test::BuildMapPack({test::MapFloor(12, 3, 1, 1)}), epack);
    ASSERT_EQ(field_->StartResult(), 1);
    ASSERT_TRUE(field_->Enter(0, 1, 1, 0.0f));
  }
  test::GameHarness& Game() { return field_->Game(); }
  void TearDown() override { field_.reset(); }

  // Enter until the message window has nothing more to say.
  void PageThroughLines() {
    for (int i = 0; i < 10 && Battle() && Battle()->step != BattleMainStep; ++i) {
      ASSERT_TRUE(Game().RunUntil([] { return Battle() && Battle()->step == BattleIntroWaitKey; }, 200));
      Game().Tap(kKeyEnter);
    }
  }
  void PageThroughOutro() {
    while (Battle()) {
      ASSERT_TRUE(Game().RunUntil([] { return !Battle() || Battle()->step == BattleOutroWaitKey; }, 200));
      if (Battle()) Game().Tap(kKeyEnter);
    }
  }
  void Step(int key, int cells = 1) {
    for (int i = 0; i < cells; ++i) {
      Game().Tap(key, 4);
    }
  }
  std::unique_ptr<test::FieldGame> field_;
};

TEST_F(BattleFlowTest, AnEncounterIsFoughtToVictory) {
  // No ambush, one enemy, the cell (12, 8), monster 0; then the hit's draws.
  test::ScriptedRandom random({1, 0, 87, 0});
  Open();
  Game().Hold(kKeyRight);
  ASSERT_TRUE(Game().RunUntil([] { return TaskSlotInUse(kSlotEncounterTransition); }, 40));
  Game().ReleaseAll();
  ASSERT_TRUE(Game().RunUntil([] { return Battle() != nullptr; }, 30));
  ASSERT_TRUE(Game().RunUntil([] { return Battle()->step == BattleIntroWaitKey; }, 80));
  PageThroughLines();
  ASSERT_EQ(Battle()->step, BattleMainStep);
  Game().Tap(kKeyEnter);  // the banner
  ASSERT_EQ(Cursor()->state, CursorStateFree);
  Step(kKeyRight, 2);
  ASSERT_EQ(Cursor()->state, CursorStateSelect);
  Game().Tap(kKeyEnter);
  Game().Frames(1);
  UnitData* yorun = test::Units(0)[1];
  ASSERT_EQ(yorun->state, UnitStateCommandMenu);
  Game().Tap(kKeyDown);
  Game().Tap(kKeyEnter);  // move
  ASSERT_EQ(Cursor()->state, CursorStateMoveTarget);
  Step(kKeyRight, 2);
  Game().Tap(kKeyEnter);
  EXPECT_EQ(yorun->moved, 1);
  ASSERT_TRUE(Game().RunUntil([&] { return yorun->state == UnitStateCommandMenu; }, 60));
  EXPECT_EQ(test::ColumnOf(yorun), 11);
  Game().Tap(kKeyDown);
  Game().Tap(kKeyEnter);  // attack, the second entry after a move
  ASSERT_EQ(Cursor()->state, CursorStateActionTarget);
  Step(kKeyRight);
  Game().Tap(kKeyEnter);
  EXPECT_EQ(yorun->state, UnitStateAttackWait) << "facing " << yorun->facing;
  ASSERT_TRUE(Game().RunUntil([] { return Battle()->step == BattleOutroWaitKey; }, 200));
  PageThroughOutro();
  EXPECT_FALSE(TaskSlotInUse(kSlotBattle));
  EXPECT_EQ(g_money, 10);
  EXPECT_EQ(g_party[1].experience, 10);
}

}  // namespace
