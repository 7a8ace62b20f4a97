// The event task: runs one numbered script of the current map, one command a frame,
// while the field stands frozen around it.
#pragma once

#include <cstdint>

#include "engine/task.h"
#include "engine/text.h"
#include "event/pack.h"

constexpr int kEventCommandCount = 100;
constexpr int kEventWalkMax = 20;
constexpr int kEventLineCount = 3;

struct EventContext;
using EventStep = void (*)(EventContext* context);

// The event task's data record. The fields from lineCount to labels are the text window.
struct EventContext {
  int32_t live;
  int32_t readPosition;  // index into the script slot of the next byte to read
  int32_t scriptSlot;    // event number - 1
  int32_t waitCounter;
  EventStep step;
  int32_t blackout;     // 1: the screen is covered under the window
  int32_t windowShown;  // 1: the window background is drawn
  int32_t portrait;     // 0 to 21 drawn; anything else (100 at the start) draws nothing
  int32_t lineCount;
  char lines[kEventLineCount][kEventLineBytes];
  int32_t sourceGlyphs[kEventLineCount][kGlyphRowLength];
  int32_t typingColumn;
  int32_t typingLine;  // 3: the whole message is shown
  int32_t shownGlyphs[kEventLineCount][kGlyphRowLength];
  int32_t choice;
  char labels[2][kEventLabelBytes];
  int32_t overlayAlpha;
  int32_t panDirection;
  int32_t panFrames;
  int32_t walkCount;
  int32_t walkTags[kEventWalkMax];
  int32_t walkDirections[kEventWalkMax];
  int32_t walkSteps[kEventWalkMax];
};
static_assert(sizeof(EventContext) <= kTaskDataSize);

using EventHandler = void (*)(EventContext* context);

// One row of the command table: the handler (null: the code does nothing, and the next
// fetch skips whatever follows it) and the wait step stored right after it runs.
struct EventCommand {
  EventHandler handler;
  EventStep wait;
};
extern const EventCommand g_eventCommands[kEventCommandCount];

// 1 when the event task was created; 0 while a battle, the field menu or another event
// runs. An event number outside the map's events runs its first event.
int EventStart(int32_t event);
void EventUpdate(TaskSlot* slot);
void EventDraw(TaskSlot* slot);

void EventStepBegin(EventContext* context);
void EventStepReadCommand(EventContext* context);
void EventExecuteCommand(EventContext* context);
char* EventScriptBase(EventContext* context);
// The next number argument of the running command.
int32_t EventReadArg(EventContext* context);
// The next number of the running command's arguments.
inline int32_t EventArgNumber(EventContext* context) {
  return EventReadNumber(&context->readPosition, EventScriptBase(context));
}
// Moves the read position past the next occurrence of the label; a label that does not
// occur in the rest of the slot ends the event.
void EventJumpToLabel(EventContext* context, const char* script, const char* label);
// Ends the event from inside a command: the task frees itself at the end of this update.
void EventEnd(EventContext* context);

// Commands of the task itself.
void EventCmdSetFlag(EventContext* context);
void EventCmdJumpIfFlag(EventContext* context);
void EventCmdSound(EventContext* context);
void EventCmdWait(EventContext* context);
void EventCmdResumeAll(EventContext* context);
void EventCmdKillTasks(EventContext* context);
void EventCmdToTitle(EventContext* context);
void EventCmdEnd(EventContext* context);
// A scripted battle: the event stands stopped with everything else until it ends.
void EventCmdBattle(EventContext* context);
// The encounter transition alone, the lead-in to a scripted battle.
void EvTransitionStart(EventContext* context);

// Wait steps.
void EventStepWaitFrames(EventContext* context);
void EventStepWaitInn(EventContext* context);
void EventStepWaitShop(EventContext* context);
void EventStepWaitItemDialog(EventContext* context);
void EventStepWaitDonation(EventContext* context);
void EventStepWaitEffects(EventContext* context);
void EventStepWaitProjectiles(EventContext* context);
void EvTransitionWait(EventContext* context);
