// Ways a script covers the screen: the fade task over everything, the event's own
// overlay over its window, both tiling the fade patch with a varying alpha.
#pragma once

#include <cstdint>

#include "engine/task.h"
#include "event/event.h"

constexpr int32_t kFadeCovered = 0;     // FadeStart mode: rise to covered and hold
constexpr int32_t kFadeRevealed = 255;  // FadeStart mode: fall from covered and end

struct FadeData;
using FadeStep = void (*)(FadeData* fade);

struct FadeData {
  int32_t live;
  int32_t alpha;  // 0 to 255
  FadeStep step;
};

// 1 when the fade was created; 0 while the fade slot is busy (a cover still held).
int FadeStart(int32_t mode);
void FadeUpdate(TaskSlot* slot);
void FadeDraw(TaskSlot* slot);
void FadeStepCover(FadeData* fade);
void FadeStepReveal(FadeData* fade);

// The fade patch tiled over the whole screen in white with this alpha (0 to 255).
void DrawScreenCover(int32_t alpha);

void EventCmdFadeCover(EventContext* context);
void EventCmdFadeReveal(EventContext* context);
void EventCmdFadeStop(EventContext* context);
void EventCmdOverlayIn(EventContext* context);
void EventStepOverlayIn(EventContext* context);
