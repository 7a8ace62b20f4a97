#include "menu/choice_menu.h"

#include <gtest/gtest.h>

#include "data/flow.h"
#include "menu/menu_test_support.h"
#include "menu/save_screen.h"

namespace {

// The battle's own tasks, placed from slot 30 on.
constexpr int32_t kBattleIds[] = {kTaskIdBattleCursor, kTaskIdBattleUnit,   kTaskIdBattle,
                                  kTaskIdPopupSprite,  kTaskIdDamageDigits, kTaskIdEffect3D};

int g_phaseEnds = 0;

class ChoiceMenuTest : public test::MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    g_flow.battleRequestPhaseEnd = [] { ++g_phaseEnds; };
  }
  static MenuData* Menu() { return Data<MenuData>(kSlotChoiceMenu, kTaskIdChoiceMenu); }
};

TEST_F(ChoiceMenuTest, EntriesRunTheirActionsOnTheFieldAndInBattle) {
  // From a list (the field's party, save and quit: the playthrough's), keys pressed: the list still shown (-1: the menu
  // has gone), whether the field walks again, the screen that took over, the save screen's mode (-1: none) and how
  // often the party's phase ended.
  const struct {
    int list;
    std::vector<int> keys;
    int32_t listAfter, fieldRuns, opened, saveMode, phaseEnds;
  } cases[] = {
      {kMenuListFieldMain, {kKeyEnter}, -1, true, 0, -1, 0},
      {kMenuListFieldMain, {kKeyEscape, kKeyEscape}, kMenuListFieldMain, false, 0, -1, 0},
      {kMenuListFieldMain, {kKeyUp, kKeyUp, kKeyEnter}, -1, false, 0, 1, 0},
      {kMenuListBattleMain, {kKeyEnter}, -1, false, 0, -1, 0},
      {kMenuListBattleMain, {kKeyDown, kKeyEnter, kKeyEnter}, kMenuListBattleMain, false, 0, -1, 0},
      {kMenuListBattleMain, {kKeyDown, kKeyEnter, kKeyDown, kKeyEnter}, -1, false, 0, -1, 1},
      {kMenuListBattleMain, {kKeyUp, kKeyEnter, kKeyDown, kKeyEnter}, -1, false, kTaskIdTitle, -1, 0},
      {kMenuListEnemyPhase, {kKeyEnter}, -1, false, 0, -1, 0},
      {kMenuListEnemyPhase, {kKeyDown, kKeyEnter}, -1, false, kTaskIdTitle, -1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "list " << c.list << ", " << c.keys.size() << " keys");
    TaskKillAll();
    g_phaseEnds = 0;
    PlaceTask(kSlotWalkerFirst, kTaskIdWalker);
    const bool battle = c.list >= kMenuListBattleMain;
    if (battle) {
      for (int i = 0; i < 6; ++i) PlaceTask(30 + i, kBattleIds[i]);
      TaskSetModeAll(kTaskModeStop);  // the battle's start stopped and hid everything
      for (int32_t id : kBattleIds) TaskSetModeById(id, kTaskModePause);
      ASSERT_EQ(MenuTaskCreateList(c.list, 1), 1);
    } else {
      ASSERT_EQ(FieldMenuOpen(), 1);
    }
    EXPECT_EQ(MenuTaskCreateList(kMenuListBattleMain, 1), 0) << "one menu at a time";
    Keys(c.keys);
    Update();
    EXPECT_EQ(Menu() ? Menu()->actions : nullptr, c.listAfter < 0 ? nullptr : g_menuActionLists[c.listAfter].actions);
    EXPECT_EQ(Menu() ? Menu()->cursor : 0, 0) << "a list starts on its first entry";
    EXPECT_EQ(Running(kSlotWalkerFirst), c.fieldRuns);
    EXPECT_EQ(!c.opened || TaskExists(c.opened), true);
    EXPECT_EQ(TaskExists(kTaskIdWalker), c.opened != kTaskIdTitle);
    const auto* save = Data<SaveScreenData>(kSlotSaveLoad, kTaskIdSaveLoad);
    EXPECT_EQ(save ? save->mode : -1, c.saveMode);
    EXPECT_EQ(g_phaseEnds, c.phaseEnds);
    if (!battle || Menu() || c.opened) continue;
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(Running(30 + i)) << kBattleIds[i];
  }
}

}  // namespace
