// Skills: the window and its refusals, single and area casts, the range search, the hit
// roll and pending damage, and what heals, cures and guards do.
#include "battle/skills.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "battle/ai.h"
#include "battle/battle_support.h"
#include "engine/settings.h"
#include "event/popup.h"

namespace {

using test::ScriptedRandom;

constexpr int kMilva = 0, kYorun = 1, kTiger = 4, kOrc = 12;

class SkillsTest : public test::BattleWorld {
 protected:
  void SetUp() override {
    BattleWorld::SetUp();
    g_settings.autoBattle = 0;
  }
  std::vector<test::Sprite> DrawnSprites() {
    return test::ScreenSprites(world_.recorder->current, nullptr, kAtlasSize);
  }
  static int Effects() {
    int n = 0;
    for (int i = kSlotObjectsFirst; i < kSlotObjectsEnd; ++i) {
      if (g_taskPool[i].inUse && g_taskPool[i].id == kTaskIdEffect3D) ++n;
    }
    return n;
  }
  // The caster casts `skill` on the target as the cursor's confirm does.
  static void Aim(UnitData* caster, int32_t skill, UnitData* target) {
    caster->skill = skill;
    ASSERT_TRUE(SkillTargetValid(caster, target));
    UnitStateSkillAim(caster, target);
  }
};

// A hit needs the two draws to sum to 20: the first of 100, the second of the target's
// hit term (none drawn for a term of 0). A hit deals power - r4 - (defence - r2), at
// least 10.
TEST_F(SkillsTest, TheHitRollAndTheDamageOfAHit) {
  const struct {
    int hitTerm;
    std::vector<int> draws;
    int hit;
    size_t left;
  } kRolls[] = {{10, {19, 0}, 0, 0}, {10, {20, 0}, 1, 0}, {10, {11, 9}, 1, 0},
                {10, {10, 9}, 0, 0}, {0, {19, 7}, 0, 1},  {0, {20, 7}, 1, 1}};
  for (const auto& k : kRolls) {
    ScriptedRandom random(k.draws);
    UnitData* target = Place(kOrc, 8, 8);
    target->record.hitTerm = k.hitTerm;
    EXPECT_EQ(SkillHitRoll(target, target), k.hit) << k.draws[0] << "+" << k.draws[1] << " of " << k.hitTerm;
    EXPECT_EQ(ScriptedRandom::Left(), k.left);
    TaskKillAll();
  }
  const int kDamage[][5] = {{140, 20, 0, 0, 120}, {140, 20, 3, 1, 118}, {140, 20, 2, 0, 118}, {40, 35, 0, 0, 10}};
  UnitData* target = Place(kOrc, 8, 8);
  for (const auto& k : kDamage) {
    ScriptedRandom random({k[2], k[3]});
    target->pendingDamage = 5.0f;
    SkillAddPendingDamage(target, k[0], k[1]);
    EXPECT_FLOAT_EQ(target->pendingDamage, 5.0f + static_cast<float>(k[4])) << k[0] << " against " << k[1];
  }
}

// Refusals of the window: an empty slot or too low a level only sound; magic points
// short show their message; equal to the cost they suffice. Left from the first column
// turns the page back and keeps the first column.
TEST_F(SkillsTest, TheWindowRefusesWhatTheCasterCannotCast) {
  const struct {
    int level, mp;
    std::vector<int> keys;
    UnitStep state;
    bool refused;
  } kCases[] = {
      {20, 10, {kKeyEnter}, UnitStateSkillTarget, false},
      {20, 9, {kKeyEnter}, UnitStateMpShortMessage, true},
      {24, 300, {kKeyDown, kKeyEnter}, UnitStateSkillMenu, true},
      {25, 300, {kKeyDown, kKeyEnter}, UnitStateSkillConfirmInput, false},
      {30, 300, {kKeyLeft, kKeyRight, kKeyRight, kKeyEnter}, UnitStateSkillMenu, true},
      {30, 300, {kKeyLeft, kKeyRight, kKeyEnter}, UnitStateSkillConfirmInput, false},
      {30, 300, {kKeyEscape}, UnitStateCommandMenu, false},
  };
  for (const auto& k : kCases) {
    UnitData* milva = Place(kMilva, 8, 8);
    milva->record.level = k.level;
    milva->record.mp = k.mp;
    milva->state = UnitStateSkillMenuOpen;
    Updates(1);
    bool refused = false;
    for (int key : k.keys) {
      TapKey(key, 0);
      refused = refused || Sounded(kSoundRefuse);
      Updates(1);
    }
    EXPECT_EQ(milva->state, k.state) << k.level << " " << k.mp << " " << k.keys.size();
    EXPECT_EQ(refused, k.refused) << k.level << " " << k.mp << " " << k.keys.size();
    EXPECT_EQ(milva->record.mp, k.mp) << "nothing is paid before the cast";
    world_.recorder->current.clear();
    DrawSkillGrid(milva);  // an empty slot shows no description and no cost
    EXPECT_EQ(Has(DrawnSprites(), kAtlasSkillCostLabel), SkillGridCurrent() >= 0) << k.keys.size();
    TaskKillAll();
  }
}

// Guards halve the base (at least 1) and replace the boost; a heal at full hit points
// shows its whole power; cures clear their bit and show their picture. A skill that
// names no single cast ends the turn unpaid.
TEST_F(SkillsTest, GuardsHealsAndCuresActAtOnce) {
  UnitData* milva = Place(kMilva, 8, 8);
  UnitData* yorun = Place(kYorun, 9, 8);
  const int kGuards[][2] = {{1, 1}, {0, 1}, {31, 15}, {31, 15}};
  for (const auto& k : kGuards) {
    yorun->record.defence = k[0];
    Aim(milva, 6, yorun);
    Updates(1);
    EXPECT_EQ(yorun->guard, k[1]) << k[0];
  }
  ScriptedRandom random({0, 0});
  UnitData* fighter = Place(kYorun, 10, 8, 1);
  EXPECT_EQ(UnitMeleeDamage(fighter, yorun), 54) << "110 against 31, the armour's 10 and the guard's 15";
  fighter->record.weapon = kItemEmpty;
  ScriptedRandom unarmed({0, 0});
  EXPECT_EQ(UnitMeleeDamage(fighter, yorun), 44) << "nothing in hand adds nothing";
  Aim(milva, 2, yorun);
  Updates(1);
  EXPECT_EQ(yorun->record.hp, 200);
  EXPECT_EQ(TaskExists(kTaskIdDamageDigits), 1) << "100 shows though nothing was restored";
  yorun->record.status = kStatusPoison | kStatusCannotAct;
  Aim(milva, 5, yorun);
  Updates(1);
  EXPECT_EQ(yorun->record.status, kStatusPoison);
  EXPECT_TRUE(Sounded(kSoundRecover));
  const int mp = milva->record.mp;
  for (int32_t skill : {-1, 8, 11}) {
    milva->skill = skill;
    milva->state = SkillApplySingle;
    Updates(1);
    EXPECT_EQ(milva->state, UnitStateEndAction) << skill;
    EXPECT_EQ(milva->record.mp, mp) << skill;
  }
}

// One projectile circles 51 updates, climbs, falls and bursts for 30; the hit lands
// only once every effect has ended. A miss shows its picture and deals nothing; a
// target gone before the fall takes the projectile with it.
TEST_F(SkillsTest, AFlareLandsOnlyAfterEveryEffectHasEnded) {
  const struct {
    std::vector<int> draws;
    bool gone;
    int hp;
  } kCases[] = {{{50, 0, 0, 0}, false, 180}, {{0, 0}, false, 300}, {{50, 0, 0, 0}, true, 300}};
  for (const auto& k : kCases) {
    ScriptedRandom random(k.draws);
    UnitData* milva = Place(kMilva, 8, 8);
    UnitData* orc = Place(kOrc, 8, 5);
    Aim(milva, 0, orc);
    Updates(1);
    EXPECT_EQ(milva->record.mp, 290);
    EXPECT_EQ(milva->state, UnitStateSkillResolve);
    EXPECT_EQ(UpdatesUntil([this] { return Sounded(kSoundTakeOff); }), 50) << "the 51st update of the orbit";
    if (k.gone) orc->live = 0;
    UpdatesUntil([] { return Effects() == 0; });
    EXPECT_EQ(TaskExists(kTaskIdPopupSprite), k.draws.size() == 2) << "the miss picture";
    EXPECT_EQ(k.gone ? 300 : orc->record.hp, 300) << "nothing lands while an effect lasts";
    UpdatesUntil([&] { return milva->state == UnitStateIdle; });
    EXPECT_EQ(k.gone ? k.hp : orc->record.hp, k.hp);
    EXPECT_EQ(milva->acted, 1);
    TaskKillAll();
  }
}

// An area cast finding nobody pays nothing and says so; finding one foe it becomes the
// single flare at the area's price; two foes get a projectile each.
TEST_F(SkillsTest, AnAreaCastPaysFirstAndFallsBackToOneProjectile) {
  for (int foes : {0, 1, 2}) {
    UnitData* milva = Place(kMilva, 8, 8);
    for (int i = 0; i < foes; ++i) Place(kTiger, 8 + i, 5);
    Place(kTiger, 8, 1);  // beyond five cells
    milva->skill = 1;
    milva->state = UnitStateAreaSkillShow;
    Updates(3);
    EXPECT_EQ(milva->record.mp, foes ? 250 : 300) << foes;
    EXPECT_EQ(Effects(), foes) << foes;
    EXPECT_EQ(milva->state, foes ? UnitStateSkillResolve : UnitStateNoTargetMessage) << foes;
    EXPECT_EQ(milva->skill, foes == 1 ? 0 : 1);
    SkillEffectAttackAll(milva);
    EXPECT_EQ(Effects(), foes * 2) << "an area with no slots does nothing";
    TaskKillAll();
  }
}

// The search passes walls and units, finds the caster first among its own side and
// keeps at most six.
TEST_F(SkillsTest, TheRangeSearchKeepsSixUnitsInFloodOrder) {
  UnitData* milva = Place(kMilva, 2, 2);
  UnitData* wall = Place(kYorun, 0, 2);
  for (int i = 0; i < 6; ++i) Place(kYorun, 3 + i % 3, 2 + i / 3);
  EXPECT_EQ(UnitFindTargetsInRange(milva, milva->x, milva->z, 5, 0), 6);
  EXPECT_EQ(milva->targets[0], milva);
  EXPECT_EQ(milva->target, milva);
  EXPECT_EQ(std::count(milva->targets, milva->targets + 6, wall), 0) << "found after six others";
  EXPECT_EQ(UnitFindTargetsInRange(milva, milva->x, milva->z, 2, 0), 5);
  EXPECT_EQ(std::count(milva->targets, milva->targets + 6, wall), 1) << "through the wall";
  EXPECT_EQ(UnitFindTargetsInRange(milva, milva->x, milva->z, 5, 1), 0);
}

}  // namespace
