#include "battle/escape.h"

#include "battle/battle.h"
#include "battle/cursor.h"
#include "battle/grid.h"
#include "battle/results.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/sound.h"
#include "field/walker.h"

namespace {

constexpr float kAskX = 2.0f;
constexpr float kAskY = 94.0f;
constexpr float kFailedY = 120.0f;

// A unit already sinking has fallen: it neither runs nor stands up again.
bool Standing(const UnitData* u) { return u->record.side == 0 && u->state != UnitStateSinkAndDie; }

}  // namespace

void UnitStateEscapeAsk(UnitData* unit) {
  if (!MenuCursorVertical(&unit->menuCursor, 2)) return;
  if (unit->menuCursor == 0) {
    unit->state = UnitStateCommandMenu;
    return;
  }
  BattleTryEscape(unit);
}

void BattleTryEscape(UnitData* unit) {
  UnitData* units[kTaskSlotCount];
  int count = 0;
  ForEachUnit([&](UnitData* u) {
    if (Standing(u)) units[count++] = u;
  });
  for (int d = 0; d < kEscapeDirections; ++d) {
    const float direction = 90.0f * static_cast<float>(d);
    if (!EscapeAllClear(units, count, direction)) continue;
    if (BattleData* battle = BattleFind()) battle->escaped = 1;
    GridClearRange();
    for (int i = 0; i < count; ++i) {
      units[i]->facing = direction;
      units[i]->acted = 0;
      units[i]->stepFrame = 0;
      units[i]->state = UnitStateRunAway;
    }
    return;
  }
  unit->acted = 1;
  unit->state = UnitStateEscapeFailed;
  SoundRequest(kSoundRefuse, 0);
}

int EscapeAllClear(UnitData* const* units, int count, float direction) {
  for (int i = 0; i < count; ++i) {
    if (EscapePathClear(units[i]->x, units[i]->z, direction)) return 0;
  }
  return 1;
}

// Other party units and walls do not stand in the way; enemies do, falling ones too.
int EscapePathClear(float x, float z, float direction) {
  float kx = 0, kz = 0;
  GridSnapToCell(x, z, &kx, &kz);
  while (GridInside(kx, kz)) {
    OffsetByAngle(&kx, &kz, kx, kz, direction, 2.0f);
    if (GridEnemyAtCell(GridCellIndexAt(kx, kz))) return 1;
  }
  return 0;
}

int GridEnemyAtCell(int index) {
  int found = 0;
  ForEachUnit([&](const UnitData* u) {
    if (u->record.side == 1 && GridCellIndexAt(u->x, u->z) == index) found = 1;
  });
  return found;
}

// Each runner leaves the battle as it passes the grid's edge, its record back in its row.
void UnitStateRunAway(UnitData* unit) {
  OffsetByAngle(&unit->x, &unit->z, unit->x, unit->z, unit->facing, kRunPerFrame);
  if (++unit->stepFrame >= kRunFootstepFrames) {
    unit->stepFrame = 0;
    SoundRequest(kSoundFootsteps, 0);
  }
  if (GridInside(unit->x, unit->z)) return;
  unit->live = 0;
  UnitStoreToParty(unit);
}

void UnitStateEscapeFailed(UnitData* unit) {
  if (!KeyConfirmPressed()) return;
  unit->state = UnitStateIdle;
  unit->acted = 1;
  PartyAllActed();
}

void PartyAllActed() {
  ForEachUnit([](UnitData* u) {
    if (!Standing(u)) return;
    u->acted = 1;
    u->state = UnitStateIdle;
  });
  CursorSetState(CursorStateFree);
  GridClearRange();
}

void UnitStateAutoBattleAsk(UnitData* unit) {
  if (!MenuCursorVertical(&unit->menuCursor, 2)) return;
  if (unit->menuCursor == 0) {
    unit->state = UnitStateCommandMenu;
    return;
  }
  g_settings.autoBattle = 1;
  PhaseBannerStart(PhaseBannerStepAuto);
  unit->state = UnitStateIdle;
  GridClearRange();
}

void DrawEscapeAsk(const UnitData* unit) {
  DrawVerticalMenu(kAskX, kAskY, unit->menuCursor, 2, kColourDisabled, kAtlasBattleAskWindow, kAtlasEscapeTitle,
                   kBackConfirmAnswers, kTwoAnswerOrder);
}

void DrawAutoBattleAsk(const UnitData* unit) {
  DrawVerticalMenu(kAskX, kAskY, unit->menuCursor, 2, kColourDisabled, kAtlasBattleAskWindow, kAtlasAutoTitle,
                   kBackConfirmAnswers, kTwoAnswerOrder);
}

void DrawEscapeFailedMessage() {
  DrawSpriteCentred(kAtlasEscapeFailed, kFailedY, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
}
