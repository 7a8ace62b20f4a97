#include "menu/options.h"

#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/sound.h"
#include "menu/display.h"
#include "menu/title.h"

namespace {

struct OptionRowArt {
  int32_t Settings::*word;
  AtlasRect label;
  AtlasRect values[2];  // value 0, value 1
};

// Top to bottom; effects and music share one pair of value pictures.
const OptionRowArt kRows[kOptionRows] = {
    {&Settings::windowed, kAtlasOptionWindow, {kAtlasOptionWindowValue0, kAtlasOptionWindowValue1}},
    {&Settings::colour32, kAtlasOptionColour, {kAtlasOptionColourValue0, kAtlasOptionColourValue1}},
    {&Settings::vsync, kAtlasOptionVsync, {kAtlasOptionVsyncValue0, kAtlasOptionVsyncValue1}},
    {&Settings::depth24, kAtlasOptionDepth, {kAtlasOptionDepthValue0, kAtlasOptionDepthValue1}},
    {&Settings::soundEffects, kAtlasOptionSound, {kAtlasOptionSoundValue0, kAtlasOptionSoundValue1}},
    {&Settings::music, kAtlasOptionMusic, {kAtlasOptionSoundValue0, kAtlasOptionSoundValue1}},
    {&Settings::autoBattle, kAtlasOptionAuto, {kAtlasOptionAutoValue0, kAtlasOptionAutoValue1}},
};

float RowY(int32_t row) { return kOptionsRowY + kOptionsRowPitch * static_cast<float>(row); }

bool DisplayChanged() {
  const Settings& s = g_settings;
  return s.windowed != s.openWindowed || s.colour32 != s.openColour32 || s.vsync != s.openVsync ||
         s.depth24 != s.openDepth24;
}

// Writes every working value into its settings word and ends the screen.
void OptionsConfirm(OptionsData* options) {
  for (int32_t row = 0; row < kOptionRows; ++row) *options->targets[row] = options->values[row];
  OptionsApply(options->fromField);
  options->live = 0;
}

}  // namespace

int OptionsOpen(int32_t fromField) {
  if (TaskExists(kTaskIdOptions)) return 0;
  TaskSlot* slot = TaskStart(TaskAllocAt(kSlotOptions), kTaskIdOptions, 0, OptionsTaskUpdate, OptionsDraw);
  if (!slot) return 0;
  OptionsData* options = TaskDataInit<OptionsData>(slot);
  options->live = 1;
  options->cursor = 0;
  options->fromField = fromField;
  options->step = OptionsStepBegin;
  for (int32_t row = 0; row < kOptionRows; ++row) {
    options->targets[row] = &(g_settings.*kRows[row].word);
    options->values[row] = *options->targets[row];
  }
  g_settings.openWindowed = g_settings.windowed;
  g_settings.openColour32 = g_settings.colour32;
  g_settings.openVsync = g_settings.vsync;
  g_settings.openDepth24 = g_settings.depth24;
  return 1;
}

void OptionsTaskUpdate(TaskSlot* slot) {
  OptionsData* options = TaskData<OptionsData>(slot);
  if (options->step) options->step(options);
  if (options->live != 0) return;
  slot->inUse = 0;
  if (options->fromField) {
    TaskSetModeAll(kTaskModeRun);
  } else {
    TitleOpen();
  }
}

// The frame that opens the screen reads no keys.
void OptionsStepBegin(OptionsData* options) { options->step = OptionsInput; }

// There is no cancel key: the only way out is to confirm, which writes all seven rows.
void OptionsInput(OptionsData* options) {
  int32_t& value = options->values[options->cursor];
  if (KeyPressed(kKeyUp)) {
    options->cursor = options->cursor == 0 ? kOptionRows - 1 : options->cursor - 1;
  } else if (KeyPressed(kKeyDown)) {
    options->cursor = options->cursor == kOptionRows - 1 ? 0 : options->cursor + 1;
  } else if (KeyPressed(kKeyRight) || KeyPressed(kKeyLeft)) {
    value = 1 - value;
  } else if (KeyPressed(kKeyEnter) || KeyPressed(kKeyZ)) {
    OptionsConfirm(options);
  } else {
    return;
  }
  SoundRequest(kSoundCursor, 0);
}

void OptionsApply(int32_t fromField) {
  if (g_settings.music != 0) {
    MusicPlay(fromField ? kMusicField : kMusicTitle);
  } else {
    MusicStopAll();
  }
  if (DisplayChanged()) DisplayReset();
}

// Over the field the scene shows around the panel; from the title a tiled background
// and the heading stand behind it.
void OptionsDraw(TaskSlot* slot) {
  const OptionsData* options = TaskData<OptionsData>(slot);
  if (!options->fromField) {
    const AtlasRect& tile = kAtlasMenuTile;
    FillScreenPattern(tile.left, tile.top, tile.right, tile.bottom);
    DrawSpriteCentred(kAtlasOptionsHeading, kOptionsHeadingY, kAtlasSize, kAtlasSize, kColourOpaque,
                      g_atlasTexture.get());
  }
  DrawAtlas(kOptionsPanelX, kOptionsPanelY, kAtlasOptionsPanel);
  for (int32_t row = 0; row < kOptionRows; ++row) DrawAtlas(kOptionsLabelX, RowY(row), kRows[row].label);
  for (int32_t row = 0; row < kOptionRows; ++row) DrawOptionValue(kOptionsValueX, RowY(row), row, options->values[row]);
  DrawAtlas(kOptionsCursorX, RowY(options->cursor), kAtlasMenuCursor);
  DrawSpriteCentred(kAtlasOptionsCaption, kOptionsCaptionY, kAtlasSize, kAtlasSize, kColourOpaque,
                    g_atlasTexture.get());
}

// The settings are never range-checked; a word other than 0 or 1 shows its value-1
// picture rather than reading past the pair.
void DrawOptionValue(float x, float y, int32_t row, int32_t value) {
  if (row < 0 || row >= kOptionRows) return;
  DrawAtlas(x, y, kRows[row].values[value == 0 ? 0 : 1]);
}
