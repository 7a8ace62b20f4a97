#include "event/popup.h"

#include <cstdint>

#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/draw2d.h"

namespace {

// The jump: up, a breath at the top, and down to where it started.
constexpr float kBounce[kPopupBounceFrames] = {-8, -6, -4, -2, -1, 0, 0, 1, 2, 4, 6, 8};

const AtlasRect kDigitRows[2][10] = {
    {kAtlasDigitDamage0, kAtlasDigitDamage1, kAtlasDigitDamage2, kAtlasDigitDamage3, kAtlasDigitDamage4,
     kAtlasDigitDamage5, kAtlasDigitDamage6, kAtlasDigitDamage7, kAtlasDigitDamage8, kAtlasDigitDamage9},
    {kAtlasDigitRecovery0, kAtlasDigitRecovery1, kAtlasDigitRecovery2, kAtlasDigitRecovery3, kAtlasDigitRecovery4,
     kAtlasDigitRecovery5, kAtlasDigitRecovery6, kAtlasDigitRecovery7, kAtlasDigitRecovery8, kAtlasDigitRecovery9},
};

}  // namespace

const AtlasRect& PopupDigitPicture(int32_t row, int32_t digit) {
  const int r = row == kPopupRecovery ? 1 : 0;
  const int d = digit >= 0 && digit <= 9 ? digit : 0;
  return kDigitRows[r][d];
}

void NumberPopupSpawn(float x, float y, float z, float value, int32_t row) {
  float screen[2];
  WorldToScreen(screen, x, y, z);
  int32_t digits[7];
  // A value past seven digits shows none, and is never converted to an int it cannot fit.
  const int32_t whole = value < 1e8f ? (value > -1e8f ? static_cast<int32_t>(value) : -1) : INT32_MAX;
  int count = NumberToDigits(whole, digits);
  if (count > kPopupDigitsShown) count = kPopupDigitsShown;
  float total = 0.0f;
  for (int i = 0; i < count; ++i) total += RectWidth(PopupDigitPicture(row, digits[i]));
  float pen = screen[0] - total / 2.0f;
  for (int i = 0; i < count; ++i) {
    NumberPopupDigitCreate(pen, screen[1], kPopupDigitDelay * i, digits[i], row);
    pen += RectWidth(PopupDigitPicture(row, digits[i]));
  }
}

int NumberPopupDigitCreate(float x, float y, int32_t delay, int32_t digit, int32_t row) {
  TaskSlot* slot = TaskStart(TaskAllocEffect(), kTaskIdDamageDigits, 0, NumberPopupDigitUpdate, NumberPopupDigitDraw);
  if (!slot) return 0;
  NumberPopupDigitData* d = TaskDataInit<NumberPopupDigitData>(slot);
  d->live = 1;
  d->x = x;
  d->y = y;
  d->counter = delay;
  d->picture = PopupDigitPicture(row, digit);
  d->state = NumberPopupDigitDelay;
  return 1;
}

void NumberPopupDigitUpdate(TaskSlot* slot) {
  NumberPopupDigitData* d = TaskData<NumberPopupDigitData>(slot);
  if (d->state) d->state(d);
  if (d->live == 0) slot->inUse = 0;
}

void NumberPopupDigitDraw(TaskSlot* slot) {
  const NumberPopupDigitData* d = TaskData<NumberPopupDigitData>(slot);
  DrawAtlas(d->x, d->y, d->picture);
}

void NumberPopupDigitDelay(NumberPopupDigitData* d) {
  if (--d->counter > 0) return;
  d->bounceIndex = 0;
  d->state = NumberPopupDigitBounce;
}

void NumberPopupDigitBounce(NumberPopupDigitData* d) {
  d->y += kBounce[d->bounceIndex];
  if (++d->bounceIndex < kPopupBounceFrames) return;
  d->bounceIndex = kPopupBounceFrames - 1;
  d->counter = kPopupDigitHold;
  d->state = NumberPopupDigitHold;
}

void NumberPopupDigitHold(NumberPopupDigitData* d) {
  if (--d->counter < 1) d->live = 0;
}

int PopupSpriteCreate(float x, float y, float z, const AtlasRect& picture) {
  TaskSlot* slot = TaskStart(TaskAllocEffect(), kTaskIdPopupSprite, 0, PopupSpriteUpdate, PopupSpriteDraw);
  if (!slot) return 0;
  PopupSpriteData* p = TaskDataInit<PopupSpriteData>(slot);
  float screen[2];
  WorldToScreen(screen, x, y, z);
  p->live = 1;
  p->picture = picture;
  p->width = RectWidth(picture);
  p->x = screen[0] - p->width / 2.0f;
  p->y = screen[1];
  return 1;
}

void PopupSpriteUpdate(TaskSlot* slot) {
  PopupSpriteData* p = TaskData<PopupSpriteData>(slot);
  p->y -= 1.0f;
  if (++p->frames >= kPopupSpriteFrames) slot->inUse = 0;
}

void PopupSpriteDraw(TaskSlot* slot) {
  const PopupSpriteData* p = TaskData<PopupSpriteData>(slot);
  DrawAtlas(p->x, p->y, p->picture);
}
