#include "menu/status_screen.h"

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/keys.h"
#include "menu/menu_common.h"
#include "menu/party_menu.h"
#include "menu/party_panels.h"

int StatusScreenOpenFromMenu(PartyMenuData* menu) {
  menu->live = 0;
  return StatusScreenOpen();
}

int StatusScreenOpen() {
  TaskSlot* slot = TaskStart(TaskAllocAt(kSlotStatus), kTaskIdStatus, 0, StatusScreenUpdate, StatusScreenDraw);
  if (!slot) return 0;
  StatusData* status = TaskDataInit<StatusData>(slot);
  status->live = 1;
  status->member = 0;
  status->step = StatusScreenBegin;
  return 1;
}

void StatusScreenUpdate(TaskSlot* slot) {
  if (MenuTaskStep<StatusData>(slot)) PartyMenuOpen();
}

void StatusScreenBegin(StatusData* status) { status->step = StatusScreenInput; }

void StatusScreenInput(StatusData* status) {
  if (KeyPressed(kKeyEscape) || KeyConfirmPressed()) {
    status->live = 0;
  } else if (KeyPressed(kKeyDown) || KeyPressed(kKeyRight)) {
    status->member = WrapStep(status->member, 1, PartySize());
  } else if (KeyPressed(kKeyUp) || KeyPressed(kKeyLeft)) {
    status->member = WrapStep(status->member, -1, PartySize());
  } else {
    return;
  }
  MenuSound(kSoundCursor);
}

void StatusScreenDraw(TaskSlot* slot) {
  const StatusData* status = TaskData<StatusData>(slot);
  const AtlasRect& tile = kAtlasStatusTile;
  FillScreenPattern(tile.left, tile.top, tile.right, tile.bottom);
  DrawPartyRows(0.0f, 0.0f, g_party, status->member);
  DrawStatusPage(status->member);
  DrawStatusStats(0.0f, 310.0f, status->member);
}
