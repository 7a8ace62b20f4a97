#include "menu/display.h"

#include "engine/graphics.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "platform/window.h"

void WindowPlaceForMode() { plat::WindowPlace(g_settings.windowed == 1); }

void DisplayReset() {
  if (!g_device) return;
  DeviceRebuild();
}
