#include "event/flags.h"

int32_t g_eventFlags[kEventFlagCount];

void EventFlagsClear() {
  for (int32_t& f : g_eventFlags) f = 0;
}
