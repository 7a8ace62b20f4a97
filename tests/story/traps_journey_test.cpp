// The story's traps and lift as a player meets them, with the built data files: the
// party walks into the cave's narrow way and over the marsh's piers.
#include <gtest/gtest.h>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/task.h"
#include "event/event.h"
#include "event/text_window.h"
#include "field/map.h"
#include "field/walker.h"
#include "game/flow.h"
#include "support/harness.h"

namespace {

class TrapJourneyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(game_.Start(), 1);
    EventFlagsClear();
    PartyInit();
  }
  // The party set down on a cell of a map of the story, as a map change leaves it.
  bool Enter(int map, int column, int row, float angle) {
    TaskKillAll();
    g_mapNumber = map;
    if (MapLoad() != 1) return false;
    float x = static_cast<float>(column), z = static_cast<float>(row);
    MapCellToWorld(&x, &z);
    return PartyWalkersCreate(x, 0.2f, z, angle, 0) == 1;
  }
  // Holds the key until an event starts, then plays it to its end, confirming messages
  // and taking each choice's first answer.
  bool WalkIntoEvent(int key) {
    game_.Hold(key);
    const bool started = game_.RunUntil([] { return TaskSlotInUse(kSlotEvent) != 0; }, 100);
    game_.Release(key);
    for (int frame = 0; frame < 2000 && TaskSlotInUse(kSlotEvent); ++frame) {
      const EventContext* event = TaskData<EventContext>(&g_taskPool[kSlotEvent]);
      const bool shown = event->step == TextWindowStep && event->typingLine == kEventLineCount;
      if (shown || event->step == EventChoiceStep) {
        game_.Tap(kKeyEnter);
      } else {
        game_.Frames(1);
      }
    }
    return started && !TaskSlotInUse(kSlotEvent);
  }
  static bool LeaderOn(int column, int row) {
    const WalkerData* leader = TaskData<WalkerData>(&g_taskPool[0]);
    return leader->x == static_cast<float>(2 * column - g_mapWidth + 1) &&
           leader->z == static_cast<float>(g_mapHeight - 2 * row - 1);
  }
  test::GameHarness game_;
};

// North of the cave's lower hall the way narrows: a pit drops the party back a cell,
// hurt, and further up a stone shot down the way hits the leader. Each springs once.
TEST_F(TrapJourneyTest, TheCavesNarrowWayHasAPitAndAStoneTrap) {
  const int32_t hp[2] = {g_party[0].hp, g_party[1].hp};
  ASSERT_TRUE(Enter(4, 31, 24, 90.0f));
  ASSERT_TRUE(WalkIntoEvent(kKeyUp));
  EXPECT_TRUE(LeaderOn(31, 22)) << "out of the pit a cell back";
  EXPECT_EQ(g_party[1].hp, hp[1] - 10);
  EXPECT_EQ(g_eventFlags[40], 1);
  ASSERT_TRUE(WalkIntoEvent(kKeyUp));
  EXPECT_TRUE(LeaderOn(31, 19));
  EXPECT_EQ(g_party[0].hp, hp[0] - 20) << "the pit, then the stone";
  EXPECT_EQ(g_party[1].hp, hp[1] - 10);
  EXPECT_EQ(g_eventFlags[41], 1);
  ASSERT_TRUE(Enter(4, 31, 24, 90.0f));
  EXPECT_FALSE(TaskFindByTag(5) || TaskFindByTag(6)) << "sprung traps stay sprung";
}

// The east island of the marsh, on the way to the castle, lies across water: a stone
// lift carries the party there from the west pier and back from the east one.
TEST_F(TrapJourneyTest, TheMarshsLiftCarriesThePartyOverTheWaterAndBack) {
  ASSERT_TRUE(Enter(11, 26, 13, 0.0f));
  ASSERT_TRUE(WalkIntoEvent(kKeyRight));
  EXPECT_TRUE(LeaderOn(33, 13)) << "off the east pier";
  EXPECT_FALSE(TaskSlotInUse(kSlotLift));
  ASSERT_TRUE(WalkIntoEvent(kKeyLeft));
  EXPECT_TRUE(LeaderOn(27, 13)) << "back off the west pier";
  for (int column : {28, 32}) EXPECT_EQ(g_collisionLayer[13 * g_mapWidth + column], kCollisionFree) << column;
}

}  // namespace
