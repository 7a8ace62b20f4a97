#include "battle/actions.h"

#include "battle/battle.h"
#include "battle/battle_items.h"
#include "battle/escape.h"
#include "battle/familiars.h"
#include "battle/skills.h"
#include "data/items.h"

namespace {

constexpr float kNameWindowY = 28.0f;

// The grids and the target choices cover the key bar.
void HideKeyBar() {
  if (BattleData* battle = BattleFind()) battle->keyBarShown = 0;
}

}  // namespace

int UnitCommandExtra(UnitData* unit, int32_t command) {
  switch (command) {
    case kCommandSkill: unit->state = UnitStateSkillMenuOpen; return 1;
    case kCommandItem: unit->state = UnitStateItemMenuOpen; return 1;
    case kCommandEscape: {
      const BattleData* battle = BattleFind();
      if (!battle || battle->eventBattle) return 0;  // a scripted battle is fought out
      unit->menuCursor = 0;
      unit->state = UnitStateEscapeAsk;
      return 1;
    }
    case kCommandAuto:
      unit->menuCursor = 0;
      unit->state = UnitStateAutoBattleAsk;
      return 1;
    case kCommandDismiss:
      unit->menuCursor = 0;
      unit->state = UnitStateDismissAsk;
      return 1;
    default: return 0;
  }
}

int32_t SkillKind(int32_t skill) { return SkillIdValid(skill) ? g_skillTable[skill].kind : -1; }

int DrawUnitActionWindow(const UnitData* unit) {
  const UnitStep s = unit->state;
  if (s == UnitStateSkillMenuOpen || s == UnitStateSkillMenu) {
    HideKeyBar();
    DrawSkillGrid(unit);
  } else if (s == UnitStateSkillConfirm || s == UnitStateSkillConfirmInput) {
    DrawSkillGrid(unit);
    DrawSkillConfirmWindow();
  } else if (s == UnitStateMpShortMessage || s == UnitStateNoTargetMessage) {
    DrawSkillMessage(unit);
  } else if (s == UnitStateSkillTarget) {
    HideKeyBar();
    if (SkillIdValid(unit->skill)) DrawNameWindow(kNameWindowY, g_skillTable[unit->skill].name);
  } else if (s == UnitStateItemMenuOpen || s == UnitStateItemMenu) {
    HideKeyBar();
    DrawBattleItemGrid(unit);
  } else if (s == UnitStateItemTarget) {
    HideKeyBar();
    if (ItemIdValid(unit->item)) DrawNameWindow(kNameWindowY, g_itemTable[unit->item].nameRect);
  } else if (s == UnitStateEscapeAsk) {
    DrawEscapeAsk(unit);
  } else if (s == UnitStateAutoBattleAsk) {
    DrawAutoBattleAsk(unit);
  } else if (s == UnitStateEscapeFailed) {
    DrawEscapeFailedMessage();
  } else if (s == UnitStateDismissAsk) {
    DrawDismissAsk(unit);
  } else {
    return 0;
  }
  return 1;
}

bool UnitStateHidesPanel(UnitStep s) {
  return s == UnitStateSkillMenuOpen || s == UnitStateSkillMenu || s == UnitStateSkillConfirm ||
         s == UnitStateSkillConfirmInput || s == UnitStateSkillTarget || s == UnitStateItemMenuOpen ||
         s == UnitStateItemMenu || s == UnitStateItemTargetSelect || s == UnitStateItemTarget ||
         s == UnitStateRunAway || s == UnitStateWalkOff || s == UnitStateWalkIn || s == UnitStateEscapeFailed;
}

UnitStep UnitMenuStateFor(UnitStep s) {
  if (s == UnitStateSkillTarget) return UnitStateSkillMenuOpen;
  if (s == UnitStateItemTarget) return UnitStateItemMenuOpen;
  return UnitStateCommandMenuOpen;
}
