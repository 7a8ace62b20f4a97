// The millisecond clock the frame is paced by.
#pragma once

#include <cstdint>
#include <functional>

namespace plat {

// Milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t TimeMs();
// Ask for, and give back, a fine timer resolution for the whole run.
void TimerPeriodBegin(uint32_t ms);
void TimerPeriodEnd(uint32_t ms);
// Gives the processor away for about this long (it may be a little longer).
void Sleep(double milliseconds);
// Seconds since the epoch: the one random seed of a run.
int64_t CalendarTimeNow();

// Tests replace the clock (nullptr restores the real one).
void SetClockSource(std::function<uint32_t()> source);

}  // namespace plat
