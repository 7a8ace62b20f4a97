#include "event/event.h"

#include <cstring>

#include "data/flow.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/sound.h"
#include "field/map.h"

namespace {

constexpr int32_t kNoPortrait = 100;

bool FlagNumberValid(int32_t n) { return n >= 0 && n < kEventFlagCount; }

// The end of a task-waiting step: the command's screen or effect is gone (or was never
// created because its slot was busy), so the next command runs on the next frame.
void ResumeWhenGone(EventContext* context, bool present) {
  if (!present) context->step = EventStepReadCommand;
}

}  // namespace

int EventStart(int32_t event) {
  if (TaskSlotInUse(kSlotBattle) || TaskSlotInUse(kSlotChoiceMenu) || TaskExists(kTaskIdEvent)) return 0;
  TaskSlot* slot = TaskAllocAt(kSlotEvent);
  if (!slot) return 0;
  TaskStart(slot, kTaskIdEvent, 0, EventUpdate, EventDraw);
  EventContext* context = TaskDataInit<EventContext>(slot);
  // A number outside the map's events (a person placed by a script carries 0) runs the
  // first event; the slots end at 20 whatever the map claims.
  int32_t scriptSlot = event - 1;
  if (scriptSlot < 0 || scriptSlot > g_eventCount - 1 || scriptSlot >= kEventSlotCount) scriptSlot = 0;
  context->scriptSlot = scriptSlot;
  context->live = 1;
  context->portrait = kNoPortrait;
  context->step = EventStepBegin;
  TaskSetModeAll(kTaskModePause);
  TaskSetModeById(kTaskIdCamera, kTaskModeRun);
  TaskSetModeById(kTaskIdEvent, kTaskModeRun);
  TaskSetModeById(kTaskIdFieldView, kTaskModeRun);
  return 1;
}

void EventUpdate(TaskSlot* slot) {
  EventContext* context = TaskData<EventContext>(slot);
  if (context->step) context->step(context);
  if (context->live != 0) return;
  slot->inUse = 0;
  // A running map change resumes the tasks itself once its fade is done.
  if (!TaskSlotInUse(kSlotMapChange)) TaskSetModeAll(kTaskModeRun);
  g_encounterCountdown = g_encounterInterval;
}

void EventStepBegin(EventContext* context) { context->step = EventStepReadCommand; }

void EventStepReadCommand(EventContext* context) { EventExecuteCommand(context); }

char* EventScriptBase(EventContext* context) { return EventSlotBase(context->scriptSlot); }

int32_t EventReadArg(EventContext* context) {
  return EventReadNumber(&context->readPosition, EventScriptBase(context));
}

void EventEnd(EventContext* context) { context->live = 0; }

void EventExecuteCommand(EventContext* context) {
  const char* script = EventScriptBase(context);
  int32_t p = context->readPosition < 0 ? kEventSlotSize : context->readPosition;
  while (p < kEventSlotSize && script[p] != '#') ++p;
  // No further command (a '#' in the slot's last byte has no room for a code): the
  // event ends quietly.
  if (p >= kEventSlotSize - 1) {
    context->readPosition = kEventSlotSize - 1;
    EventEnd(context);
    return;
  }
  context->readPosition = p + 1;
  const int32_t code = EventReadArg(context);
  if (code >= kEventCommandCount) return;
  const EventCommand& command = g_eventCommands[code];
  if (!command.handler) return;
  command.handler(context);
  if (command.wait) context->step = command.wait;
}

void EventJumpToLabel(EventContext* context, const char* script, const char* label) {
  const int32_t length = static_cast<int32_t>(strnlen(label, kEventLabelBytes));
  if (length > 0 && context->readPosition >= 0) {
    for (int32_t p = context->readPosition; p + length <= kEventSlotSize; ++p) {
      if (script[p] == label[0] && std::memcmp(script + p, label, static_cast<size_t>(length)) == 0) {
        context->readPosition = p + length;
        return;
      }
    }
  }
  // Labels only lie ahead; one that is not there leaves nowhere to go on from.
  context->readPosition = kEventSlotSize - 1;
  EventEnd(context);
}

void EventCmdSetFlag(EventContext* context) {
  const int32_t n = EventReadArg(context);
  if (FlagNumberValid(n)) g_eventFlags[n] = 1;
}

void EventCmdJumpIfFlag(EventContext* context) {
  const int32_t n = EventReadArg(context);
  char label[kEventLabelBytes];
  char* script = EventScriptBase(context);
  EventReadString(label, kEventLabelBytes, &context->readPosition, script);
  if (FlagNumberValid(n) && g_eventFlags[n] != 0) EventJumpToLabel(context, script, label);
}

void EventCmdSound(EventContext* context) {
  const int32_t n = EventReadArg(context);
  if (n >= 0 && n < kSoundEffectCount) SoundRequest(n, 0);
}

void EventCmdWait(EventContext* context) { context->waitCounter = EventReadArg(context); }

void EventCmdResumeAll(EventContext*) {
  for (int i = 0; i < kTaskSlotCount; ++i) {
    if (g_taskPool[i].inUse) g_taskPool[i].updateOn = 1;
  }
}

// Killing the event's own task would leave every other task paused for good, so the
// event ends the ordinary way instead.
void EventCmdKillTasks(EventContext* context) {
  const int32_t id = EventReadArg(context);
  if (id == kTaskIdEvent) {
    EventEnd(context);
    return;
  }
  TaskKillById(id);
}

void EventCmdToTitle(EventContext* context) {
  EventEnd(context);
  g_flow.returnToTitle();
}

void EventCmdEnd(EventContext* context) { EventEnd(context); }

void EventStepWaitFrames(EventContext* context) {
  if (--context->waitCounter > 0) return;
  context->waitCounter = 0;
  context->step = EventStepReadCommand;
}

void EventStepWaitInn(EventContext* context) { ResumeWhenGone(context, TaskExists(kTaskIdInn)); }
void EventStepWaitShop(EventContext* context) { ResumeWhenGone(context, TaskExists(kTaskIdShop)); }
void EventStepWaitItemDialog(EventContext* context) { ResumeWhenGone(context, TaskExists(kTaskIdNotice)); }
void EventStepWaitDonation(EventContext* context) { ResumeWhenGone(context, TaskSlotInUse(kSlotDonation)); }
void EventStepWaitEffects(EventContext* context) { ResumeWhenGone(context, TaskExists(kTaskIdEffect3D)); }
void EventStepWaitProjectiles(EventContext* context) { ResumeWhenGone(context, TaskExists(kTaskIdProjectile)); }
// The script names up to six enemies; a count the language does not allow reads one.
// Whether each can stand where it is put is the battle's to judge.
void EventCmdBattle(EventContext* context) {
  EventBattleOrder order{};
  order.count = EventReadArg(context);
  if (order.count < 1 || order.count > kBattleSideMax) order.count = 1;
  for (int i = 0; i < order.count; ++i) {
    order.enemies[i].monster = EventReadArg(context);
    order.enemies[i].column = EventReadArg(context);
    order.enemies[i].row = EventReadArg(context);
  }
  g_flow.startEventBattle(&order);
}

void EvTransitionStart(EventContext*) { g_flow.startTransition(); }

void EvTransitionWait(EventContext* context) { ResumeWhenGone(context, TaskSlotInUse(kSlotEncounterTransition)); }
