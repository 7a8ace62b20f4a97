#include "event/ending.h"

#include "data/flow.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"

const AtlasRect g_endingLineRects[kEndingLineCount] = {
    kAtlasEndingLine0,  kAtlasEndingLine1,  kAtlasEndingLine2,  kAtlasEndingLine3,  kAtlasEndingLine4,
    kAtlasEndingLine5,  kAtlasEndingLine6,  kAtlasEndingLine7,  kAtlasEndingLine8,  kAtlasEndingLine9,
    kAtlasEndingLine10, kAtlasEndingLine11, kAtlasEndingLine12, kAtlasEndingLine13, kAtlasEndingLine14,
};

namespace {
constexpr int32_t kLineInterval = 200;  // frames between two pictures
constexpr float kEntryHidden = 500.0f;
constexpr float kEntryEnter = 510.0f;  // just below the screen
constexpr float kEntryGone = -30.0f;   // above the screen
constexpr float kClosingX = 560.0f;
constexpr float kClosingY = 450.0f;

void RiseEntries(EndingRollData* roll) {
  for (EndingRollEntry& e : roll->entries) {
    if (!e.live) continue;
    e.y -= 1.0f;
    if (e.y < kEntryGone) e.live = 0;
  }
}
}  // namespace

int EndingRollStart() {
  TaskSlot* slot = TaskAllocAt(kSlotEndingRoll);
  if (!slot) return 0;
  TaskStart(slot, kTaskIdEndingRoll, 0, EndingRollUpdate, EndingRollDraw);
  EndingRollData* roll = TaskDataInit<EndingRollData>(slot);
  roll->live = 1;
  roll->countdown = kLineInterval;
  roll->step = EndingRollFeed;
  for (EndingRollEntry& e : roll->entries) e.y = kEntryHidden;
  return 1;
}

void EndingRollUpdate(TaskSlot* slot) {
  EndingRollData* roll = TaskData<EndingRollData>(slot);
  roll->step(roll);
  RiseEntries(roll);
  if (roll->live != 0) return;
  slot->inUse = 0;
  g_flow.returnToTitle();
}

void EndingRollDraw(TaskSlot* slot) {
  const EndingRollData* roll = TaskData<EndingRollData>(slot);
  for (const EndingRollEntry& e : roll->entries) {
    if (e.live) DrawSpriteCentred(e.picture, e.y, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
  }
  if (roll->step == EndingRollWaitConfirm) DrawAtlas(kClosingX, kClosingY, kAtlasEndingClosing);
}

void EndingRollFeed(EndingRollData* roll) {
  if (--roll->countdown >= 1) return;
  roll->countdown = kLineInterval;
  EndingRollAddLine(roll, roll->nextLine);
  if (++roll->nextLine >= kEndingLineCount) roll->step = EndingRollDrain;
}

void EndingRollAddLine(EndingRollData* roll, int32_t n) {
  if (n < 0 || n >= kEndingLineCount) return;
  for (EndingRollEntry& e : roll->entries) {
    if (e.live) continue;
    e.live = 1;
    e.y = kEntryEnter;
    e.picture = g_endingLineRects[n];
    return;
  }
}

void EndingRollDrain(EndingRollData* roll) {
  for (const EndingRollEntry& e : roll->entries) {
    if (e.live) return;
  }
  roll->step = EndingRollWaitConfirm;
}

void EndingRollWaitConfirm(EndingRollData* roll) {
  if (KeyConfirmPressed()) roll->live = 0;
}

void EventCmdEndingRoll(EventContext* context) {
  EventEnd(context);
  TaskKillAll();
  EndingRollStart();
}
