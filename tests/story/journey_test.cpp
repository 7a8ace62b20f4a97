// The game as a player meets it, with the built data files: from the title through a
// new game's opening and the party's menus to walking, and the story's scripts reaching
// every event screen.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/game_state.h"
#include "data/items.h"
#include "data/money.h"
#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "event/event.h"
#include "event/text_window.h"
#include "field/map.h"
#include "field/walker.h"
#include "game/flow.h"
#include "support/harness.h"

namespace {

class JourneyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"data.dat", "mappack.dat", "epack.dat"}) {
      ASSERT_TRUE(std::filesystem::exists(name)) << name << " is built with the game";
    }
    ASSERT_EQ(game_.Start(), 1);
  }

  // Confirms messages and notices and answers choices with the first answer until
  // `done` holds; frames pass one at a time otherwise.
  template <class Done>
  bool PlayUntil(Done done, int limit = 3000) {
    for (int frame = 0; frame < limit; ++frame) {
      if (done()) return true;
      const EventContext* event = TaskSlotInUse(kSlotEvent) ? TaskData<EventContext>(&g_taskPool[kSlotEvent]) : nullptr;
      const bool messageShown = event && event->step == TextWindowStep && event->typingLine == kEventLineCount;
      const bool choiceShown = event && event->step == EventChoiceStep;
      const bool waitingForConfirm = messageShown || choiceShown || TaskExists(kTaskIdNotice);
      if (waitingForConfirm) {
        game_.Tap(kKeyEnter);
      } else {
        game_.Frames(1);
      }
    }
    return done();
  }

  // Loads a map of the story as a map change would, runs one of its events and plays
  // it until `done`.
  template <class Done>
  bool RunStoryEvent(int map, int event, Done done) {
    TaskKillAll();
    g_mapNumber = map;
    if (MapLoad() != 1) return false;
    if (EventStart(event) != 1) return false;
    return PlayUntil(done);
  }

  test::GameHarness game_;
};

TEST_F(JourneyTest, FromTheTitleThroughTheOpeningAndThePartysScreensToWalking) {
  ASSERT_TRUE(TaskExists(kTaskIdTitle));
  game_.Frames(1);
  game_.Tap(kKeyEnter);  // new game
  ASSERT_TRUE(TaskExists(kTaskIdNewGamePrompt));
  game_.Tap(kKeyDown);  // from No to Yes
  game_.Tap(kKeyEnter);
  EXPECT_EQ(g_mapNumber, 0);
  EXPECT_EQ(g_money, 0);
  // The opening plays on its own and ends by setting the four down on the village.
  ASSERT_TRUE(PlayUntil([] {
    return !TaskSlotInUse(kSlotEvent) && !TaskSlotInUse(kSlotMapChange) && TaskFindByTag(kTaskIdWalker) &&
           g_taskPool[0].updateOn;
  }));
  for (int m = 0; m < 4; ++m) EXPECT_TRUE(g_taskPool[m].inUse) << "walker " << m;
  EXPECT_TRUE(TaskExists(kTaskIdCamera));
  EXPECT_TRUE(TaskExists(kTaskIdFieldView));
  EXPECT_TRUE(game_.Boxes().empty());
  EXPECT_FALSE(TaskSlotInUse(kSlotRunOnceEvent)) << "the opening does not come back";
  EXPECT_EQ(g_eventFlags[1], 1);

  // Shift pauses the field under the menu; the party menu opens each of its screens and
  // comes back from it; Escape returns to the field.
  game_.Tap(kKeyShift);
  EXPECT_TRUE(TaskExists(kTaskIdChoiceMenu) && !g_taskPool[0].updateOn);
  game_.Tap(kKeyDown);
  game_.Tap(kKeyEnter);
  const std::pair<std::vector<int>, int32_t> screens[] = {{{kKeyRight}, kTaskIdStatus},
                                                          {{kKeyDown}, kTaskIdSkillMenu},
                                                          {{kKeyRight, kKeyDown}, kTaskIdItemMenu},
                                                          {{kKeyDown, kKeyDown}, kTaskIdPartyOrder}};
  for (const auto& [keys, id] : screens) {
    for (int key : keys) game_.Tap(key);
    game_.Tap(kKeyEnter);
    EXPECT_TRUE(TaskExists(id)) << id;
    game_.Tap(kKeyEscape);
    EXPECT_TRUE(!TaskExists(id) && TaskExists(kTaskIdPartyMenu)) << id;
  }
  game_.Tap(kKeyEscape);
  EXPECT_FALSE(TaskExists(kTaskIdPartyMenu));

  // The player walks north up the road, a cell in eight frames, the first follower a
  // cell behind.
  WalkerData* leader = TaskData<WalkerData>(&g_taskPool[0]);
  EXPECT_FLOAT_EQ(leader->facing, 90.0f);
  const float z = leader->z;
  game_.Hold(kKeyUp);
  game_.Frames(16);
  game_.Release(kKeyUp);
  EXPECT_FLOAT_EQ(leader->z, z + 4.0f);
  game_.Frames(8);
  EXPECT_FLOAT_EQ(TaskData<WalkerData>(&g_taskPool[1])->z, z + 2.0f);
}

TEST_F(JourneyTest, TheInnkeeperAndTheShopkeeperOpenTheirScreens) {
  EXPECT_TRUE(RunStoryEvent(2, 5, [] { return TaskExists(kTaskIdInn) != 0; }));
  EXPECT_TRUE(RunStoryEvent(2, 6, [] { return TaskExists(kTaskIdShop) != 0; }));
  EXPECT_TRUE(RunStoryEvent(5, 2, [] { return TaskExists(kTaskIdInn) != 0; }));
  EXPECT_TRUE(RunStoryEvent(5, 3, [] { return TaskExists(kTaskIdShop) != 0; }));
}

TEST_F(JourneyTest, TreasureIsFoundOnceAndTheChestGoesWithIt) {
  InventoryInit();
  EventFlagsClear();
  ASSERT_TRUE(RunStoryEvent(4, 2, [] { return TaskExists(kTaskIdNotice) != 0; }));
  ASSERT_TRUE(PlayUntil([] { return !TaskSlotInUse(kSlotEvent); }));
  EXPECT_EQ(g_eventFlags[20], 1);
  EXPECT_EQ(g_inventory[InventoryFindSlot(14)].id, 14);
  // Loaded again, the cave places no chest: the guard stops its placement.
  TaskKillAll();
  g_mapNumber = 4;
  ASSERT_EQ(MapLoad(), 1);
  EXPECT_FALSE(TaskExists(kTaskIdExamined) && TaskFindByTag(2));
}

// The way out of the cave is barred by its guardian after the transition's wipe; once it
// has fallen the way is open.
TEST_F(JourneyTest, TheCavesGuardianBarsTheWayOnce) {
  EXPECT_TRUE(RunStoryEvent(4, 3, [] { return TaskSlotInUse(kSlotBattle); }));
  EXPECT_EQ(g_enemyCount, 1);
  g_eventFlags[30] = 1;
  EXPECT_TRUE(RunStoryEvent(4, 3, [] { return TaskSlotInUse(kSlotMapChange); }));
  EXPECT_FALSE(TaskSlotInUse(kSlotBattle));
}

TEST_F(JourneyTest, TheSpiritBlessesBehindAFadeAndTakesOfferings) {
  EventFlagsClear();
  g_eventFlags[4] = 1;  // the charm from the glade
  EXPECT_TRUE(RunStoryEvent(13, 2, [] { return TaskExists(kTaskIdFade) != 0; }));
  ASSERT_TRUE(PlayUntil([] { return !TaskSlotInUse(kSlotEvent); }));
  EXPECT_EQ(g_eventFlags[5], 1);
  EXPECT_TRUE(RunStoryEvent(13, 2, [] { return TaskExists(kTaskIdDonation) != 0; }));
}

TEST_F(JourneyTest, WithTheBlessingTheWitchFallsAndTheEndingRollPlays) {
  EventFlagsClear();
  g_eventFlags[5] = 1;
  EXPECT_TRUE(RunStoryEvent(12, 2, [] { return TaskExists(kTaskIdEndingRoll) != 0; }));
  EXPECT_FALSE(TaskExists(kTaskIdWalker));
}

}  // namespace
