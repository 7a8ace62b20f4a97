// The event's message window: three typed lines with an optional portrait, the
// two-answer choice, the window background and the blackout under it. The window lives
// in the event task's record and is drawn by the event task.
#pragma once

#include "engine/rect.h"
#include "event/event.h"

constexpr int kPortraitCount = 22;
extern const AtlasRect g_portraitRects[kPortraitCount];

void EventCmdText(EventContext* context);
void EventCmdChoice(EventContext* context);
void EventCmdPortrait(EventContext* context);
void EventCmdWindow(EventContext* context);
void EventCmdBlackout(EventContext* context);

void TextWindowClear(EventContext* context);
void TextWindowStep(EventContext* context);
void TextTypeStep(EventContext* context);
void TextWaitConfirmStep(EventContext* context);
void EventChoiceStep(EventContext* context);

void DrawBlackout();
void DrawPortrait(int32_t portrait);
void DrawEventWindow();
void DrawEventChoiceCursor(int32_t choice);
void DrawTextLines(const EventContext* context, float x0, float y0);
void DrawEventOverlay(int32_t alpha);
