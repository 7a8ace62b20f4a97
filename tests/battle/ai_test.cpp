// Decision making: what attackers, casters and the boss choose, where they walk and what
// the boss's summons do, with the random draws of every hit scripted.
#include "battle/ai.h"

#include <gtest/gtest.h>

#include "battle/battle_support.h"
#include "battle/skills.h"
#include "event/effect3d.h"

namespace {

using test::ScriptedRandom;

constexpr int kTiger = 4, kPumpkin = 11, kEye = 13, kBoss = 16;

class AiTest : public test::BattleWorld {
 protected:
  // Runs the unit's turn from its first decision until it rests again.
  void Turn(UnitData* u, int limit = 400) {
    u->state = AiBegin;
    UpdatesUntil([&] { return u->state == UnitStateIdle; }, limit);
  }
  // The first step at which the unit has chosen: a cast, a walk, an approach or the end.
  static bool Chosen(UnitStep s) {
    return s == UnitStateAiSkillWait || s == AiAttackerMarkMove || s == AiApproachNearest || s == UnitStateEndAction;
  }
  UnitStep Decide(UnitData* u) {
    u->state = AiBegin;
    UpdatesUntil([&] { return Chosen(u->state); }, 60);
    return u->state;
  }
  static UnitData* Hurt(UnitData* u, int hp, int status = 0) {
    u->record.hp = hp;
    u->record.status = status;
    return u;
  }
};

// Next to two foes the attacker strikes the weaker, and between equals the one its
// search found first (+x before -z); within reach it walks to the free cell beside the
// foe nearest itself; beyond reach it heads `move` cells toward the nearest foe (one
// fewer off a straight line) and stops a cell short of that point, snapped to its cell.
TEST_F(AiTest, AttackersStrikeTheWeakestAndWalkTowardTheirFoes) {
  const struct {
    int column, row;
    int foes[2][3];  // column, row, hit points (0: none)
    int endColumn, endRow, struck;
  } kCases[] = {
      {8, 5, {{9, 5, 25}, {8, 6, 40}}, 8, 5, 0}, {8, 5, {{9, 5, 40}, {8, 6, 25}}, 8, 5, 1},
      {8, 5, {{9, 5, 40}, {8, 6, 40}}, 8, 5, 0}, {8, 3, {{8, 9, 200}, {}}, 8, 8, 0},
      {3, 5, {{14, 5, 200}, {}}, 7, 5, -1},      {3, 5, {{14, 7, 200}, {}}, 6, 6, -1},
  };
  for (const auto& k : kCases) {
    ScriptedRandom random({0, 0});
    UnitData* tiger = Place(kTiger, k.column, k.row);
    UnitData* foes[2] = {};
    for (int i = 0; i < 2; ++i) {
      if (k.foes[i][2]) foes[i] = Hurt(Place(1, k.foes[i][0], k.foes[i][1]), k.foes[i][2]);
    }
    Turn(tiger);
    EXPECT_EQ(test::ColumnOf(tiger), k.endColumn) << k.foes[0][0];
    EXPECT_EQ(test::RowOf(tiger), k.endRow) << k.foes[0][0];
    for (int i = 0; i < 2; ++i) {
      if (!foes[i]) continue;
      EXPECT_EQ(foes[i]->record.hp < k.foes[i][2], i == k.struck) << k.foes[0][0] << " foe " << i;
    }
    TaskKillAll();
  }
}

// Healing comes first (a third of the maximum or less), then curing, then attacking;
// the first choice gives way to the single form when level or magic points fall short.
TEST_F(AiTest, CastersChooseTheirSkillByWhatTheirSideNeeds) {
  const struct {
    int level, mp;
    int allyHp[2], allyStatus;
    int foes;  // party units within 5
    UnitStep step;
    int skill;
  } kCases[] = {
      {15, 100, {50, 150}, 0, 0, UnitStateAiSkillWait, 2},  {15, 100, {51, 150}, 0, 0, AiApproachNearest, 0},
      {25, 100, {50, 40}, 0, 0, UnitStateAiSkillWait, 3},   {24, 100, {50, 40}, 0, 0, UnitStateAiSkillWait, 2},
      {25, 49, {50, 40}, 0, 0, UnitStateAiSkillWait, 2},    {15, 100, {150, 150}, 3, 0, UnitStateAiSkillWait, 5},
      {15, 100, {150, 150}, 1, 0, UnitStateAiSkillWait, 4}, {15, 5, {50, 150}, 0, 0, UnitStateEndAction, 0},
      {20, 100, {150, 150}, 0, 1, UnitStateAiSkillWait, 0}, {20, 100, {150, 150}, 0, 2, UnitStateAiSkillWait, 1},
      {19, 100, {150, 150}, 0, 2, UnitStateAiSkillWait, 0},
  };
  for (const auto& k : kCases) {
    UnitData* pumpkin = Place(kPumpkin, 8, 3);
    pumpkin->record.level = k.level;
    pumpkin->record.mp = k.mp;
    Hurt(Place(kEye, 10, 3), k.allyHp[0], k.allyStatus);
    Hurt(Place(kEye, 6, 3), k.allyHp[1]);
    for (int i = 0; i < k.foes; ++i) Place(1, 8 + i, 7);
    Place(1, 14, 14);  // a foe far off
    EXPECT_EQ(Decide(pumpkin), k.step) << k.level << " " << k.allyHp[0];
    EXPECT_EQ(pumpkin->skill, k.skill) << k.level << " " << k.allyHp[0];
    TaskKillAll();
  }
}

// Two foes beyond its reach but within move + 2: the caster walks up and casts the whole
// side's form on them, not on its own side.
TEST_F(AiTest, ACasterWalksToFoesOutOfReachAndCastsOnThem) {
  UnitData* pumpkin = Place(kPumpkin, 8, 3);
  pumpkin->record.level = 20;
  UnitData* allies[2] = {pumpkin, Place(kTiger, 7, 3)};
  UnitData* foes[2] = {Place(1, 8, 10), Place(3, 9, 9)};
  ScriptedRandom random({90, 9, 0, 0, 90, 9, 0, 0});  // hit rolls and damage draws
  Turn(pumpkin, 800);
  EXPECT_EQ(pumpkin->skill, 1);
  for (UnitData* u : foes) EXPECT_LT(u->record.hp, u->record.maxHp);
  for (UnitData* u : allies) EXPECT_EQ(u->record.hp, u->record.maxHp);
}

// With nobody to heal and no foe within move + 2 the caster walks toward the nearest foe
// and, arrived, casts the attack it was made with on a foe then within 5: a heal left from
// an earlier turn is never cast again, on arrival or when no foe is in reach. The hit: magic
// 40 + power 50 against a member's magic defence 15, with draws of 0, is 75.
TEST_F(AiTest, ACasterThatWalksUpToAFoeCastsItsStandingAttackNeverAnEarlierTurnsSkill) {
  const struct { int skillBefore, foeRow, foeHp; } kCases[] = {{0, 11, 125}, {2, 11, 125}, {2, 13, 200}};
  for (const auto& k : kCases) {
    SCOPED_TRACE(testing::Message() << "skill " << k.skillBefore << ", foe on row " << k.foeRow);
    ScriptedRandom random({90, 9, 0, 0});  // a hit, then the damage draws
    UnitData* pumpkin = Place(kPumpkin, 8, 3);
    pumpkin->skill = k.skillBefore;
    UnitData* eye = Hurt(Place(kEye, 10, 3), 100);  // hurt, not low: a heal would reach it
    UnitData* member = Place(1, 8, k.foeRow);
    Turn(pumpkin, 800);
    EXPECT_EQ(test::ColumnOf(pumpkin), 8);
    EXPECT_EQ(test::RowOf(pumpkin), 6);
    EXPECT_EQ(member->record.hp, k.foeHp);
    EXPECT_EQ(eye->record.hp, 100);
    TaskKillAll();
  }
}

// The boss heals itself at a third of its hit points whatever its magic, casts one
// projectile on each of two foes, and alone with nobody in reach summons five orcs.
TEST_F(AiTest, TheBossHealsAtAThirdAndCastsOnEveryFoe) {
  for (int hp : {333, 334}) {
    UnitData* boss = Hurt(Place(kBoss, 8, 4), hp);
    boss->record.mp = 0;
    Place(1, 8, 12);
    Place(kTiger, 14, 14);  // not alone: no summons
    EXPECT_EQ(Decide(boss), hp == 333 ? UnitStateAiSkillWait : UnitStateEndAction) << hp;
    EXPECT_EQ(boss->skill, hp == 333 ? 3 : 0);
    TaskKillAll();
  }
  UnitData* boss = Place(kBoss, 8, 4);
  Place(1, 8, 7);
  Place(1, 10, 6);
  boss->state = AiBegin;
  UpdatesUntil([&] { return TaskExists(kTaskIdEffect3D); }, 200);
  std::vector<const EffectData*> shots;
  for (int i = kSlotObjectsFirst; i < kSlotObjectsEnd; ++i) {
    if (g_taskPool[i].inUse && g_taskPool[i].id == kTaskIdEffect3D)
      shots.push_back(TaskData<EffectData>(&g_taskPool[i]));
  }
  ASSERT_EQ(shots.size(), 2u);
  EXPECT_EQ(shots[1]->frames - shots[0]->frames, 10);
  EXPECT_FLOAT_EQ(shots[1]->maxRadius, 3.0f);
  EXPECT_EQ(boss->skill, 1);
}

TEST_F(AiTest, TheBossAloneSummonsFiveOrcsThatRiseFacingTheParty) {
  UnitData* boss = Place(kBoss, 3, 2);
  Place(1, 10, 5);  // a unit on a summoning cell keeps that summon away
  boss->state = AiBegin;
  UpdatesUntil([&] { return boss->state == AiSummonWait; }, 100);
  std::vector<UnitData*> orcs;
  for (UnitData* u : test::Units(1)) {
    if (u != boss) orcs.push_back(u);
  }
  ASSERT_EQ(orcs.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(test::ColumnOf(orcs[i]), 6 + i);
  EXPECT_FLOAT_EQ(orcs[0]->y, -7.9f) << "from -8.0, a first tenth in the update that made them";
  EXPECT_EQ(UpdatesUntil([&] { return orcs[3]->state == UnitStateIdle; }), 82);
  EXPECT_FLOAT_EQ(orcs[3]->y, kUnitHeight);
  EXPECT_FLOAT_EQ(orcs[3]->facing, 270.0f);
  EXPECT_EQ(test::RowOf(orcs[3]), 5);
  EXPECT_EQ(UpdatesUntil([&] { return boss->state == UnitStateIdle; }), 2);
  // With another enemy on the field the boss only ends its turn.
  boss->state = AiBegin;
  UpdatesUntil([&] { return boss->state == UnitStateIdle; });
  EXPECT_EQ(test::Units(1).size(), 5u);
}

// A low ally out of casting range but within move + 2 makes the caster walk toward it.
TEST_F(AiTest, ACasterWalksToALowAllyOutOfReach) {
  UnitData* pumpkin = Place(kPumpkin, 3, 3);
  Hurt(Place(kTiger, 3, 9), 5);
  Place(1, 14, 14);
  EXPECT_EQ(Decide(pumpkin), AiAttackerMarkMove);
  EXPECT_EQ(pumpkin->skill, 2);
  UpdatesUntil([&] { return pumpkin->state == UnitStateIdle; });
  EXPECT_EQ(test::RowOf(pumpkin), 7) << "two cells short of the ally, where its cast reaches";
  EXPECT_GT(pumpkin->targets[0]->record.hp, 5);
}

// A step off the path's axes ends a walk.
TEST_F(AiTest, AStepOffThePathsAxesEndsTheWalk) {
  UnitData* pumpkin = Place(kPumpkin, 3, 3);
  Place(1, 11, 3);
  Turn(pumpkin);
  EXPECT_EQ(test::ColumnOf(pumpkin), 6);
  pumpkin->goalX = pumpkin->goalZ = 0.0f;
  pumpkin->pathIndex = 0;
  PathReset();
  g_pathX[0] = pumpkin->x + 1.0f;  // a diagonal step
  g_pathZ[0] = pumpkin->z + 3.0f;
  pumpkin->state = AiStateWalkPath;
  Updates(1);
  EXPECT_EQ(pumpkin->state, AiRecheckAfterMove);
}

// Casting its single heal with two allies in its slots, a caster able to heal them all
// does; one short of the level heals the one most hurt. Enemies never pay.
TEST_F(AiTest, AHealUpgradesToTheWholeSideWhenTheCasterCan) {
  for (int level : {25, 24}) {
    UnitData* pumpkin = Place(kPumpkin, 8, 3);
    pumpkin->record.level = level;
    UnitData* tiger = Hurt(Place(kTiger, 9, 3), 5);
    Hurt(pumpkin, 110);
    Turn(pumpkin);
    EXPECT_EQ(tiger->record.hp, 30);
    EXPECT_EQ(pumpkin->record.hp, level == 25 ? 120 : 110) << level;
    EXPECT_EQ(pumpkin->record.mp, 100);
    TaskKillAll();
  }
}

// Filtered slots keep the units in descending slot order; among the cells nearest the
// target the one nearest the unit wins.
TEST_F(AiTest, FiltersKeepDescendingSlotsAndTiesGoToTheNearerCell) {
  UnitData* u = Place(kPumpkin, 8, 8);
  UnitData* a = Hurt(Place(kTiger, 9, 8), 5);
  UnitData* b = Place(kTiger, 10, 8);
  UnitData* c = Hurt(Place(kTiger, 11, 8), 5);
  u->targets[0] = a;
  u->targets[1] = b;
  u->targets[2] = c;
  AiKeepLowTargets(u);
  EXPECT_EQ(u->targets[0], c);
  EXPECT_EQ(u->targets[1], a);
  EXPECT_EQ(u->targets[2], nullptr);
  AiClearApproachCells();
  g_approachCells[0] = {3, 4.0f, 0.0f, nullptr};
  g_approachCells[1] = {3, -2.0f, 0.0f, nullptr};
  g_approachCells[2] = {4, 8.0f, 8.0f, nullptr};
  AiSortApproachCells();
  AiPickNearestApproachCells(0.0f, 0.0f);
  EXPECT_FLOAT_EQ(g_approachCells[0].x, 8.0f) << "the highest budget first";
  g_approachCells[0].budget = 3;
  AiPickNearestApproachCells(0.0f, 0.0f);
  EXPECT_FLOAT_EQ(g_approachCells[0].x, -2.0f);
}

}  // namespace
