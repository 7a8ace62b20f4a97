// Short-lived shapes in the world: spell projectiles and their bursts in battle, the
// turning ring over a unit or a walker that is healed, and the orbs and sparkles of
// scripted scenes. Each is one task in the object slots, drawing one of the built
// shapes (the two spheres and the torus); its state runs once a frame on the data and
// ends the task by dropping the live word. Battles and scenes wait while any exists.
#pragma once

#include <cstdint>

#include "engine/task.h"

struct EffectData;
using EffectStep = void (*)(EffectData* effect);

struct EffectData : TaskHead {
  int32_t frames;   // frames left of the orbit at full radius, later of the hold
  float angle;      // degrees: around the centre, or the ring's turn
  float radius;     // of the orbit, growing from 0
  float maxRadius;  // 0 spins on the spot
  float centre[3];  // the point orbited
  EffectStep state;
  int32_t shape;     // a record of g_meshes
  int32_t skill;     // the spell a projectile carries
  TaskHead* caster;  // a projectile's caster and target, read by the battle's states
  TaskHead* target;
  float landing[3];  // where a scene's orb falls
};

constexpr float kEffectOrbitTurn = 15.0f;   // degrees a frame around the centre
constexpr float kEffectOrbitGrowth = 0.1f;  // radius gained a frame
constexpr float kEffectRingTurn = 30.0f;    // degrees a frame of the turning ring
constexpr float kEffectRingLift = 1.0f;     // the ring turns this high over its unit
constexpr int32_t kEffectRingFrames = 60;
constexpr int32_t kEffectHoldFrames = 30;  // a burst or a sparkle shows this long

// An effect task in the first free object slot, at the point, drawing `shape` (the
// turning draw for a ring); null when no slot is free, and the caller goes on without it.
EffectData* EffectCreate(float x, float y, float z, int32_t shape, int32_t frames, EffectStep state, bool ring);
// The torus turning over a point for `frames` frames; 0 without a slot.
int SpinRingCreate(float x, float y, float z, int32_t shape, int32_t frames);

void EffectTaskUpdate(TaskSlot* slot);
void EffectShapeDraw(TaskSlot* slot);
void EffectRingDraw(TaskSlot* slot);

// One frame of the orbit around the centre: the position follows the angle and the
// radius, both grow, and once the radius is full the frame count runs down. True while
// the radius is full.
bool EffectOrbitStep(EffectData* effect);
// Counts the frames down and ends the effect when they run out.
void EffectStateHoldThenEnd(EffectData* effect);
void EffectRingStateSpin(EffectData* effect);
