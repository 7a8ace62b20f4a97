// Temporary: stands in until the field's encounter code lands, so the item effects link.
#include "field/encounter.h"

int EncounterWardStart(int32_t) { return 1; }
