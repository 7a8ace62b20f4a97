#include "engine/shell.h"

#include <cstring>

#include "data/characters.h"
#include "data/items.h"
#include "engine/archive.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "engine/util.h"
#include "event/flags.h"
#include "field/map.h"
#include "menu/display.h"
#include "menu/title.h"
#include "platform/clock.h"
#include "platform/window.h"

Settings g_settings;
int32_t g_running = 0;

namespace {

// "ミルヴァと石の庭"
constexpr char kWindowTitle[] = "\x83\x7e\x83\x8b\x83\x94\x83\x40\x82\xc6\x90\xce\x82\xcc\x92\xeb";
// "データロード失敗"
constexpr char kDataLoadFailed[] = "\x83\x66\x81\x5b\x83\x5e\x83\x8d\x81\x5b\x83\x68\x8e\xb8\x94\x73";

bool g_shutDown = true;

void FailStartup(const char* text, const char* caption) {
  plat::MessageBox(text, caption);
}

}  // namespace

void SettingsInit() {
  std::memset(&g_settings, 0, sizeof g_settings);
  g_settings.soundEffects = 1;
  g_settings.music = 1;
  g_settings.windowed = 1;
  g_settings.colour32 = 1;
  g_settings.vsync = 1;
  g_settings.depth24 = 1;
  g_settings.autoBattle = 0;
  g_settings.openWindowed = g_settings.windowed;
  g_settings.openColour32 = g_settings.colour32;
  g_settings.openVsync = g_settings.vsync;
  g_settings.openDepth24 = g_settings.depth24;
}

int64_t TimeNow(int64_t* out) {
  const int64_t now = plat::CalendarTimeNow();
  if (out) *out = now;
  return now;
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
  g_mapNumber = 0;
  PartyInit();
  InventoryInit();
  EventFlagsClear();
  return CoreBuffersAlloc();
}

// Each step runs only when the one before succeeded. A failure shows its box, releases
// what the step's table names (and then whatever else is up, so nothing is left
// behind) and destroys the window, which ends the program before any frame runs.
int GameInit() {
  g_shutDown = false;
  if (!GameStateInit()) {
    FailStartup("", "pal error");
  } else if (!DataFileLoad()) {
    FailStartup(kDataLoadFailed, "error");
    CoreBuffersFree();
  } else if (!SoundInit()) {
    FailStartup("", "directsound error");
    CoreBuffersFree();
    SoundShutdown();
    DataFileFree();
  } else if (!GraphicsInit(plat::WindowHandle())) {
    FailStartup("", "directx graphics error");
    CoreBuffersFree();
    GraphicsRelease();
    SoundShutdown();
    DataFileFree();
  } else {
    plat::TimerPeriodBegin(1);
    TitleOpen();
    return 1;
  }
  g_shutDown = true;
  g_running = 0;
  plat::WindowDestroy();
  return 0;
}

void FrameRender() {
  if (!g_device) return;
  g_device->Clear(0xFF000000, 1.0f);
  g_device->BeginScene();
  TaskPoolDrawAll();
  g_device->EndScene();
  if (g_device->Present() == plat::PresentResult::DeviceLost) {
    // Rebuild at once from the archive in memory; tasks, sound and game state stay.
    GraphicsRelease();
    WindowPlaceForMode();
    if (!GraphicsInit(plat::WindowHandle())) g_running = 0;
  }
}

void FrameUpdate() {
  SoundRequestsClear();
  KeyPoll();
  TaskPoolUpdateAll();
  SoundRequestsPlay();
}

// The frame still ends at the first clock reading 17 ms after it began, but the wait
// sleeps while more than about 2 ms are left and reads the clock without pause only
// for the rest, so a frame that has nothing to do leaves the processor alone.
void FramePace(uint32_t t0) {
  constexpr double kSpinMilliseconds = 2.0;
  for (;;) {
    const double elapsed = static_cast<double>(plat::TimeMs() - t0);
    if (elapsed >= kFrameMilliseconds) return;
    const double left = kFrameMilliseconds - elapsed;
    if (left > kSpinMilliseconds) plat::Sleep(left - kSpinMilliseconds);
  }
}

namespace {
void FrameBody() {
  FrameRender();
  // A failed rebuild leaves no device; this frame's update must not reach for it.
  if (g_running) FrameUpdate();
}
}  // namespace

void FrameRun() {
  const uint32_t t0 = plat::TimeMs();
  FrameBody();
  FramePace(t0);
  if (g_running == 0) GameShutdown();
}

void FrameRunUnpaced() {
  FrameBody();
  if (g_running == 0) GameShutdown();
}

void GameShutdown() {
  if (g_shutDown) return;
  g_shutDown = true;
  g_running = 0;
  plat::TimerPeriodEnd(1);
  CoreBuffersFree();
  DataFileFree();
  SoundShutdown();
  GraphicsRelease();
  plat::WindowDestroy();
}

bool GameIsShutDown() { return g_shutDown; }

// A start-up that failed ends the process with status 1, so whoever started it sees the
// failure and not the quit message's 0.
int AppMain() {
  constexpr int kStartupFailed = 1;
  if (!plat::HostInit()) return kStartupFailed;
  if (!plat::WindowCreate(kWindowTitle)) {
    plat::HostQuit();
    return kStartupFailed;
  }
  plat::SetCloseHandler(GameShutdown);
  const int started = GameInit();
  if (plat::WindowExists()) plat::WindowShow();
  for (;;) {
    const plat::PumpResult r = plat::PumpOneEvent();
    if (r == plat::PumpResult::Quit) break;
    if (r == plat::PumpResult::Idle) FrameRun();
  }
  const int code = plat::QuitCode();
  plat::HostQuit();
  return started ? code : kStartupFailed;
}
