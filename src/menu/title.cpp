#include "menu/title.h"

#include "data/flow.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/shell.h"
#include "engine/sound.h"
#include "menu/gallery.h"
#include "menu/menu_common.h"
#include "menu/options.h"
#include "menu/save_screen.h"
#include "platform/window.h"

int32_t g_titleBanner = 0;

namespace {

const plat::Texture* Atlas() { return g_atlasTexture.get(); }

void RequestCursorSound() { SoundRequest(kSoundCursor, 0); }

// The arrow keys in their order of precedence; 1 when one of them moved the cursor.
int TitleMoveCursor(TitleData* title) {
  if (KeyPressed(kKeyRight)) {
    title->column = WrapStep(title->column, 1, kTitleColumns);
  } else if (KeyPressed(kKeyLeft)) {
    title->column = WrapStep(title->column, -1, kTitleColumns);
  } else if (KeyPressed(kKeyDown)) {
    title->row = WrapStep(title->row, 1, kTitleRows);
  } else if (KeyPressed(kKeyUp)) {
    title->row = WrapStep(title->row, -1, kTitleRows);
  } else {
    return 0;
  }
  RequestCursorSound();
  return 1;
}

using TitleEntryAction = void (*)();
constexpr TitleEntryAction kTitleEntries[kTitleColumns * kTitleRows] = {
    TitleEntryNewGame, TitleEntryQuit, TitleEntryOptions, LoadScreenOpenFromTitle, TitleEntryGallery, TitleEntryPicture,
};

float ButtonX(float panelX, int32_t selection) {
  return panelX + kTitleButtonInset + kTitleButtonPitchX * static_cast<float>(selection % kTitleColumns);
}

float ButtonY(int32_t selection) {
  return kTitlePanelY + kTitleButtonInset + kTitleButtonPitchY * static_cast<float>(selection / kTitleColumns);
}

float DrawTitlePanel() {
  return DrawSpriteCentred(kAtlasTitlePanel, kTitlePanelY, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
}

// ---- prompts ----------------------------------------------------------------------

void PromptLabelSet(PromptLabel* label, int choice, const AtlasRect& picture) {
  label->width = RectWidth(picture);
  label->height = RectHeight(picture);
  label->x = CentreX(label->width);
  label->y = kPromptLabelY + kPromptLabelPitch * static_cast<float>(choice);
  label->picture = picture;
}

void PromptOpen(int slot, int32_t id, TaskCallback begin, TaskCallback draw) {
  if (TaskExists(id)) return;
  TaskSlot* s = TaskAllocAt(slot);
  if (!s) return;
  TaskStart(s, id, 0, begin, draw);
  PromptData* prompt = TaskDataInit<PromptData>(s);
  prompt->choice = 0;
  PromptLabelSet(&prompt->labels[0], 0, kAtlasAnswerNo);
  PromptLabelSet(&prompt->labels[1], 1, kAtlasAnswerYes);
}

// Up and Down move between the answers; Enter or Z ends the prompt with the answer
// under the cursor. There is no way out but answering.
void PromptInput(TaskSlot* slot, void (*yes)()) {
  PromptData* prompt = TaskData<PromptData>(slot);
  if (KeyPressed(kKeyUp)) {
    prompt->choice = WrapStep(prompt->choice, -1, 2);
    RequestCursorSound();
  } else if (KeyPressed(kKeyDown)) {
    prompt->choice = WrapStep(prompt->choice, 1, 2);
    RequestCursorSound();
  } else if (KeyPressed(kKeyEnter) || KeyPressed(kKeyZ)) {
    slot->inUse = 0;
    RequestCursorSound();
    if (prompt->choice == 1) {
      yes();
    } else {
      TitleReturn();
    }
  }
}

void DrawPrompt(TaskSlot* slot, const AtlasRect& question) {
  const PromptData* prompt = TaskData<PromptData>(slot);
  const AtlasRect& tile = kAtlasMenuTile;
  FillScreenPattern(tile.left, tile.top, tile.right, tile.bottom);
  DrawSpriteCentred(kAtlasPromptWindow, kPromptWindowY, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
  DrawSpriteCentred(question, kPromptQuestionY, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
  for (const PromptLabel& label : prompt->labels) DrawAtlas(label.x, label.y, label.picture);
  const int32_t choice = prompt->choice == 1 ? 1 : 0;
  DrawAtlas(kPromptCursorX, prompt->labels[choice].y, kAtlasMenuCursor);
}

}  // namespace

// ---- title --------------------------------------------------------------------------

int TitleOpen() {
  if (TaskExists(kTaskIdTitle)) return 0;
  TaskSlot* slot = TaskAllocAt(kSlotTitle);
  if (!slot) return 0;
  TaskStart(slot, kTaskIdTitle, 0, TitleTaskUpdate, TitleDraw);
  TitleData* title = TaskDataInit<TitleData>(slot);
  title->live = 1;
  title->column = 0;
  title->row = 0;
  title->selection = kTitleNewGame;
  title->step = TitleStepBegin;
  MusicPlay(kMusicTitle);
  return 1;
}

void TitleReturn() {
  TaskKillAll();
  TitleOpen();
}

void TitleTaskUpdate(TaskSlot* slot) {
  TitleData* title = TaskData<TitleData>(slot);
  if (title->step) title->step(title);
  if (title->live != 0) return;
  slot->inUse = 0;
  g_titleBanner = 1 - g_titleBanner;
}

// The frame that opens the title reads no keys, so a confirm that led here cannot
// also pick an entry.
void TitleStepBegin(TitleData* title) { title->step = TitleMenuInput; }

void TitleMenuInput(TitleData* title) {
  const bool confirm = !TitleMoveCursor(title) && (KeyPressed(kKeyZ) || KeyPressed(kKeyEnter));
  title->selection = title->column + kTitleColumns * title->row;
  if (!confirm) return;
  title->live = 0;
  RequestCursorSound();
  TaskKillAll();
  if (title->selection >= 0 && title->selection < kTitleColumns * kTitleRows) kTitleEntries[title->selection]();
}

// Back to front: scenery, logo, banner, the panel under the buttons and the highlight
// and again over them, so its frame and lettering sit on top, then the caption.
void TitleDraw(TaskSlot* slot) {
  const TitleData* title = TaskData<TitleData>(slot);
  const AtlasRect& back = kAtlasTitleBackground;
  DrawFullScreenPicture(0.0f, 0.0f, back.left, back.top, back.right, back.bottom);
  DrawSpriteCentred(kAtlasTitleLogo, kTitleLogoY, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
  DrawTitleBanner();
  const float panelX = DrawTitlePanel();
  for (int32_t i = 0; i < kTitleColumns * kTitleRows; ++i) DrawAtlas(ButtonX(panelX, i), ButtonY(i), kAtlasTitleButton);
  DrawAtlas(ButtonX(panelX, title->selection), ButtonY(title->selection), kAtlasTitleHighlight);
  DrawTitlePanel();
  DrawAtlas(kTitleCaptionX, kTitleCaptionY, kAtlasTitleCaption);
}

// The banner sits on the bottom edge whatever its height.
void DrawTitleBanner() {
  const AtlasRect& banner = g_titleBanner == 1 ? kAtlasTitleBanner1 : kAtlasTitleBanner0;
  DrawAtlas(0.0f, 480.0f - RectHeight(banner), banner);
}

void DrawFullScreenPicture(float x, float y, float left, float top, float right, float bottom) {
  DrawAtlas(x, y, {left, top, right, bottom});
}

// ---- entries ------------------------------------------------------------------------

void TitleEntryNewGame() { NewGamePromptOpen(); }

void TitleEntryQuit() { QuitPromptOpen(); }

void TitleEntryOptions() {
  TaskKillAll();
  OptionsOpen(0);
}

void TitleEntryGallery() {
  TaskKillAll();
  GalleryOpen();
}

void TitleEntryPicture() { PictureScreenOpen(); }

// ---- prompts ------------------------------------------------------------------------

void NewGamePromptOpen() {
  PromptOpen(kSlotNewGamePrompt, kTaskIdNewGamePrompt, NewGamePromptBegin, NewGamePromptDraw);
}

void QuitPromptOpen() { PromptOpen(kSlotQuitPrompt, kTaskIdQuitPrompt, QuitPromptBegin, QuitPromptDraw); }

// The frame that opens a prompt reads no keys.
void NewGamePromptBegin(TaskSlot* slot) { slot->update = NewGamePromptInput; }
void QuitPromptBegin(TaskSlot* slot) { slot->update = QuitPromptInput; }

void NewGamePromptInput(TaskSlot* slot) {
  PromptInput(slot, [] { g_flow.newGame(); });
}
void QuitPromptInput(TaskSlot* slot) { PromptInput(slot, GameQuit); }

void NewGamePromptDraw(TaskSlot* slot) { DrawPrompt(slot, kAtlasPromptNewGame); }
void QuitPromptDraw(TaskSlot* slot) { DrawPrompt(slot, kAtlasPromptQuit); }

// ---- new game and quit --------------------------------------------------------------

void GameQuit() {
  TaskKillAll();
  g_running = 0;
}
