#include "engine/settings.h"

#include <cstring>

Settings g_settings;

void SettingsInit() {
  std::memset(&g_settings, 0, sizeof g_settings);
  g_settings.soundEffects = 1;
  g_settings.music = 1;
  g_settings.windowed = 1;
  g_settings.colour32 = 1;
  g_settings.vsync = 1;
  g_settings.depth24 = 1;
  g_settings.autoBattle = 0;
  g_settings.openWindowed = g_settings.windowed;
  g_settings.openColour32 = g_settings.colour32;
  g_settings.openVsync = g_settings.vsync;
  g_settings.openDepth24 = g_settings.depth24;
}
