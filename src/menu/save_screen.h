// The save and load screen: the five slots with the date and time of each file, the
// place it was saved in and the heroine's level; a slot is picked, a yes/no question
// asked, and the game is saved or loaded. Over the field it is an overlay (the field
// stays drawn, paused); from the title it is the whole screen and leads back there.
#pragma once

#include <cstdint>

#include "engine/task.h"
#include "menu/save_file.h"
#include "platform/files.h"

struct SaveScreenData;
using SaveScreenStep = void (*)(SaveScreenData* screen);

enum SaveScreenMode : int32_t { kSaveModeSave = 0, kSaveModeLoad = 1 };

struct SaveScreenData {
  int32_t live;
  int32_t mode;       // SaveScreenMode
  int32_t cursor;     // the chosen slot, 0 to 4
  int32_t choice;     // the yes/no cursor: 0 no, 1 yes
  int32_t fromField;  // 1: over the paused field; 0: from the title
  SaveScreenStep step;
  SaveSlotList slots;  // as the last scan found them
};

// Where the screen puts its pictures, in screen pixels.
constexpr float kSavePanelY = 120.0f;
constexpr float kSaveSlotsX = 40.0f;
constexpr float kSavePlaceX = 331.0f;
constexpr float kSaveLevelX = 497.0f;
constexpr float kSaveRowPitch = 28.0f;
constexpr float kSaveCursorBarX = 42.0f;
constexpr float kSaveCursorBarY = 137.0f;
constexpr float kSaveArrowX = 4.0f;
constexpr float kSaveArrowY = 135.0f;
constexpr float kSaveFirstLineY = 143.0f;
constexpr float kSaveNumberX = 48.0f;
constexpr float kSaveTimeX = 56.0f;
constexpr float kSavePlaceNameX = 339.0f;
constexpr float kSaveLevelLabelX = 512.0f;
constexpr float kSaveLevelNumberX = 554.0f;
constexpr float kSaveAskX = 214.0f;
constexpr float kSaveAskY = 160.0f;
constexpr float kSaveHeadingY = 90.0f;
constexpr float kSaveMessageY = 180.0f;
constexpr float kSaveTimeInset = 8.0f;  // from DrawSaveTime's x to its first picture

// Pauses every task (a running map change goes on), then opens the screen. When the
// screen cannot open, whatever was paused runs again, or from the title the title comes
// back, so the game is never left without a screen that reads keys. 1 or 0.
int SaveScreenOpen(int32_t mode, int32_t fromField);
// 0 when a save screen exists or its slot is busy; else the screen, cursor on slot 1,
// with the slots scanned.
int SaveScreenCreate(int32_t mode, int32_t fromField);
// The title's load entry: every task ends and the screen opens in load mode.
void LoadScreenOpenFromTitle();

// 1 when saving is refused here: the party is not four live walkers on the field, or
// the leader stands on a cell where an event starts.
int SaveForbiddenHere();

void SaveScreenTaskUpdate(TaskSlot* slot);
void SaveScreenDraw(TaskSlot* slot);
void SaveScreenBegin(SaveScreenData* screen);
void SaveScreenSlotList(SaveScreenData* screen);
void SaveScreenConfirm(SaveScreenData* screen);
// The messages, each waiting for Enter or Z.
void SaveScreenSavedWait(SaveScreenData* screen);
void SaveScreenNoDataWait(SaveScreenData* screen);
void SaveScreenForbiddenWait(SaveScreenData* screen);
void SaveScreenWriteFailedWait(SaveScreenData* screen);

// A slot's date and time from x + 8 (year, month, day, hour, minute, each followed by
// its unit), or its no-data picture.
void DrawSaveTime(float x, float y, int32_t exists, const plat::LocalTime& time);
// The 32 by 32 right arrow that points at a chosen line.
void DrawPointerArrow(float x, float y);
void DrawSaveHelp();
