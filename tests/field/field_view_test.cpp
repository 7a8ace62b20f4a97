#include "field/field_view.h"

#include <gtest/gtest.h>

#include <cmath>
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
#include "platform/recording/gpu_recording.h"
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

// The field on a crafted map, with a distinct stand-in for every world texture so each
// face can be told by its texture.
class FieldViewTest : public test::FieldTest {
 protected:
  void Open(const test::TestMap& map, int column = 0, int row = 0) {
    FieldTest::Open(map, column, row);
    for (auto& t : g_textures) t = g_device->CreateTexture(plat::Image{1, 1, {0xFFFFFFFF}});
    for (Plane& p : g_frustumPlanes) p = {0, 0, 0, 0};
  }
  // The world quads of one direct call of DrawFieldMap.
  static std::vector<plat::DrawRecord> DrawMap(float waterLevel = -1.5f) {
    plat::RecordingDevice* device = plat::CurrentRecordingDevice();
    device->current.clear();
    DrawFieldMap(waterLevel);
    std::vector<plat::DrawRecord> quads;
    for (const plat::DrawRecord& r : device->current) {
      if (r.kind == plat::DrawRecord::Kind::World) quads.push_back(r);
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

TEST_F(FieldViewTest, NoFaceTowardTheOutsideOrAcrossARowEnd) {
  test::TestMap map = test::MapFloor(3, 2);
  map.tiles = {4, 4, 16, 15, 4, 4};  // cell 2 ends row 0, cell 3 starts row 1
  Open(map);
  int faces = 0;
  for (const plat::DrawRecord& r : DrawMap()) {
    if (Flat(r)) continue;
    ++faces;
    const bool acrossZ = r.world[0].x == r.world[1].x;
    const float off = acrossZ ? std::fabs(r.world[0].x) : std::fabs(r.world[0].z);
    EXPECT_LT(off, acrossZ ? 3.0f : 2.0f) << "a face on the map's rim";
  }
  // Cell 2 (code 16) borders cell 1 and cell 5; cell 3 (code 15) borders cells 0 and 4.
  EXPECT_EQ(faces, 8);
  for (const plat::DrawRecord& r : DrawMap()) {
    if (Flat(r) && r.world[0].y == 4.0f && r.world[0].x == 1.0f) {
      EXPECT_EQ(TextureOf(r), 20);
    }
  }
}

TEST_F(FieldViewTest, WaterShowsItsBedAndAMovingSurface) {
  test::TestMap map = test::MapFloor(2, 1);
  map.tiles = {45, 50};
  Open(map);
  const std::vector<plat::DrawRecord> quads = DrawMap(-1.3f);
  ASSERT_GE(quads.size(), 2u);
  EXPECT_TRUE(Flat(quads[0]));
  EXPECT_FLOAT_EQ(quads[0].world[0].y, -1.3f) << "the surface is drawn first";
  EXPECT_EQ(TextureOf(quads[0]), kTextureWater);
  EXPECT_FLOAT_EQ(quads[1].world[0].y, -2.0f) << "then the bed";
  for (const plat::DrawRecord& r : quads) {
    EXPECT_LT(r.world[0].x, 0.5f) << "code 50 draws nothing";
  }
  EXPECT_EQ(g_collisionLayer[1], kCollisionWall) << "yet it blocks";
}

TEST_F(FieldViewTest, WaterCycleRisesAndFallsOver88Frames) {
  EXPECT_FLOAT_EQ(WaterLevelAt(0), -2.0f);
  EXPECT_FLOAT_EQ(WaterLevelAt(3), -2.0f);
  EXPECT_FLOAT_EQ(WaterLevelAt(4), -1.9f);
  EXPECT_FLOAT_EQ(WaterLevelAt(39), -1.1f);
  for (int i = 40; i < 48; ++i) EXPECT_FLOAT_EQ(WaterLevelAt(i), -1.0f) << i;
  EXPECT_FLOAT_EQ(WaterLevelAt(48), -1.1f);
  for (int i = 84; i < 88; ++i) EXPECT_FLOAT_EQ(WaterLevelAt(i), -2.0f) << i;
  MapViewData view{1, 0.0f, 87};
  EXPECT_FLOAT_EQ(WaterLevelNext(&view), -2.0f);
  EXPECT_EQ(view.waterIndex, 0);
  Open(test::MapFloor(2, 2));
  const MapViewData* live = TaskData<MapViewData>(&g_taskPool[kSlotFieldView]);
  const int start = live->waterIndex;
  Game().Frames(88);
  EXPECT_EQ(live->waterIndex, start);
}

TEST_F(FieldViewTest, CellsOutsideTheFrustumAreNotDrawn) {
  test::TestMap map = test::MapFloor(20, 1);
  map.tiles[2] = 45;
  map.tiles[17] = 45;
  Open(map);
  g_frustumPlanes[3] = {-1.0f, 0.0f, 0.0f, 0.0f};  // keeps x below 0, give or take a radius
  int tops = 0, water = 0;
  for (const plat::DrawRecord& r : DrawMap()) {
    if (!Flat(r)) continue;
    EXPECT_LE(r.world[0].x, 3.0f) << "a cell whose sphere lies wholly past the plane";
    if (r.world[0].y == -1.5f) {
      ++water;
    } else {
      ++tops;
    }
  }
  EXPECT_EQ(tops, 12) << "corners -20 to 2: the sphere reaches 4 past its centre";
  EXPECT_EQ(water, 1);
}

TEST_F(FieldViewTest, PlaceNamesPerMap) {
  Open(test::MapFloor(2, 2));
  plat::RecordingDevice* device = plat::CurrentRecordingDevice();
  auto drawn = [&](int map) {
    device->current.clear();
    DrawPlaceName(4.0f, 2.0f, map);
    return device->current;
  };
  EXPECT_TRUE(drawn(-1).empty());
  EXPECT_TRUE(drawn(14).empty());
  EXPECT_EQ(drawn(0)[0].screen[0].u, drawn(2)[0].screen[0].u) << "maps 0 and 2 are one place";
  EXPECT_EQ(drawn(8)[0].screen[0].v, drawn(9)[0].screen[0].v) << "so are 8 and 9";
  EXPECT_NE(drawn(0)[0].screen[0].v, drawn(1)[0].screen[0].v);
}

TEST_F(FieldViewTest, TexturedBlockHasATopAndFourSides) {
  Open(test::MapFloor(2, 2));
  plat::RecordingDevice* device = plat::CurrentRecordingDevice();
  device->current.clear();
  DrawTexturedBlock(3.0f, 5.0f, 4.0f, 20, 26);
  ASSERT_EQ(device->current.size(), 5u);
  EXPECT_FLOAT_EQ(device->current[0].world[0].x, 2.0f);
  EXPECT_FLOAT_EQ(device->current[0].world[0].z, 6.0f);
  EXPECT_FLOAT_EQ(device->current[0].world[2].x, 4.0f);
  EXPECT_FLOAT_EQ(device->current[0].world[2].z, 4.0f);
  EXPECT_EQ(TextureOf(device->current[0]), 20);
  for (size_t i = 1; i < 5; ++i) {
    EXPECT_EQ(TextureOf(device->current[i]), 26);
    EXPECT_FLOAT_EQ(device->current[i].world[3].y, -2.0f);
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
