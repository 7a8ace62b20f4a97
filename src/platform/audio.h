// The sound device: 24 clips loaded whole, each played on its own voice.
//
// A clip plays once or loops; playing a clip that already plays lets it go on; stop
// halts it and rewinds it to its start. Two back ends: SDL_mixer for play and a
// recorder for tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

// The "fmt " body of a WAVE file, as little-endian fields (only the first 14 bytes are
// required; the rest is zero when the chunk is shorter).
struct WaveFormat {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t extraSize = 0;
};

// One voice for each of the game's clips.
constexpr int kAudioVoiceCount = 24;

// The mixer's own format: clips in it play from their bytes, others are converted to it.
constexpr uint32_t kAudioMixRate = 22050;
constexpr uint16_t kAudioMixChannels = 1;
constexpr uint16_t kAudioMixBits = 16;

// What every device takes, so a test's recorder refuses what the mixer cannot play:
// integer PCM, mono or stereo, 8 or 16 bits, 8 to 48 kHz, at least one whole frame of
// samples, on one of the voices. The rates are those a clip of the game's can honestly
// have: far below them, converting to the mixer's rate would ask for gigabytes.
bool ClipPlayable(int voice, const WaveFormat& format, size_t size);
// The bytes a clip takes once its device holds it: its samples in the mixer's format.
// 0 for a clip no device takes.
uint64_t ClipDecodedBytes(const WaveFormat& format, size_t size);

class AudioClip {
 public:
  virtual ~AudioClip() = default;
};

enum class PlayResult { Ok, Lost };

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  // nullptr when the format or samples cannot be played. `owner`, when given, keeps the
  // samples alive: a clip that needs no conversion then plays them where they lie,
  // holding its share, instead of from a copy of its own.
  virtual std::unique_ptr<AudioClip> CreateClip(int voice, const WaveFormat& format, const uint8_t* samples,
                                                size_t size, std::shared_ptr<const void> owner) = 0;
  virtual PlayResult Play(AudioClip& clip, bool loop) = 0;
  virtual void Stop(AudioClip& clip) = 0;  // halt and rewind
  virtual bool IsPlaying(const AudioClip& clip) const = 0;
};

// Another way to make the audio device than SDL_mixer (a test's recorder); null restores the mixer.
using AudioDeviceFactory = std::unique_ptr<AudioDevice> (*)();
void SetAudioDeviceFactory(AudioDeviceFactory factory);
// nullptr when no audio device can be opened.
std::unique_ptr<AudioDevice> CreateAudioDevice();

}  // namespace plat
