// The command window a party unit shows while the player gives it orders, and its
// status panel.
#include "battle/actions.h"
#include "battle/gauges.h"
#include "battle/unit.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"

namespace {

constexpr float kMenuX = 2.0f;
constexpr float kMenuY = 94.0f;
constexpr float kPanelX = 2.0f;
constexpr float kPanelY = 325.0f;
constexpr float kBlockedY = 200.0f;
constexpr float kNameWindowX = 223.0f;
constexpr int32_t kWaitAnswers[2] = {kCommandAnswerNo, kCommandAnswerYes};

// clang-format off
const AtlasRect kCommandLabels[11] = {
    kAtlasCommandClose, kAtlasCommandMove, kAtlasCommandWait, kAtlasCommandAttack, kAtlasCommandSkill,
    kAtlasCommandItem, kAtlasCommandEscape, kAtlasCommandAuto, kAtlasCommandDismiss, kAtlasAnswerNo,
    kAtlasAnswerYes,
};
// clang-format on

// States in which the panel gives way: resting, hit or falling, or out of the fight.
bool PanelHidden(UnitStep s) {
  return s == UnitStateIdle || s == UnitStateSinkAndDie || s == UnitStateKnockBack || s == UnitStateKnockHold ||
         s == UnitStateKnockReturn || s == UnitStateHitReaction || UnitStateHidesPanel(s);
}

}  // namespace

void DrawCenteredMessage(float y, const AtlasRect& picture) {
  DrawSpriteCentred(kAtlasMessageFrame, y, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
  DrawSpriteCentred(picture, y + 2.0f, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
}

void DrawNameWindow(float y, const AtlasRect& picture) {
  const float w = RectWidth(kAtlasNameWindow);
  DrawWindow(kNameWindowX, y, kAtlasNameWindow, kAtlasSize, kAtlasSize, kColourDisabled, g_atlasTexture.get());
  DrawAtlas(RoundToNearest(kNameWindowX + (w - RectWidth(picture)) / 2.0f), y + 2.0f, picture);
}

void DrawBattleCommandHud(const UnitData* unit) {
  const UnitStep s = unit->state;
  if (s == UnitStateCommandMenu) {
    int32_t count = 0;
    const int32_t* list = UnitCommandList(unit, &count);
    DrawVerticalMenu(kMenuX, kMenuY, unit->menuCursor, count, kColourDisabled, kAtlasCommandWindow, kAtlasCommandTitle,
                     kCommandLabels, list);
  } else if (s == UnitStateWaitAsk) {
    DrawVerticalMenu(kMenuX, kMenuY, unit->menuCursor, 2, kColourDisabled, kAtlasCommandWindow, kAtlasWaitTitle,
                     kCommandLabels, kWaitAnswers);
  } else if (s == UnitStateBlockedMessage) {
    DrawCenteredMessage(kBlockedY, kAtlasBlockedMessage);
  } else {
    DrawUnitActionWindow(unit);
  }
  if (!PanelHidden(s)) DrawStatusPanel(kPanelX, kPanelY, unit->record);
}
