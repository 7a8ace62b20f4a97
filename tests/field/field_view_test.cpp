#include "field/field_view.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/settings.h"
#include "support/field_world.h"
#include "support/sprites.h"

namespace {

// The screen sprites of the last frame whose top edge is at y.
std::vector<test::Sprite> DrawnAtY(float y) {
  std::vector<test::Sprite> out;
  for (const test::Sprite& s : test::ScreenSprites(plat::CurrentRecordingDevice()->lastFrame)) {
    if (s.y == y) out.push_back(s);
  }
  return out;
}

bool DrawnAt(const std::vector<test::Sprite>& sprites, const AtlasRect& rect, float x) {
  for (const test::Sprite& s : test::Find(sprites, rect)) {
    if (s.x == x) return true;
  }
  return false;
}

using FieldViewTest = test::FieldTest;

TEST_F(FieldViewTest, HudShowsPlaceNameBarAndIndicatorAndHidesForShopsInnsAndEvents) {
  Open(test::MapFloor(4, 4), 0, 0);
  Game().Frames(1);
  const std::vector<test::Sprite> bar = DrawnAtY(464.0f);
  EXPECT_TRUE(DrawnAt(bar, kAtlasFieldBar, 0.0f));
  EXPECT_EQ(bar.front().colour, 0x64FFFFFFu) << "the bar is translucent";
  EXPECT_TRUE(DrawnAt(bar, kAtlasHudMenuKey, 0.0f));
  EXPECT_TRUE(DrawnAt(bar, kAtlasHudAutoKey, 160.0f));
  EXPECT_TRUE(DrawnAt(bar, kAtlasHudMoney, 480.0f));
  EXPECT_TRUE(DrawnAt(bar, kAtlasHudAutoOff, 300.0f));
  EXPECT_TRUE(DrawnAt(DrawnAtY(2.0f), kAtlasPlaceLuna, 4.0f));
  g_settings.autoBattle = 1;
  Game().Frames(1);
  EXPECT_TRUE(DrawnAt(DrawnAtY(464.0f), kAtlasHudAutoOn, 300.0f));
  for (auto [slot, id] : {std::pair{kSlotShop, kTaskIdShop}, {kSlotInn, kTaskIdInn}, {kSlotEvent, kTaskIdEvent}}) {
    test::PlaceStandIn(slot, id);
    Game().Frames(1);
    EXPECT_TRUE(DrawnAtY(464.0f).empty()) << "id " << id;
    EXPECT_TRUE(DrawnAt(DrawnAtY(2.0f), kAtlasPlaceLuna, 4.0f)) << "the place name stays";
    g_taskPool[slot].inUse = 0;
    Game().Frames(1);
    EXPECT_FALSE(DrawnAtY(464.0f).empty());
  }
}

}  // namespace
