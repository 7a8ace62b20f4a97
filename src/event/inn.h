// The inn: pay the night's price and the whole party is restored behind a fade.
#pragma once

#include <cstdint>

#include "engine/task.h"
#include "event/event.h"

enum InnChoice : int32_t { kInnLeave = 0, kInnStay = 1 };

struct InnData;
using InnStep = void (*)(InnData* inn);

struct InnData {
  int32_t live;
  int32_t choice;  // kInnLeave or kInnStay
  int32_t price;
  int32_t holdFrames;  // frames left at full cover
  int32_t alpha;       // of the fade over the screen
  InnStep step;
};

// '#9,price'. Nothing opens while an inn is open or its slot is busy.
void EventCmdInn(EventContext* context);
void InnUpdate(TaskSlot* slot);
void InnDraw(TaskSlot* slot);
void InnBegin(InnData* inn);
void InnAsk(InnData* inn);
void InnNoMoneyWait(InnData* inn);
void InnFadeIn(InnData* inn);
void InnFadeHold(InnData* inn);
void InnFadeOut(InnData* inn);
// Ailments cleared, hit points full, and magic points full for casters, for every member.
void InnRestoreParty();
