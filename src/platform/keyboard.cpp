#include "platform/keyboard.h"

#include <SDL.h>

#include "platform/window.h"

namespace plat {
namespace {

std::function<bool(uint32_t)> g_keySource;
std::function<bool(int)> g_scancodeSource;

bool ScancodeDown(const Uint8* state, SDL_Scancode a, SDL_Scancode b = SDL_SCANCODE_UNKNOWN) {
  const auto down = [state](SDL_Scancode c) { return g_scancodeSource ? g_scancodeSource(c) : state[c] != 0; };
  return down(a) || (b != SDL_SCANCODE_UNKNOWN && down(b));
}

}  // namespace

bool HostKeyDown(uint32_t key) {
  if (g_keySource) return g_keySource(key);
  if (!g_scancodeSource && !WindowHasFocus()) return false;
  const Uint8* s = g_scancodeSource ? nullptr : SDL_GetKeyboardState(nullptr);
  switch (key) {
    case kHostKeyEnter: return ScancodeDown(s, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER);
    case kHostKeyShift: return ScancodeDown(s, SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT);
    case kHostKeyCtrl: return ScancodeDown(s, SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL);
    case kHostKeyEscape: return ScancodeDown(s, SDL_SCANCODE_ESCAPE);
    case kHostKeySpace: return ScancodeDown(s, SDL_SCANCODE_SPACE);
    case kHostKeyLeft: return ScancodeDown(s, SDL_SCANCODE_LEFT);
    case kHostKeyUp: return ScancodeDown(s, SDL_SCANCODE_UP);
    case kHostKeyRight: return ScancodeDown(s, SDL_SCANCODE_RIGHT);
    case kHostKeyDown: return ScancodeDown(s, SDL_SCANCODE_DOWN);
    case kHostKeyA: return ScancodeDown(s, SDL_SCANCODE_A);
    case kHostKeyD: return ScancodeDown(s, SDL_SCANCODE_D);
    case kHostKeyS: return ScancodeDown(s, SDL_SCANCODE_S);
    case kHostKeyZ: return ScancodeDown(s, SDL_SCANCODE_Z);
    default: return false;
  }
}

void SetKeySource(std::function<bool(uint32_t)> source) { g_keySource = std::move(source); }

void SetScancodeSource(std::function<bool(int)> source) { g_scancodeSource = std::move(source); }

}  // namespace plat
