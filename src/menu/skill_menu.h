// The skill menu over the paused field: a caster, a skill from a 3 by 3 grid over two
// pages, then one target or, for a skill that reaches everyone, a yes/no question. The
// caster pays the skill's magic points.
#pragma once

#include <cstdint>

#include "data/characters.h"
#include "engine/task.h"

struct PartyMenuData;
struct SkillMenuData;
using SkillMenuStep = void (*)(SkillMenuData* menu);
using SkillMenuDrawStep = void (*)(const SkillMenuData* menu);

constexpr int32_t kSkillGridColumns = 3;
constexpr int32_t kSkillGridRows = 3;
constexpr int32_t kSkillGridPages = 2;
constexpr int32_t kSkillGridPlaces = kSkillGridColumns * kSkillGridRows * kSkillGridPages;
constexpr int32_t kSkillCastWait = 30;

struct SkillMenuData {
  int32_t live;
  int32_t caster;  // party index
  int32_t target;  // party index of a single target
  int32_t column;  // 0 to 2
  int32_t row;     // 0 to 2
  int32_t page;    // 0 or 1
  int32_t skill;   // chosen skill id
  int32_t wait;    // frames left after a single-target cast
  int32_t choice;  // the all-targets question: 0 no, 1 yes
  SkillMenuStep step;
  SkillMenuDrawStep drawStep;
  int32_t grid[kSkillGridPlaces];  // skill ids by page x 9 + row x 3 + column; -1 empty
};

// Ends the party menu and opens the skill menu; 0 when its slot is busy.
int SkillMenuOpen(PartyMenuData* menu);
int SkillMenuCreate();
// Runs the step; a menu that ends frees its slot and reopens the party menu.
void SkillMenuUpdate(TaskSlot* slot);
void SkillMenuDraw(TaskSlot* slot);

// Castable here by this member: usable from the menu, affordable, and not above its level.
int SkillCanUse(int32_t skill, const CharacterRecord& member);
// The member is not stopped by the cannot-act ailment.
int MemberCanAct(const CharacterRecord& member);
int32_t BitsClear(int32_t flags, int32_t mask);
void SkillCastOnMember(SkillMenuData* menu);
void SkillCastOnParty(SkillMenuData* menu);

void SkillMenuCasterBegin(SkillMenuData* menu);
void SkillMenuPickCaster(SkillMenuData* menu);
void SkillMenuSkillBegin(SkillMenuData* menu);
void SkillMenuPickSkill(SkillMenuData* menu);
void SkillMenuTargetBegin(SkillMenuData* menu);
void SkillMenuPickTarget(SkillMenuData* menu);
void SkillMenuWaitAfterCast(SkillMenuData* menu);
void SkillMenuConfirmAllBegin(SkillMenuData* menu);
void SkillMenuConfirmAll(SkillMenuData* menu);
void SkillMenuAfterAll(SkillMenuData* menu);

void SkillMenuDrawFrameOnly(const SkillMenuData* menu);
void SkillMenuDrawDetail(const SkillMenuData* menu);
void SkillMenuDrawTarget(const SkillMenuData* menu);
void SkillMenuDrawConfirmAll(const SkillMenuData* menu);
