// Random encounters on the field: the check the leader makes at rest, and the ward
// item's task that keeps them away for a number of steps.
#pragma once

#include <cstdint>

#include "engine/task.h"

// At rest on (x, z): starts a random battle when the countdown has run out on a map
// with encounters, the cell holds no event and neither the field menu nor an event is
// open. 1 when it took over the frame.
int EncounterCheck(float x, float z);
// The field stops and hands over to a random battle; 1 when it took over the frame.
int FieldStartRandomEncounter();
// Shift at rest opens the field menu. 1 when it took over the frame.
int FieldMenuKeyCheck();

struct EncounterWardData;
using EncounterWardStep = void (*)(EncounterWardData* ward);

struct EncounterWardData {
  int32_t live;
  int32_t stepsLeft;
  EncounterWardStep step;
};

// A ward for `steps` leader steps; a running ward is replaced. 1.
int EncounterWardStart(int32_t steps);
void EncounterWardUpdate(TaskSlot* slot);
void EncounterWardDraw(TaskSlot* slot);
void EncounterWardStepCount(EncounterWardData* ward);
void EncounterWardNoticeStep(EncounterWardData* ward);
