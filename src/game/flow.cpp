#include "game/flow.h"

#include <string>

#include "data/game_state.h"
#include "engine/graphics.h"
#include "engine/settings.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "event/pack.h"
#include "event/placement.h"
#include "field/map.h"
#include "menu/title.h"
#include "platform/problem.h"
#include "platform/window.h"

int MapLoad() {
  if (!MapLoadPack(kMapPackFileName)) return 0;
  if (!EventLoadPack(kEventPackFileName)) return 0;
  EventPlaceAll();
  return 1;
}

int MapLoadOrTitle() {
  plat::ClearProblem();
  if (MapLoad()) return 1;
  plat::ReportProblem(kMapPackFileName, "map " + std::to_string(g_mapNumber) + " could not be loaded");
  plat::MessageBox("no data file", "");
  TitleReturn();
  return 0;
}

// No walker, field view or camera is made here: map 0's own opening event brings the
// party on, and walkers appear when a script changes the map.
void NewGameStart() {
  TaskKillAll();
  GameStateReset();
  GraphicsSetupCamera();
  if (!MapLoadOrTitle()) return;
  g_settings.autoBattle = 0;
  MusicPlay(kMusicField);
}
