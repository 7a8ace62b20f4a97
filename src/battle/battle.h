// The battle task: owns a battle from its first frame to its last. Its start stops every
// other task, builds the battlefield, places the party and the enemies, creates the
// cursor, queues the opening lines and starts the battle music. Each frame its step runs
// (the opening lines, the watch for the end of the fight, the closing lines); its end
// kills the battle's tasks and gives the world back to the field or to the event that
// started it, or goes to the title after a defeat.
#pragma once

#include <cstdint>

#include "battle/unit.h"
#include "data/flow.h"
#include "engine/task.h"
#include "engine/text.h"

constexpr int kPlacementCells = 108;
constexpr int kBattleQueueLines = 10;
constexpr int kBattleShownLines = 3;
constexpr int kBattleLineBytes = kTextLineBytes;

struct BattleData;
using BattleStep = void (*)(BattleData* battle);

struct BattleData {
  int32_t live;
  BattleStep step;
  int32_t eventBattle;  // 1 for a scripted battle
  int32_t partyCount;   // party-side units, as last counted
  int32_t enemyCount;
  int32_t result;       // 1 victory or escape, 0 defeat
  int32_t keyBarShown;  // cleared by a unit window that covers the bottom bar
  int32_t gold;
  int32_t experience;
  int32_t placementCount;
  int32_t placementX[kPlacementCells];
  int32_t placementZ[kPlacementCells];
  int32_t escaped;
  int32_t phase;     // 0 fighting, 1 the units on the field leave, 2 the others walk in
  int32_t team;      // 0 the party is on the field, 1 the familiars
  int32_t arriving;  // units walking in that the swap waits for
  int32_t shownLines[kBattleShownLines][kGlyphRowLength];
  char queue[kBattleQueueLines][kBattleLineBytes];
};
static_assert(sizeof(BattleData) <= kTaskDataSize);

enum BattlePhase : int32_t { kBattleFighting = 0, kBattleSwapOut = 1, kBattleSwapIn = 2 };

constexpr int kCursorStartColumn = 7;
constexpr int kCursorStartRow = 8;
constexpr float kCursorStartHeight = 0.25f;

// The battle task's data, or null while no battle runs.
BattleData* BattleFind();
// Whether a battle could start now: its slot is free and the unit slots hold the
// cursor, the party and `enemies` more units.
bool BattleCanStart(int32_t enemies);
// The encounter's battle; 0 when its slot is busy (nothing happens then).
int BattleStartRandom();
// A scripted battle over the running event; 0 when refused.
int BattleStartEvent(const EventBattleOrder* order);
// The field's encounter hands over to the transition; 0 when no battle could follow.
int BattleEncounterStart();
void BattleSetStep(BattleStep step);
void BattleEnd(BattleData* battle);
void BattleTaskUpdate(TaskSlot* slot);
void BattleTaskDraw(TaskSlot* slot);

void BattleBuildPlacementCells(BattleData* battle);
int BattleTakePlacementCell(BattleData* battle, int32_t* column, int32_t* row);
// The set-ups: 1, or 0 when a unit or the cursor could not be created.
int BattleSetupRandom(BattleData* battle);
int BattleSetupEvent(BattleData* battle, const EventBattleOrder* order);

int BattleCountSide(int32_t side);
int BattleAnyUnitNotIdle();
bool BattleUnitsSettled();
void BattleKillTasks();
// The battle's own tasks update again after an overlay paused everything; the field's
// stay stopped and hidden.
void BattleResumeTasks();

void BattleStepWaitCamera(BattleData* battle);
void BattleMainStep(BattleData* battle);
void BattleAutoOffKey();
void BattleSwapWaitEmpty(BattleData* battle);
void BattleSwapWaitArrival(BattleData* battle);
void BattleCheckOutcome(BattleData* battle);
void BattleVictory(BattleData* battle);
void BattleVictoryFamiliars(BattleData* battle);
void BattleDefeat(BattleData* battle);
void BattleDefeatFamiliars(BattleData* battle);

// Drawing (battle_draw.cpp).
void DrawBattleHud(const BattleData* battle);
void DrawBattleKeyBar();
void DrawCursorUnitStatus();
void DrawUnitStatusWindow(const UnitData* unit);
void DrawUnitEquipment(const UnitData* unit);
void DrawMoveCursorHints();
void DrawTargetCursorHints();
void DrawPhaseBanner();
void DrawAllUnitGauges();
void DrawAllCommandHuds();
