#include "battle/battle.h"

#include <cstring>
#include <utility>

#include "battle/actions.h"
#include "battle/cursor.h"
#include "battle/grid.h"
#include "battle/messages.h"
#include "battle/results.h"
#include "battle/transition.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/camera.h"
#include "engine/keys.h"
#include "engine/settings.h"
#include "engine/sound.h"
#include "engine/util.h"
#include "field/walker.h"

namespace {

// clang-format off
constexpr char kTextEncounter[] = "\x93\x47\x82\xc9\x91\x98\x8b\xf6\x82\xb5\x82\xbd";          // 敵に遭遇した
constexpr char kTextAmbush[] = "\x93\x47\x82\xaa\x8f\x50\x82\xc1\x82\xc4\x82\xab\x82\xbd";     // 敵が襲ってきた
constexpr char kTextSpace[] = "\x81\x40";                                                      // a full-width space
constexpr char kTextVictory[] =
    "\x83\x70\x81\x5b\x83\x65\x83\x42\x81\x5b\x82\xcd\x90\xed\x82\xa2\x82\xc9\x8f\x9f\x82\xc1\x82\xbd";  // パーティーは戦いに勝った
constexpr char kTextParty[] = "\x83\x70\x81\x5b\x83\x65\x83\x42\x81\x5b\x82\xcd";               // パーティーは
constexpr char kTextEscaped[] =
    "\x83\x70\x81\x5b\x83\x65\x83\x42\x81\x5b\x82\xcd\x93\xa6\x91\x96\x82\xb5\x82\xbd";  // パーティーは逃走した
constexpr char kTextDefeat[] =
    "\x83\x70\x81\x5b\x83\x65\x83\x42\x81\x5b\x82\xcd\x90\xed\x82\xa2\x82\xc9\x95\x89\x82\xaf\x82\xbd";  // パーティーは戦いに負けた
constexpr char kTextGameOver[] = "\x83\x51\x81\x5b\x83\x80\x83\x49\x81\x5b\x83\x6f\x81\x5b";   // ゲームオーバー
// clang-format on

constexpr int kAmbushChance = 4;  // one battle in four the enemies strike first
constexpr float kOnMarkDistance = 0.25f;
constexpr int kPlacementRows[6] = {3, 4, 5, 12, 13, 14};
constexpr int kPlacementRingRows[6] = {6, 7, 8, 9, 10, 11};
constexpr int kPlacementRingColumns[6] = {3, 4, 5, 12, 13, 14};

int PartyUnits() { return g_partyCount < 0 ? 0 : (g_partyCount > kPartyRows ? kPartyRows : g_partyCount); }

void CellCentre(int column, int row, float* x, float* z) {
  *x = static_cast<float>(column);
  *z = static_cast<float>(row);
  GridCellToWorld(x, z);
}

UnitData* PlaceUnit(const CharacterRecord& record, int column, int row, float facing) {
  float x = 0, z = 0;
  CellCentre(column, row, &x, &z);
  return UnitCreate(record, x, kUnitHeight, z, facing);
}

int CreateCursor() {
  float x = 0, z = 0;
  CellCentre(kCursorStartColumn, kCursorStartRow, &x, &z);
  return CursorCreate(x, kCursorStartHeight, z);
}

int PlaceParty() {
  for (int i = 0; i < PartyUnits(); ++i) {
    if (!PartyMemberPresent(i)) continue;  // a place emptied for the reserve fights nobody
    if (!PlaceUnit(g_party[i], kPartyStartCells[i][0], kPartyStartCells[i][1], 90.0f)) return 0;
  }
  return 1;
}

void GridPrepare() {
  GridInit();
  GridClearRange();
  GridClearSearchMarks();
  GridViewCreate();
}

int FreeUnitSlots() {
  if (!g_taskPool) return 0;
  int free = 0;
  for (int i = kSlotObjectsFirst; i < kSlotObjectsEnd; ++i) {
    if (!g_taskPool[i].inUse) ++free;
  }
  return free;
}

// Numbers and effects still showing from before (the last poison tick of a battle just
// won, a trap's damage) would be stopped with everything else and hold every turn of the
// new battle, which waits for them to end: they go now.
BattleData* BattleBegin(TaskSlot* slot, int32_t eventBattle) {
  for (int32_t id : {kTaskIdDamageDigits, kTaskIdPopupSprite, kTaskIdEffect3D}) TaskKillById(id);
  TaskSetModeAllForce(kTaskModeStop);
  TaskStart(slot, kTaskIdBattle, 0, BattleTaskUpdate, BattleTaskDraw);
  BattleData* battle = TaskDataInit<BattleData>(slot);
  battle->live = 1;
  battle->eventBattle = eventBattle;
  battle->result = 1;
  return battle;
}

// The world as it stood before the battle: the field running, or only the event (and
// the camera) going on from where it stopped.
void GiveWorldBack(const BattleData* battle) {
  TaskSetModeAllForce(kTaskModeRun);
  if (!battle->eventBattle) return;
  TaskSetModeAllForce(kTaskModePause);
  TaskSetModeById(kTaskIdEvent, kTaskModeRun);
  TaskSetModeById(kTaskIdCamera, kTaskModeRun);
}

// A set-up that could not create its cursor or a unit leaves nothing behind.
void BattleAbandon(BattleData* battle) {
  BattleKillTasks();
  GridClearRange();
  GridClearSearchMarks();
  g_taskPool[kSlotBattle].inUse = 0;
  GiveWorldBack(battle);
}

int BattleCountOnMarks() {
  int count = 0;
  ForEachUnit([&](const UnitData* u) {
    if (u->record.side == 0 && DistanceXZ(u->x, u->z, u->walkIn[0], u->walkIn[2]) <= kOnMarkDistance) ++count;
  });
  return count;
}

}  // namespace

BattleData* BattleFind() {
  if (!TaskSlotInUse(kSlotBattle) || g_taskPool[kSlotBattle].id != kTaskIdBattle) return nullptr;
  return TaskData<BattleData>(&g_taskPool[kSlotBattle]);
}

bool BattleCanStart(int32_t enemies) {
  return !TaskSlotInUse(kSlotBattle) && FreeUnitSlots() >= 1 + PartyUnits() + enemies;
}

int BattleEncounterStart() {
  if (!BattleCanStart(kBattleSideMax)) return 0;
  return BattleTransitionStart(0);
}

int BattleStartRandom() {
  TaskSlot* slot = TaskAllocAt(kSlotBattle);
  if (!slot) return 0;
  BattleData* battle = BattleBegin(slot, 0);
  g_phaseSide = RandomBelow(kAmbushChance) == 0 ? 1 : 0;
  BattleClearMessages(battle);
  BattleQueueMessage(battle, g_phaseSide == 1 ? kTextAmbush : kTextEncounter);
  BattleQueueMessage(battle, kTextSpace);
  BattleQueueMessage(battle, kTextSpace);
  BattleBuildPlacementCells(battle);
  if (!BattleSetupRandom(battle)) {
    BattleAbandon(battle);
    return 0;
  }
  battle->step = BattleStepWaitCamera;
  MusicPlay(kMusicBattle);
  return 1;
}

int BattleStartEvent(const EventBattleOrder* order) {
  if (TaskExists(kTaskIdBattle) || TaskSlotInUse(kSlotBattle)) return 0;
  const int32_t count = order->count < 1 || order->count > kBattleSideMax ? 1 : order->count;
  if (!BattleCanStart(count)) return 0;
  TaskSlot* slot = TaskAllocAt(kSlotBattle);
  if (!slot) return 0;
  BattleData* battle = BattleBegin(slot, 1);
  g_phaseSide = 0;
  BattleClearMessages(battle);
  BattleQueueMessage(battle, kTextEncounter);
  BattleQueueMessage(battle, kTextSpace);
  BattleQueueMessage(battle, kTextSpace);
  if (!BattleSetupEvent(battle, order)) {
    BattleAbandon(battle);
    return 0;
  }
  battle->step = BattleStepWaitCamera;
  MusicPlay(kMusicBattle);
  return 1;
}

void BattleSetStep(BattleStep step) {
  if (BattleData* battle = BattleFind()) battle->step = step;
}

// The ring three cells wide around the party's start cells: rows 3 to 5 and 12 to 14
// whole, then the side columns of the rows between.
void BattleBuildPlacementCells(BattleData* battle) {
  int n = 0;
  for (int row : kPlacementRows) {
    for (int column = 3; column <= 14; ++column) {
      battle->placementX[n] = column;
      battle->placementZ[n] = row;
      ++n;
    }
  }
  for (int row : kPlacementRingRows) {
    for (int column : kPlacementRingColumns) {
      battle->placementX[n] = column;
      battle->placementZ[n] = row;
      ++n;
    }
  }
  battle->placementCount = n;
}

// The taken cell's hole moves to the end; the other cells keep their order.
int BattleTakePlacementCell(BattleData* battle, int32_t* column, int32_t* row) {
  if (battle->placementCount < 2 || battle->placementCount > kPlacementCells) return 0;
  const int i = RandomBelow(battle->placementCount);
  *column = battle->placementX[i];
  *row = battle->placementZ[i];
  battle->placementX[i] = battle->placementZ[i] = -1;
  for (int k = 0; k < kPlacementCells - 1; ++k) {
    if (battle->placementX[k] != -1) continue;
    std::swap(battle->placementX[k], battle->placementX[k + 1]);
    std::swap(battle->placementZ[k], battle->placementZ[k + 1]);
  }
  --battle->placementCount;
  return 1;
}

// Random draws come in this order: the enemy count, then for each enemy its cell and
// its column of the encounter table.
int BattleSetupRandom(BattleData* battle) {
  GridPrepare();
  if (!CreateCursor() || !PlaceParty()) return 0;
  g_enemyCount = RandomBelow(kBattleSideMax) + 1;
  int area = g_encounterArea;
  if (area < 1) area = 1;
  if (area > kEncounterAreas) area = kEncounterAreas;
  int32_t ids[kBattleSideMax];
  int placed = 0;
  for (int i = 0; i < g_enemyCount; ++i) {
    int32_t column = 0, row = 0;
    if (!BattleTakePlacementCell(battle, &column, &row)) break;
    const int32_t id = g_encounterTable[area - 1][RandomBelow(4)];
    if (!PlaceUnit(g_characterTable[kMonsterRowOffset + id], column, row, 270.0f)) return 0;
    ids[placed++] = id;
  }
  MonsterCount counts[kMonsterKinds];
  MonsterCountsInit(counts);
  if (g_phaseSide == 0) {
    MonsterCountsAdd(counts, ids, placed);
    BattleQueueAppearedLines(battle, counts);
  }
  BattleSumRewards(&battle->gold, &battle->experience);
  return 1;
}

// Enemies a script puts off the open ground, on a party cell or on another enemy, or
// names with no monster, are left out.
int BattleSetupEvent(BattleData* battle, const EventBattleOrder* order) {
  GridPrepare();
  const int32_t count = order->count < 1 || order->count > kBattleSideMax ? 1 : order->count;
  g_enemyCount = count;
  int32_t ids[kBattleSideMax], columns[kBattleSideMax], rows[kBattleSideMax];
  int placed = 0;
  for (int i = 0; i < count; ++i) {
    const BattleEnemyOrder& e = order->enemies[i];
    if (!ScriptedEnemyValid(e.monster, e.column, e.row, columns, rows, placed)) continue;
    if (!PlaceUnit(g_characterTable[kMonsterRowOffset + e.monster], e.column, e.row, 270.0f)) return 0;
    ids[placed] = e.monster;
    columns[placed] = e.column;
    rows[placed] = e.row;
    ++placed;
  }
  if (!CreateCursor() || !PlaceParty()) return 0;
  MonsterCount counts[kMonsterKinds];
  MonsterCountsInit(counts);
  MonsterCountsAdd(counts, ids, placed);
  BattleQueueAppearedLines(battle, counts);
  BattleSumRewards(&battle->gold, &battle->experience);
  return 1;
}

int BattleCountSide(int32_t side) {
  int count = 0;
  ForEachUnit([&](const UnitData* u) {
    if (u->record.side == side) ++count;
  });
  return count;
}

int BattleAnyUnitNotIdle() {
  int busy = 0;
  ForEachUnit([&](const UnitData* u) {
    if (u->state != UnitStateIdle) busy = 1;
  });
  return busy;
}

bool BattleUnitsSettled() {
  bool settled = true;
  ForEachUnit([&](const UnitData* u) {
    const UnitStep s = u->state;
    if (s != UnitStateIdle && s != UnitStateMoving && s != UnitStateEndAction) settled = false;
  });
  return settled;
}

void BattleKillTasks() {
  TaskKillById(kTaskIdBattleUnit);
  TaskKillById(kTaskIdBattleGridView);
  TaskKillById(kTaskIdBattleCursor);
}

void BattleResumeTasks() {
  for (int32_t id : {kTaskIdBattleCursor, kTaskIdBattleUnit, kTaskIdBattle, kTaskIdPopupSprite, kTaskIdDamageDigits,
                     kTaskIdEffect3D}) {
    TaskSetModeById(id, kTaskModeRun);
  }
}

void BattleTaskUpdate(TaskSlot* slot) {
  BattleData* battle = TaskData<BattleData>(slot);
  if (battle->step) battle->step(battle);
  if (battle->live != 0) return;
  slot->inUse = 0;
  const float at[3] = {0.0f, 100.0f, 0.0f};
  const float eye[3] = {0.0f, 100.0f, 0.1f};
  CameraSetView(at, eye);
}

void BattleStepWaitCamera(BattleData*) {}

void BattleMainStep(BattleData* battle) {
  BattleAutoOffKey();
  switch (battle->phase) {
    case kBattleSwapOut: BattleSwapWaitEmpty(battle); break;
    case kBattleSwapIn: BattleSwapWaitArrival(battle); break;
    default: BattleCheckOutcome(battle); break;
  }
}

void BattleAutoOffKey() {
  if (g_settings.autoBattle != 1 || !KeyPressed(kKeyA)) return;
  g_settings.autoBattle = 0;
  SoundRequest(kSoundAutoBattle, 0);
}

void BattleSwapWaitEmpty(BattleData* battle) {
  battle->partyCount = BattleCountSide(0);
  battle->enemyCount = 0;
  if (battle->partyCount < 1) BattleDeployOtherTeam(battle);
}

// Only the units that could be created are waited for: one that found no slot never
// arrives.
void BattleSwapWaitArrival(BattleData* battle) {
  if (BattleCountOnMarks() < battle->arriving) return;
  battle->phase = kBattleFighting;
  PhaseBannerStart(PhaseOpeningBanner());
  if (BattleCountSide(1) == 0) BattleVictory(battle);
}

// Decided only on a frame where every unit rests, so the last one to fall has sunk.
void BattleCheckOutcome(BattleData* battle) {
  if (BattleAnyUnitNotIdle()) return;
  battle->partyCount = BattleCountSide(0);
  battle->enemyCount = BattleCountSide(1);
  if (battle->partyCount >= 1 && battle->enemyCount == 0) {
    if (battle->team == 1) {
      BattleVictoryFamiliars(battle);
    } else {
      BattleVictory(battle);
    }
  } else if (battle->partyCount <= 0) {
    if (battle->team == 1) {
      BattleDefeatFamiliars(battle);
    } else {
      BattleDefeat(battle);
    }
  }
}

void BattleVictory(BattleData* battle) {
  battle->result = 1;
  BattleClearMessages(battle);
  BattleQueueMessage(battle, kTextVictory);
  BattleQueueMessage(battle, kTextSpace);
  BattleQueueMessage(battle, kTextSpace);
  BattleQueueMessage(battle, kTextParty);
  BattleAddRewards(battle);
  BattleStoreUnitsToParty();
  battle->step = BattleOutroStep;
  CursorSetState(CursorStateIdle);
}

void BattleVictoryFamiliars(BattleData* battle) {
  battle->phase = kBattleSwapOut;
  PartySwapOut();
  CursorSetState(CursorStateIdle);
  g_settings.autoBattle = 0;
}

void BattleDefeat(BattleData* battle) {
  BattleClearMessages(battle);
  if (battle->escaped == 1) {
    battle->result = 1;
    BattleQueueMessage(battle, kTextEscaped);
  } else {
    battle->result = 0;
    BattleQueueMessage(battle, kTextDefeat);
    BattleQueueMessage(battle, kTextSpace);
    BattleQueueMessage(battle, kTextSpace);
    BattleQueueMessage(battle, kTextGameOver);
  }
  battle->step = BattleOutroStep;
  CursorSetState(CursorStateIdle);
}

void BattleDefeatFamiliars(BattleData* battle) {
  if (battle->escaped == 1) {
    BattleClearMessages(battle);
    BattleQueueMessage(battle, kTextEscaped);
    battle->step = BattleOutroStep;
    return;
  }
  BattleDeployOtherTeam(battle);
  CursorSetState(CursorStateIdle);
  g_settings.autoBattle = 0;
}

void BattleEnd(BattleData* battle) {
  BattleKillTasks();
  GridClearRange();
  GridClearSearchMarks();
  GiveWorldBack(battle);
  MusicPlay(kMusicField);
  if (battle->result == 0) g_flow.returnToTitle();
}
