// The commands that act beyond one unit's strike: items in battle, escape, auto-battle
// and the familiars' swap.
#include <gtest/gtest.h>

#include <tuple>

#include "battle/actions.h"
#include "battle/battle_items.h"
#include "battle/battle_support.h"
#include "battle/escape.h"
#include "battle/familiars.h"
#include "battle/messages.h"
#include "battle/skills.h"
#include "engine/settings.h"

namespace {

using test::Battle;
using test::ScriptedRandom;

constexpr int kMilva = 0, kYorun = 1, kTiger = 4;

class PartyCommandsTest : public test::BattleWorld {
 protected:
  void SetUp() override {
    BattleWorld::SetUp();
    g_settings.autoBattle = 0;
  }
  // The party on its four start cells.
  std::vector<UnitData*> Party() {
    const int cells[4][2] = {{8, 8}, {9, 8}, {9, 9}, {8, 9}};
    std::vector<UnitData*> out;
    for (int i = 0; i < 4; ++i) out.push_back(Place(i, cells[i][0], cells[i][1]));
    return out;
  }
  // A scripted battle with one tiger on (column, row), run to the party's free cursor.
  void StartBattle(int column, int row) {
    ScriptedRandom random;
    EventBattleOrder order{1, {{0, column, row}}};
    ASSERT_EQ(BattleStartEvent(&order), 1);
    ASSERT_GT(UpdatesUntil([] { return Battle()->step == BattleIntroWaitKey; }), 0);
    while (Battle()->step != BattleMainStep) TapKey(kKeyEnter);
    TapKey(kKeyEnter);
    ASSERT_EQ(test::Cursor()->state, CursorStateFree);
  }
};

// Each battle item on a target, chosen on the grid and given by the cursor's confirm;
// the last of a stack leaves its slot empty. Equipment is passed over without a word.
TEST_F(PartyCommandsTest, ItemsActOnTheirTargetAndAreUsedUp) {
  const struct {
    int32_t item;
    int target, hp, mp, status;
    int hpAfter, mpAfter, statusAfter;
  } kCases[] = {
      {13, kYorun, 50, 0, 0, 150, 0, 0},  {14, kYorun, 50, 0, 0, 200, 0, 0},  {15, kMilva, 150, 100, 0, 150, 200, 0},
      {16, kYorun, 200, 0, 0, 200, 0, 0}, {17, kYorun, 200, 0, 3, 200, 0, 2}, {18, kYorun, 200, 0, 3, 200, 0, 1},
  };
  for (const auto& k : kCases) {
    InventoryInit();
    g_inventory[3] = {k.item, 1};
    UnitData* milva = Place(kMilva, 8, 8);
    UnitData* target = k.target == kMilva ? milva : Place(kYorun, 9, 8);
    target->record.hp = k.hp;
    target->record.mp = k.mp;
    target->record.status = k.status;
    milva->state = UnitStateItemMenuOpen;
    Updates(1);
    TapKey(kKeyDown);
    TapKey(kKeyEnter);  // slot 2: a sword
    EXPECT_EQ(milva->state, UnitStateItemMenu);
    TapKey(kKeyRight);
    TapKey(kKeyEnter);  // slot 3
    ASSERT_EQ(milva->state, UnitStateItemTarget) << k.item;
    ASSERT_EQ(UnitItemOnTarget(milva, target), 1);
    UpdatesUntil([&] { return milva->state == UnitStateIdle; });
    EXPECT_EQ(std::tuple(target->record.hp, target->record.mp, target->record.status, g_inventory[3].id, milva->acted),
              std::tuple(k.hpAfter, k.mpAfter, k.statusAfter, kItemEmpty, 1))
        << k.item;
    TaskKillAll();
  }
}

// One direction clear for every party unit suffices, tried 0, 90, 180, 270; an enemy
// anywhere on one unit's line closes it for all. None clear: the message, and after it
// the whole party has acted. A unit already falling is left where it is.
TEST_F(PartyCommandsTest, EscapeTakesTheFirstDirectionClearForEveryone) {
  const struct {
    std::vector<std::pair<int, int>> enemies;
    float direction;  // -1: no way out
  } kCases[] = {
      {{}, 0.0f},
      {{{14, 8}}, 90.0f},
      {{{14, 9}, {9, 3}}, 180.0f},
      {{{14, 9}, {9, 3}, {2, 8}}, 270.0f},
      {{{14, 9}, {8, 2}, {2, 8}, {9, 15}}, -1.0f},
  };
  for (const auto& k : kCases) {
    auto party = Party();
    party[3]->state = UnitStateSinkAndDie;
    for (const auto& [column, row] : k.enemies) Place(kTiger, column, row);
    party[0]->acted = 1;
    party[1]->menuCursor = 1;
    party[1]->state = UnitStateEscapeAsk;
    Updates(1);  // the key seen up before its press
    TapKey(kKeyEnter, 0);
    EXPECT_EQ(party[3]->state, UnitStateSinkAndDie);
    if (k.direction < 0) {
      EXPECT_TRUE(Sounded(kSoundRefuse));
      EXPECT_EQ(party[1]->state, UnitStateEscapeFailed);
      Updates(1);
      TapKey(kKeyEnter, 0);
      for (int i = 0; i < 3; ++i) EXPECT_EQ(party[i]->acted + (party[i]->state == UnitStateIdle), 2) << i;
    }
    for (int i = 0; k.direction >= 0 && i < 3; ++i) {
      EXPECT_EQ(party[i]->state, UnitStateRunAway) << k.direction;
      EXPECT_FLOAT_EQ(party[i]->facing, k.direction);
      EXPECT_EQ(party[i]->acted, 0);
    }
    TaskKillAll();
  }
}

// Running toward +x from columns 9 and 8, each unit leaves as it passes the edge and its
// record goes back to its row.
TEST_F(PartyCommandsTest, RunnersLeaveOneByOneWithTheirRecords) {
  auto party = Party();
  party[1]->record.hp = 77;
  party[0]->record.mp = 11;
  BattleTryEscape(party[0]);
  EXPECT_EQ(UpdatesUntil([&] { return !UnitLive(party[1]); }), 32);
  EXPECT_EQ(g_party[1].hp, 77);
  EXPECT_TRUE(UnitLive(party[0]));
  EXPECT_EQ(UpdatesUntil([&] { return !UnitLive(party[0]); }), 4);
  EXPECT_EQ(g_party[0].mp, 11);
}

// Familiars copy the first fighter (the first member without one) at full hit points
// and without magic.
TEST_F(PartyCommandsTest, FamiliarsAreCopiesOfAFighter) {
  g_party[1].hp = 20;
  FamiliarRecordsCreate();
  EXPECT_EQ(g_familiarCount, 4);
  for (int i = 0; i < 4; ++i) {
    const CharacterRecord& f = g_familiars[i];
    EXPECT_EQ(f.id, i);
    EXPECT_EQ(f.model, 33);
    EXPECT_EQ(f.characterClass, kClassFamiliar);
    EXPECT_EQ(f.hp, 200);
    EXPECT_EQ(f.attack, g_party[1].attack);
    EXPECT_EQ(f.maxMp + f.mp + f.experience + f.status, 0);
    EXPECT_STREQ(f.name, test::Sjis("使い魔").c_str());
  }
  for (int i = 0; i < 4; ++i) g_party[i].characterClass = kClassCaster;
  g_party[0].maxHp = 123;
  FamiliarRecordsCreate();
  EXPECT_EQ(g_familiars[3].hp, 123);
}

// The summon: the caster pays 200 and the party walks off with its records; the
// familiars walk in to the free formation spots. When they all fall the party walks
// back, auto-battle goes off, and the swap waits only for the units that could be made.
TEST_F(PartyCommandsTest, TheSwapSendsThePartyOffAndBringsItBack) {
  StartBattle(10, 9);  // the tiger takes the formation's second spot
  g_settings.autoBattle = 1;
  UnitData* milva = test::Units(0)[0];
  milva->skill = kSkillSummonFamiliars;
  g_skillGrid.confirm = 1;
  milva->state = UnitStateSkillConfirmInput;
  TapKey(kKeyEnter, 0);
  EXPECT_EQ(Battle()->phase, kBattleSwapOut);
  ASSERT_GT(UpdatesUntil([] { return Battle()->phase == kBattleFighting; }), 0);
  EXPECT_EQ(g_party[0].mp, 100);
  auto familiars = test::Units(0);
  ASSERT_EQ(familiars.size(), 4u);
  const float xs[4] = {1, -1, 5, -3};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(familiars[i]->record.characterClass, kClassFamiliar);
    EXPECT_FLOAT_EQ(familiars[i]->x, xs[i]) << i;
    EXPECT_FLOAT_EQ(familiars[i]->z, -1.0f) << i;
  }
  // The familiars gone at once, their slots and all but two others taken.
  int free = 0;
  for (int i = kSlotObjectsFirst; i < kSlotObjectsEnd; ++i) {
    TaskSlot& s = g_taskPool[i];
    if (s.inUse && s.id == kTaskIdBattleUnit && TaskData<UnitData>(&s)->record.side == 0) {
      s.id = 4242;
      s.update = s.draw = nullptr;
    } else if (!s.inUse && ++free > 2) {
      PlaceTask(i, 4242);
    }
  }
  ASSERT_GT(UpdatesUntil([] { return Battle()->team == 0 && Battle()->phase == kBattleFighting; }), 0);
  EXPECT_EQ(test::Units(0).size(), 2u);
  EXPECT_EQ(test::Units(0)[0]->record.mp, 100);
  EXPECT_EQ(g_settings.autoBattle, 0);
}

// Dismissing the familiars brings the party back; auto-battle is the playthrough's.
TEST_F(PartyCommandsTest, DismissalIsAnsweredFromTheMenu) {
  StartBattle(12, 4);
  FamiliarRecordsCreate();
  UnitData* falling = test::Units(0)[3];
  falling->state = UnitStateSinkAndDie;
  PartySwapOut();
  EXPECT_EQ(falling->state, UnitStateSinkAndDie) << "a falling member does not walk off";
  ASSERT_GT(UpdatesUntil([] { return Battle()->team == 1 && Battle()->phase == kBattleFighting; }), 0);
  UnitData* familiar = test::Units(0)[0];
  ASSERT_EQ(UnitCommandExtra(familiar, kCommandDismiss), 1);
  TapKey(kKeyDown);
  TapKey(kKeyEnter, 0);
  ASSERT_GT(UpdatesUntil([] { return Battle()->team == 0 && Battle()->phase == kBattleFighting; }), 0);
  EXPECT_EQ(test::Units(0)[0]->record.characterClass, kClassCaster);
  ASSERT_EQ(UnitCommandExtra(test::Units(0)[0], kCommandEscape), 0) << "a scripted battle is fought out";
}

}  // namespace
