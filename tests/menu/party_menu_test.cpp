#include "menu/party_menu.h"

#include <gtest/gtest.h>

#include "menu/menu_test_support.h"

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
  EXPECT_FALSE(test::Has(AtlasSprites(), kAtlasAskBox)) << "the prompt shows one frame after the confirm";
  Update();
  const auto cursors = test::Find(AtlasSprites(), kAtlasMenuCursor);
  ASSERT_FALSE(cursors.empty());
  EXPECT_EQ(cursors.back().y, 151.0f) << "on No, in the box at y 120";
  Keys({kKeyEscape, kKeyDown, kKeyDown, kKeyEnter, kKeyEnter});  // No goes back to entry 0: asks again
  ASSERT_NE(Menu(), nullptr);
  EXPECT_EQ(Menu()->step, PartyMenuClosePromptArm);
  Keys({kKeyLeft, kKeyEnter});
  EXPECT_TRUE(!Menu() && Running(kSlotWalkerFirst) && Running(kSlotFieldView));
}

}  // namespace
