// The audio device on SDL_mixer: one mixer channel per clip, so each clip plays, loops
// and stops on its own like a separate sound buffer.
#pragma once

#include <memory>

#include "platform/audio.h"

namespace plat {

// Mixer channels, one per clip; a clip's voice is its channel.
constexpr int kMixerVoiceCount = kAudioVoiceCount;

// Opens the audio subsystem and the mixer; nullptr when either cannot be opened. The
// device's clips must be released before the device.
std::unique_ptr<AudioDevice> CreateMixerAudioDevice();

}  // namespace plat
