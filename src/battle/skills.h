// Skills in battle: the caster's skill window (a 3 by 3 grid over two pages) with its
// refusals, single-target and area casting, the search for units within a skill's
// range, the payment of magic points, the timed cast of decision making, and the
// effects: homing projectiles for the damage skills, whose hits are collected as pending
// damage and land together once every effect has ended, and a turning ring over each
// unit a heal, cure or guard reaches.
#pragma once

#include <cstdint>

#include "battle/unit.h"
#include "data/skills.h"
#include "event/effect3d.h"

constexpr int kSkillGridColumns = 3;
constexpr int kSkillGridRows = 3;
constexpr int kSkillGridPages = 2;
constexpr int kSkillGridSlots = kSkillGridColumns * kSkillGridRows * kSkillGridPages;
constexpr int32_t kSkillSlotEmpty = -1;
constexpr int32_t kAreaSearchRange = 5;  // every area skill's range
constexpr int32_t kSkillHitThreshold = 20;
constexpr int32_t kSkillDamageFloor = 10;
constexpr float kProjectileClimbTop = 60.0f;
constexpr float kProjectileSpeed = 2.0f;
constexpr float kProjectileSpread = 3.0f;  // orbit radius of an area cast
constexpr int32_t kProjectileOrbitFrames = 50;

struct SkillGrid {
  int32_t column;
  int32_t row;
  int32_t page;
  int32_t pages;
  int32_t confirm;  // the entry of the confirmation window
  int32_t ids[kSkillGridSlots];
};

extern SkillGrid g_skillGrid;

// The grid's keys: 2 moved, 1 confirmed, -1 cancelled, 0 nothing.
int GridMenuInput3x3(SkillGrid* grid);
// The skill under the grid's cursor, or -1.
int32_t SkillGridCurrent();
void SkillGridShowRange(UnitData* unit);
void UnitSkillChosen(UnitData* unit);
void SkillStartTargeting(UnitData* unit);
// 1 when the target suits the kind of the unit's skill.
int SkillTargetValid(const UnitData* caster, const UnitData* target);
void UnitStateSkillAim(UnitData* caster, UnitData* target);
void SkillPayMp(CharacterRecord* record, int32_t skill);
// The range search: living units of `side` within `range` cells of the cell of (x, z)
// into the target slots, in flood order, at most six; the target is the first. Walls
// and units do not stop it.
int UnitFindTargetsInRange(UnitData* unit, float x, float z, int32_t range, int32_t side);
void UnitClearTargets(UnitData* unit);
void UnitAddTarget(UnitData* unit, UnitData* other);
UnitData* GridLivingUnitOfSideAt(float keyX, float keyZ, int32_t side);
// The action range around the unit, with the cursor choosing a target on it.
void UnitSelectTargetInRange(UnitData* unit, int32_t range);

// States.
void UnitStateSkillMenuOpen(UnitData* unit);
void UnitStateSkillMenu(UnitData* unit);
void UnitStateSkillTarget(UnitData* unit);
void UnitStateSkillConfirm(UnitData* unit);
void UnitStateSkillConfirmInput(UnitData* unit);
void UnitStateMpShortMessage(UnitData* unit);
void UnitStateNoTargetMessage(UnitData* unit);
void SkillApplySingle(UnitData* unit);
void UnitStateAreaSkillShow(UnitData* unit);
void UnitStateAreaSkillFind(UnitData* unit);
void SkillApplyArea(UnitData* unit);
void UnitStateAiSkillWait(UnitData* unit);

// Effects.
// A caster that decides for itself: an enemy, or a party unit under auto-battle.
bool SkillCasterIsAi(const UnitData* caster);
void SkillEffectAttack(UnitData* caster);
void SkillEffectAttackAll(UnitData* caster);
void SkillEffectHeal(UnitData* caster);
void SkillEffectHealAll(UnitData* caster);
void SkillEffectCureStatus1(UnitData* caster);
void SkillEffectCureStatus2(UnitData* caster);
void SkillEffectGuard(UnitData* caster);
void SkillEffectMagicGuard(UnitData* caster);
void SkillEffectGuardAll(UnitData* caster);
void SkillEffectMagicGuardAll(UnitData* caster);
int SkillProjectileCreate(float x, float y, float z, float angle, float maxRadius, int32_t frames, int32_t skill,
                          UnitData* caster, UnitData* target);
int SkillHitRoll(const UnitData* caster, const UnitData* target);
// Power and defence come summed wide from the records.
void SkillAddPendingDamage(UnitData* target, int64_t power, int64_t defence);
void UnitSkillHeal(UnitData* unit, int32_t amount);
void UnitSkillCureStatus(UnitData* unit, int32_t mask, const AtlasRect& picture);
void UnitSkillGuard(UnitData* unit, int32_t* boost, int32_t base, const AtlasRect& picture);
void UnitsClearPendingDamage();
// The turning ring over a unit.
void UnitRingCreate(const UnitData* unit);
void ProjectileStateOrbit(EffectData* effect);
void ProjectileStateClimb(EffectData* effect);
void ProjectileStateFall(EffectData* effect);

// Drawing, by the command window.
void DrawSkillGrid(const UnitData* unit);
void DrawSkillConfirmWindow();
// The not-enough-MP or nobody-in-range picture of the unit's message state.
void DrawSkillMessage(const UnitData* unit);
