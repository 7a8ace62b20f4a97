#include "platform/audio.h"

#include "platform/audio_mixer.h"

namespace plat {

namespace {
AudioDeviceFactory g_audioFactory = nullptr;
}  // namespace

void SetAudioDeviceFactory(AudioDeviceFactory factory) { g_audioFactory = factory; }

std::unique_ptr<AudioDevice> CreateAudioDevice() {
  return g_audioFactory ? g_audioFactory() : CreateMixerAudioDevice();
}

}  // namespace plat
