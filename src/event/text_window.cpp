#include "event/text_window.h"

#include <cstring>

#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "event/fade.h"

const AtlasRect g_portraitRects[kPortraitCount] = {
    kAtlasPortrait00, kAtlasPortrait01, kAtlasPortrait02, kAtlasPortrait03, kAtlasPortrait04, kAtlasPortrait05,
    kAtlasPortrait06, kAtlasPortrait07, kAtlasPortrait08, kAtlasPortrait09, kAtlasPortrait10, kAtlasPortrait11,
    kAtlasPortrait12, kAtlasPortrait13, kAtlasPortrait14, kAtlasPortrait15, kAtlasPortrait16, kAtlasPortrait17,
    kAtlasPortrait18, kAtlasPortrait19, kAtlasPortrait20, kAtlasPortrait21,
};

namespace {

constexpr uint32_t kWindowColour = 0x64FFFFFF;  // the scene shows through the inside
constexpr float kLineSpacing = 28.0f;
constexpr float kChoiceBarX = 126.0f;
constexpr float kChoiceBarY = 420.0f;

// Reads one message line of the script into line i and its glyph row.
void ReadLine(EventContext* context, int i) {
  EventReadString(context->lines[i], kEventLineBytes, &context->readPosition, EventScriptBase(context));
  TextToGlyphs(context->sourceGlyphs[i], context->lines[i]);
}

void ShowAll(EventContext* context) {
  std::memcpy(context->shownGlyphs, context->sourceGlyphs, sizeof context->shownGlyphs);
}

}  // namespace

void TextWindowClear(EventContext* context) {
  context->typingColumn = 0;
  context->typingLine = 0;
  std::memset(context->lines, 0, sizeof context->lines);
  std::memset(context->sourceGlyphs, 0, sizeof context->sourceGlyphs);
  std::memset(context->shownGlyphs, 0, sizeof context->shownGlyphs);
}

void EventCmdText(EventContext* context) {
  TextWindowClear(context);
  int32_t count = EventReadNumber(&context->readPosition, EventScriptBase(context));
  // The window has three lines; lines beyond them are text the next fetch skips.
  if (count > kEventLineCount) count = kEventLineCount;
  context->lineCount = count;
  for (int i = 0; i < count; ++i) ReadLine(context, i);
}

void EventCmdChoice(EventContext* context) {
  TextWindowClear(context);
  context->choice = 0;
  context->lineCount = kEventLineCount;
  for (int i = 0; i < kEventLineCount; ++i) ReadLine(context, i);
  ShowAll(context);
  for (char* label : context->labels) {
    EventReadString(label, kEventLabelBytes, &context->readPosition, EventScriptBase(context));
  }
}

void EventCmdPortrait(EventContext* context) {
  context->portrait = EventReadNumber(&context->readPosition, EventScriptBase(context));
}

void EventCmdWindow(EventContext* context) {
  context->windowShown = EventReadNumber(&context->readPosition, EventScriptBase(context)) != 0 ? 1 : 0;
}

void EventCmdBlackout(EventContext* context) {
  context->blackout = EventReadNumber(&context->readPosition, EventScriptBase(context)) == 1 ? 1 : 0;
}

void TextWindowStep(EventContext* context) {
  if (context->typingLine < kEventLineCount) {
    TextTypeStep(context);
  } else {
    TextWaitConfirmStep(context);
  }
}

// One glyph a frame; a glyph 0 (or the end of the row) finishes the line, so every line
// takes one frame more than its glyphs, and all three lines are walked through.
void TextTypeStep(EventContext* context) {
  if (KeyConfirmPressed()) {
    context->typingLine = kEventLineCount;
    ShowAll(context);
    SoundRequest(kSoundCursor, 0);
    return;
  }
  const int line = context->typingLine;
  const int column = context->typingColumn;
  const int32_t g = column < kGlyphRowLength ? context->sourceGlyphs[line][column] : 0;
  if (g != 0) {
    context->shownGlyphs[line][column] = g;
    ++context->typingColumn;
  } else {
    ++context->typingLine;
    context->typingColumn = 0;
  }
}

// The press that revealed the whole message does not also close it: this step first
// runs on the frame after.
void TextWaitConfirmStep(EventContext* context) {
  if (!KeyConfirmPressed()) return;
  context->step = EventStepReadCommand;
  SoundRequest(kSoundCursor, 0);
}

// The highlight does not wrap; every press sounds, even one that cannot move it.
void EventChoiceStep(EventContext* context) {
  if (KeyConfirmPressed()) {
    context->step = EventStepReadCommand;
    SoundRequest(kSoundCursor, 0);
    const int answer = context->choice == 1 ? 1 : 0;
    EventJumpToLabel(context, EventScriptBase(context), context->labels[answer]);
  } else if (KeyPressed(kKeyDown)) {
    context->choice = 1;
    SoundRequest(kSoundCursor, 0);
  } else if (KeyPressed(kKeyUp)) {
    context->choice = 0;
    SoundRequest(kSoundCursor, 0);
  }
}

void DrawBlackout() {
  FillScreenPattern(kAtlasEventBlackout.left, kAtlasEventBlackout.top, kAtlasEventBlackout.right,
                    kAtlasEventBlackout.bottom);
}

void DrawPortrait(int32_t portrait) {
  if (portrait < 0 || portrait >= kPortraitCount) return;
  const AtlasRect& rect = g_portraitRects[portrait];
  DrawSprite(-4.0f, 480.0f - RectHeight(rect), rect, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
}

void DrawEventWindow() {
  DrawWindow(124.0f, 384.0f, kAtlasEventWindow, kAtlasSize, kAtlasSize, kWindowColour, g_atlasTexture.get());
}

void DrawEventChoiceCursor(int32_t choice) {
  const float y = choice == 1 ? kChoiceBarY + kLineSpacing : kChoiceBarY;
  DrawSprite(kChoiceBarX, y, kAtlasEventChoiceBar, kAtlasSize, kAtlasSize, kWindowColour, g_atlasTexture.get());
}

// Each line's glyphs sit in a 20-pixel band 8 pixels below the line's top.
void DrawTextLines(const EventContext* context, float x0, float y0) {
  const int lines = context->lineCount < kEventLineCount ? context->lineCount : kEventLineCount;
  for (int i = 0; i < lines; ++i) {
    const float top = y0 + kLineSpacing * static_cast<float>(i);
    DrawGlyphRow(x0 + 16.0f, top + 8.0f, context->shownGlyphs[i], kGlyphRowLength);
  }
}

void DrawEventOverlay(int32_t alpha) { DrawScreenCover(alpha); }

// The event task draws its own screen: cover, portrait, window, lines, choice cursor
// and overlay.
void EventDraw(TaskSlot* slot) {
  const EventContext* context = TaskData<EventContext>(slot);
  if (context->blackout == 1) DrawBlackout();
  DrawPortrait(context->portrait);
  if (context->windowShown == 1) DrawEventWindow();
  if (context->step == TextWindowStep) DrawTextLines(context, 124.0f, 384.0f);
  if (context->step == EventChoiceStep) {
    DrawEventChoiceCursor(context->choice);
    DrawTextLines(context, 124.0f, 384.0f);
  }
  if (context->overlayAlpha > 0) DrawEventOverlay(context->overlayAlpha);
}
