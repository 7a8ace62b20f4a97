// The skill window, casting and the range search; the effects are in skill_effects.cpp.
#include "battle/skills.h"

#include <algorithm>

#include "battle/actions.h"
#include "battle/ai.h"
#include "battle/cursor.h"
#include "battle/familiars.h"
#include "battle/grid.h"
#include "battle/paged_grid.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "field/map.h"
#include "field/walker.h"

SkillGrid g_skillGrid;

namespace {

constexpr float kGridX = 0.0f;
constexpr float kGridY = 360.0f;
constexpr float kCellX = 20.0f;
constexpr float kCellPitchX = 210.0f;
constexpr float kCellY = 384.0f;
constexpr float kCellPitchY = 28.0f;
constexpr float kCursorInset = 14.0f;
constexpr float kStripY = 330.0f;
constexpr float kStripHeight = 32.0f;
constexpr float kMessageY = 200.0f;
constexpr float kConfirmX = 0.0f;
constexpr float kConfirmY = 94.0f;

using SkillEffect = void (*)(UnitData* caster);

// Skills 8 and 9 are cast only over an area and skill 10 only as a summon.
const SkillEffect kSingleEffects[kSkillCount] = {
    SkillEffectAttack,
    SkillEffectAttackAll,
    SkillEffectHeal,
    SkillEffectHealAll,
    SkillEffectCureStatus1,
    SkillEffectCureStatus2,
    SkillEffectGuard,
    SkillEffectMagicGuard,
    nullptr,
    nullptr,
    nullptr,
};

const SkillRecord* Skill(int32_t id) { return SkillIdValid(id) ? &g_skillTable[id] : nullptr; }

void ShowMoveRangeAgain(UnitData* unit) {
  if (unit->moved) {
    GridClearRange();
  } else {
    GridShowMoveRange(unit->x, unit->z, unit->record.move, OtherSide(unit->record.side));
  }
}

// A cell already searched with as much budget left is passed over: searching it again
// would visit only cells searched already and add no unit, so each cell is searched at
// most once for each budget it is reached with, and the units come in the order of the
// search that searches it every time. The depth stays within the grid's reach.
void RangeFloodTargets(UnitData* unit, int kx, int kz, int32_t r, int32_t side) {
  if (r < 0 || !GridInside(static_cast<float>(kx), static_cast<float>(kz))) return;
  const int i = GridCellIndex(static_cast<float>(kx), static_cast<float>(kz));
  if (GridRangeAt(i) > r || g_gridMarks[i] >= r) return;
  g_gridMarks[i] = static_cast<int16_t>(r);
  if (UnitData* other = GridLivingUnitOfSideAt(static_cast<float>(kx), static_cast<float>(kz), side)) {
    UnitAddTarget(unit, other);
  }
  RangeFloodTargets(unit, kx + 2, kz, r - 1, side);
  RangeFloodTargets(unit, kx, kz + 2, r - 1, side);
  RangeFloodTargets(unit, kx - 2, kz, r - 1, side);
  RangeFloodTargets(unit, kx, kz - 2, r - 1, side);
}

void BackToGrid(UnitData* unit) {
  unit->state = UnitStateSkillMenu;
  SkillGridShowRange(unit);
}

float CellX(int column) { return kCellX + kCellPitchX * static_cast<float>(column); }
float CellY(int row) { return kCellY + kCellPitchY * static_cast<float>(row); }

}  // namespace

int GridMenuInput3x3(SkillGrid* g) {
  int result = 0;
  if (PagedGridArrows(&g->column, &g->row, &g->page, g->pages, kSkillGridColumns, kSkillGridRows)) {
    result = 2;
  } else if (KeyConfirmPressed()) {
    result = 1;
  } else if (KeyPressed(kKeyEscape)) {
    result = -1;
  } else {
    return 0;
  }
  SoundRequest(kSoundCursor, 0);
  return result;
}

int32_t SkillGridCurrent() {
  const SkillGrid& g = g_skillGrid;
  const int slot = g.page * kSkillGridColumns * kSkillGridRows + g.row * kSkillGridColumns + g.column;
  return slot >= 0 && slot < kSkillGridSlots ? g.ids[slot] : kSkillSlotEmpty;
}

void SkillGridShowRange(UnitData* unit) {
  if (const SkillRecord* s = Skill(SkillGridCurrent())) GridShowAttackRange(unit->x, unit->z, s->range);
}

void UnitStateSkillMenuOpen(UnitData* unit) {
  SkillGrid& g = g_skillGrid;
  g.column = g.row = g.page = g.confirm = 0;
  g.pages = kSkillGridPages;
  for (int i = 0; i < kSkillGridSlots; ++i) g.ids[i] = i < kSkillCount ? i : kSkillSlotEmpty;
  unit->state = UnitStateSkillMenu;
  SkillGridShowRange(unit);
}

void UnitStateSkillMenu(UnitData* unit) {
  switch (GridMenuInput3x3(&g_skillGrid)) {
    case -1:
      unit->menuCursor = 0;
      unit->state = UnitStateCommandMenu;
      ShowMoveRangeAgain(unit);
      break;
    case 2: SkillGridShowRange(unit); break;
    case 1: UnitSkillChosen(unit); break;
    default: break;
  }
}

void UnitSkillChosen(UnitData* unit) {
  const int32_t id = SkillGridCurrent();
  const SkillRecord* s = Skill(id);
  if (!s) {
    SoundRequest(kSoundRefuse, 0);
    return;
  }
  unit->skill = id;
  if (unit->record.level < s->level) {
    SoundRequest(kSoundRefuse, 0);
    return;
  }
  if (unit->record.mp < s->mpCost) {
    unit->state = UnitStateMpShortMessage;
    SoundRequest(kSoundRefuse, 0);
    return;
  }
  if (s->kind == kSkillSummon) {
    unit->state = UnitStateSkillConfirm;
  } else {
    SkillStartTargeting(unit);
  }
}

void UnitSelectTargetInRange(UnitData* unit, int32_t range) {
  GridShowAttackRange(unit->x, unit->z, range);
  CursorSetState(CursorStateActionTarget);
}

void SkillStartTargeting(UnitData* unit) {
  const SkillRecord* s = Skill(unit->skill);
  if (!s) return;
  if (s->allTargets) {
    GridShowAttackRange(unit->x, unit->z, s->range);
    unit->state = UnitStateSkillConfirm;
  } else {
    UnitSelectTargetInRange(unit, s->range);
    unit->state = UnitStateSkillTarget;
  }
}

// Its own state with the body of idle, so the cursor and the window know it.
void UnitStateSkillTarget(UnitData* unit) { RoundPairToInt(&unit->x, &unit->z, unit->x, unit->z); }

void UnitStateSkillConfirm(UnitData* unit) {
  g_skillGrid.confirm = 0;
  unit->state = UnitStateSkillConfirmInput;
}

void UnitStateSkillConfirmInput(UnitData* unit) {
  if (!MenuCursorVertical(&g_skillGrid.confirm, 2)) return;
  if (g_skillGrid.confirm == 0) {
    unit->state = UnitStateSkillMenu;
  } else if (SkillKind(unit->skill) == kSkillSummon) {
    SkillSummonFamiliars(unit);
  } else {
    unit->state = UnitStateAreaSkillShow;
  }
}

void UnitStateMpShortMessage(UnitData* unit) {
  if (KeyConfirmPressed()) BackToGrid(unit);
}

void UnitStateNoTargetMessage(UnitData* unit) {
  if (KeyConfirmPressed()) BackToGrid(unit);
}

int SkillTargetValid(const UnitData* caster, const UnitData* target) {
  switch (SkillKind(caster->skill)) {
    case kSkillDamage: return target->record.side == 1 ? 1 : 0;
    case kSkillHeal:
    case kSkillCure:
    case kSkillGuard: return target->record.side == 0 ? 1 : 0;
    default: return 0;
  }
}

int UnitSkillOnTarget(UnitData* unit, UnitData* target) {
  if (!SkillTargetValid(unit, target)) return 0;
  UnitStateSkillAim(unit, target);
  return 1;
}

void UnitStateSkillAim(UnitData* caster, UnitData* target) {
  caster->target = target;
  if (target != caster) caster->facing = FacingToward(caster->x, caster->z, target->x, target->z);
  caster->state = SkillApplySingle;
}

// A skill that names no row (none chosen, or one left from an earlier turn that is not
// a single cast) ends the turn without effect or payment.
void SkillApplySingle(UnitData* unit) {
  if (!SkillIdValid(unit->skill) || !kSingleEffects[unit->skill]) {
    UnitFinishTurn(unit);
    return;
  }
  kSingleEffects[unit->skill](unit);
  const SkillRecord* s = Skill(unit->skill);
  UnitData* target = UnitLive(unit->target);
  if (target && target != unit && s && !s->allTargets) {
    unit->facing = FacingToward(unit->x, unit->z, target->x, target->z);
  }
  SkillPayMp(&unit->record, unit->skill);
  unit->state = UnitStateSkillResolve;
}

void UnitStateAreaSkillShow(UnitData* unit) {
  if (const SkillRecord* s = Skill(unit->skill)) GridShowAttackRange(unit->x, unit->z, s->range);
  unit->state = UnitStateAreaSkillFind;
}

// The area path pays before its effect runs.
void UnitStateAreaSkillFind(UnitData* unit) {
  UnitFindTargetsInRange(unit, unit->x, unit->z, kAreaSearchRange, UnitActionTargetSide(unit));
  if (unit->targets[0]) {
    unit->state = SkillApplyArea;
    SkillPayMp(&unit->record, unit->skill);
    return;
  }
  SoundRequest(kSoundRefuse, 0);
  GridClearRange();
  unit->state = UnitStateNoTargetMessage;
}

void SkillApplyArea(UnitData* unit) {
  switch (unit->skill) {
    case 1: SkillEffectAttackAll(unit); break;
    case 3: SkillEffectHealAll(unit); break;
    case 8: SkillEffectGuardAll(unit); break;
    case 9: SkillEffectMagicGuardAll(unit); break;
    default: break;
  }
  unit->state = UnitStateSkillResolve;
  GridClearRange();
  CursorSetState(CursorStateWaitAction);
}

void UnitStateAiSkillWait(UnitData* unit) {
  if (--unit->wait >= 1) return;
  UnitData* target = nullptr;
  switch (SkillKind(unit->skill)) {
    case kSkillDamage: target = AiSortTargetsByHp(unit); break;
    case kSkillHeal: target = AiSortTargetsByHpLost(unit); break;
    case kSkillCure:
      AiKeepTargetsWithStatus(unit);
      target = AiSortTargetsByStatus(unit);
      if (target && target->record.status == 0) target = nullptr;
      break;
    default: break;  // guards, the summon and no skill at all are never cast here
  }
  GridClearRange();
  if (!target) {
    UnitFinishTurn(unit);
    return;
  }
  unit->target = target;
  unit->state = SkillApplySingle;
}

void SkillPayMp(CharacterRecord* record, int32_t skill) {
  const SkillRecord* s = Skill(skill);
  if (!s || record->side != 0) return;
  record->mp = SaturateToInt32(std::max<int64_t>(int64_t{record->mp} - s->mpCost, 0));
}

int UnitFindTargetsInRange(UnitData* unit, float x, float z, int32_t range, int32_t side) {
  float kx = 0, kz = 0;
  GridSnapToCell(x, z, &kx, &kz);
  UnitClearTargets(unit);
  GridClearSearchMarks();
  RangeFloodTargets(unit, static_cast<int>(kx), static_cast<int>(kz), GridBudget(range), side);
  unit->target = unit->targets[0];
  return AiFilledTargets(unit);
}

void UnitClearTargets(UnitData* unit) {
  unit->target = nullptr;
  for (UnitData*& t : unit->targets) t = nullptr;
}

void UnitAddTarget(UnitData* unit, UnitData* other) {
  for (UnitData*& t : unit->targets) {
    if (t == other) return;
    if (!t) {
      t = other;
      return;
    }
  }
}

UnitData* GridLivingUnitOfSideAt(float keyX, float keyZ, int32_t side) {
  UnitData* found = nullptr;
  ForEachUnit([&](UnitData* u) {
    if (found || u->live != 1 || u->record.side != side || u->state == UnitStateSinkAndDie) return;
    float ux = 0, uz = 0;
    GridSnapToCell(u->x, u->z, &ux, &uz);
    if (static_cast<int>(ux) == static_cast<int>(keyX) && static_cast<int>(uz) == static_cast<int>(keyZ)) found = u;
  });
  return found;
}

// The window over the bottom of the screen, the strip above it with the skill under the
// cursor, and the page.
void DrawSkillGrid(const UnitData* unit) {
  const plat::Texture* atlas = g_atlasTexture.get();
  DrawWindow(kGridX, kGridY, kAtlasBattleGridWindow, kAtlasSize, kAtlasSize, kColourDisabled, atlas);
  const SkillGrid& g = g_skillGrid;
  for (int row = 0; row < kSkillGridRows; ++row) {
    for (int column = 0; column < kSkillGridColumns; ++column) {
      const int slot = g.page * kSkillGridColumns * kSkillGridRows + row * kSkillGridColumns + column;
      const SkillRecord* s = slot >= 0 && slot < kSkillGridSlots ? Skill(g.ids[slot]) : nullptr;
      if (!s) {
        DrawAtlas(CellX(column), CellY(row), kAtlasEmptySlot, kColourDisabled);
      } else {
        DrawAtlas(CellX(column), CellY(row), s->name, s->level <= unit->record.level ? kColourOpaque : kColourDisabled);
      }
    }
  }
  DrawAtlas(CellX(g.column) - kCursorInset, CellY(g.row), kAtlasMenuCursor);
  DrawWindow(0.0f, kStripY, kAtlasInfoStrip, kAtlasSize, kAtlasSize, kColourDisabled, atlas);
  const auto middle = [](const AtlasRect& r) {
    return RoundToNearest(kStripY + (kStripHeight - RectHeight(r)) / 2.0f);
  };
  if (const SkillRecord* s = Skill(SkillGridCurrent())) {
    DrawAtlas(8.0f, middle(s->description), s->description);
    DrawAtlas(380.0f, middle(kAtlasSkillCostLabel), kAtlasSkillCostLabel);
    DrawNumberSmall(451.0f, middle(kAtlasSkillCostLabel) + 2.0f, s->mpCost);
  }
  DrawAtlas(510.0f, middle(kAtlasSkillMpLabel), kAtlasSkillMpLabel);
  DrawNumberSmall(581.0f, middle(kAtlasSkillMpLabel) + 2.0f, unit->record.mp);
  DrawNumberSmall(6.0f, 366.0f, g.page + 1);
  DrawAtlas(34.0f, 366.0f, kAtlasSlashSmall);
  DrawNumberSmall(54.0f, 366.0f, g.pages);
}

void DrawSkillConfirmWindow() {
  DrawVerticalMenu(kConfirmX, kConfirmY, g_skillGrid.confirm, 2, kColourDisabled, kAtlasBattleAskWindow,
                   kAtlasSkillAskTitle, kBackConfirmAnswers, kTwoAnswerOrder);
}

void DrawSkillMessage(const UnitData* unit) {
  const bool short_ = unit->state == UnitStateMpShortMessage;
  DrawSpriteCentred(short_ ? kAtlasSkillMpShort : kAtlasSkillNoTarget, kMessageY, kAtlasSize, kAtlasSize, kColourOpaque,
                    g_atlasTexture.get());
}
