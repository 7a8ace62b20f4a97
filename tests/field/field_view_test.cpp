#include "field/field_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/graphics.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "engine/task.h"
#include "field/map.h"
#include "platform/recording/gpu_recording.h"
#include "support/field_world.h"

namespace {

using Kind = plat::DrawRecord::Kind;

// The field on a crafted map, with a distinct stand-in for every world texture so each
// face can be told by its texture.
class FieldViewTest : public test::FieldTest {
 protected:
  void Open(const test::TestMap& map) {
    FieldTest::Open(map, 0, 0);
    plat::Image pixel;
    pixel.width = pixel.height = 1;
    pixel.pixels = {0xFFFFFFFF};
    for (auto& t : g_textures) t = g_device->CreateTexture(pixel);
    for (Plane& p : g_frustumPlanes) p = {0, 0, 0, 0};
  }
  // The world quads of one direct call of DrawFieldMap.
  std::vector<plat::DrawRecord> DrawMap(float waterLevel = -1.5f) {
    plat::RecordingDevice* device = plat::CurrentRecordingDevice();
    device->current.clear();
    DrawFieldMap(waterLevel);
    std::vector<plat::DrawRecord> quads;
    for (const plat::DrawRecord& r : device->current) {
      if (r.kind == Kind::World) quads.push_back(r);
    }
    return quads;
  }
  static bool Flat(const plat::DrawRecord& r) { return r.world[0].y == r.world[2].y; }
  static int TextureOf(const plat::DrawRecord& r) {
    for (int i = 0; i < kTextureCount; ++i) {
      if (r.texture == g_textures[i].get()) return i;
    }
    return -1;
  }
};

TEST_F(FieldViewTest, SideFacesOnlyWhereNeighbouringCodesDiffer) {
  test::TestMap map = test::MapFloor(3, 3);
  map.tiles = {4, 4, 4, 4, 15, 4, 4, 4, 4};
  Open(map);
  const std::vector<plat::DrawRecord> quads = DrawMap();
  int tops = 0, wallFaces = 0, floorFaces = 0;
  for (const plat::DrawRecord& r : quads) {
    if (Flat(r)) {
      ++tops;
      continue;
    }
    EXPECT_FLOAT_EQ(r.world[0].y - r.world[3].y, 6.0f);
    if (r.world[0].y == 4.0f) {
      ++wallFaces;  // the wall's faces hang from its top at 4 down to -2
      EXPECT_EQ(TextureOf(r), 2);
      EXPECT_FLOAT_EQ(r.world[3].y, -2.0f);
    } else {
      ++floorFaces;  // a floor's face toward the wall hangs from 0 to -6
      EXPECT_FLOAT_EQ(r.world[0].y, 0.0f);
    }
  }
  EXPECT_EQ(tops, 9);
  EXPECT_EQ(wallFaces, 4);
  EXPECT_EQ(floorFaces, 4) << "corner floors border only floors of their own code";
}

std::vector<plat::DrawRecord> ScreenQuadsAtY(float top) {
  std::vector<plat::DrawRecord> out;
  for (const plat::DrawRecord& r : plat::CurrentRecordingDevice()->lastFrame) {
    if (r.kind == Kind::Screen && r.screen[0].y == top - 0.5f) out.push_back(r);
  }
  return out;
}

bool DrawnFrom(const std::vector<plat::DrawRecord>& quads, const AtlasRect& rect, float x) {
  for (const plat::DrawRecord& r : quads) {
    if (r.screen[0].x == x - 0.5f && r.screen[0].u == rect.left / 2048.0f && r.screen[0].v == rect.top / 2048.0f) {
      return true;
    }
  }
  return false;
}

TEST_F(FieldViewTest, HudShowsPlaceNameBarAndIndicatorAndHidesForShopsInnsAndEvents) {
  Open(test::MapFloor(4, 4));
  field_->Game().Frames(1);
  std::vector<plat::DrawRecord> bar = ScreenQuadsAtY(464.0f);
  EXPECT_TRUE(DrawnFrom(bar, kAtlasFieldBar, 0.0f));
  EXPECT_EQ(bar.front().screen[0].colour, 0x64FFFFFFu) << "the bar is translucent";
  EXPECT_TRUE(DrawnFrom(bar, kAtlasHudMenuKey, 0.0f));
  EXPECT_TRUE(DrawnFrom(bar, kAtlasHudAutoKey, 160.0f));
  EXPECT_TRUE(DrawnFrom(bar, kAtlasHudMoney, 480.0f));
  EXPECT_TRUE(DrawnFrom(bar, kAtlasHudAutoOff, 300.0f));
  EXPECT_TRUE(DrawnFrom(ScreenQuadsAtY(2.0f), kAtlasPlaceLuna, 4.0f));
  g_settings.autoBattle = 1;
  field_->Game().Frames(1);
  EXPECT_TRUE(DrawnFrom(ScreenQuadsAtY(464.0f), kAtlasHudAutoOn, 300.0f));
  for (auto [slot, id] : {std::pair{kSlotShop, kTaskIdShop}, {kSlotInn, kTaskIdInn}, {kSlotEvent, kTaskIdEvent}}) {
    test::PlaceStandIn(slot, id);
    field_->Game().Frames(1);
    EXPECT_TRUE(ScreenQuadsAtY(464.0f).empty()) << "id " << id;
    EXPECT_TRUE(DrawnFrom(ScreenQuadsAtY(2.0f), kAtlasPlaceLuna, 4.0f)) << "the place name stays";
    g_taskPool[slot].inUse = 0;
    field_->Game().Frames(1);
    EXPECT_FALSE(ScreenQuadsAtY(464.0f).empty());
  }
}

}  // namespace
