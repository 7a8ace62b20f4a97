// Drives the event task directly: a task pool, the map buffers, a recording device and
// scripted keys, one update pass at a time, with crafted script slots.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "event/event.h"
#include "field/map.h"
#include "platform/keyboard.h"
#include "platform/recording/gpu_recording.h"
#include "platform/text_encoding.h"
#include "platform/window.h"
#include "support/event_world.h"

namespace test {

// A screen sprite as the recorder saw it: destination and source in pixels.
struct Sprite {
  float x, y, w, h;
  float srcLeft, srcTop;
  uint32_t colour;
  const plat::Texture* texture;
};

inline Sprite ToSprite(const plat::DrawRecord& r, float texSize) {
  const auto& v = r.screen;
  return {v[0].x + 0.5f,    v[0].y + 0.5f,    v[2].x - v[0].x, v[2].y - v[0].y,
          v[0].u * texSize, v[0].v * texSize, v[0].colour,     r.texture};
}

inline std::string Sjis(const char* utf8) { return plat::Utf8ToSjis(utf8); }

class EventTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world_.Open());
    g_mapNumber = 0;
    g_eventCount = 3;
    g_encounterArea = 0;  // a battle test before may have left an area with encounters
    g_encounterInterval = 30;
    g_encounterCountdown = 0;
  }

  void TearDown() override { world_.Close(); }

  // Writes a script (Shift-JIS bytes, already split) into slot k, zero-filled.
  static void SetScript(int slot, const std::string& text) {
    char* base = EventSlotBase(slot);
    std::memset(base, 0, kEventSlotSize);
    std::memcpy(base, text.data(), text.size() < kEventSlotSize ? text.size() : kEventSlotSize);
  }

  // A live task of some kind in a slot, updating and drawing nothing.
  static TaskSlot* PlaceTask(int slot, int32_t id) {
    TaskSlot* s = TaskAllocAt(slot);
    s->inUse = 1;
    s->updateOn = 1;
    s->drawOn = 1;
    s->id = id;
    return s;
  }

  static EventContext* Context() { return TaskData<EventContext>(&g_taskPool[kSlotEvent]); }
  static bool EventRunning() { return TaskSlotInUse(kSlotEvent); }

  // One update pass with the keys as held; the sound requests it made are kept.
  void Update() {
    SoundRequestsClear();
    KeyPoll();
    TaskPoolUpdateAll();
    sounds_.clear();
    for (int i = 0; i < kSoundCount; ++i) {
      if (g_soundRequests[i].requested) sounds_.push_back(i);
    }
  }
  void Updates(int n) {
    for (int i = 0; i < n; ++i) Update();
  }
  // Key down for one update; it is up again from the next update on, so two presses of
  // one key need an update between them.
  void Tap(int key) {
    world_.held.insert(KeyHostCode(key));
    Update();
    world_.held.erase(KeyHostCode(key));
  }
  // Starts event n and runs the frame of the start, as an object's update would.
  void Start(int32_t event) {
    ASSERT_EQ(EventStart(event), 1);
    Update();
  }

  // One draw pass; the screen sprites it drew.
  std::vector<plat::DrawRecord> Draw() {
    world_.recorder->current.clear();
    TaskPoolDrawAll();
    std::vector<plat::DrawRecord> out;
    for (const auto& r : world_.recorder->current) {
      if (r.kind == plat::DrawRecord::Kind::Screen) out.push_back(r);
    }
    return out;
  }

  EventWorld world_;
  std::vector<int> sounds_;  // effects requested by the last update
};

}  // namespace test
