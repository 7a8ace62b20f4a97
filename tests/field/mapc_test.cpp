#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "field/map.h"
#include "mapc/map_source.h"

namespace {

const char kLegend[] =
    "# test legend\n"
    "tile . 0 grass\n"
    "tile # 15 rock\n"
    "tile ~ 45 water\n";

// Fourteen small maps for the packer: source s takes slot 13 - s, is s + 1 wide and
// filled with tile code s.
std::vector<mapc::MapSource> FourteenMaps() {
  std::vector<mapc::MapSource> maps(14);
  for (int s = 0; s < 14; ++s) {
    mapc::MapSource& m = maps[static_cast<size_t>(s)];
    m.file = "map" + std::to_string(s);
    m.slot = 13 - s;
    m.width = s + 1;
    m.height = 2;
    m.area = static_cast<uint32_t>(s % 5);
    m.interval = static_cast<uint32_t>(10 + s);
    m.tiles.assign(static_cast<size_t>(2 * (s + 1)), static_cast<uint8_t>(s));
    m.events.assign(static_cast<size_t>(2 * (s + 1)), 0);
  }
  return maps;
}

class MapcTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mapc::ParseLegend(kLegend, "t.legend", legend_, error_)) << error_.text; }
  bool Parse(const std::string& text) { return mapc::ParseMap(text, "m.map", legend_, map_, error_); }
  // A map text: header lines, then the tile rows, then (if any) the event rows.
  static std::string Text(const std::string& header, const std::vector<std::string>& tiles,
                          const std::vector<std::string>& events = {}) {
    std::string t = header + "tiles\n";
    for (const std::string& row : tiles) t += row + "\n";
    t += "end\n";
    if (!events.empty()) {
      t += "events\n";
      for (const std::string& row : events) t += row + "\n";
      t += "end\n";
    }
    return t;
  }
  mapc::Legend legend_;
  mapc::MapSource map_;
  mapc::Error error_;
};

// Every refusal names the file and the line at fault.
TEST_F(MapcTest, RefusesWhatThePackCannotHoldWithFileAndLine) {
  const std::vector<std::string> twenty = {"ABCDEFGHIJ", "123456789K"};
  ASSERT_TRUE(Parse(Text("slot 0\n", {"..........", ".........."}, twenty))) << "events 1 to 20: " << error_.text;
  struct Case {
    const char* name;
    std::string text;
    const char* where;
    const char* says;
  };
  const std::string wide(201, '.');
  const std::vector<std::string> tooBig(200, wide);
  const Case cases[] = {
      {"a gap in the numbering", Text("slot 0\n", {"...."}, {"1.3."}), "m.map:5:", "event 2 is missing"},
      {"event 21", Text("slot 0\n", {"...."}, {"L..."}), "m.map:6:", "1 to 20"},
      {"one event on two cells", Text("slot 0\n", {"...", "..."}, {"1..", "..1"}), "m.map:8:", "more than one cell"},
      {"an unknown event mark", Text("slot 0\n", {"..."}, {".x."}), "m.map:6:", "unknown event mark"},
      {"an events grid of another size", Text("slot 0\n", {"...", "..."}, {"..."}), "m.map:6:", "not the size"},
      {"more than 40,000 cells", Text("slot 0\n", tooBig), "m.map:2:", "40000"},
      {"rows of different lengths", Text("slot 0\n", {"....", "...", "...."}), "m.map:4:", "row 1 has 3"},
      {"an unknown tile character", Text("slot 0\n", {"..", ".?"}), "m.map:4:", "unknown tile character '?'"},
      {"no slot", Text("area 1\n", {".."}), "m.map:1:", "no 'slot'"},
      {"slot 14", Text("slot 14\n", {".."}), "m.map:1:", "slot takes one number"},
      {"area 5", Text("slot 0\narea 5\n", {".."}), "m.map:2:", "area takes one number from 0 to 4"},
      {"a slot given twice", Text("slot 0\nslot 1\n", {".."}), "m.map:2:", "given twice"},
      {"an unknown line", Text("slot 0\nsize 3 3\n", {".."}), "m.map:2:", "unknown line"},
      {"no end", "slot 0\ntiles\n..\n", "m.map:2:", "no 'end'"},
      {"no rows", Text("slot 0\n", {}), "m.map:2:", "no rows"},
      {"a tile code above 255", "slot 0\ntile & 256 moss\n" + Text("", {"&"}), "m.map:2:", "0 to 255"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(Parse(c.text));
    EXPECT_EQ(error_.text.rfind(c.where, 0), 0u) << error_.text;
    EXPECT_NE(error_.text.find(c.says), std::string::npos) << error_.text;
  }
  mapc::Legend legend;
  EXPECT_FALSE(mapc::ParseLegend("tile . 0 grass\nfloor , 4\n", "t.legend", legend, error_));
  EXPECT_EQ(error_.text.rfind("t.legend:2:", 0), 0u) << error_.text;
}

// What the field camera would show wrong is refused with the file, line and column.
TEST_F(MapcTest, RefusesGapsWaterOnTheEdgeAndTooLittleSceneryForTheCamera) {
  const mapc::CameraReach reach = mapc::FieldCameraReach();
  // A room of floor with the leader's event in it, walled by rock as far as the camera
  // sees from every cell of the room, given in cells each way.
  auto framed = [&](int west, int north, int east, int south) {
    const int w = west + 3 + east, h = north + 3 + south;
    std::vector<std::string> rows(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '#'));
    for (int r = north; r < north + 3; ++r) rows[static_cast<size_t>(r)].replace(static_cast<size_t>(west), 3, "...");
    std::vector<std::string> events(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '.'));
    events[static_cast<size_t>(north + 1)][static_cast<size_t>(west + 1)] = '1';
    return std::pair{rows, events};
  };
  const auto fits = framed(reach.west, reach.north, reach.east, reach.south);
  ASSERT_TRUE(Parse(Text("slot 0\n", fits.first, fits.second))) << error_.text;
  EXPECT_TRUE(mapc::CheckScenery(map_, error_)) << error_.text;
  struct Case {
    const char* name;
    std::pair<std::vector<std::string>, std::vector<std::string>> map;
    const char* where;
    const char* says;
  };
  auto house = fits;
  house.first[1][3] = 'P';
  house.first[2][3] = '~';
  auto edge = fits;
  edge.first[0][5] = '~';
  const Case cases[] = {
      {"a house beside water", house, "m.map:5:", "column 3: house-plaster beside water"},
      {"water on the edge", edge, "m.map:4:", "column 5: water on the map's edge"},
      {"one cell short to the west", framed(reach.west - 1, reach.north, reach.east, reach.south),
       "m.map:", "from the west edge"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(Parse("slot 0\ntile P 30 house-plaster\n" + Text("", c.map.first, c.map.second))) << error_.text;
    EXPECT_FALSE(mapc::CheckScenery(map_, error_));
    EXPECT_EQ(error_.text.rfind(c.where, 0), 0u) << error_.text;
    EXPECT_NE(error_.text.find(c.says), std::string::npos) << error_.text;
  }
}

TEST_F(MapcTest, ReadsHeaderTilesAndEvents) {
  ASSERT_TRUE(
      Parse(Text("# a room\nslot 3\narea 2\ninterval 17\ntile & 12 sand\n", {"#.&#", "#~.#"}, {"....", "..1."})))
      << error_.text;
  EXPECT_EQ(map_.slot, 3);
  EXPECT_EQ(map_.area, 2u);
  EXPECT_EQ(map_.interval, 17u);
  EXPECT_EQ(map_.width, 4);
  EXPECT_EQ(map_.height, 2);
  EXPECT_EQ(map_.tiles, (std::vector<uint8_t>{15, 0, 12, 15, 15, 45, 0, 15}));
  EXPECT_EQ(map_.events, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 1, 0}));
}

TEST_F(MapcTest, PackIsWhatTheGameReads) {
  std::vector<uint8_t> pack;
  ASSERT_TRUE(mapc::BuildPack(FourteenMaps(), pack, error_)) << error_.text;
  for (int slot = 0; slot < 14; ++slot) {
    MapPackHeader header{};
    const uint8_t* layers = nullptr;
    ASSERT_EQ(MapPackFindRecord(pack.data(), pack.size(), slot, &header, &layers), 1) << slot;
    const int source = 13 - slot;
    EXPECT_EQ(header.width, static_cast<uint32_t>(source + 1));
    EXPECT_EQ(header.height, 2u);
    EXPECT_EQ(header.interval, static_cast<uint32_t>(10 + source));
    EXPECT_EQ(layers[0], source);
  }
}

TEST_F(MapcTest, PackNeedsEverySlotExactlyOnce) {
  std::vector<uint8_t> pack;
  std::vector<mapc::MapSource> maps = FourteenMaps();
  maps.pop_back();  // slot 0
  EXPECT_FALSE(mapc::BuildPack(maps, pack, error_));
  EXPECT_NE(error_.text.find("slot 0"), std::string::npos) << error_.text;
  maps = FourteenMaps();
  maps[1].slot = 13;
  EXPECT_FALSE(mapc::BuildPack(maps, pack, error_));
  EXPECT_NE(error_.text.find("map1: slot 13 is already taken by map0"), std::string::npos) << error_.text;
}

}  // namespace
