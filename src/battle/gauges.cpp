#include "battle/gauges.h"

#include "data/items.h"
#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"

namespace {

constexpr float kStatusIconPitch = 12.0f;
constexpr float kBoostIconPitch = 32.0f;

void DrawBar(float x, float y, const AtlasRect& bar, int32_t width) {
  if (width <= 0) return;
  DrawAtlas(x, y, {bar.left, bar.top, bar.left + static_cast<float>(width), bar.bottom});
}

const AtlasRect* ItemName(int32_t id) { return ItemIdValid(id) ? &g_itemTable[id].nameRect : nullptr; }

}  // namespace

int32_t GaugeWidth(int32_t value, int32_t maximum) {
  if (maximum <= 0) return 0;
  const float w = RoundToNearest(static_cast<float>(value) / static_cast<float>(maximum) * kGaugeWidth);
  if (w <= 0.0f) return 0;
  return w >= kGaugeWidth ? static_cast<int32_t>(kGaugeWidth) : static_cast<int32_t>(w);
}

void DrawUnitGauges(const UnitData* unit) {
  const CharacterRecord& r = unit->record;
  float screen[2];
  WorldToScreen(screen, unit->x, unit->y, unit->z);
  const float sx = RoundToNearest(screen[0]), sy = RoundToNearest(screen[1]);
  DrawAtlas(sx, sy + 10.0f, kAtlasGaugeFrame);
  DrawBar(sx + 2.0f, sy + 12.0f, r.side == 0 ? kAtlasGaugeHpParty : kAtlasGaugeHpEnemy, GaugeWidth(r.hp, r.maxHp));
  if (r.side != 0) return;
  if (r.characterClass == kClassCaster) {
    DrawAtlas(sx, sy + 17.0f, kAtlasGaugeFrame);
    DrawBar(sx + 2.0f, sy + 19.0f, kAtlasGaugeMp, GaugeWidth(r.mp, r.maxMp));
  }
  if (r.status != 0) DrawStatusIcons(sx, sy - 5.0f, r.status);
  DrawBoostIcons(unit, sx, sy + 24.0f);
}

void DrawStatusIcons(float x, float y, int32_t status) {
  if (status & kStatusPoison) {
    DrawAtlas(x, y, kAtlasIconPoisonSmall);
    x += kStatusIconPitch;
  }
  if (status & kStatusCannotAct) DrawAtlas(x, y, kAtlasIconStunSmall);
}

void DrawBoostIcons(const UnitData* unit, float x, float y) {
  if (unit->guard > 0) {
    DrawAtlas(x, y, kAtlasIconGuard);
    x += kBoostIconPitch;
  }
  if (unit->magicGuard > 0) DrawAtlas(x, y, kAtlasIconMagicGuard);
}

void DrawStatusPanel(float x, float y, const CharacterRecord& record) {
  DrawWindow(x, y, kAtlasStatusPanel, kAtlasSize, kAtlasSize, kColourDisabled, g_atlasTexture.get());
  DrawAtlas(x + 3.0f, y + 3.0f, record.namePicture);
  DrawAtlas(x + 4.0f, y + 25.0f, kAtlasPanelHpLabel);
  DrawNumberSmall(x + 28.0f, y + 25.0f, record.hp);
  DrawAtlas(x + 66.0f, y + 24.0f, kAtlasSlashSmall);
  DrawNumberSmall(x + 80.0f, y + 25.0f, record.maxHp);
  DrawAtlas(x + 4.0f, y + 44.0f, kAtlasPanelMpLabel);
  DrawNumberSmall(x + 28.0f, y + 44.0f, record.mp);
  DrawAtlas(x + 66.0f, y + 43.0f, kAtlasSlashSmall);
  DrawNumberSmall(x + 80.0f, y + 44.0f, record.maxMp);
  DrawAilmentIcons(x + 3.0f, y + 61.0f, record.status);
  if (const AtlasRect* weapon = ItemName(record.weapon)) DrawAtlas(x + 3.0f, y + 83.0f, *weapon);
  if (const AtlasRect* armour = ItemName(record.armour)) DrawAtlas(x + 3.0f, y + 105.0f, *armour);
}
