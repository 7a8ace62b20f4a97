// The status screen: one party member at a time, opened from the party menu.
#pragma once

#include <cstdint>

#include "engine/task.h"

struct PartyMenuData;
struct StatusData;
using StatusStep = void (*)(StatusData* status);

struct StatusData {
  int32_t live;
  int32_t member;  // party index shown
  StatusStep step;
};

// Ends the party menu and opens the screen; 0 when its slot is busy.
int StatusScreenOpenFromMenu(PartyMenuData* menu);
int StatusScreenOpen();
// Runs the step; the screen that ends frees its slot and reopens the party menu.
void StatusScreenUpdate(TaskSlot* slot);
void StatusScreenDraw(TaskSlot* slot);
void StatusScreenBegin(StatusData* status);
// Escape, Enter or Z close; Down or Right and Up or Left step through the members.
void StatusScreenInput(StatusData* status);
