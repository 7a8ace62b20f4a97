#include "platform/audio.h"

#include "platform/audio_mixer.h"
#include "platform/audio_recording.h"

namespace plat {
namespace detail {
void SetCurrentRecordingAudioDevice(RecordingAudioDevice* device);
}  // namespace detail

namespace {
AudioBackend g_audioBackend = AudioBackend::Mixer;
}  // namespace

void SetAudioBackend(AudioBackend backend) { g_audioBackend = backend; }
AudioBackend GetAudioBackend() { return g_audioBackend; }

std::unique_ptr<AudioDevice> CreateAudioDevice() {
  if (g_audioBackend == AudioBackend::Recording) {
    auto device = std::make_unique<RecordingAudioDevice>();
    detail::SetCurrentRecordingAudioDevice(device.get());
    return device;
  }
  return CreateMixerAudioDevice();
}

}  // namespace plat
