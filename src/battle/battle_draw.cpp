// The battle's screen furniture: the side panel, the unit status and equipment windows,
// the bottom bar, the hints, the phase banner and the message window.
#include "battle/battle.h"
#include "battle/cursor.h"
#include "battle/gauges.h"
#include "battle/messages.h"
#include "data/items.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/settings.h"

namespace {

constexpr uint32_t kTranslucent = 0x64FFFFFF;
constexpr float kStatusX = 444.0f;
constexpr float kStatusY = 94.0f;
constexpr float kLabelInset = 8.0f;
constexpr float kValueInset = 78.0f;
constexpr float kBarY = 464.0f;
constexpr float kBannerY = 120.0f;
constexpr float kHintTargetY = 2.0f;

const plat::Texture* Atlas() { return g_atlasTexture.get(); }

void Label(float y, const AtlasRect& label) { DrawAtlas(kStatusX + kLabelInset, kStatusY + y, label); }

void Value(float y, int32_t n) { DrawNumberSmall(kStatusX + kValueInset, kStatusY + y + 2.0f, n); }

// Current and maximum with a slash between.
void Pair(float y, int32_t current, int32_t maximum) {
  Value(y, current);
  DrawAtlas(kStatusX + 130.0f, kStatusY + y, kAtlasSlashSmall);
  DrawNumberSmall(kStatusX + 140.0f, kStatusY + y + 2.0f, maximum);
}

int32_t Power(int32_t item) { return ItemIdValid(item) ? g_itemTable[item].power : 0; }

const AtlasRect& ClassName(int32_t characterClass) {
  switch (characterClass) {
    case kClassCaster: return kAtlasClassCaster;
    case kClassFamiliar: return kAtlasClassFamiliar;
    default: return kAtlasClassFighter;
  }
}

bool MessageStep(BattleStep s) {
  return s == BattleIntroStep || s == BattleIntroWaitKey || s == BattleOutroStep || s == BattleOutroWaitKey;
}

}  // namespace

void BattleTaskDraw(TaskSlot* slot) {
  BattleData* battle = TaskData<BattleData>(slot);
  if (battle->step == BattleMainStep) {
    if (BattleUnitsSettled()) DrawAllUnitGauges();
    DrawCursorUnitStatus();
    DrawBattleHud(battle);
    battle->keyBarShown = 1;
    DrawAllCommandHuds();
    if (battle->keyBarShown == 1) DrawBattleKeyBar();
    DrawMoveCursorHints();
    DrawTargetCursorHints();
    DrawPhaseBanner();
  }
  if (MessageStep(battle->step)) DrawBattleMessage(battle);
}

void DrawAllUnitGauges() {
  ForEachUnit([](const UnitData* u) {
    if (u->state != UnitStateSinkAndDie) DrawUnitGauges(u);
  });
}

void DrawAllCommandHuds() {
  ForEachUnit([](const UnitData* u) {
    if (u->record.side == 0) DrawBattleCommandHud(u);
  });
}

void DrawBattleHud(const BattleData* battle) {
  const bool enemies = g_phaseSide == 1;
  DrawAtlas(2.0f, 2.0f, enemies ? kAtlasBattlePanelEnemy : kAtlasBattlePanelParty);
  DrawAtlas(10.0f, 6.0f, enemies ? kAtlasBattlePhaseEnemy : kAtlasBattlePhaseParty);
  DrawWindow(2.0f, 40.0f, enemies ? kAtlasBattleCountEnemy : kAtlasBattleCountParty, kAtlasSize, kAtlasSize,
             kTranslucent, Atlas());
  DrawAtlas(10.0f, 42.0f, kAtlasBattleIconParty);
  DrawNumberTiny(50.0f, 42.0f, battle->partyCount);
  DrawAtlas(10.0f, 58.0f, kAtlasBattleIconEnemy);
  DrawNumberTiny(50.0f, 58.0f, battle->enemyCount);
  if (g_settings.autoBattle == 1) DrawAtlas(10.0f, 76.0f, kAtlasBattleAutoLabel);
}

void DrawBattleKeyBar() {
  const CursorData* c = CursorFind();
  if (!c) return;
  DrawAtlas(0.0f, kBarY, kAtlasBattleKeyBar, kTranslucent);
  DrawAtlas(0.0f, kBarY, kAtlasBattleKeyConfirm);
  DrawAtlas(120.0f, kBarY, kAtlasBattleKeyCancel);
  DrawAtlas(240.0f, kBarY, kAtlasBattleKeyMenu);
  DrawNumberTiny(340.0f, 465.0f, static_cast<int32_t>(c->heading));
  DrawAtlas(384.0f, kBarY, kAtlasBattleKeyHeading);
  DrawNumberTiny(492.0f, 465.0f, static_cast<int32_t>(c->camera[1]));
  DrawAtlas(528.0f, kBarY, kAtlasBattleKeyHeight);
}

void DrawMoveCursorHints() {
  const CursorData* c = CursorFind();
  if (!c || !CursorInMoveTarget(c)) return;
  DrawWindow(200.0f, 2.0f, kAtlasBattleHintWindow, kAtlasSize, kAtlasSize, kTranslucent, Atlas());
  DrawAtlas(202.0f, 4.0f, kAtlasBattleHintMove);
}

void DrawTargetCursorHints() {
  const CursorData* c = CursorFind();
  if (!c || !CursorInActionTarget(c)) return;
  DrawCenteredMessage(kHintTargetY, kAtlasBattleHintTarget);
}

void DrawPhaseBanner() {
  const CursorData* c = CursorFind();
  if (!c) return;
  const bool auto_ = c->state == PhaseBannerStepAuto;
  if (g_phaseSide == 0 && (c->state == PhaseBannerStep || auto_)) {
    DrawSpriteCentred(kAtlasBannerParty, kBannerY, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
    DrawSpriteCentred(kAtlasBannerPartyCaption, kBannerY + 2.0f, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
  } else if (g_phaseSide == 1 && auto_) {
    DrawSpriteCentred(kAtlasBannerEnemy, kBannerY, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
    DrawSpriteCentred(kAtlasBannerEnemyCaption, kBannerY + 2.0f, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
  }
}

void DrawCursorUnitStatus() {
  if (TaskExists(kTaskIdChoiceMenu)) return;
  const CursorData* c = CursorFind();
  if (!c || CursorBetweenCells(c)) return;
  if (c->state == CursorStateSelect) {
    const UnitData* unit = CursorFindUnit(c);
    if (!unit) return;
    DrawUnitStatusWindow(unit);
    if (unit->record.side == 0) DrawUnitEquipment(unit);
  } else if (c->state == CursorStateActionTarget) {
    if (const UnitData* unit = CursorFindUnit(c)) DrawUnitStatusWindow(unit);
  }
}

void DrawUnitStatusWindow(const UnitData* unit) {
  const CharacterRecord& r = unit->record;
  const bool party = r.side == 0;
  DrawWindow(kStatusX, kStatusY, party ? kAtlasUnitWindowParty : kAtlasUnitWindowEnemy, kAtlasSize, kAtlasSize,
             kTranslucent, Atlas());
  DrawAtlas(kStatusX + 2.0f, kStatusY + 6.0f, party ? kAtlasUnitSideParty : kAtlasUnitSideEnemy);
  Label(6.0f, r.namePicture);
  if (party) {
    Label(31.0f, kAtlasUnitClassLabel);
    DrawAtlas(kStatusX + kValueInset, kStatusY + 31.0f, ClassName(r.characterClass));
    Label(56.0f, kAtlasLevelLabel);
    Value(56.0f, r.level);
  }
  Label(81.0f, kAtlasHpLabel);
  Pair(81.0f, r.hp, r.maxHp);
  if (r.characterClass == kClassCaster) DrawAtlas(kStatusX + 2.0f, kStatusY + 106.0f, kAtlasUnitMpBar, kTranslucent);
  Label(106.0f, kAtlasMpLabel);
  Pair(106.0f, r.mp, r.maxMp);
  Label(131.0f, kAtlasStatusLabel);
  DrawAilmentIcons(kStatusX + 80.0f, kStatusY + 131.0f, r.status);
  Label(181.0f, kAtlasAttackPowerLabel);
  Value(181.0f, SaturateToInt32(int64_t{r.attack} + Power(r.weapon)));
  Label(206.0f, kAtlasDefencePowerLabel);
  Value(206.0f, SaturateToInt32(int64_t{r.defence} + Power(r.armour)));
  Label(231.0f, kAtlasMagicLabel);
  Value(231.0f, r.magic);
  Label(256.0f, kAtlasMagicDefenceLabel);
  Value(256.0f, r.magicDefence);
  Label(281.0f, kAtlasHitLabel);
  Value(281.0f, r.hitTerm);
  Label(306.0f, party || r.decision == kDecisionAttacker ? kAtlasMoveLabel : kAtlasMoveLabelCaster);
  Value(306.0f, r.move);
}

void DrawUnitEquipment(const UnitData* unit) {
  DrawWindow(0.0f, 94.0f, kAtlasEquipWindow, kAtlasSize, kAtlasSize, kTranslucent, Atlas());
  DrawAtlas(8.0f, 100.0f, kAtlasWeaponLabel);
  if (ItemIdValid(unit->record.weapon)) DrawAtlas(78.0f, 100.0f, g_itemTable[unit->record.weapon].nameRect);
  DrawAtlas(8.0f, 125.0f, kAtlasArmourLabel);
  if (ItemIdValid(unit->record.armour)) DrawAtlas(78.0f, 125.0f, g_itemTable[unit->record.armour].nameRect);
}
