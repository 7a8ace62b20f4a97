#include "menu/display.h"

#include "engine/settings.h"
#include "engine/shell.h"
#include "platform/window.h"

void WindowPlaceForMode() { plat::WindowPlace(g_settings.windowed == 1); }
