// The 13 keys of the game, sampled once a frame before any task updates.
#pragma once

#include <cstdint>

enum GameKey : int {
  kKeyDown = 0,
  kKeyUp = 1,
  kKeyRight = 2,
  kKeyLeft = 3,
  kKeyEscape = 4,
  kKeyCtrl = 5,
  kKeyEnter = 6,
  kKeyZ = 7,
  kKeySpace = 8,
  kKeyShift = 9,
  kKeyA = 10,
  kKeyS = 11,
  kKeyD = 12,
  kKeyCount = 13,
};

struct KeyBinding {
  int16_t state;     // 0x80 when down at this frame's poll
  int16_t previous;  // the state of the poll before
  uint32_t hostKey;
};

extern KeyBinding g_keys[kKeyCount];

void KeyInit();
void KeyPoll();
// Down at this poll and up at the one before.
bool KeyPressed(int key);
// Enter or Z pressed: the confirm of every screen.
bool KeyConfirmPressed();
// Held: the key's state word is non-zero.
bool KeyHeld(int key);
int KeyEdgeBits(int now, int before);
// The host key a game key is bound to.
uint32_t KeyHostCode(int key);
