#include "menu/title.h"

#include "engine/task.h"

int32_t g_titleBanner = 0;

namespace {
void TitleUpdate(TaskSlot*) {}
void TitleDraw(TaskSlot*) {}
}  // namespace

int TitleOpen() {
  TaskSlot* slot = TaskAllocAt(kSlotTitle);
  if (!slot) return 0;
  slot->inUse = 1;
  slot->updateOn = 1;
  slot->drawOn = 1;
  slot->id = kTaskIdTitle;
  slot->update = TitleUpdate;
  slot->draw = TitleDraw;
  return 1;
}
