#include "driver.h"

#include <epoxy/gl.h>

#include <cstdlib>
#include <set>

#include "battle/battle.h"
#include "battle/cursor.h"
#include "battle/messages.h"
#include "battle/unit.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "engine/task.h"
#include "engine/util.h"
#include "event/effect3d.h"
#include "event/event.h"
#include "event/text_window.h"
#include "field/encounter.h"
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

// Every random draw 5: no ambush (5 % 4), six enemies (5 % 6 + 1).
int SixEnemies() { return 5; }

bool FieldAtRest() {
  return !TaskSlotInUse(kSlotEvent) && !TaskSlotInUse(kSlotMapChange) && !TaskSlotInUse(kSlotBattle) &&
         TaskFindByTag(kTaskIdWalker) && g_taskPool[0].updateOn;
}

// Frames until the battle's set-up has run, the random draws held meanwhile.
bool StartSixEnemyBattle() {
  RandomSetSource(SixEnemies);
  const bool started = FieldStartRandomEncounter() == 1;
  for (int frame = 0; started && frame < 600 && !BattleFind(); ++frame) Frame();
  RandomSetSource(nullptr);
  RandomSeed(kSeed);
  return BattleFind() != nullptr && g_enemyCount == 6;
}

// An orb circling its centre for a while.
void OrbitThenEnd(EffectData* effect) {
  if (EffectOrbitStep(effect) && effect->frames < 0) effect->live = 0;
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

bool ReachBattle() {
  if (!FieldAtRest() || !StartSixEnemyBattle()) return false;
  for (int frame = 0; frame < 3000; ++frame) {
    const BattleData* battle = BattleFind();
    if (!battle) return false;
    const CursorData* cursor = CursorFind();
    if (battle->step == BattleMainStep && g_phaseSide == 0 && cursor && cursor->state == CursorStateFree) return true;
    if (battle->step == BattleIntroWaitKey) {
      Tap(kKeyEnter);
    } else {
      Frame();
    }
  }
  return false;
}

void KeepEffects() {
  for (int i = kSlotObjectsFirst; i < kSlotObjectsEnd; ++i) {
    if (g_taskPool[i].inUse && g_taskPool[i].id == kTaskIdEffect3D) return;
  }
  ForEachUnit([](UnitData* unit) {
    if (unit->record.side != 1) return;
    SpinRingCreate(unit->x, unit->y + kEffectRingLift, unit->z, kMeshTorus, kEffectRingFrames);
    if (EffectData* orb = EffectCreate(unit->x, unit->y + 2.0f, unit->z, kMeshSmallSphere, 40, OrbitThenEnd, false)) {
      orb->maxRadius = 1.5f;
    }
  });
}

bool FightBattles(int count) {
  g_settings.autoBattle = 1;  // as A in the field leaves it
  for (int battle = 0; battle < count; ++battle) {
    if (!FieldAtRest() || FieldStartRandomEncounter() != 1) return false;
    bool over = false;
    for (int frame = 0; frame < 30000 && !over; ++frame) {
      const BattleData* b = BattleFind();
      if (b && b->step == BattleMainStep) {
        Frame();
      } else if (!b && TaskExists(kTaskIdTitle)) {
        return false;  // the party fell
      } else if (!b && FieldAtRest()) {
        over = true;
      } else {
        Tap(kKeyEnter);  // the opening and closing lines, the results
      }
    }
    if (!over) return false;
  }
  return true;
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
