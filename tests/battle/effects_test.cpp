// The short effects around a battle: the encounter transition and the numbers that pop
// up over units.
#include <gtest/gtest.h>

#include "battle/battle_support.h"
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

}  // namespace
