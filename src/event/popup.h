// Short screen effects over a unit or a walker: a number that pops up digit by digit in
// the damage or recovery colours, and a picture that rises and vanishes. Both live in
// the effect slots; battles and scenes wait while any of them is on screen.
#pragma once

#include <cstdint>

#include "engine/rect.h"
#include "engine/task.h"

enum PopupColourRow : int32_t { kPopupDamage = 0, kPopupRecovery = 1 };

struct NumberPopupDigitData;
using NumberPopupDigitStep = void (*)(NumberPopupDigitData* digit);

struct NumberPopupDigitData {
  int32_t live;
  float x, y;       // screen pixels
  int32_t counter;  // the delay, then the hold
  int32_t bounceIndex;
  AtlasRect picture;
  NumberPopupDigitStep state;
};

struct PopupSpriteData {
  int32_t live;
  float x, y;
  float width;
  int32_t frames;
  AtlasRect picture;
};

constexpr int kPopupDigitsShown = 5;  // a longer number shows its first five digits
constexpr int kPopupBounceFrames = 12;
constexpr int32_t kPopupDigitHold = 30;
constexpr int32_t kPopupDigitDelay = 6;  // between one digit's jump and the next
constexpr int32_t kPopupSpriteFrames = 50;

// The value (truncated) over the projected world point, centred, each digit jumping 6
// updates after the one before. Digits that find no effect slot are not shown.
void NumberPopupSpawn(float x, float y, float z, float value, int32_t row);
// 1, or 0 when no effect slot is free.
int NumberPopupDigitCreate(float x, float y, int32_t delay, int32_t digit, int32_t row);
// A picture rising from the projected world point for 50 updates; 0 without a slot.
int PopupSpriteCreate(float x, float y, float z, const AtlasRect& picture);

// The digit pictures of a row (0 damage, 1 recovery; others read as damage).
const AtlasRect& PopupDigitPicture(int32_t row, int32_t digit);

void NumberPopupDigitUpdate(TaskSlot* slot);
void NumberPopupDigitDraw(TaskSlot* slot);
void NumberPopupDigitDelay(NumberPopupDigitData* digit);
void NumberPopupDigitBounce(NumberPopupDigitData* digit);
void NumberPopupDigitHold(NumberPopupDigitData* digit);
void PopupSpriteUpdate(TaskSlot* slot);
void PopupSpriteDraw(TaskSlot* slot);
