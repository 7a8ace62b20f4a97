// The play check's display round (`./dev.sh play-check` sets MILVA_DISPLAY_CHECK): the
// game itself, built for play, goes to full screen and back through the options screen
// by keys and rebuilds its renderer as after a lost device in each mode. After each change
// it gives the window system a second to act and checks that the whole 640 by 480
// picture is on the window: the picture's rectangle inside the drawable the window really
// has, at its own shape and as large as fits, and a window of exactly 640 by 480 when
// windowed. It prints a line a change and ends the game when done.
#pragma once

// Whether the environment asks for the round. Nothing else reads the environment.
bool DisplayCheckAsked();
// Puts the round on the shell's frame hook.
void DisplayCheckInstall();
// 0 when every change was made and left the picture whole; else 1.
int DisplayCheckResult();
