#include "driver.h"

#include <epoxy/gl.h>

#include <cstdlib>
#include <set>

#include "data/tasks.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/shell.h"
#include "engine/task.h"
#include "engine/util.h"
#include "event/event.h"
#include "event/text_window.h"
#include "game/startup.h"
#include "platform/audio.h"
#include "platform/keyboard.h"
#include "platform/recording/audio_recording.h"
#include "platform/text_encoding.h"
#include "platform/window.h"

namespace bench {
namespace {

std::set<uint32_t> g_held;
bool g_started = false;

void Hold(int key) { g_held.insert(KeyHostCode(key)); }
void ReleaseAll() { g_held.clear(); }

void Tap(int key) {
  Hold(key);
  Frame();
  ReleaseAll();
  Frame();
}

}  // namespace

bool StartGame(plat::DeviceBackend backend) {
  ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  plat::SetDeviceBackend(backend);
  plat::SetAudioBackend(plat::AudioBackend::Mixer);
  plat::SetKeySource([](uint32_t key) { return g_held.count(key) != 0; });
  ReleaseAll();
  if (!plat::HostInit()) return false;
  if (!plat::WindowCreate(plat::Utf8ToSjis("ミルヴァと石の庭"))) return false;
  plat::SetCloseHandler(GameShutdown);
  g_started = true;
  GameInstall();
  const int started = ShellStart();
  RandomSeed(kSeed);
  return started == 1;
}

void StopGame() {
  if (g_started && !GameIsShutDown()) GameShutdown();
  if (plat::WindowExists()) plat::WindowDestroy();
  plat::ResetQuit();
  g_started = false;
}

void StopHost() {
  StopGame();
  plat::HostQuit();
}

void Frame() {
  if (!GameIsShutDown()) FrameRunUnpaced();
}

void FinishGpu() {
  if (g_device && plat::GetDeviceBackend() == plat::DeviceBackend::OpenGL) glFinish();
}

bool ReachField() {
  if (!TaskExists(kTaskIdTitle)) return false;
  Frame();
  Tap(kKeyEnter);  // new game
  Tap(kKeyDown);   // from No to Yes
  Tap(kKeyEnter);
  for (int frame = 0; frame < 3000; ++frame) {
    const bool eventOpen = TaskSlotInUse(kSlotEvent);
    if (!eventOpen && !TaskSlotInUse(kSlotMapChange) && TaskFindByTag(kTaskIdWalker) && g_taskPool[0].updateOn) {
      return true;
    }
    const EventContext* event = eventOpen ? TaskData<EventContext>(&g_taskPool[kSlotEvent]) : nullptr;
    const bool messageShown = event && event->step == TextWindowStep && event->typingLine == kEventLineCount;
    const bool choiceShown = event && event->step == EventChoiceStep;
    if (messageShown || choiceShown || TaskExists(kTaskIdNotice)) {
      Tap(kKeyEnter);
    } else {
      Frame();
    }
  }
  return false;
}

// Eight frames make one step; the loop goes two cells each way and comes back.
void WalkKeys(int64_t frame) {
  static constexpr int kLoop[] = {kKeyLeft, kKeyLeft, kKeyUp, kKeyUp, kKeyRight, kKeyRight, kKeyDown, kKeyDown};
  constexpr int64_t kFramesPerStep = 8;
  constexpr auto kSteps = static_cast<int64_t>(std::size(kLoop));
  ReleaseAll();
  Hold(kLoop[(frame / kFramesPerStep) % kSteps]);
}

plat::FrameStats LastFrameStats() { return g_device ? g_device->LastFrameStats() : plat::FrameStats{}; }

}  // namespace bench
