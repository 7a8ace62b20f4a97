// The whole game played through the real program by keys alone, with the built data
// files and a fixed random seed: a new game and its opening, every map of the story in
// order, the battles on the way under auto-battle, a save, a return to the title and a
// load partway, the witch, and the ending roll back to the title. Each seed's battles go
// their own way; the story must reach its end with every one.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data/game_state.h"
#include "data/tasks.h"
#include "event/pack.h"
#include "field/map.h"
#include "game/flow.h"
#include "support/autopilot.h"
#include "support/harness.h"

namespace {

// An event of a map in story order, the answer to its choice, a flag it sets and the
// map the party stands on afterwards (-1: the title, after the ending). Event 0 saves,
// goes back to the title and loads the save again.
struct Step {
  int map, event, answer, flag, next;
};
constexpr Step kRoute[] = {
    {0, 2, 0, 0, 0},    // the road out is barred before the elder's request
    {0, 3, 0, 0, 2},    // the elder's door
    {2, 4, 1, 0, 2},    // his request, declined
    {2, 4, 0, 2, 2},    // and taken
    {2, 1, 0, 0, 0},    // out of his door
    {0, 2, 0, 3, 1},    // the road out, and the first look over the plain
    {1, 2, 0, 0, 3},    // into the wood
    {3, 3, 0, 4, 3},    // the charm in the glade
    {3, 2, 0, 0, 13},   // on to the shrine
    {13, 2, 0, 5, 13},  // the spirit's blessing
    {13, 1, 0, 0, 3},   // back through the wood
    {3, 1, 0, 0, 1},    // to the plain
    {1, 3, 0, 0, 4},    // the cave
    {4, 5, 0, 40, 4},   // the pit in the narrow way
    {4, 6, 0, 41, 4},   // the stone shot down it
    {4, 2, 0, 20, 4},   // the chest
    {4, 4, 0, 6, 4},    // the old stone
    {4, 0, 0, 0, 4},    // saved, and loaded from the title
    {4, 3, 0, 30, 7},   // the guardian, and the way up to the pass
    {7, 2, 0, 31, 5},   // the ambush, and down to the port
    {5, 4, 0, 0, 11},   // the boat over to the marsh
    {11, 1, 0, 0, 6},   // the ruins
    {6, 2, 0, 7, 6},    // their carving
    {6, 1, 0, 0, 11},   // back to the marsh
    {11, 4, 0, 0, 11},  // the lift to the east island
    {11, 2, 0, 0, 8},   // the castle
    {8, 2, 0, 32, 9},   // the stair's guards, and up
    {9, 2, 0, 0, 10},   // the door behind the throne
    {10, 2, 0, 0, 12},  // the star glass
    {12, 2, 0, 8, -1},  // the witch, and the ending
};

// The game started with the built data files in a folder of its own, where saves land.
class StoryTest : public ::testing::Test {
 protected:
  void Start(uint32_t seed) {
    for (const char* name : {"data.dat", "mappack.dat", "epack.dat"}) {
      std::filesystem::create_symlink(test::BuildDataDir() + "/" + name, dir_ + "/" + name);
    }
    game_ = std::make_unique<test::GameHarness>(test::GameHarness::Options{.seed = seed, .workDir = dir_});
    ASSERT_EQ(game_->Start(), 1);
  }
  void TearDown() override {
    game_.reset();
    std::filesystem::remove_all(dir_);
  }
  const std::string dir_ = test::MakeTempDir();
  std::unique_ptr<test::GameHarness> game_;
};

class PlaythroughTest : public StoryTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(PlaythroughTest, TheStoryIsPlayedToItsEndByKeys) {
  Start(GetParam());
  test::GameHarness& game = *game_;
  test::Autopilot pilot(game);
  ASSERT_TRUE(pilot.NewGame()) << test::AutopilotReport(game);
  std::set<int> flags = {1};
  for (const Step& step : kRoute) {
    SCOPED_TRACE("map " + std::to_string(step.map) + " event " + std::to_string(step.event));
    ASSERT_EQ(g_mapNumber, step.map);
    // From the cave on, random battles beat a party that walked straight there.
    pilot.calm = g_encounterArea >= 3;
    if (step.event == 0) {
      ASSERT_TRUE(pilot.SaveAndQuit(2)) << test::AutopilotReport(game);
      ASSERT_TRUE(pilot.Load(2)) << test::AutopilotReport(game);
    } else {
      ASSERT_TRUE(pilot.Trigger(step.event, step.answer)) << test::AutopilotReport(game);
    }
    if (step.flag) flags.insert(step.flag);
    for (int f = 0; f < kEventFlagCount; ++f) EXPECT_EQ(g_eventFlags[f] != 0, flags.count(f) == 1) << "flag " << f;
    EXPECT_EQ(step.next >= 0 ? g_mapNumber : -1, step.next);
  }
  EXPECT_TRUE(pilot.endingRollSeen);
  EXPECT_TRUE(TaskExists(kTaskIdTitle));
}

// Every map loads with its scripts; the objects stand on ground the party can reach
// past, and every map change of the scripts sets the party down on open ground that
// holds no event of its own.
TEST_F(StoryTest, EveryMapLoadsAndEveryMapChangeLandsOnOpenGround) {
  Start(1);
  struct Landing {
    int from, event, map, column, row;
  };
  std::vector<Landing> landings;
  for (int map = 0; map < kMapCount; ++map) {
    SCOPED_TRACE("map " + std::to_string(map));
    TaskKillAll();
    g_mapNumber = map;
    ASSERT_EQ(MapLoad(), 1);
    for (int s = kSlotObjectsFirst; s < kSlotObjectsEnd; ++s) {
      if (!g_taskPool[s].inUse) continue;
      const TaskHead* object = TaskData<TaskHead>(&g_taskPool[s]);
      const int cell = MapCellIndexChecked(object->x, object->z);
      ASSERT_GE(cell, 0);
      EXPECT_LE(g_tileLayer[cell], kTileWallAbove) << "object of event " << g_taskPool[s].tag;
      EXPECT_EQ(g_eventLayer[cell], g_taskPool[s].tag);
    }
    for (int k = 0; k < g_eventCount; ++k) {
      const char* script = EventSlotBase(k);
      for (int32_t p = 0; p + 1 < kEventSlotSize; ++p) {
        if (script[p] != '#') continue;
        int32_t at = p + 1;
        if (EventReadNumber(&at, script) != 8) continue;
        int32_t args[5];
        for (int32_t& a : args) a = EventReadNumber(&at, script);
        landings.push_back({map, k + 1, args[0], args[2], args[3]});
      }
    }
  }
  EXPECT_GE(landings.size(), 30u);
  EXPECT_TRUE(game_->Boxes().empty());
  for (const Landing& l : landings) {
    SCOPED_TRACE("map " + std::to_string(l.from) + " event " + std::to_string(l.event));
    TaskKillAll();
    g_mapNumber = l.map;
    ASSERT_EQ(MapLoad(), 1);
    ASSERT_LT(l.column, g_mapWidth);
    ASSERT_LT(l.row, g_mapHeight);
    const int cell = l.row * g_mapWidth + l.column;
    EXPECT_LE(g_tileLayer[cell], kTileWallAbove);
    EXPECT_EQ(g_eventLayer[cell], 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, PlaythroughTest, ::testing::Values(12345u, 777u));

}  // namespace
