#include "menu/party_menu.h"

#include <gtest/gtest.h>

#include "menu/item_menu.h"
#include "menu/menu_test_support.h"
#include "menu/party_order.h"
#include "menu/skill_menu.h"
#include "menu/status_screen.h"

namespace {

class PartyMenuTest : public test::MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    PlacePausedField();
    ASSERT_EQ(PartyMenuCreate(), 1);
    Update();  // the opening update reads no keys
  }
  static PartyMenuData* Menu() { return Data<PartyMenuData>(kSlotPartyMenu, kTaskIdPartyMenu); }
  // Moves the cursor from entry 0 onto an entry and confirms it.
  void Choose(int32_t entry) {
    if (entry % 2) Press(kKeyRight);
    for (int32_t r = 0; r < entry / 2; ++r) Press(kKeyDown);
    Press(kKeyEnter);
  }
};

struct Screen {
  int32_t entry;
  int slot;
  int32_t id;
  bool needsMembers;
};
constexpr Screen kScreens[] = {{kPartyMenuStatus, kSlotStatus, kTaskIdStatus, true},
                               {kPartyMenuSkill, kSlotSkillMenu, kTaskIdSkillMenu, true},
                               {kPartyMenuItem, kSlotItemMenu, kTaskIdItemMenu, false},
                               {kPartyMenuOrder, kSlotPartyOrder, kTaskIdPartyOrder, true}};

TEST_F(PartyMenuTest, EachEntryHandsThePausedGameToItsScreenAndComesBackOnEntryZero) {
  for (const Screen& s : kScreens) {
    SCOPED_TRACE(s.entry);
    Choose(s.entry);
    EXPECT_EQ(Menu(), nullptr);
    EXPECT_TRUE(TaskSlotInUse(s.slot) && g_taskPool[s.slot].id == s.id);
    EXPECT_FALSE(Running(kSlotWalkerFirst));
    Press(kKeyEscape);
    ASSERT_NE(Menu(), nullptr);
    EXPECT_FALSE(TaskSlotInUse(s.slot));
    Update();
    EXPECT_EQ(Menu()->column + 2 * Menu()->row, 0);
  }
}

TEST_F(PartyMenuTest, WithNoMembersTheScreensThatStepThroughThemAreRefused) {
  g_partyCount = 0;
  for (const Screen& s : kScreens) {
    SCOPED_TRACE(s.entry);
    TaskKillAllBut(kTaskIdWalker);
    ASSERT_EQ(PartyMenuCreate(), 1);
    Choose(s.entry);
    EXPECT_EQ(TaskSlotInUse(s.slot), !s.needsMembers);
    EXPECT_EQ(Sounded(kSoundRefuse), s.needsMembers);
    EXPECT_EQ(Menu() != nullptr, s.needsMembers);
  }
}

TEST_F(PartyMenuTest, AScreenThatCannotOpenResumesTheGame) {
  PlaceTask(kSlotStatus, kTaskIdEvent);
  Choose(kPartyMenuStatus);
  EXPECT_EQ(Menu(), nullptr);
  EXPECT_TRUE(Running(kSlotWalkerFirst) && Running(kSlotFieldView));
}

TEST_F(PartyMenuTest, OptionsOpenOverTheFieldAndEndInIt) {
  Choose(kPartyMenuOptions);
  EXPECT_EQ(Menu(), nullptr);
  ASSERT_TRUE(TaskExists(kTaskIdOptions));
  EXPECT_FALSE(Running(kSlotWalkerFirst));
  Press(kKeyEnter);
  EXPECT_FALSE(TaskExists(kTaskIdOptions));
  EXPECT_EQ(Menu(), nullptr);
  EXPECT_TRUE(Running(kSlotWalkerFirst) && Running(kSlotFieldView));
}

TEST_F(PartyMenuTest, EscapeClosesAtOnceAndTheClosePromptAsksFirstOnNo) {
  Press(kKeyEscape);
  EXPECT_EQ(Menu(), nullptr);
  EXPECT_TRUE(Running(kSlotWalkerFirst));

  TaskSetModeAll(kTaskModePause);
  ASSERT_EQ(PartyMenuCreate(), 1);
  Keys({kKeyRight, kKeyDown, kKeyLeft, kKeyUp, kKeyEnter});
  EXPECT_EQ(Menu()->step, PartyMenuClosePromptArm);
  EXPECT_FALSE(Has(AtlasSprites(), kAtlasAskBox)) << "the prompt shows one frame after the confirm";
  Update();
  auto sprites = AtlasSprites();
  const float boxX = RoundToNearest((640.0f - RectWidth(kAtlasAskBox)) / 2.0f);
  EXPECT_EQ(At(sprites, kAtlasAskBox), Pos(boxX, 120.0f));
  EXPECT_EQ(At(sprites, kAtlasAnswerNo), Pos(RoundToNearest((640.0f - RectWidth(kAtlasAnswerNo)) / 2.0f), 150.0f));
  EXPECT_EQ(Find(sprites, kAtlasMenuCursor).back().y, 151.0f);
  Keys({kKeyEscape, kKeyDown, kKeyDown, kKeyEnter});
  EXPECT_EQ(Menu()->step, PartyMenuStepBegin) << "No goes back to the grid";
  Update();
  EXPECT_EQ(Menu()->column + 2 * Menu()->row, 0);
  Keys({kKeyEnter, kKeyLeft, kKeyEnter});
  EXPECT_EQ(Menu(), nullptr);
  EXPECT_TRUE(Running(kSlotWalkerFirst) && Running(kSlotFieldView));
}

TEST_F(PartyMenuTest, ThePanelUnderTheMenuKeepsEveryValueOnItsMembersRow) {
  g_party[2].hp = 7;
  g_party[3].level = 31;
  const auto sprites = AtlasSprites();
  for (int i = 0; i < kPartyRows; ++i) {
    SCOPED_TRACE(i);
    const float rowY = 309.0f + 24.0f * static_cast<float>(i);
    EXPECT_EQ(NumberAt(sprites, 150, rowY), g_party[i].hp);
    EXPECT_EQ(NumberAt(sprites, 210, rowY), g_party[i].maxHp);
    EXPECT_EQ(NumberAt(sprites, 300, rowY), g_party[i].mp);
    EXPECT_EQ(NumberAt(sprites, 450, rowY), g_party[i].level);
    EXPECT_EQ(At(sprites, g_party[i].namePicture), Pos(20.0f, rowY - 1.0f));
  }
}

}  // namespace
