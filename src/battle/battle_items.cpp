#include "battle/battle_items.h"

#include "battle/actions.h"
#include "battle/grid.h"
#include "battle/paged_grid.h"
#include "battle/skills.h"
#include "data/game_state.h"
#include "data/items.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "event/popup.h"

ItemGrid g_itemGrid;

namespace {

constexpr float kCellX = 20.0f;
constexpr float kCellPitchX = 315.0f;
constexpr float kCellY = 384.0f;
constexpr float kCellPitchY = 22.0f;
constexpr float kCountInset = 180.0f;
constexpr float kCursorInset = 14.0f;
constexpr float kStripY = 330.0f;
constexpr int32_t kItemSalve = 13, kItemSecretSalve = 14, kItemMagicWater = 15, kItemHolyWater = 16;
constexpr int32_t kItemAntidote = 17, kItemRestorative = 18;

// An id the table does not hold (the empty 9999 among them) is no item.
const ItemRecord* Item(int32_t id) { return ItemIdValid(id) ? &g_itemTable[id] : nullptr; }

bool UsableInBattle(const ItemRecord& item) { return (item.flags & kItemUsableInBattle) != 0; }

int32_t Capped(int32_t value, int32_t add, int32_t maximum) {
  const int64_t sum = int64_t{value} + add;
  return sum > maximum ? maximum : SaturateToInt32(sum);
}

}  // namespace

int ItemGridSlot(const ItemGrid& g) {
  return g.page * kItemGridColumns * kItemGridRows + g.row * kItemGridColumns + g.column;
}

int GridMenuInput2x4(ItemGrid* g) {
  int result = 0;  // a move sounds but reports nothing
  if (PagedGridArrows(&g->column, &g->row, &g->page, g->pages, kItemGridColumns, kItemGridRows)) {
    result = 0;
  } else if (KeyConfirmPressed()) {
    g->chosenSlot = ItemGridSlot(*g);
    const bool inside = g->chosenSlot >= 0 && g->chosenSlot < kInventorySlots;
    g->chosenItem = inside ? g_inventory[g->chosenSlot].id : kItemEmpty;
    result = 1;
  } else if (KeyPressed(kKeyEscape)) {
    result = -1;
  } else {
    return 0;
  }
  SoundRequest(kSoundCursor, 0);
  return result;
}

void UnitStateItemMenuOpen(UnitData* unit) {
  g_itemGrid = {0, 0, 0, kItemGridPages, 0, kItemEmpty, 0};
  unit->state = UnitStateItemMenu;
}

void UnitStateItemMenu(UnitData* unit) {
  switch (GridMenuInput2x4(&g_itemGrid)) {
    case -1:
      unit->menuCursor = 0;
      unit->state = UnitStateCommandMenu;
      if (unit->moved) {
        GridClearRange();
      } else {
        GridShowMoveRange(unit->x, unit->z, unit->record.move, OtherSide(unit->record.side));
      }
      break;
    case 1:
      unit->item = g_itemGrid.chosenItem;
      UnitItemChosen(unit);
      break;
    default: break;
  }
}

// Equipment, empty slots and items not for battle are passed over without a sound.
void UnitItemChosen(UnitData* unit) {
  const ItemRecord* item = Item(g_itemGrid.chosenItem);
  if (item && UsableInBattle(*item) && item->kind == kItemConsumable) unit->state = UnitStateItemTargetSelect;
}

void UnitStateItemTargetSelect(UnitData* unit) {
  UnitSelectTargetInRange(unit, kItemTargetRange);
  unit->state = UnitStateItemTarget;
}

void UnitStateItemTarget(UnitData*) {}

int UnitItemOnTarget(UnitData* unit, UnitData* target) {
  UnitBeginAction(unit, kAttackWaitFrames, UnitUseItem, target);
  return 1;
}

void UnitUseItem(UnitData* unit) {
  if (UnitData* target = UnitLive(unit->target)) {
    switch (unit->item) {
      case kItemSalve:
      case kItemSecretSalve: UnitItemHealHp(unit, target); break;
      case kItemMagicWater:
      case kItemHolyWater: UnitItemHealMp(unit, target); break;
      case kItemAntidote: UnitItemCureStatus(target, kStatusPoison, kAtlasPopupCurePoison); break;
      case kItemRestorative: UnitItemCureStatus(target, kStatusCannotAct, kAtlasPopupCureStun); break;
      default: break;
    }
  }
  InventoryConsume(g_itemGrid.chosenSlot);
  unit->state = UnitStateItemEffectWait;
  SoundRequest(kSoundRecover, 0);
}

// The whole power shows, also when less was restored.
void UnitItemHealHp(UnitData* unit, UnitData* target) {
  const int32_t power = Item(unit->item) ? Item(unit->item)->power : 0;
  target->record.hp = Capped(target->record.hp, power, target->record.maxHp);
  NumberPopupSpawn(target->x, target->y, target->z, static_cast<float>(power), kPopupRecovery);
  UnitRingCreate(target);
}

void UnitItemHealMp(UnitData* unit, UnitData* target) {
  const int32_t power = Item(unit->item) ? Item(unit->item)->power : 0;
  target->record.mp = Capped(target->record.mp, power, target->record.maxMp);
  NumberPopupSpawn(target->x, target->y, target->z, static_cast<float>(power), kPopupRecovery);
  UnitRingCreate(target);
}

void UnitItemCureStatus(UnitData* target, int32_t mask, const AtlasRect& picture) {
  UnitRingCreate(target);
  PopupSpriteCreate(target->x, target->y, target->z, picture);
  target->record.status &= ~mask;
}

void UnitStateItemEffectWait(UnitData* unit) {
  if (TaskExists(kTaskIdEffect3D)) return;
  unit->state = UnitStateEndAction;
}

void DrawBattleItemGrid(const UnitData*) {
  const plat::Texture* atlas = g_atlasTexture.get();
  DrawWindow(0.0f, 360.0f, kAtlasBattleGridWindow, kAtlasSize, kAtlasSize, kColourDisabled, atlas);
  const ItemGrid& g = g_itemGrid;
  for (int row = 0; row < kItemGridRows; ++row) {
    for (int column = 0; column < kItemGridColumns; ++column) {
      const float x = kCellX + kCellPitchX * static_cast<float>(column);
      const float y = kCellY + kCellPitchY * static_cast<float>(row);
      const int slot = g.page * kItemGridColumns * kItemGridRows + row * kItemGridColumns + column;
      const InventorySlot* s = slot >= 0 && slot < kInventorySlots ? &g_inventory[slot] : nullptr;
      const ItemRecord* item = s ? Item(s->id) : nullptr;
      if (!item) {
        DrawAtlas(x, y, kAtlasEmptySlot);
        continue;
      }
      const uint32_t colour = UsableInBattle(*item) ? kColourOpaque : kColourDisabled;
      DrawAtlas(x, y, item->nameRect, colour);
      DrawNumberSmallColoured(x + kCountInset, y, s->count, colour);
    }
  }
  DrawAtlas(kCellX + kCellPitchX * static_cast<float>(g.column) - kCursorInset,
            kCellY + kCellPitchY * static_cast<float>(g.row), kAtlasMenuCursor);
  DrawWindow(0.0f, kStripY, kAtlasInfoStrip, kAtlasSize, kAtlasSize, kColourDisabled, atlas);
  const int current = ItemGridSlot(g);
  if (current >= 0 && current < kInventorySlots) {
    if (const ItemRecord* item = Item(g_inventory[current].id)) {
      const AtlasRect& info = item->infoRect;
      DrawAtlas(RoundToNearest((640.0f - RectWidth(info)) / 2.0f),
                RoundToNearest(kStripY + (RectHeight(kAtlasInfoStrip) - RectHeight(info)) / 2.0f), info);
    }
  }
  DrawNumberSmall(6.0f, 366.0f, g.page + 1);
  DrawAtlas(30.0f, 366.0f, kAtlasSlashSmall);
  DrawNumberSmall(54.0f, 366.0f, g.pages);
}
