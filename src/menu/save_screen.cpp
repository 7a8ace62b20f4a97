#include "menu/save_screen.h"

#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "field/field_view.h"
#include "field/map.h"
#include "field/walker.h"
#include "menu/title.h"
#include "platform/problem.h"

namespace {

constexpr uint32_t kColourCursorBar = 0x64FFFFFF;  // white at alpha 100
constexpr int32_t kAnswerCount = 2;

const plat::Texture* Atlas() { return g_atlasTexture.get(); }

int32_t WrapStep(int32_t value, int32_t delta, int32_t count) {
  const int32_t next = value + delta;
  if (next > count - 1) return 0;
  if (next < 0) return count - 1;
  return next;
}

bool ConfirmPressed() { return KeyPressed(kKeyEnter) || KeyPressed(kKeyZ); }

// Up, then Down, moves a cursor around a ring; 1 when one of them did.
int MoveCursor(int32_t* cursor, int32_t count) {
  if (KeyPressed(kKeyUp)) {
    *cursor = WrapStep(*cursor, -1, count);
  } else if (KeyPressed(kKeyDown)) {
    *cursor = WrapStep(*cursor, 1, count);
  } else {
    return 0;
  }
  SoundRequest(kSoundCursor, 0);
  return 1;
}

// Over the field every paused task runs again; from the title the title comes back.
void SaveScreenClose(SaveScreenData* screen) {
  screen->live = 0;
  if (screen->fromField) {
    TaskSetModeAll(kTaskModeRun);
  } else {
    TitleOpen();
  }
}

void ShowMessage(SaveScreenData* screen, SaveScreenStep wait, int sound) {
  screen->step = wait;
  SoundRequest(sound, 0);
}

void ConfirmSave(SaveScreenData* screen) {
  if (SaveForbiddenHere()) {
    ShowMessage(screen, SaveScreenForbiddenWait, kSoundRefuse);
    return;
  }
  const int written = SaveWrite(screen->cursor);
  // The screen says only that it failed; the terminal says which file and why.
  if (!written) plat::ReportProblem(SaveFileName(screen->cursor), "could not be saved");
  SaveSlotsScan(&screen->slots);
  ShowMessage(screen, written ? SaveScreenSavedWait : SaveScreenWriteFailedWait, written ? kSoundSaved : kSoundRefuse);
}

// A load that went ahead has replaced the whole pool, this screen with it: nothing of
// the record may be touched afterwards.
void ConfirmLoad(SaveScreenData* screen) {
  if (SaveRead(screen->cursor) != kSaveLoadRefused) return;
  ShowMessage(screen, SaveScreenNoDataWait, kSoundRefuse);
}

const AtlasRect* MessagePicture(SaveScreenStep step) {
  if (step == SaveScreenSavedWait) return &kAtlasSaveDone;
  if (step == SaveScreenNoDataWait) return &kAtlasSaveNoData;
  if (step == SaveScreenForbiddenWait) return &kAtlasSaveForbidden;
  if (step == SaveScreenWriteFailedWait) return &kAtlasSaveFailed;
  return nullptr;
}

float Line(int32_t slot) { return kSaveFirstLineY + kSaveRowPitch * static_cast<float>(slot); }

void DrawPanel(float x, const AtlasRect& picture) {
  DrawWindow(x, kSavePanelY, picture, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
}

void DrawSlotLine(const SaveSlotList& slots, int32_t slot) {
  const float y = Line(slot);
  DrawNumberSmall(kSaveNumberX, y, slot + 1);
  DrawSaveTime(kSaveTimeX, y, slots.exists[slot], slots.time[slot]);
  if (!slots.exists[slot]) return;
  DrawPlaceName(kSavePlaceNameX, y, slots.mapNumber[slot]);
  DrawAtlas(kSaveLevelLabelX, y + 1.0f, kAtlasSaveLevelLabel);
  DrawNumberSmall(kSaveLevelNumberX, y + 1.0f, slots.level[slot]);
}

}  // namespace

int SaveScreenOpen(int32_t mode, int32_t fromField) {
  TaskSetModeAll(kTaskModePause);
  if (SaveScreenCreate(mode, fromField)) return 1;
  if (fromField) {
    TaskSetModeAll(kTaskModeRun);
  } else {
    TitleOpen();
  }
  return 0;
}

int SaveScreenCreate(int32_t mode, int32_t fromField) {
  if (TaskExists(kTaskIdSaveLoad)) return 0;
  TaskSlot* slot = TaskStart(TaskAllocAt(kSlotSaveLoad), kTaskIdSaveLoad, 0, SaveScreenTaskUpdate, SaveScreenDraw);
  if (!slot) return 0;
  SaveScreenData* screen = TaskDataInit<SaveScreenData>(slot);
  screen->live = 1;
  screen->mode = mode;
  screen->fromField = fromField;
  screen->cursor = 0;
  screen->choice = 0;
  screen->step = SaveScreenBegin;
  SaveSlotsScan(&screen->slots);
  return 1;
}

void LoadScreenOpenFromTitle() {
  TaskKillAll();
  SaveScreenOpen(kSaveModeLoad, 0);
}

int SaveForbiddenHere() {
  if (!SavePartyOnField()) return 1;
  const TaskHead* leader = TaskData<TaskHead>(&g_taskPool[kSlotWalkerFirst]);
  return MapEventAt(leader->x, leader->z) > 0 ? 1 : 0;
}

void SaveScreenTaskUpdate(TaskSlot* slot) { TaskRunStep<SaveScreenData>(slot); }

// The frame that opens the screen reads no keys, so the confirm that opened it cannot
// also pick a slot.
void SaveScreenBegin(SaveScreenData* screen) { screen->step = SaveScreenSlotList; }

void SaveScreenSlotList(SaveScreenData* screen) {
  if (MoveCursor(&screen->cursor, kSaveSlotCount)) return;
  if (ConfirmPressed()) {
    SoundRequest(kSoundCursor, 0);
    screen->choice = 0;
    screen->step = SaveScreenConfirm;
  } else if (KeyPressed(kKeyEscape)) {
    SoundRequest(kSoundCursor, 0);
    SaveScreenClose(screen);
  }
}

// Escape does nothing here: the question is answered.
void SaveScreenConfirm(SaveScreenData* screen) {
  if (MoveCursor(&screen->choice, kAnswerCount) || !ConfirmPressed()) return;
  SoundRequest(kSoundCursor, 0);
  if (screen->choice != 1) {
    screen->step = SaveScreenSlotList;
  } else if (screen->mode == kSaveModeLoad) {
    ConfirmLoad(screen);
  } else {
    ConfirmSave(screen);
  }
}

void SaveScreenSavedWait(SaveScreenData* screen) {
  if (ConfirmPressed()) screen->step = SaveScreenSlotList;
}

void SaveScreenNoDataWait(SaveScreenData* screen) {
  if (ConfirmPressed()) screen->step = SaveScreenSlotList;
}

// The old file is whole; another slot may still take the game.
void SaveScreenWriteFailedWait(SaveScreenData* screen) {
  if (ConfirmPressed()) screen->step = SaveScreenSlotList;
}

void SaveScreenForbiddenWait(SaveScreenData* screen) {
  if (ConfirmPressed()) SaveScreenClose(screen);
}

// Back to front: the background (from the title only; over the field the paused field
// shows), the three column panels, cursor bar and arrow, the five lines, the question,
// the heading, a message, and the caption.
void SaveScreenDraw(TaskSlot* slot) {
  const SaveScreenData* screen = TaskData<SaveScreenData>(slot);
  if (!screen->fromField) {
    const AtlasRect& tile = kAtlasMenuTile;
    FillScreenPattern(tile.left, tile.top, tile.right, tile.bottom);
  }
  DrawPanel(kSaveSlotsX, kAtlasSavePanelSlots);
  DrawPanel(kSavePlaceX, kAtlasSavePanelPlace);
  DrawPanel(kSaveLevelX, kAtlasSavePanelLevel);
  const float row = kSaveRowPitch * static_cast<float>(screen->cursor);
  DrawAtlas(kSaveCursorBarX, kSaveCursorBarY + row, kAtlasSaveCursorBar, kColourCursorBar);
  DrawPointerArrow(kSaveArrowX, kSaveArrowY + row);
  for (int32_t i = 0; i < kSaveSlotCount; ++i) DrawSlotLine(screen->slots, i);
  const bool load = screen->mode == kSaveModeLoad;
  if (screen->step == SaveScreenConfirm) {
    DrawVerticalMenu(kSaveAskX, kSaveAskY, screen->choice, kAnswerCount, kColourOpaque, kAtlasAskBox,
                     load ? kAtlasLoadQuestion : kAtlasSaveQuestion, kNoYesAnswers, kTwoAnswerOrder);
  }
  DrawSpriteCentred(load ? kAtlasLoadHeading : kAtlasSaveHeading, kSaveHeadingY, kAtlasSize, kAtlasSize, kColourOpaque,
                    Atlas());
  if (const AtlasRect* message = MessagePicture(screen->step)) {
    DrawSpriteCentred(*message, kSaveMessageY, kAtlasSize, kAtlasSize, kColourOpaque, Atlas());
  }
  DrawSaveHelp();
}

// Numbers have no leading zeros, and each picture follows the one before with no gap.
void DrawSaveTime(float x, float y, int32_t exists, const plat::LocalTime& time) {
  float pen = x + kSaveTimeInset;
  if (!exists) {
    DrawAtlas(pen, y, kAtlasSaveNoDataSlot);
    return;
  }
  const struct {
    int32_t value;
    const AtlasRect& unit;
  } parts[] = {
      {time.year, kAtlasTimeYear}, {time.month, kAtlasTimeMonth},   {time.day, kAtlasTimeDay},
      {time.hour, kAtlasTimeHour}, {time.minute, kAtlasTimeMinute},
  };
  for (const auto& part : parts) {
    pen += DrawNumberSmall(pen, y, part.value);
    DrawAtlas(pen, y, part.unit);
    pen += RectWidth(part.unit);
  }
}

void DrawPointerArrow(float x, float y) { DrawAtlas(x, y, kAtlasPointerArrow); }

void DrawSaveHelp() { DrawAtlas(4.0f, 4.0f, kAtlasSaveHelp); }
