// The options screen: seven on/off settings edited as working copies and written all
// at once on confirming, with the music restarted and the renderer rebuilt when a
// display setting changed.
#pragma once

#include <cstdint>

#include "engine/task.h"

constexpr int kOptionRows = 7;
enum OptionRow : int32_t {
  kOptionWindowed = 0,
  kOptionColour32 = 1,
  kOptionVsync = 2,
  kOptionDepth24 = 3,
  kOptionSoundEffects = 4,
  kOptionMusic = 5,
  kOptionAutoBattle = 6,
};

struct OptionsData;
using OptionsStep = void (*)(OptionsData* options);

struct OptionsData {
  int32_t live;
  int32_t cursor;                 // the chosen row
  int32_t fromField;              // 1: over the field (from the party menu); 0: from the title
  int32_t* targets[kOptionRows];  // the settings word each row edits
  int32_t values[kOptionRows];    // the working values, written only on confirming
  OptionsStep step;
};

// Where the screen puts its pictures, in screen pixels.
constexpr float kOptionsHeadingY = 50.0f;
constexpr float kOptionsPanelX = 0.0f;
constexpr float kOptionsPanelY = 100.0f;
constexpr float kOptionsLabelX = 100.0f;
constexpr float kOptionsValueX = 350.0f;
constexpr float kOptionsCursorX = 80.0f;
constexpr float kOptionsRowY = 125.0f;
constexpr float kOptionsRowPitch = 25.0f;
constexpr float kOptionsCaptionY = 325.0f;

// The screen in its slot with the cursor on the first row and the settings' display
// words remembered; it pauses nothing itself. 0 when one exists or its slot is busy.
int OptionsOpen(int32_t fromField);
// On closing: the field runs again, or the title opens.
void OptionsTaskUpdate(TaskSlot* slot);
void OptionsStepBegin(OptionsData* options);
void OptionsInput(OptionsData* options);
void OptionsDraw(TaskSlot* slot);
// The music of the screen underneath from its start (or silence), and a display reset
// when a display word differs from what it was at opening.
void OptionsApply(int32_t fromField);
// The row's picture for its working value.
void DrawOptionValue(float x, float y, int32_t row, int32_t value);
