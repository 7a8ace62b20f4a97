#include "support/autopilot.h"

#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/messages.h"
#include "data/tasks.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "event/ending.h"
#include "event/text_window.h"
#include "field/map.h"
#include "field/objects.h"
#include "menu/choice_menu.h"
#include "menu/save_screen.h"
#include "menu/title.h"

namespace test {
namespace {

template <class T>
T* Live(int slot) {
  return g_taskPool && g_taskPool[slot].inUse ? TaskData<T>(&g_taskPool[slot]) : nullptr;
}

void CellCentre(int cell, float* x, float* z) {
  *x = static_cast<float>(cell % g_mapWidth);
  *z = static_cast<float>(cell / g_mapWidth);
  MapCellToWorld(x, z);
}

// Breadth first from `from`; `detour` lets the way cross other event cells.
int Search(int from, const std::function<bool(int)>& goal, bool detour) {
  std::vector<int> came(static_cast<size_t>(g_mapWidth * g_mapHeight), -1), queue{from};
  came[static_cast<size_t>(from)] = from;
  for (size_t head = 0; head < queue.size(); ++head) {
    const int cell = queue[head];
    if (goal(cell)) {
      int step = cell;
      while (came[static_cast<size_t>(step)] != from && step != from) step = came[static_cast<size_t>(step)];
      return step;
    }
    for (int next : {cell + 1, cell - 1, cell - g_mapWidth, cell + g_mapWidth}) {
      if (next < 0 || next >= g_mapWidth * g_mapHeight || MapNeighbourDirection(cell, next) < 0) continue;
      float x, z;
      CellCentre(next, &x, &z);
      if (came[static_cast<size_t>(next)] >= 0 || MapCollisionAt(x, z) != kCollisionFree) continue;
      if (!detour && MapEventAt(x, z) > 0 && !goal(next)) continue;
      came[static_cast<size_t>(next)] = cell;
      queue.push_back(next);
    }
  }
  return -1;
}

WalkerData* Leader() { return Live<WalkerData>(kSlotWalkerFirst); }
int LeaderCell() { return Leader() ? MapCellIndexChecked(Leader()->x, Leader()->z) : -1; }

int MenuEntry() {
  const MenuData* menu = Live<MenuData>(kSlotChoiceMenu);
  return menu ? menu->actions[menu->cursor] : -1;
}

int SaveCursor() {
  const SaveScreenData* screen = Live<SaveScreenData>(kSlotSaveLoad);
  return screen ? screen->cursor : -1;
}

bool BattleWaitsForKey() {
  const BattleData* battle = Live<BattleData>(kSlotBattle);
  return battle && (battle->step == BattleIntroWaitKey || battle->step == BattleOutroWaitKey);
}

}  // namespace

int PathStep(int from, const std::function<bool(int)>& goal) {
  const int step = Search(from, goal, false);
  return step >= 0 ? step : Search(from, goal, true);
}

bool FieldAtRest() {
  const WalkerData* leader = Leader();
  if (!leader || !g_taskPool[kSlotWalkerFirst].updateOn || leader->state != WalkerStatePlayerIdle ||
      leader->subStep != 0 || AutoEventPending()) {
    return false;
  }
  for (int s = kSlotScreensFirst; s < kTaskSlotCount; ++s) {
    if (g_taskPool[s].inUse && s != kSlotEncounterWard) return false;
  }
  return true;
}

bool Autopilot::Tap(int key) {
  game_.Tap(key);
  return true;
}

bool Autopilot::PlayUntil(const std::function<bool()>& done, int answer, int limit) {
  for (int frame = 0; frame < limit && game_.Running(); ++frame) {
    if (done()) return true;
    const EventContext* event = Live<EventContext>(kSlotEvent);
    const EndingRollData* roll = Live<EndingRollData>(kSlotEndingRoll);
    endingRollSeen |= roll != nullptr;
    if (event && event->step == EventChoiceStep) {
      if (answer == 1) Tap(kKeyDown);
      Tap(kKeyEnter);
    } else if ((event && event->step == TextWindowStep && event->typingLine == kEventLineCount) ||
               TaskSlotInUse(kSlotNotice) || BattleWaitsForKey() || (roll && roll->step == EndingRollWaitConfirm)) {
      Tap(kKeyEnter);
    } else {
      game_.Frames(1);
    }
  }
  return done();
}

bool Autopilot::WalkTo(const std::function<bool(int)>& goal) {
  for (int steps = 0; steps < 2000; ++steps) {
    if (!PlayUntil(FieldAtRest)) return false;
    if (!g_settings.autoBattle) Tap(kKeyA);
    const int from = LeaderCell();
    const int next = PathStep(from, goal);
    if (next < 0) return false;
    if (next == from) return true;
    const int key = next == from + 1 ? kKeyRight : next == from - 1 ? kKeyLeft : next < from ? kKeyUp : kKeyDown;
    game_.Hold(key);
    game_.Frames(1);
    if (calm) game_.Hold(kKeyA);  // once the step is under way, so it turns no switch
    while (Leader() && Leader()->subStep != 0 && game_.Running()) game_.Frames(1);
    game_.ReleaseAll();
    if (TaskSlotInUse(kSlotEvent) || TaskSlotInUse(kSlotMapChange)) return true;  // the goal's own event
  }
  return false;
}

bool Autopilot::Trigger(int event, int answer) {
  TaskSlot* object = nullptr;
  for (int s = kSlotObjectsFirst; s < kSlotObjectsEnd; ++s) {
    if (g_taskPool[s].inUse && g_taskPool[s].tag == event) object = &g_taskPool[s];
  }
  if (!object || !PlayUntil(FieldAtRest)) return false;
  const TaskHead* head = TaskData<TaskHead>(object);
  const int target = MapCellIndexChecked(head->x, head->z);
  const auto beside = [target](int cell) { return MapNeighbourDirection(cell, target) >= 0; };
  if (object->id == kTaskIdTrigger) {
    if (!WalkTo([target](int cell) { return cell == target; })) return false;
  } else {
    // Someone just talked to waits for the leader to step away before talking again.
    if (beside(LeaderCell()) && !WalkTo([&](int cell) { return cell != target && !beside(cell); })) return false;
    if (!WalkTo(beside)) return false;
    Tap(kKeyEnter);
  }
  PlayUntil([] { return TaskSlotInUse(kSlotEvent); }, answer, 60);
  return PlayUntil([] { return FieldAtRest() || TaskSlotInUse(kSlotTitle); }, answer, 60000);
}

bool Autopilot::NewGame() {
  if (!PlayUntil([] { return TaskExists(kTaskIdTitle); })) return false;
  game_.Frames(1);
  Tap(kKeyEnter);
  Tap(kKeyDown);  // from No to Yes
  Tap(kKeyEnter);
  return PlayUntil(FieldAtRest);
}

// Down until `at` reads `want` (a menu's entry, a save slot), then Enter; on the save
// screen Yes follows.
bool Autopilot::Pick(int (*at)(), int want) {
  for (int tries = 0; tries < kSaveSlotCount && at() != want; ++tries) Tap(kKeyDown);
  return at() == want && Tap(kKeyEnter);
}

bool Autopilot::SaveAndQuit(int slot) {
  const bool saved = PlayUntil(FieldAtRest) && Tap(kKeyShift) && Pick(MenuEntry, kMenuActSave) &&
                     Pick(SaveCursor, slot) && Tap(kKeyDown) && Tap(kKeyEnter) &&
                     Live<SaveScreenData>(kSlotSaveLoad)->step == SaveScreenSavedWait;
  return saved && Tap(kKeyEnter) && Tap(kKeyEscape) && PlayUntil(FieldAtRest) && Tap(kKeyShift) &&
         Pick(MenuEntry, kMenuActFieldQuit) && Pick(MenuEntry, kMenuActFieldQuitYes) &&
         PlayUntil([] { return TaskExists(kTaskIdTitle); });
}

bool Autopilot::Load(int slot) {
  const auto title = [] { return Live<TitleData>(kSlotTitle); };
  if (!PlayUntil([&] { return title() && title()->step == TitleMenuInput; })) return false;
  while (title() && title()->selection != kTitleLoad) Tap(title()->column != 1 ? kKeyRight : kKeyDown);
  return Tap(kKeyEnter) && Pick(SaveCursor, slot) && Tap(kKeyDown) && Tap(kKeyEnter) && PlayUntil(FieldAtRest);
}

std::string AutopilotReport(const GameHarness& game) {
  std::string report = "frame " + std::to_string(game.FrameCount()) + ", map " + std::to_string(g_mapNumber) +
                       ", leader on cell " + std::to_string(LeaderCell()) + " of width " + std::to_string(g_mapWidth) +
                       "; live tasks (slot:id):";
  for (int s = 0; g_taskPool && s < kTaskSlotCount; ++s) {
    if (g_taskPool[s].inUse) report += " " + std::to_string(s) + ":" + std::to_string(g_taskPool[s].id);
  }
  return report;
}

}  // namespace test
