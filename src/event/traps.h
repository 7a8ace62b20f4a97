// The party moved on the field in ways the walkers cannot move themselves: a pit the
// whole party falls into and jumps back out of hurt, a projectile fired across the map
// at the first walker it comes near, and a lift, a cell-sized platform flush with the
// ground that carries the party.
#pragma once

#include <cstdint>

#include "engine/task.h"
#include "event/event.h"

struct WalkerData;

// '#53': the party sinks into a pit, takes 10 damage each and climbs out one cell back.
void EventCmdPitfall(EventContext* context);
void EventStepPitfall(EventContext* context);
void EventStepPitfallPause(EventContext* context);
void EventStepPitfallRise(EventContext* context);

constexpr int32_t kPitfallSinkTimer = 24;
constexpr int32_t kPitfallRiseGap = 22;      // frames between one walker's jump and the next
constexpr int32_t kPitfallPauseFrames = 40;  // at the bottom, before the first jump
constexpr int kPitfallRiseSteps = 20;

// 0.25 down, to -6.0 at most; the timer's last frame but one sounds the fall and shows
// the damage.
void PitfallSink(WalkerData* walker);
// 0 <-> 180 and 90 <-> 270; any other angle gives 0.
float FacingReverse(float angle);
// One step of the jump out: up (and later down) by the rise table, and during its last
// eight steps a quarter along the facing, unless the landing a cell on lies off the map
// (the walker's pitfall flag then keeps it jumping on the spot).
void PitfallRiseStep(WalkerData* walker);

// '#54': a projectile from a cell, along 0, 90, 180 or 270 degrees. It waits 20 frames,
// flies 2.0 a frame and hits the first member's walker it comes within 2.0 of; one that
// meets nobody ends past the map's edge. A cell off the map or another direction fires
// nothing.
void EventCmdProjectile(EventContext* context);

struct ProjectileData;
using ProjectileStep = void (*)(ProjectileData* projectile);

struct ProjectileData : TaskHead {
  int32_t direction;  // degrees
  int32_t timer;
  int32_t model;  // a g_meshes index
  ProjectileStep step;
};

constexpr int32_t kProjectileDelay = 20;
constexpr int32_t kProjectileHold = 50;
constexpr float kProjectileY = 2.0f;
constexpr float kProjectileStep = 2.0f;
constexpr float kProjectileReach = 2.0f;

// The projectile in the first free object slot; null without one.
ProjectileData* ProjectileCreate(float x, float z, int32_t direction);
void ProjectileUpdate(TaskSlot* slot);
void ProjectileDraw(TaskSlot* slot);
void ProjectileDelay(ProjectileData* projectile);
void ProjectileFly(ProjectileData* projectile);
// 1 when the projectile hit a walker and now holds.
int ProjectileHitTest(ProjectileData* projectile);
void ProjectileHold(ProjectileData* projectile);

// '#55': a lift at a cell, drawn with two world textures, that holds the four walkers
// on it from the next frame on. Nothing is made while slot 5 is taken, or for a cell
// off the map or a texture the game does not have. The lift lasts until the screen
// changes or a script kills it.
void EventCmdLiftCreate(EventContext* context);
// '#56': the lift moves a quarter cell a frame along 0, 90, 180 or 270 degrees for the
// steps given, stopping at the map's edge. Without a lift, or along another direction,
// nothing moves and the script goes on.
void EventCmdLiftMove(EventContext* context);
void EventStepLiftMove(EventContext* context);

struct LiftData;
using LiftStep = void (*)(LiftData* lift);

struct LiftData : TaskHead {
  int32_t topTexture;  // g_textures indices
  int32_t sideTexture;
  int32_t direction;  // degrees
  int32_t stepsLeft;  // quarter cells
  LiftStep step;
};

constexpr float kLiftY = -4.0f;
constexpr float kLiftTopAbove = 4.0f;  // so its top lies flush with the ground

void LiftUpdate(TaskSlot* slot);
void LiftDraw(TaskSlot* slot);
void LiftCarryWalkers(LiftData* lift);
// 1 when the lift moved; 0 along another direction or past the map's last cell.
int LiftMoveQuarter(LiftData* lift);
