#include "event/notice.h"

#include "data/game_state.h"
#include "data/items.h"
#include "data/money.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "event/field_commands.h"
#include "field/map.h"

namespace {

constexpr float kMoneyWindowY = 120.0f;
constexpr float kItemWindowY = 160.0f;
constexpr float kItemLineY = 163.0f;
constexpr float kCaptionGap = 4.0f;

void CollectOnConfirm(ItemDialogData* dialog) {
  if (KeyConfirmPressed()) ItemDialogCollect(dialog);
}

bool ArgumentsValid(const ItemDialogData& dialog) {
  if (dialog.flag < 0 || dialog.flag >= kEventFlagCount) return false;
  return dialog.mode == kItemDialogMoney || ItemIdValid(dialog.item);
}

void DrawMoneyNotice(const ItemDialogData& dialog) {
  const plat::Texture* atlas = g_atlasTexture.get();
  const float left = DrawWindowCentred(kMoneyWindowY, kAtlasNoticeWindow, kAtlasSize, kAtlasSize, kColourOpaque, atlas);
  const float w = NumberWidth(dialog.amount);
  const float gap = RoundToNearest((RectWidth(kAtlasNoticeWindow) - (w + RectWidth(kAtlasNoticeMoneyCaption))) / 2.0f);
  DrawNumberSmall(left + gap, kMoneyWindowY + 3.0f, dialog.amount);
  DrawAtlas(left + gap + w + kCaptionGap, kMoneyWindowY + 2.0f, kAtlasNoticeMoneyCaption);
}

// The name and its caption stand together in the middle of the screen.
void DrawItemNotice(const ItemDialogData& dialog) {
  DrawWindowCentred(kItemWindowY, kAtlasNoticeWindow, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
  if (!ItemIdValid(dialog.item)) return;
  const AtlasRect& name = g_itemTable[dialog.item].nameRect;
  const float x = RoundToNearest((640.0f - (RectWidth(name) + 123.0f)) / 2.0f);
  DrawAtlas(x, kItemLineY, name);
  DrawAtlas(RoundToNearest(x + RectWidth(name) + kCaptionGap), kItemLineY, kAtlasNoticeItemCaption);
}

}  // namespace

void EventCmdItemDialog(EventContext* context) {
  TaskSlot* slot = TaskAllocAt(kSlotNotice);
  if (!slot) return;
  TaskStart(slot, kTaskIdNotice, 0, ItemDialogUpdate, ItemDialogDraw);
  ItemDialogData* dialog = TaskDataInit<ItemDialogData>(slot);
  dialog->live = 1;
  dialog->mode = EventArgNumber(context);
  const int32_t value = EventArgNumber(context);
  (dialog->mode == kItemDialogMoney ? dialog->amount : dialog->item) = value;
  dialog->cellX = EventArgNumber(context);
  dialog->cellY = EventArgNumber(context);
  dialog->tag = EventArgNumber(context);
  dialog->flag = EventArgNumber(context);
  dialog->step = ItemDialogBegin;
  // A notice that could only index past the item table or the flags is never shown.
  if (!ArgumentsValid(*dialog)) slot->inUse = 0;
}

void ItemDialogUpdate(TaskSlot* slot) { TaskRunStep<ItemDialogData>(slot); }

void ItemDialogDraw(TaskSlot* slot) {
  const ItemDialogData* dialog = TaskData<ItemDialogData>(slot);
  if (dialog->step == ItemDialogWaitMoney) {
    DrawMoneyNotice(*dialog);
  } else if (dialog->step == ItemDialogWaitItem) {
    DrawItemNotice(*dialog);
  } else if (dialog->step == ItemDialogWaitFull) {
    DrawSpriteCentred(kAtlasNoticeBagFull, kMoneyWindowY, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
  }
}

// Every mode but money hands over an item, so no mode can leave the notice stuck here.
void ItemDialogBegin(ItemDialogData* dialog) {
  dialog->step = dialog->mode == kItemDialogMoney ? ItemDialogGiveMoney : ItemDialogGiveItem;
}

void ItemDialogGiveMoney(ItemDialogData* dialog) {
  MoneyAdd(dialog->amount);
  SoundRequest(kSoundReceive, 0);
  dialog->step = ItemDialogWaitMoney;
}

void ItemDialogGiveItem(ItemDialogData* dialog) {
  if (InventoryCanAdd(dialog->item, 1)) {
    InventoryAddOne(dialog->item);
    SoundRequest(kSoundReceive, 0);
    dialog->step = ItemDialogWaitItem;
  } else {
    SoundRequest(kSoundRefuse, 0);
    dialog->step = ItemDialogWaitFull;
  }
}

void ItemDialogWaitMoney(ItemDialogData* dialog) { CollectOnConfirm(dialog); }

void ItemDialogWaitItem(ItemDialogData* dialog) { CollectOnConfirm(dialog); }

// The treasure stays where it is, to be taken once there is room.
void ItemDialogWaitFull(ItemDialogData* dialog) {
  if (KeyConfirmPressed()) dialog->live = 0;
}

void ItemDialogCollect(ItemDialogData* dialog) {
  float x = static_cast<float>(dialog->cellX);
  float z = static_cast<float>(dialog->cellY);
  MapCellToWorld(&x, &z);
  MapSetCollision(x, z, kCollisionFree);
  ObjectsRemoveByTag(dialog->tag);  // tag 0 removes nothing
  g_eventFlags[dialog->flag] = 1;
  dialog->live = 0;
}

float NumberWidth(int32_t n) {
  int32_t digits[7];
  const int count = n < 0 ? 0 : NumberToDigits(n, digits);
  float width = 0.0f;
  for (int i = 0; i < count; ++i) width += RectWidth(g_digitsSmall[digits[i]]);
  return width;
}
