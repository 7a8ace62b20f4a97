// Start-up: the game's own steps handed to the shell, and the hooks through which the
// floors below ask for the game's moves between screens.
#pragma once

// Fills the shell's hooks and the flow table with the game's steps.
void GameInstall();
// The start-up chain: each step only when the one before succeeded; a failure shows its
// box and releases what was taken. 1 when the title screen stands.
int GameInit();
// Seed, running flag, keys, settings, the one game state reset, the task pool and the
// map buffers.
int GameStateInit();
int CoreBuffersAlloc();
void CoreBuffersFree();
// The whole program. Returns its exit status.
int GameMain();
