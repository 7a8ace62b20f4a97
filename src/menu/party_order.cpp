#include "menu/party_order.h"

#include <algorithm>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "menu/menu_common.h"
#include "menu/party_menu.h"
#include "menu/party_panels.h"

namespace {

constexpr float kPartyListY = 36.0f;
constexpr float kOrderListY = 276.0f;
constexpr float kQuestionY = 150.0f;
constexpr float kHintY = 456.0f;

void EmptyPlace(CharacterRecord* place) {
  *place = CharacterRecord{};
  place->id = kOrderPlaceEmpty;
}

void Go(PartyOrderData* order, PartyOrderStep step) { order->step = step; }

void DrawOrderList(const CharacterRecord* records, float y, int32_t highlight) {
  DrawAtlas(0.0f, y, kAtlasPartyPanel);
  for (int32_t i = 0; i < PartySize(); ++i) {
    const float rowY = y + 8.0f + 28.0f * static_cast<float>(i);
    DrawNumberSmall(20.0f, rowY, i + 1);
    DrawPicture(40.0f, rowY, records[i].namePicture);
    if (i == highlight) DrawAtlas(8.0f, rowY - 1.0f, kAtlasMenuCursor);
  }
}

}  // namespace

int PartyOrderOpen(PartyMenuData* menu) {
  menu->live = 0;
  return PartyOrderCreate();
}

int PartyOrderCreate() {
  TaskSlot* slot = TaskStart(TaskAllocAt(kSlotPartyOrder), kTaskIdPartyOrder, 0, PartyOrderUpdate, PartyOrderDraw);
  if (!slot) return 0;
  PartyOrderData* order = TaskDataInit<PartyOrderData>(slot);
  order->live = 1;
  for (CharacterRecord& place : order->order) EmptyPlace(&place);
  order->step = PartyOrderPickBegin;
  return 1;
}

void PartyOrderUpdate(TaskSlot* slot) {
  if (MenuTaskStep<PartyOrderData>(slot)) PartyMenuOpen();
}

int PartyOrderIsPicked(const PartyOrderData* order) {
  if (order->cursor < 0 || order->cursor >= kPartyRows) return 0;
  const int32_t id = g_party[order->cursor].id;
  for (const CharacterRecord& place : order->order) {
    if (place.id == id) return 1;
  }
  return 0;
}

void PartyOrderApply(const PartyOrderData* order) {
  for (int32_t i = 0; i < PartySize(); ++i) g_party[i] = order->order[i];
}

void PartyOrderPickBegin(PartyOrderData* order) { Go(order, PartyOrderPick); }

// Escape takes the picks back one at a time, last first, and leaves only when none is
// left. The question needs one more confirm after the last pick.
void PartyOrderPick(PartyOrderData* order) {
  const int32_t count = PartySize();
  if (KeyPressed(kKeyEscape)) {
    if (--order->picked >= 0) {
      EmptyPlace(&order->order[order->picked]);
    } else {
      order->picked = 0;
      order->live = 0;
    }
  } else if (KeyPressed(kKeyUp)) {
    order->cursor = WrapStep(order->cursor, -1, count);
  } else if (KeyPressed(kKeyDown)) {
    order->cursor = WrapStep(order->cursor, 1, count);
  } else if (KeyConfirmPressed()) {
    if (order->picked > count - 1) {
      order->choice = 0;
      Go(order, PartyOrderConfirmBegin);
    } else if (PartyOrderIsPicked(order)) {
      MenuSound(kSoundRefuse);
      return;
    } else {
      order->order[order->picked++] = g_party[order->cursor];
    }
  } else {
    return;
  }
  MenuSound(kSoundCursor);
}

void PartyOrderConfirmBegin(PartyOrderData* order) { Go(order, PartyOrderConfirm); }

// No wrap here, and no cancel key: No goes back to the picks as they stand.
void PartyOrderConfirm(PartyOrderData* order) {
  if (KeyPressed(kKeyUp)) {
    order->choice = std::max(order->choice - 1, 0);
  } else if (KeyPressed(kKeyDown)) {
    order->choice = std::min(order->choice + 1, 1);
  } else if (KeyConfirmPressed()) {
    if (order->choice == 1) {
      PartyOrderApply(order);
      order->live = 0;
    } else {
      Go(order, PartyOrderPickBegin);
    }
  } else {
    return;
  }
  MenuSound(kSoundCursor);
}

void PartyOrderDraw(TaskSlot* slot) {
  const PartyOrderData* order = TaskData<PartyOrderData>(slot);
  const AtlasRect& tile = kAtlasMenuTile;
  FillScreenPattern(tile.left, tile.top, tile.right, tile.bottom);
  DrawAtlas(20.0f, 8.0f, kAtlasOrderHeading);
  DrawOrderList(g_party, kPartyListY, order->cursor);
  if (order->cursor >= 0 && order->cursor < kPartyRows) DrawFace(500.0f, 52.0f, g_party[order->cursor].id);
  DrawAtlas(20.0f, 248.0f, kAtlasOrderHeading2);
  DrawOrderList(order->order, kOrderListY, std::clamp(order->picked, 0, std::max(PartySize() - 1, 0)));
  if (order->step == PartyOrderConfirm) {
    DrawYesNoBox(kQuestionY, order->choice, kAtlasAskBox, kAtlasOrderQuestion, kNoYesAnswers);
  }
  DrawSpriteCentred(kAtlasOrderHint, kHintY, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
}
