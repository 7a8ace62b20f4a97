// Whole battles through the real program (the playthrough wins the story's): a random
// encounter on the field lost with the keyboard, and a scripted battle begun under its
// stopped event.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "battle/battle_support.h"
#include "battle/results.h"
#include "event/event.h"
#include "event/popup.h"
#include "field/walker.h"

namespace {

using test::Battle;
using test::Cursor;

class BattleFlowTest : public test::FieldBattleTest {
 protected:
  void Step(int key, int cells = 1) {
    for (int i = 0; i < cells; ++i) Game().Tap(key, 4);
  }
  // Yorun, the second member, walks from (9, 8) to (11, 8) and strikes the enemy on
  // (12, 8); the marker starts on (7, 8).
  void YorunWalksAndStrikes() {
    Step(kKeyRight, 2);
    Game().Tap(kKeyEnter);
    UnitData* yorun = test::Units(0)[1];
    ASSERT_EQ(yorun->state, UnitStateCommandMenu);
    Game().Tap(kKeyDown);
    Game().Tap(kKeyEnter);  // move
    ASSERT_EQ(Cursor()->state, CursorStateMoveTarget);
    Step(kKeyRight, 2);
    Game().Tap(kKeyEnter);
    ASSERT_TRUE(Game().RunUntil([&] { return yorun->state == UnitStateCommandMenu; }, 60));
    EXPECT_EQ(test::ColumnOf(yorun), 11);
    Game().Tap(kKeyDown);
    Game().Tap(kKeyEnter);  // attack, the second entry after a move
    ASSERT_EQ(Cursor()->state, CursorStateActionTarget);
    Step(kKeyRight);
    Game().Tap(kKeyEnter);
    EXPECT_EQ(yorun->state, UnitStateAttackWait);
  }
  // The closing lines are paged through; every character of them has a glyph.
  void Outro() {
    Page(BattleOutroWaitKey, [] {
      if (Battle() && Battle()->step == BattleOutroWaitKey) ExpectGlyphs();
      return Battle() == nullptr;
    });
  }
  static void ExpectGlyphs() {
    for (const auto& row : Battle()->shownLines) {
      const int used = static_cast<int>(std::find(row, row + kGlyphRowLength, 0) - row);
      for (int i = used; i < kGlyphRowLength; ++i) EXPECT_EQ(row[i], 0) << "a character without a glyph";
    }
  }
};

// A lone member, poisoned down to 10 hit points, walks two cells by keys and waits: the
// poison fells it and the battle is lost.
TEST_F(BattleFlowTest, ALostBattleEndsAtTheTitle) {
  test::ScriptedRandom random({1, 0, 87, 0});
  Open();
  g_partyCount = 1;
  g_party[0].hp = 10;
  g_party[0].status = kStatusPoison;
  ASSERT_NO_FATAL_FAILURE(Encounter());
  ASSERT_NO_FATAL_FAILURE(ToPartyPhase());
  UnitData* milva = test::Units(0)[0];
  for (const int key : {kKeyRight, kKeyEnter, kKeyDown, kKeyEnter, kKeyRight, kKeyRight, kKeyEnter}) {
    Game().Tap(key, 4);  // onto her on (8, 8), move, and to (10, 8)
  }
  ASSERT_TRUE(Game().RunUntil([&] { return milva->state == UnitStateCommandMenu; }, 60));
  EXPECT_EQ(test::ColumnOf(milva), 10) << "two whole cells";
  int32_t count = 0;
  for (int i = 0; i < 8 && UnitCommandList(milva, &count)[milva->menuCursor] != kCommandWait; ++i) Game().Tap(kKeyDown);
  Game().Tap(kKeyEnter);
  Game().Tap(kKeyDown);
  Game().Tap(kKeyEnter);  // yes
  ASSERT_TRUE(Game().RunUntil([] { return Battle()->step == BattleOutroWaitKey; }, 200));
  EXPECT_EQ(Battle()->result, 0);
  EXPECT_TRUE(test::Units(0).empty()) << "lost once the last member has fallen";
  Page(BattleOutroWaitKey, [] { return Battle() == nullptr; });
  EXPECT_TRUE(TaskExists(kTaskIdTitle));
  EXPECT_FALSE(TaskExists(kTaskIdWalker));
}

// Escape chosen by keys from the heroine's command menu: the party runs off the field, the
// battle ends as an escape with its line, nothing is won or lost, and the field goes on.
TEST_F(BattleFlowTest, AnEscapeByKeysEndsTheBattleAndTheFieldGoesOn) {
  test::ScriptedRandom random({1, 0, 87, 0});
  Open();
  g_money = 321;
  g_party[2].hp = 60;
  const int32_t experience = g_party[0].experience;
  ASSERT_NO_FATAL_FAILURE(Encounter());
  ASSERT_NO_FATAL_FAILURE(ToPartyPhase());
  UnitData* milva = test::Units(0)[0];
  Game().Tap(kKeyRight, 4);
  Game().Tap(kKeyEnter, 4);
  ASSERT_EQ(milva->state, UnitStateCommandMenu);
  int32_t count = 0;
  for (int i = 0; i < 8 && UnitCommandList(milva, &count)[milva->menuCursor] != kCommandEscape; ++i) {
    Game().Tap(kKeyDown);
  }
  Game().Tap(kKeyEnter);
  Game().Tap(kKeyDown);
  const size_t mark = test::AudioMark();
  Game().Tap(kKeyEnter);  // yes
  EXPECT_EQ(Battle()->escaped, 1);
  ASSERT_TRUE(Game().RunUntil([] { return Battle()->step == BattleOutroWaitKey; }, 200));
  EXPECT_EQ(Battle()->result, 1) << "an escape, not a defeat";
  EXPECT_TRUE(test::Units(0).empty()) << "every member ran off";
  Page(BattleOutroWaitKey, [] { return Battle() == nullptr; });
  EXPECT_FALSE(TaskExists(kTaskIdTitle));
  ASSERT_TRUE(Game().RunUntil([] { return g_taskPool[0].updateOn != 0; }, 60)) << "the field runs again";
  EXPECT_EQ(g_money, 321);
  EXPECT_EQ(g_party[0].experience, experience);
  EXPECT_EQ(g_party[2].hp, 60);
  EXPECT_EQ(test::LastMusic(mark), kMusicField);
}

TEST_F(BattleFlowTest, AnEncounterIsFoughtToVictoryAndTheFieldGoesOn) {
  // No ambush, one enemy on the cell (12, 8), monster 0; the hit's draws.
  test::ScriptedRandom random({1, 0, 87, 0, 0, 0, 1});
  Open();
  g_party[1].experience = 95;
  ASSERT_NO_FATAL_FAILURE(Encounter());
  ASSERT_NO_FATAL_FAILURE(ToPartyPhase());
  ASSERT_NO_FATAL_FAILURE(YorunWalksAndStrikes());
  ASSERT_TRUE(Game().RunUntil([] { return Battle()->step == BattleOutroWaitKey; }, 200));
  EXPECT_EQ(Battle()->result, 1);
  ASSERT_NO_FATAL_FAILURE(Outro());
  EXPECT_EQ(g_money, 10);
  EXPECT_EQ(g_party[1].level, 21) << "the level-up is written back";
  EXPECT_EQ(g_party[1].experience, 0);
  EXPECT_EQ(g_party[0].experience, 10);
  for (int s = 0; s < 4; ++s) EXPECT_EQ(g_taskPool[s].updateOn + g_taskPool[s].drawOn, 2);
  EXPECT_EQ(test::Walker(0)->state, WalkerStatePlayerIdle);
}

// A place a script emptied for the reserve is nobody: no unit stands for it, and the
// heroine's record, whose id 0 an emptied place also reads, goes back to her own row.
TEST_F(BattleFlowTest, APlaceEmptiedForTheReserveFightsNobody) {
  test::ScriptedRandom random({1, 0, 87, 0});
  Open();
  g_partyReserve[0] = g_party[1];
  g_party[1] = g_party[0];
  g_party[0] = CharacterRecord{};
  ASSERT_NO_FATAL_FAILURE(Encounter());
  ASSERT_NO_FATAL_FAILURE(ToPartyPhase());
  const std::vector<UnitData*> party = test::Units(0);
  ASSERT_EQ(party.size(), 3u);
  std::vector<int32_t> ids;
  for (const UnitData* u : party) ids.push_back(u->record.id);
  EXPECT_EQ(ids, (std::vector<int32_t>{0, 2, 3}));
  party[0]->record.hp = 33;
  BattleStoreUnitsToParty();
  EXPECT_TRUE(CharacterRecordEmpty(g_party[0]));
  EXPECT_EQ(g_party[1].hp, 33);
}

// The script's lead-in wipe, then its battle; the event stands stopped until the battle
// ends and then reads its next command. A damage number still rising when the event
// begins (the last poison tick of a battle just won) does not hold the battle's turns.
TEST_F(BattleFlowTest, AScriptedBattleHandsItsEventBack) {
  test::ScriptedRandom random({0, 0, 1});
  std::vector<test::Bytes> blocks(14, test::Inverted(std::string(20, '@')));
  blocks[0] = test::Inverted("#13,#12,1,0,12,8,#5,3,#99,@" + std::string(19, '@'));
  Open(test::BuildEventPack(blocks));
  NumberPopupSpawn(0.0f, 0.0f, 0.0f, 10.0f, 0);
  ASSERT_EQ(EventStart(1), 1);
  ASSERT_TRUE(Game().RunUntil([] { return TaskSlotInUse(kSlotEncounterTransition); }, 5));
  ASSERT_TRUE(Game().RunUntil([] { return Battle() != nullptr; }, 30));
  EXPECT_EQ(Battle()->eventBattle, 1);
  EXPECT_EQ(g_taskPool[kSlotEvent].updateOn, 0);
  ASSERT_NO_FATAL_FAILURE(ToPartyPhase());
  ASSERT_NO_FATAL_FAILURE(YorunWalksAndStrikes());
  ASSERT_TRUE(Game().RunUntil([] { return Battle()->step == BattleOutroWaitKey; }, 200));
  ASSERT_NO_FATAL_FAILURE(Outro());
  EXPECT_EQ(g_taskPool[0].updateOn, 0) << "the field waits for the event";
  ASSERT_TRUE(Game().RunUntil([] { return g_eventFlags[3] != 0; }, 5));
  ASSERT_TRUE(Game().RunUntil([] { return !TaskSlotInUse(kSlotEvent); }, 5));
  EXPECT_EQ(g_taskPool[0].updateOn, 1);
}

}  // namespace
