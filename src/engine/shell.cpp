#include "engine/shell.h"

#include <new>

#include "engine/archive.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "platform/clock.h"
#include "platform/window.h"

int32_t g_running = 0;

namespace {

// "ミルヴァと石の庭"
constexpr char kWindowTitle[] = "\x83\x7e\x83\x8b\x83\x94\x83\x40\x82\xc6\x90\xce\x82\xcc\x92\xeb";

bool g_shutDown = true;

int NoInit() { return 0; }
void NoRelease() {}
void NoPlacement() {}
ShellHooks g_hooks{NoInit, NoRelease, NoPlacement};

}  // namespace

void ShellInstall(const ShellHooks& hooks) { g_hooks = hooks; }

int64_t TimeNow(int64_t* out) {
  const int64_t now = plat::CalendarTimeNow();
  if (out) *out = now;
  return now;
}

// A failed chain has shown its box and released what it had; destroying the window
// ends the program before any frame runs.
int ShellStart() {
  g_shutDown = false;
  if (g_hooks.init()) return 1;
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
  if (g_device->Present() == plat::PresentResult::DeviceLost) DeviceRebuild();
}

// Tasks, sound and game state stay; textures and meshes come back from the archive in
// memory.
int DeviceRebuild() {
  GraphicsRelease();
  g_hooks.placeWindow();
  if (GraphicsInit(plat::WindowHandle())) return 1;
  g_running = 0;
  return 0;
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
  g_hooks.releaseBuffers();
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
  const int started = ShellStart();
  if (plat::WindowExists()) plat::WindowShow();
  int code = 1;
  try {
    for (;;) {
      const plat::PumpResult r = plat::PumpOneEvent();
      if (r == plat::PumpResult::Quit) break;
      if (r == plat::PumpResult::Idle) FrameRun();
    }
    code = plat::QuitCode();
  } catch (const std::bad_alloc&) {
    GameShutdown();  // out of memory in play: everything released, and a failing exit
  }
  plat::HostQuit();
  // A start-up failure has shown its box; the program still ends in failure.
  return started ? code : kStartupFailed;
}
