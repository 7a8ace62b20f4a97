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

// The head every task record starts with that can be found by tag: the camera follows
// it, commands turn and move it. Kinds derive their records from it, so a record found
// by tag is read as this type.
struct TaskHead {
  int32_t live;   // 0 ends the task
  float x, y, z;  // world position
};

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

// The pool's own layout rules; which kind of task lives where is the game's table
// (data/tasks.h).
constexpr int kTaskTagSearchEnd = 400;  // tag searches look at slots below this only
// Slots below this draw the 3D scene (walkers, views, people, objects, units and their
// effects); the glowing shapes among them are drawn after all of it.
constexpr int kTaskSceneEnd = 100;
// The tag of a task whose creator names none: the camera, the views, the event task and
// every screen carry it. It names nothing a search or a script may find.
constexpr int32_t kTaskNoTag = 0;
constexpr int kTaskEffectsFirst = 440;  // short effects: 440 to 497
constexpr int kTaskEffectsEnd = 498;

// Modes for the pass flags of live slots.
enum TaskMode : int {
  kTaskModeRun = 0,    // update and draw on
  kTaskModePause = 1,  // update off, drawOn untouched
  kTaskModeHide = 2,   // draw off, updateOn untouched
  kTaskModeStop = 3,   // both off
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

// Every live slot but those of one kind, which keep running as they were.
void TaskSetModeAllExcept(int mode, int32_t sparedId);
void TaskSetModeAllForce(int mode);  // every live slot
void TaskSetModeById(int32_t id, int mode);

int TaskExists(int32_t id);
TaskSlot* TaskFindById(int32_t id);
// The head of the first live slot below 400 with a non-zero id and this tag; none for
// kTaskNoTag.
TaskHead* TaskFindByTag(int32_t tag);

void TaskPoolUpdateAll();
// Every drawn task in slot order, with the scene's glowing shapes after the scene.
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
