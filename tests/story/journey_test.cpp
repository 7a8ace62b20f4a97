// The game as a player meets it, with the built data files: from the title through a
// new game's opening and the party's menus to walking, the story's scripts reaching
// every event screen, and every map and map change of the story.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "data/game_state.h"
#include "data/items.h"
#include "data/tasks.h"
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

const EventContext* RunningEvent() {
  return TaskSlotInUse(kSlotEvent) ? TaskData<EventContext>(&g_taskPool[kSlotEvent]) : nullptr;
}

// The game started in a folder holding the built data files.
class JourneyTest : public test::FieldTest {
 protected:
  void SetUp() override {
    const std::string built = test::BuildDataDir();
    for (const char* name : {"data.dat", "mappack.dat", "epack.dat"}) {
      ASSERT_TRUE(std::filesystem::exists(built + "/" + name)) << name << " is built with the game";
    }
    field_ =
        std::make_unique<test::FieldGame>(test::ReadFile(built + "/mappack.dat"), test::ReadFile(built + "/epack.dat"));
    ASSERT_EQ(field_->StartResult(), 1);
  }
  test::GameHarness& Game() { return field_->Game(); }

  // Confirms messages and notices and gives `answer` to choices until `done` holds;
  // frames pass one at a time otherwise.
  template <class Done>
  bool PlayUntil(Done done, int answer = 0, int limit = 3000) {
    for (int frame = 0; frame < limit; ++frame) {
      if (done()) return true;
      const EventContext* event = RunningEvent();
      if (event && event->step == EventChoiceStep && answer == 1) Game().Tap(kKeyDown);
      const bool messageShown = event && event->step == TextWindowStep && event->typingLine == kEventLineCount;
      const bool choiceShown = event && event->step == EventChoiceStep;
      if (messageShown || choiceShown || TaskExists(kTaskIdNotice)) {
        Game().Tap(kKeyEnter);
      } else {
        Game().Frames(1);
      }
    }
    return done();
  }
  bool PlayEventOut(int answer = 0) {
    return PlayUntil([] { return !TaskSlotInUse(kSlotEvent); }, answer);
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
  // Holds an arrow key for whole steps.
  void Walk(int key, int cells) {
    Game().Hold(key);
    Game().Frames(8 * cells);
    Game().Release(key);
  }
};

TEST_F(JourneyTest, FromTheTitleThroughTheOpeningAndThePartysScreensToWalking) {
  ASSERT_TRUE(TaskExists(kTaskIdTitle));
  Game().Frames(1);
  Game().Tap(kKeyEnter);  // new game
  ASSERT_TRUE(TaskExists(kTaskIdNewGamePrompt));
  Game().Tap(kKeyDown);  // from No to Yes
  Game().Tap(kKeyEnter);
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
  EXPECT_TRUE(Game().Boxes().empty());
  EXPECT_FALSE(TaskSlotInUse(kSlotRunOnceEvent)) << "the opening does not come back";
  EXPECT_EQ(g_eventFlags[1], 1);

  // Shift pauses the field under the menu; the party menu opens each of its screens and
  // comes back from it; Escape returns to the field.
  Game().Tap(kKeyShift);
  EXPECT_TRUE(TaskExists(kTaskIdChoiceMenu) && !g_taskPool[0].updateOn);
  Game().Tap(kKeyDown);
  Game().Tap(kKeyEnter);
  const std::pair<std::vector<int>, int32_t> screens[] = {{{kKeyRight}, kTaskIdStatus},
                                                          {{kKeyDown}, kTaskIdSkillMenu},
                                                          {{kKeyRight, kKeyDown}, kTaskIdItemMenu},
                                                          {{kKeyDown, kKeyDown}, kTaskIdPartyOrder}};
  for (const auto& [keys, id] : screens) {
    for (int key : keys) Game().Tap(key);
    Game().Tap(kKeyEnter);
    EXPECT_TRUE(TaskExists(id)) << id;
    Game().Tap(kKeyEscape);
    EXPECT_TRUE(!TaskExists(id) && TaskExists(kTaskIdPartyMenu)) << id;
  }
  Game().Tap(kKeyEscape);
  EXPECT_FALSE(TaskExists(kTaskIdPartyMenu));

  // The player walks north up the road, a cell in eight frames, the first follower a
  // cell behind.
  WalkerData* leader = TaskData<WalkerData>(&g_taskPool[0]);
  EXPECT_FLOAT_EQ(leader->facing, 90.0f);
  const float z = leader->z;
  Game().Hold(kKeyUp);
  Game().Frames(16);
  Game().Release(kKeyUp);
  EXPECT_FLOAT_EQ(leader->z, z + 4.0f);
  Game().Frames(8);
  EXPECT_FLOAT_EQ(TaskData<WalkerData>(&g_taskPool[1])->z, z + 2.0f);
}

TEST_F(JourneyTest, TreasureIsFoundOnceAndTheChestGoesWithIt) {
  ASSERT_TRUE(RunStoryEvent(4, 2, [] { return TaskExists(kTaskIdNotice) != 0; }));
  ASSERT_TRUE(PlayEventOut());
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

// The spirit heals the party at the blessing and again at every later visit.
TEST_F(JourneyTest, TheSpiritBlessesBehindAFadeHealsThePartyAndTakesOfferings) {
  g_eventFlags[4] = 1;  // the charm from the glade
  for (int visit = 0; visit < 2; ++visit) {
    for (CharacterRecord& m : g_party) m.hp = 1;
    EXPECT_TRUE(RunStoryEvent(13, 2, [&] { return TaskExists(visit ? kTaskIdDonation : kTaskIdFade) != 0; }));
    ASSERT_TRUE(visit || PlayEventOut());
    for (const CharacterRecord& m : g_party) EXPECT_EQ(m.hp, m.maxHp) << visit;
  }
  EXPECT_EQ(g_eventFlags[5], 1);
}

TEST_F(JourneyTest, WithTheBlessingTheWitchFallsAndTheEndingRollPlays) {
  g_eventFlags[5] = 1;
  EXPECT_TRUE(RunStoryEvent(12, 2, [] { return TaskExists(kTaskIdEndingRoll) != 0; }));
  EXPECT_FALSE(TaskExists(kTaskIdWalker));
}

// The elder (map 2) asks; declining changes nothing and he asks again; accepting sets
// the flag that the road out of the village (map 0) waits for.
TEST_F(JourneyTest, TheEldersRequestOpensTheRoadToThePlain) {
  g_eventFlags[1] = 1;  // the opening is over
  ASSERT_TRUE(field_->Enter(2, 13, 11, 90.0f));
  Game().Tap(kKeyEnter);
  ASSERT_NE(RunningEvent(), nullptr) << "the elder stands north of the party";
  EXPECT_TRUE(PlayEventOut(1));
  EXPECT_EQ(g_eventFlags[2], 0) << "declined";
  Walk(kKeyDown, 1);  // he talks again once the party has stepped away and back
  Walk(kKeyUp, 1);
  Game().Tap(kKeyZ);
  ASSERT_NE(RunningEvent(), nullptr) << "he asks again";
  PlayEventOut();
  EXPECT_EQ(g_eventFlags[2], 1) << "accepted";

  // The road out: refused before the request, taken after it.
  g_eventFlags[2] = 0;
  ASSERT_TRUE(field_->Enter(0, 39, 23, 0.0f));
  Walk(kKeyRight, 2);
  ASSERT_NE(RunningEvent(), nullptr);
  PlayEventOut();
  EXPECT_FALSE(TaskSlotInUse(kSlotMapChange));
  Walk(kKeyLeft, 1);
  g_eventFlags[2] = 1;
  Walk(kKeyRight, 1);
  ASSERT_TRUE(Game().RunUntil([] { return g_mapNumber == 1 && !TaskSlotInUse(kSlotMapChange); }, 100));

  // The plain's first look runs once: the party walks two cells along the road.
  ASSERT_TRUE(Game().RunUntil([] { return RunningEvent() != nullptr; }, 5));
  PlayEventOut();
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
TEST_F(JourneyTest, EveryMapLoadsAndEveryMapChangeLandsOnOpenGround) {
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

// In the cave's narrow way a pit drops the party a cell back, hurt, and a stone shot down
// the way hits the leader; each springs once. A stone lift carries the party over the
// marsh's water to the east island and back, leaving both piers free to walk on. The
// wood's spring refreshes the party; the star glass's ward strikes it once.
TEST_F(JourneyTest, TheCavesTrapsTheMarshsLiftTheSpringAndTheStarGlassMoveHurtAndHealTheParty) {
  const auto walkInto = [this](int key, int column, int row) {
    Game().Hold(key);
    const bool started = PlayUntil([] { return TaskSlotInUse(kSlotEvent) != 0; }, 0, 100);
    Game().Release(key);
    return started && PlayEventOut() && MapCellIndexChecked(Walker(0)->x, Walker(0)->z) == row * g_mapWidth + column;
  };
  const int32_t hp[2] = {g_party[0].hp, g_party[1].hp};
  ASSERT_TRUE(field_->Enter(4, 31, 24, 90.0f));
  EXPECT_TRUE(walkInto(kKeyUp, 31, 22)) << "out of the pit a cell back";
  EXPECT_TRUE(walkInto(kKeyUp, 31, 19));
  EXPECT_EQ(g_party[0].hp, hp[0] - 20) << "the pit, then the stone";
  EXPECT_EQ(g_party[1].hp, hp[1] - 10);
  ASSERT_TRUE(field_->Enter(4, 31, 24, 90.0f));
  EXPECT_FALSE(TaskFindByTag(5) || TaskFindByTag(6)) << "sprung traps stay sprung";

  ASSERT_TRUE(field_->Enter(11, 26, 13, 0.0f));
  EXPECT_TRUE(walkInto(kKeyRight, 33, 13));
  EXPECT_TRUE(walkInto(kKeyLeft, 27, 13));
  for (int column : {28, 32}) EXPECT_EQ(g_collisionLayer[13 * g_mapWidth + column], kCollisionFree) << column;

  g_eventFlags[7] = 1;  // the carving in the ruins
  const std::tuple<int, int, int, int32_t> kScenes[] = {
      {3, 27, kKeyRight, -1}, {10, 16, kKeyEnter, 40}, {10, 16, kKeyEnter, 50}};
  for (const auto& [map, column, key, after] : kScenes) {
    ASSERT_TRUE(field_->Enter(map, column - (key == kKeyRight), 17, key == kKeyRight ? 0.0f : 90.0f));
    for (CharacterRecord& m : g_party) m.hp = 50;
    EXPECT_TRUE(walkInto(key, column, 17));
    for (const CharacterRecord& m : g_party) EXPECT_EQ(m.hp, after < 0 ? m.maxHp : after) << map;
  }
}

}  // namespace
