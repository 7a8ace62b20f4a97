#include "menu/choice_menu.h"

#include <gtest/gtest.h>

#include "menu/menu_test_support.h"
#include "menu/party_menu.h"

namespace {

// The battle's own tasks in slots of their kinds, and a field walker under them.
constexpr struct {
  int slot;
  int32_t id;
} kBattleTasks[] = {{20, kTaskIdBattleCursor}, {21, kTaskIdBattleUnit},  {kSlotBattle, kTaskIdBattle},
                    {440, kTaskIdPopupSprite},  {441, kTaskIdDamageDigits}, {22, kTaskIdEffect3D}};

int32_t g_saveMode = -1;
int g_phaseToggles = 0;

enum Outcome { kStays, kFieldResumed, kBattleResumed, kPartyMenu, kSaveScreen, kTitle, kPhaseEnded };

struct Case {
  const char* name;
  int list;
  std::vector<int> keys;
  Outcome outcome;
  int listAfter;  // kStays: the list now shown; kSaveScreen: the mode
};

class ChoiceMenuTest : public test::MenuTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    g_saveMode = -1;
    g_phaseToggles = 0;
    g_flow.openSaveScreen = [](int32_t mode) {
      g_saveMode = mode;
      return 1;
    };
    g_flow.battlePhaseToggle = [] { ++g_phaseToggles; };
  }
  static MenuData* Menu() { return Data<MenuData>(kSlotChoiceMenu, kTaskIdChoiceMenu); }
  static bool BattleRunning() {
    for (const auto& t : kBattleTasks) {
      if (!Running(t.slot)) return false;
    }
    return true;
  }
};

TEST_P(ChoiceMenuTest, EntriesRunTheirActions) {
  const Case& c = GetParam();
  const bool battle = c.list >= kMenuListBattleMain;
  PlaceTask(kSlotWalkerFirst, kTaskIdWalker);
  if (battle) {
    for (const auto& t : kBattleTasks) PlaceTask(t.slot, t.id);
    TaskSetModeAll(kTaskModeStop);  // the battle stopped and hid the field
    TaskSetModeById(kTaskIdWalker, kTaskModeStop);
    for (const auto& t : kBattleTasks) TaskSetModeById(t.id, kTaskModePause);
    ASSERT_EQ(MenuTaskCreateList(c.list, 1), 1);
  } else {
    ASSERT_EQ(FieldMenuOpen(), 1);
  }
  Keys(c.keys);
  Update();
  switch (c.outcome) {
    case kStays:
      ASSERT_NE(Menu(), nullptr);
      EXPECT_EQ(Menu()->actions, g_menuActionLists[c.listAfter].actions);
      EXPECT_EQ(Menu()->count, g_menuActionLists[c.listAfter].count);
      EXPECT_EQ(Menu()->cursor, 0) << "a new list starts on its first entry";
      EXPECT_FALSE(Running(kSlotWalkerFirst));
      break;
    case kFieldResumed:
    case kBattleResumed:
    case kPhaseEnded:
      EXPECT_EQ(Menu(), nullptr);
      EXPECT_EQ(Running(kSlotWalkerFirst), c.outcome == kFieldResumed);
      if (battle) {
        EXPECT_TRUE(BattleRunning());
        EXPECT_FALSE(g_taskPool[kSlotWalkerFirst].drawOn) << "the field stays hidden";
      }
      EXPECT_EQ(g_phaseToggles, c.outcome == kPhaseEnded ? 1 : 0);
      break;
    case kPartyMenu:
    case kSaveScreen:
      EXPECT_EQ(Menu(), nullptr);
      EXPECT_EQ(TaskExists(kTaskIdPartyMenu), c.outcome == kPartyMenu);
      EXPECT_EQ(g_saveMode, c.outcome == kSaveScreen ? c.listAfter : -1);
      EXPECT_FALSE(Running(kSlotWalkerFirst)) << "the next screen takes over the paused game";
      break;
    case kTitle:
      EXPECT_TRUE(TaskExists(kTaskIdTitle));
      EXPECT_FALSE(TaskExists(kTaskIdWalker));
      EXPECT_FALSE(TaskExists(kTaskIdChoiceMenu));
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ChoiceMenuTest,
    ::testing::Values(Case{"FieldClose", kMenuListFieldMain, {kKeyEnter}, kFieldResumed, 0},
                      Case{"EscapeDoesNothing", kMenuListFieldMain, {kKeyEscape, kKeyEscape}, kStays, 0},
                      Case{"Party", kMenuListFieldMain, {kKeyDown, kKeyZ}, kPartyMenu, 0},
                      Case{"Save", kMenuListFieldMain, {kKeyDown, kKeyDown, kKeyEnter}, kSaveScreen, 0},
                      Case{"Load", kMenuListFieldMain, {kKeyUp, kKeyUp, kKeyEnter}, kSaveScreen, 1},
                      Case{"QuitAsks", kMenuListFieldMain, {kKeyUp, kKeyEnter}, kStays, kMenuListFieldQuit},
                      Case{"QuitNo", kMenuListFieldMain, {kKeyUp, kKeyEnter, kKeyEnter}, kStays, kMenuListFieldMain},
                      Case{"QuitYes", kMenuListFieldMain, {kKeyUp, kKeyEnter, kKeyDown, kKeyEnter}, kTitle, 0},
                      Case{"BattleClose", kMenuListBattleMain, {kKeyEnter}, kBattleResumed, 0},
                      Case{"EndPhaseAsks", kMenuListBattleMain, {kKeyDown, kKeyEnter}, kStays, kMenuListEndPhase},
                      Case{"EndPhaseNo", kMenuListBattleMain, {kKeyDown, kKeyEnter, kKeyEnter}, kStays,
                           kMenuListBattleMain},
                      Case{"EndPhaseYes", kMenuListBattleMain, {kKeyDown, kKeyEnter, kKeyDown, kKeyEnter},
                           kPhaseEnded, 0},
                      Case{"BattleQuitNo", kMenuListBattleMain, {kKeyUp, kKeyEnter, kKeyEnter}, kStays,
                           kMenuListBattleMain},
                      Case{"BattleQuitYes", kMenuListBattleMain, {kKeyUp, kKeyEnter, kKeyDown, kKeyEnter}, kTitle, 0},
                      Case{"EnemyPhaseNo", kMenuListEnemyPhase, {kKeyEnter}, kBattleResumed, 0},
                      Case{"EnemyPhaseYes", kMenuListEnemyPhase, {kKeyDown, kKeyEnter}, kTitle, 0}),
    [](const ::testing::TestParamInfo<Case>& p) { return std::string(p.param.name); });

using ChoiceMenuRulesTest = test::MenuTest;

TEST_F(ChoiceMenuRulesTest, AQuestionIsDrawnInTheSameWindowStartingOnNo) {
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

TEST_F(ChoiceMenuRulesTest, ASecondMenuOrABadListIsRefusedAndASaveScreenThatCannotOpenResumes) {
  PlacePausedField();
  constexpr int32_t kBad[] = {0, 15};
  EXPECT_EQ(MenuTaskCreate(2, 94, 2, 0, kBad, kColourOpaque, kAtlasMenuWindowTwo, kAtlasMenuHeading), 0);
  EXPECT_EQ(MenuTaskCreate(2, 94, 0, 0, kBad, kColourOpaque, kAtlasMenuWindowTwo, kAtlasMenuHeading), 0);
  ASSERT_EQ(MenuTaskCreateList(kMenuListFieldMain, 0), 1);
  Keys({kKeyDown, kKeyDown});
  EXPECT_EQ(MenuTaskCreateList(kMenuListBattleMain, 1), 0);
  EXPECT_EQ(TaskData<MenuData>(&g_taskPool[kSlotChoiceMenu])->cursor, 2) << "the menu that exists is untouched";
  Press(kKeyEnter);  // save, with no save screen to open
  EXPECT_FALSE(TaskExists(kTaskIdChoiceMenu));
  EXPECT_TRUE(Running(kSlotWalkerFirst) && Running(kSlotFieldView));
}

}  // namespace
