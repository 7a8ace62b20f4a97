#include "fuzz/fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "data/characters.h"
#include "data/game_state.h"
#include "data/items.h"
#include "data/money.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "engine/task.h"
#include "engine/util.h"
#include "field/map.h"

namespace fuzz {
namespace {

std::string& ScratchDir() {
  static std::string dir;
  return dir;
}

void RemoveScratch() {
  std::error_code ec;
  std::filesystem::remove_all(ScratchDir(), ec);
}

}  // namespace

void Begin() {
  ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  if (ScratchDir().empty()) {
    // In memory where there is such a folder: every run rewrites the input file, and a
    // disk would spend more time on that than the loader does.
    std::error_code ec;
    std::string pattern = std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm/milva-fuzz-XXXXXX" : "";
    if (pattern.empty() || !::mkdtemp(pattern.data())) pattern = test::MakeTempDir();
    if (pattern.empty()) std::abort();
    ScratchDir() = pattern;
    std::atexit(RemoveScratch);
  }
}

int RunInScratch(int (*load)()) {
  const int home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (home < 0 || ::chdir(ScratchDir().c_str()) != 0) std::abort();
  const int result = load();
  if (::fchdir(home) != 0) std::abort();
  ::close(home);
  return result;
}

std::string WriteScratch(const char* name, const uint8_t* data, size_t size) {
  const std::string path = ScratchDir() + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

test::EventWorld& World() {
  static test::EventWorld world;
  static const bool open = world.Open();
  if (!open) std::abort();
  return world;
}

namespace {

void WorldReset() {
  test::EventWorld& world = World();
  TaskKillAll();
  MapBuffersClear();
  world.held.clear();
  world.boxes.clear();
  world.recorder->current.clear();
  world.recorder->lastFrame.clear();
  RandomSeed(1);
  KeyInit();
  SettingsInit();
  PartyInit();
  InventoryInit();
  EventFlagsClear();
  g_money = 0;
  g_mapNumber = 0;
  g_mapWidth = 0;
  g_mapHeight = 0;
  g_eventCount = 0;
}

}  // namespace

Round::Round() { WorldReset(); }
Round::~Round() { WorldReset(); }

}  // namespace fuzz
