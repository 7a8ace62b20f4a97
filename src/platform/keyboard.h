// Host keyboard state, sampled on request.
#pragma once

#include <cstdint>
#include <functional>

namespace plat {

// Host key codes for the keys the game binds. The values are the classic virtual-key
// numbers, so key tables read the same as on the original hardware layout.
enum HostKey : uint32_t {
  kHostKeyEnter = 0x0D,
  kHostKeyShift = 0x10,
  kHostKeyCtrl = 0x11,
  kHostKeyEscape = 0x1B,
  kHostKeySpace = 0x20,
  kHostKeyLeft = 0x25,
  kHostKeyUp = 0x26,
  kHostKeyRight = 0x27,
  kHostKeyDown = 0x28,
  kHostKeyA = 0x41,
  kHostKeyD = 0x44,
  kHostKeyS = 0x53,
  kHostKeyZ = 0x5A,
};

// True while the key is down, as of the host events taken so far. Either Shift or
// either Ctrl counts; keypad Enter counts as Enter; nothing is down while the window
// lacks the keyboard focus.
bool HostKeyDown(uint32_t key);

// Tests feed key states instead of the host (nullptr restores the host).
void SetKeySource(std::function<bool(uint32_t key)> source);
// Tests feed the keyboard's state by SDL scancode instead of SDL's own (nullptr restores
// it), so a key pressed in a test goes through the same scancodes a real keyboard's does;
// the window is taken to hold the focus.
void SetScancodeSource(std::function<bool(int scancode)> source);

}  // namespace plat
