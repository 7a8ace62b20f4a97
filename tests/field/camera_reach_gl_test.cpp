// The scenery the map compiler asks for round every cell the leader can reach is what
// the field camera shows, through the real renderer: with it no pixel of the view is the
// void beyond the map; one cell less toward any edge and the void shows.
#include <gtest/gtest.h>

#include "engine/graphics.h"
#include "mapc/map_source.h"
#include "support/field_world.h"

namespace {

// Pure black in the scene: above the bar at the bottom, beside the place name.
int VoidPixels(const plat::Image& frame) {
  int count = 0;
  for (int y = 0; y < 460; ++y) {
    for (int x = y < 24 ? 160 : 0; x < frame.width; ++x) {
      count += frame.pixels[static_cast<size_t>(y * frame.width + x)] == 0xFF000000u;
    }
  }
  return count;
}

TEST(CameraReachGlTest, TheCompilersReachIsWhatTheFieldCameraShows) {
  const mapc::CameraReach reach = mapc::FieldCameraReach();
  struct Case {
    const char* name;
    int west, north, east, south;
    bool voidShows;
  };
  const Case cases[] = {
      {"the reach", reach.west, reach.north, reach.east, reach.south, false},
      {"a cell short to the west", reach.west - 1, reach.north, reach.east, reach.south, true},
      {"a cell short to the north", reach.west, reach.north - 1, reach.east, reach.south, true},
      {"a cell short to the east", reach.west, reach.north, reach.east - 1, reach.south, true},
      {"a cell short to the south", reach.west, reach.north, reach.east, reach.south - 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const test::TestMap map =
        test::MapFloor(static_cast<uint32_t>(c.west + 1 + c.east), static_cast<uint32_t>(c.north + 1 + c.south));
    test::FieldGame field(test::BuildMapPack({map}), {}, true);
    ASSERT_EQ(field.StartResult(), 1);
    ASSERT_TRUE(field.Enter(0, c.west, c.north, 90.0f));
    field.Game().Frames(2);
    EXPECT_EQ(VoidPixels(g_device->ReadFrame()) > 0, c.voidShows);
  }
}

}  // namespace
