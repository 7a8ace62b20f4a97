// The application shell: the window, the frame loop and shut-down. The game hands it
// its own start-up chain and buffers through ShellHooks; the shell knows nothing of
// what runs in the frames.
#pragma once

#include <cstdint>

// 0 once the program is to end: the frame that sees it shuts everything down.
extern int32_t g_running;

constexpr double kFrameMilliseconds = 16.666666;

struct ShellHooks {
  int (*init)();             // the start-up chain: 1 when the game stands, 0 after its failure box
  void (*releaseBuffers)();  // the task pool and whatever the game allocated beside it
  void (*placeWindow)();     // window placement for the display settings, before a device rebuild
};
void ShellInstall(const ShellHooks& hooks);
// Called by the message loop after every frame; nullptr for none. The play check's
// display round runs from here.
void ShellSetFrameHook(void (*hook)());

// Runs the whole program: window, start-up chain, message loop. Returns the exit code:
// the quit message's, or 1 when start-up failed or memory ran out.
int AppMain();
// The installed start-up chain, run once; a failure ends the program before any frame.
int ShellStart();
int64_t TimeNow(int64_t* out);

// One frame: render, update, pace, and shut down when the running flag dropped.
void FrameRun();
void FrameRender();
void FrameUpdate();
// Releases the renderer, places the window for the display settings and builds the
// renderer again: after a lost device and after a display change. A failure drops the
// running flag, so the frame shuts the program down at its end. 1 on success.
int DeviceRebuild();
// Waits until the whole milliseconds since t0, as a double, reach 16.666666: asleep while
// more than about 2 ms are left, reading the clock without pause for the rest.
void FramePace(uint32_t t0);
// A frame without pacing, for tests that drive the game frame by frame.
void FrameRunUnpaced();
void GameShutdown();
// Whether GameShutdown has run since the last start-up.
bool GameIsShutDown();
