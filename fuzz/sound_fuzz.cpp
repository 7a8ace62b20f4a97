// Sound clips: a WAVE image walked and converted for the SDL_mixer device (opened on
// the dummy driver), as the start-up loads each of the 24 sounds. A clip the device
// takes is one the archive's budget counts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "engine/sound.h"
#include "fuzz/fuzz_support.h"
#include "platform/audio.h"
#include "platform/recording/audio_recording.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Begin();
  plat::SetAudioBackend(plat::AudioBackend::Mixer);
  g_audioDevice = plat::CreateAudioDevice();
  if (!g_audioDevice) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<plat::AudioClip> clip;
  const uint64_t counted = SoundDecodedBytes(data, size);
  if (SoundCreateFromWave(data, size, kSoundCount - 1, &clip) && counted == 0) std::abort();
  return 0;
}
