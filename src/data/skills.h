// The skill table: eleven skills, read by battles and by the field skill menu.
#pragma once

#include <cstdint>

#include "engine/rect.h"

enum SkillEffectKind : int32_t { kSkillDamage = 0, kSkillHeal = 1, kSkillCure = 2, kSkillGuard = 3, kSkillSummon = 4 };
enum SkillFlags : int32_t { kSkillUsableInField = 2 };

struct SkillRecord {
  int32_t id;
  int32_t level;       // lowest caster level that may cast it in battle
  int32_t allTargets;  // 0: one target; 1: every unit the range search finds
  int32_t kind;        // SkillEffectKind
  int32_t power;       // hit points a heal restores; the damage term of the damage skills
  int32_t mpCost;
  int32_t range;  // cells
  int32_t flags;  // SkillFlags; bit 0 is set in every row and read by nothing
  AtlasRect name;
  AtlasRect description;
};
static_assert(sizeof(SkillRecord) == 64);

constexpr int kSkillCount = 11;
constexpr int32_t kSkillSummonFamiliars = 10;

extern const SkillRecord g_skillTable[kSkillCount];

// Whether an id names a row of the table; -1 and anything stale from an earlier turn do not.
inline bool SkillIdValid(int32_t id) { return id >= 0 && id < kSkillCount; }
