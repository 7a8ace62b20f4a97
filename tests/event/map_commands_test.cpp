// Commands that leave the map: the map change ('#8') and the load without walkers
// ('#28'), and the seam where a map load reads its scripts and places their objects.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/task.h"
#include "event/event.h"
#include "field/map.h"
#include "field/walker.h"
#include "game/flow.h"
#include "support/field_world.h"

namespace {

using test::CentreX;
using test::CentreZ;

using test::Walker;

// Map 0 is 6 x 4 with one event cell at (4, 0) whose script is under test; map 1 is
// 8 x 6 with the events given.
class MapCommandTest : public test::FieldTest {
 protected:
  void Open(const std::string& map0Event, const std::vector<std::string>& map1Events,
            const std::vector<std::string>& map1Rows = std::vector<std::string>(6, "........")) {
    const test::Bytes maps =
        test::BuildMapPack({test::MapFromRows({"....1.", "......", "......", "......"}), test::MapFromRows(map1Rows)});
    Start(maps, test::BuildEventPack({test::EventBlock({map0Event}), test::EventBlock(map1Events)}));
    ASSERT_TRUE(field_->Enter(0, 1, 1));
  }
  // Starts map 0's event and runs its first command.
  void RunEvent() {
    ASSERT_EQ(EventStart(1), 1);
    Game().Frames(2);
  }
};

TEST_F(MapCommandTest, ChangeMapEndsTheEventAndSetsThePartyDownOnTheNewMap) {
  Open("#8,1,0,2,1,90,#5,9,#99,", {});
  RunEvent();
  EXPECT_FALSE(TaskSlotInUse(kSlotEvent)) << "the event ends in the frame of the command";
  EXPECT_TRUE(TaskSlotInUse(kSlotMapChange));
  EXPECT_EQ(g_mapNumber, 1);
  EXPECT_EQ(g_taskPool[0].updateOn, 0) << "the map change resumes the tasks, not the event";
  Game().Frames(52);
  ASSERT_FALSE(TaskSlotInUse(kSlotMapChange));
  EXPECT_EQ(g_mapWidth, 8);
  for (int m = 0; m < 4; ++m) {
    ASSERT_NE(Walker(m), nullptr);
    EXPECT_EQ(std::tuple(Walker(m)->x, Walker(m)->z, Walker(m)->facing, g_taskPool[m].updateOn),
              std::tuple(CentreX(2), CentreZ(1), 90.0f, 1));
  }
  EXPECT_EQ(Walker(0)->state, WalkerStatePlayerIdle);
  EXPECT_EQ(g_eventFlags[9], 0);
}

TEST_F(MapCommandTest, ChangeMapToAMapOrCellTheGameLacksDoesNothingButEndTheEvent) {
  for (const char* script : {"#8,14,0,1,1,0,#5,9,#99,", "#8,1,0,8,1,0,#5,9,#99,", "#8,1,0,1,6,0,#5,9,#99,"}) {
    SCOPED_TRACE(script);
    Open(script, {});
    RunEvent();
    EXPECT_FALSE(TaskSlotInUse(kSlotEvent));
    EXPECT_FALSE(TaskSlotInUse(kSlotMapChange));
    EXPECT_EQ(g_mapNumber, 0);
    EXPECT_EQ(g_taskPool[0].updateOn, 1) << "the field runs on";
    Game().Frames(5);
    EXPECT_EQ(g_eventFlags[9], 0);
  }
}

TEST_F(MapCommandTest, TriggerUnderTheArrivalCellAndTheRunOnceEventFireAfterTheFade) {
  Open("#8,1,0,2,1,90,#99,", {"$2,#5,11,#99,", "$0,#5,12,#99,"},
       {"........", "..1.....", "......2.", "........", "........", "........"});
  RunEvent();  // the map change's first frame is the command's
  Game().Frames(51);
  EXPECT_FALSE(TaskSlotInUse(kSlotMapChange));
  EXPECT_FALSE(TaskSlotInUse(kSlotEvent)) << "nothing fires under the cover";
  Game().Frames(1);
  EXPECT_TRUE(TaskSlotInUse(kSlotEvent)) << "the trigger, as soon as the field moves";
  EXPECT_EQ(TaskData<EventContext>(&g_taskPool[kSlotEvent])->scriptSlot, 0);
  ASSERT_TRUE(Game().RunUntil([] { return g_eventFlags[12] != 0; }, 20));
  EXPECT_EQ(g_eventFlags[11], 1);
}

// An arrow held through the reveal must not start a step that the event freezes halfway:
// the script walks the party a cell from where the change set it down. Nor may it step
// into a person standing beside the landing, who has not yet moved since the load.
TEST_F(MapCommandTest, ThePartyWaitsOnItsCellForTheRunOnceEventAndStepsIntoNoOne) {
  for (const auto& [script, column] :
       {std::pair{"$0,#16,1,#22,1,1100,0,8,#40,#16,0,#99,", 3}, {"$1,5,180,0,#99,", 2}}) {
    SCOPED_TRACE(script);
    Open("#8,1,0,2,1,90,#99,", {script}, {"........", "...1....", "........", "........", "........", "........"});
    RunEvent();
    Game().Frames(51);
    Game().Hold(kKeyRight);
    Game().Frames(3);
    Game().Release(kKeyRight);
    ASSERT_TRUE(Game().RunUntil([] { return !TaskSlotInUse(kSlotEvent) && Walker(0)->subStep == 0; }, 40));
    EXPECT_FLOAT_EQ(Walker(0)->x, CentreX(column));
    EXPECT_FLOAT_EQ(Walker(0)->z, CentreZ(1));
    EXPECT_EQ(Walker(0)->state, WalkerStatePlayerIdle);
  }
}

TEST_F(MapCommandTest, MapLoadPlacesNothingWhenItsScriptsCannotBeRead) {
  Open("$2,#99,", {});
  EXPECT_EQ(test::ObjectCount(), 1);
  const std::string epack = field_->Dir() + "/epack.dat";
  std::filesystem::remove(epack);
  TaskKillAll();
  EXPECT_EQ(MapLoad(), 0);
  EXPECT_EQ(test::ObjectCount(), 0);

  test::Bytes oversized = test::BuildEventPack({test::EventBlock({"$2,#99,"})});
  oversized[56] = 0x81;  // the block claims 16,001 bytes
  oversized[57] = 0x3E;
  ASSERT_TRUE(test::WriteFile(epack, oversized));
  EXPECT_EQ(MapLoad(), 0);
  EXPECT_EQ(test::ObjectCount(), 0);
  ASSERT_EQ(Game().Boxes().size(), 1u);
  EXPECT_EQ(Game().Boxes()[0].text, "イベントファイルが一時保存領域を超えました");
}

TEST_F(MapCommandTest, ChangeMapWithAFrozenPartyLeavesItFrozen) {
  Open("#8,1,1,2,1,90,#99,", {});
  RunEvent();
  Game().Frames(52);
  Game().Hold(kKeyRight);
  Game().Frames(10);
  for (int m = 0; m < 4; ++m) EXPECT_EQ(Walker(m)->state, WalkerStateFrozen);
  EXPECT_FLOAT_EQ(Walker(0)->x, CentreX(2));
}

TEST_F(MapCommandTest, ChangeMapWhileAnotherRunsKeepsTheMapNumber) {
  Open("#8,1,0,2,1,90,#99,", {});
  test::PlaceStandIn(kSlotMapChange, kTaskIdMapChange);
  RunEvent();
  EXPECT_FALSE(TaskSlotInUse(kSlotEvent));
  EXPECT_EQ(g_mapNumber, 0);
}

TEST_F(MapCommandTest, LoadMapKillsEverythingAndTheNewMapsRunOnceEventTakesOver) {
  Open("#28,1,#5,9,#99,", {"$0,#52,1,1,#5,10,#99,", "$1,7,0,0,"},
       {"........", "........", "..2.....", "........", "........", ".1......"});
  RunEvent();
  EXPECT_FALSE(TaskSlotInUse(kSlotEvent));
  EXPECT_EQ(g_mapNumber, 1);
  EXPECT_EQ(g_mapWidth, 8);
  EXPECT_EQ(Walker(0), nullptr) << "no walkers come with the load";
  EXPECT_FALSE(TaskExists(kTaskIdCamera));
  EXPECT_EQ(test::ObjectCount(), 2) << "the new map's placements";
  ASSERT_TRUE(Game().RunUntil([] { return g_eventFlags[10] != 0; }, 10));
  EXPECT_TRUE(TaskExists(kTaskIdCamera));
  EXPECT_TRUE(TaskExists(kTaskIdFieldView));
  EXPECT_EQ(g_eventFlags[9], 0) << "the old event was killed";
}

TEST_F(MapCommandTest, LoadMapOfAMissingFileGoesToTheTitle) {
  Open("#28,1,#99,", {});
  std::filesystem::remove(field_->Dir() + "/mappack.dat");
  RunEvent();
  ASSERT_EQ(Game().Boxes().size(), 1u);
  EXPECT_EQ(Game().Boxes()[0].text, "no data file");
  EXPECT_EQ(Game().Boxes()[0].caption, "");
  EXPECT_TRUE(TaskExists(kTaskIdTitle));
  int live = 0;
  for (int s = 0; s < kTaskSlotCount; ++s) live += g_taskPool[s].inUse;
  EXPECT_EQ(live, 1);
}

TEST_F(MapCommandTest, LoadMapOfANumberTheGameLacksDoesNothing) {
  Open("#28,14,#5,9,#99,", {});
  RunEvent();
  ASSERT_TRUE(Game().RunUntil([] { return !TaskSlotInUse(kSlotEvent); }, 10));
  EXPECT_EQ(g_eventFlags[9], 1);
  EXPECT_EQ(g_mapNumber, 0);
  EXPECT_NE(Walker(0), nullptr);
}

}  // namespace
