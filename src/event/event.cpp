#include "event/event.h"

#include <cstring>

#include "data/flow.h"
#include "data/tasks.h"
#include "engine/sound.h"
#include "event/donation.h"
#include "event/ending.h"
#include "event/fade.h"
#include "event/field_commands.h"
#include "data/game_state.h"
#include "event/inn.h"
#include "event/notice.h"
#include "event/party_commands.h"
#include "event/shop.h"
#include "event/text_window.h"
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

// Codes without a handler do nothing; the arguments they would have read are plain
// text to the next fetch. Rows with a wait but no handler yet are filled in by the
// screen and battle commands as they arrive.
const EventCommand g_eventCommands[kEventCommandCount] = {
    {EventCmdSetupParty, nullptr},           // 0 party set-up
    {EventCmdText, TextWindowStep},          // 1 message
    {EventCmdChoice, EventChoiceStep},       // 2 choice
    {EventCmdPortrait, nullptr},             // 3 portrait
    {EventCmdAddMember, nullptr},            // 4 member joins
    {EventCmdSetFlag, nullptr},              // 5 set flag
    {EventCmdJumpIfFlag, nullptr},           // 6 jump when a flag is set
    {EventCmdWindow, nullptr},               // 7 window background
    {EventCmdChangeMap, nullptr},            // 8 map change, ends the event
    {EventCmdInn, EventStepWaitInn},         // 9 inn
    {EventCmdShop, EventStepWaitShop},       // 10 shop
    {EventCmdSound, nullptr},                // 11 sound effect
    {nullptr, nullptr},                      // 12 scripted battle (frozen by the battle)
    {nullptr, EvTransitionWait},             // 13 encounter transition without a battle
    {EventCmdFacing, nullptr},               // 14 facing
    {nullptr, nullptr},                      // 15
    {EventCmdPartyControl, nullptr},         // 16 party control
    {EventCmdWait, EventStepWaitFrames},     // 17 wait frames
    {EventCmdSetTile, nullptr},              // 18 set tile
    {EventCmdRemoveObjects, nullptr},        // 19 remove objects
    {EventCmdSpawnNpc, nullptr},             // 20 spawn person
    {EventCmdCameraPan, EventStepCameraPan},  // 21 camera pan
    {EventCmdWalk, EventStepWalk},           // 22 scripted walks
    {EventCmdFadeCover, nullptr},            // 23 fade to covered
    {EventCmdFadeReveal, nullptr},           // 24 fade to clear
    {EventCmdCameraAtFollow, nullptr},       // 25 camera at a cell, following
    {nullptr, nullptr},                      // 26 sparkle
    {EventCmdAddMoney, nullptr},             // 27 money
    {EventCmdLoadMap, nullptr},              // 28 load map
    {EventCmdNpcMover, nullptr},             // 29 person mover
    {EventCmdFadeStop, nullptr},             // 30 fade stop
    {EventCmdBlackout, nullptr},             // 31 blackout
    {EventCmdCameraMove, nullptr},           // 32 camera move
    {EventCmdRemoveObjectList, nullptr},     // 33 remove object list
    {EventCmdRebuildCollision, nullptr},     // 34 rebuild collision
    {EventCmdResumeAll, nullptr},            // 35 resume every task
    {EventCmdOverlayIn, EventStepOverlayIn}, // 36 overlay in
    {EventCmdGather, EventStepGather},       // 37 gather
    {EventCmdItemDialog, EventStepWaitItemDialog},  // 38 money or item notice
    {EventCmdCameraFollow, nullptr},         // 39 camera follows
    {EventCmdCameraHold, nullptr},           // 40 camera holds
    {EventCmdDonation, EventStepWaitDonation},  // 41 donation dial
    {nullptr, EventStepWaitEffects},         // 42 party ring
    {nullptr, EventStepWaitEffects},         // 43 party flash
    {nullptr, nullptr},                      // 44 recover all
    {nullptr, nullptr},                      // 45 hurt all
    {EventCmdMemberToReserve, nullptr},      // 46 member to reserve
    {EventCmdShowObjects, nullptr},          // 47 show or hide objects
    {EventCmdPlaceParty, nullptr},           // 48 place party
    {EventCmdReserveToMember, nullptr},      // 49 reserve to member
    {EventCmdKillTasks, nullptr},            // 50 kill tasks by id
    {EventCmdSortParty, nullptr},            // 51 sort party
    {EventCmdCameraAt, nullptr},             // 52 fixed camera at a cell
    {nullptr, nullptr},                      // 53 pitfall
    {nullptr, EventStepWaitProjectiles},     // 54 projectile
    {nullptr, nullptr},                      // 55 lift
    {nullptr, nullptr},                      // 56 lift move
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 57 to 59
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 60 to 64
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 65 to 69
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 70 to 74
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 75 to 79
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 80 to 84
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 85 to 89
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 90 to 94
    {nullptr, nullptr}, {nullptr, nullptr},  // 95, 96
    {EventCmdEndingRoll, nullptr},           // 97 ending roll
    {EventCmdToTitle, nullptr},              // 98 back to the title
    {EventCmdEnd, nullptr},                  // 99 end of the event
};

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

void EventDraw(TaskSlot* slot) {
  const EventContext* context = TaskData<EventContext>(slot);
  if (context->blackout == 1) DrawBlackout();
  DrawPortrait(context->portrait);
  if (context->windowShown == 1) DrawEventWindow();
  if (context->step == TextWindowStep) DrawTextLines(context, 124.0f, 384.0f);
  if (context->step == EventChoiceStep) {
    DrawEventChoiceCursor(context->choice);
    DrawTextLines(context, 124.0f, 384.0f);
  }
  if (context->overlayAlpha > 0) DrawEventOverlay(context->overlayAlpha);
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
void EvTransitionWait(EventContext* context) {
  ResumeWhenGone(context, TaskSlotInUse(kSlotEncounterTransition));
}
