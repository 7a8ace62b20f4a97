// Runs the whole game in-process and headless, frame by frame, for tests.
//
//   test::GameHarness game;            // recording renderer, recording audio
//   ASSERT_TRUE(game.Start());         // start-up chain, as the program runs it
//   game.Tap(kKeyEnter);               // key down for one frame, then up for one
//   game.Hold(kKeyUp); game.Frames(8); // keys stay down until released
//   game.Recorder()->lastFrame         // what the last frame drew
//
// Frames run without pacing. The random generator is seeded from the options after
// start-up, so runs repeat. Message boxes are captured, not shown.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/recording/gpu_recording.h"

namespace test {

// The story's boss, the witch: her row of the monster table.
constexpr int kWitchMonsterId = 12;

struct CapturedBox {
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
};

class GameHarness {
 public:
  struct Options {
    bool realRenderer = false;  // OpenGL on the offscreen driver instead of the recorder
    uint32_t seed = 12345;
    std::string workDir;  // empty: the build folder, with the built data files
  };

  GameHarness();
  explicit GameHarness(Options options);
  ~GameHarness();
  GameHarness(const GameHarness&) = delete;
  GameHarness& operator=(const GameHarness&) = delete;

  // Host, window and the start-up chain. The result of the chain (1 or 0).
  int Start();
  // A game key (kKeyDown...) is pressed as the keyboard's own key of that name
  // (HostScancode), never through the game's binding table.
  void Hold(int key);
  void Release(int key);
  // Any key of the keyboard, by SDL scancode.
  void HoldScancode(int scancode);
  void ReleaseScancode(int scancode);
  void ReleaseAll();
  // Runs n frames with the keys as they are.
  void Frames(int n);
  // Key down for one frame, then up for `after` frames.
  void Tap(int key, int after = 1);
  // Runs frames until the predicate holds or the limit is reached; true if it held.
  template <class Pred>
  bool RunUntil(Pred pred, int limit) {
    for (int i = 0; i < limit; ++i) {
      if (pred()) return true;
      Frames(1);
    }
    return pred();
  }

  bool Running() const;
  int FrameCount() const { return frames_; }
  plat::RecordingDevice* Recorder() const;
  const std::vector<CapturedBox>& Boxes() const { return boxes_; }

 private:
  Options options_;
  std::string previousDir_;
  std::set<uint32_t> held_;
  std::vector<CapturedBox> boxes_;
  int frames_ = 0;
  bool started_ = false;
};

// The SDL scancode of the keyboard key each game key stands for (the arrows, Escape,
// left Ctrl, Return, Z, Space, left Shift, A, S and D), from the key table rather than the
// game's own bindings, so a binding to the wrong key fails the tests that press it.
int HostScancode(int key);

// Puts the game back as a fresh process has it: no task pool, map buffers, archive,
// device or audio; the game state, settings, keys, sound requests and hooks at their
// start values; every test seam (keys, message boxes, device faults and backends)
// cleared; the build folder as the working directory, wherever the suite was started
// from. Runs before and after every test.
void ResetGame();

// What the recording audio device was asked: how many events it logged so far, how many
// times a voice started since the log held `since` events, and the looping piece last
// started since then (-1 when none was).
size_t AudioMark();
int Plays(int voice, size_t since = 0);
int LastMusic(size_t since = 0);

// A fresh empty directory under the system temporary folder.
std::string MakeTempDir();
// The build folder, fixed when the tests were built, as the sources' folder is: the
// tools, the generated sources and the built data files are there.
std::string BuildDir();
// The folder holding the built data files (the build folder). When data.dat, mappack.dat
// or epack.dat is not there it throws, which fails the test at once with one line naming
// the folder. A harness started without a working folder of its own asks for it.
std::string BuildDataDir();

}  // namespace test
