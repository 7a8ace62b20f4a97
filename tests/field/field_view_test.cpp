#include "field/field_view.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/graphics.h"
#include "engine/settings.h"
#include "engine/util.h"
#include "field/map.h"
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

// Every kind of face in a scatter: floors of two kinds, walls, blocks of both heights,
// water.
test::TestMap MixedMap(int width, int height) {
  static constexpr char kKinds[] = ".#~HT_..~";
  std::vector<std::string> rows(static_cast<size_t>(height), std::string(static_cast<size_t>(width), '.'));
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c < width; ++c) rows[r][c] = kKinds[(c * 7 + r * 3 + c * r) % (sizeof kKinds - 1)];
  }
  return test::MapFromRows(rows);
}

// The field's own view, from `angle` round the look-at point.
void LookAt(float x, float z, float angle) {
  const float at[3] = {x, 0.0f, z};
  float eye[3] = {0.0f, kCameraHeight, 0.0f};
  PolarOffset(&eye[0], &eye[2], x, z, angle, kCameraDistance);
  CameraSetView(at, eye);
  FrustumUpdate();
}

// The faces drawn, each as its texture and corners.
std::vector<std::pair<const plat::Texture*, std::vector<float>>> Faces(const std::vector<plat::DrawRecord>& calls) {
  std::vector<std::pair<const plat::Texture*, std::vector<float>>> out;
  for (const plat::DrawRecord& d : calls) {
    std::vector<float> corners;
    for (const plat::WorldVertex& v : d.world) corners.insert(corners.end(), {v.x, v.y, v.z, v.u, v.v});
    out.emplace_back(d.texture, std::move(corners));
  }
  return out;
}

// What a test of every cell of the map draws: the water pass, then the tiles' pass.
void DrawTestingEveryCell(float waterLevel) {
  const auto x = [](int c) { return static_cast<float>(2 * c - g_mapWidth); };
  const auto z = [](int r) { return static_cast<float>(g_mapHeight - 2 * r); };
  for (int r = 0; r < g_mapHeight; ++r) {
    for (int c = 0; c < g_mapWidth; ++c) {
      if (g_tileLayer[r * g_mapWidth + c] == kTileWater) DrawWaterCell(x(c), waterLevel, z(r));
    }
  }
  for (int r = 0; r < g_mapHeight; ++r) {
    for (int c = 0; c < g_mapWidth; ++c) {
      if (g_tileLayer[r * g_mapWidth + c] >= 0 && g_tileLayer[r * g_mapWidth + c] <= kTileDrawnLast)
        DrawTile(c, r, x(c), z(r));
    }
  }
}

// The map view looks only at the cells the camera can reach, yet draws the faces, in
// the order, that testing every cell draws: wherever the camera stands over the map, at
// its edges and corners, off it, from any side, at the lowest and highest water, before
// any camera has set its planes, and with the start-up's first view.
TEST_F(FieldViewTest, DrawsWhatTestingEveryCellDrawsWhereverTheCameraLooks) {
  constexpr int kWidth = 61, kHeight = 47;
  Open(MixedMap(kWidth, kHeight), 30, 23);
  plat::RecordingDevice* recorder = plat::CurrentRecordingDevice();
  ASSERT_NE(recorder, nullptr);
  const auto compare = [&](const std::string& where, size_t fewestFaces) {
    for (float level : {WaterLevelAt(0), WaterLevelAt(40)}) {
      SCOPED_TRACE(where + " with the water at " + std::to_string(level));
      recorder->current.clear();
      DrawFieldMap(level);
      const auto drawn = Faces(recorder->current);
      recorder->current.clear();
      DrawTestingEveryCell(level);
      const auto expected = Faces(recorder->current);
      recorder->current.clear();
      EXPECT_GE(expected.size(), fewestFaces);
      EXPECT_EQ(drawn.size(), expected.size());
      EXPECT_TRUE(drawn == expected);
    }
  };
  const float west = static_cast<float>(-kWidth), east = static_cast<float>(kWidth);
  const float north = static_cast<float>(kHeight), south = static_cast<float>(-kHeight);
  const struct {
    const char* name;
    float x, z;
  } places[] = {
      {"the middle", 0.0f, 0.0f},
      {"the north-west corner", west, north},
      {"the north-east corner", east, north},
      {"the south-west corner", west, south},
      {"the south-east corner", east, south},
      {"the west edge", west + 1.0f, 3.0f},
      {"the east edge", east - 1.0f, -5.0f},
      {"the north edge", 7.0f, north - 1.0f},
      {"the south edge", -9.0f, south + 1.0f},
      {"past the west edge", west - 9.0f, 0.0f},
      {"past the north edge", 0.0f, north + 13.0f},
      {"past the south edge", 0.0f, south - 21.0f},
      {"far off the map", 400.0f, -300.0f},
  };
  for (const auto& place : places) {
    for (float angle : {270.0f, 0.0f, 90.0f, 180.0f, 225.0f}) {
      LookAt(place.x, place.z, angle);
      compare(std::string(place.name) + " from " + std::to_string(angle), 0);
    }
  }
  LookAt(0.0f, 0.0f, 270.0f);
  compare("the middle, for the count", 300);
  GraphicsSetupCamera();
  compare("the first view", 0);
  std::memset(g_frustumPlanes, 0, sizeof g_frustumPlanes);
  compare("no planes yet", static_cast<size_t>(kWidth * kHeight));
}

}  // namespace
