// What the party's screens share: the party's size for their cursors, one step round a
// ring of entries, pictures that may be empty, and the update of a screen task.
#pragma once

#include <algorithm>
#include <cstdint>

#include "data/game_state.h"
#include "engine/draw2d.h"
#include "engine/sound.h"
#include "engine/task.h"

// Members in use: the party count kept within the four rows, whatever set it.
inline int32_t PartySize() { return std::clamp<int32_t>(g_partyCount, 0, kPartyRows); }

// One step round a ring of `count` places: past the last back to 0, below 0 to the last.
// An empty ring stays at 0, so no cursor ever reads row -1.
inline int32_t WrapStep(int32_t value, int32_t delta, int32_t count) {
  if (count < 1) return 0;
  const int32_t next = value + delta;
  if (next > count - 1) return 0;
  if (next < 0) return count - 1;
  return next;
}

inline void MenuSound(int id) { SoundRequest(id, 0); }

// An atlas picture at its own size; an empty rectangle (an empty order place, an item
// row without art) draws nothing.
inline void DrawPicture(float x, float y, const AtlasRect& rect, uint32_t colour = kColourOpaque) {
  if (RectWidth(rect) > 0.0f && RectHeight(rect) > 0.0f) DrawAtlas(x, y, rect, colour);
}

// Runs a screen's stored step. When its live word has dropped, the slot is freed and the
// result is true, so the caller opens what comes next. A step that killed its own task
// (the title return, the ward bell) leaves the slot alone: the task's data is not its
// own any more.
template <class T>
bool MenuTaskStep(TaskSlot* slot) {
  T* data = TaskData<T>(slot);
  if (data->step) data->step(data);
  if (!slot->inUse || data->live != 0) return false;
  slot->inUse = 0;
  return true;
}
