// The money and item notice: treasure on the map pays or hands over its item at once,
// shows what was found, and on confirm leaves the map for good (its cell freed, its
// object gone, its flag set). With no room for the item nothing is taken.
#pragma once

#include <cstdint>

#include "engine/task.h"
#include "event/event.h"

enum ItemDialogMode : int32_t { kItemDialogMoney = 0, kItemDialogItem = 1 };

struct ItemDialogData;
using ItemDialogStep = void (*)(ItemDialogData* dialog);

struct ItemDialogData {
  int32_t live;
  int32_t mode;    // kItemDialogMoney, or anything else for an item
  int32_t amount;  // money to pay
  int32_t item;    // item to give
  int32_t cellX, cellY;
  int32_t tag;   // tag of the object's tasks
  int32_t flag;  // event flag set when taken
  ItemDialogStep step;
};

// '#38,mode,value,x,y,tag,flag'. Refused, with nothing shown, when the slot is busy, the
// item is not in the table or the flag is not one of the 100.
void EventCmdItemDialog(EventContext* context);
void ItemDialogUpdate(TaskSlot* slot);
void ItemDialogDraw(TaskSlot* slot);
void ItemDialogBegin(ItemDialogData* dialog);
void ItemDialogGiveMoney(ItemDialogData* dialog);
void ItemDialogGiveItem(ItemDialogData* dialog);
void ItemDialogWaitMoney(ItemDialogData* dialog);
void ItemDialogWaitItem(ItemDialogData* dialog);
void ItemDialogWaitFull(ItemDialogData* dialog);
void ItemDialogCollect(ItemDialogData* dialog);

// Width of n in the small digit font with no gaps between digits.
float NumberWidth(int32_t n);
