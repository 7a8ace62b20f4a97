// The cursor's own timing and the phases it runs: the camera's rise, the banners, the
// queue wait, the sequencer and the flip.
#include <gtest/gtest.h>

#include "battle/battle_support.h"
#include "battle/messages.h"
#include "engine/settings.h"

namespace {

using test::Cursor;
using test::ScriptedRandom;

class PhaseTest : public test::BattleWorld {
 protected:
  void SetUp() override {
    BattleWorld::SetUp();
    g_settings.autoBattle = 0;
    g_encounterArea = 1;
  }
  // A battle with `enemies` enemies (1 to 6), no ambush; the party has the cursor.
  void StartToPartyPhase(int enemies) {
    ScriptedRandom random({1, enemies - 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(BattleStartRandom(), 1);
    Updates(50);
    ASSERT_EQ(test::Battle()->step, BattleIntroWaitKey);
    while (test::Battle()->step != BattleMainStep) TapKey(kKeyEnter);
    TapKey(kKeyEnter, 0);  // the banner ends at once
    ASSERT_EQ(Cursor()->state, CursorStateFree);
  }
};

TEST_F(PhaseTest, TheQueueTakesUnitsInSlotOrderThatHaveNotActedAndCanAct) {
  StartToPartyPhase(5);
  auto enemies = test::Units(1);
  enemies[0]->acted = 1;
  enemies[1]->record.status = kStatusCannotAct;
  enemies[2]->record.status = kStatusPoison;
  PhaseClearQueue();
  Cursor()->state = PhaseQueueUnits;
  g_phaseSide = 1;
  PhaseQueueUnits(Cursor());
  EXPECT_EQ(g_unitQueue[0], enemies[2]);
  EXPECT_EQ(g_unitQueue[1], enemies[3]);
  EXPECT_EQ(g_unitQueue[2], enemies[4]);
  EXPECT_EQ(g_unitQueue[3], nullptr);
  TaskFindById(kTaskIdBattleUnit)[6].inUse = 0;  // enemies[2] is gone
  EXPECT_EQ(PhasePopUnit(), enemies[3]) << "an entry whose unit has gone is passed over";
  Cursor()->unit = enemies[2];  // the cursor meets the same with a unit that has gone
  CursorGlideToUnit(Cursor());
  EXPECT_EQ(Cursor()->state, PhaseNextUnit);
  Cursor()->state = CursorStateFollowUnit;
  Updates(1);
  EXPECT_EQ(Cursor()->state, PhaseNextUnit);
}

// Nothing decides yet: each enemy in turn ends its turn as the cursor reaches it, and the
// phase flips back to the party with sound 13 after the banner and the 61-update wait.
TEST_F(PhaseTest, TheEnemiesPhaseHandsEachEnemyOverInSlotOrderAndFlipsBack) {
  StartToPartyPhase(3);
  BattleRequestPhaseEnd();
  Updates(1);
  EXPECT_EQ(g_phaseSide, 1);
  EXPECT_TRUE(Sounded(kSoundPhase));
  EXPECT_EQ(UpdatesUntil([] { return Cursor()->state == PhaseStepQueue; }), 60);
  EXPECT_EQ(UpdatesUntil([] { return Cursor()->state == PhaseQueueUnits; }), 61);
  std::vector<UnitData*> handled;
  UpdatesUntil([&] {
    if (Cursor()->unit && (handled.empty() || handled.back() != Cursor()->unit)) handled.push_back(Cursor()->unit);
    return g_phaseSide == 0;
  });
  EXPECT_EQ(handled, test::Units(1));
  EXPECT_TRUE(Sounded(kSoundPhase));
  EXPECT_EQ(Cursor()->state, PhaseBannerStep);
  for (const UnitData* u : test::Units()) EXPECT_EQ(u->acted, 0);
}

// The flip sets every unit on its feet, so it waits until no unit is still being hit:
// one left with no hit points sinks first.
TEST_F(PhaseTest, TheEndOfThePhaseWaitsUntilEveryUnitHasSettled) {
  StartToPartyPhase(2);
  UnitData* hit = test::Units(1)[0];
  hit->record.hp = 0;
  hit->knockFrames = 20;
  hit->state = UnitStateKnockHold;
  BattleRequestPhaseEnd();
  Updates(1);
  EXPECT_EQ(g_phaseSide, 0);
  EXPECT_GT(UpdatesUntil([] { return g_phaseSide == 1; }), 20);
  EXPECT_EQ(UnitLive(hit), nullptr);
  EXPECT_EQ(test::Units(1).size(), 1u);
}

// The battle menu's end of the phase, answered by keys, waits for a unit that is not
// done: the last enemy still knocked back with no hit points sinks and the battle is won;
// a poisoned member at 10 hit points whose wait has not yet ended loses them and falls
// before the enemies' phase begins.
TEST_F(PhaseTest, TheBattleMenusEndOfThePhaseWaitsForUnitsStillBeingHit) {
  for (const bool knockedBack : {true, false}) {
    SCOPED_TRACE(knockedBack ? "an enemy knocked back" : "a poisoned member waiting");
    StartToPartyPhase(1);
    UnitData* member = test::Units(0)[0];
    UnitData* unit = knockedBack ? test::Units(1)[0] : member;
    if (!knockedBack) {
      member->record.hp = 10;
      member->record.status = kStatusPoison;
      TapKey(kKeyRight, 5);  // onto the member: its command menu, wait, yes
      for (int key : {kKeyEnter, kKeyDown, kKeyDown, kKeyEnter, kKeyDown}) TapKey(key);
      TapKey(kKeyEnter, 0);
      ASSERT_EQ(member->state, UnitStateEndAction);
    }
    TapKey(kKeyShift);  // the menu stops the battle where it stands
    for (int key : {kKeyDown, kKeyEnter, kKeyDown}) TapKey(key);
    if (knockedBack) {
      unit->record.hp = 0;
      unit->knockFrames = 20;
      unit->state = UnitStateKnockHold;
    }
    TapKey(kKeyEnter, 0);
    ASSERT_EQ(TaskExists(kTaskIdChoiceMenu), false);
    EXPECT_GT(UpdatesUntil([&] { return !UnitLive(unit) || g_phaseSide != 0; }), 20);
    EXPECT_EQ(UnitLive(unit), nullptr) << "gone before the phase flips";
    EXPECT_EQ(g_phaseSide, 0);
    if (knockedBack) {
      EXPECT_GT(UpdatesUntil([] { return test::Battle()->step != BattleMainStep; }), 0);
      EXPECT_EQ(test::Battle()->result, 1);
    } else {
      EXPECT_EQ(g_party[0].hp, 1) << "the fallen member's row";
      EXPECT_GT(UpdatesUntil([] { return g_phaseSide == 1; }), 0);
    }
    TaskKillAll();
  }
}

// The camera rises for 50 updates, then the opening lines show in the same update.
TEST_F(PhaseTest, TheCameraRisesThenTheLinesThenTheBanner) {
  ScriptedRandom random({1, 0, 0, 0});
  ASSERT_EQ(BattleStartRandom(), 1);
  Updates(48);
  EXPECT_EQ(test::Battle()->step, BattleStepWaitCamera);
  TapKey(kKeyS, 0);
  EXPECT_FLOAT_EQ(Cursor()->camera[1], 59.0f) << "S does nothing while the camera rises";
  Updates(1);
  EXPECT_EQ(test::Battle()->step, BattleIntroWaitKey);
  TapKey(kKeyEnter);
  EXPECT_EQ(test::Battle()->step, BattleIntroWaitKey) << "the second page";
  TapKey(kKeyEnter, 0);
  EXPECT_EQ(test::Battle()->step, BattleIntroStep);
  Updates(1);
  EXPECT_EQ(test::Battle()->step, BattleMainStep);
  EXPECT_EQ(UpdatesUntil([] { return Cursor()->state == CursorStateFree; }), 60) << "the banner";
}

// In the party's phase the marker answers neither confirm nor Ctrl before it has moved;
// a quarter turn takes 45 updates; the camera stays between 10 and 60.
TEST_F(PhaseTest, TheFreeCursorWaitsForAMoveAndTurnsInFortyFiveUpdates) {
  StartToPartyPhase(1);
  TapKey(kKeyCtrl);
  TapKey(kKeyEnter);
  EXPECT_EQ(Cursor()->state, CursorStateFree);
  EXPECT_EQ(test::Units(0)[0]->state, UnitStateIdle);
  world_.held.insert(test::HostScancode(kKeyLeft));
  Updates(4);
  world_.held.clear();
  EXPECT_EQ(Cursor()->state, CursorStateSelect);
  EXPECT_FLOAT_EQ(Cursor()->marker[0], -5.0f);
  TapKey(kKeyCtrl, 0);
  EXPECT_EQ(UpdatesUntil([] { return Cursor()->state == CursorStateSelect; }), 45);
  EXPECT_FLOAT_EQ(Cursor()->heading, 180.0f);
  world_.held.insert(test::HostScancode(kKeyD));
  Updates(70);
  world_.held.clear();
  EXPECT_FLOAT_EQ(Cursor()->camera[1], 10.0f);
}

}  // namespace
