// Sound effects and music: 24 clips from the archive. Effects are requested during the
// update and played together at its end; music loops, one piece at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/audio.h"

constexpr int kSoundCount = 24;
constexpr int kSoundEffectCount = 21;
enum SoundId : int {
  kSoundCursor = 0,
  kSoundLand = 1,
  kSoundSkillStart = 2,
  kSoundRefuse = 3,
  kSoundReel = 4,
  kSoundHit = 5,
  kSoundTakeOff = 6,
  kSoundRecover = 7,
  kSoundLevelUp = 8,
  kSoundEquip = 9,
  kSoundSaved = 10,
  kSoundTrade = 11,
  kSoundWard = 12,
  kSoundPhase = 13,
  kSoundSummon = 14,
  kSoundFootsteps = 15,
  kSoundReceive = 16,
  kSoundAutoBattle = 17,
  kSoundEncounter = 18,
  kSoundPitFall = 19,
  kSoundPitRise = 20,
  kMusicTitle = 21,
  kMusicField = 22,
  kMusicBattle = 23,
};

struct SoundRequestEntry {
  int32_t requested;
  int32_t flag;  // 0: restart from the start; non-zero: let a playing effect go on
};

extern std::unique_ptr<plat::AudioDevice> g_audioDevice;
extern std::unique_ptr<plat::AudioClip> g_soundBuffers[kSoundCount];
extern SoundRequestEntry g_soundRequests[kSoundCount];

// The device, then all 24 clips; 1 only when everything loaded.
int SoundInit();
// Archive entries 162 to 185 into clips 0 to 23, stopping with 0 at the first failure.
int SoundLoadAll();
// What a RIFF WAVE image's clip takes once the device holds it (plat::ClipDecodedBytes),
// from its chunks alone; 0 for an image no device takes.
uint64_t SoundDecodedBytes(const uint8_t* bytes, size_t size);
// One clip from a RIFF WAVE image of `size` bytes; walks the chunks within bounds.
// `owner`, when given, keeps the bytes alive, and the clip may play from them in place.
int SoundCreateFromWave(const uint8_t* bytes, size_t size, int voice, std::unique_ptr<plat::AudioClip>* clip,
                        std::shared_ptr<const void> owner = {});
void SoundShutdown();
// Asks for an effect (0 to 20) at the end of this update; other ids do nothing.
void SoundRequest(int id, int flag);
void SoundRequestsClear();
void SoundRequestsPlay();
// Plays one effect now when effects are on: flag 0 restarts it, non-zero lets it go on.
void SoundPlay(int id, int flag);
// Stops all music, then loops music id 21, 22 or 23 from its start when music is on.
void MusicPlay(int id);
void MusicStopAll();
