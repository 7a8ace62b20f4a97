#include "event/field_commands.h"

#include <cmath>

#include "data/flow.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/camera.h"
#include "engine/task.h"
#include "field/field_view.h"
#include "field/map.h"
#include "field/map_change.h"
#include "field/objects.h"
#include "field/walker.h"

namespace {

constexpr float kCameraY = 0.0f;
constexpr float kCameraAngle = 270.0f;

// A quarter step may go on toward the centre of the mover's cell, and past it only when
// the next cell that way lies on the map: a walk never takes anyone off the map.
bool QuarterStaysOnMap(float x, float z, float dx, float dz) {
  const int cell = MapCellIndexChecked(x, z);
  if (cell < 0) return false;
  const float centreX = static_cast<float>(2 * (cell % g_mapWidth) - g_mapWidth + 1);
  const float centreZ = static_cast<float>(g_mapHeight - 2 * (cell / g_mapWidth) - 1);
  const bool pastCentre = (x + dx - centreX) * dx + (z + dz - centreZ) * dz > 0.0f;
  return !pastCentre || MapCellIndexChecked(centreX + dx * 8.0f, centreZ + dz * 8.0f) >= 0;
}

bool IsMover(const TaskSlot& slot) { return slot.inUse && (slot.id == kTaskIdWalker || slot.id == kTaskIdPerson); }

// `f` gets the shared part of each walker and person with the tag, in slot order. A
// script's tag 0 names nothing (kTaskNoTag), in this and every command that takes a tag.
template <class F>
void ForEachMoverWithTag(int32_t tag, F f) {
  if (tag == kTaskNoTag) return;
  for (int i = 0; i < kTaskSlotCount; ++i) {
    TaskSlot& slot = g_taskPool[i];
    if (!IsMover(slot) || slot.tag != tag) continue;
    FieldMover& mover = slot.id == kTaskIdWalker ? static_cast<FieldMover&>(*TaskData<WalkerData>(&slot))
                                                 : static_cast<FieldMover&>(*TaskData<NpcData>(&slot));
    f(mover);
  }
}

CameraData* FieldCamera() {
  TaskSlot* slot = TaskFindById(kTaskIdCamera);
  return slot ? TaskData<CameraData>(slot) : nullptr;
}

// '#14', '#33' and '#47' name up to 20 tags; a longer list is not read and does nothing.
int ReadTagList(EventContext* context, int32_t count, int32_t* tags) {
  if (count > kEventTagListMax) return 0;
  for (int i = 0; i < count; ++i) tags[i] = EventReadArg(context);
  return count;
}

void CameraCreateAtCell(EventContext* context, int32_t tag, CameraStep step, bool readTag) {
  float x = 0.0f, z = 0.0f;
  const bool onMap = EventReadCell(context, &x, &z);
  if (readTag) tag = EventReadArg(context);
  if (tag == kTaskNoTag) step = CameraHoldStep;  // nothing to follow: it looks at the cell
  if (onMap && CameraCreate(x, kCameraY, z, kCameraAngle, tag, step)) MapViewCreate();
}

// A gathering follower closes in on the leader along x first, then along z.
void GatherStep(WalkerData* follower, const WalkerData* leader) {
  const float dx = leader->x - follower->x;
  const float dz = leader->z - follower->z;
  if (dx >= kWalkerQuarter) {
    follower->x += kWalkerQuarter, follower->facing = 0.0f;
  } else if (dx <= -kWalkerQuarter) {
    follower->x -= kWalkerQuarter, follower->facing = 180.0f;
  } else if (dz >= kWalkerQuarter) {
    follower->z += kWalkerQuarter, follower->facing = 90.0f;
  } else if (dz <= -kWalkerQuarter) {
    follower->z -= kWalkerQuarter, follower->facing = 270.0f;
  }
}

bool Gathered(const WalkerData* follower, const WalkerData* leader) {
  return std::fabs(leader->x - follower->x) < kWalkerQuarter && std::fabs(leader->z - follower->z) < kWalkerQuarter;
}

}  // namespace

WalkerData* WalkerInSlot(int slot) {
  TaskSlot& s = g_taskPool[slot];
  return s.inUse && s.id == kTaskIdWalker ? TaskData<WalkerData>(&s) : nullptr;
}

bool EventReadCell(EventContext* context, float* x, float* z) {
  const int32_t column = EventReadArg(context);
  const int32_t row = EventReadArg(context);
  if (column >= g_mapWidth || row >= g_mapHeight) return false;
  *x = static_cast<float>(column);
  *z = static_cast<float>(row);
  MapCellToWorld(x, z);
  return true;
}

bool AxisOffset(int32_t direction, float d, float* dx, float* dz) {
  *dx = 0.0f;
  *dz = 0.0f;
  switch (direction) {
    case 0: *dx = d; return true;
    case 90: *dz = d; return true;
    case 180: *dx = -d; return true;
    case 270: *dz = -d; return true;
    default: return false;
  }
}

// The event ends here whatever happens. A map the pack does not hold, or a cell off the
// map named, changes nothing; a pack that cannot be read is left for the map change to
// report. The map number changes only with a map change that has started.
void EventCmdChangeMap(EventContext* context) {
  const int32_t map = EventReadArg(context);
  const int32_t frozen = EventReadArg(context);
  const int32_t column = EventReadArg(context);
  const int32_t row = EventReadArg(context);
  const int32_t angle = EventReadArg(context);
  EventEnd(context);
  if (map >= kMapCount) return;
  MapPackTiles next;
  if (MapPackReadTiles(kMapPackFileName, map, &next) && (column >= next.width || row >= next.height)) return;
  if (MapChangeStart(column, row, angle, map, frozen)) g_mapNumber = map;
}

void EventCmdFacing(EventContext* context) {
  const int32_t count = EventReadArg(context);
  if (count > kEventTagListMax) return;
  int32_t tags[kEventTagListMax], angles[kEventTagListMax];
  for (int i = 0; i < count; ++i) {
    tags[i] = EventReadArg(context);
    angles[i] = EventReadArg(context);
  }
  for (int i = 0; i < count; ++i) ObjectsSetFacing(tags[i], angles[i]);
}

void EventCmdPartyControl(EventContext* context) {
  const int32_t mode = EventReadArg(context);
  if (mode != 0 && mode != 1) return;
  for (int slot = kSlotWalkerFirst; slot < kSlotWalkerFirst + kWalkerCount; ++slot) {
    WalkerData* walker = WalkerInSlot(slot);
    if (!walker) continue;
    if (mode == 1) {
      walker->state = WalkerStateFrozen;
    } else {
      walker->state = slot == kSlotWalkerFirst ? WalkerStatePlayerIdle : WalkerStateFollower;
    }
  }
}

void EventCmdSetTile(EventContext* context) {
  float x = 0.0f, z = 0.0f;
  const bool onMap = EventReadCell(context, &x, &z);
  const int32_t tile = EventReadArg(context);
  if (!onMap) return;
  const int cell = MapCellIndex(x, z);
  g_tileLayer[cell] = static_cast<int8_t>(static_cast<uint8_t>(tile));
  g_collisionLayer[cell] = g_tileLayer[cell] > kTileWallAbove ? kCollisionWall : kCollisionFree;
}

void EventCmdRemoveObjects(EventContext* context) { ObjectsRemoveByTag(EventReadArg(context)); }

// The person carries event 0, so talking to a standing one starts the map's first event.
void EventCmdSpawnNpc(EventContext* context) {
  float x = 0.0f, z = 0.0f;
  const bool onMap = EventReadCell(context, &x, &z);
  const int32_t angle = EventReadArg(context);
  const int32_t model = EventReadArg(context);
  const int32_t mode = EventReadArg(context);
  const int32_t tag = EventReadArg(context);
  if (onMap) NpcSpawn(x, kNpcSpawnedY, z, model, static_cast<float>(angle), mode, 0, tag);
}

void EventCmdCameraPan(EventContext* context) {
  context->panDirection = EventReadArg(context);
  context->panFrames = EventReadArg(context);
  if (CameraData* camera = FieldCamera()) camera->step = CameraHoldStep;
}

void EventCmdWalk(EventContext* context) {
  const int32_t count = EventReadArg(context);
  context->walkCount = 0;
  if (count > kEventWalkMax) return;
  for (int i = 0; i < count; ++i) {
    context->walkTags[i] = EventReadArg(context);
    context->walkDirections[i] = EventReadArg(context);
    context->walkSteps[i] = EventReadArg(context);
  }
  context->walkCount = count;
  EventStepWalk(context);
}

void EventCmdCameraAtFollow(EventContext* context) { CameraCreateAtCell(context, 0, CameraFollowStep, true); }

// Every task ends, this event's own among them; the new map's run-once event, if it has
// one, carries the story on. A map number the pack cannot hold changes nothing.
void EventCmdLoadMap(EventContext* context) {
  const int32_t map = EventReadArg(context);
  if (map >= kMapCount) return;
  TaskKillAll();
  g_mapNumber = map;
  g_flow.loadMap();
}

void EventCmdNpcMover(EventContext* context) {
  const int32_t tag = EventReadArg(context);
  const int32_t mode = EventReadArg(context);
  for (int i = 0; i < kTaskSlotCount && tag != kTaskNoTag; ++i) {
    TaskSlot& slot = g_taskPool[i];
    if (!slot.inUse || slot.id != kTaskIdPerson || slot.tag != tag) continue;
    TaskData<NpcData>(&slot)->mover = NpcMoverForMode(mode);
    return;
  }
}

void EventCmdCameraMove(EventContext* context) {
  float x = 0.0f, z = 0.0f;
  CameraData* camera = FieldCamera();
  if (!EventReadCell(context, &x, &z) || !camera) return;
  camera->at[0] = x;
  camera->at[2] = z;
}

void EventCmdRemoveObjectList(EventContext* context) {
  int32_t tags[kEventTagListMax];
  const int count = ReadTagList(context, EventReadArg(context), tags);
  for (int i = 0; i < count; ++i) ObjectsRemoveByTag(tags[i]);
}

void EventCmdRebuildCollision(EventContext*) { MapBuildCollision(); }

void EventCmdGather(EventContext*) {}

void EventCmdCameraFollow(EventContext* context) {
  const int32_t tag = EventReadArg(context);
  CameraData* camera = FieldCamera();
  if (!camera || tag == kTaskNoTag) return;
  camera->tag = tag;
  camera->step = CameraFollowStep;
}

void EventCmdCameraHold(EventContext*) {
  if (CameraData* camera = FieldCamera()) camera->step = CameraHoldStep;
}

void EventCmdShowObjects(EventContext* context) {
  const int32_t count = EventReadArg(context);
  const int32_t show = EventReadArg(context);
  int32_t tags[kEventTagListMax];
  const int listed = ReadTagList(context, count, tags);
  for (int i = 0; i < listed; ++i) ObjectSetVisible(show, tags[i]);
}

void EventCmdPlaceParty(EventContext* context) {
  float x = 0.0f, z = 0.0f;
  const bool onMap = EventReadCell(context, &x, &z);
  const int32_t angle = EventReadArg(context);
  if (onMap) PartyWalkersPlace(x, z, static_cast<float>(angle));
}

void EventCmdCameraAt(EventContext* context) { CameraCreateAtCell(context, 0, CameraHoldStep, false); }

// A pan of n frames moves n x 0.5 (at least once) and leaves the camera holding.
void EventStepCameraPan(EventContext* context) {
  --context->panFrames;
  float dx = 0.0f, dz = 0.0f;
  CameraData* camera = FieldCamera();
  if (camera && AxisOffset(context->panDirection, kCameraPanStep, &dx, &dz)) {
    camera->at[0] += dx;
    camera->at[2] += dz;
  }
  if (context->panFrames <= 0) context->step = EventStepReadCommand;
}

// Walks of different tags run side by side; the command ends with its longest walk.
void EventStepWalk(EventContext* context) {
  bool walking = false;
  for (int i = 0; i < context->walkCount && i < kEventWalkMax; ++i) {
    if (context->walkSteps[i] <= 0) continue;
    ObjectsStepWalk(context->walkTags[i], context->walkDirections[i], context->walkSteps[i]);
    walking = --context->walkSteps[i] > 0 || walking;
  }
  if (!walking) context->step = EventStepReadCommand;
}

void EventStepGather(EventContext* context) {
  const WalkerData* leader = WalkerInSlot(kSlotWalkerFirst);
  bool gathered = true;
  for (int slot = kSlotWalkerFirst + 1; slot < kSlotWalkerFirst + kWalkerCount && leader; ++slot) {
    WalkerData* follower = WalkerInSlot(slot);
    if (!follower) continue;
    GatherStep(follower, leader);
    gathered = Gathered(follower, leader) && gathered;
  }
  if (gathered) context->step = EventStepReadCommand;
}

void ObjectsSetFacing(int32_t tag, int32_t angle) {
  if (angle != 0 && angle != 90 && angle != 180 && angle != 270) return;
  ForEachMoverWithTag(tag, [angle](auto& mover) { mover.facing = static_cast<float>(angle); });
}

void ObjectsRemoveByTag(int32_t tag) {
  if (tag == kTaskNoTag) return;
  for (int i = 0; i < kTaskSlotCount; ++i) {
    TaskSlot& slot = g_taskPool[i];
    if (!slot.inUse || slot.tag != tag) continue;
    ObjectReleaseCells(&slot);
    slot.inUse = 0;
  }
}

void ObjectSetVisible(int32_t show, int32_t tag) {
  for (int i = 0; i < kTaskSlotCount && tag != kTaskNoTag; ++i) {
    TaskSlot& slot = g_taskPool[i];
    if (!slot.inUse || slot.tag != tag) continue;
    slot.drawOn = show != 0 ? 1 : 0;
    return;
  }
}

// A walk whose length is a multiple of eight snaps its movers to the cell grid at the
// start of every cell. A mover that leaves a cell gives it up.
void ObjectsStepWalk(int32_t tag, int32_t direction, int32_t stepsLeft) {
  ForEachMoverWithTag(tag, [direction, stepsLeft](auto& mover) {
    if (stepsLeft % 8 == 0) RoundPairToInt(&mover.x, &mover.z, mover.x, mover.z);
    const float fromX = mover.x, fromZ = mover.z;
    if (ObjectStepQuarter(&mover.x, &mover.z, &mover.facing, direction) &&
        MapCellIndexChecked(fromX, fromZ) != MapCellIndexChecked(mover.x, mover.z)) {
      MapReleaseCell(fromX, fromZ);
    }
    mover.prevX = mover.x;
    mover.prevY = mover.y;
    mover.prevZ = mover.z;
  });
}

int ObjectStepQuarter(float* x, float* z, float* facing, int32_t direction) {
  float dx = 0.0f, dz = 0.0f;
  if (!AxisOffset(direction, kWalkerQuarter, &dx, &dz)) return 0;
  *facing = static_cast<float>(direction);
  if (!QuarterStaysOnMap(*x, *z, dx, dz)) return 0;
  *x += dx;
  *z += dz;
  return 1;
}

void PartyWalkersPlace(float x, float z, float angle) {
  for (int member = 0; member < kWalkerCount; ++member) WalkerPlaceByTag(x, z, angle, kWalkerLeaderTag + member);
}

// The walker's previous position moves with it, so it keeps the angle it was given
// instead of turning toward where it jumped.
void WalkerPlaceByTag(float x, float z, float angle, int32_t tag) {
  for (int i = 0; i < kTaskSlotCount; ++i) {
    TaskSlot& slot = g_taskPool[i];
    if (!slot.inUse || slot.id != kTaskIdWalker || slot.tag != tag) continue;
    ObjectReleaseCells(&slot);
    WalkerData* walker = TaskData<WalkerData>(&slot);
    walker->x = walker->prevX = x;
    walker->z = walker->prevZ = z;
    walker->prevY = walker->y;
    walker->angle = walker->facing = walker->savedFacing = angle;
    return;
  }
}
