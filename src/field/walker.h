// The party on the field: four walker tasks in slots 0 to 3. The leader steps cell by
// cell under the arrow keys; each follower trails the walker before it one cell behind.
// The leader at rest is also where random battles, the field menu and the auto-battle
// switch are decided.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/task.h"

struct WalkerData;
using WalkerStep = void (*)(WalkerData* walker);

// What walkers and people share after the task head: event commands turn and walk
// either kind by tag, reading this part alone.
struct FieldMover : TaskHead {
  int32_t flag;               // 1 from creation
  float prevX, prevY, prevZ;  // at the start of the current step, or of this frame at rest
  int32_t model;
  int32_t subStep;               // 0 at rest; counts the quarters of a step
  float angle;                   // as created or placed
  float facing;                  // degrees
  float savedFacing;             // turned back to after a pause or a talk
  int32_t verticalPreference;    // 0: a blocked sideways push slides toward 270, 1: toward 90
  int32_t horizontalPreference;  // 0: a blocked up or down push slides toward 0, 1: toward 180
};

// A walker's task data. Events, battles and the save file read it.
struct WalkerData : FieldMover {
  int32_t member;      // 0 to 3: the slot and the party row drawn
  WalkerData* leader;  // the walker this one follows; null for the leader
  WalkerStep state;
  int32_t pitfallFlag;
  int32_t pitfallTimer;
  int32_t pitfallStep;
};

constexpr int32_t kWalkerLeaderTag = 1100;  // walker n carries tag 1100 + n
constexpr int kWalkerCount = 4;
constexpr float kWalkerQuarter = 0.25f;  // one frame of a step; eight make a cell

// States; other modules tell them apart by identity, so each is its own function.
void WalkerStatePlayerIdle(WalkerData* walker);
void WalkerStatePlayerStep0(WalkerData* walker);
void WalkerStatePlayerStep90(WalkerData* walker);
void WalkerStatePlayerStep180(WalkerData* walker);
void WalkerStatePlayerStep270(WalkerData* walker);
void WalkerStateFollower(WalkerData* walker);
void WalkerStateFollowerStep0(WalkerData* walker);
void WalkerStateFollowerStep90(WalkerData* walker);
void WalkerStateFollowerStep180(WalkerData* walker);
void WalkerStateFollowerStep270(WalkerData* walker);
void WalkerStateFrozen(WalkerData* walker);

// The leader's reaction to a held arrow key: a step, a slide along a wall, or nothing.
void WalkerStatePlayerMove0(WalkerData* walker);
void WalkerStatePlayerMove90(WalkerData* walker);
void WalkerStatePlayerMove180(WalkerData* walker);
void WalkerStatePlayerMove270(WalkerData* walker);

// Four walkers on one point, then the field view and the camera on the leader. 0 as
// soon as the view or the camera refuses.
int PartyWalkersCreate(float x, float y, float z, float angle, int frozen);
// Takes slot `member` by force.
WalkerData* WalkerCreate(float x, float y, float z, float angle, int member, int frozen, WalkerData* leader);
void WalkerUpdate(TaskSlot* slot);
void WalkerDraw(TaskSlot* slot);
int WalkerIsHiddenByOther(const WalkerData* walker);
// After a key: the cell being entered is taken and the one left is freed.
void WalkerReserveCellsPlayer(WalkerData* walker);

// Looks at the cell 2.0 ahead. Free: the first quarter step is taken and 0 returned;
// otherwise the collision byte (1 wall, also off the map; 2 taken).
int WalkerTryStep(float* x, float* z, float angle);

float DistanceXZ(float ax, float az, float bx, float bz);
// Writes the point d along 0, 90, 180 or 270 degrees; other angles write nothing.
void OffsetByAngle(float* outX, float* outZ, float x, float z, float angle, float d);
// Both rounded to the nearest integer, halves away from zero: the snap to a cell centre.
void RoundPairToInt(float* outA, float* outB, float a, float b);
// Degrees from (x0, z0) toward (x1, z1), with pi taken as 3.14159 so the four axis
// directions come out as whole numbers.
float AngleDeg(float x0, float z0, float x1, float z1);
