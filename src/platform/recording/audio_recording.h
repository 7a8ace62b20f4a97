// An audio device that plays nothing and keeps what was asked of it, for tests.
#pragma once

#include <string>
#include <vector>

#include "platform/audio.h"

namespace plat {

struct AudioEvent {
  enum class Kind { Play, Stop };
  Kind kind;
  int voice;
  bool loop;
};

class RecordingAudioDevice final : public AudioDevice {
 public:
  ~RecordingAudioDevice() override;
  std::unique_ptr<AudioClip> CreateClip(int voice, const WaveFormat& format, const uint8_t* samples, size_t size,
                                        std::shared_ptr<const void> owner) override;
  PlayResult Play(AudioClip& clip, bool loop) override;
  void Stop(AudioClip& clip) override;
  bool IsPlaying(const AudioClip& clip) const override;

  std::vector<AudioEvent> events;
  // Voices a test marks as playing or lost (a lost voice answers Play with Lost).
  bool playing[32] = {};
  bool lost[32] = {};
  std::vector<WaveFormat> formats;  // per clip asked for, in order, refused ones too
  std::vector<size_t> sizes;
};

// Which audio device CreateAudioDevice makes: SDL_mixer's, or the recorder.
enum class AudioBackend { Mixer, Recording };
void SetAudioBackend(AudioBackend backend);
// The recorder most recently created by CreateAudioDevice, or nullptr.
RecordingAudioDevice* CurrentRecordingAudioDevice();

}  // namespace plat
