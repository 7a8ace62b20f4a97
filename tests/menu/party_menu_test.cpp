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

}  // namespace
