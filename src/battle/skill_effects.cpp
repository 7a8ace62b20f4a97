// What a cast does: projectiles that orbit the caster's head, climb out of sight and fall
// on their targets, each hit adding to the target's pending damage; heals, cures and
// guards that act at once under a turning ring.
#include "battle/ai.h"
#include "battle/skills.h"
#include "engine/atlas.h"
#include "engine/graphics.h"
#include "engine/settings.h"
#include "engine/sound.h"
#include "engine/util.h"
#include "event/popup.h"

namespace {

constexpr float kHeadClearance = 1.0f;  // projectiles orbit this far over the caster's head
constexpr int32_t kAreaOrbitFrames = 40;
constexpr int32_t kAreaOrbitStagger = 10;

UnitData* Unit(TaskHead* head) { return UnitLive(static_cast<UnitData*>(head)); }

int32_t SkillPower(int32_t skill) { return SkillIdValid(skill) ? g_skillTable[skill].power : 0; }

void Projectile(UnitData* caster, float angle, float radius, int32_t frames, UnitData* target) {
  SkillProjectileCreate(caster->x, caster->y + UnitModelHeight(caster) + kHeadClearance, caster->z, angle, radius,
                        frames, caster->skill, caster, target);
}

void HealOne(UnitData* unit, int32_t amount) {
  UnitRingCreate(unit);
  UnitSkillHeal(unit, amount);
  SoundRequest(kSoundRecover, 0);
}

void CureOne(UnitData* unit, int32_t mask, const AtlasRect& picture) {
  UnitRingCreate(unit);
  UnitSkillCureStatus(unit, mask, picture);
  SoundRequest(kSoundRecover, 0);
}

void GuardOne(UnitData* unit, bool magic) {
  UnitRingCreate(unit);
  if (magic) {
    UnitSkillGuard(unit, &unit->magicGuard, unit->record.magicDefence, kAtlasPopupMagicGuard);
  } else {
    UnitSkillGuard(unit, &unit->guard, unit->record.defence, kAtlasPopupGuard);
  }
  SoundRequest(kSoundRecover, 0);
}

template <class F>
void ForEachTarget(UnitData* caster, F f) {
  const int n = AiFilledTargets(caster);
  for (int i = 0; i < n; ++i) {
    if (UnitData* t = UnitLive(caster->targets[i])) f(t, i, n);
  }
}

void MissOrHit(EffectData* e, UnitData* target) {
  UnitData* caster = Unit(e->caster);
  if (!caster || !SkillHitRoll(caster, target)) {
    e->live = 0;
    PopupSpriteCreate(target->x, target->y, target->z, kAtlasPopupMiss);
    return;
  }
  SoundRequest(kSoundLand, 0);
  e->shape = kMeshLargeSphere;
  e->frames = kEffectHoldFrames;
  e->state = EffectStateHoldThenEnd;
  // Both damage skills strike with the first one's power.
  SkillAddPendingDamage(target, int64_t{caster->record.magic} + g_skillTable[0].power,
                        int64_t{target->record.magicDefence} + target->magicGuard);
}

}  // namespace

bool SkillCasterIsAi(const UnitData* caster) {
  return caster->record.side == 1 || (caster->record.side == 0 && g_settings.autoBattle == 1);
}

void SkillEffectAttack(UnitData* caster) {
  if (SkillCasterIsAi(caster)) {
    caster->target = AiSortTargetsByHp(caster);
    if (AiFilledTargets(caster) > 1 && AiSkillUsable(caster, 1)) {
      caster->skill = 1;
      SkillEffectAttackAll(caster);
      return;
    }
  }
  SoundRequest(kSoundSkillStart, 0);
  if (UnitData* target = UnitLive(caster->target)) Projectile(caster, 0.0f, 0.0f, kProjectileOrbitFrames, target);
}

void SkillEffectAttackAll(UnitData* caster) {
  const int n = AiFilledTargets(caster);
  if (n == 0) return;
  if (n == 1) {
    caster->skill = 0;
    SkillEffectAttack(caster);
    return;
  }
  ForEachTarget(caster, [&](UnitData* t, int i, int count) {
    Projectile(caster, static_cast<float>(i) * (360.0f / static_cast<float>(count)), kProjectileSpread,
               kAreaOrbitFrames + kAreaOrbitStagger * i, t);
  });
  SoundRequest(kSoundSkillStart, 0);
}

void SkillEffectHeal(UnitData* caster) {
  if (SkillCasterIsAi(caster)) {
    caster->target = AiSortTargetsByHpLost(caster);
    if (AiFilledTargets(caster) >= 2 && AiSkillUsable(caster, 3)) {
      caster->skill = 3;
      SkillEffectHealAll(caster);
      return;
    }
  }
  if (UnitData* target = UnitLive(caster->target)) HealOne(target, SkillPower(caster->skill));
}

void SkillEffectHealAll(UnitData* caster) {
  const int n = AiFilledTargets(caster);
  if (n == 0) return;
  if (n == 1) {
    caster->skill = 2;
    SkillEffectHeal(caster);
    return;
  }
  ForEachTarget(caster, [&](UnitData* t, int, int) { HealOne(t, SkillPower(caster->skill)); });
}

void SkillEffectCureStatus1(UnitData* caster) {
  if (UnitData* t = UnitLive(caster->target)) CureOne(t, kStatusPoison, kAtlasPopupCurePoison);
}

void SkillEffectCureStatus2(UnitData* caster) {
  if (UnitData* t = UnitLive(caster->target)) CureOne(t, kStatusCannotAct, kAtlasPopupCureStun);
}

void SkillEffectGuard(UnitData* caster) {
  if (UnitData* t = UnitLive(caster->target)) GuardOne(t, false);
}

void SkillEffectMagicGuard(UnitData* caster) {
  if (UnitData* t = UnitLive(caster->target)) GuardOne(t, true);
}

void SkillEffectGuardAll(UnitData* caster) {
  ForEachTarget(caster, [](UnitData* t, int, int) { GuardOne(t, false); });
}

void SkillEffectMagicGuardAll(UnitData* caster) {
  ForEachTarget(caster, [](UnitData* t, int, int) { GuardOne(t, true); });
}

int SkillProjectileCreate(float x, float y, float z, float angle, float maxRadius, int32_t frames, int32_t skill,
                          UnitData* caster, UnitData* target) {
  EffectData* e = EffectCreate(x, y, z, kMeshSmallSphere, frames, ProjectileStateOrbit, false);
  if (!e) return 0;
  e->angle = angle;
  e->maxRadius = maxRadius;
  e->skill = skill;
  e->caster = caster;
  e->target = target;
  return 1;
}

// The frames run only once the radius is full: a lone projectile circles 51 frames.
void ProjectileStateOrbit(EffectData* e) {
  if (!EffectOrbitStep(e) || e->frames >= 0) return;
  SoundRequest(kSoundTakeOff, 0);
  e->state = ProjectileStateClimb;
}

// A target that has gone takes the projectile with it.
void ProjectileStateClimb(EffectData* e) {
  e->y += kProjectileSpeed;
  if (e->y <= kProjectileClimbTop) return;
  const UnitData* target = Unit(e->target);
  if (!target) {
    e->live = 0;
    return;
  }
  e->x = target->x;
  e->z = target->z;
  e->state = ProjectileStateFall;
}

void ProjectileStateFall(EffectData* e) {
  e->y -= kProjectileSpeed;
  UnitData* target = Unit(e->target);
  if (!target) {
    e->live = 0;
    return;
  }
  if (e->y < target->y + UnitModelHeight(target) / 2.0f) MissOrHit(e, target);
}

// A target whose hit term is 0 draws nothing for it: it is never a divisor.
int SkillHitRoll(const UnitData*, const UnitData* target) {
  const int32_t a = RandomBelow(100);
  const int32_t b = target->record.hitTerm > 0 ? RandomBelow(target->record.hitTerm) : 0;
  return a + b >= kSkillHitThreshold ? 1 : 0;
}

void SkillAddPendingDamage(UnitData* target, int64_t power, int64_t defence) {
  const int64_t p = power - RandomBelow(4);
  const int64_t d = defence - RandomBelow(2);
  const int64_t damage = p - d > kSkillDamageFloor ? p - d : kSkillDamageFloor;
  target->pendingDamage += static_cast<float>(damage);
}

// The whole amount shows, also when less was restored.
void UnitSkillHeal(UnitData* unit, int32_t amount) {
  const int64_t healed = int64_t{unit->record.hp} + amount;
  unit->record.hp = healed > unit->record.maxHp ? unit->record.maxHp : SaturateToInt32(healed);
  NumberPopupSpawn(unit->x, unit->y, unit->z, static_cast<float>(amount), kPopupRecovery);
}

void UnitSkillCureStatus(UnitData* unit, int32_t mask, const AtlasRect& picture) {
  unit->record.status &= ~mask;
  PopupSpriteCreate(unit->x, unit->y, unit->z, picture);
}

// The boost is replaced, never added to.
void UnitSkillGuard(UnitData* unit, int32_t* boost, int32_t base, const AtlasRect& picture) {
  *boost = base / 2;
  if (*boost == 0) *boost = 1;
  PopupSpriteCreate(unit->x, unit->y, unit->z, picture);
}

void UnitsClearPendingDamage() {
  ForEachUnit([](UnitData* u) { u->pendingDamage = 0.0f; });
}

void UnitRingCreate(const UnitData* unit) {
  SpinRingCreate(unit->x, unit->y + kEffectRingLift, unit->z, kMeshTorus, kEffectRingFrames);
}
