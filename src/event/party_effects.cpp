#include "event/party_effects.h"

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/graphics.h"
#include "engine/sound.h"
#include "event/field_commands.h"
#include "event/party_commands.h"
#include "event/popup.h"
#include "field/walker.h"

namespace {

// The members the scene shows: never more than there are walkers.
int32_t MembersShown() { return g_partyCount < kWalkerCount ? g_partyCount : kWalkerCount; }

}  // namespace

// The orbs start spread evenly round the circle and leave it ten frames apart, so they
// fall one after the other. The command sounds once, whatever it could make.
void EventCmdPartyRing(EventContext* context) {
  float cx = 0.0f, cz = 0.0f;
  const int32_t members = MembersShown();
  if (EventReadCell(context, &cx, &cz) && members >= 1) {
    float x[kWalkerCount], z[kWalkerCount];
    PartyWalkerPositions(x, z);
    for (int32_t i = 0; i < members; ++i) {
      const float angle = static_cast<float>(i * (360 / members));
      RingEffectCreate(cx, kRingCentreY, cz, angle, kRingOrbitFrames + kRingOrbitStagger * i, x[i], z[i]);
    }
  }
  SoundRequest(kSoundSkillStart, 0);
}

void EventCmdPartyFlash(EventContext*) {
  for (int32_t i = 0; i < MembersShown(); ++i) {
    const WalkerData* w = WalkerInSlot(kSlotWalkerFirst + i);
    if (!w) continue;
    SpinRingCreate(w->x, w->y + kEffectRingLift, w->z, kMeshTorus, kEffectRingFrames);
    NumberPopupSpawn(w->x, w->y, w->z, kFlashNumber, kPopupRecovery);
  }
}

void EventCmdSparkle(EventContext* context) {
  float x = 0.0f, z = 0.0f;
  if (EventReadCell(context, &x, &z)) SparkleCreate(x, 0.0f, z);
}

void EventCmdRecoverAll(EventContext*) { PartyRecoverAll(); }
void EventCmdHurtAll(EventContext*) { PartyHurtAll(); }

// A place emptied for the reserve stays all zero, so it reads as nobody afterwards too.
void PartyRecoverAll() {
  for (int32_t member = 0; member < kPartyRows; ++member) {
    if (!PartyMemberPresent(member)) continue;
    g_party[member].hp = g_party[member].maxHp;
    g_party[member].mp = g_party[member].maxMp;
  }
  SoundRequest(kSoundRecover, 0);
}

int SparkleCreate(float x, float y, float z) {
  return EffectCreate(x, y, z, kMeshLargeSphere, kEffectHoldFrames, EffectStateHoldThenEnd, false) ? 1 : 0;
}

int PartyWalkerPositions(float x[], float z[]) {
  int found = 0;
  for (int i = 0; i < kWalkerCount; ++i) {
    const WalkerData* w = WalkerInSlot(kSlotWalkerFirst + i);
    x[i] = w ? w->x : 0.0f;
    z[i] = w ? w->z : 0.0f;
    found += w ? 1 : 0;
  }
  return found;
}

int RingEffectCreate(float x, float y, float z, float angle, int32_t timer, float targetX, float targetZ) {
  EffectData* e = EffectCreate(x, y, z, kMeshSmallSphere, timer, RingEffectOrbit, false);
  if (!e) return 0;
  e->angle = angle;
  e->maxRadius = kRingMaxRadius;
  e->landing[0] = targetX;
  e->landing[1] = kRingLandingY;
  e->landing[2] = targetZ;
  return 1;
}

void RingEffectOrbit(EffectData* e) {
  if (!EffectOrbitStep(e) || e->frames >= 1) return;
  SoundRequest(kSoundTakeOff, 0);
  e->state = RingEffectRise;
}

// Out of sight above the circle it moves over its member.
void RingEffectRise(EffectData* e) {
  e->y += kRingSpeed;
  if (e->y <= kRingClimbTop) return;
  e->x = e->landing[0];
  e->z = e->landing[2];
  e->state = RingEffectFall;
}

void RingEffectFall(EffectData* e) {
  e->y -= kRingSpeed;
  if (e->y > e->landing[1]) return;
  SoundRequest(kSoundLand, 0);
  e->shape = kMeshLargeSphere;
  e->frames = kEffectHoldFrames;
  NumberPopupSpawn(e->landing[0], e->landing[1], e->landing[2], static_cast<float>(kPartyHurtDamage), kPopupDamage);
  e->state = EffectStateHoldThenEnd;
}
