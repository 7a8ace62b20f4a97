// The whole game played through the real program by keys alone, with the built data
// files and a fixed random seed: a new game and its opening, every map of the story in
// order, every random battle met on the way, a save, a return to the title and a load
// partway, the witch, and the ending roll back to the title. Each seed's battles go their
// own way; the story must reach its end with those chosen.
//
// The player reads the game's state to choose its keys, as a player reads the screen: it
// walks the leader by the shortest open way a whole step at a time, confirms messages,
// answers choices and plays as a sensible player would: heals in the field from the
// party menu, rests at the port's inn, buys the port's arms and salves with the money it
// won, guards the party in the scripted battles and lets auto-battle fight the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "battle/battle.h"
#include "battle/cursor.h"
#include "battle/messages.h"
#include "data/items.h"
#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/util.h"
#include "event/ending.h"
#include "event/inn.h"
#include "event/pack.h"
#include "event/shop.h"
#include "event/text_window.h"
#include "field/map.h"
#include "field/objects.h"
#include "game/flow.h"
#include "menu/choice_menu.h"
#include "menu/item_menu.h"
#include "menu/party_menu.h"
#include "menu/save_screen.h"
#include "menu/skill_menu.h"
#include "menu/title.h"
#include "platform/text_encoding.h"
#include "support/field_world.h"

namespace {

// An event of a map in story order, the answer to its choice, the flags it sets, the map
// the party stands on afterwards (-1: the title, after the ending), and whether it heals
// every member (1) or strikes each (-1). Event 0 saves, goes back to the title and loads
// the save again.
//
// In the village the road out is barred before the elder's request, which is declined,
// then taken; the road out and the first look over the plain; the ward bell
// in the wood's glade, the spirit's blessing at the shrine and the wood's spring; back to
// the plain and into the cave, past the pit and the stone trap in its narrow way to the
// chest and the old stone; a save and a load; the cave's guardian, the ambush on the pass,
// the port's chandler and inn, the boat to the marsh, the ruins' carving, the lift to the east island
// and the castle; the stair's guards, the stair between the rune stones, the star glass and its
// ward, the rest at the garden's pool and the witch.
struct Step {
  int map, event, answer, flags[2], next, hp;
};
constexpr Step kRoute[] = {
    {0, 2, 0, {}, 0, 0},        {0, 3, 0, {}, 2, 0},    {2, 4, 1, {}, 2, 0},   {2, 4, 0, {2}, 2, 0},
    {2, 1, 0, {}, 0, 0},        {0, 2, 0, {3}, 1, 0},   {1, 2, 0, {}, 3, 0},   {3, 3, 0, {4}, 3, 0},
    {3, 2, 0, {}, 13, 0},       {13, 2, 0, {5}, 13, 1}, {13, 1, 0, {}, 3, 0},  {3, 4, 0, {}, 3, 1},
    {3, 1, 0, {}, 1, 0},        {1, 3, 0, {}, 4, 0},    {4, 5, 0, {40}, 4, 0}, {4, 6, 0, {41}, 4, 0},
    {4, 2, 0, {20}, 4, 0},      {4, 4, 0, {6}, 4, 0},   {4, 0, 0, {}, 4, 0},   {4, 3, 0, {30}, 7, 0},
    {7, 2, 0, {31}, 5, 0},      {5, 3, 0, {}, 5, 0},    {5, 2, 0, {}, 5, 1},   {5, 4, 0, {}, 11, 0},
    {11, 1, 0, {}, 6, 0},       {6, 2, 0, {7}, 6, 0},   {6, 1, 0, {}, 11, 0},  {11, 4, 0, {}, 11, 0},
    {11, 2, 0, {}, 8, 0},       {8, 2, 0, {32}, 9, 0},  {9, 2, 0, {}, 10, 0},  {10, 2, 0, {42}, 12, -1},
    {12, 3, 0, {}, 12, 1},  // the pool's rest, a few steps before her
    {12, 2, 0, {8, 33}, -1, 0},
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
    field_ = test::BuiltStoryGame();
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
      if (Live<ShopData>(kSlotShop)) {
        Shop();
        continue;
      }
      const InnData* inn = Live<InnData>(kSlotInn);
      if (inn && inn->step == InnAsk) Tap(inn->choice == kInnStay ? kKeyEnter : kKeyDown);
      // A scripted battle: auto-battle off for the party's first phase, the guards, then on.
      guarded_ = guarded_ && battle;
      if (battle && battle->eventBattle && !guarded_ && battle->step == BattleMainStep &&
          (g_settings.autoBattle ? !Tap(kKeyA) : g_phaseSide == 0 && CursorFind()->state == CursorStateFree)) {
        Guard();
        continue;
      }
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
  // any battle on the way, with auto-battle on, until an event starts there.
  bool WalkTo(const std::function<bool(int)>& goal) {
    for (int steps = 0; steps < 2000; ++steps) {
      if (!PlayUntil(FieldAtRest)) return false;
      if (!g_settings.autoBattle) Tap(kKeyA);
      if (!Mend(careful_)) return false;
      const int from = LeaderCell(), next = PathStep(from, goal, false);
      if (next < 0 || next == from) return next == from;
      Game().Hold(next == from + 1 ? kKeyRight : next == from - 1 ? kKeyLeft : next < from ? kKeyUp : kKeyDown);
      Game().Frames(1);
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
      if (!WalkTo(beside) || (Game().Frames(1), !PlayUntil(FieldAtRest)) || !Mend(careful_) || !Tap(kKeyEnter)) {
        return false;
      }
    }
    if (!PlayUntil([] { return TaskSlotInUse(kSlotEvent); }, answer, 60)) return false;
    atEvent_ = g_game;  // no battle comes between here and the event's effects
    return PlayUntil([] { return FieldAtRest() || TaskSlotInUse(kSlotTitle); }, answer, 60000);
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

  static int Held(int item) {
    const auto at = std::ranges::find_if(g_inventory, [&](const InventorySlot& s) { return s.id == item && s.count; });
    return at == std::end(g_inventory) ? -1 : static_cast<int>(at - g_inventory);
  }
  void Keys(std::initializer_list<int> keys) {
    for (const int key : keys) Tap(key);
  }
  // Taps `key` until `at` holds, then Enter unless `enter` is false.
  bool Seek(const std::function<bool()>& at, int key, bool enter = true) {
    for (int taps = 0; taps < 24 && !at(); ++taps) Tap(key);
    return at() && (!enter || Tap(kKeyEnter));
  }
  // From the field at rest, the party menu's `entry` (two columns of three rows).
  bool PartyScreen(int entry) {
    const auto menu = [] { return Live<PartyMenuData>(kSlotPartyMenu); };
    return PlayUntil(FieldAtRest) && Tap(kKeyShift) && Pick(kMenuActParty) &&
           Seek([&] { return menu() && menu()->column == entry % 2; }, kKeyRight, false) &&
           Seek([&] { return menu()->row == entry / 2; }, kKeyDown);
  }
  bool BackToField() {
    for (int taps = 0; taps < 16 && !FieldAtRest(); ++taps) Game().Tap(kKeyEscape, 8);
    return FieldAtRest();
  }
  // The item in inventory slot `slot` used on (or worn by) member `member`.
  bool UseItem(int slot, int member) {
    const auto menu = [] { return Live<ItemMenuData>(kSlotItemMenu); };
    return PartyScreen(kPartyMenuItem) && Tap(kKeyEnter) &&
           Seek([&] { return menu()->page * 2 + menu()->column == slot / 20 * 2 + slot % 2; }, kKeyRight, false) &&
           Seek([&] { return menu()->row == slot % 20 / 2; }, kKeyDown) &&
           Seek([&] { return menu()->member == member; }, kKeyDown) && BackToField();
  }
  // Skill `skill` (on the first page of the grid) cast by member `caster` on `target`, or
  // on everyone.
  bool Cast(int caster, int skill, int target) {
    const auto menu = [] { return Live<SkillMenuData>(kSlotSkillMenu); };
    return PartyScreen(kPartyMenuSkill) && Seek([&] { return menu()->caster == caster; }, kKeyDown) &&
           Seek([&] { return menu()->column == skill % 3; }, kKeyRight, false) &&
           Seek([&] { return menu()->row == skill / 3; }, kKeyDown) &&
           (target < 0 ? Tap(kKeyDown) && Tap(kKeyEnter) : Seek([&] { return menu()->target == target; }, kKeyDown)) &&
           BackToField();
  }
  // A sensible player's care between battles: the fighters wear the best arms held; a
  // member below two fifths of its hit points is healed, by everyone's heal when two or
  // more are, else with the best salve, else by a caster's heal. On the way to a scripted
  // battle (`full`) every member is kept near its most, with salves first, and each
  // caster gets the magic for the guard back with water.
  bool Mend(bool full) {
    for (int tries = 0; tries < 24; ++tries) {
      int low = -1, lows = 0, all = -1, one = -1, dry = -1, arms = -1, wearer = -1;
      for (int m = 0; m < g_partyCount; ++m) {
        const CharacterRecord& member = g_party[m];
        if (member.hp * (full ? 10 : 5) < member.maxHp * (full ? 9 : 2)) low = low < 0 ? m : low, ++lows;
        if (SkillCanUse(3, member)) all = m;
        if (SkillCanUse(2, member)) one = m;
        if (full && member.characterClass == kClassCaster && member.mp < 80) dry = m;
        for (const int item : {2, 11}) {
          if (member.characterClass == kClassFighter && Held(item) >= 0 &&
              (item == 2 ? member.weapon : member.armour) != item) {
            arms = Held(item), wearer = m;
          }
        }
      }
      const int salve = Held(14) >= 0 ? Held(14) : Held(13), water = Held(16) >= 0 ? Held(16) : Held(15);
      const bool done = arms >= 0                                        ? !UseItem(arms, wearer)
                        : low < 0                                        ? dry < 0 || water < 0 || !UseItem(water, dry)
                        : lows >= 2 && all >= 0 && !(full && salve >= 0) ? !Cast(all, 3, -1)
                        : salve >= 0                                     ? !UseItem(salve, low)
                                                                         : one < 0 || !Cast(one, 2, low);
      if (done) return BackToField();
    }
    return true;
  }
  // The shop: a sword and a mail for each fighter while the money lasts, then strong salves
  // and a water for every three.
  void Shop() {
    ShopData* shop = Live<ShopData>(kSlotShop);
    std::vector<int> list;
    int money = g_money - 100;
    for (int m = 0; m < 2 * g_partyCount; ++m) {
      if (g_party[m % g_partyCount].characterClass != kClassFighter || money < 500) continue;
      list.push_back(m < g_partyCount ? 2 : 11), money -= 500;
    }
    for (; money >= 200 && list.size() < 30; money -= 200) list.push_back(list.size() % 4 ? 14 : 15);
    Game().Frames(1);
    for (const int item : list) {
      Seek([&] { return shop->menuCursor == kShopMenuBuy; }, kKeyDown);
      Seek([&] { return shop->items[shop->listCursor] == item; }, kKeyDown);
      Keys({kKeyEnter, kKeyDown, kKeyEnter, kKeyEscape});
    }
    Keys({kKeyEscape, kKeyEscape});
  }
  // The battle marker moved by arrows onto `unit`, then Enter and `command` from its menu.
  // What each arrow does depends on the view: it is learnt from the steps taken.
  bool Order(const UnitData* unit, int command) {
    CursorData* c = CursorFind();
    float dx[4] = {}, dz[4] = {};
    for (int tries = 0; tries < 40 && CursorFindUnit(c) != unit; ++tries) {
      const float x = c->marker[0], z = c->marker[2];
      int k = 0;
      while (k < 3 && (dx[k] != 0 || dz[k] != 0) && dx[k] * (unit->x - x) + dz[k] * (unit->z - z) <= 0) ++k;
      Tap(std::array{kKeyUp, kKeyRight, kKeyDown, kKeyLeft}[static_cast<size_t>(k)]);
      Game().RunUntil([&] { return c->state == CursorStateSelect; }, 60);
      dx[k] = c->marker[0] - x, dz[k] = c->marker[2] - z;
    }
    int32_t count = 0;
    const int32_t* list = UnitCommandList(unit, &count);
    return CursorFindUnit(c) == unit && Tap(kKeyEnter) &&
           Seek([&] { return list[unit->menuCursor] == command; }, kKeyDown);
  }
  // A scripted battle's first party phase by keys: a caster casts the magic guard over
  // everyone and another the plain guard (while no caster knows the magic one, the plain
  // one alone), then auto-battle from another member's menu.
  void Guard() {
    guarded_ = true;
    std::vector<UnitData*> party;
    ForEachUnit([&](UnitData* u) {
      if (u->record.side == 0 && !(u->record.status & kStatusCannotAct)) party.push_back(u);
    });
    bool cast[10] = {};
    for (UnitData* u : party) {
      const CharacterRecord& r = u->record;
      const int skill = r.level >= 30 && r.mp >= 80 && !cast[9] ? 9 : r.level >= 25 && r.mp >= 60 && !cast[8] ? 8 : 0;
      if (r.characterClass != kClassCaster || !skill || !Order(u, kCommandSkill)) continue;
      skill == 9 ? Keys({kKeyRight, kKeyRight, kKeyRight}) : Keys({kKeyDown, kKeyDown, kKeyRight, kKeyRight});
      Keys({kKeyEnter, kKeyDown, kKeyEnter});
      Game().RunUntil([&] { return CursorFind()->state == CursorStateFree; }, 3000);
      cast[skill] = true;
    }
    const auto free = std::ranges::find_if(party, [](const UnitData* u) { return !u->acted; });
    if (free != party.end() && Order(*free, kCommandAuto)) Keys({kKeyDown, kKeyEnter});
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
  bool guarded_ = false, careful_ = false;
  GameState atEvent_{};
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
    if (step.event == 0) {
      ASSERT_TRUE(SaveAndQuit(2)) << Report();
      ASSERT_TRUE(Load(2)) << Report();
    } else {
      // On the way to a scripted battle, and to the step before it, the party is kept near its best.
      careful_ = std::any_of(&step, std::min(&step + 2, std::end(kRoute)), [](const Step& s) {
        return std::ranges::any_of(s.flags, [](int flag) { return flag >= 30 && flag <= 33; });
      });
      ASSERT_TRUE(Mend(careful_) && Trigger(step.event, step.answer)) << Report();
    }
    for (const int flag : step.flags) {
      if (flag) flags.insert(flag);
    }
    for (int f = 0; f < kEventFlagCount; ++f) EXPECT_EQ(g_eventFlags[f] != 0, flags.count(f) == 1) << "flag " << f;
    EXPECT_EQ(step.next >= 0 ? g_mapNumber : -1, step.next);
    for (int m = 0; step.hp && m < g_partyCount; ++m) {
      EXPECT_TRUE(step.hp > 0 ? g_party[m].hp == g_party[m].maxHp : g_party[m].hp < atEvent_.party[m].hp) << m;
    }
  }
  EXPECT_TRUE(rollSeen_);
  EXPECT_TRUE(TaskSlotInUse(kSlotTitle));
}

INSTANTIATE_TEST_SUITE_P(Seeds, PlaythroughTest, ::testing::Values(4u, 2u),
                         [](const auto& seed) { return "Seed" + std::to_string(seed.param); });

// Each scripted battle bars the way on until it is won, and then never again: the way
// opens, or after the witch the ending roll follows. Before her battle the witch says who
// she is, whether or not the party has met her before.
TEST_F(StoryTest, EveryScriptedBattleBarsTheWayUntilWon) {
  for (const auto& [map, event, flag, words] :
       {std::tuple{4, 3, 30, ""}, {7, 2, 31, ""}, {8, 2, 32, ""}, {12, 2, 33, "ベアトリクスよ"}}) {
    for (const int won : {0, 1, 2}) {  // 2: not won, the witch met before
      SCOPED_TRACE("map " + std::to_string(map) + (won ? won == 1 ? ", won" : ", met" : ""));
      TaskKillAll();
      g_eventFlags[5] = 1;  // the spirit's blessing, which the witch's battle waits for
      g_eventFlags[8] = won == 2;
      g_eventFlags[flag] = won == 1;
      g_mapNumber = map;
      ASSERT_TRUE(MapLoad() == 1 && EventStart(event) == 1);
      std::string said;
      EXPECT_TRUE(PlayUntil([&] {
        const EventContext* e = Live<EventContext>(kSlotEvent);
        for (int line = 0; e && e->step == TextWindowStep && line < kEventLineCount; ++line) {
          said += plat::SjisToUtf8(e->lines[line]);
        }
        return TaskSlotInUse(kSlotBattle) || TaskSlotInUse(kSlotMapChange) || TaskSlotInUse(kSlotEndingRoll);
      }));
      EXPECT_EQ(TaskSlotInUse(kSlotBattle), won != 1);
      EXPECT_TRUE(won == 1 || said.find(words) != std::string::npos) << said;
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

// The cave's pit and stone trap spring once and its chest is opened once: with their
// flags set, a load of the cave places none of them again.
TEST_F(StoryTest, WhatWasSprungOrTakenIsNotPlacedAgain) {
  for (const auto& [flag, event] : {std::pair{40, 5}, {41, 6}, {20, 2}}) {
    for (const int set : {0, 1}) {
      SCOPED_TRACE("flag " + std::to_string(flag) + (set ? " set" : " clear"));
      TaskKillAll();
      EventFlagsClear();
      g_eventFlags[flag] = set;
      g_mapNumber = 4;
      ASSERT_EQ(MapLoad(), 1);
      EXPECT_EQ(TaskFindByTag(event) != nullptr, set == 0);
    }
  }
}

}  // namespace
