// Event commands that stage a scene on the field: walkers and people turned, walked,
// placed, gathered, added and removed; tiles and collision changed; maps changed or
// loaded; and the camera moved, panned, held or set to follow.
#pragma once

#include <cstdint>

#include "event/event.h"

struct WalkerData;

void EventCmdChangeMap(EventContext* context);         // '#8', ends the event
void EventCmdFacing(EventContext* context);            // '#14'
void EventCmdPartyControl(EventContext* context);      // '#16'
void EventCmdSetTile(EventContext* context);           // '#18'
void EventCmdRemoveObjects(EventContext* context);     // '#19'
void EventCmdSpawnNpc(EventContext* context);          // '#20'
void EventCmdCameraPan(EventContext* context);         // '#21', waits
void EventCmdWalk(EventContext* context);              // '#22', waits
void EventCmdCameraAtFollow(EventContext* context);    // '#25'
void EventCmdLoadMap(EventContext* context);           // '#28', kills the event
void EventCmdNpcMover(EventContext* context);          // '#29'
void EventCmdCameraMove(EventContext* context);        // '#32'
void EventCmdRemoveObjectList(EventContext* context);  // '#33'
void EventCmdRebuildCollision(EventContext* context);  // '#34'
void EventCmdGather(EventContext* context);            // '#37', waits
void EventCmdCameraFollow(EventContext* context);      // '#39'
void EventCmdCameraHold(EventContext* context);        // '#40'
void EventCmdShowObjects(EventContext* context);       // '#47'
void EventCmdPlaceParty(EventContext* context);        // '#48'
void EventCmdCameraAt(EventContext* context);          // '#52'

// Wait steps.
void EventStepCameraPan(EventContext* context);
void EventStepWalk(EventContext* context);
void EventStepGather(EventContext* context);

// Reads a column and a row and gives the world centre of that cell; false for a cell
// off the current map.
bool EventReadCell(EventContext* context, float* x, float* z);
// The offset of one move of length d along 0, 90, 180 or 270 degrees; false for any
// other direction.
bool AxisOffset(int32_t direction, float d, float* dx, float* dz);

constexpr float kCameraPanStep = 0.5f;
constexpr int kEventTagListMax = 20;  // tags of one '#14', '#33' or '#47'

// Shared operations. Walkers (id 1100) and people (id 1800) are the movers: only they
// turn and walk.
void ObjectsSetFacing(int32_t tag, int32_t angle);
// Every task with the tag goes, and the cells it held are freed. Tag 0 names no object
// (the event task, the camera and the field view all carry it) and removes nothing.
void ObjectsRemoveByTag(int32_t tag);
void ObjectSetVisible(int32_t show, int32_t tag);
void ObjectsStepWalk(int32_t tag, int32_t direction, int32_t stepsLeft);
// A quarter step along 0, 90, 180 or 270 degrees, turning to face it; other directions
// change nothing. 1 when the position moved: a step that would leave the map does not.
int ObjectStepQuarter(float* x, float* z, float* facing, int32_t direction);
// A walker in a fixed slot, or null when the slot holds none.
WalkerData* WalkerInSlot(int slot);
void PartyWalkersPlace(float x, float z, float angle);
void WalkerPlaceByTag(float x, float z, float angle, int32_t tag);
