// The game's own maps and scripts, end to end: a new game on map 0 runs the opening,
// and the player ends up walking the village.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "engine/camera.h"
#include "engine/keys.h"
#include "engine/task.h"
#include "event/event.h"
#include "event/flags.h"
#include "event/text_window.h"
#include "field/map.h"
#include "field/walker.h"
#include "support/field_world.h"

namespace {

using test::Walker;

// A working folder with the built map and event packs and a data file.
class OpeningTest : public ::testing::Test {
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
  void TearDown() override { field_.reset(); }
  test::GameHarness& Game() { return field_->Game(); }
  std::unique_ptr<test::FieldGame> field_;
};

const EventContext* RunningEvent() {
  return TaskSlotInUse(kSlotEvent) ? TaskData<EventContext>(&g_taskPool[kSlotEvent]) : nullptr;
}

TEST_F(OpeningTest, NewGameRunsTheOpeningAndEndsWithThePartyWalkingTheVillage) {
  // What a new game does: every task gone, the flags cleared, map 0 loaded.
  TaskKillAll();
  EventFlagsClear();
  g_mapNumber = 0;
  ASSERT_EQ(MapLoad(), 1);
  EXPECT_EQ(Walker(0), nullptr) << "a new game places no walkers";

  std::set<int> portraits;
  int messages = 0, missingGlyphs = 0;
  bool cameraDuringEvent = false;
  for (int frame = 0; frame < 4000; ++frame) {
    const EventContext* event = RunningEvent();
    if (!event && Walker(0) && !TaskSlotInUse(kSlotMapChange)) break;
    if (event) {
      portraits.insert(event->portrait);
      cameraDuringEvent = cameraDuringEvent || TaskExists(kTaskIdCamera);
    }
    if (event && event->step == TextWindowStep && event->typingLine == kEventLineCount) {
      ++messages;
      // Every character of the opening's lines is in the glyph table: a missing one
      // converts to 0 and would cut its line short.
      for (int i = 0; i < event->lineCount; ++i) {
        const size_t characters = std::string(event->lines[i], strnlen(event->lines[i], kEventLineBytes)).size() / 2;
        for (size_t c = 0; c < characters; ++c) missingGlyphs += event->sourceGlyphs[i][c] == 0;
      }
      Game().Tap(kKeyEnter);
    } else {
      Game().Frames(1);
    }
  }
  EXPECT_GE(messages, 5) << "the first scene is told in messages";
  EXPECT_EQ(missingGlyphs, 0);
  for (int p : {0, 1, 2, 3}) EXPECT_TRUE(portraits.count(p)) << "portrait " << p;
  EXPECT_TRUE(cameraDuringEvent) << "the opening shows the village while it talks";
  EXPECT_TRUE(Game().Boxes().empty());

  // The map change has set the four down on the village's south road.
  ASSERT_EQ(RunningEvent(), nullptr);
  EXPECT_EQ(g_mapNumber, 0);
  EXPECT_EQ(g_eventFlags[1], 1);
  for (int m = 0; m < 4; ++m) {
    ASSERT_NE(Walker(m), nullptr) << m;
    EXPECT_EQ(g_taskPool[m].updateOn, 1);
  }
  WalkerData* leader = Walker(0);
  EXPECT_EQ(leader->state, WalkerStatePlayerIdle);
  EXPECT_FLOAT_EQ(leader->facing, 90.0f);
  EXPECT_TRUE(TaskExists(kTaskIdFieldView));
  ASSERT_TRUE(TaskExists(kTaskIdCamera));
  EXPECT_EQ(TaskData<CameraData>(TaskFindById(kTaskIdCamera))->tag, kWalkerLeaderTag);
  EXPECT_FALSE(TaskSlotInUse(kSlotRunOnceEvent)) << "the opening does not come back";

  // The arrow keys walk the party up the road.
  const float startZ = leader->z;
  Game().Hold(kKeyUp);
  Game().Frames(16);
  Game().Release(kKeyUp);
  EXPECT_FLOAT_EQ(leader->z, startZ + 4.0f);
  Game().Frames(8);
  EXPECT_FLOAT_EQ(Walker(1)->z, startZ + 2.0f) << "the first follower trails a cell behind";
  EXPECT_EQ(RunningEvent(), nullptr);
}

}  // namespace
