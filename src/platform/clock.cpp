#include "platform/clock.h"

#include <SDL.h>

#include <ctime>

namespace plat {
namespace {
std::function<uint32_t()> g_clockSource;
int g_periodDepth = 0;
}  // namespace

uint32_t TimeMs() {
  if (g_clockSource) return g_clockSource();
  return SDL_GetTicks();
}

// The host timer already counts single milliseconds; the depth is kept so the pairing
// of begin and end can be checked.
void TimerPeriodBegin(uint32_t) { ++g_periodDepth; }
void TimerPeriodEnd(uint32_t) { --g_periodDepth; }
int TimerPeriodDepth() { return g_periodDepth; }

int64_t CalendarTimeNow() { return static_cast<int64_t>(std::time(nullptr)); }

void SetClockSource(std::function<uint32_t()> source) { g_clockSource = std::move(source); }

}  // namespace plat
