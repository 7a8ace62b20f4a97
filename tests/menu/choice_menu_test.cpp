#include "menu/choice_menu.h"

#include <gtest/gtest.h>

#include "menu/menu_test_support.h"
#include "menu/party_menu.h"
#include "menu/save_screen.h"

namespace {

// The battle's own tasks in slots of their kinds, and a field walker under them.
constexpr struct {
  int slot;
  int32_t id;
} kBattleTasks[] = {{20, kTaskIdBattleCursor}, {21, kTaskIdBattleUnit},    {kSlotBattle, kTaskIdBattle},
                    {440, kTaskIdPopupSprite}, {441, kTaskIdDamageDigits}, {22, kTaskIdEffect3D}};

int g_phaseToggles = 0;

class ChoiceMenuTest : public test::MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    g_flow.battlePhaseToggle = [] { ++g_phaseToggles; };
  }
  static MenuData* Menu() { return Data<MenuData>(kSlotChoiceMenu, kTaskIdChoiceMenu); }
  // Which of the six lists the menu shows.
  static int ListShown() {
    for (int l = 0; l < kMenuListCount; ++l) {
      if (Menu()->actions == g_menuActionLists[l].actions && Menu()->count == g_menuActionLists[l].count) return l;
    }
    return -1;
  }
};

TEST_F(ChoiceMenuTest, EntriesRunTheirActionsOnTheFieldAndInBattle) {
  const struct {
    int list;
    std::vector<int> keys;
    int listAfter;     // the list still shown; -1 when the menu has gone
    bool fieldRuns;    // the walker updates again
    int32_t opened;    // the screen that took over, or 0
    int32_t saveMode;  // the save screen asked for, or -1
    int phaseToggles;
  } cases[] = {
      {kMenuListFieldMain, {kKeyEnter}, -1, true, 0, -1, 0},
      {kMenuListFieldMain, {kKeyEscape, kKeyEscape}, kMenuListFieldMain, false, 0, -1, 0},
      {kMenuListFieldMain, {kKeyDown, kKeyZ}, -1, false, kTaskIdPartyMenu, -1, 0},
      {kMenuListFieldMain, {kKeyDown, kKeyDown, kKeyEnter}, -1, false, 0, 0, 0},
      {kMenuListFieldMain, {kKeyUp, kKeyUp, kKeyEnter}, -1, false, 0, 1, 0},
      {kMenuListFieldMain, {kKeyUp, kKeyEnter}, kMenuListFieldQuit, false, 0, -1, 0},
      {kMenuListFieldMain, {kKeyUp, kKeyEnter, kKeyEnter}, kMenuListFieldMain, false, 0, -1, 0},
      {kMenuListFieldMain, {kKeyUp, kKeyEnter, kKeyDown, kKeyEnter}, -1, false, kTaskIdTitle, -1, 0},
      {kMenuListBattleMain, {kKeyEnter}, -1, false, 0, -1, 0},
      {kMenuListBattleMain, {kKeyDown, kKeyEnter}, kMenuListEndPhase, false, 0, -1, 0},
      {kMenuListBattleMain, {kKeyDown, kKeyEnter, kKeyEnter}, kMenuListBattleMain, false, 0, -1, 0},
      {kMenuListBattleMain, {kKeyDown, kKeyEnter, kKeyDown, kKeyEnter}, -1, false, 0, -1, 1},
      {kMenuListBattleMain, {kKeyUp, kKeyEnter, kKeyEnter}, kMenuListBattleMain, false, 0, -1, 0},
      {kMenuListBattleMain, {kKeyUp, kKeyEnter, kKeyDown, kKeyEnter}, -1, false, kTaskIdTitle, -1, 0},
      {kMenuListEnemyPhase, {kKeyEnter}, -1, false, 0, -1, 0},
      {kMenuListEnemyPhase, {kKeyDown, kKeyEnter}, -1, false, kTaskIdTitle, -1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "list " << c.list << ", " << c.keys.size() << " keys");
    TaskKillAll();
    g_phaseToggles = 0;
    PlaceTask(kSlotWalkerFirst, kTaskIdWalker);
    const bool battle = c.list >= kMenuListBattleMain;
    if (battle) {
      for (const auto& t : kBattleTasks) PlaceTask(t.slot, t.id);
      TaskSetModeAll(kTaskModeStop);  // the battle's start stopped and hid everything
      for (const auto& t : kBattleTasks) TaskSetModeById(t.id, kTaskModePause);
      ASSERT_EQ(MenuTaskCreateList(c.list, 1), 1);
    } else {
      ASSERT_EQ(FieldMenuOpen(), 1);
    }
    Keys(c.keys);
    Update();
    EXPECT_EQ(Menu() ? ListShown() : -1, c.listAfter);
    EXPECT_EQ(Menu() ? Menu()->cursor : 0, 0) << "a list starts on its first entry";
    EXPECT_EQ(Running(kSlotWalkerFirst), c.fieldRuns);
    EXPECT_EQ(!c.opened || TaskExists(c.opened), true);
    EXPECT_EQ(TaskExists(kTaskIdWalker), c.opened != kTaskIdTitle);
    const auto* save = Data<SaveScreenData>(kSlotSaveLoad, kTaskIdSaveLoad);
    EXPECT_EQ(save ? save->mode : -1, c.saveMode);
    EXPECT_EQ(g_phaseToggles, c.phaseToggles);
    if (!battle || Menu() || c.opened) continue;
    for (const auto& t : kBattleTasks) EXPECT_TRUE(Running(t.slot)) << t.id;
    EXPECT_FALSE(g_taskPool[kSlotWalkerFirst].drawOn) << "the field stays hidden";
  }
}

TEST_F(ChoiceMenuTest, AQuestionIsDrawnInTheSameWindowStartingOnNo) {
  ASSERT_EQ(FieldMenuOpen(), 1);
  Keys({kKeyUp, kKeyEnter});
  const auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasMenuWindowTwo), Pos(2.0f, 94.0f));
  EXPECT_FALSE(Has(sprites, kAtlasMenuWindowTall));
  const auto centred = [](const AtlasRect& r) {
    return RoundToNearest(2.0f + (RectWidth(kAtlasMenuWindowTwo) - RectWidth(r)) / 2.0f);
  };
  EXPECT_EQ(At(sprites, kAtlasMenuQuitHeading), Pos(centred(kAtlasMenuQuitHeading), 100.0f));
  EXPECT_EQ(At(sprites, kAtlasAnswerNo), Pos(centred(kAtlasAnswerNo), 129.0f));
  EXPECT_EQ(At(sprites, kAtlasAnswerYes), Pos(centred(kAtlasAnswerYes), 156.0f));
  EXPECT_EQ(At(sprites, kAtlasMenuCursor), Pos(6.0f, 129.0f));
}

TEST_F(ChoiceMenuTest, ASecondMenuOrABadListIsRefusedAndASaveScreenThatCannotOpenResumes) {
  PlacePausedField();
  constexpr int32_t kBad[] = {0, 15};
  EXPECT_EQ(MenuTaskCreate(2, 94, 2, 0, kBad, kColourOpaque, kAtlasMenuWindowTwo, kAtlasMenuHeading), 0);
  EXPECT_EQ(MenuTaskCreate(2, 94, 0, 0, kBad, kColourOpaque, kAtlasMenuWindowTwo, kAtlasMenuHeading), 0);
  ASSERT_EQ(MenuTaskCreateList(kMenuListFieldMain, 0), 1);
  Keys({kKeyDown, kKeyDown});
  EXPECT_EQ(MenuTaskCreateList(kMenuListBattleMain, 1), 0);
  EXPECT_EQ(TaskData<MenuData>(&g_taskPool[kSlotChoiceMenu])->cursor, 2) << "the menu that exists is untouched";
  PlaceTask(kSlotSaveLoad, kTaskIdEvent);  // the save screen cannot open
  Press(kKeyEnter);
  EXPECT_FALSE(TaskExists(kTaskIdChoiceMenu));
  EXPECT_TRUE(Running(kSlotWalkerFirst) && Running(kSlotFieldView));
}

}  // namespace
