// The map change: a white cover rises over the screen, everything on it is replaced by
// the new map with the party standing on the given cell, and the cover falls again.
#pragma once

#include <cstdint>

#include "data/game_state.h"
#include "engine/task.h"

struct MapChangeData;
using MapChangeStep = void (*)(MapChangeData* change);

struct MapChangeData {
  int32_t live;
  int32_t alpha;   // of the white cover, 0 to 255
  int32_t frozen;  // passed to the walkers
  int32_t map;     // as asked; the load itself uses g_mapNumber
  int32_t column;
  int32_t row;
  int32_t angle;  // the party's facing on arrival
  MapChangeStep step;
};

constexpr int32_t kMapChangeFadeStep = 10;
constexpr float kMapChangeWalkerY = 0.2f;

// Refused (0) while another map change runs.
int MapChangeStart(int32_t column, int32_t row, int32_t angle, int32_t map, int32_t frozen);
void MapChangeUpdate(TaskSlot* slot);
void MapChangeDraw(TaskSlot* slot);
void DrawMapChangeFade(int32_t alpha);
void MapChangeCoverStep(MapChangeData* change);
void MapChangeRevealStep(MapChangeData* change);
// Under the full cover: the old screen goes and the new map with its party comes. A map
// that cannot be loaded ends at the title screen.
void MapChangeLoad(MapChangeData* change);
