// A spell's hit through real OpenGL: the burst that holds over the struck foe lets the
// foe show through it, tinted.
#include <gtest/gtest.h>

#include <utility>

#include "battle/battle_support.h"
#include "engine/graphics.h"
#include "engine/shell.h"
#include "event/effect3d.h"

namespace {

class SpellGlTest : public test::FieldBattleTest {};

// Milva casts her flare on the foe by keys and it hits. While its burst holds round the
// foe, drawing the foe or not still changes the picture, and the burst tints the foe
// whichever of the two is drawn first.
TEST_F(SpellGlTest, TheFoeShowsThroughTheBurstOverIt) {
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
  ASSERT_TRUE(Game().RunUntil(
      [] {
        TaskSlot* effect = TaskFindById(kTaskIdEffect3D);
        return effect && TaskData<EffectData>(effect)->shape == kMeshLargeSphere;
      },
      200))
      << "the flare hits";
  Game().Frames(2);
  const void* target = test::Units(1).at(0);
  TaskSlot *foe = nullptr, *burst = nullptr;
  for (int i = kSlotObjectsFirst; i < kSlotObjectsEnd; ++i) {
    TaskSlot& s = g_taskPool[i];
    if (s.inUse && s.data == target) foe = &s;
    if (s.inUse && s.id == kTaskIdEffect3D && TaskData<EffectData>(&s)->shape == kMeshLargeSphere) burst = &s;
  }
  ASSERT_TRUE(foe && burst);
  // The burst drawn from a slot below the foe's, as when it takes the slot of a unit
  // that fell: it must still lie over the foe it holds.
  if (burst > foe) {
    std::swap(*burst, *foe);
    std::swap(burst, foe);
  }
  const auto drawn = [](TaskSlot* slot, int32_t shown) {
    slot->drawOn = shown;
    FrameRender();
    slot->drawOn = 1;
    return g_device->ReadFrame();
  };
  const plat::Image both = drawn(foe, 1), noFoe = drawn(foe, 0), noBurst = drawn(burst, 0);
  int foePixels = 0, tinted = 0;
  for (size_t i = 0; i < both.pixels.size(); ++i) {
    if (both.pixels[i] == noFoe.pixels[i]) continue;
    ++foePixels;
    tinted += both.pixels[i] != noBurst.pixels[i];
  }
  EXPECT_GT(foePixels, 300) << "the foe shows through the burst";
  EXPECT_GT(tinted, foePixels * 3 / 4) << "and is tinted by it";
}

}  // namespace
