#include "platform/clock.h"

#include <SDL.h>

#include <chrono>
#include <ctime>
#include <thread>

namespace plat {
namespace {
std::function<uint32_t()> g_clockSource;
}  // namespace

uint32_t TimeMs() {
  if (g_clockSource) return g_clockSource();
  return SDL_GetTicks();
}

// The host timer already counts single milliseconds: nothing to ask for.
void TimerPeriodBegin(uint32_t) {}
void TimerPeriodEnd(uint32_t) {}

void Sleep(double milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(milliseconds));
}

int64_t CalendarTimeNow() { return static_cast<int64_t>(std::time(nullptr)); }

void SetClockSource(std::function<uint32_t()> source) { g_clockSource = std::move(source); }

}  // namespace plat
