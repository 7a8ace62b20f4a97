// The soak: the whole game, headless, played for many frames with keys from a seeded
// generator, from the title through the field, events, battles, menus and saves.
//
// After every frame it checks that the game is sound: every live task is a kind the game
// knows with both callbacks, something still updates and something is drawn, no error
// box came up, a leader that takes keys stands on a cell, and the shared game state
// keeps its ranges. Every few thousand frames it checks that the game still answers
// keys: keys that back out and confirm must bring it, within a bound, to a screen that
// takes the player's keys (the title, the party at rest on the field, the party's turn
// in a battle). The heap in use is sampled as it goes and must stay flat. A quit from
// the title ends the program; the soak starts it again.
//
//   milva_soak [frames] [seed]    run beside the built data files; exit 0 when clean
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/cursor.h"
#include "data/game_state.h"
#include "data/money.h"
#include "data/tasks.h"
#include "engine/keys.h"
#include "field/map.h"
#include "field/walker.h"
#include "menu/choice_menu.h"
#include "menu/save_screen.h"
#include "menu/title.h"
#include "platform/recording/audio_recording.h"
#include "support/harness.h"

#if defined(__SANITIZE_ADDRESS__)
#define MILVA_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MILVA_SOAK_ASAN 1
#endif
#endif
#ifdef MILVA_SOAK_ASAN
extern "C" size_t __sanitizer_get_current_allocated_bytes();  // the runtime's; GCC ships no header for it
#else
#include <malloc.h>
#endif

namespace {

constexpr long kDefaultFrames = 100000;
constexpr int kHomingEvery = 2000;  // frames of play between checks that keys still answer
constexpr int kHomingBound = 3600;  // a minute of game time to get back to a screen with keys
constexpr int kBlankFramesBound = 4;
constexpr int kMemoryEvery = 1000;
constexpr size_t kHeapGrowthBound = size_t{1} << 20;

// ---- what the game is doing ---------------------------------------------------------

// Every kind of task the game makes, named for the summary; a live slot holding any
// other id is a fault.
struct TaskKind {
  int32_t id;
  const char* name;
};
constexpr TaskKind kKinds[] = {
    {kTaskIdCamera, "camera"},
    {kTaskIdWalker, "walker"},
    {kTaskIdFieldView, "field view"},
    {kTaskIdBattleGridView, "battle grid"},
    {kTaskIdBattleCursor, "battle cursor"},
    {kTaskIdBattleUnit, "battle unit"},
    {kTaskIdMapChange, "map change"},
    {kTaskIdEffect3D, "3D effect"},
    {kTaskIdPerson, "person"},
    {kTaskIdTrigger, "trigger"},
    {kTaskIdBlock, "block"},
    {kTaskIdExamined, "examined object"},
    {kTaskIdNotice, "notice"},
    {kTaskIdProjectile, "projectile"},
    {kTaskIdLift, "lift"},
    {kTaskIdShop, "shop"},
    {kTaskIdInn, "inn"},
    {kTaskIdBattle, "battle"},
    {kTaskIdChoiceMenu, "choice menu"},
    {kTaskIdStatus, "status screen"},
    {kTaskIdDamageDigits, "damage digits"},
    {kTaskIdPopupSprite, "popup"},
    {kTaskIdEncounterWard, "encounter ward"},
    {kTaskIdDonation, "donation"},
    {kTaskIdTitle, "title"},
    {kTaskIdOptions, "options"},
    {kTaskIdNewGamePrompt, "new game prompt"},
    {kTaskIdQuitPrompt, "quit prompt"},
    {kTaskIdPartyMenu, "party menu"},
    {kTaskIdEvent, "event"},
    {kTaskIdSaveLoad, "save screen"},
    {kTaskIdRunOnceEvent, "run-once event"},
    {kTaskIdFade, "fade"},
    {kTaskIdEndingRoll, "ending roll"},
    {kTaskIdGallery, "gallery"},
    {kTaskIdPicture, "picture"},
    {kTaskIdModelViewer, "model viewer"},
    {kTaskIdPreviewScene, "preview scene"},
    {kTaskIdPartyOrder, "party order"},
    {kTaskIdSkillMenu, "skill menu"},
    {kTaskIdItemMenu, "item menu"},
    {kTaskIdEncounterTransition, "encounter transition"},
};

const TaskKind* FindKind(int32_t id) {
  for (const TaskKind& kind : kKinds) {
    if (kind.id == id) return &kind;
  }
  return nullptr;
}

bool AnyLive(std::initializer_list<int> slots) {
  return std::any_of(slots.begin(), slots.end(), [](int s) { return g_taskPool[s].inUse != 0; });
}

// Each kind of screen gets its own mix of keys.
enum Scene { kSceneTitle, kScenePrompt, kSceneField, kSceneEvent, kSceneBattle, kSceneMenu, kSceneCount };
constexpr const char* kSceneNames[kSceneCount] = {"title", "prompt", "field", "event", "battle", "menu"};

Scene CurrentScene() {
  if (AnyLive({kSlotNewGamePrompt, kSlotQuitPrompt})) return kScenePrompt;
  if (AnyLive({kSlotChoiceMenu, kSlotPartyMenu, kSlotStatus, kSlotSkillMenu, kSlotItemMenu, kSlotPartyOrder,
               kSlotSaveLoad, kSlotOptions, kSlotGallery, kSlotPicture, kSlotModelViewer})) {
    return kSceneMenu;
  }
  if (AnyLive({kSlotBattle, kSlotEncounterTransition})) return kSceneBattle;
  if (AnyLive({kSlotEvent, kSlotShop, kSlotInn, kSlotNotice, kSlotDonation, kSlotEndingRoll})) return kSceneEvent;
  return g_taskPool[kSlotTitle].inUse ? kSceneTitle : kSceneField;
}

// The leader when it is the party's leader at rest and takes keys.
WalkerData* LeaderTakingKeys() {
  TaskSlot& slot = g_taskPool[kSlotWalkerFirst];
  if (!slot.inUse || slot.id != kTaskIdWalker || !slot.updateOn) return nullptr;
  WalkerData* leader = TaskData<WalkerData>(&slot);
  return leader->state == WalkerStatePlayerIdle ? leader : nullptr;
}

// Screens that take the player's keys, which backing out and confirming must reach.
bool AtHome() {
  if (g_taskPool[kSlotTitle].inUse) return true;
  if (g_taskPool[kSlotChoiceMenu].inUse) return false;
  if (const CursorData* cursor = CursorFind()) {
    const bool roaming = cursor->state == CursorStateSelect || cursor->state == CursorStateFree;
    return roaming && g_phaseSide == 0 && TaskFindById(kTaskIdBattleCursor)->updateOn;
  }
  for (int s = kSlotBattle; s <= kSlotEncounterTransition; ++s) {
    if (g_taskPool[s].inUse) return false;
  }
  return LeaderTakingKeys() != nullptr;
}

// Off a cell centre the leader's steps no longer meet the map's cells.
bool LeaderOnACell() {
  const WalkerData* leader = LeaderTakingKeys();
  if (!leader) return true;
  const float column = (leader->x + static_cast<float>(g_mapWidth - 1)) / kCellSize;
  const float row = (static_cast<float>(g_mapHeight - 1) - leader->z) / kCellSize;
  return leader->subStep == 0 && column == std::floor(column) && row == std::floor(row);
}

// ---- a player with some purpose -----------------------------------------------------

// On the field walks often head for the map's event cells (doors, roads, people,
// chests), the one tried least first, by the shortest open way: the party goes through
// every door and down every road instead of circling one village for ever.
constexpr double kExplore = 0.85;
constexpr int kFramesPerCell = 8;

class Explorer {
 public:
  // The arrow of the first step toward the chosen event cell; -1 when there is none.
  int Pick() {
    const TaskHead* leader = TaskFindByTag(kWalkerLeaderTag);
    const int from = leader ? MapCellIndexChecked(leader->x, leader->z) : -1;
    if (from < 0) return -1;
    const int width = g_mapWidth, cells = g_mapWidth * g_mapHeight;
    came_.assign(static_cast<size_t>(cells), -1);
    queue_.assign(1, from);
    came_[static_cast<size_t>(from)] = from;
    int goal = -1;
    long goalTries = 0;
    for (size_t head = 0; head < queue_.size(); ++head) {
      const int cell = queue_[head];
      if (const int event = g_eventLayer[cell]; event >= 1 && event <= kMapMaxEvents && cell != from) {
        const long tries = tries_[g_mapNumber * 100 + event];
        if (goal < 0 || tries < goalTries) goal = cell, goalTries = tries;
      }
      if (g_collisionLayer[cell] == kCollisionWall && cell != from) continue;  // reached, not crossed
      const int column = cell % width;
      for (int next : {column + 1 < width ? cell + 1 : -1, column > 0 ? cell - 1 : -1, cell - width, cell + width}) {
        if (next < 0 || next >= cells || came_[static_cast<size_t>(next)] >= 0) continue;
        came_[static_cast<size_t>(next)] = cell;
        queue_.push_back(next);
      }
    }
    if (goal < 0) return -1;
    int step = goal;
    while (came_[static_cast<size_t>(step)] != from) step = came_[static_cast<size_t>(step)];
    if (step == goal) ++tries_[g_mapNumber * 100 + g_eventLayer[goal]];  // beside it: a push faces it
    return step == from + 1 ? kKeyRight : step == from - 1 ? kKeyLeft : step < from ? kKeyUp : kKeyDown;
  }

 private:
  std::map<int, long> tries_;      // by map * 100 + event
  std::vector<int> came_, queue_;  // kept: the search runs every few frames
};

// In a battle the keys are often those of a player who means to win, since random keys
// alone rarely bring a unit to blows: the cursor goes to a party unit that has yet to
// act, the unit moves toward the nearest enemy and attacks it when beside it, or waits,
// and once every unit has acted the battle menu ends the phase.
constexpr double kBattleAim = 0.6;

// The arrow that steps the marker toward (x, z), as the cursor reads arrows against its
// view heading (Down toward the camera); Enter on arrival.
int StepToward(const CursorData* cursor, float x, float z) {
  const float dx = x - cursor->marker[0], dz = z - cursor->marker[2];
  if (std::fabs(dx) < 1.0f && std::fabs(dz) < 1.0f) return kKeyEnter;
  const int want = std::fabs(dx) >= std::fabs(dz) ? (dx > 0 ? 0 : 2) : (dz > 0 ? 1 : 3);  // quarter turns from +x
  const int view = static_cast<int>(std::lround(cursor->heading / 90.0f));
  constexpr int kArrowTurns[4] = {0, 2, 1, 3};  // down, up, right, left, from the heading
  for (int key = kKeyDown; key <= kKeyLeft; ++key) {
    if ((view + kArrowTurns[key]) % 4 == want) return key;
  }
  return -1;
}

// Down a vertical menu to the entry wanted, then Enter.
int MenuKey(bool onEntry) { return onEntry ? kKeyEnter : kKeyDown; }

const UnitData* Nearest(float x, float z, bool (*wanted)(const UnitData*)) {
  const UnitData* best = nullptr;
  float bestDistance = 1e9f;
  ForEachUnit([&](const UnitData* unit) {
    const float d = std::fabs(unit->x - x) + std::fabs(unit->z - z);
    if (wanted(unit) && d < bestDistance) best = unit, bestDistance = d;
  });
  return best;
}
bool IsEnemy(const UnitData* unit) { return unit->record.side == 1; }
bool IsReadyMember(const UnitData* unit) { return unit->record.side == 0 && !unit->acted; }

int BattleAimKey() {
  const CursorData* cursor = CursorFind();
  if (!cursor || g_phaseSide != 0) return -1;
  if (TaskSlot* menu = TaskFindById(kTaskIdChoiceMenu)) {
    const MenuData* m = TaskData<MenuData>(menu);
    const int32_t action = m->actions[m->cursor];
    return MenuKey(action == kMenuActEndPhase || action == kMenuActEndPhaseYes);
  }
  UnitData* unit = cursor->unit ? UnitLive(cursor->unit) : nullptr;
  const float x = unit ? unit->x : cursor->marker[0], z = unit ? unit->z : cursor->marker[2];
  const UnitData* enemy = Nearest(x, z, IsEnemy);
  if (!enemy) return -1;
  if (cursor->state == CursorStateSelect || cursor->state == CursorStateFree) {
    const UnitData* member = Nearest(x, z, IsReadyMember);
    if (!member) return kKeyShift;
    const int key = StepToward(cursor, member->x, member->z);
    // The free marker takes no confirm before it has moved once.
    return key == kKeyEnter && cursor->state == CursorStateFree ? kKeyDown : key;
  }
  if (cursor->state == CursorStateActionTarget) return StepToward(cursor, enemy->x, enemy->z);
  const bool alongX = std::fabs(x - enemy->x) >= std::fabs(z - enemy->z);
  if (cursor->state == CursorStateMoveTarget) {  // the cell beside the enemy on the unit's side
    const float side = kCellSize * (alongX ? (x > enemy->x ? 1.0f : -1.0f) : (z > enemy->z ? 1.0f : -1.0f));
    return StepToward(cursor, enemy->x + (alongX ? side : 0.0f), enemy->z + (alongX ? 0.0f : side));
  }
  if (!unit) return -1;
  if (unit->state == UnitStateWaitAsk) return MenuKey(unit->menuCursor == 1);
  if (unit->state != UnitStateCommandMenu) return -1;
  int32_t count = 0;
  const int32_t* list = UnitCommandList(unit, &count);
  const bool beside = std::fabs(x - enemy->x) + std::fabs(z - enemy->z) < 2.5f;
  const int32_t want = beside ? kCommandAttack : unit->moved ? kCommandWait : kCommandMove;
  return MenuKey(unit->menuCursor < count && list[unit->menuCursor] == want);
}

// Going back to the title throws the game's progress away; a confirm that would do it
// is mostly turned into a step away, so quitting stays in the mix at a fifth of its rate.
constexpr double kQuitAversion = 0.8;

bool ConfirmWouldQuit() {
  if (TaskSlot* menu = TaskFindById(kTaskIdChoiceMenu)) {
    const MenuData* m = TaskData<MenuData>(menu);
    const int32_t action = m->actions[m->cursor];
    return action == kMenuActFieldQuitYes || action == kMenuActBattleQuitYes;
  }
  TaskSlot* prompt = TaskFindById(kTaskIdQuitPrompt);
  return prompt && TaskData<PromptData>(prompt)->choice == 1;
}

// Key mixes: a weight a key, and how long an arrow may be held.
struct KeyMix {
  std::array<float, kKeyCount> weight;  // down up right left esc ctrl enter z space shift a s d
  int longestHold;
};
constexpr KeyMix kPlayMixes[kSceneCount] = {
    {{{1, 1, 1, 1, 0.5f, 0.1f, 3, 1, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f}}, 1},     // title
    {{{2, 1, 0, 0, 0.2f, 0, 2, 1, 0, 0, 0, 0, 0}}, 1},                       // prompt
    {{{4, 4, 4, 4, 0.3f, 0.2f, 2, 1, 0.2f, 0.6f, 0.05f, 0.1f, 0.1f}}, 24},   // field: A (no battles) rare
    {{{1, 1, 0.5f, 0.5f, 1, 0.1f, 8, 2, 0.1f, 0.2f, 0.1f, 0.1f, 0.1f}}, 1},  // event
    {{{3, 3, 3, 3, 1.5f, 0.4f, 8, 1, 0.1f, 0.4f, 0.3f, 0.4f, 0.4f}}, 4},     // battle
    {{{2, 2, 2, 2, 2.5f, 0.1f, 3.5f, 1, 0.1f, 0.2f, 0.1f, 0.1f, 0.1f}}, 1},  // menu
};
// Backing out: mostly Escape and confirms, some moves to leave a cursor on a way out, A
// to take a battle back from auto-battle.
constexpr KeyMix kHomingMix = {{{1, 1, 0.5f, 0.5f, 4, 0, 3, 1, 0, 0.2f, 0.5f, 0, 0}}, 1};

// ---- memory -------------------------------------------------------------------------

size_t HeapInUse() {
#ifdef MILVA_SOAK_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  // Large blocks come from mmap until freeing one raises glibc's threshold past them:
  // both kinds count.
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

long PeakRssKib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// ---- the soak -----------------------------------------------------------------------

class Soak {
 public:
  Soak(long frames, uint32_t seed) : frames_(frames), seed_(seed), random_(seed) {}

  int Run() {
    constexpr const char* kDataFiles[] = {"data.dat", "mappack.dat", "epack.dat"};
    for (const char* name : kDataFiles) {
      if (!std::filesystem::exists(name)) return Fail(std::string(name) + " is missing: run beside the build");
    }
    dir_ = test::MakeTempDir();  // the saves land here, beside links to the data files
    bool linked = !dir_.empty();
    for (const char* name : kDataFiles) {
      std::error_code ec;
      std::filesystem::create_symlink(std::filesystem::absolute(name), std::filesystem::path(dir_) / name, ec);
      linked = linked && !ec;
    }
    const auto begin = std::chrono::steady_clock::now();
    int result = linked && StartGame() ? 0 : Fail("the game did not start in " + dir_);
    while (result == 0 && frame_ < frames_) result = Step();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    if (result == 0) result = CheckMemory();
    Summary(seconds);
    game_.reset();
    std::filesystem::remove_all(dir_);
    return result;
  }

 private:
  bool StartGame() {
    game_.reset();
    test::GameHarness::Options options;
    options.seed = seed_ + static_cast<uint32_t>(starts_++);
    options.workDir = dir_;
    game_ = std::make_unique<test::GameHarness>(options);
    held_ = -1;
    return game_->Start() == 1;
  }

  // One frame: the next key once the last has run its course, the frame, the checks.
  int Step() {
    if (!game_->Running() && !StartGame()) return Fail("the game did not start again after a quit");
    if (keyFrames_ == 0) NextKey();
    game_->Frames(1);
    ++frame_;
    if (--keyFrames_ == pauseFrames_ && held_ >= 0) {
      game_->Release(held_);
      held_ = -1;
    }
    if (plat::RecordingAudioDevice* audio = plat::CurrentRecordingAudioDevice()) audio->events.clear();
    if (!game_->Running()) return 0;  // quit from the title
    if (const int failed = CheckFrame()) return failed;
    Record();
    if (frame_ % kMemoryEvery == 0) samples_.push_back(HeapInUse());
    return Homing();
  }

  void NextKey() {
    const bool homing = homingSince_ >= 0;
    const Scene scene = CurrentScene();
    const KeyMix& mix = homing ? kHomingMix : kPlayMixes[scene];
    int key = std::discrete_distribution<int>(mix.weight.begin(), mix.weight.end())(random_);
    int hold = key <= kKeyLeft ? std::uniform_int_distribution<int>(1, mix.longestHold)(random_) : 1;
    if (!homing && scene == kSceneBattle && Chance(kBattleAim)) {
      if (const int aimed = BattleAimKey(); aimed >= 0) key = aimed;
    }
    if (!homing && scene == kSceneField && key <= kKeyLeft && Chance(kExplore)) {
      if (const int explored = explorer_.Pick(); explored >= 0) key = explored, hold = kFramesPerCell;
    }
    if ((key == kKeyEnter || key == kKeyZ) && ConfirmWouldQuit() && Chance(kQuitAversion)) key = kKeyUp;
    pauseFrames_ = std::uniform_int_distribution<int>(1, 3)(random_);
    keyFrames_ = hold + pauseFrames_;
    held_ = key;
    game_->Hold(key);
    ++keyCount_[key];
  }

  bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }

  int CheckFrame() {
    if (!g_taskPool) return Fail("the game runs without a task pool");
    if (!game_->Boxes().empty()) {
      const test::CapturedBox& box = game_->Boxes().back();
      return Fail("a message box came up: \"" + box.text + "\" / \"" + box.caption + "\"");
    }
    bool updating = false;
    for (int s = 0; s < kTaskSlotCount; ++s) {
      const TaskSlot& slot = g_taskPool[s];
      if (!slot.inUse) continue;
      if (!FindKind(slot.id) || !slot.update || !slot.draw) {
        return Fail("slot " + std::to_string(s) + " holds a task of id " + std::to_string(slot.id) +
                    " that is of no known kind or lacks a callback");
      }
      updating |= slot.updateOn != 0;
    }
    if (!updating) return Fail("no live task updates: nothing can ever change again");
    const auto& drawn = game_->Recorder()->lastFrame;
    const bool blank = std::none_of(drawn.begin(), drawn.end(), [](const plat::DrawRecord& r) {
      return r.kind != plat::DrawRecord::Kind::Clear && r.kind != plat::DrawRecord::Kind::Present;
    });
    blankFrames_ = blank ? blankFrames_ + 1 : 0;
    if (blankFrames_ > kBlankFramesBound) return Fail("the screen has stayed black");
    if (!LeaderOnACell()) return Fail("the leader takes keys between cells");
    return CheckState();
  }

  int CheckState() {
    if (g_money < 0 || g_money > kMoneyMax) return Fail("money " + std::to_string(g_money));
    if (g_partyCount < 1 || g_partyCount > kPartyRows) return Fail("party count " + std::to_string(g_partyCount));
    if (g_mapNumber < 0 || g_mapNumber >= kMapCount) return Fail("map number " + std::to_string(g_mapNumber));
    if (g_encounterCountdown < 0) return Fail("encounter countdown " + std::to_string(g_encounterCountdown));
    for (int m = 0; m < g_partyCount; ++m) {
      const CharacterRecord& c = g_party[m];
      if (c.hp < 0 || c.hp > c.maxHp || c.mp < 0 || c.mp > c.maxMp) {
        return Fail("member " + std::to_string(m) + " hp " + std::to_string(c.hp) + "/" + std::to_string(c.maxHp) +
                    " mp " + std::to_string(c.mp) + "/" + std::to_string(c.maxMp));
      }
    }
    const UnitData* odd = nullptr;
    ForEachUnit([&](const UnitData* u) {
      if (u->record.hp < 0 || u->record.hp > u->record.maxHp) odd = u;
    });
    if (odd) {
      return Fail("a battle unit has " + std::to_string(odd->record.hp) + "/" + std::to_string(odd->record.maxHp) +
                  " hit points");
    }
    for (const InventorySlot& slot : g_inventory) {
      if (slot.id != kItemEmpty && (slot.id < 0 || slot.id >= kItemCount || slot.count < 1 || slot.count > 99)) {
        return Fail("inventory holds item " + std::to_string(slot.id) + " x" + std::to_string(slot.count));
      }
    }
    return 0;
  }

  // What was reached: frames each kind of task was live, battles, maps, save screens.
  void Record() {
    bool live[std::size(kKinds)] = {};
    for (int s = 0; s < kTaskSlotCount; ++s) {
      if (g_taskPool[s].inUse) live[FindKind(g_taskPool[s].id) - kKinds] = true;
    }
    for (size_t k = 0; k < std::size(kKinds); ++k) {
      if (live[k] && reached_[k]++ == 0) firstReached_[k] = frame_;
    }
    ++sceneFrames_[CurrentScene()];
    const bool battle = TaskFindById(kTaskIdBattle) != nullptr;
    if (battle && !inBattle_) ++battles_;
    if (!battle && inBattle_ && TaskFindById(kTaskIdWalker)) ++battlesBackToField_;
    inBattle_ = battle;
    if (TaskFindById(kTaskIdWalker)) ++mapFrames_[g_mapNumber];
    TaskSlot* save = TaskFindById(kTaskIdSaveLoad);
    if (save && !inSaveScreen_) ++saveScreens_[TaskData<SaveScreenData>(save)->mode == kSaveModeLoad];
    inSaveScreen_ = save != nullptr;
  }

  // Every so often the keys turn to backing out and confirming until the game stands
  // at a screen that takes keys; not getting there within the bound is a stuck game.
  int Homing() {
    if (homingSince_ < 0) {
      if (frame_ % kHomingEvery == 0) homingSince_ = frame_;
      return 0;
    }
    if (AtHome()) {
      ++homings_;
      longestHoming_ = std::max(longestHoming_, frame_ - homingSince_);
      homingSince_ = -1;
      return 0;
    }
    if (frame_ - homingSince_ <= kHomingBound) return 0;
    return Fail("stuck: " + std::to_string(kHomingBound) + " frames of backing out reached no screen taking keys");
  }

  // After a fifth of the run for warming up, the lowest heap of the last quarter of the
  // samples may not stand above the highest of the first by more than the bound.
  int CheckMemory() {
    if (samples_.size() < 5) return 0;
    const size_t n = samples_.size(), warm = n / 5, quarter = std::max<size_t>(1, (n - warm) / 4);
    const size_t early = *std::max_element(samples_.begin() + static_cast<long>(warm),
                                           samples_.begin() + static_cast<long>(warm + quarter));
    const size_t late = *std::min_element(samples_.end() - static_cast<long>(quarter), samples_.end());
    if (late <= early + kHeapGrowthBound) return 0;
    return Fail("the heap grew from " + std::to_string(early) + " to " + std::to_string(late) + " bytes");
  }

  int Fail(const std::string& what) {
    std::printf("soak: FAILED at frame %ld (seed %u, start %d): %s\n", frame_, seed_, starts_, what.c_str());
    if (!g_taskPool) return 1;
    std::printf("  live tasks (slot, id, kind, update, draw):\n");
    for (int s = 0; s < kTaskSlotCount; ++s) {
      const TaskSlot& slot = g_taskPool[s];
      const TaskKind* kind = FindKind(slot.id);
      if (slot.inUse)
        std::printf("  %4d %6d %-20s %d %d\n", s, slot.id, kind ? kind->name : "?", slot.updateOn, slot.drawOn);
    }
    return 1;
  }

  void Summary(double seconds) {
    std::printf("soak: %ld frames, seed %u, %.1f s (%.3f ms a frame), %d starts\n", frame_, seed_, seconds,
                frame_ ? 1000.0 * seconds / static_cast<double>(frame_) : 0.0, starts_);
    std::printf("  frames by scene:");
    for (int s = 0; s < kSceneCount; ++s) std::printf(" %s %ld", kSceneNames[s], sceneFrames_[s]);
    std::printf("\n  battles %d (%d back to the field), save screens opened to save %d and to load %d\n", battles_,
                battlesBackToField_, saveScreens_[0], saveScreens_[1]);
    std::printf("  frames by map:");
    for (const auto& [map, n] : mapFrames_) std::printf(" %d: %ld", map, n);
    std::printf("\n  keys answered after backing out %d times, the longest way back %ld frames\n", homings_,
                longestHoming_);
    std::printf("  keys pressed (down up right left esc ctrl enter z space shift a s d):");
    for (long n : keyCount_) std::printf(" %ld", n);
    std::printf("\n  tasks reached (frames live, first frame):\n");
    for (size_t k = 0; k < std::size(kKinds); ++k) {
      if (reached_[k]) {
        std::printf("    %-20s %8ld %8ld\n", kKinds[k].name, reached_[k], firstReached_[k]);
      } else {
        std::printf("    %-20s    never\n", kKinds[k].name);
      }
    }
    if (!samples_.empty()) {
      std::printf("  heap in use %zu KiB at the first sample, %zu KiB at the last; peak RSS %ld KiB\n",
                  samples_.front() / 1024, samples_.back() / 1024, PeakRssKib());
    }
  }

  long frames_;
  uint32_t seed_;
  std::mt19937 random_;
  Explorer explorer_;
  std::string dir_;
  std::unique_ptr<test::GameHarness> game_;
  long frame_ = 0;
  int starts_ = 0;
  int held_ = -1;
  int keyFrames_ = 0;
  int pauseFrames_ = 0;
  int blankFrames_ = 0;
  long homingSince_ = -1;
  int homings_ = 0;
  long longestHoming_ = 0;
  std::vector<size_t> samples_;
  std::array<long, std::size(kKinds)> reached_{}, firstReached_{};
  std::map<int32_t, long> mapFrames_;
  std::array<long, kSceneCount> sceneFrames_{};
  std::array<long, kKeyCount> keyCount_{};
  int battles_ = 0;
  int battlesBackToField_ = 0;
  bool inBattle_ = false;
  bool inSaveScreen_ = false;
  int saveScreens_[2] = {};
};

}  // namespace

int main(int argc, char** argv) {
  const long frames = argc > 1 ? std::strtol(argv[1], nullptr, 10) : kDefaultFrames;
  const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1;
  if (frames <= 0) {
    std::fprintf(stderr, "usage: %s [frames] [seed]\n", argv[0]);
    return 2;
  }
  return Soak(frames, seed).Run();
}
