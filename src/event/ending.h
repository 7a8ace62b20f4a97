// The ending roll: fifteen pictures rising one after another over an empty screen, then
// a closing picture until the player confirms, and back to the title.
#pragma once

#include <cstdint>

#include "engine/rect.h"
#include "engine/task.h"
#include "event/event.h"

constexpr int kEndingLineCount = 15;
constexpr int kEndingEntryCount = 6;  // at most three pictures are ever on screen

extern const AtlasRect g_endingLineRects[kEndingLineCount];

struct EndingRollData;
using EndingRollStep = void (*)(EndingRollData* roll);

struct EndingRollEntry {
  int32_t live;
  float y;
  AtlasRect picture;
  int32_t spare;
};

struct EndingRollData {
  int32_t live;
  int32_t nextLine;   // the next picture to show, 0 to 15
  int32_t countdown;  // frames until it shows
  EndingRollStep step;
  EndingRollEntry entries[kEndingEntryCount];
};

// 1 when the roll was created; 0 while its slot is busy.
int EndingRollStart();
void EndingRollUpdate(TaskSlot* slot);
void EndingRollDraw(TaskSlot* slot);
void EndingRollFeed(EndingRollData* roll);
void EndingRollAddLine(EndingRollData* roll, int32_t n);
void EndingRollDrain(EndingRollData* roll);
void EndingRollWaitConfirm(EndingRollData* roll);

// The script's way to the end: the event and every other task go, the roll starts.
void EventCmdEndingRoll(EventContext* context);
