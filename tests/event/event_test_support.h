// Drives the event task and the screens its commands open: a task pool, the map
// buffers, a recording device and scripted keys, one update pass at a time, with
// crafted script slots.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "event/event.h"
#include "field/map.h"
#include "platform/keyboard.h"
#include "platform/text_encoding.h"
#include "support/event_world.h"
#include "support/sprites.h"

namespace test {

inline std::string Sjis(const char* utf8) { return plat::Utf8ToSjis(utf8); }

class EventTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world_.Open());
    g_eventCount = 3;
    g_encounterInterval = 30;
  }

  // Writes a script (Shift-JIS bytes) into slot k, zero-filled.
  static void SetScript(int slot, const std::string& text) {
    char* base = EventSlotBase(slot);
    std::memset(base, 0, kEventSlotSize);
    std::memcpy(base, text.data(), std::min<size_t>(text.size(), kEventSlotSize));
  }
  // A live task of some kind in a slot, updating and drawing nothing.
  static TaskSlot* PlaceTask(int slot, int32_t id) { return TaskStart(TaskAllocAt(slot), id, 0, nullptr, nullptr); }
  static EventContext* Context() { return TaskData<EventContext>(&g_taskPool[kSlotEvent]); }
  static bool EventRunning() { return TaskSlotInUse(kSlotEvent); }
  template <class T>
  static T* Screen(int slot) {
    return TaskSlotInUse(slot) ? TaskData<T>(&g_taskPool[slot]) : nullptr;
  }

  // One update pass with the keys as held; the effects it asked for are kept.
  void Update() {
    SoundRequestsClear();
    KeyPoll();
    TaskPoolUpdateAll();
    sounds_.clear();
    for (int i = 0; i < kSoundEffectCount; ++i) {
      if (g_soundRequests[i].requested) sounds_.push_back(i);
    }
  }
  void Updates(int n) {
    for (int i = 0; i < n; ++i) Update();
  }
  // Key down for one update; up again from the next update on.
  void Tap(int key) {
    world_.held.insert(HostScancode(key));
    Update();
    world_.held.erase(HostScancode(key));
  }
  // A frame with every key up, then the press: presses of one key in a row all count.
  void Press(int key, int times = 1) {
    for (int i = 0; i < times; ++i) Update(), Tap(key);
  }
  // Starts event n and runs the frame of its start, as an object's update would.
  void Start(int32_t event) {
    ASSERT_EQ(EventStart(event), 1);
    Update();
  }
  // Starts event 1 with the script and runs its first command.
  void Run(const std::string& script) {
    SetScript(0, script);
    Start(1);
    Update();
  }
  // Updates until flag n is set: how many, or -1.
  int FramesUntilFlag(int flag, int limit = 100) {
    for (int i = 1; i <= limit; ++i) {
      Update();
      if (g_eventFlags[flag]) return i;
    }
    return -1;
  }

  // One draw pass: the sprites drawn from the atlas or the glyph texture.
  std::vector<Sprite> Sprites(const plat::Texture* texture, float size) {
    world_.recorder->current.clear();
    TaskPoolDrawAll();
    return ScreenSprites(world_.recorder->current, texture, size);
  }
  std::vector<Sprite> AtlasSprites() { return Sprites(g_atlasTexture.get(), kAtlasSize); }
  std::vector<Sprite> GlyphSprites() { return Sprites(g_fontTexture.get(), 1024.0f); }
  // The fade patch tiled over the screen: its colour when all 300 tiles share one, else 0.
  static uint32_t CoverColour(const std::vector<Sprite>& sprites) {
    const auto tiles = Find(sprites, kAtlasFadePatch);
    if (tiles.size() != 300) return 0;
    for (const Sprite& s : tiles) {
      if (s.colour != tiles[0].colour) return 0;
    }
    return tiles[0].colour;
  }

  EventWorld world_;
  std::vector<int> sounds_;  // effects requested by the last update
};

}  // namespace test
