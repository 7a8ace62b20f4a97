#include "event/fade.h"

#include <algorithm>

#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"

namespace {
constexpr int32_t kFadeStep = 5;
constexpr int32_t kOverlayStep = 10;
constexpr int32_t kAlphaMax = 255;
}  // namespace

int FadeStart(int32_t mode) {
  TaskSlot* slot = TaskAllocAt(kSlotFade);
  if (!slot) return 0;
  TaskStart(slot, kTaskIdFade, 0, FadeUpdate, FadeDraw);
  FadeData* fade = TaskDataInit<FadeData>(slot);
  fade->live = 1;
  fade->alpha = mode;
  fade->step = mode == kFadeCovered ? FadeStepCover : FadeStepReveal;
  return 1;
}

void FadeUpdate(TaskSlot* slot) { TaskRunStep<FadeData>(slot); }

void FadeDraw(TaskSlot* slot) { DrawScreenCover(TaskData<FadeData>(slot)->alpha); }

// A cover holds at full until something removes it.
void FadeStepCover(FadeData* fade) { fade->alpha = std::min(fade->alpha + kFadeStep, kAlphaMax); }

void FadeStepReveal(FadeData* fade) {
  fade->alpha -= kFadeStep;
  if (fade->alpha > 0) return;
  fade->alpha = 0;
  fade->live = 0;
}

void DrawScreenCover(int32_t alpha) {
  const auto a = static_cast<uint32_t>(std::clamp(alpha, 0, kAlphaMax));
  FillScreenPatternColour(kAtlasFadePatch.left, kAtlasFadePatch.top, kAtlasFadePatch.right, kAtlasFadePatch.bottom,
                          a << 24 | 0xFFFFFFu);
}

void EventCmdFadeCover(EventContext*) { FadeStart(kFadeCovered); }

// While a cover still holds the fade slot this does nothing: the script removes the
// cover first.
void EventCmdFadeReveal(EventContext*) { FadeStart(kFadeRevealed); }

void EventCmdFadeStop(EventContext*) {
  TaskSlot* slot = TaskFindById(kTaskIdFade);
  if (slot) TaskData<FadeData>(slot)->live = 0;
}

void EventCmdOverlayIn(EventContext* context) { context->step = EventStepOverlayIn; }

void EventStepOverlayIn(EventContext* context) {
  context->overlayAlpha += kOverlayStep;
  if (context->overlayAlpha < kAlphaMax + 1) return;
  context->overlayAlpha = kAlphaMax;
  context->step = EventStepReadCommand;
}
