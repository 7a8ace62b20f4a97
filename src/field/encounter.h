// Random battles on the field: the countdown and the ward that holds them off.
#pragma once

#include <cstdint>

// Holds random battles off for the given number of steps; a new ward replaces a running one.
int EncounterWardStart(int32_t steps);
