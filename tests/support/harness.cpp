#include "support/harness.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "battle/cursor.h"
#include "data/game_state.h"
#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "engine/util.h"
#include "field/map.h"
#include "game/startup.h"
#include "menu/title.h"
#include "platform/audio.h"
#include "platform/gpu_gl.h"
#include "platform/keyboard.h"
#include "platform/recording/audio_recording.h"
#include "platform/text_encoding.h"
#include "platform/window.h"
#include "support/gfx.h"

namespace test {
namespace {

// Every test runs headless, however the suite is started, and with the game's own
// moves between screens, even when it never starts the whole program.
const bool g_headless = [] {
  ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  GameInstall();
  return true;
}();

// Every test starts from ResetGame, whatever ran before it in the process, and leaves a
// clean game behind for the set-up of the next suite.
class ResetBeforeEachTest : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { ResetGame(); }
  void OnTestEnd(const ::testing::TestInfo&) override { ResetGame(); }
};
const bool g_resetInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new ResetBeforeEachTest);
  return true;
}();

std::string CurrentDir() {
  std::error_code ec;
  return std::filesystem::current_path(ec).string();
}

}  // namespace

std::string BuildDir() { return MILVA_BUILD_DIR; }

std::string BuildDataDir() {
  const std::string dir = BuildDir();
  for (const char* name : {"data.dat", "mappack.dat", "epack.dat"}) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(dir) / name, ec)) {
      throw std::runtime_error(std::string(name) + " is not built in " + dir + ", where the tests read the data files");
    }
  }
  return dir;
}

int HostScancode(int key) {
  static constexpr SDL_Scancode kScancodes[kKeyCount] = {
      SDL_SCANCODE_DOWN,  SDL_SCANCODE_UP,     SDL_SCANCODE_RIGHT, SDL_SCANCODE_LEFT,  SDL_SCANCODE_ESCAPE,
      SDL_SCANCODE_LCTRL, SDL_SCANCODE_RETURN, SDL_SCANCODE_Z,     SDL_SCANCODE_SPACE, SDL_SCANCODE_LSHIFT,
      SDL_SCANCODE_A,     SDL_SCANCODE_S,      SDL_SCANCODE_D,
  };
  return key >= 0 && key < kKeyCount ? kScancodes[key] : SDL_SCANCODE_UNKNOWN;
}

void ResetGame() {
  (void)g_resetInstalled;
  CoreBuffersFree();
  DataFileFree();
  SoundShutdown();
  GraphicsRelease();
  g_meshTextureCount = 0;
  g_viewport = {};
  std::fill(std::begin(g_frustumPlanes), std::end(g_frustumPlanes), Plane{0, 0, 0, 0});
  g_mapWidth = g_mapHeight = g_eventCount = 0;
  if (plat::WindowExists()) plat::WindowDestroy();
  std::fill(std::begin(g_soundRequests), std::end(g_soundRequests), SoundRequestEntry{0, 0});
  GameStateReset();
  SettingsInit();
  KeyInit();
  GameInstall();
  g_titleBanner = 0;
  g_running = 1;
  RandomSeed(12345);
  RandomSetSource(nullptr);
  g_phaseSide = 0;
  plat::ResetQuit();
  plat::SetKeySource(nullptr);
  plat::SetScancodeSource(nullptr);
  plat::SetMessageBoxHook(nullptr);
  plat::SetDeviceBackend(plat::DeviceBackend::Recording);
  plat::SetAudioBackend(plat::AudioBackend::Recording);
  plat::SetDeviceCreateFailures(0);
  plat::DeviceCreateLog().clear();
  plat::SetGlBatching(true);
  std::error_code ec;
  std::filesystem::current_path(BuildDir(), ec);
}

size_t AudioMark() { return plat::CurrentRecordingAudioDevice()->events.size(); }

int Plays(int voice, size_t since) {
  const std::vector<plat::AudioEvent>& events = plat::CurrentRecordingAudioDevice()->events;
  int n = 0;
  for (size_t i = since; i < events.size(); ++i) {
    n += events[i].kind == plat::AudioEvent::Kind::Play && events[i].voice == voice ? 1 : 0;
  }
  return n;
}

int LastMusic(size_t since) {
  const std::vector<plat::AudioEvent>& events = plat::CurrentRecordingAudioDevice()->events;
  int voice = -1;
  for (size_t i = since; i < events.size(); ++i) {
    if (events[i].kind == plat::AudioEvent::Kind::Play && events[i].loop) voice = events[i].voice;
  }
  return voice;
}

std::string MakeTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "milva-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return {};
  return pattern;
}

GameHarness::GameHarness() : GameHarness(Options{}) {}

GameHarness::GameHarness(Options options) : options_(std::move(options)) {
  (void)g_headless;
  previousDir_ = CurrentDir();
  if (!options_.workDir.empty()) std::filesystem::current_path(options_.workDir);
  plat::SetDeviceBackend(options_.realRenderer ? plat::DeviceBackend::OpenGL : plat::DeviceBackend::Recording);
  plat::SetAudioBackend(plat::AudioBackend::Recording);
  plat::SetScancodeSource([this](int scancode) { return held_.count(static_cast<uint32_t>(scancode)) != 0; });
  plat::SetMessageBoxHook([this](std::string_view text, std::string_view caption) {
    boxes_.push_back({plat::SjisToUtf8(text), plat::SjisToUtf8(caption)});
  });
}

GameHarness::~GameHarness() {
  if (started_ && !GameIsShutDown()) GameShutdown();
  // The host stays initialised for the rest of the test run: unloading its video
  // driver between tests would turn the driver's own lasting allocations into leaks.
  if (plat::WindowExists()) plat::WindowDestroy();
  plat::ResetQuit();
  plat::SetScancodeSource(nullptr);
  plat::SetMessageBoxHook(nullptr);
  plat::SetDeviceCreateFailures(0);
  plat::DeviceCreateLog().clear();
  if (!options_.workDir.empty()) std::filesystem::current_path(previousDir_);
}

int GameHarness::Start() {
  if (options_.workDir.empty()) BuildDataDir();  // the game reads the built files where it runs
  if (!plat::HostInit()) return 0;
  // "ミルヴァと石の庭"
  if (!plat::WindowCreate(plat::Utf8ToSjis("ミルヴァと石の庭"))) return 0;
  PinLoadedLibraries();  // the window brought the GL driver in
  plat::SetCloseHandler(GameShutdown);
  started_ = true;
  GameInstall();
  const int result = ShellStart();
  RandomSeed(options_.seed);
  return result;
}

void GameHarness::Hold(int key) { HoldScancode(HostScancode(key)); }
void GameHarness::Release(int key) { ReleaseScancode(HostScancode(key)); }
void GameHarness::HoldScancode(int scancode) { held_.insert(static_cast<uint32_t>(scancode)); }
void GameHarness::ReleaseScancode(int scancode) { held_.erase(static_cast<uint32_t>(scancode)); }
void GameHarness::ReleaseAll() { held_.clear(); }

void GameHarness::Frames(int n) {
  for (int i = 0; i < n && Running(); ++i) {
    FrameRunUnpaced();
    ++frames_;
  }
}

void GameHarness::Tap(int key, int after) {
  Hold(key);
  Frames(1);
  Release(key);
  Frames(after);
}

bool GameHarness::Running() const { return started_ && !GameIsShutDown(); }

plat::RecordingDevice* GameHarness::Recorder() const { return plat::CurrentRecordingDevice(); }

}  // namespace test
