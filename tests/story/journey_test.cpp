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

  // Loads a map of the story with the party standing on a cell, as a map change would.
  static bool Enter(int map, int column, int row, float angle) {
    TaskKillAll();
    g_mapNumber = map;
    return MapLoad() == 1 && PartyWalkersCreate(static_cast<float>(2 * column - g_mapWidth + 1), 0.2f,
                                                static_cast<float>(g_mapHeight - 2 * row - 1), angle, 0) == 1;
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

  // The player walks: one cell north in eight frames.
  WalkerData* leader = TaskData<WalkerData>(&g_taskPool[0]);
  const float z = leader->z;
  game_.Tap(kKeyUp, 10);  // a step once begun runs to the next cell
  EXPECT_FLOAT_EQ(leader->z, z + 2.0f);
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

// In the cave's narrow way a pit drops the party a cell back, hurt, and a stone shot down
// the way hits the leader; each springs once. A stone lift carries the party over the
// marsh's water to the east island and back, leaving both piers free to walk on.
TEST_F(JourneyTest, TheCavesTrapsAndTheMarshsLiftMoveTheParty) {
  const auto walkInto = [this](int key, int column, int row) {
    game_.Hold(key);
    const bool started = PlayUntil([] { return TaskSlotInUse(kSlotEvent) != 0; }, 100);
    game_.Release(key);
    const WalkerData* leader = TaskData<WalkerData>(&g_taskPool[0]);
    return started && PlayUntil([] { return !TaskSlotInUse(kSlotEvent); }) &&
           MapCellIndexChecked(leader->x, leader->z) == row * g_mapWidth + column;
  };
  EventFlagsClear();
  const int32_t hp[2] = {g_party[0].hp, g_party[1].hp};
  ASSERT_TRUE(Enter(4, 31, 24, 90.0f));
  EXPECT_TRUE(walkInto(kKeyUp, 31, 22)) << "out of the pit a cell back";
  EXPECT_TRUE(walkInto(kKeyUp, 31, 19));
  EXPECT_EQ(g_party[0].hp, hp[0] - 20) << "the pit, then the stone";
  EXPECT_EQ(g_party[1].hp, hp[1] - 10);
  ASSERT_TRUE(Enter(4, 31, 24, 90.0f));
  EXPECT_FALSE(TaskFindByTag(5) || TaskFindByTag(6)) << "sprung traps stay sprung";

  ASSERT_TRUE(Enter(11, 26, 13, 0.0f));
  EXPECT_TRUE(walkInto(kKeyRight, 33, 13));
  EXPECT_TRUE(walkInto(kKeyLeft, 27, 13));
  for (int column : {28, 32}) EXPECT_EQ(g_collisionLayer[13 * g_mapWidth + column], kCollisionFree) << column;
}

// Facing the spirit, the party is healed by her sparkle and rings, at the blessing and
// at every later visit; facing the star glass, the witch's ward strikes once with an orb
// for each of them, and each loses 10.
TEST_F(JourneyTest, TheSpiritHealsThePartyAndTheStarGlassWardHurtsIt) {
  EventFlagsClear();
  g_eventFlags[4] = g_eventFlags[7] = 1;  // the charm from the glade, the carving in the ruins
  const struct {
    int map, column, row;
    bool shown, toDial;
    int32_t hp, after;  // every member's hit points; -1: the maximum
  } kVisits[] = {{13, 16, 12, true, false, 1, -1},
                 {13, 16, 12, true, true, 1, -1},
                 {10, 16, 17, true, false, 50, 40},
                 {10, 16, 17, false, false, 50, 50}};
  for (const auto& v : kVisits) {
    ASSERT_TRUE(Enter(v.map, v.column, v.row, 90.0f));
    for (CharacterRecord& member : g_party) member.hp = v.hp;
    game_.Tap(kKeyEnter);
    bool shown = false;
    EXPECT_TRUE(PlayUntil([&] {
                  shown = shown || TaskExists(kTaskIdEffect3D);
                  return v.toDial ? TaskExists(kTaskIdDonation) != 0 : !TaskSlotInUse(kSlotEvent);
                }) &&
                shown == v.shown);
    for (const CharacterRecord& m : g_party) EXPECT_EQ(m.hp, v.after < 0 ? m.maxHp : v.after) << v.map;
  }
  EXPECT_TRUE(TaskSlotInUse(kSlotMapChange)) << "the glass shows the way";
}

}  // namespace
