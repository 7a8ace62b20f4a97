// Character records: party members, familiars and monsters share one 152-byte layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/rect.h"

enum CharacterClass : int32_t { kClassFighter = 1, kClassCaster = 2, kClassFamiliar = 3 };
enum CharacterStatus : int32_t { kStatusPoison = 1, kStatusCannotAct = 2 };
enum DecisionType : int32_t { kDecisionAttacker = 0, kDecisionCaster = 1, kDecisionBoss = 2 };

struct CharacterRecord {
  int32_t id;
  int32_t model;
  int32_t side;  // 0 the player's side, 1 the enemy's
  int32_t characterClass;
  int32_t level;
  int32_t hp;
  int32_t maxHp;
  int32_t mp;
  int32_t maxMp;
  int32_t attack;
  int32_t defence;
  int32_t magic;
  int32_t magicDefence;
  int32_t hitTerm;
  int32_t growth1;
  int32_t growth2;
  int32_t move;
  int32_t status;  // CharacterStatus bits
  int32_t weapon;  // item ids
  int32_t armour;
  int32_t decision;
  AtlasRect namePicture;
  char name[40];  // Shift-JIS, NUL-terminated
  int32_t experience;
  int32_t money;
  int32_t spare;
};
static_assert(sizeof(CharacterRecord) == 152);
static_assert(offsetof(CharacterRecord, namePicture) == 84);
static_assert(offsetof(CharacterRecord, name) == 100);
static_assert(offsetof(CharacterRecord, experience) == 140);

// Sums and differences of record values are taken in 64 bits and brought back with this,
// so no value a record holds, a damaged save's included, overflows an int32 on the way.
constexpr int32_t SaturateToInt32(int64_t value) {
  return value > INT32_MAX ? INT32_MAX : (value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value));
}
// The side a unit's foes stand on: 1 - side.
constexpr int32_t OtherSide(int32_t side) { return SaturateToInt32(int64_t{1} - side); }

constexpr int kCharacterRows = 17;
constexpr int kPartyRows = 4;
constexpr int kMonsterRowOffset = 4;  // monster id m is row m + 4
constexpr int kEncounterAreas = 4;

extern const CharacterRecord g_characterTable[kCharacterRows];
extern const int32_t g_encounterTable[kEncounterAreas][4];

// Growth: a won battle's hundred points of experience give a party member one level,
// and each level-up adds to some of its abilities, by class, and then holds every
// ability at its cap. Nothing else ever raises them, so these rules and a member's row
// of the character table bound every value a record of a member can hold.
constexpr int32_t kExperiencePerLevel = 100;
constexpr int32_t kLevelMax = 99999;

enum Ability : int {
  kAbilityMaxHp,
  kAbilityMaxMp,
  kAbilityAttack,
  kAbilityDefence,
  kAbilityMagic,
  kAbilityMagicDefence,
  kAbilityHitTerm,
  kAbilityGrowth1,
  kAbilityGrowth2,
  kAbilityCount,
};
// The record's field of each ability, and the cap a level-up holds it at.
extern int32_t CharacterRecord::*const kAbilityFields[kAbilityCount];
constexpr int32_t kAbilityCaps[kAbilityCount] = {400, 400, 150, 100, 150, 100, 20, 5, 5};

// What one level-up adds to one ability: `base` and a draw below `spread` (no draw when
// it is 0), or, with a `chance`, 1 when a draw below 100 falls under it.
struct AbilityGain {
  Ability ability;
  int32_t base;
  int32_t spread;
  int32_t chance;
};
// A class's gains in the order their draws are made; a class other than fighter and
// caster gains nothing.
std::span<const AbilityGain> LevelUpGains(int32_t characterClass);

// The least and the most a level-up can add to the ability.
struct GainRange {
  int32_t least;
  int32_t most;
};
GainRange LevelUpGainRange(int32_t characterClass, Ability ability);
