// The 100 event flags scripts set and test; kept in save files.
#pragma once

#include <cstdint>

constexpr int kEventFlagCount = 100;
extern int32_t g_eventFlags[kEventFlagCount];

void EventFlagsClear();
