#include "menu/party_panels.h"

#include "data/game_state.h"
#include "data/items.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "menu/menu_common.h"

const AtlasRect g_faceRects[kPartyRows] = {kAtlasFace0, kAtlasFace1, kAtlasFace2, kAtlasFace3};
const AtlasRect g_faceLargeRects[kPartyRows] = {kAtlasFaceLarge0, kAtlasFaceLarge1, kAtlasFaceLarge2, kAtlasFaceLarge3};

namespace {

constexpr float kPoisonIconWidth = 19.0f;
constexpr float kIconGap = 2.0f;
constexpr float kWordGap = 8.0f;

float F(int32_t n) { return static_cast<float>(n); }

// One row's "current / maximum": the slash `slashDy` below the row.
void DrawFraction(float x, float slashX, float maxX, float y, float slashDy, int32_t current, int32_t maximum) {
  DrawNumberSmall(x, y, current);
  DrawAtlas(slashX, y + slashDy, kAtlasSlashSmall);
  DrawNumberSmall(maxX, y, maximum);
}

bool ItemOfKind(int32_t item, int32_t kind) { return ItemIdValid(item) && g_itemTable[item].kind == kind; }

const AtlasRect* ClassPicture(int32_t characterClass) {
  if (characterClass == kClassFighter) return &kAtlasStatusClassFighter;
  if (characterClass == kClassCaster) return &kAtlasStatusClassCaster;
  return nullptr;
}

}  // namespace

int32_t EquipPower(int32_t item) { return ItemIdValid(item) ? g_itemTable[item].power : 0; }

void DrawPartyPanel(float x, float y) {
  DrawAtlas(x, y, kAtlasPartyPanel);
  DrawAtlas(x + 120.0f, y + 9.0f, kAtlasHpLabel);
  DrawAtlas(x + 270.0f, y + 9.0f, kAtlasMpLabel);
  DrawAtlas(x + 420.0f, y + 9.0f, kAtlasLvLabel);
  for (int32_t i = 0; i < PartySize(); ++i) {
    const CharacterRecord& m = g_party[i];
    const float rowY = y + 9.0f + 24.0f * F(i);
    DrawPicture(x + 20.0f, y + 8.0f + 24.0f * F(i), m.namePicture);
    DrawFraction(x + 150.0f, x + 190.0f, x + 210.0f, rowY, -1.0f, m.hp, m.maxHp);
    DrawFraction(x + 300.0f, x + 340.0f, x + 360.0f, rowY, -1.0f, m.mp, m.maxMp);
    DrawNumberSmall(x + 450.0f, rowY, m.level);
    DrawAilmentIcons(x + 510.0f, rowY, m.status);
  }
}

// The columns stand at fixed screen places; every caller draws at x 0.
void DrawPartyRows(float x, float y, const CharacterRecord* records, int32_t highlight) {
  DrawAtlas(x, y, kAtlasPartyPanel);
  DrawAtlas(120.0f, y, kAtlasHpLabel);
  DrawAtlas(250.0f, y, kAtlasMpLabel);
  DrawAtlas(380.0f, y, kAtlasLvLabel);
  DrawAtlas(480.0f, y, kAtlasStatusLabel);
  for (int32_t i = 0; i < PartySize(); ++i) {
    const CharacterRecord& m = records[i];
    const float rowY = y + 22.0f + 25.0f * F(i);
    DrawPicture(20.0f, rowY, m.namePicture);
    DrawFraction(120.0f, 160.0f, 176.0f, rowY, 1.0f, m.hp, m.maxHp);
    DrawFraction(250.0f, 290.0f, 306.0f, rowY, 1.0f, m.mp, m.maxMp);
    DrawNumberSmall(380.0f, rowY, m.level);
    DrawAilmentIcons(480.0f, rowY, m.status);
    if (i != highlight) continue;
    DrawAtlas(x + 2.0f, rowY + 5.0f, kAtlasRowBar, kColourDisabled);
    DrawAtlas(x + 8.0f, rowY, kAtlasListArrow);
  }
}

void DrawPartyStatusTable(float x, float y, int32_t highlight) {
  DrawAtlas(x, y, kAtlasPartyPanel);
  DrawAtlas(x + 132.0f, y + 2.0f, kAtlasHpLabel);
  DrawAtlas(x + 258.0f, y + 2.0f, kAtlasMpLabel);
  DrawAtlas(x + 392.0f, y + 2.0f, kAtlasLvLabel);
  for (int32_t i = 0; i < PartySize(); ++i) {
    const CharacterRecord& m = g_party[i];
    const float rowY = y + 24.0f + 24.0f * F(i);
    DrawPicture(x + 32.0f, rowY, m.namePicture);
    DrawFraction(x + 132.0f, x + 182.0f, x + 202.0f, rowY + 1.0f, -2.0f, m.hp, m.maxHp);
    DrawFraction(x + 258.0f, x + 308.0f, x + 328.0f, rowY + 1.0f, -2.0f, m.mp, m.maxMp);
    DrawNumberSmall(x + 392.0f, rowY + 1.0f, m.level);
    DrawAilmentIcons(x + 452.0f, rowY, m.status);
    if (i != highlight) continue;
    DrawAtlas(x + 12.0f, rowY - 1.0f, kAtlasMenuCursor);
    DrawFace(515.0f, y + 15.0f, m.id);
  }
}

void DrawStatusPage(int32_t member) {
  if (member < 0 || member >= kPartyRows) return;
  const CharacterRecord& m = g_party[member];
  constexpr float kLabelX = 320.0f, kValueX = 500.0f;
  DrawAtlas(kLabelX, 130.0f, kAtlasLevelLabel);
  DrawNumberSmall(kValueX, 132.0f, m.level);
  if (const AtlasRect* picture = ClassPicture(m.characterClass)) DrawAtlas(kLabelX, 160.0f, *picture);
  DrawAtlas(kLabelX, 190.0f, kAtlasWeaponLabel);
  if (ItemOfKind(m.weapon, kItemWeapon)) DrawPicture(kValueX, 190.0f, g_itemTable[m.weapon].nameRect);
  DrawAtlas(kLabelX, 220.0f, kAtlasArmourLabel);
  if (ItemOfKind(m.armour, kItemArmour)) DrawPicture(kValueX, 220.0f, g_itemTable[m.armour].nameRect);
  DrawAtlas(kLabelX, 250.0f, kAtlasStatusLabel);
  DrawStatusText(kValueX, 250.0f, m.status);
  DrawAtlas(kLabelX, 280.0f, kAtlasNextLevelLabel);
  DrawNumberSmall(kValueX, 282.0f, SaturateToInt32(int64_t{kExperiencePerLevel} - m.experience));
  if (m.id >= 0 && m.id < kPartyRows) DrawAtlas(4.0f, 120.0f, g_faceLargeRects[m.id]);
}

void DrawStatusStats(float x, float y, int32_t member) {
  if (member < 0 || member >= kPartyRows) return;
  const CharacterRecord& m = g_party[member];
  DrawAtlas(x, y, kAtlasWidePanel);
  DrawAtlas(x + 4.0f, y + 20.0f, kAtlasStatusHeading);
  struct Row {
    const AtlasRect& label;
    int32_t value;
  };
  const Row left[] = {{kAtlasStatsAttackLabel, SaturateToInt32(int64_t{m.attack} + EquipPower(m.weapon))},
                      {kAtlasStatsDefenceLabel, SaturateToInt32(int64_t{m.defence} + EquipPower(m.armour))},
                      {kAtlasStatsMagicLabel, m.magic},
                      {kAtlasStatsMagicDefenceLabel, m.magicDefence}};
  const Row right[] = {{kAtlasMoveLabel, m.move},
                       {kAtlasHitLabel, m.hitTerm},
                       {kAtlasGrowth1Label, m.growth1},
                       {kAtlasGrowth2Label, m.growth2}};
  for (int i = 0; i < 4; ++i) {
    const float rowY = y + 45.0f + 25.0f * F(i);
    DrawAtlas(x + 4.0f, rowY, left[i].label);
    DrawNumberSmall(x + 84.0f, rowY + 2.0f, left[i].value);
    DrawAtlas(x + 324.0f, rowY, right[i].label);
    DrawNumberSmall(x + 404.0f, rowY + 2.0f, right[i].value);
  }
  DrawAtlas(x, 478.0f, kAtlasBottomStrip);
}

void DrawAilmentIcons(float x, float y, int32_t status) {
  if (status == 0) {
    DrawAtlas(x, y, kAtlasAilmentNormal);
    return;
  }
  if (status & kStatusPoison) DrawAtlas(x, y, kAtlasAilmentPoison);
  if (status & kStatusCannotAct) {
    DrawAtlas((status & kStatusPoison) ? x + kPoisonIconWidth + kIconGap : x, y, kAtlasAilmentStun);
  }
}

void DrawStatusText(float x, float y, int32_t status) {
  if (status == 0) {
    DrawAtlas(x, y, kAtlasAilmentWordNormal);
    return;
  }
  if (status & kStatusPoison) {
    DrawAtlas(x, y, kAtlasAilmentWordPoison);
    x += RectWidth(kAtlasAilmentWordPoison) + kWordGap;
  }
  if (status & kStatusCannotAct) DrawAtlas(x, y, kAtlasAilmentWordStun);
}

void DrawListArrow(float x, float y, float step, int32_t index) { DrawAtlas(x, y + F(index) * step, kAtlasListArrow); }

void DrawFace(float x, float y, int32_t id) {
  if (id >= 0 && id < kPartyRows) DrawAtlas(x, y, g_faceRects[id]);
}
