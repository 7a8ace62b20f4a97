#include "game/startup.h"

#include <new>

#include "battle/battle.h"
#include "battle/cursor.h"
#include "battle/transition.h"
#include "data/flow.h"
#include "data/game_state.h"
#include "engine/archive.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "engine/util.h"
#include "event/event.h"
#include "field/map.h"
#include "game/flow.h"
#include "menu/choice_menu.h"
#include "menu/display.h"
#include "menu/title.h"
#include "platform/clock.h"
#include "platform/problem.h"
#include "platform/window.h"

namespace {

// "データロード失敗"
constexpr char kDataLoadFailed[] = "\x83\x66\x81\x5b\x83\x5e\x83\x8d\x81\x5b\x83\x68\x8e\xb8\x94\x73";

// The box the step's failure shows, and the one line on standard error that names the
// file or device and what was wrong with it: `what: why` when the step noted nothing.
void FailStartup(const char* text, const char* caption, const char* what, const char* why) {
  plat::ReportProblem(what, why);
  plat::MessageBox(text, caption);
}

// Containers report a failed allocation by throwing: a step that runs out of memory
// fails like any other, with its box, instead of ending the program unannounced.
template <class Step>
int StartupStep(Step step) {
  plat::ClearProblem();
  try {
    return step();
  } catch (const std::bad_alloc&) {
    plat::NoteProblem("memory", "ran out");
    return 0;
  }
}

}  // namespace

void GameInstall() {
  ShellInstall({GameInit, CoreBuffersFree, WindowPlaceForMode});
  g_flow.returnToTitle = TitleReturn;
  g_flow.loadMap = MapLoadOrTitle;
  g_flow.newGame = NewGameStart;
  g_flow.startEvent = EventStart;
  g_flow.startEncounter = BattleEncounterStart;
  g_flow.startEventBattle = BattleStartEvent;
  g_flow.startTransition = BattleTransitionStartForEvent;
  g_flow.openFieldMenu = FieldMenuOpen;
  g_flow.battleRequestPhaseEnd = BattleRequestPhaseEnd;
}

int CoreBuffersAlloc() {
  if (!TaskPoolCreate()) return 0;
  if (!MapBuffersAlloc()) {
    TaskPoolFree();  // a half-built core is never left behind
    return 0;
  }
  return 1;
}

void CoreBuffersFree() {
  TaskPoolFree();
  MapBuffersFree();
}

int GameStateInit() {
  RandomSeed(static_cast<uint32_t>(TimeNow(nullptr)));
  g_running = 1;
  g_titleBanner = 0;
  g_meshTextureCount = 0;
  g_dataFile = nullptr;
  KeyInit();
  SettingsInit();
  GameStateReset();
  return CoreBuffersAlloc();
}

// A failure shows its box and releases what the step's table names, and then whatever
// else is up, so nothing is left behind.
int GameInit() {
  if (!StartupStep(GameStateInit)) {
    FailStartup("", "pal error", "memory", "no room for the task pool and the map buffers");
  } else if (!StartupStep(DataFileLoad)) {
    FailStartup(kDataLoadFailed, "error", kDataFileName, "could not be loaded");
    CoreBuffersFree();
  } else if (!StartupStep(SoundInit)) {
    FailStartup("", "directsound error", "sound device", "could not be started");
    CoreBuffersFree();
    SoundShutdown();
    DataFileFree();
  } else if (!StartupStep([] { return GraphicsInit(plat::WindowHandle()); })) {
    FailStartup("", "directx graphics error", "OpenGL", "could not be started");
    CoreBuffersFree();
    GraphicsRelease();
    SoundShutdown();
    DataFileFree();
  } else {
    plat::TimerPeriodBegin(1);
    TitleOpen();
    return 1;
  }
  return 0;
}

int GameMain() {
  GameInstall();
  return AppMain();
}
