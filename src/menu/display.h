// The display settings put into effect: the window placed for the windowed word, and
// the renderer rebuilt when the options change a display word.
#pragma once

// Windowed (settings word exactly 1): a 640 by 480 client area centred on the desktop,
// not topmost. Anything else: the whole desktop, topmost. The frame's rebuild after a
// lost device places the window through this too.
void WindowPlaceForMode();
// Rebuilds the renderer for the current display settings; nothing while no device
// exists. A failed rebuild ends the program at the end of the frame.
void DisplayReset();
