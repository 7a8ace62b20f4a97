// Scripted scenes of harm and healing on the field: glowing orbs that circle over a cell
// and fall one on each member, turning rings over the walkers, a short sparkle, and the
// commands that hurt or restore the whole party. The shapes only show; hit points change
// through '#44' and '#45' alone.
#pragma once

#include <cstdint>

#include "event/effect3d.h"
#include "event/event.h"

// '#42': one orb a member circles over a cell and falls onto that member's walker with a
// hit and a damage number; the event waits until every effect is gone. A cell off the
// map or an empty party makes nothing.
void EventCmdPartyRing(EventContext* context);
// '#43': a turning ring and a recovery number over each member's walker; a member without
// a walker shows nothing. The event waits as for '#42'.
void EventCmdPartyFlash(EventContext* context);
// '#26': a sparkle on the ground at a cell, for 30 frames; the script goes on at once. A
// cell off the map shows nothing.
void EventCmdSparkle(EventContext* context);
void EventCmdRecoverAll(EventContext* context);  // '#44'
void EventCmdHurtAll(EventContext* context);     // '#45'

// Every member's hit points and magic points to their maximum, whatever the class; a
// chime.
void PartyRecoverAll();

// The large sphere on a point for 30 frames; 0 without a free object slot.
int SparkleCreate(float x, float y, float z);
// The x and z of each member's walker, 0 where there is none; how many walkers were found.
int PartyWalkerPositions(float x[], float z[]);

constexpr float kRingCentreY = 4.0f;  // the orbs circle this high over the cell
constexpr float kRingMaxRadius = 3.0f;
constexpr float kRingLandingY = 2.0f;  // where an orb meets its walker
constexpr float kRingClimbTop = 60.0f;
constexpr float kRingSpeed = 2.0f;         // up and down, a frame
constexpr int32_t kRingOrbitFrames = 40;   // at full radius, for the first orb
constexpr int32_t kRingOrbitStagger = 10;  // more for each further orb
constexpr float kFlashNumber = 999.0f;

// An orb circling the centre from the start angle, `timer` frames at full radius, then
// rising out of sight and falling on (target x, 2.0, target z); 0 without a slot.
int RingEffectCreate(float x, float y, float z, float angle, int32_t timer, float targetX, float targetZ);
void RingEffectOrbit(EffectData* effect);
void RingEffectRise(EffectData* effect);
// Lands with a hit and a damage number, then shows the large sphere for 30 frames.
void RingEffectFall(EffectData* effect);
