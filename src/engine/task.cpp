#include "engine/task.h"

#include <cstdlib>

#include "engine/draw.h"

TaskSlot* g_taskPool = nullptr;

void* MemAlloc(size_t size) { return std::malloc(size); }

void MemFree(void* pointer) { std::free(pointer); }

int TaskPoolCreate() {
  g_taskPool = static_cast<TaskSlot*>(std::aligned_alloc(alignof(TaskSlot), sizeof(TaskSlot) * kTaskSlotCount));
  if (!g_taskPool) return 0;
  std::memset(static_cast<void*>(g_taskPool), 0, sizeof(TaskSlot) * kTaskSlotCount);
  TaskPoolClear();
  return 1;
}

void TaskPoolClear() {
  for (int i = 0; i < kTaskSlotCount; ++i) g_taskPool[i].inUse = 0;
}

void TaskPoolFree() {
  std::free(g_taskPool);
  g_taskPool = nullptr;
}

namespace {

TaskSlot* Claim(int slot) {
  TaskSlot* s = &g_taskPool[slot];
  std::memset(static_cast<void*>(s), 0, sizeof(TaskSlot));
  return s;
}

bool ValidSlot(int slot) { return g_taskPool && slot >= 0 && slot < kTaskSlotCount; }

void ApplyMode(TaskSlot& s, int mode) {
  switch (mode) {
    case kTaskModeRun:
      s.updateOn = 1;
      s.drawOn = 1;
      break;
    case kTaskModePause: s.updateOn = 0; break;
    case kTaskModeHide: s.drawOn = 0; break;
    case kTaskModeStop:
      s.updateOn = 0;
      s.drawOn = 0;
      break;
    default: break;
  }
}

}  // namespace

TaskSlot* TaskAllocAt(int slot) {
  if (!ValidSlot(slot) || g_taskPool[slot].inUse != 0) return nullptr;
  return Claim(slot);
}

TaskSlot* TaskAllocAtForce(int slot) {
  if (!ValidSlot(slot)) return nullptr;
  return Claim(slot);
}

TaskSlot* TaskAllocInRange(int first, int end) {
  if (!g_taskPool) return nullptr;
  if (first < 0) first = 0;
  if (end > kTaskSlotCount) end = kTaskSlotCount;
  for (int i = first; i < end; ++i) {
    if (g_taskPool[i].inUse == 0) return Claim(i);
  }
  return nullptr;
}

TaskSlot* TaskAllocEffect() { return TaskAllocInRange(kTaskEffectsFirst, kTaskEffectsEnd); }

void TaskKillAll() {
  if (!g_taskPool) return;
  for (int i = 0; i < kTaskSlotCount; ++i) g_taskPool[i].inUse = 0;
}

void TaskKillAllBut(int32_t id) {
  if (!g_taskPool) return;
  for (int i = 0; i < kTaskSlotCount; ++i) {
    if (g_taskPool[i].inUse && g_taskPool[i].id != id) g_taskPool[i].inUse = 0;
  }
}

void TaskKillById(int32_t id) {
  if (!g_taskPool) return;
  for (int i = 0; i < kTaskSlotCount; ++i) {
    if (g_taskPool[i].inUse && g_taskPool[i].id == id) g_taskPool[i].inUse = 0;
  }
}

void TaskSetModeAllExcept(int mode, int32_t sparedId) {
  if (!g_taskPool) return;
  for (int i = 0; i < kTaskSlotCount; ++i) {
    if (g_taskPool[i].inUse && g_taskPool[i].id != sparedId) ApplyMode(g_taskPool[i], mode);
  }
}

void TaskSetModeAllForce(int mode) {
  if (!g_taskPool) return;
  for (int i = 0; i < kTaskSlotCount; ++i) {
    if (g_taskPool[i].inUse) ApplyMode(g_taskPool[i], mode);
  }
}

void TaskSetModeById(int32_t id, int mode) {
  if (!g_taskPool) return;
  for (int i = 0; i < kTaskSlotCount; ++i) {
    if (g_taskPool[i].inUse && g_taskPool[i].id == id) ApplyMode(g_taskPool[i], mode);
  }
}

int TaskExists(int32_t id) { return TaskFindById(id) != nullptr ? 1 : 0; }

TaskSlot* TaskFindById(int32_t id) {
  if (!g_taskPool) return nullptr;
  for (int i = 0; i < kTaskSlotCount; ++i) {
    if (g_taskPool[i].inUse && g_taskPool[i].id == id) return &g_taskPool[i];
  }
  return nullptr;
}

TaskHead* TaskFindByTag(int32_t tag) {
  if (!g_taskPool || tag == kTaskNoTag) return nullptr;
  for (int i = 0; i < kTaskTagSearchEnd; ++i) {
    TaskSlot& s = g_taskPool[i];
    if (s.inUse && s.id != 0 && s.tag == tag) return TaskData<TaskHead>(&s);
  }
  return nullptr;
}

// Each slot's flags are read only when the pass reaches it, so tasks created, killed or
// paused during the pass take effect by slot order.
void TaskPoolUpdateAll() {
  for (int i = 0; i < kTaskSlotCount && g_taskPool; ++i) {
    TaskSlot& s = g_taskPool[i];
    if (s.inUse && s.updateOn && s.update) s.update(&s);
  }
}

void TaskPoolDrawAll() {
  DrawGlowsHold();
  for (int i = 0; i < kTaskSlotCount && g_taskPool; ++i) {
    if (i == kTaskSceneEnd) DrawGlowsHeld();
    TaskSlot& s = g_taskPool[i];
    if (s.inUse && s.drawOn && s.draw) s.draw(&s);
  }
  DrawGlowsHeld();
}

bool TaskSlotInUse(int slot) { return ValidSlot(slot) && g_taskPool[slot].inUse != 0; }
