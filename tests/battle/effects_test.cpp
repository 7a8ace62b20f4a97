// The short effects around a battle: the encounter transition and the numbers that pop
// up over units.
#include <gtest/gtest.h>

#include <cmath>

#include "battle/battle_support.h"
#include "battle/gauges.h"
#include "battle/transition.h"
#include "engine/camera.h"
#include "event/popup.h"

namespace {

class EffectsTest : public test::BattleWorld {
 protected:
  void SetUp() override {
    BattleWorld::SetUp();
    const float at[3] = {0, 0, 0}, eye[3] = {0, 60, -20};
    CameraSetView(at, eye);
  }
  // The screen sprites of the draw calls made since the recorder was cleared.
  std::vector<test::Sprite> Drawn() { return test::ScreenSprites(world_.recorder->current, nullptr, kAtlasSize); }
  // The popup digits of the row a draw pass put on the screen.
  std::vector<test::Sprite> Digits(int32_t row) {
    std::vector<test::Sprite> out;
    for (const auto& s : AtlasSprites()) {
      for (int d = 0; d < 10; ++d) {
        if (s.srcLeft == PopupDigitPicture(row, d).left && s.srcTop == PopupDigitPicture(row, d).top) out.push_back(s);
      }
    }
    return out;
  }
};

// Alone the wipe leaves the stopped field as it was; before a battle that cannot start
// (its slot is taken) it gives the field back instead of hiding everything for good.
TEST_F(EffectsTest, TheTransitionHidesTheFieldOnlyForABattleThatCanStart) {
  TaskSlot* field = PlaceTask(30, 4242);
  field->updateOn = 0;
  PlaceTask(kSlotBattle, 4242);
  for (int32_t noBattle : {1, 0}) {
    ASSERT_EQ(BattleTransitionStart(noBattle), 1);
    Updates(19);
    EXPECT_EQ(field->updateOn, 1 - noBattle);
    EXPECT_EQ(field->drawOn, 1);
  }
}

// A number is centred on the unit's screen point (the looked-at origin lands on the
// screen's centre), 1s 8 pixels wide and other digits 10, at most five digits; each
// digit jumps 6 updates after the one before.
TEST_F(EffectsTest, NumbersPopUpCentredDigitByDigit) {
  const struct {
    float value;
    int32_t row;
    std::vector<float> xs;
  } kCases[] = {{111, kPopupDamage, {308, 316, 324}},
                {123456, kPopupRecovery, {296, 304, 314, 324, 334}},
                {0, kPopupDamage, {315}}};
  for (const auto& k : kCases) {
    NumberPopupSpawn(0, 0, 0, k.value, k.row);
    const auto digits = Digits(k.row);
    ASSERT_EQ(digits.size(), k.xs.size()) << k.value;
    for (size_t i = 0; i < digits.size(); ++i) EXPECT_FLOAT_EQ(digits[i].x, k.xs[i]) << k.value;
    TaskKillAll();
  }
  NumberPopupSpawn(0, 0, 0, 111, kPopupDamage);
  auto* first = TaskData<NumberPopupDigitData>(&g_taskPool[kSlotEffectsFirst]);
  Updates(6);
  EXPECT_FLOAT_EQ(first->y, 240.0f - 21.0f) << "at the top of its jump";
  Updates(36);
  EXPECT_FLOAT_EQ(first->y, 240.0f) << "landed where it started";
  EXPECT_TRUE(g_taskPool[kSlotEffectsFirst].inUse);
  Updates(1);
  EXPECT_FALSE(g_taskPool[kSlotEffectsFirst].inUse) << "the first digit ends on its 43rd update";
  EXPECT_EQ(UpdatesUntil([] { return !TaskExists(kTaskIdDamageDigits); }), 11) << "the third on its 54th";
}

// The four pieces start 640 pixels out to the right, below, left and above, turn 40
// degrees an update and meet 32 pixels from the centre on the 19th update.
TEST_F(EffectsTest, TheTransitionSwingsInForNineteenUpdates) {
  ASSERT_EQ(BattleTransitionStart(1), 1);
  const auto* t = TaskData<BattleTransitionData>(&g_taskPool[kSlotEncounterTransition]);
  const float starts[4][2] = {{960, 240}, {320, 880}, {-320, 240}, {320, -400}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(t->quads[i].centreX, starts[i][0], 2.0f) << i;
    EXPECT_NEAR(t->quads[i].centreY, starts[i][1], 2.0f) << i;
    EXPECT_FLOAT_EQ(t->quads[i].angle, 90.0f * i + 40.0f);
  }
  // Corner 0 at the quad's angle then, plus 90 and 45.
  EXPECT_NEAR(t->quads[0].corners[0], 960.0 + 452.0 * std::cos(135.0 * 3.14 / 180.0), 0.01);
  EXPECT_EQ(BattleTransitionStart(1), 0);
  Updates(18);
  EXPECT_TRUE(TaskSlotInUse(kSlotEncounterTransition));
  Updates(1);
  EXPECT_FALSE(TaskSlotInUse(kSlotEncounterTransition));
  EXPECT_FLOAT_EQ(t->quads[2].radius, 32.0f);
}

TEST_F(EffectsTest, APictureRisesForFiftyUpdatesAndEffectsWithoutASlotAreNotShown) {
  ASSERT_EQ(PopupSpriteCreate(0, 0, 0, kAtlasPopupMiss), 1);
  const auto* p = TaskData<PopupSpriteData>(&g_taskPool[kSlotEffectsFirst]);
  EXPECT_FLOAT_EQ(p->x, 320.0f - 20.0f);
  Updates(10);
  EXPECT_FLOAT_EQ(p->y, 230.0f);
  EXPECT_EQ(UpdatesUntil([] { return !TaskExists(kTaskIdPopupSprite); }), 40);
  for (int i = kSlotEffectsFirst; i < kSlotEffectsEnd; ++i) PlaceTask(i, 4242);
  EXPECT_EQ(PopupSpriteCreate(0, 0, 0, kAtlasPopupMiss), 0);
  NumberPopupSpawn(0, 0, 0, 5, kPopupDamage);
  EXPECT_FALSE(TaskExists(kTaskIdDamageDigits));
}

// The share of the gauge rounds half away from zero; no maximum, no bar.
TEST_F(EffectsTest, GaugeWidthsRoundAndAZeroMaximumDrawsNoBar) {
  const int32_t kCases[][3] = {{200, 200, 36}, {0, 200, 0}, {1, 200, 0}, {100, 200, 18},
                               {3, 8, 14},     {5, 0, 0},   {5, -3, 0},  {250, 200, 36}};
  for (const auto& k : kCases) EXPECT_EQ(GaugeWidth(k[0], k[1]), k[2]) << k[0] << "/" << k[1];
}

// A party caster shows both gauges, its ailments and its boosts; an enemy only its hit
// points; a maximum of 0 leaves the frame empty.
TEST_F(EffectsTest, GaugesShowWhatTheUnitsSideAndClassCarry) {
  UnitData* caster = Place(0, 8, 8);
  caster->x = caster->y = caster->z = 0;  // on the screen centre
  caster->record.hp = 75;
  caster->record.mp = 150;
  caster->record.status = kStatusPoison | kStatusCannotAct;
  caster->guard = caster->magicGuard = 5;
  world_.recorder->current.clear();
  DrawUnitGauges(caster);
  auto sprites = Drawn();
  EXPECT_EQ(test::Find(sprites, kAtlasGaugeFrame).size(), 2u);
  EXPECT_EQ(test::At(sprites, kAtlasIconPoisonSmall), test::Pos(320, 235));
  EXPECT_EQ(test::At(sprites, kAtlasIconStunSmall), test::Pos(332, 235));
  EXPECT_EQ(test::At(sprites, kAtlasIconGuard), test::Pos(320, 264));
  EXPECT_EQ(test::At(sprites, kAtlasIconMagicGuard), test::Pos(352, 264));
  std::vector<std::pair<float, float>> bars;  // each bar cut to its width: top, width
  for (const auto& s : sprites) {
    if (s.srcLeft == kAtlasGaugeHpParty.left) bars.emplace_back(s.srcTop, s.w);
  }
  EXPECT_EQ(bars, (std::vector<std::pair<float, float>>{{kAtlasGaugeHpParty.top, 18}, {kAtlasGaugeMp.top, 18}}));
  UnitData* enemy = Place(4, 9, 8);
  enemy->record.maxHp = 0;
  enemy->guard = 5;
  world_.recorder->current.clear();
  DrawUnitGauges(enemy);
  sprites = Drawn();
  EXPECT_EQ(sprites.size(), 1u) << "the frame alone";
}

}  // namespace
