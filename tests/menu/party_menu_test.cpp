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
  // From entry 0 onto an entry, and confirm.
  void Choose(int32_t entry) {
    Keys(std::vector<int>(entry % 2, kKeyRight));
    Keys(std::vector<int>(entry / 2, kKeyDown));
    Press(kKeyEnter);
  }
};

TEST_F(PartyMenuTest, EntriesHandThePausedGameToTheirScreensWhichNeedMembersToStepThrough) {
  const struct {
    int32_t entry, slot, id, needsMembers;
  } screens[] = {{kPartyMenuStatus, kSlotStatus, kTaskIdStatus, true},
                 {kPartyMenuSkill, kSlotSkillMenu, kTaskIdSkillMenu, true},
                 {kPartyMenuItem, kSlotItemMenu, kTaskIdItemMenu, false},
                 {kPartyMenuOrder, kSlotPartyOrder, kTaskIdPartyOrder, true}};
  for (int32_t count : {4, 0}) {
    g_partyCount = count;
    for (const auto& s : screens) {
      SCOPED_TRACE(testing::Message() << "entry " << s.entry << ", " << count << " members");
      TaskKillAllBut(kTaskIdWalker);
      ASSERT_EQ(PartyMenuCreate(), 1);
      Choose(s.entry);
      const bool opens = count > 0 || !s.needsMembers;
      EXPECT_EQ(TaskSlotInUse(s.slot) && g_taskPool[s.slot].id == s.id, opens);
      EXPECT_EQ(Sounded(kSoundRefuse), !opens);
      EXPECT_FALSE(Running(kSlotWalkerFirst));
      if (!opens) continue;
      Keys({kKeyEscape});
      Update();
      EXPECT_EQ(Menu() ? Menu()->column + 2 * Menu()->row : -1, 0) << "back in a fresh menu";
    }
  }
}

TEST_F(PartyMenuTest, OptionsEndInTheFieldAndAScreenThatCannotOpenResumesIt) {
  for (const auto& [entry, busySlot] : {std::pair{kPartyMenuOptions, 0}, {kPartyMenuStatus, kSlotStatus}}) {
    TaskKillById(kTaskIdPartyMenu);
    TaskSetModeAll(kTaskModePause);
    if (busySlot) PlaceTask(busySlot, kTaskIdEvent);
    ASSERT_EQ(PartyMenuCreate(), 1);
    Choose(entry);
    EXPECT_EQ(Running(kSlotWalkerFirst), busySlot != 0);
    if (entry == kPartyMenuOptions) Press(kKeyEnter);  // the options screen ends
    EXPECT_TRUE(!Menu() && !TaskExists(kTaskIdOptions) && Running(kSlotWalkerFirst) && Running(kSlotFieldView));
  }
}

TEST_F(PartyMenuTest, EscapeClosesAtOnceAndTheClosePromptAsksFirstOnNo) {
  Press(kKeyEscape);
  EXPECT_TRUE(!Menu() && Running(kSlotWalkerFirst));
  TaskSetModeAll(kTaskModePause);
  ASSERT_EQ(PartyMenuCreate(), 1);
  Keys({kKeyRight, kKeyDown, kKeyLeft, kKeyUp, kKeyEnter});
  EXPECT_FALSE(Has(AtlasSprites(), kAtlasAskBox)) << "the prompt shows one frame after the confirm";
  Update();
  const auto sprites = AtlasSprites();
  EXPECT_EQ(At(sprites, kAtlasAskBox), Pos(RoundToNearest(CentreX(RectWidth(kAtlasAskBox))), 120.0f));
  EXPECT_EQ(Find(sprites, kAtlasMenuCursor).back().y, 151.0f) << "on No";
  Keys({kKeyEscape, kKeyDown, kKeyDown, kKeyEnter});
  EXPECT_EQ(Menu()->step, PartyMenuStepBegin) << "No goes back to the grid";
  Update();
  EXPECT_EQ(Menu()->column + 2 * Menu()->row, 0);
  Keys({kKeyEnter, kKeyLeft, kKeyEnter});
  EXPECT_TRUE(!Menu() && Running(kSlotWalkerFirst) && Running(kSlotFieldView));
}

}  // namespace
