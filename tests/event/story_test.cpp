// The game's own maps and scripts, end to end: a new game on map 0 runs the opening and
// the player ends up walking the village; the elder's request opens the road out.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/camera.h"
#include "engine/keys.h"
#include "engine/task.h"
#include "event/event.h"
#include "event/pack.h"
#include "event/text_window.h"
#include "field/map.h"
#include "field/walker.h"
#include "game/flow.h"
#include "support/field_world.h"

namespace {

using test::CentreX;
using test::CentreZ;

using test::Walker;

// A working folder with the built map and event packs and a data file.
class StoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    const fs::path built(test::BuildDataDir());
    for (const char* name : {"mappack.dat", "epack.dat"}) ASSERT_TRUE(fs::exists(built / name)) << name;
    const test::Bytes maps = test::ReadFile((built / "mappack.dat").string());
    const test::Bytes scripts = test::ReadFile((built / "epack.dat").string());
    field_ = std::make_unique<test::FieldGame>(maps, scripts);
    ASSERT_EQ(field_->StartResult(), 1);
  }
  test::GameHarness& Game() { return field_->Game(); }
  // Plays the running event to its end: confirms each message and gives `answer` to
  // each choice. The number of messages confirmed.
  int PlayEvent(int answer = 0) {
    int messages = 0;
    for (int frame = 0; frame < 2000 && TaskSlotInUse(kSlotEvent); ++frame) {
      const EventContext* event = TaskData<EventContext>(&g_taskPool[kSlotEvent]);
      if (event->step == TextWindowStep && event->typingLine == kEventLineCount) {
        ++messages;
        Game().Tap(kKeyEnter);
      } else if (event->step == EventChoiceStep) {
        if (answer == 1) Game().Tap(kKeyDown);
        Game().Tap(kKeyEnter);
      } else {
        Game().Frames(1);
      }
    }
    return messages;
  }
  // Holds an arrow key for whole steps.
  void Walk(int key, int cells) {
    Game().Hold(key);
    Game().Frames(8 * cells);
    Game().Release(key);
  }
  std::unique_ptr<test::FieldGame> field_;
};

const EventContext* RunningEvent() {
  return TaskSlotInUse(kSlotEvent) ? TaskData<EventContext>(&g_taskPool[kSlotEvent]) : nullptr;
}

// The elder (map 2) asks; declining changes nothing and he asks again; accepting sets
// the flag that the road out of the village (map 0) waits for.
TEST_F(StoryTest, TheEldersRequestOpensTheRoadToThePlain) {
  g_eventFlags[1] = 1;  // the opening is over
  ASSERT_TRUE(field_->Enter(2, 13, 11, 90.0f));
  Game().Tap(kKeyEnter);
  ASSERT_NE(RunningEvent(), nullptr) << "the elder stands north of the party";
  EXPECT_GE(PlayEvent(1), 3);
  EXPECT_EQ(g_eventFlags[2], 0) << "declined";
  Walk(kKeyDown, 1);  // he talks again once the party has stepped away and back
  Walk(kKeyUp, 1);
  Game().Tap(kKeyZ);
  ASSERT_NE(RunningEvent(), nullptr) << "he asks again";
  PlayEvent(0);
  EXPECT_EQ(g_eventFlags[2], 1) << "accepted";

  // The road out: refused before the request, taken after it.
  g_eventFlags[2] = 0;
  ASSERT_TRUE(field_->Enter(0, 39, 23, 0.0f));
  Walk(kKeyRight, 2);
  ASSERT_NE(RunningEvent(), nullptr);
  EXPECT_EQ(PlayEvent(), 1);
  EXPECT_FALSE(TaskSlotInUse(kSlotMapChange));
  Walk(kKeyLeft, 1);
  g_eventFlags[2] = 1;
  Walk(kKeyRight, 1);
  ASSERT_TRUE(Game().RunUntil([] { return g_mapNumber == 1 && !TaskSlotInUse(kSlotMapChange); }, 100));

  // The plain's first look runs once: the party walks two cells along the road.
  ASSERT_TRUE(Game().RunUntil([] { return RunningEvent() != nullptr; }, 5));
  PlayEvent();
  EXPECT_EQ(g_eventFlags[3], 1);
  ASSERT_NE(Walker(0), nullptr);
  EXPECT_FLOAT_EQ(Walker(0)->x, CentreX(12));
  EXPECT_FLOAT_EQ(Walker(0)->z, CentreZ(25));
  EXPECT_EQ(Walker(0)->state, WalkerStatePlayerIdle);
  Walk(kKeyRight, 1);
  EXPECT_FLOAT_EQ(Walker(0)->x, CentreX(13)) << "the player has the party again";
}

// Every map loads with its scripts; the objects stand on ground the party can reach
// past, and every map change of the scripts sets the party down on open ground that
// holds no event of its own.
TEST_F(StoryTest, EveryMapLoadsAndEveryMapChangeLandsOnOpenGround) {
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
  EXPECT_TRUE(Game().Boxes().empty());
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

}  // namespace
