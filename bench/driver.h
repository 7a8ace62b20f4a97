// Runs the game in-process for the benchmarks: headless (SDL's offscreen video and dummy
// audio), keys held by the benchmark, the random seed fixed after start-up.
#pragma once

#include <cstdint>

#include "platform/recording/gpu_recording.h"

namespace bench {

constexpr uint32_t kSeed = 12345;

// Host (once), window and the start-up chain on the given renderer; false if any failed.
bool StartGame(plat::DeviceBackend backend);
// Shut-down and the window; the host stays up for the next start.
void StopGame();
// The host too, as at the end of the program.
void StopHost();

// One frame without pacing, with the keys as they are held.
void Frame();
// Waits until the renderer has finished every command so far (OpenGL only).
void FinishGpu();

// From the title: a new game, its opening played through (messages confirmed, choices
// given their first answer) until the party stands on the first map and can walk.
bool ReachField();
// The scripted walk: the keys held on walk frame n, a loop around the village square.
void WalkKeys(int64_t frame);
// From the field: a random battle of six enemies (the random draws held so that six
// come), its opening lines confirmed, until the party's phase waits for keys.
bool ReachBattle();
// Effects running over the enemies while the battle waits: a turning ring over each and
// an orb circling it, started again as each ends.
void KeepEffects();
// From the field, `count` random battles in a row, each won or lost by auto-battle;
// true when every one was fought to its end and the party walks the field again.
bool FightBattles(int count);
// Draw calls and distinct textures of the last frame, as the renderer saw them: the
// game's own calls on the recorder, the calls OpenGL was given on the real renderer.
plat::FrameStats LastFrameStats();

}  // namespace bench
