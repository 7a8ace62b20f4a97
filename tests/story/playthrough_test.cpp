// The whole game played through the real program by keys alone, with the built data
// files and a fixed random seed: a new game and its opening, every map of the story in
// order, the battles on the way under auto-battle, a save, a return to the title and a
// load partway, the witch, and the ending roll back to the title. Each seed's battles go
// their own way; the story must reach its end with every one.
//
// The player reads the game's state to choose its keys, as a player reads the screen: it
// walks the leader by the shortest open way a whole step at a time, confirms messages,
// answers choices and lets battles play under auto-battle.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "battle/battle.h"
#include "battle/messages.h"
#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/util.h"
#include "event/ending.h"
#include "event/pack.h"
#include "event/text_window.h"
#include "field/map.h"
#include "field/objects.h"
#include "game/flow.h"
#include "menu/choice_menu.h"
#include "menu/save_screen.h"
#include "menu/title.h"
#include "support/field_world.h"

namespace {

// An event of a map in story order, the answer to its choice, the flags it sets, the map
// the party stands on afterwards (-1: the title, after the ending), and whether it heals
// every member (1) or strikes each (-1). Event 0 saves, goes back to the title and loads
// the save again; event -1 trains on the map up to the level given as the answer.
//
// In the village the road out is barred before the elder's request, which is declined,
// then taken; the road out, the first look over the plain and training there; the charm
// in the wood's glade, the spirit's blessing at the shrine and the wood's spring; back to
// the plain and into the cave, past the pit and the stone trap in its narrow way to the
// chest and the old stone; a save and a load; the cave's guardian, the ambush on the pass,
// the boat from the port to the marsh, the ruins' carving, the lift to the east island
// and the castle; the stair's guards, the door behind the throne, the star glass and its
// ward, and the witch.
struct Step {
  int map, event, answer, flags[2], next, hp;
};
constexpr Step kRoute[] = {
    {0, 2, 0, {}, 0, 0},   {0, 3, 0, {}, 2, 0},   {2, 4, 1, {}, 2, 0},      {2, 4, 0, {2}, 2, 0},
    {2, 1, 0, {}, 0, 0},   {0, 2, 0, {3}, 1, 0},  {1, -1, 34, {}, 1, 0},    {1, 2, 0, {}, 3, 0},
    {3, 3, 0, {4}, 3, 0},  {3, 2, 0, {}, 13, 0},  {13, 2, 0, {5}, 13, 1},   {13, 1, 0, {}, 3, 0},
    {3, 4, 0, {}, 3, 1},   {3, 1, 0, {}, 1, 0},   {1, 3, 0, {}, 4, 0},      {4, 5, 0, {40}, 4, 0},
    {4, 6, 0, {41}, 4, 0}, {4, 2, 0, {20}, 4, 0}, {4, 4, 0, {6}, 4, 0},     {4, 0, 0, {}, 4, 0},
    {4, 3, 0, {30}, 7, 0}, {7, 2, 0, {31}, 5, 0}, {5, 4, 0, {}, 11, 0},     {11, 1, 0, {}, 6, 0},
    {6, 2, 0, {7}, 6, 0},  {6, 1, 0, {}, 11, 0},  {11, 4, 0, {}, 11, 0},    {11, 2, 0, {}, 8, 0},
    {8, 2, 0, {32}, 9, 0}, {9, 2, 0, {}, 10, 0},  {10, 2, 0, {42}, 12, -1}, {12, 2, 0, {8, 33}, -1, 0},
};

template <class T>
T* Live(int slot) {
  return g_taskPool && g_taskPool[slot].inUse ? TaskData<T>(&g_taskPool[slot]) : nullptr;
}
WalkerData* Leader() { return Live<WalkerData>(kSlotWalkerFirst); }
int LeaderCell() { return Leader() ? MapCellIndexChecked(Leader()->x, Leader()->z) : -1; }
// The entry under the cursor of the open menu, or else the save screen's slot.
int Cursor() {
  if (const MenuData* menu = Live<MenuData>(kSlotChoiceMenu)) return menu->actions[menu->cursor];
  return Live<SaveScreenData>(kSlotSaveLoad) ? Live<SaveScreenData>(kSlotSaveLoad)->cursor : -1;
}

// The leader at rest on the field, taking keys, with no screen, event or battle running.
bool FieldAtRest() {
  for (int s = kSlotScreensFirst; s < kTaskSlotCount; ++s) {
    if (g_taskPool[s].inUse && s != kSlotEncounterWard) return false;
  }
  const WalkerData* leader = Leader();
  return leader && g_taskPool[kSlotWalkerFirst].updateOn && leader->state == WalkerStatePlayerIdle &&
         leader->subStep == 0 && !AutoEventPending();
}

// The first cell on a shortest way from `from` to a cell for which `goal` holds, over the
// cells the field lets the leader enter; other event cells are walked round unless
// `detour`. `from` when it is a goal; -1 when none is reached.
int PathStep(int from, const std::function<bool(int)>& goal, bool detour) {
  std::vector<int> came(static_cast<size_t>(g_mapWidth * g_mapHeight), -1), queue{from};
  came[static_cast<size_t>(from)] = from;
  for (size_t head = 0; head < queue.size(); ++head) {
    int step = queue[head];
    if (goal(step)) {
      while (step != from && came[static_cast<size_t>(step)] != from) step = came[static_cast<size_t>(step)];
      return step;
    }
    for (int next : {step + 1, step - 1, step - g_mapWidth, step + g_mapWidth}) {
      if (MapNeighbourDirection(step, next) < 0 || next >= g_mapWidth * g_mapHeight) continue;
      if (came[static_cast<size_t>(next)] >= 0) continue;
      float x = static_cast<float>(next % g_mapWidth), z = static_cast<float>(next / g_mapWidth);
      MapCellToWorld(&x, &z);
      if (MapCollisionAt(x, z) != kCollisionFree || (!detour && MapEventAt(x, z) > 0 && !goal(next))) continue;
      came[static_cast<size_t>(next)] = step;
      queue.push_back(next);
    }
  }
  return detour ? -1 : PathStep(from, goal, true);
}

class StoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string built = test::BuildDataDir();
    field_ =
        std::make_unique<test::FieldGame>(test::ReadFile(built + "/mappack.dat"), test::ReadFile(built + "/epack.dat"));
    ASSERT_EQ(field_->StartResult(), 1);
  }
  test::GameHarness& Game() { return field_->Game(); }
  bool Tap(int key) {
    Game().Tap(key);
    return true;
  }

  // Frames with the keys a player would give until `done` holds: messages, notices,
  // battle messages and the ending's last picture confirmed, choices given `answer`.
  bool PlayUntil(const std::function<bool()>& done, int answer = 0, int limit = 20000) {
    for (int frame = 0; frame < limit && Game().Running() && !done(); ++frame) {
      const EventContext* event = Live<EventContext>(kSlotEvent);
      const EndingRollData* roll = Live<EndingRollData>(kSlotEndingRoll);
      const BattleData* battle = Live<BattleData>(kSlotBattle);
      rollSeen_ |= roll != nullptr;
      if (event && event->step == EventChoiceStep && answer == 1) Tap(kKeyDown);
      if ((event && (event->step == EventChoiceStep ||
                     (event->step == TextWindowStep && event->typingLine == kEventLineCount))) ||
          TaskSlotInUse(kSlotNotice) || (roll && roll->step == EndingRollWaitConfirm) ||
          (battle && (battle->step == BattleIntroWaitKey || battle->step == BattleOutroWaitKey))) {
        Tap(kKeyEnter);
      } else {
        Game().Frames(1);
      }
    }
    return done();
  }

  // Walks to a cell for which `goal` holds, planning again after every step and after
  // any battle on the way, with auto-battle on, until an event starts there. Holding A
  // through a step, which the game takes as keeping random battles away, is `calm_`.
  bool WalkTo(const std::function<bool(int)>& goal) {
    for (int steps = 0; steps < 2000; ++steps) {
      if (!PlayUntil(FieldAtRest)) return false;
      if (!g_settings.autoBattle) Tap(kKeyA);
      const int from = LeaderCell(), next = PathStep(from, goal, false);
      if (next < 0 || next == from) return next == from;
      Game().Hold(next == from + 1 ? kKeyRight : next == from - 1 ? kKeyLeft : next < from ? kKeyUp : kKeyDown);
      Game().Frames(1);
      if (calm_) Game().Hold(kKeyA);  // once the step is under way, so it turns no switch
      while (Leader() && Leader()->subStep != 0) Game().Frames(1);
      Game().ReleaseAll();
      if (TaskSlotInUse(kSlotEvent) || TaskSlotInUse(kSlotMapChange)) return true;
    }
    return false;
  }

  // Event `event` of the map: a touch trigger is walked onto; a person or an object is
  // walked up to and confirmed. Then plays until the field or the title is back.
  bool Trigger(int event, int answer) {
    const TaskHead* object = TaskFindByTag(event);
    if (!object) return false;
    const int target = MapCellIndexChecked(object->x, object->z);
    const auto beside = [target](int cell) { return MapNeighbourDirection(cell, target) >= 0; };
    if (MapCollisionAt(object->x, object->z) == kCollisionFree) {  // a trigger holds no cell
      if (!WalkTo([target](int cell) { return cell == target; })) return false;
    } else {
      // Someone just talked to waits for the leader to step away before talking again.
      if (beside(LeaderCell()) && !WalkTo([&](int cell) { return cell != target && !beside(cell); })) return false;
      // A frame at rest beside it first: a random battle due starts there, not at the confirm.
      if (!WalkTo(beside) || (Game().Frames(1), !PlayUntil(FieldAtRest)) || !Tap(kKeyEnter)) return false;
    }
    return PlayUntil([] { return TaskSlotInUse(kSlotEvent); }, answer, 60) &&
           PlayUntil([] { return FieldAtRest() || TaskSlotInUse(kSlotTitle); }, answer, 60000);
  }

  // Down until the cursor reads `want` (a menu's entry, a save slot), then Enter.
  bool Pick(int want) {
    for (int tries = 0; tries < kSaveSlotCount && Cursor() != want; ++tries) Tap(kKeyDown);
    return Cursor() == want && Tap(kKeyEnter);
  }
  bool PickSlot(int slot) { return Pick(slot) && Tap(kKeyDown) && Tap(kKeyEnter); }  // and Yes

  bool NewGame() {
    Game().Frames(1);
    return Tap(kKeyEnter) && Tap(kKeyDown) && Tap(kKeyEnter) && PlayUntil(FieldAtRest);  // Yes to a new game
  }
  bool SaveAndQuit(int slot) {
    const bool saved = PlayUntil(FieldAtRest) && Tap(kKeyShift) && Pick(kMenuActSave) && PickSlot(slot) &&
                       Live<SaveScreenData>(kSlotSaveLoad)->step == SaveScreenSavedWait;
    return saved && Tap(kKeyEnter) && Tap(kKeyEscape) && PlayUntil(FieldAtRest) && Tap(kKeyShift) &&
           Pick(kMenuActFieldQuit) && Pick(kMenuActFieldQuitYes) && PlayUntil([] { return TaskSlotInUse(kSlotTitle); });
  }
  bool Load(int slot) {
    const auto title = [] { return Live<TitleData>(kSlotTitle); };
    if (!PlayUntil([&] { return title() && title()->step == TitleMenuInput; })) return false;
    while (title() && title()->selection != kTitleLoad) Tap(title()->column != 1 ? kKeyRight : kKeyDown);
    return Tap(kKeyEnter) && PickSlot(slot) && PlayUntil(FieldAtRest);
  }

  // Back and forth beside the cell the leader stands on, fighting the random battles that
  // come, until the heroine's level is `level`.
  bool Train(int level) {
    for (int home = LeaderCell(), steps = 0; g_party[0].level < level && steps < 4000; ++steps) {
      const bool out = LeaderCell() == home;
      if (!WalkTo([&](int cell) { return out ? MapNeighbourDirection(home, cell) >= 0 : cell == home; })) return false;
    }
    return g_party[0].level >= level;
  }

  // Where a stalled run stands: frame, map, the leader's cell, the live tasks.
  std::string Report() {
    std::string report = "frame " + std::to_string(Game().FrameCount()) + ", map " + std::to_string(g_mapNumber) +
                         ", leader on cell " + std::to_string(LeaderCell()) + "; live tasks (slot:id):";
    for (int s = 0; s < kTaskSlotCount; ++s) {
      if (g_taskPool[s].inUse) report += " " + std::to_string(s) + ":" + std::to_string(g_taskPool[s].id);
    }
    return report;
  }

  std::unique_ptr<test::FieldGame> field_;
  bool calm_ = false;
  bool rollSeen_ = false;
};

class PlaythroughTest : public StoryTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(PlaythroughTest, TheStoryIsPlayedToItsEndByKeys) {
  RandomSeed(GetParam());
  ASSERT_TRUE(NewGame()) << Report();
  std::set<int> flags = {1};
  for (const Step& step : kRoute) {
    SCOPED_TRACE("map " + std::to_string(step.map) + " event " + std::to_string(step.event));
    ASSERT_EQ(g_mapNumber, step.map);
    // Walking to an event where the random battles are strongest, A is held through the
    // steps: a party that fought them all on the way loses before the end. It trains on
    // the plain first (step -1), or the witch beats it.
    calm_ = step.event > 0 && g_encounterArea >= 3;
    const GameState before = g_game;
    if (step.event == 0) {
      ASSERT_TRUE(SaveAndQuit(2)) << Report();
      ASSERT_TRUE(Load(2)) << Report();
    } else if (step.event < 0) {
      ASSERT_TRUE(Train(step.answer)) << Report();
    } else {
      ASSERT_TRUE(Trigger(step.event, step.answer)) << Report();
    }
    for (const int flag : step.flags) {
      if (flag) flags.insert(flag);
    }
    for (int f = 0; f < kEventFlagCount; ++f) EXPECT_EQ(g_eventFlags[f] != 0, flags.count(f) == 1) << "flag " << f;
    EXPECT_EQ(step.next >= 0 ? g_mapNumber : -1, step.next);
    for (int m = 0; step.hp && m < g_partyCount; ++m) {
      EXPECT_TRUE(step.hp > 0 ? g_party[m].hp == g_party[m].maxHp : g_party[m].hp < before.party[m].hp) << m;
    }
  }
  EXPECT_TRUE(rollSeen_);
  EXPECT_TRUE(TaskSlotInUse(kSlotTitle));
}

INSTANTIATE_TEST_SUITE_P(Seeds, PlaythroughTest, ::testing::Values(777u, 2u));

// Each scripted battle bars the way on until it is won, and then never again: the way
// opens, or after the witch the ending roll follows.
TEST_F(StoryTest, EveryScriptedBattleBarsTheWayUntilWon) {
  for (const auto& [map, event, flag] : {std::tuple{4, 3, 30}, {7, 2, 31}, {8, 2, 32}, {12, 2, 33}}) {
    for (const int won : {0, 1}) {
      SCOPED_TRACE("map " + std::to_string(map) + (won ? ", won" : ""));
      TaskKillAll();
      g_eventFlags[5] = 1;  // the spirit's blessing, which the witch's battle waits for
      g_eventFlags[flag] = won;
      g_mapNumber = map;
      ASSERT_TRUE(MapLoad() == 1 && EventStart(event) == 1);
      EXPECT_TRUE(PlayUntil([] {
        return TaskSlotInUse(kSlotBattle) || TaskSlotInUse(kSlotMapChange) || TaskSlotInUse(kSlotEndingRoll);
      }));
      EXPECT_EQ(TaskSlotInUse(kSlotBattle), !won);
    }
  }
}

// Every object of the scripts stands on open ground; every map change of the scripts sets
// the party down on open ground that holds no event of its own.
TEST_F(StoryTest, EveryObjectAndEveryMapChangeStandsOnOpenGround) {
  std::vector<std::array<int, 5>> landings;  // from map and event, to map, column and row
  for (int map = 0; map < kMapCount; ++map) {
    TaskKillAll();
    g_mapNumber = map;
    ASSERT_EQ(MapLoad(), 1);
    for (int s = kSlotObjectsFirst; s < kSlotObjectsEnd; ++s) {
      const TaskHead* object = Live<TaskHead>(s);
      EXPECT_TRUE(!object || g_tileLayer[MapCellIndex(object->x, object->z)] <= kTileWallAbove) << map << " " << s;
    }
    for (int k = 0; k < g_eventCount; ++k) {
      const char* script = EventSlotBase(k);
      for (int32_t p = 0; p + 1 < kEventSlotSize; ++p) {
        int32_t at = p + 1, args[5];
        if (script[p] != '#' || EventReadNumber(&at, script) != 8) continue;
        for (int32_t& a : args) a = EventReadNumber(&at, script);
        landings.push_back({map, k + 1, args[0], args[2], args[3]});
      }
    }
  }
  EXPECT_GE(landings.size(), 30u);
  for (const auto& [from, event, map, column, row] : landings) {
    TaskKillAll();
    g_mapNumber = map;
    ASSERT_EQ(MapLoad(), 1);
    const int cell = row * g_mapWidth + column;
    EXPECT_TRUE(column < g_mapWidth && row < g_mapHeight && g_tileLayer[cell] <= kTileWallAbove &&
                g_eventLayer[cell] == 0)
        << "map " << from << " event " << event;
  }
  EXPECT_TRUE(Game().Boxes().empty());
}

}  // namespace
