#include "engine/keys.h"

#include "platform/keyboard.h"

KeyBinding g_keys[kKeyCount];

namespace {
constexpr uint32_t kBindings[kKeyCount] = {
    plat::kHostKeyDown, plat::kHostKeyUp,    plat::kHostKeyRight, plat::kHostKeyLeft,  plat::kHostKeyEscape,
    plat::kHostKeyCtrl, plat::kHostKeyEnter, plat::kHostKeyZ,     plat::kHostKeySpace, plat::kHostKeyShift,
    plat::kHostKeyA,    plat::kHostKeyS,     plat::kHostKeyD,
};
}  // namespace

void KeyInit() {
  for (int i = 0; i < kKeyCount; ++i) g_keys[i] = KeyBinding{0, 0, kBindings[i]};
}

void KeyPoll() {
  for (KeyBinding& k : g_keys) {
    k.previous = k.state;
    k.state = plat::HostKeyDown(k.hostKey) ? 0x80 : 0;
  }
}

int KeyEdgeBits(int now, int before) { return (now ^ before) & now; }

bool KeyPressed(int key) {
  if (key < 0 || key >= kKeyCount) return false;
  return (KeyEdgeBits(g_keys[key].state, g_keys[key].previous) & 0x80) != 0;
}

bool KeyConfirmPressed() { return KeyPressed(kKeyEnter) || KeyPressed(kKeyZ); }

bool KeyHeld(int key) { return key >= 0 && key < kKeyCount && g_keys[key].state != 0; }

uint32_t KeyHostCode(int key) { return key >= 0 && key < kKeyCount ? kBindings[key] : 0; }
