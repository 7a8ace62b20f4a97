#include "field/map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "data/game_state.h"
#include "platform/bytes.h"
#include "support/field_world.h"
#include "support/harness.h"

namespace {

class MapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(MapBuffersAlloc(), 1);
    dir_ = test::MakeTempDir();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  // Writes the pack and loads map `map` from it.
  int Load(const test::Bytes& pack, int map = 0) {
    const std::string path = dir_ + "/mappack.dat";
    test::WriteFile(path, pack);
    g_mapNumber = map;
    return MapLoadPack(path.c_str());
  }
  void UseSize(int w, int h) {
    g_mapWidth = w;
    g_mapHeight = h;
  }
  std::string dir_;
};

TEST_F(MapTest, PositionsOffTheMapHaveNoCellAndReadAsWalls) {
  UseSize(10, 8);
  EXPECT_EQ(MapCellIndexChecked(10.0f, 0.0f), -1);  // the east edge itself
  EXPECT_EQ(MapCellIndexChecked(9.99f, 0.0f), 9 + 4 * 10);
  EXPECT_EQ(MapCellIndexChecked(-10.5f, 0.0f), -1);  // truncation alone would say column 0
  EXPECT_EQ(MapCellIndexChecked(0.0f, 8.5f), -1);
  EXPECT_EQ(MapCellIndexChecked(0.0f, -8.0f), -1);  // the south edge itself
  EXPECT_EQ(MapCellIndexChecked(std::nanf(""), 0.0f), -1);
  EXPECT_EQ(MapCollisionAt(11.0f, 1.0f), kCollisionWall);
  EXPECT_EQ(MapEventAt(11.0f, 1.0f), 0);
  MapSetCollision(11.0f, 1.0f, kCollisionTaken);  // would be the next row's first cell
  MapSetCollision(1.0f, -9.0f, kCollisionTaken);  // would be past the last row
  for (int i = 0; i < kMapMaxCells; ++i) ASSERT_EQ(g_collisionLayer[i], 0) << i;
  MapSetCollision(-9.0f, 7.0f, kCollisionTaken);
  EXPECT_EQ(g_collisionLayer[0], kCollisionTaken);
  EXPECT_EQ(MapCollisionAt(-9.0f, 7.0f), kCollisionTaken);
}

TEST_F(MapTest, LoadReadsTheRecordAndDerivesCollisionAndEventCount) {
  test::TestMap map = test::MapFloor(5, 2, 2, 17);
  map.tiles = {15, 14, 0x80, 0xFF, 16, 45, 50, 0, 4, 0x7F};
  map.events = {1, 20, 21, 0x80, 0xFF, 0, 2, 0, 0, 0};
  test::TestMap other = test::MapFloor(3, 3, 0, 9);
  ASSERT_EQ(Load(test::BuildMapPack({map, other})), 1);
  EXPECT_EQ(std::tuple(g_mapWidth, g_mapHeight, g_encounterArea, g_encounterInterval, g_encounterCountdown),
            std::tuple(5, 2, 2, 17, 17));
  EXPECT_EQ(std::vector<uint8_t>(g_collisionLayer, g_collisionLayer + 10),
            std::vector<uint8_t>({1, 0, 0, 0, 1, 1, 1, 0, 0, 1}));
  EXPECT_EQ(g_tileLayer[2], static_cast<int8_t>(-128));
  EXPECT_EQ(g_eventCount, 3) << "1, 20 and 2 count; 21, negative and 0 do not";

  g_encounterCountdown = 0;
  ASSERT_EQ(Load(test::BuildMapPack({map, other}), 1), 1);
  EXPECT_EQ(g_mapWidth, 3);
  EXPECT_EQ(g_encounterCountdown, 9) << "each load starts the countdown afresh";
  EXPECT_EQ(g_eventCount, 0);
  EXPECT_EQ(g_tileLayer[9], 0) << "the rest of the layers is cleared";
}

test::Bytes PutU32At(test::Bytes bytes, size_t at, uint32_t v) {
  if (at + 4 <= bytes.size()) StoreU32(bytes.data() + at, v);
  return bytes;
}

// Every record the layers or the encounter table cannot hold fails the load like a
// missing file, and nothing is read outside the file.
TEST_F(MapTest, RecordsTheGameCannotHoldAreRefused) {
  const test::Bytes good = test::BuildMapPack({test::MapFloor(4, 3)});
  const size_t record0 = 56;
  struct Case {
    const char* name;
    test::Bytes pack;
    int map;
  };
  test::TestMap big = test::MapFloor(201, 200);
  test::TestMap huge;  // 65536 x 65536 wraps to 0 cells in 32 bits
  huge.width = huge.height = 65536;
  test::Bytes cut = good;
  cut.resize(good.size() - 1);
  const Case cases[] = {
      {"map number below 0", good, -1},
      {"map number 14", good, 14},
      {"shorter than the table", test::Bytes(good.begin(), good.begin() + 40), 0},
      {"offset outside the file", PutU32At(good, 0, 0xFFFFFFF0u), 0},
      {"offset just past the end", PutU32At(good, 0, static_cast<uint32_t>(good.size() - 56)), 0},
      {"header cut short", PutU32At(good, 0, static_cast<uint32_t>(good.size() - 56 - 8)), 0},
      {"width 0", PutU32At(good, record0, 0), 0},
      {"height 0", PutU32At(good, record0 + 4, 0), 0},
      {"more than 40,000 cells", test::BuildMapPack({big, test::MapFloor(1, 1)}), 0},  // a file the game reads
      {"a size that wraps in 32 bits", test::BuildMapPack({huge}), 0},
      {"layers running past the end", cut, 13},
      {"encounter area 5", PutU32At(good, record0 + 8, 5), 0},
      {"encounter area far too large", PutU32At(good, record0 + 8, 0x80000000u), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_tileLayer[0] = 7;
    EXPECT_EQ(Load(c.pack, c.map), 0);
    EXPECT_EQ(g_tileLayer[0], 0) << "the load clears the layers first, whatever follows";
  }
  g_mapNumber = 0;
  EXPECT_EQ(MapLoadPack((dir_ + "/missing.dat").c_str()), 0);
  EXPECT_EQ(MapLoadPack(dir_.c_str()), 0) << "a folder is no file";
}

TEST_F(MapTest, CellCentresAndBordersNameTheirCell) {
  UseSize(10, 8);
  float x = 0, z = 0;
  MapCellToWorld(&x, &z);
  EXPECT_FLOAT_EQ(x, -9.0f);
  EXPECT_FLOAT_EQ(z, 7.0f);
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 10; ++c) {
      float cx = static_cast<float>(c), cz = static_cast<float>(r);
      MapCellToWorld(&cx, &cz);
      const int here = r * 10 + c;
      EXPECT_EQ(MapCellIndex(cx, cz), here);
      EXPECT_EQ(MapCellIndex(cx - 0.75f, cz), here) << "west, still inside";
      EXPECT_EQ(MapCellIndex(cx - 1.0f, cz), here) << "the west border belongs to the cell";
      EXPECT_EQ(MapCellIndex(cx, cz + 1.0f), here) << "the north border belongs to the cell";
      if (c + 1 < 10) {
        EXPECT_EQ(MapCellIndex(cx + 1.0f, cz), here + 1) << "1.0 east is the next cell";
      }
      if (r + 1 < 8) {
        EXPECT_EQ(MapCellIndex(cx, cz - 1.0f), here + 10) << "1.0 south is the next row";
      }
      EXPECT_EQ(MapCellIndexChecked(cx, cz), here);
    }
  }
}

TEST_F(MapTest, NeighboursAreBesideInTheRowOrTheColumnOnly) {
  UseSize(4, 3);
  EXPECT_EQ(MapNeighbourDirection(5, 6), 0);
  EXPECT_EQ(MapNeighbourDirection(5, 4), 180);
  EXPECT_EQ(MapNeighbourDirection(5, 1), 90);
  EXPECT_EQ(MapNeighbourDirection(5, 9), 270);
  EXPECT_EQ(MapNeighbourDirection(3, 4), -1) << "the end of row 0 and the start of row 1";
  EXPECT_EQ(MapNeighbourDirection(4, 3), -1);
  EXPECT_EQ(MapNeighbourDirection(5, 10), -1) << "diagonal";
  EXPECT_EQ(MapNeighbourDirection(5, 5), -1);
}

TEST_F(MapTest, LimitsThatTheLayersHoldLoad) {
  EXPECT_EQ(Load(test::BuildMapPack({test::MapFloor(200, 200, 4, 1)})), 1);
  EXPECT_EQ(g_encounterArea, 4);
  EXPECT_EQ(Load(test::BuildMapPack({test::MapFloor(1, 1)}), 13), 1);
}

TEST(MapPackTest, TheBuiltPackHoldsAll14Maps) {
  test::Bytes pack = test::ReadFile(test::BuildDataDir() + "/mappack.dat");
  ASSERT_FALSE(pack.empty());
  int withEncounters = 0;
  for (int m = 0; m < kMapCount; ++m) {
    MapPackHeader header{};
    const uint8_t* layers = nullptr;
    ASSERT_EQ(MapPackFindRecord(pack.data(), pack.size(), m, &header, &layers), 1) << "map " << m;
    if (header.area >= 1) ++withEncounters;
    if (m == 0) {
      EXPECT_EQ(header.area, 0u) << "no random battles in the village where a game starts";
    }
  }
  EXPECT_GE(withEncounters, 3);
}

}  // namespace
