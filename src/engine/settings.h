// The options: in memory only, reset to their defaults at every start and never saved.
// The renderer and the sound read them, the options screen edits them.
#pragma once

#include <cstdint>

#include "engine/settings.h"

struct Settings {
  int32_t soundEffects;  // non-zero: effects play
  int32_t music;         // exactly 1: music plays
  int32_t windowed;      // exactly 1: windowed, else full screen
  int32_t colour32;      // full-screen back buffer: non-zero 32-bit, 0 16-bit
  int32_t vsync;         // 0: present immediately
  int32_t depth24;       // non-zero: 24-bit depth buffer, 0: 16-bit
  int32_t autoBattle;    // non-zero: party units act by themselves
  int32_t openWindowed;  // the four display words as they stood when options opened
  int32_t openColour32;
  int32_t openVsync;
  int32_t openDepth24;
};
static_assert(sizeof(Settings) == 11 * 4);

extern Settings g_settings;

void SettingsInit();
