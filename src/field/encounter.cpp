#include "field/encounter.h"

#include "data/flow.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "field/map.h"
#include "field/walker.h"

int EncounterCheck(float x, float z) {
  if (g_encounterCountdown != 0 || g_encounterArea < 1 || MapEventAt(x, z) != 0) return 0;
  if (TaskSlotInUse(kSlotChoiceMenu) || TaskSlotInUse(kSlotEvent)) return 0;
  return FieldStartRandomEncounter();
}

// The countdown starts over, every update stops, the encounter sound plays and the
// transition into the battle takes over. When no battle could follow (its slots are
// taken), the field is given back at once and the leader keeps its keys.
int FieldStartRandomEncounter() {
  g_encounterCountdown = g_encounterInterval;
  TaskSetModeAllForce(kTaskModePause);
  SoundRequest(kSoundEncounter, 0);
  if (g_flow.startEncounter()) return 1;
  TaskSetModeAllForce(kTaskModeRun);
  return 0;
}

// A menu that could not open leaves the leader to its keys.
int FieldMenuKeyCheck() {
  if (!KeyPressed(kKeyShift) || TaskSlotInUse(kSlotBattle) || TaskSlotInUse(kSlotEvent)) return 0;
  if (!g_flow.openFieldMenu()) return 0;
  SoundRequest(kSoundCursor, 0);
  return 1;
}

int EncounterWardStart(int32_t steps) {
  TaskSlot* slot = TaskAllocAtForce(kSlotEncounterWard);
  TaskStart(slot, kTaskIdEncounterWard, 0, EncounterWardUpdate, EncounterWardDraw);
  EncounterWardData* ward = TaskDataInit<EncounterWardData>(slot);
  ward->live = 1;
  ward->stepsLeft = steps;
  ward->step = EncounterWardStepCount;
  return 1;
}

void EncounterWardUpdate(TaskSlot* slot) { TaskRunStep<EncounterWardData>(slot); }

void EncounterWardDraw(TaskSlot* slot) {
  const EncounterWardData* ward = TaskData<EncounterWardData>(slot);
  DrawAtlas(250.0f, 4.0f, kAtlasWardLabel);
  DrawNumberTiny(350.0f, 5.0f, ward->stepsLeft);
  if (ward->step == EncounterWardNoticeStep) {
    DrawSpriteCentred(kAtlasWardNotice, 200.0f, kAtlasSize, kAtlasSize, kColourOpaque, g_atlasTexture.get());
  }
}

// Each leader step counts once, in the frame it begins; while the ward counts the
// encounter countdown stays full, so no random battle can start.
void EncounterWardStepCount(EncounterWardData* ward) {
  if (TaskSlotInUse(kSlotBattle)) {
    ward->live = 0;
    return;
  }
  TaskSlot* leaderSlot = TaskFindById(kTaskIdWalker);
  const WalkerData* leader = leaderSlot ? TaskData<WalkerData>(leaderSlot) : nullptr;
  if (leader && leader->subStep == 1) --ward->stepsLeft;
  if (ward->stepsLeft <= 0 && leader && leader->subStep == 0) {
    ward->step = EncounterWardNoticeStep;
    TaskSetModeAll(kTaskModePause);
    TaskSetModeById(kTaskIdEncounterWard, kTaskModeRun);
  }
  g_encounterCountdown = g_encounterInterval;
}

void EncounterWardNoticeStep(EncounterWardData* ward) {
  if (KeyPressed(kKeyEnter) || KeyPressed(kKeyZ)) {
    ward->live = 0;
    TaskSetModeAll(kTaskModeRun);
  }
}
