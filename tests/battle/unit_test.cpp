#include "battle/unit.h"

#include <gtest/gtest.h>

#include "battle/battle_support.h"
#include "data/items.h"

namespace {

using test::ScriptedRandom;

using UnitTest = test::BattleWorld;

// The hit's two draws come in the order r4, r2: (attack - r4) - (defence - r2), never
// below 10.
TEST_F(UnitTest, MeleeDamageFollowsTheRuleWithItsDraws) {
  const struct {
    int attackerRow, targetRow, guard;
    std::vector<int> draws;
    int damage;
  } kCases[] = {
      {1, 4, 0, {0, 0}, 100}, {1, 4, 0, {3, 1}, 98}, {1, 4, 0, {3, 0}, 97},  {1, 4, 0, {0, 1}, 101},
      {1, 4, 20, {0, 0}, 80}, {4, 1, 0, {0, 1}, 10}, {1, 16, 0, {2, 1}, 74},
  };
  for (const auto& k : kCases) {
    ScriptedRandom random(k.draws);
    UnitData* attacker = Place(k.attackerRow, 8, 8);
    UnitData* target = Place(k.targetRow, 9, 8);
    target->guard = k.guard;
    EXPECT_EQ(UnitMeleeDamage(attacker, target), k.damage) << k.attackerRow << " on " << k.targetRow;
    EXPECT_EQ(ScriptedRandom::Left(), 0u);
    TaskKillAll();
  }
}

// The lunge hits on the 34th update; the victim (in a later slot) is knocked back from
// that same update, held and returned, 28 updates in all, before it sinks, and leaves
// the pool only once out of sight.
TEST_F(UnitTest, AnAttackKnocksTheVictimBackBeforeItFalls) {
  ScriptedRandom random({0, 0, 1});
  UnitData* yorun = Place(1, 8, 8);
  UnitData* tiger = Place(4, 9, 8);
  UnitBeginAction(yorun, kAttackWaitFrames, UnitStateAttackWait, tiger);
  EXPECT_EQ(UpdatesUntil([&] { return tiger->record.hp == 0; }), 34);
  EXPECT_TRUE(Sounded(kSoundHit));
  EXPECT_EQ(tiger->state, UnitStateKnockBack);
  Updates(4);
  EXPECT_FLOAT_EQ(tiger->x, 2.0f);
  EXPECT_FLOAT_EQ(tiger->leanZ, 315.0f);
  EXPECT_EQ(tiger->state, UnitStateKnockHold);
  EXPECT_EQ(UpdatesUntil([&] { return tiger->state == UnitStateSinkAndDie; }), 23);
  EXPECT_TRUE(Sounded(kSoundReel));
  EXPECT_FLOAT_EQ(tiger->x, 1.0f);
  EXPECT_EQ(UpdatesUntil([&] { return !UnitLive(tiger); }), 22) << "from 0.2 by tenths to below -2.0";
  EXPECT_EQ(yorun->state, UnitStateEndAction) << "the damage number is still up";
  UpdatesUntil([&] { return yorun->state == UnitStateIdle; });
  EXPECT_EQ(yorun->acted, 1);
  EXPECT_FALSE(TaskExists(kTaskIdDamageDigits));
}

// A fallen member keeps its row but for 1 hit point, no magic points and no experience;
// a familiar has no row to mark.
TEST_F(UnitTest, AFallenMembersRowIsMarkedAndAFamiliarsIsNot) {
  g_party[2].experience = 40;
  UnitData* minerva = Place(2, 8, 8);
  minerva->record.hp = 0;
  minerva->state = UnitStateSinkAndDie;
  UpdatesUntil([&] { return !UnitLive(minerva); });
  EXPECT_EQ(g_party[2].hp, 1);
  EXPECT_EQ(g_party[2].mp, 0);
  EXPECT_EQ(g_party[2].experience, 0);
  EXPECT_EQ(g_party[2].level, 20);
  UnitData* familiar = Place(3, 8, 8);
  familiar->record.characterClass = kClassFamiliar;
  familiar->state = UnitStateSinkAndDie;
  UpdatesUntil([&] { return !UnitLive(familiar); });
  EXPECT_EQ(g_party[3].hp, g_party[3].maxHp);
}

TEST_F(UnitTest, OneHitInFiveCarriesTheWeaponsStatus) {
  for (int fifth : {0, 1}) {
    ScriptedRandom random({0, 0, fifth});
    UnitData* spider = Place(9, 9, 8);  // the numbing claw
    UnitData* yorun = Place(1, 8, 8);
    UnitBeginAction(spider, 1, UnitStateAttackWait, yorun);
    Updates(5);
    EXPECT_EQ(yorun->record.status, fifth == 0 ? kStatusCannotAct : 0);
    EXPECT_EQ(TaskExists(kTaskIdPopupSprite), fifth == 0 ? 1 : 0);
    TaskKillAll();
  }
}

// Poison bites party units at the end of every action, waiting included; monsters never.
TEST_F(UnitTest, PoisonTakesTenAtTheEndOfEachActionOfAPartyUnit) {
  UnitData* yorun = Place(1, 8, 8);
  UnitData* tiger = Place(4, 9, 8);
  for (UnitData* u : {yorun, tiger}) {
    u->record.status = kStatusPoison;
    u->record.hp = 15;
    u->state = UnitStateEndAction;
  }
  Updates(1);
  EXPECT_EQ(yorun->record.hp, 5);
  EXPECT_EQ(tiger->record.hp, 15);
  yorun->state = UnitStateEndAction;
  UpdatesUntil([&] { return yorun->record.hp == 0; });
  EXPECT_EQ(yorun->state, UnitStateSinkAndDie);
  EXPECT_TRUE(Sounded(kSoundReel));
  UpdatesUntil([&] { return tiger->state == UnitStateIdle; });
  EXPECT_EQ(tiger->state, UnitStateIdle) << "the monster's action has ended";
  EXPECT_EQ(tiger->record.hp, 15) << "and poison never bit it";
}

TEST_F(UnitTest, AKnockBackOffTheFourDirectionsNeitherMovesNorLeans) {
  UnitData* u = Place(4, 9, 8);
  u->knockDirection = 45;
  u->knockFrames = 4;
  u->state = UnitStateKnockBack;
  EXPECT_EQ(UpdatesUntil([&] { return u->state == UnitStateIdle; }), 28);
  EXPECT_FLOAT_EQ(u->x, 1.0f);
  EXPECT_FLOAT_EQ(u->leanX + u->leanZ, 0.0f);
}

// A skill's pending damage lands with a lean away from the facing and a 40-frame reaction.
TEST_F(UnitTest, PendingDamageLandsWithTheHitReaction) {
  UnitData* a = Place(4, 9, 8);
  UnitData* b = Place(5, 10, 8);
  b->facing = 90.0f;
  a->pendingDamage = 12.7f;
  b->pendingDamage = 99.0f;
  UnitApplyPendingDamage(a);
  UnitApplyPendingDamage(b);
  EXPECT_EQ(a->record.hp, 18);
  EXPECT_EQ(b->record.hp, 0);
  EXPECT_FLOAT_EQ(a->leanX, 45.0f);
  EXPECT_FLOAT_EQ(b->leanX, 315.0f);
  EXPECT_EQ(UpdatesUntil([&] { return a->state == UnitStateIdle; }), 40);
  EXPECT_EQ(b->state, UnitStateSinkAndDie);
}

TEST_F(UnitTest, CommandListsFollowClassAndMoveAndABlockedUnitOnlySaysSo) {
  const struct {
    int row, characterClass, moved, count, fourth;
  } kCases[] = {{1, 1, 0, 7, kCommandAttack},
                {0, 2, 0, 7, kCommandSkill},
                {1, 3, 0, 7, kCommandAttack},
                {1, 1, 1, 3, kCommandAttack},
                {0, 2, 1, 3, kCommandSkill}};
  for (const auto& k : kCases) {
    UnitData* u = Place(k.row, 8, 8);
    u->record.characterClass = k.characterClass;
    u->moved = k.moved;
    int32_t count = 0;
    const int32_t* list = UnitCommandList(u, &count);
    EXPECT_EQ(count, k.count);
    EXPECT_EQ(list[k.moved ? 1 : 3], k.fourth);
    TaskKillAll();
  }
  UnitData* u = Place(1, 8, 8);
  u->record.status = kStatusCannotAct;
  u->state = UnitStateCommandMenuOpen;
  Updates(1);
  EXPECT_EQ(u->state, UnitStateBlockedMessage);
  EXPECT_TRUE(Sounded(kSoundRefuse));
  TapKey(kKeyZ);
  EXPECT_EQ(u->state, UnitStateIdle);
  EXPECT_EQ(u->acted, 0);
}

}  // namespace
