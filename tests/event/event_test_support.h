// Drives the event task directly: a task pool, the map buffers, a recording device and
// scripted keys, one update pass at a time, with crafted script slots.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "event/event.h"
#include "event/flags.h"
#include "field/map.h"
#include "platform/gpu_recording.h"
#include "platform/keyboard.h"
#include "platform/text_encoding.h"
#include "platform/window.h"

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
  return {v[0].x + 0.5f, v[0].y + 0.5f, v[2].x - v[0].x, v[2].y - v[0].y, v[0].u * texSize, v[0].v * texSize,
          v[0].colour, r.texture};
}

inline std::string Sjis(const char* utf8) { return plat::Utf8ToSjis(utf8); }

class EventTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(TaskPoolCreate(), 1);
    ASSERT_EQ(MapBuffersAlloc(), 1);
    KeyInit();
    EventFlagsClear();
    // Music ids are never cleared by the game; a test before may have requested one.
    for (SoundRequestEntry& r : g_soundRequests) r = {0, 0};
    plat::SetKeySource([this](uint32_t key) { return held_.count(key) != 0; });
    plat::SetMessageBoxHook([this](std::string_view text, std::string_view caption) {
      boxes_.push_back({plat::SjisToUtf8(text), plat::SjisToUtf8(caption)});
    });
    recorder_ = new plat::RecordingDevice();
    g_device.reset(recorder_);
    g_atlasTexture = g_device->CreateTexture(plat::Image{2048, 2048, {}});
    g_fontTexture = g_device->CreateTexture(plat::Image{1024, 1024, {}});
    g_mapNumber = 0;
    g_eventCount = 3;
    g_encounterInterval = 30;
    g_encounterCountdown = 0;
  }

  void TearDown() override {
    g_atlasTexture.reset();
    g_fontTexture.reset();
    g_device.reset();
    MapBuffersFree();
    TaskPoolFree();
    plat::SetKeySource(nullptr);
    plat::SetMessageBoxHook(nullptr);
  }

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
    held_.insert(KeyHostCode(key));
    Update();
    held_.erase(KeyHostCode(key));
  }
  // Starts event n and runs the frame of the start, as an object's update would.
  void Start(int32_t event) {
    ASSERT_EQ(EventStart(event), 1);
    Update();
  }

  // One draw pass; the screen sprites it drew.
  std::vector<plat::DrawRecord> Draw() {
    recorder_->current.clear();
    TaskPoolDrawAll();
    std::vector<plat::DrawRecord> out;
    for (const auto& r : recorder_->current) {
      if (r.kind == plat::DrawRecord::Kind::Screen) out.push_back(r);
    }
    return out;
  }

  struct Box {
    std::string text, caption;
  };
  std::vector<Box> boxes_;
  std::vector<int> sounds_;  // effects requested by the last update
  std::set<uint32_t> held_;
  plat::RecordingDevice* recorder_ = nullptr;
};

}  // namespace test
