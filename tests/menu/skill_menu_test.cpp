#include "menu/skill_menu.h"

#include <gtest/gtest.h>

#include "data/skills.h"
#include "menu/menu_test_support.h"

namespace {

class SkillMenuTest : public test::MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    PlacePausedField();
    ASSERT_EQ(SkillMenuCreate(), 1);
  }
  static SkillMenuData* Menu() { return Data<SkillMenuData>(kSlotSkillMenu, kTaskIdSkillMenu); }
  // The first member as caster, then the grid cursor onto a place of page 1.
  void PickSkill(int32_t place) {
    Press(kKeyEnter);
    Keys(std::vector<int>(place % 3, kKeyRight));
    Keys(std::vector<int>(place / 3, kKeyDown));
    Press(kKeyEnter);
  }
};

TEST_F(SkillMenuTest, CastersAndSkillsThatCannotBeUsedAreRefused) {
  struct {
    const char* what;
    int32_t status, level, mp, place;
    bool accepted;
  } const cases[] = {
      {"a caster that cannot act", kStatusCannotAct, 20, 300, 2, false},
      {"a poisoned caster heals", kStatusPoison, 20, 300, 2, true},
      {"a damage skill", 0, 99, 300, 0, false},
      {"a guard skill", 0, 99, 300, 6, false},
      {"a level too low", 0, 24, 300, 3, false},
      {"at the level", 0, 25, 300, 3, true},
      {"too few magic points", 0, 20, 9, 2, false},
      {"just enough", 0, 20, 10, 2, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    g_party[0].status = c.status;
    g_party[0].level = c.level;
    g_party[0].mp = c.mp;
    Menu()->step = SkillMenuCasterBegin;
    PickSkill(c.place);
    EXPECT_EQ(Sounded(kSoundRefuse), !c.accepted);
    const SkillMenuStep next = c.place == 3 ? SkillMenuConfirmAllBegin : SkillMenuTargetBegin;
    EXPECT_EQ(Menu()->step == next, c.accepted);
    const bool translucent = Find(AtlasSprites(), g_skillTable[c.place].name)[0].colour == kColourDisabled;
    EXPECT_EQ(translucent, !c.accepted && c.status == 0);
  }
}

TEST_F(SkillMenuTest, EmptyPlacesOnTheSecondPageAreRefusedAndLeftPagesOntoTheLeftColumn) {
  Press(kKeyEnter);
  Press(kKeyLeft);
  EXPECT_EQ(Menu()->page, 1);
  EXPECT_EQ(Menu()->column, 0);
  Keys({kKeyRight, kKeyRight, kKeyEnter});  // place 11: empty
  EXPECT_TRUE(Sounded(kSoundRefuse));
  EXPECT_EQ(Menu()->step, SkillMenuPickSkill);
}

TEST_F(SkillMenuTest, AHealCostsItsPointsEvenAtFullHealthAndPausesThirtyFrames) {
  g_party[2].hp = 20;
  PickSkill(2);
  Keys({kKeyDown, kKeyDown, kKeyEnter});
  EXPECT_EQ(g_party[2].hp, 120);
  EXPECT_EQ(g_party[0].mp, 290);
  EXPECT_TRUE(Sounded(kSoundRecover));
  Press(kKeyEnter);  // no key shortens the pause
  Updates(27);
  EXPECT_EQ(Menu()->step, SkillMenuWaitAfterCast);
  Update();
  EXPECT_EQ(Menu()->step, SkillMenuSkillBegin);
  Keys({kKeyEnter, kKeyEnter});  // the same skill on the caster, at full health
  EXPECT_EQ(g_party[0].hp, g_party[0].maxHp);
  EXPECT_EQ(g_party[0].mp, 280);
  g_party[1].status = kStatusPoison | kStatusCannotAct;
  Updates(31);
  Keys({kKeyDown, kKeyEnter, kKeyDown, kKeyEnter});  // the cure of the cannot-act ailment
  EXPECT_EQ(g_party[1].status, kStatusPoison);
  EXPECT_EQ(g_party[0].mp, 260);
}

TEST_F(SkillMenuTest, TheHealOnEveryoneAsksAndNoCostsNothing) {
  g_party[0].level = 25;
  for (int i = 0; i < kPartyRows; ++i) g_party[i].hp = 1;
  PickSkill(3);
  Update();
  const float x = RoundToNearest(CentreX(RectWidth(kAtlasSkillAllHeading)));
  EXPECT_EQ(At(AtlasSprites(), kAtlasSkillAllHeading), Pos(x, 154.0f));
  Press(kKeyEnter);
  EXPECT_EQ(g_party[0].mp, 300);
  Updates(2);
  EXPECT_EQ(Menu()->step, SkillMenuPickSkill) << "back on the grid at once";
  Keys({kKeyEnter, kKeyDown, kKeyEnter});
  for (int i = 0; i < kPartyRows; ++i) EXPECT_EQ(g_party[i].hp, 101) << i;
  EXPECT_EQ(g_party[0].mp, 250) << "paid once";
  EXPECT_TRUE(Sounded(kSoundRecover));
}

}  // namespace
