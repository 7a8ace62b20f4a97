#include "engine/sound.h"

std::unique_ptr<plat::AudioDevice> g_audioDevice;
std::unique_ptr<plat::AudioClip> g_soundBuffers[kSoundCount];
SoundRequestEntry g_soundRequests[kSoundCount];

int SoundInit() {
  g_audioDevice = plat::CreateAudioDevice();
  return g_audioDevice ? 1 : 0;
}

void SoundShutdown() {
  for (auto& b : g_soundBuffers) b.reset();
  g_audioDevice.reset();
}

void SoundRequest(int id, int flag) {
  if (id < 0 || id >= kSoundCount) return;
  g_soundRequests[id] = {1, flag};
}

void SoundRequestsClear() {
  for (int i = 0; i < kSoundEffectCount; ++i) g_soundRequests[i] = {0, 0};
}

void SoundRequestsPlay() {}
void MusicPlay(int) {}
void MusicStopAll() {}
