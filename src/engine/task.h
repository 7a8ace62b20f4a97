// The task pool: every object that lives over several frames is a task in one of 500
// fixed slots. Slot order is both update order and draw order, so fixed slots give the
// screen's layers. A screen is the set of live tasks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

constexpr int kTaskSlotCount = 500;
constexpr int kTaskDataSize = 2048;

struct TaskSlot;
using TaskCallback = void (*)(TaskSlot* slot);

struct TaskSlot {
  int32_t inUse;
  int32_t updateOn;
  int32_t drawOn;
  int32_t id;
  int32_t tag;
  TaskCallback update;
  TaskCallback draw;
  alignas(16) unsigned char data[kTaskDataSize];
};
static_assert(std::is_trivially_copyable_v<TaskSlot>);

// The pool; null outside the run (before start-up, after shut-down).
extern TaskSlot* g_taskPool;

// Task ids: the kind of task living in a slot.
enum TaskId : int32_t {
  kTaskIdCamera = 1000,
  kTaskIdWalker = 1100,
  kTaskIdFieldView = 1200,
  kTaskIdBattleGridView = 1250,
  kTaskIdBattleCursor = 1300,
  kTaskIdBattleUnit = 1400,
  kTaskIdMapChange = 1500,
  kTaskIdEffect3D = 1600,
  kTaskIdPerson = 1800,
  kTaskIdTrigger = 1900,
  kTaskIdBlock = 2000,
  kTaskIdExamined = 2100,
  kTaskIdNotice = 2200,
  kTaskIdProjectile = 2300,
  kTaskIdLift = 2400,
  kTaskIdShop = 4800,
  kTaskIdInn = 4900,
  kTaskIdBattle = 5000,
  kTaskIdChoiceMenu = 5100,
  kTaskIdStatus = 5200,
  kTaskIdDamageDigits = 8000,
  kTaskIdPopupSprite = 8100,
  kTaskIdEncounterWard = 8200,
  kTaskIdDonation = 8300,
  kTaskIdTitle = 9000,
  kTaskIdNewGamePrompt = 9200,
  kTaskIdQuitPrompt = 9300,
  kTaskIdPartyMenu = 9410,
  kTaskIdOptions = 9100,
  kTaskIdEvent = 9500,
  kTaskIdSaveLoad = 9600,
  kTaskIdRunOnceEvent = 9700,
  kTaskIdFade = 9800,
  kTaskIdEndingRoll = 9900,
  kTaskIdGallery = 10000,
  kTaskIdPicture = 11000,
  kTaskIdModelViewer = 12000,
  kTaskIdPreviewScene = 12100,
  kTaskIdPartyOrder = 12200,
  kTaskIdSkillMenu = 12300,
  kTaskIdItemMenu = 12400,
  kTaskIdEncounterTransition = 12500,
};

// Fixed slots and slot ranges. A range is first .. end - 1.
enum TaskSlotNumber : int {
  kSlotWalkerFirst = 0,  // walkers 0 to 3, slot = member number
  kSlotLift = 5,
  kSlotFieldView = 6,
  kSlotBattleGridView = 7,
  kSlotObjectsFirst = 10,  // people, objects, units and 3D effects
  kSlotObjectsEnd = 100,
  kSlotCamera = 399,
  kSlotScreensFirst = 400,  // tag searches stop below this
  kSlotEncounterWard = 401,
  kSlotBattle = 402,
  kSlotChoiceMenu = 404,
  kSlotPicture = 405,
  kSlotGallery = 406,
  kSlotModelViewer = 407,
  kSlotRunOnceEvent = 408,
  kSlotShop = 409,
  kSlotInn = 410,
  kSlotSaveLoad = 411,
  kSlotEvent = 412,
  kSlotPartyMenu = 413,
  kSlotStatus = 415,
  kSlotQuitPrompt = 416,
  kSlotNewGamePrompt = 417,
  kSlotOptions = 418,
  kSlotTitle = 419,
  kSlotEndingRoll = 420,
  kSlotPreviewScene = 421,
  kSlotMapChange = 422,
  kSlotNotice = 423,
  kSlotDonation = 424,
  kSlotPartyOrder = 425,
  kSlotSkillMenu = 426,
  kSlotItemMenu = 427,
  kSlotEncounterTransition = 428,
  kSlotEffectsFirst = 440,  // popups: 440 to 497
  kSlotEffectsEnd = 498,
  kSlotFade = 499,
};

// Modes for the pass flags of live slots.
enum TaskMode : int {
  kTaskModeRun = 0,       // update and draw on
  kTaskModePause = 1,     // update off, drawOn untouched
  kTaskModeHide = 2,      // draw off, updateOn untouched
  kTaskModeStop = 3,      // both off
};

void* MemAlloc(size_t size);
void MemFree(void* pointer);

int TaskPoolCreate();
void TaskPoolClear();
void TaskPoolFree();

// Allocators zero the whole slot and return it (or null); the creator fills the header.
TaskSlot* TaskAllocAt(int slot);
TaskSlot* TaskAllocAtForce(int slot);
TaskSlot* TaskAllocInRange(int first, int end);
TaskSlot* TaskAllocEffect();

void TaskKillAll();
void TaskKillAllBut(int32_t id);
void TaskKillById(int32_t id);

void TaskSetModeAll(int mode);       // spares the map change task
void TaskSetModeAllForce(int mode);  // every live slot
void TaskSetModeById(int32_t id, int mode);

int TaskExists(int32_t id);
TaskSlot* TaskFindById(int32_t id);
// The data record of the first live slot below 400 with a non-zero id and this tag.
void* TaskFindByTag(int32_t tag);

void TaskPoolUpdateAll();
void TaskPoolDrawAll();

// Makes a freshly claimed slot live with both passes on; every creator starts this way.
// A refused claim (null) passes through, so `if (!TaskStart(TaskAllocAt(n), ...))` reads.
inline TaskSlot* TaskStart(TaskSlot* slot, int32_t id, int32_t tag, TaskCallback update, TaskCallback draw) {
  if (!slot) return nullptr;
  slot->inUse = 1;
  slot->updateOn = 1;
  slot->drawOn = 1;
  slot->id = id;
  slot->tag = tag;
  slot->update = update;
  slot->draw = draw;
  return slot;
}

// Whether the fixed slot holds a live task (battle 402, field menu 404, event 412...).
bool TaskSlotInUse(int slot);
int TaskSlotIndex(const TaskSlot* slot);

// Typed access to a task's data record. A kind's record is a trivially copyable struct
// whose first member is the int32 live word; TaskDataInit constructs it in the zeroed
// slot, TaskData reads it back.
template <class T>
T* TaskDataInit(TaskSlot* slot) {
  static_assert(sizeof(T) <= kTaskDataSize, "task data must fit the slot");
  static_assert(std::is_trivially_copyable_v<T>, "task data must be a plain record");
  static_assert(alignof(T) <= 16);
  return new (slot->data) T{};
}

template <class T>
T* TaskData(TaskSlot* slot) {
  static_assert(sizeof(T) <= kTaskDataSize, "task data must fit the slot");
  return std::launder(reinterpret_cast<T*>(slot->data));
}

template <class T>
T* TaskData(void* record) {
  return std::launder(reinterpret_cast<T*>(record));
}

// The update trampoline of a kind with states: run the stored state on the data, and
// free the slot when the live word has dropped. The record needs `live` and `step`.
template <class T>
void TaskRunStep(TaskSlot* slot) {
  T* data = TaskData<T>(slot);
  if (data->step) data->step(data);
  if (data->live == 0) slot->inUse = 0;
}

// The position of a followable task: three floats after the live word and the state
// of its record. Kinds the camera can follow start with this prefix.
struct TaskFollowPrefix {
  int32_t live;
  void* step;
  float x, y, z;
};

inline void TaskReadPosition(const void* record, float& x, float& y, float& z) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  std::memcpy(&x, bytes + offsetof(TaskFollowPrefix, x), sizeof(float));
  std::memcpy(&y, bytes + offsetof(TaskFollowPrefix, y), sizeof(float));
  std::memcpy(&z, bytes + offsetof(TaskFollowPrefix, z), sizeof(float));
}
