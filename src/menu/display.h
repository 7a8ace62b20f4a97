// Window placement for the display mode in the settings.
#pragma once

void WindowPlaceForMode();
