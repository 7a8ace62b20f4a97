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
};

TEST_F(SkillMenuTest, CastersAndSkillsThatCannotBeUsedAreRefused) {
  // The caster's status, level and MP, the keys from the first place of page 1, the skill
  // there (-1: an empty place), and whether it is cast.
  const struct {
    const char* what;
    int32_t status, level, mp;
    std::vector<int> keys;
    int32_t skill, accepted;
  } cases[] = {
      {"a caster that cannot act", kStatusCannotAct, 20, 300, {kKeyRight, kKeyRight}, 2, false},
      {"a poisoned caster heals", kStatusPoison, 20, 300, {kKeyRight, kKeyRight}, 2, true},
      {"a damage skill", 0, 99, 300, {}, 0, false},
      {"a level too low", 0, 24, 300, {kKeyDown}, 3, false},
      {"at the level", 0, 25, 300, {kKeyDown}, 3, true},
      {"too few magic points", 0, 20, 9, {kKeyRight, kKeyRight}, 2, false},
      {"just enough", 0, 20, 10, {kKeyRight, kKeyRight}, 2, true},
      {"Left pages onto the left column; an empty place", 0, 99, 300, {kKeyLeft, kKeyRight, kKeyRight}, -1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    g_party[0].status = c.status;
    g_party[0].level = c.level;
    g_party[0].mp = c.mp;
    Menu()->step = SkillMenuCasterBegin;
    Press(kKeyEnter);
    Keys(c.keys);
    Press(kKeyEnter);
    EXPECT_EQ(Sounded(kSoundRefuse), !c.accepted);
    EXPECT_EQ(Menu()->skill == c.skill && Menu()->step != SkillMenuPickSkill, c.accepted);
    if (c.skill < 0 || c.status) continue;
    EXPECT_EQ(Find(AtlasSprites(), g_skillTable[c.skill].name).at(0).colour == kColourDisabled, !c.accepted);
  }
}

TEST_F(SkillMenuTest, HealsAndCuresCostTheirPointsEvenWhenNotNeededAndTheHealOnEveryoneAsks) {
  g_party[2].hp = 20;
  g_party[1].status = kStatusPoison | kStatusCannotAct;
  Keys({kKeyEnter, kKeyRight, kKeyRight, kKeyEnter, kKeyDown, kKeyDown, kKeyEnter});
  EXPECT_EQ(g_party[2].hp, 120);
  EXPECT_EQ(g_party[0].mp, 290);
  EXPECT_TRUE(Sounded(kSoundRecover));
  Press(kKeyEnter);  // no key shortens the pause
  Updates(27);
  EXPECT_EQ(Menu()->step, SkillMenuWaitAfterCast);
  Update();
  Keys({kKeyEnter, kKeyEnter});  // the caster, at full health
  EXPECT_EQ(g_party[0].mp, 280);
  Updates(31);
  Keys({kKeyDown, kKeyEnter, kKeyDown, kKeyEnter});  // the cure of the cannot-act ailment
  EXPECT_EQ(g_party[1].status, kStatusPoison);
  EXPECT_EQ(g_party[0].mp, 260);
  g_party[0].level = 25;
  for (CharacterRecord& m : g_party) m.hp = 1;
  Updates(31);
  Keys({kKeyLeft, kKeyLeft, kKeyEnter, kKeyEnter});  // the heal on everyone: no, at once back on the grid
  Update();
  Keys({kKeyEnter, kKeyDown, kKeyEnter});
  for (const CharacterRecord& m : g_party) EXPECT_EQ(m.hp, 101);
  EXPECT_EQ(g_party[0].mp, 210) << "paid once";
}

}  // namespace
