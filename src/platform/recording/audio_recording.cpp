#include "platform/recording/audio_recording.h"

namespace plat {
namespace {

class RecordedClip final : public AudioClip {
 public:
  explicit RecordedClip(int v) : voice(v) {}
  int voice;
};

RecordingAudioDevice* g_currentAudioRecorder = nullptr;

int VoiceOf(const AudioClip& clip) { return static_cast<const RecordedClip&>(clip).voice & 31; }

std::unique_ptr<AudioDevice> CreateRecordingAudioDevice() {
  auto device = std::make_unique<RecordingAudioDevice>();
  g_currentAudioRecorder = device.get();
  return device;
}

}  // namespace

void SetAudioBackend(AudioBackend backend) {
  SetAudioDeviceFactory(backend == AudioBackend::Recording ? CreateRecordingAudioDevice : nullptr);
}

RecordingAudioDevice* CurrentRecordingAudioDevice() { return g_currentAudioRecorder; }

RecordingAudioDevice::~RecordingAudioDevice() {
  if (g_currentAudioRecorder == this) g_currentAudioRecorder = nullptr;
}

// What the mixer refuses is refused here too, so tests and the soak meet it.
std::unique_ptr<AudioClip> RecordingAudioDevice::CreateClip(int voice, const WaveFormat& format, const uint8_t* samples,
                                                            size_t size, std::shared_ptr<const void>) {
  formats.push_back(format);
  sizes.push_back(size);
  if (!ClipPlayable(voice, format, size) || !samples) return nullptr;
  return std::make_unique<RecordedClip>(voice);
}

PlayResult RecordingAudioDevice::Play(AudioClip& clip, bool loop) {
  const int v = VoiceOf(clip);
  events.push_back({AudioEvent::Kind::Play, v, loop});
  if (lost[v]) return PlayResult::Lost;
  playing[v] = true;
  return PlayResult::Ok;
}

void RecordingAudioDevice::Stop(AudioClip& clip) {
  const int v = VoiceOf(clip);
  events.push_back({AudioEvent::Kind::Stop, v, false});
  playing[v] = false;
}

bool RecordingAudioDevice::IsPlaying(const AudioClip& clip) const { return playing[VoiceOf(clip)]; }

}  // namespace plat
