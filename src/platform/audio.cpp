#include "platform/audio.h"

#include "platform/audio_mixer.h"

namespace plat {

namespace {

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint32_t kClipRateMin = 8000;
constexpr uint32_t kClipRateMax = 48000;

AudioDeviceFactory g_audioFactory = nullptr;

uint64_t FrameBytes(const WaveFormat& f) { return uint64_t{f.channels} * (f.bitsPerSample / 8); }

}  // namespace

bool ClipPlayable(int voice, const WaveFormat& f, size_t size) {
  if (voice < 0 || voice >= kAudioVoiceCount || f.formatTag != kWaveFormatPcm) return false;
  if ((f.channels != 1 && f.channels != 2) || (f.bitsPerSample != 8 && f.bitsPerSample != 16)) return false;
  return f.samplesPerSec >= kClipRateMin && f.samplesPerSec <= kClipRateMax && size >= FrameBytes(f);
}

// Whole frames, each made a frame of the mixer's at its rate, rounded up.
uint64_t ClipDecodedBytes(const WaveFormat& f, size_t size) {
  if (!ClipPlayable(0, f, size)) return 0;
  const uint64_t frames = size / FrameBytes(f);
  const uint64_t mixFrames = (frames * kAudioMixRate + f.samplesPerSec - 1) / f.samplesPerSec;
  return mixFrames * kAudioMixChannels * (kAudioMixBits / 8);
}

void SetAudioDeviceFactory(AudioDeviceFactory factory) { g_audioFactory = factory; }

std::unique_ptr<AudioDevice> CreateAudioDevice() {
  return g_audioFactory ? g_audioFactory() : CreateMixerAudioDevice();
}

}  // namespace plat
