// The title screen, the one place the game returns to, with its two yes/no prompts
// (start a new game, quit) and the new-game reset itself.
#pragma once

#include <cstdint>

#include "engine/rect.h"
#include "engine/task.h"

// Which of the two bottom banners the title shows. It flips each time a title ends by
// confirming an entry, so the banner alternates from one visit to the next.
extern int32_t g_titleBanner;

struct TitleData;
using TitleStep = void (*)(TitleData* title);

// The title task's record: six entries on a grid of two columns and three rows.
struct TitleData {
  int32_t live;
  int32_t selection;  // always column + 2 x row
  int32_t column;     // 0 or 1
  int32_t row;        // 0 to 2
  TitleStep step;
};

constexpr int kTitleColumns = 2;
constexpr int kTitleRows = 3;
enum TitleEntry : int32_t {
  kTitleNewGame = 0,
  kTitleQuit = 1,
  kTitleOptions = 2,
  kTitleLoad = 3,
  kTitleGallery = 4,
  kTitlePicture = 5,
};

// Where the title puts its pictures, in screen pixels.
constexpr float kTitleLogoY = 10.0f;
constexpr float kTitlePanelY = 140.0f;
constexpr float kTitleButtonInset = 2.0f;  // from the panel's top-left corner to button 0
constexpr float kTitleButtonPitchX = 183.0f;
constexpr float kTitleButtonPitchY = 30.0f;
constexpr float kTitleCaptionX = 4.0f;
constexpr float kTitleCaptionY = 464.0f;

// One answer of a prompt: where it sits on the screen and its picture.
struct PromptLabel {
  float x, y, width, height;
  AtlasRect picture;
};
static_assert(sizeof(PromptLabel) == 32);

// A yes/no prompt's record. It has no live word and no stored state: the slot's own
// update callback moves from the opening step to the input step, and the input ends
// the prompt by freeing its slot.
struct PromptData {
  int32_t choice;  // 0 no (the upper answer), 1 yes
  PromptLabel labels[2];
};
static_assert(sizeof(PromptData) == 68);

constexpr float kPromptWindowY = 150.0f;
constexpr float kPromptQuestionY = 166.0f;
constexpr float kPromptLabelY = 214.0f;
constexpr float kPromptLabelPitch = 32.0f;
constexpr float kPromptCursorX = 232.0f;

// The title task in its slot with the title music, cursor on new game. 0 (and no
// music) when a title already exists or its slot is busy.
int TitleOpen();
// Every task ends, then the title opens.
void TitleReturn();
void TitleTaskUpdate(TaskSlot* slot);
void TitleStepBegin(TitleData* title);
void TitleMenuInput(TitleData* title);
void TitleDraw(TaskSlot* slot);
void DrawTitleBanner();
// A rectangle of the interface atlas at (x, y) at its own size, opaque.
void DrawFullScreenPicture(float x, float y, float left, float top, float right, float bottom);

// What confirming each entry does; each runs after every task has been killed. The load
// entry is the save screen's (LoadScreenOpenFromTitle).
void TitleEntryNewGame();
void TitleEntryQuit();
void TitleEntryOptions();
void TitleEntryGallery();
void TitleEntryPicture();

// Nothing happens when a prompt of the kind exists or its slot is busy.
void NewGamePromptOpen();
void QuitPromptOpen();
void NewGamePromptBegin(TaskSlot* slot);
void NewGamePromptInput(TaskSlot* slot);
void QuitPromptBegin(TaskSlot* slot);
void QuitPromptInput(TaskSlot* slot);
void NewGamePromptDraw(TaskSlot* slot);
void QuitPromptDraw(TaskSlot* slot);

// Every task ends and the frame loop shuts the program down at the end of this frame.
void GameQuit();
