// A spell's hit through real OpenGL: the burst that holds over the struck foe lets the
// foe show through it.
#include <gtest/gtest.h>

#include "battle/battle_support.h"
#include "engine/graphics.h"
#include "engine/shell.h"
#include "event/effect3d.h"

namespace {

class SpellGlTest : public test::FieldBattleTest {};

// Milva casts her flare on the foe by keys and it hits. While its burst holds round the
// foe, drawing the foe or not still changes the picture.
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
  TaskSlot* foe = &g_taskPool[kSlotObjectsFirst];
  while (foe < &g_taskPool[kSlotObjectsEnd] && foe->data != target) ++foe;
  ASSERT_LT(foe, &g_taskPool[kSlotObjectsEnd]);
  const auto drawn = [foe](int32_t shown) {
    foe->drawOn = shown;
    FrameRender();
    return g_device->ReadFrame();
  };
  const plat::Image shown = drawn(1), hidden = drawn(0);
  int changed = 0;
  for (size_t i = 0; i < shown.pixels.size(); ++i) changed += shown.pixels[i] != hidden.pixels[i];
  EXPECT_GT(changed, 300) << "the foe shows through the burst";
}

}  // namespace
