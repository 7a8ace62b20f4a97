#include "data/skills.h"

#include "engine/atlas.h"

// clang-format off
const SkillRecord g_skillTable[kSkillCount] = {
    // id level all kind          power mp  range flags
    {0,  10, 0, kSkillDamage, 50,  10,  5, 1, kAtlasSkillName0,  kAtlasSkillInfo0},
    {1,  20, 1, kSkillDamage, 50,  50,  5, 1, kAtlasSkillName1,  kAtlasSkillInfo1},
    {2,  10, 0, kSkillHeal,   100, 10,  5, 3, kAtlasSkillName2,  kAtlasSkillInfo2},
    {3,  25, 1, kSkillHeal,   100, 50,  5, 3, kAtlasSkillName3,  kAtlasSkillInfo3},
    {4,  10, 0, kSkillCure,   0,   20,  5, 3, kAtlasSkillName4,  kAtlasSkillInfo4},
    {5,  10, 0, kSkillCure,   0,   20,  5, 3, kAtlasSkillName5,  kAtlasSkillInfo5},
    {6,  10, 0, kSkillGuard,  0,   30,  5, 1, kAtlasSkillName6,  kAtlasSkillInfo6},
    {7,  10, 0, kSkillGuard,  0,   40,  5, 1, kAtlasSkillName7,  kAtlasSkillInfo7},
    {8,  25, 1, kSkillGuard,  0,   60,  5, 1, kAtlasSkillName8,  kAtlasSkillInfo8},
    {9,  30, 1, kSkillGuard,  0,   80,  5, 1, kAtlasSkillName9,  kAtlasSkillInfo9},
    {10, 10, 1, kSkillSummon, 0,   200, 0, 1, kAtlasSkillName10, kAtlasSkillInfo10},
};
// clang-format on
