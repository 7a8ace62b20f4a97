#include "field/objects.h"

#include <glm/mat4x4.hpp>

#include "data/flow.h"
#include "data/tasks.h"
#include "engine/draw.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/util.h"
#include "field/field_view.h"
#include "field/map.h"

namespace {

bool ModelKnown(int32_t model) { return model >= 0 && model < kMeshCount; }
bool TextureKnown(int32_t texture) { return texture >= 0 && texture < kTextureCount; }

bool ConfirmPressed() { return KeyPressed(kKeyZ) || KeyPressed(kKeyEnter); }

TaskSlot* ClaimObjectSlot(int32_t id, int32_t tag, TaskCallback update, TaskCallback draw) {
  return TaskStart(TaskAllocInRange(kSlotObjectsFirst, kSlotObjectsEnd), id, tag, update, draw);
}

template <class T>
T* InitPlaced(TaskSlot* slot, float x, float y, float z, int32_t event) {
  T* data = TaskDataInit<T>(slot);
  data->live = 1;
  data->event = event;
  data->x = x;
  data->y = y;
  data->z = z;
  return data;
}

// The direction from the leader's cell to the cell at (x, z) when they are neighbours;
// -1 otherwise or without a leader.
int LeaderDirectionTo(float x, float z) {
  const WalkerData* leader = FieldLeader();
  if (!leader) return -1;
  return MapNeighbourDirection(MapCellIndexChecked(leader->x, leader->z), MapCellIndexChecked(x, z));
}

void ClaimCell(float x, float z) { MapSetCollision(x, z, kCollisionTaken); }

void NpcRest(NpcData* npc) {
  RoundPairToInt(&npc->x, &npc->z, npc->x, npc->z);
  npc->prevX = npc->x;
  npc->prevY = npc->y;
  npc->prevZ = npc->z;
}

// The talk starts on the confirm press, whatever EventStart answers: the person waits
// for the leader to leave in any case.
void NpcTalkOnConfirm(NpcData* npc, NpcStep next) {
  if (!ConfirmPressed()) return;
  NpcFaceLeader(npc);
  npc->mover = next;
  npc->frameCounter = 0;
  g_flow.startEvent(npc->event);
}

NpcStep NpcStepState(int angle) {
  switch (angle) {
    case 0: return NpcWanderStep0;
    case 90: return NpcWanderStep90;
    case 180: return NpcWanderStep180;
    default: return NpcWanderStep270;
  }
}

int NpcStepDirection(NpcStep mover) {
  if (mover == NpcWanderStep0) return 0;
  if (mover == NpcWanderStep90) return 90;
  if (mover == NpcWanderStep180) return 180;
  if (mover == NpcWanderStep270) return 270;
  return -1;
}

int WalkerStepDirection(WalkerStep state) {
  if (state == WalkerStatePlayerStep0) return 0;
  if (state == WalkerStatePlayerStep90) return 90;
  if (state == WalkerStatePlayerStep180) return 180;
  if (state == WalkerStatePlayerStep270) return 270;
  return -1;
}

bool NpcTryStep(NpcData* npc, int angle) {
  if (WalkerTryStep(&npc->x, &npc->z, static_cast<float>(angle)) != 0) return false;
  npc->mover = NpcStepState(angle);
  ++npc->subStep;
  return true;
}

// A wanderer blocked ahead (by a wall or by anyone) tries the side its preference names;
// blocked there too, the preference turns for its next try.
void NpcWanderTry(NpcData* npc, int angle, int32_t* preference, int slideFor0, int slideFor1) {
  if (NpcTryStep(npc, angle)) return;
  if (*preference == 1) {
    if (!NpcTryStep(npc, slideFor1)) *preference = 0;
  } else if (!NpcTryStep(npc, slideFor0)) {
    *preference = 1;
  }
}

// A wanderer that began a step holds the cell it enters and gives up its own.
void NpcReserveCell(NpcData* npc) {
  const int direction = NpcStepDirection(npc->mover);
  if (direction < 0) return;
  float aheadX = npc->x, aheadZ = npc->z;
  OffsetByAngle(&aheadX, &aheadZ, npc->x, npc->z, static_cast<float>(direction), kCellSize);
  ClaimCell(aheadX, aheadZ);
  MapReleaseCell(npc->x, npc->z);
}

void NpcStepToward(NpcData* npc, int angle) {
  OffsetByAngle(&npc->x, &npc->z, npc->x, npc->z, static_cast<float>(angle), kWalkerQuarter);
  npc->facing = npc->savedFacing = static_cast<float>(angle);
  if (++npc->subStep <= 7) return;
  npc->subStep = 0;
  npc->mover = NpcMoverWander;
  npc->frameCounter = 0;
  npc->prevX = npc->x;
  npc->prevY = npc->y;
  npc->prevZ = npc->z;
}

// Blocks and examined objects: they hold their cell every frame and start their event
// when the leader beside them confirms; then they wait until it has stepped away.
template <class T>
void ObjectIdle(T* object, void (*wait)(T*)) {
  ClaimCell(object->x, object->z);
  if (LeaderDirectionTo(object->x, object->z) < 0 || !ConfirmPressed()) return;
  LeaderTurnToward(object->x, object->z);
  object->step = wait;
  g_flow.startEvent(object->event);
}

template <class T>
void ObjectWaitLeaderGone(T* object, void (*idle)(T*)) {
  ClaimCell(object->x, object->z);
  if (LeaderDirectionTo(object->x, object->z) < 0) object->step = idle;
}

void DrawModelAt(int32_t model, float x, float y, float z, float* facing) {
  if (!ModelKnown(model)) return;
  glm::mat4 world;
  BuildWorldYaw(&world, x, y, z, facing);
  DrawMesh(g_meshes[model], world);
}

}  // namespace

NpcStep NpcMoverForMode(int32_t mode) {
  if (mode == kNpcStand) return NpcMoverStand;
  if (mode == kNpcWander) return NpcMoverWander;
  return NpcMoverNone;
}

NpcData* NpcSpawn(float x, float y, float z, int32_t model, float angle, int32_t mode, int32_t event, int32_t tag) {
  if (!ModelKnown(model)) return nullptr;
  TaskSlot* slot = ClaimObjectSlot(kTaskIdPerson, tag, NpcUpdate, NpcDraw);
  if (!slot) return nullptr;
  NpcData* npc = TaskDataInit<NpcData>(slot);
  npc->live = 1;
  npc->flag = 1;
  npc->x = npc->prevX = x;
  npc->y = npc->prevY = y;
  npc->z = npc->prevZ = z;
  npc->model = model;
  npc->angle = npc->facing = npc->savedFacing = angle;
  npc->mover = NpcMoverForMode(mode);
  npc->event = event;
  // Held from the start: after a map change the leader takes keys a frame before the
  // people first move, and would walk into one beside the landing.
  if (npc->mover != NpcMoverNone) ClaimCell(x, z);
  return npc;
}

int NpcCreate(float x, float y, float z, int32_t event, int32_t model, int32_t angle, int32_t mode) {
  return NpcSpawn(x, y, z, model, static_cast<float>(angle), mode, event, event) ? 1 : 0;
}

TouchTriggerData* TouchTriggerCreate(float x, float y, float z, int32_t event) {
  TaskSlot* slot = ClaimObjectSlot(kTaskIdTrigger, event, TouchTriggerUpdate, TouchTriggerDraw);
  if (!slot) return nullptr;
  TouchTriggerData* trigger = InitPlaced<TouchTriggerData>(slot, x, y, z, event);
  trigger->step = TouchTriggerArmed;
  return trigger;
}

int BlockObjectCreate(float x, float y, float z, int32_t event, int32_t top, int32_t side) {
  if (!TextureKnown(top) || !TextureKnown(side)) return 0;
  TaskSlot* slot = ClaimObjectSlot(kTaskIdBlock, event, BlockObjectUpdate, BlockObjectDraw);
  if (!slot) return 0;
  BlockObjectData* block = InitPlaced<BlockObjectData>(slot, x, y, z, event);
  block->topTexture = top;
  block->sideTexture = side;
  block->step = BlockObjectIdle;
  // Held from the start, as an examined object's: the leader moves before the block's
  // first update after a map change or a load, and would walk into it.
  ClaimCell(x, z);
  return 1;
}

int ExamineObjectCreate(float x, float y, float z, int32_t event, int32_t model) {
  if (!ModelKnown(model)) return 0;
  TaskSlot* slot = ClaimObjectSlot(kTaskIdExamined, event, ExamineObjectUpdate, ExamineObjectDraw);
  if (!slot) return 0;
  ExamineObjectData* object = InitPlaced<ExamineObjectData>(slot, x, y, z, event);
  object->model = model;
  object->step = ExamineObjectIdle;
  ClaimCell(x, z);
  return 1;
}

int AutoEventCreate(int32_t event) {
  TaskSlot* slot =
      TaskStart(TaskAllocAt(kSlotRunOnceEvent), kTaskIdRunOnceEvent, event, AutoEventUpdate, AutoEventDraw);
  if (!slot) return 0;
  AutoEventData* autoEvent = TaskDataInit<AutoEventData>(slot);
  autoEvent->live = 1;
  autoEvent->event = event;
  autoEvent->step = AutoEventWait;
  return 1;
}

bool AutoEventPending() {
  TaskSlot& slot = g_taskPool[kSlotRunOnceEvent];
  return slot.inUse && slot.id == kTaskIdRunOnceEvent && TaskData<AutoEventData>(&slot)->step != AutoEventEnd;
}

void NpcUpdate(TaskSlot* slot) {
  NpcData* npc = TaskData<NpcData>(slot);
  npc->prevX = npc->x;
  npc->prevY = npc->y;
  npc->prevZ = npc->z;
  if (npc->mover) npc->mover(npc);
}

void NpcDraw(TaskSlot* slot) {
  NpcData* npc = TaskData<NpcData>(slot);
  DrawModelAt(npc->model, npc->x, npc->y, npc->z, &npc->facing);
}

void TouchTriggerUpdate(TaskSlot* slot) { TaskRunStep<TouchTriggerData>(slot); }
void TouchTriggerDraw(TaskSlot*) {}

void BlockObjectUpdate(TaskSlot* slot) { TaskRunStep<BlockObjectData>(slot); }

void BlockObjectDraw(TaskSlot* slot) {
  const BlockObjectData* block = TaskData<BlockObjectData>(slot);
  DrawTexturedBlock(block->x, block->z, block->y + kBlockTopHeight, block->topTexture, block->sideTexture);
}

void ExamineObjectUpdate(TaskSlot* slot) {
  ExamineObjectData* object = TaskData<ExamineObjectData>(slot);
  if (object->step) object->step(object);
  if (object->live != 0) return;
  slot->inUse = 0;
  MapReleaseCell(object->x, object->z);
}

void ExamineObjectDraw(TaskSlot* slot) {
  const ExamineObjectData* object = TaskData<ExamineObjectData>(slot);
  float facing = 0.0f;
  DrawModelAt(object->model, object->x, object->y, object->z, &facing);
}

void AutoEventUpdate(TaskSlot* slot) { TaskRunStep<AutoEventData>(slot); }
void AutoEventDraw(TaskSlot*) {}

void NpcMoverStand(NpcData* npc) {
  ClaimCell(npc->x, npc->z);
  if (LeaderIsAdjacent(npc->x, npc->z)) NpcTalkOnConfirm(npc, NpcStandAfterTalk);
}

void NpcStandAfterTalk(NpcData* npc) {
  ClaimCell(npc->x, npc->z);
  if (LeaderIsAdjacent(npc->x, npc->z)) return;
  npc->mover = NpcMoverStand;
  npc->facing = npc->savedFacing;
}

void NpcMoverWander(NpcData* npc) {
  if (npc->subStep == 0) {
    NpcRest(npc);
    ClaimCell(npc->x, npc->z);
    if (LeaderIsAdjacent(npc->x, npc->z)) {
      NpcTalkOnConfirm(npc, NpcWanderAfterTalk);
      npc->frameCounter = 0;
      return;
    }
  }
  if (++npc->frameCounter < kNpcWanderRest) return;
  npc->frameCounter = 0;
  npc->mover = NpcWanderPickDirection;
}

void NpcWanderAfterTalk(NpcData* npc) {
  if (LeaderIsAdjacent(npc->x, npc->z)) return;
  npc->mover = NpcMoverWander;
  npc->facing = npc->savedFacing;
}

// Runs every frame until a step begins: a wanderer boxed in draws again next frame.
void NpcWanderPickDirection(NpcData* npc) {
  NpcRest(npc);
  switch (RandomBelow(4)) {
    case 0:
      npc->horizontalPreference = 0;
      NpcWanderTry0(npc);
      break;
    case 1:
      npc->horizontalPreference = 1;
      NpcWanderTry180(npc);
      break;
    case 2:
      npc->verticalPreference = 0;
      NpcWanderTry270(npc);
      break;
    default:
      npc->verticalPreference = 1;
      NpcWanderTry90(npc);
      break;
  }
  NpcReserveCell(npc);
}

void NpcWanderTry0(NpcData* npc) { NpcWanderTry(npc, 0, &npc->verticalPreference, 270, 90); }
void NpcWanderTry180(NpcData* npc) { NpcWanderTry(npc, 180, &npc->verticalPreference, 270, 90); }
void NpcWanderTry90(NpcData* npc) { NpcWanderTry(npc, 90, &npc->horizontalPreference, 0, 180); }
void NpcWanderTry270(NpcData* npc) { NpcWanderTry(npc, 270, &npc->horizontalPreference, 0, 180); }

void NpcWanderStep0(NpcData* npc) { NpcStepToward(npc, 0); }
void NpcWanderStep90(NpcData* npc) { NpcStepToward(npc, 90); }
void NpcWanderStep180(NpcData* npc) { NpcStepToward(npc, 180); }
void NpcWanderStep270(NpcData* npc) { NpcStepToward(npc, 270); }

void NpcMoverNone(NpcData*) {}

// The trigger never touches the collision layer; it fires once per visit: the leader
// must leave the cell, or begin a step, before it can fire again.
void TouchTriggerArmed(TouchTriggerData* trigger) {
  if (!LeaderIsIdleOnCell(trigger->x, trigger->z)) return;
  g_flow.startEvent(trigger->event);
  trigger->step = TouchTriggerWaitLeave;
}

void TouchTriggerWaitLeave(TouchTriggerData* trigger) {
  if (!LeaderIsIdleOnCell(trigger->x, trigger->z)) trigger->step = TouchTriggerArmed;
}

void BlockObjectIdle(BlockObjectData* block) { ObjectIdle(block, BlockObjectWaitLeaderGone); }
void BlockObjectWaitLeaderGone(BlockObjectData* block) { ObjectWaitLeaderGone(block, BlockObjectIdle); }
void ExamineObjectIdle(ExamineObjectData* object) { ObjectIdle(object, ExamineObjectWaitLeaderGone); }
void ExamineObjectWaitLeaderGone(ExamineObjectData* object) { ObjectWaitLeaderGone(object, ExamineObjectIdle); }

// Placed while the map loads, it lets one update pass before it starts its event, so a
// map change has finished its fade and a new game has its first frame.
void AutoEventWait(AutoEventData* autoEvent) { autoEvent->step = AutoEventFire; }

void AutoEventFire(AutoEventData* autoEvent) {
  autoEvent->step = AutoEventEnd;
  g_flow.startEvent(autoEvent->event);
}

void AutoEventEnd(AutoEventData* autoEvent) { autoEvent->live = 0; }

WalkerData* FieldLeader() {
  TaskSlot* slot = TaskFindById(kTaskIdWalker);
  return slot ? TaskData<WalkerData>(slot) : nullptr;
}

int LeaderIsAdjacent(float x, float z) { return LeaderDirectionTo(x, z) >= 0 ? 1 : 0; }

int LeaderIsIdleOnCell(float x, float z) {
  const WalkerData* leader = FieldLeader();
  if (!leader || leader->subStep != 0 || leader->state != WalkerStatePlayerIdle) return 0;
  const int cell = MapCellIndexChecked(x, z);
  return cell >= 0 && cell == MapCellIndexChecked(leader->x, leader->z) ? 1 : 0;
}

void NpcFaceLeader(NpcData* npc) {
  const int direction = LeaderDirectionTo(npc->x, npc->z);
  if (direction < 0) return;
  FieldLeader()->facing = static_cast<float>(direction);
  npc->facing = static_cast<float>((direction + 180) % 360);
}

void LeaderTurnToward(float x, float z) {
  const int direction = LeaderDirectionTo(x, z);
  if (direction >= 0) FieldLeader()->facing = static_cast<float>(direction);
}

void MapReleaseCell(float x, float z) {
  const int cell = MapCellIndexChecked(x, z);
  if (cell < 0 || g_collisionLayer[cell] != kCollisionTaken) return;
  g_collisionLayer[cell] = g_tileLayer[cell] > kTileWallAbove ? kCollisionWall : kCollisionFree;
}

void ObjectReleaseCells(TaskSlot* slot) {
  int direction = -1, subStep = 0;
  float x = 0.0f, z = 0.0f;
  switch (slot->id) {
    case kTaskIdWalker: {
      const WalkerData* w = TaskData<WalkerData>(slot);
      x = w->x, z = w->z, direction = WalkerStepDirection(w->state), subStep = w->subStep;
      break;
    }
    case kTaskIdPerson: {
      const NpcData* npc = TaskData<NpcData>(slot);
      x = npc->x, z = npc->z, direction = NpcStepDirection(npc->mover), subStep = npc->subStep;
      break;
    }
    case kTaskIdBlock: x = TaskData<BlockObjectData>(slot)->x, z = TaskData<BlockObjectData>(slot)->z; break;
    case kTaskIdExamined: x = TaskData<ExamineObjectData>(slot)->x, z = TaskData<ExamineObjectData>(slot)->z; break;
    default: return;
  }
  MapReleaseCell(x, z);
  if (direction < 0) return;
  // A mover in mid-step holds the cell it is entering: as far on as the quarters it has
  // not yet taken.
  float aheadX = x, aheadZ = z;
  OffsetByAngle(&aheadX, &aheadZ, x, z, static_cast<float>(direction),
                kCellSize - kWalkerQuarter * static_cast<float>(subStep));
  MapReleaseCell(aheadX, aheadZ);
}
