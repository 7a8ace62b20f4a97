// Records holding values no play produces (a damaged save's, loaded by a faithful build
// that checks nothing) in whole battles through the real program: the searches end
// within the frame whatever the move, and no sum of record values overflows in the
// battle, its results or the status screen (the sanitizer build stops on any).
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <ostream>

#include "battle/battle_support.h"
#include "engine/settings.h"
#include "menu/choice_menu.h"
#include "menu/status_screen.h"

namespace {

using test::Battle;
using test::Cursor;

int MarkerColumn() { return test::CellOf((Cursor()->marker[0] + 17.0f) / 2.0f); }
int MarkerRow() { return test::CellOf((17.0f - Cursor()->marker[2]) / 2.0f); }

bool EnemyOn(int column, int row) {
  for (const UnitData* u : test::Units(1)) {
    if (test::ColumnOf(u) == column && test::RowOf(u) == row) return true;
  }
  return false;
}

// Party members holding extreme values, whether the battle is won, and what it must
// leave in them.
struct DamagedParty {
  const char* name;
  std::function<void()> damage;
  bool won;
  std::function<void()> check;
};

void PrintTo(const DamagedParty& row, std::ostream* out) { *out << row.name; }

void SetStats(CharacterRecord& r, int32_t v) {
  for (int32_t* field : {&r.level, &r.hp, &r.maxHp, &r.mp, &r.maxMp, &r.attack, &r.defence, &r.magic, &r.magicDefence,
                         &r.hitTerm, &r.growth1, &r.growth2, &r.experience}) {
    *field = v;
  }
}

const DamagedParty kDamagedParties[] = {
    // Milva's spell, summed wide, fells the enemy at once; her level-up saturates, then the
    // caps of growth bring every value back to what play allows.
    {"HighestValues",
     [] {
       SetStats(g_party[0], INT32_MAX);
       g_party[0].move = 100000;
     },
     true,
     [] {
       const CharacterRecord& r = g_party[0];
       EXPECT_EQ(r.level, INT32_MAX);
       EXPECT_EQ(r.experience, 0);
       EXPECT_EQ(r.maxHp, 400);
       EXPECT_EQ(r.hp, 400);
       EXPECT_EQ(r.maxMp, 400);
       EXPECT_EQ(r.mp, 400);
       EXPECT_EQ(r.attack, 150);
       EXPECT_EQ(r.defence, 100);
       EXPECT_EQ(r.magic, 150);
       EXPECT_EQ(r.magicDefence, 100);
       EXPECT_EQ(r.hitTerm, 20);
       EXPECT_EQ(r.growth1, 5);
       EXPECT_EQ(r.growth2, 5);
     }},
    // Jorn, poisoned at the lowest hit points, is healed no higher than his maximum and
    // falls to the poison at the end of his turn instead of coming back round to the top.
    {"LowestValues",
     [] {
       SetStats(g_party[1], INT32_MIN);
       g_party[1].hp = INT32_MIN + 5;
       g_party[1].move = INT32_MIN;
       g_party[1].status = kStatusPoison;
     },
     true,
     [] {
       EXPECT_EQ(g_party[1].hp, 1) << "marked fallen";
       EXPECT_EQ(g_party[1].experience, 0);
     }},
    // Members on sides that are neither the party's nor the enemies' stand aside: never
    // queued, never foes, never written back.
    {"SidesOfNoOne",
     [] {
       g_party[2].side = INT32_MIN;
       g_party[3].side = INT32_MAX;
     },
     true,
     [] {
       EXPECT_EQ(g_party[2].side, INT32_MIN);
       EXPECT_EQ(g_party[3].side, INT32_MAX);
       EXPECT_EQ(g_party[3].experience, 0);
     }},
    // Jorn alone with the largest attack walks up to the tiger and fells it at a blow.
    {"TheLargestAttack",
     [] {
       g_partyCount = 1;
       g_party[0] = g_characterTable[1];
       g_party[0].attack = INT32_MAX;
       g_party[0].move = 100000;
     },
     true, [] { EXPECT_EQ(g_party[0].experience, 10); }},
    // Jorn alone with the lowest defence stands until the tiger comes; its blow, taken
    // wide, is past all his hit points, and the battle is lost.
    {"TheLowestDefence",
     [] {
       g_partyCount = 1;
       g_party[0] = g_characterTable[1];
       g_party[0].defence = INT32_MIN;
       g_party[0].hp = g_party[0].maxHp = INT32_MAX;
       g_party[0].move = INT32_MIN;
     },
     false, [] {}},
};

class ExtremeRecordsTest : public test::FieldBattleTest {
 protected:
  // Single cells, four frames apart: a step of the marker takes four.
  void Taps(int key, int count) {
    for (int i = 0; i < count; ++i) Game().Tap(key, 4);
  }
  // Down until the unit's command menu stands on `command`, then Enter.
  void PickCommand(UnitData* unit, int32_t command) {
    int32_t count = 0;
    for (int i = 0; i < 8 && UnitCommandList(unit, &count)[unit->menuCursor] != command; ++i) Game().Tap(kKeyDown);
    Game().Tap(kKeyEnter);
  }
};

// The walking range of a member whose move no table gives (133 read back from a byte as
// -123 pruned nothing and froze the battle; 100,000 ran the recursion off the stack)
// covers the open ground but the enemy's cell while the marker rests on her, frame after
// frame; she then walks twelve cells in one move, round the enemy if it stands between.
TEST_F(ExtremeRecordsTest, AnyMoveShowsItsRangeAndWalksAsFarAsTheGridAllows) {
  for (const int32_t move : {133, 100000, INT32_MAX}) {
    test::ScriptedRandom random({1, 0, 87, 0});
    Open();
    g_partyCount = 1;
    g_party[0].move = move;
    Encounter();
    ToPartyPhase();
    Game().Tap(kKeyRight, 4);  // onto her on (8, 8)
    Game().Frames(3);
    UnitData* milva = test::Units(0)[0];
    ASSERT_EQ(Cursor()->state, CursorStateSelect) << move;
    for (int row = 2; row < 16; ++row) {
      for (int column = 2; column < 16; ++column) {
        EXPECT_EQ(GridRangeAt(row * kGridSize + column) >= 0, !EnemyOn(column, row)) << move << " " << column << row;
      }
    }
    Game().Tap(kKeyEnter);
    PickCommand(milva, kCommandMove);
    Taps(kKeyLeft, 6);
    Taps(kKeyUp, 6);
    ASSERT_EQ(MarkerColumn(), 2);
    ASSERT_EQ(MarkerRow(), 2);
    Game().Tap(kKeyEnter);
    ASSERT_TRUE(Game().RunUntil([&] { return milva->state == UnitStateCommandMenu; }, 300)) << move;
    EXPECT_EQ(test::ColumnOf(milva), 2) << move;
    EXPECT_EQ(test::RowOf(milva), 2) << move;
  }
}

class DamagedPartyTest : public ExtremeRecordsTest, public ::testing::WithParamInterface<DamagedParty> {
 protected:
  // The action of the field menu under its cursor.
  static int MenuAction() {
    TaskSlot& slot = g_taskPool[kSlotChoiceMenu];
    if (!slot.inUse) return -1;
    const MenuData* menu = TaskData<MenuData>(&slot);
    return menu->actions[menu->cursor];
  }
};

// A random battle against one black tiger: the marker rests on the first member (its
// values in the unit window), who hands the party to auto-battle, and the battle is
// fought to its end; a won one is paid out, and the status screen shows every member.
TEST_P(DamagedPartyTest, AWholeBattleAndTheStatusScreenTakeItsValues) {
  Open();
  GetParam().damage();
  {
    test::ScriptedRandom random({1, 0, 0, 0});  // no ambush, one enemy, its cell and kind
    Encounter();
  }
  ToPartyPhase();
  Game().Tap(kKeyRight, 4);
  UnitData* first = test::Units(0)[0];
  Game().Tap(kKeyEnter);
  PickCommand(first, kCommandAuto);
  Game().Tap(kKeyDown);
  Game().Tap(kKeyEnter);  // yes
  ASSERT_EQ(g_settings.autoBattle, 1);
  ASSERT_TRUE(Game().RunUntil(
      [&] {
        if (Battle() && Battle()->step == BattleOutroWaitKey) Game().Tap(kKeyEnter);
        return Battle() == nullptr;
      },
      6000));
  GetParam().check();
  if (!GetParam().won) {
    EXPECT_TRUE(TaskExists(kTaskIdTitle)) << "lost";
    return;
  }
  ASSERT_TRUE(TaskExists(kTaskIdWalker)) << "won, back on the field";
  Game().Tap(kKeyShift);
  for (int i = 0; i < 8 && MenuAction() != kMenuActParty; ++i) Game().Tap(kKeyDown);
  Game().Tap(kKeyEnter);
  Game().Tap(kKeyRight);
  Game().Tap(kKeyEnter);
  ASSERT_TRUE(TaskExists(kTaskIdStatus));
  for (int member = 0; member < kPartyRows; ++member) Game().Tap(kKeyDown, 2);
  Game().Tap(kKeyEscape);
  EXPECT_FALSE(TaskExists(kTaskIdStatus));
}

INSTANTIATE_TEST_SUITE_P(Records, DamagedPartyTest, ::testing::ValuesIn(kDamagedParties),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
