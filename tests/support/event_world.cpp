#include "support/event_world.h"

#include "data/game_state.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "field/map.h"
#include "platform/keyboard.h"
#include "platform/text_encoding.h"
#include "platform/window.h"

namespace test {

bool EventWorld::Open() {
  if (!TaskPoolCreate()) return false;
  if (!MapBuffersAlloc()) {
    TaskPoolFree();
    return false;
  }
  KeyInit();
  EventFlagsClear();
  // The whole table: a request for a music id is never cleared by the game.
  for (SoundRequestEntry& r : g_soundRequests) r = {0, 0};
  plat::SetScancodeSource([this](int scancode) { return held.count(scancode) != 0; });
  plat::SetMessageBoxHook([this](std::string_view text, std::string_view caption) {
    boxes.push_back({plat::SjisToUtf8(text), plat::SjisToUtf8(caption)});
  });
  auto device = std::make_unique<plat::RecordingDevice>();
  recorder = device.get();
  g_device = std::move(device);
  g_atlasTexture = g_device->CreateTexture(plat::Image{2048, 2048, {}});
  g_fontTexture = g_device->CreateTexture(plat::Image{1024, 1024, {}});
  return true;
}

void EventWorld::Close() {
  g_atlasTexture.reset();
  g_fontTexture.reset();
  g_device.reset();
  recorder = nullptr;
  MapBuffersFree();
  TaskPoolFree();
  plat::SetScancodeSource(nullptr);
  plat::SetMessageBoxHook(nullptr);
}

}  // namespace test
