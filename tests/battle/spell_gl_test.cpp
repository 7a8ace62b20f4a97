// A spell's hit through real OpenGL: the burst that holds over the struck foe glows
// from its rim and lets the foe show through it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "battle/battle_support.h"
#include "engine/draw.h"
#include "engine/graphics.h"
#include "engine/shell.h"
#include "event/effect3d.h"

namespace {

TaskSlot* SlotOf(const void* data) {
  for (int i = kSlotObjectsFirst; i < kSlotObjectsEnd; ++i) {
    if (g_taskPool[i].inUse && g_taskPool[i].data == data) return &g_taskPool[i];
  }
  return nullptr;
}

EffectData* Burst() {
  for (int i = kSlotObjectsFirst; i < kSlotObjectsEnd; ++i) {
    TaskSlot& s = g_taskPool[i];
    if (s.inUse && s.id == kTaskIdEffect3D && TaskData<EffectData>(&s)->shape == kMeshLargeSphere) {
      return TaskData<EffectData>(&s);
    }
  }
  return nullptr;
}

// The frame as it stands, drawn again with the foe and the burst shown or hidden.
plat::Image Drawn(TaskSlot* foe, bool foeShown, TaskSlot* burst, bool burstShown) {
  foe->drawOn = foeShown ? 1 : 0;
  burst->drawOn = burstShown ? 1 : 0;
  FrameRender();
  return g_device->ReadFrame();
}

int Change(uint32_t a, uint32_t b) {
  int sum = 0;
  for (int shift : {16, 8, 0})
    sum += std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF));
  return sum;
}

class SpellGlTest : public test::FieldBattleTest {};

// Milva casts her flare on the foe by keys and it hits. While its burst holds, the foe
// still changes the picture under it, and the burst changes the ground more at its rim
// than in its middle.
TEST_F(SpellGlTest, TheBurstOverAStruckFoeGlowsAndShowsItThrough) {
  test::ScriptedRandom random({1, 0, 87, 0, 50, 0});  // one foe on (12, 8); the hit
  Open({}, true);
  ASSERT_NO_FATAL_FAILURE(Encounter());
  ASSERT_NO_FATAL_FAILURE(ToPartyPhase());
  UnitData* milva = test::Units(0)[0];
  Game().Tap(kKeyRight, 4);
  Game().Tap(kKeyEnter, 4);
  int32_t count = 0;
  for (int i = 0; i < 8 && UnitCommandList(milva, &count)[milva->menuCursor] != kCommandSkill; ++i) {
    Game().Tap(kKeyDown);
  }
  Game().Tap(kKeyEnter);  // the skills, the flare first
  Game().Tap(kKeyEnter);
  for (int i = 0; i < 4; ++i) Game().Tap(kKeyRight, 4);
  Game().Tap(kKeyEnter);
  ASSERT_TRUE(Game().RunUntil([] { return Burst() != nullptr; }, 200)) << "the flare hits";
  Game().Frames(2);
  TaskSlot* foe = SlotOf(test::Units(1)[0]);
  TaskSlot* burst = SlotOf(Burst());
  ASSERT_TRUE(foe && burst);
  const plat::Image both = Drawn(foe, true, burst, true), burstAlone = Drawn(foe, false, burst, true);
  const plat::Image foeAlone = Drawn(foe, true, burst, false), neither = Drawn(foe, false, burst, false);

  int foePixels = 0, seenThrough = 0, burstPixels = 0;
  double cx = 0, cy = 0;
  for (size_t i = 0; i < neither.pixels.size(); ++i) {
    const bool foeThere = foeAlone.pixels[i] != neither.pixels[i];
    foePixels += foeThere;
    seenThrough += foeThere && both.pixels[i] != burstAlone.pixels[i];
    if (burstAlone.pixels[i] == neither.pixels[i]) continue;
    ++burstPixels;
    cx += static_cast<double>(i % 640);
    cy += static_cast<double>(i / 640);
  }
  ASSERT_GT(foePixels, 50) << "the foe is on the screen";
  EXPECT_GT(seenThrough * 10, foePixels * 9) << "the foe shows through the burst";
  ASSERT_GT(burstPixels, 5000) << "the burst is some 130 pixels across";
  // The mean change within a fifth of the burst's radius of its middle, and in its outer
  // tenth.
  const double radius = std::sqrt(burstPixels / 3.14159);
  double sums[2] = {}, counts[2] = {};
  for (size_t i = 0; i < neither.pixels.size(); ++i) {
    const double d =
        std::hypot(static_cast<double>(i % 640) - cx / burstPixels, static_cast<double>(i / 640) - cy / burstPixels);
    if (burstAlone.pixels[i] == neither.pixels[i] || (d > 0.2 * radius && d < 0.9 * radius)) continue;
    sums[d > radius / 2] += Change(burstAlone.pixels[i], neither.pixels[i]);
    ++counts[d > radius / 2];
  }
  ASSERT_TRUE(counts[0] > 0 && counts[1] > 0);
  EXPECT_GT(sums[1] / counts[1], 1.5 * sums[0] / counts[0]) << "brighter at the rim than in the middle";
}

}  // namespace
