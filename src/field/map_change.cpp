#include "field/map_change.h"

#include "data/flow.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "field/map.h"
#include "field/walker.h"

int MapChangeStart(int32_t column, int32_t row, int32_t angle, int32_t map, int32_t frozen) {
  TaskSlot* slot = TaskAllocAt(kSlotMapChange);
  if (!slot) return 0;
  TaskStart(slot, kTaskIdMapChange, 0, MapChangeUpdate, MapChangeDraw);
  MapChangeData* change = TaskDataInit<MapChangeData>(slot);
  change->live = 1;
  change->alpha = 0;
  change->frozen = frozen;
  change->map = map;
  change->column = column;
  change->row = row;
  change->angle = angle;
  change->step = MapChangeCoverStep;
  return 1;
}

void MapChangeUpdate(TaskSlot* slot) { TaskRunStep<MapChangeData>(slot); }

void MapChangeDraw(TaskSlot* slot) { DrawMapChangeFade(TaskData<MapChangeData>(slot)->alpha); }

void DrawMapChangeFade(int32_t alpha) {
  const int32_t a = alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha);
  const uint32_t colour = (static_cast<uint32_t>(a) << 24) | 0x00FFFFFFu;
  const AtlasRect& p = kAtlasCameraCover;
  FillScreenPatternColour(p.left, p.top, p.right, p.bottom, colour);
}

// 26 updates to the full cover.
void MapChangeCoverStep(MapChangeData* change) {
  change->alpha += kMapChangeFadeStep;
  if (change->alpha < 256) return;
  change->alpha = 255;
  change->step = MapChangeRevealStep;
  MapChangeLoad(change);
}

// 26 updates back to nothing; then the new map comes to life.
void MapChangeRevealStep(MapChangeData* change) {
  change->alpha -= kMapChangeFadeStep;
  if (change->alpha >= 0) return;
  change->alpha = 0;
  change->live = 0;
  TaskSetModeAll(kTaskModeRun);
}

// The new map is drawn under the cover while nothing but the fade and the camera moves.
void MapChangeLoad(MapChangeData* change) {
  TaskKillAllBut(kTaskIdMapChange);
  if (!g_flow.loadMap()) return;
  float x = static_cast<float>(change->column), z = static_cast<float>(change->row);
  MapCellToWorld(&x, &z);
  PartyWalkersCreate(x, kMapChangeWalkerY, z, static_cast<float>(change->angle), change->frozen);
  g_encounterCountdown = g_encounterInterval;
  TaskSetModeAll(kTaskModePause);
  TaskSetModeById(kTaskIdMapChange, kTaskModeRun);
  TaskSetModeById(kTaskIdCamera, kTaskModeRun);
}
