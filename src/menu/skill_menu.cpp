#include "menu/skill_menu.h"

#include <algorithm>

#include "data/game_state.h"
#include "data/skills.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/keys.h"
#include "menu/menu_common.h"
#include "menu/party_menu.h"
#include "menu/party_panels.h"

namespace {

enum FieldSkill : int32_t { kSkillHealOne = 2, kSkillHealAll = 3, kSkillCurePoison = 4, kSkillCureStun = 5 };

constexpr float kStatusTableY = 25.0f;
constexpr float kGridY = 179.0f;
constexpr float kTargetTableY = 325.0f;

float F(int32_t n) { return static_cast<float>(n); }

CharacterRecord& Caster(const SkillMenuData& menu) { return g_party[std::clamp(menu.caster, 0, kPartyRows - 1)]; }

int32_t GridPlace(const SkillMenuData& menu) {
  return menu.page * kSkillGridColumns * kSkillGridRows + menu.row * kSkillGridColumns + menu.column;
}

int32_t HighlightedSkill(const SkillMenuData& menu) {
  const int32_t place = GridPlace(menu);
  return place >= 0 && place < kSkillGridPlaces ? menu.grid[place] : -1;
}

// Hit points never climb past the maximum; the sum is taken wide so no power overflows it.
void Heal(CharacterRecord& member, int32_t power) {
  member.hp = static_cast<int32_t>(std::min<int64_t>(int64_t{member.hp} + power, member.maxHp));
}

void PayFor(CharacterRecord& caster, const SkillRecord& skill) {
  caster.mp = SaturateToInt32(std::max<int64_t>(int64_t{caster.mp} - skill.mpCost, 0));
}

void Go(SkillMenuData* menu, SkillMenuStep step) { menu->step = step; }

// Up and Down step a party index round the members; 1 when one of them moved it.
int MemberKeys(int32_t* index) {
  if (KeyPressed(kKeyUp)) {
    *index = WrapStep(*index, -1, PartySize());
  } else if (KeyPressed(kKeyDown)) {
    *index = WrapStep(*index, 1, PartySize());
  } else {
    return 0;
  }
  MenuSound(kSoundCursor);
  return 1;
}

void DrawSkillGrid(float x, float y, const SkillMenuData& menu) {
  DrawAtlas(x, y, kAtlasPartyPanel);
  const int32_t first = menu.page * kSkillGridColumns * kSkillGridRows;
  for (int32_t i = 0; i < kSkillGridColumns * kSkillGridRows; ++i) {
    const float px = x + 32.0f + 210.0f * F(i % kSkillGridColumns);
    const float py = y + 24.0f + 32.0f * F(i / kSkillGridColumns);
    const int32_t skill = menu.grid[first + i];
    if (!SkillIdValid(skill)) {
      DrawAtlas(px, py, kAtlasEmptySlot);
      continue;
    }
    DrawPicture(px, py, g_skillTable[skill].name, SkillCanUse(skill, Caster(menu)) ? kColourOpaque : kColourDisabled);
  }
  DrawNumberTiny(x + 8.0f, y + 1.0f, menu.page + 1);
  DrawAtlas(x + 20.0f, y, kAtlasSlashTiny);
  DrawNumberTiny(x + 32.0f, y + 1.0f, kSkillGridPages);
}

void SkillMenuDrawFrame(const SkillMenuData& menu) {
  const AtlasRect& tile = kAtlasMenuTile;
  FillScreenPattern(tile.left, tile.top, tile.right, tile.bottom);
  DrawAtlas(0.0f, 0.0f, kAtlasSkillHeader0);
  DrawAtlas(66.0f, 0.0f, kAtlasSkillHeader1);
  DrawAtlas(255.0f, 0.0f, kAtlasSkillHeader2);
  DrawPartyStatusTable(0.0f, kStatusTableY, menu.caster);
  DrawSkillGrid(0.0f, kGridY, menu);
}

}  // namespace

int SkillCanUse(int32_t skill, const CharacterRecord& member) {
  if (!SkillIdValid(skill)) return 0;
  const SkillRecord& s = g_skillTable[skill];
  return (s.flags & kSkillUsableInField) != 0 && s.mpCost <= member.mp && s.level <= member.level ? 1 : 0;
}

int MemberCanAct(const CharacterRecord& member) { return (member.status & kStatusCannotAct) == 0 ? 1 : 0; }

int32_t BitsClear(int32_t flags, int32_t mask) { return flags & ~mask; }

int SkillMenuOpen(PartyMenuData* menu) {
  menu->live = 0;
  return SkillMenuCreate();
}

int SkillMenuCreate() {
  TaskSlot* slot = TaskStart(TaskAllocAt(kSlotSkillMenu), kTaskIdSkillMenu, 0, SkillMenuUpdate, SkillMenuDraw);
  if (!slot) return 0;
  SkillMenuData* menu = TaskDataInit<SkillMenuData>(slot);
  menu->live = 1;
  menu->step = SkillMenuCasterBegin;
  menu->drawStep = SkillMenuDrawFrameOnly;
  for (int32_t i = 0; i < kSkillGridPlaces; ++i) menu->grid[i] = i < kSkillCount ? i : -1;
  return 1;
}

void SkillMenuUpdate(TaskSlot* slot) {
  if (MenuTaskStep<SkillMenuData>(slot)) PartyMenuOpen();
}

void SkillMenuDraw(TaskSlot* slot) {
  const SkillMenuData* menu = TaskData<SkillMenuData>(slot);
  if (menu->drawStep) menu->drawStep(menu);
}

void SkillMenuCasterBegin(SkillMenuData* menu) {
  menu->column = 0;
  menu->row = 0;
  menu->page = 0;
  menu->drawStep = SkillMenuDrawFrameOnly;
  Go(menu, SkillMenuPickCaster);
}

// The caster's class plays no part: a member without magic points finds nothing castable.
void SkillMenuPickCaster(SkillMenuData* menu) {
  if (KeyPressed(kKeyEscape)) {
    menu->live = 0;
    MenuSound(kSoundCursor);
  } else if (!MemberKeys(&menu->caster) && KeyConfirmPressed()) {
    if (PartySize() == 0 || !MemberCanAct(Caster(*menu))) {
      MenuSound(kSoundRefuse);
      return;
    }
    menu->column = 0;
    menu->row = 0;
    MenuSound(kSoundCursor);
    Go(menu, SkillMenuSkillBegin);
  }
}

void SkillMenuSkillBegin(SkillMenuData* menu) {
  menu->drawStep = SkillMenuDrawDetail;
  Go(menu, SkillMenuPickSkill);
}

// Paging either way lands on the left column.
void SkillMenuPickSkill(SkillMenuData* menu) {
  if (KeyPressed(kKeyEscape)) {
    Go(menu, SkillMenuCasterBegin);
  } else if (KeyPressed(kKeyRight)) {
    if (++menu->column > kSkillGridColumns - 1) {
      menu->column = 0;
      menu->page = WrapStep(menu->page, 1, kSkillGridPages);
    }
  } else if (KeyPressed(kKeyLeft)) {
    if (--menu->column < 0) {
      menu->column = 0;
      menu->page = WrapStep(menu->page, -1, kSkillGridPages);
    }
  } else if (KeyPressed(kKeyDown)) {
    menu->row = WrapStep(menu->row, 1, kSkillGridRows);
  } else if (KeyPressed(kKeyUp)) {
    menu->row = WrapStep(menu->row, -1, kSkillGridRows);
  } else if (KeyConfirmPressed()) {
    const int32_t skill = HighlightedSkill(*menu);
    if (!SkillCanUse(skill, Caster(*menu))) {
      MenuSound(kSoundRefuse);
      return;
    }
    menu->skill = skill;
    Go(menu, g_skillTable[skill].allTargets ? SkillMenuConfirmAllBegin : SkillMenuTargetBegin);
  } else {
    return;
  }
  MenuSound(kSoundCursor);
}

void SkillMenuTargetBegin(SkillMenuData* menu) {
  menu->target = 0;
  menu->drawStep = SkillMenuDrawTarget;
  Go(menu, SkillMenuPickTarget);
}

void SkillMenuPickTarget(SkillMenuData* menu) {
  if (KeyPressed(kKeyEscape)) {
    MenuSound(kSoundCursor);
    Go(menu, SkillMenuSkillBegin);
  } else if (!MemberKeys(&menu->target) && KeyConfirmPressed()) {
    MenuSound(kSoundCursor);
    SkillCastOnMember(menu);
    menu->wait = kSkillCastWait;
    Go(menu, SkillMenuWaitAfterCast);
  }
}

// No key shortens the pause.
void SkillMenuWaitAfterCast(SkillMenuData* menu) {
  if (--menu->wait < 1) Go(menu, SkillMenuSkillBegin);
}

// The effect and the cost apply whether or not the target needed it; the skill's power
// alone decides the amount.
void SkillCastOnMember(SkillMenuData* menu) {
  if (!SkillIdValid(menu->skill) || menu->target < 0 || menu->target >= PartySize()) return;
  const SkillRecord& skill = g_skillTable[menu->skill];
  CharacterRecord& target = g_party[menu->target];
  switch (menu->skill) {
    case kSkillHealOne: Heal(target, skill.power); break;
    case kSkillCurePoison: target.status = BitsClear(target.status, kStatusPoison); break;
    case kSkillCureStun: target.status = BitsClear(target.status, kStatusCannotAct); break;
    default: return;
  }
  PayFor(Caster(*menu), skill);
  MenuSound(kSoundRecover);
}

void SkillMenuConfirmAllBegin(SkillMenuData* menu) {
  menu->choice = 0;
  menu->drawStep = SkillMenuDrawConfirmAll;
  Go(menu, SkillMenuConfirmAll);
}

void SkillMenuConfirmAll(SkillMenuData* menu) {
  if (KeyPressed(kKeyEscape)) {
    Go(menu, SkillMenuSkillBegin);
  } else if (KeyPressed(kKeyDown)) {
    menu->choice = WrapStep(menu->choice, 1, 2);
  } else if (KeyPressed(kKeyUp)) {
    menu->choice = WrapStep(menu->choice, -1, 2);
  } else if (KeyConfirmPressed()) {
    Go(menu, SkillMenuAfterAll);
    if (menu->choice == 1) SkillCastOnParty(menu);
  } else {
    return;
  }
  MenuSound(kSoundCursor);
}

// No pause after a cast on everyone.
void SkillMenuAfterAll(SkillMenuData* menu) { Go(menu, SkillMenuSkillBegin); }

void SkillCastOnParty(SkillMenuData* menu) {
  if (menu->skill != kSkillHealAll) return;
  const SkillRecord& skill = g_skillTable[menu->skill];
  for (int32_t i = 0; i < PartySize(); ++i) Heal(g_party[i], skill.power);
  MenuSound(kSoundRecover);
  PayFor(Caster(*menu), skill);
}

void SkillMenuDrawFrameOnly(const SkillMenuData* menu) { SkillMenuDrawFrame(*menu); }

void SkillMenuDrawDetail(const SkillMenuData* menu) {
  SkillMenuDrawFrame(*menu);
  DrawAtlas(0.0f, 146.0f, kAtlasInfoStrip);
  DrawAtlas(470.0f, 150.0f, kAtlasSkillMpLabel);
  DrawNumberSmall(582.0f, 151.0f, Caster(*menu).mp);
  const int32_t skill = HighlightedSkill(*menu);
  if (SkillIdValid(skill)) {
    DrawPicture(4.0f, 150.0f, g_skillTable[skill].description);
    DrawAtlas(350.0f, 150.0f, kAtlasSkillCostLabel);
    DrawNumberSmall(421.0f, 151.0f, g_skillTable[skill].mpCost);
  }
  DrawAtlas(12.0f + 210.0f * F(menu->column), 200.0f + 32.0f * F(menu->row), kAtlasMenuCursor);
}

void SkillMenuDrawTarget(const SkillMenuData* menu) {
  SkillMenuDrawDetail(menu);
  DrawAtlas(0.0f, 300.0f, kAtlasSkillPickTarget);
  DrawPartyStatusTable(0.0f, kTargetTableY, menu->target);
}

void SkillMenuDrawConfirmAll(const SkillMenuData* menu) {
  SkillMenuDrawDetail(menu);
  DrawYesNoBox(150.0f, menu->choice, kAtlasAskBox, kAtlasSkillAllHeading, kNoYesAnswers);
}
