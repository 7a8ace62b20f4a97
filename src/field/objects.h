// The objects a map's scripts place on its event cells: people who stand or wander and
// talk, touch triggers, blocks and examined objects, and the run-once event that starts
// by itself. Each carries its event number as its tag and starts that event in its own
// way; afterwards it waits until the leader has gone away before it can start it again.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/task.h"
#include "field/walker.h"

struct NpcData;
using NpcStep = void (*)(NpcData* npc);

// A person's task data. Event commands that turn and walk tasks by tag treat walkers
// and people alike through their shared FieldMover part.
struct NpcData : FieldMover {
  NpcStep mover;
  int32_t event;         // the event a talk starts (0 for people made by a script)
  int32_t frameCounter;  // frames at rest since the last step or talk
};

// The other objects can be followed by the camera through their task head.
struct TouchTriggerData;
struct BlockObjectData;
struct ExamineObjectData;
struct AutoEventData;
using TouchTriggerStep = void (*)(TouchTriggerData* trigger);
using BlockObjectStep = void (*)(BlockObjectData* block);
using ExamineObjectStep = void (*)(ExamineObjectData* object);
using AutoEventStep = void (*)(AutoEventData* autoEvent);

struct TouchTriggerData : TaskHead {
  int32_t event;
  TouchTriggerStep step;
};
struct BlockObjectData : TaskHead {
  int32_t event;
  BlockObjectStep step;
  int32_t topTexture;
  int32_t sideTexture;
};
struct ExamineObjectData : TaskHead {
  int32_t event;
  ExamineObjectStep step;
  int32_t model;
};
struct AutoEventData {
  int32_t live;
  int32_t event;
  AutoEventStep step;
};

constexpr float kNpcPlacedY = 0.25f;
constexpr float kNpcSpawnedY = 0.2f;
constexpr float kExamineObjectY = 0.25f;
constexpr float kBlockTopHeight = 4.0f;
constexpr int32_t kNpcWanderRest = 200;  // frames a wanderer rests between steps

enum NpcMode : int32_t { kNpcStand = 0, kNpcWander = 1 };  // any other: stands, claims nothing, never talks

// Creators, with the arguments of their placement command. An argument the game has
// nothing for (a model outside 0 to 37, a texture outside 0 to 34) places nothing.
// 1 when the object was made, 0 when its slot range was full or an argument was bad.
int NpcCreate(float x, float y, float z, int32_t event, int32_t model, int32_t angle, int32_t mode);
TouchTriggerData* TouchTriggerCreate(float x, float y, float z, int32_t event);
int BlockObjectCreate(float x, float y, float z, int32_t event, int32_t top, int32_t side);
int ExamineObjectCreate(float x, float y, float z, int32_t event, int32_t model);
int AutoEventCreate(int32_t event);
// A run-once event has yet to start its event.
bool AutoEventPending();
// A person in the first free slot of 10 to 99: the shared body of placement and of the
// script command that adds one. Null when no slot is free or the model is unknown.
NpcData* NpcSpawn(float x, float y, float z, int32_t model, float angle, int32_t mode, int32_t event, int32_t tag);
NpcStep NpcMoverForMode(int32_t mode);

void NpcUpdate(TaskSlot* slot);
void NpcDraw(TaskSlot* slot);
void TouchTriggerUpdate(TaskSlot* slot);
void TouchTriggerDraw(TaskSlot* slot);
void BlockObjectUpdate(TaskSlot* slot);
void BlockObjectDraw(TaskSlot* slot);
void ExamineObjectUpdate(TaskSlot* slot);
void ExamineObjectDraw(TaskSlot* slot);
void AutoEventUpdate(TaskSlot* slot);
void AutoEventDraw(TaskSlot* slot);

// People's movers; other modules tell them apart by identity.
void NpcMoverStand(NpcData* npc);
void NpcStandAfterTalk(NpcData* npc);
void NpcMoverWander(NpcData* npc);
void NpcWanderAfterTalk(NpcData* npc);
void NpcWanderPickDirection(NpcData* npc);
void NpcWanderTry0(NpcData* npc);
void NpcWanderTry90(NpcData* npc);
void NpcWanderTry180(NpcData* npc);
void NpcWanderTry270(NpcData* npc);
void NpcWanderStep0(NpcData* npc);
void NpcWanderStep90(NpcData* npc);
void NpcWanderStep180(NpcData* npc);
void NpcWanderStep270(NpcData* npc);
void NpcMoverNone(NpcData* npc);

void TouchTriggerArmed(TouchTriggerData* trigger);
void TouchTriggerWaitLeave(TouchTriggerData* trigger);
void BlockObjectIdle(BlockObjectData* block);
void BlockObjectWaitLeaderGone(BlockObjectData* block);
void ExamineObjectIdle(ExamineObjectData* object);
void ExamineObjectWaitLeaderGone(ExamineObjectData* object);
void AutoEventWait(AutoEventData* autoEvent);
void AutoEventFire(AutoEventData* autoEvent);
void AutoEventEnd(AutoEventData* autoEvent);

// The leader (the first live walker), or null.
WalkerData* FieldLeader();
// The leader stands in a true neighbour of the cell at (x, z).
int LeaderIsAdjacent(float x, float z);
// The leader is at rest under the player's control on the cell at (x, z).
int LeaderIsIdleOnCell(float x, float z);
// Person and leader turn to face each other.
void NpcFaceLeader(NpcData* npc);
// The leader turns toward the cell at (x, z).
void LeaderTurnToward(float x, float z);

// Gives up a cell a mover or an object held: taken becomes what the tile alone makes it
// (a wall stays a wall). Cells that are free or walls are left alone.
void MapReleaseCell(float x, float z);
// Frees whatever cells a task held on the map before it goes (a person or walker: its
// cell, and the one it was stepping into; a block or examined object: its cell).
void ObjectReleaseCells(TaskSlot* slot);
