// The application shell: window, start-up chain, frame loop and shut-down, and the
// game-wide state that exists before any screen does.
#pragma once

#include <cstdint>

// In-memory options, reset to their defaults at every start and never saved.
struct Settings {
  int32_t soundEffects;   // non-zero: effects play
  int32_t music;          // exactly 1: music plays
  int32_t windowed;       // exactly 1: windowed, else full screen
  int32_t colour32;       // full-screen back buffer: non-zero 32-bit, 0 16-bit
  int32_t vsync;          // 0: present immediately
  int32_t depth24;        // non-zero: 24-bit depth buffer, 0: 16-bit
  int32_t autoBattle;     // non-zero: party units act by themselves
  int32_t openWindowed;   // the four display words as they stood when options opened
  int32_t openColour32;
  int32_t openVsync;
  int32_t openDepth24;
};
static_assert(sizeof(Settings) == 11 * 4);

extern Settings g_settings;
extern int32_t g_running;

constexpr double kFrameMilliseconds = 16.666666;

// Runs the whole program: window, start-up chain, message loop. Returns the exit code:
// the quit message's, or 1 when start-up failed.
int AppMain();

int GameInit();
int GameStateInit();
void SettingsInit();
int CoreBuffersAlloc();
void CoreBuffersFree();
int64_t TimeNow(int64_t* out);

// One frame: render, update, pace, and shut down when the running flag dropped.
void FrameRun();
void FrameRender();
void FrameUpdate();
// Waits until the whole milliseconds since t0, as a double, reach 16.666666: asleep while
// more than about 2 ms are left, reading the clock without pause for the rest.
void FramePace(uint32_t t0);
// A frame without pacing, for tests that drive the game frame by frame.
void FrameRunUnpaced();
void GameShutdown();
// Whether GameShutdown has run since the last start-up.
bool GameIsShutDown();
