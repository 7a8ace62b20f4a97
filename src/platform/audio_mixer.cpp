#include "platform/audio_mixer.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/problem.h"

namespace plat {
namespace {

struct ChunkDeleter {
  void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};

// The chunk only points at the samples: the clip's own converted copy, or bytes whose
// owner the clip holds a share in.
class MixerClip final : public AudioClip {
 public:
  MixerClip(int voice, std::vector<uint8_t> samples) : voice_(voice), samples_(std::move(samples)) {
    chunk_.reset(Mix_QuickLoad_RAW(samples_.data(), static_cast<Uint32>(samples_.size())));
  }
  MixerClip(int voice, const uint8_t* samples, size_t size, std::shared_ptr<const void> owner)
      : voice_(voice), owner_(std::move(owner)) {
    // The mixer only reads through the pointer it is given.
    chunk_.reset(Mix_QuickLoad_RAW(const_cast<uint8_t*>(samples), static_cast<Uint32>(size)));
  }
  ~MixerClip() override {
    if (OwnsChannel()) Mix_HaltChannel(voice_);
  }
  MixerClip(const MixerClip&) = delete;
  MixerClip& operator=(const MixerClip&) = delete;

  bool Valid() const { return chunk_ != nullptr; }
  int Voice() const { return voice_; }
  Mix_Chunk* Chunk() const { return chunk_.get(); }
  // Whether the clip's channel last played this clip (another clip may share the voice).
  bool OwnsChannel() const { return chunk_ && Mix_GetChunk(voice_) == chunk_.get(); }
  bool Playing() const { return OwnsChannel() && Mix_Playing(voice_) != 0; }

 private:
  int voice_;
  std::vector<uint8_t> samples_;
  std::shared_ptr<const void> owner_;
  std::unique_ptr<Mix_Chunk, ChunkDeleter> chunk_;
};

struct MixerOutput {
  int frequency = 0;
  Uint16 format = 0;
  int channels = 0;
};

// The SDL sample format of a clip the devices take (ClipPlayable).
SDL_AudioFormat SourceFormat(const WaveFormat& f) { return f.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB; }

// The samples in the mixer's own format; empty when they cannot be converted.
std::vector<uint8_t> ConvertSamples(const SDL_AudioCVT& plan, const uint8_t* samples, size_t wholeFrames) {
  SDL_AudioCVT cvt = plan;
  if (wholeFrames > static_cast<size_t>(INT_MAX / cvt.len_mult)) return {};
  std::vector<uint8_t> buffer(wholeFrames * static_cast<size_t>(cvt.len_mult));
  std::memcpy(buffer.data(), samples, wholeFrames);
  cvt.buf = buffer.data();
  cvt.len = static_cast<int>(wholeFrames);
  if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) return {};
  // The conversion asks for room to spare; the clip keeps only what it filled.
  buffer.resize(cvt.needed ? static_cast<size_t>(cvt.len_cvt) : wholeFrames);
  buffer.shrink_to_fit();
  return buffer;
}

class MixerAudioDevice final : public AudioDevice {
 public:
  explicit MixerAudioDevice(const MixerOutput& output) : output_(output) {}
  ~MixerAudioDevice() override {
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  std::unique_ptr<AudioClip> CreateClip(int voice, const WaveFormat& format, const uint8_t* samples, size_t size,
                                        std::shared_ptr<const void> owner) override {
    if (!ClipPlayable(voice, format, size) || !samples) return nullptr;
    const SDL_AudioFormat source = SourceFormat(format);
    const size_t frameBytes = static_cast<size_t>(format.channels) * (format.bitsPerSample / 8);
    const size_t wholeFrames = size - size % frameBytes;  // a torn last frame is dropped
    SDL_AudioCVT cvt;
    if (wholeFrames == 0 ||
        SDL_BuildAudioCVT(&cvt, source, static_cast<Uint8>(format.channels), static_cast<int>(format.samplesPerSec),
                          output_.format, static_cast<Uint8>(output_.channels), output_.frequency) < 0) {
      return nullptr;
    }
    std::unique_ptr<MixerClip> clip;
    if (!cvt.needed && owner && wholeFrames <= UINT32_MAX) {
      clip = std::make_unique<MixerClip>(voice, samples, wholeFrames, std::move(owner));
    } else {
      std::vector<uint8_t> converted = ConvertSamples(cvt, samples, wholeFrames);
      if (converted.empty()) return nullptr;
      clip = std::make_unique<MixerClip>(voice, std::move(converted));
    }
    if (!clip->Valid()) return nullptr;
    return clip;
  }

  // The mixer keeps every clip's samples in memory, so a clip is never lost; a channel
  // that refuses to start leaves the clip silent this once.
  PlayResult Play(AudioClip& clip, bool loop) override {
    auto& c = static_cast<MixerClip&>(clip);
    if (c.Playing()) return PlayResult::Ok;
    Mix_PlayChannel(c.Voice(), c.Chunk(), loop ? -1 : 0);
    return PlayResult::Ok;
  }

  // A halted channel starts its chunk from the beginning when played again.
  void Stop(AudioClip& clip) override {
    auto& c = static_cast<MixerClip&>(clip);
    if (c.OwnsChannel()) Mix_HaltChannel(c.Voice());
  }

  bool IsPlaying(const AudioClip& clip) const override { return static_cast<const MixerClip&>(clip).Playing(); }

 private:
  MixerOutput output_;
};

}  // namespace

// The mixer runs in the clips' own format (22,050 Hz, mono, 16-bit), so they need no
// conversion and play from their own bytes; a clip in another format is still
// converted, and SDL widens the mix to the speakers. 512 frames is about 23 ms.
std::unique_ptr<AudioDevice> CreateMixerAudioDevice() {
  static_assert(kAudioMixBits == 16);
  constexpr int kChunkFrames = 512;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    NoteProblem("sound device", SDL_GetError());
    return nullptr;
  }
  if (Mix_OpenAudio(static_cast<int>(kAudioMixRate), AUDIO_S16SYS, kAudioMixChannels, kChunkFrames) != 0) {
    NoteProblem("sound device", Mix_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  MixerOutput output;
  if (!Mix_QuerySpec(&output.frequency, &output.format, &output.channels) ||
      Mix_AllocateChannels(kMixerVoiceCount) != kMixerVoiceCount) {
    NoteProblem("sound device",
                "the mixer's format or its " + std::to_string(kMixerVoiceCount) + " voices could not be had");
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  return std::make_unique<MixerAudioDevice>(output);
}

}  // namespace plat
