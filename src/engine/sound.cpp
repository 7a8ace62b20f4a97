#include "engine/sound.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/archive.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "platform/bytes.h"
#include "platform/problem.h"

std::unique_ptr<plat::AudioDevice> g_audioDevice;
std::unique_ptr<plat::AudioClip> g_soundBuffers[kSoundCount];
SoundRequestEntry g_soundRequests[kSoundCount];

namespace {

constexpr size_t kRiffHeaderSize = 12;   // "RIFF", size, "WAVE"
constexpr size_t kChunkHeaderSize = 8;   // id, size
constexpr uint32_t kFormatMinimum = 14;  // up to the block alignment
constexpr size_t kFormatFull = 18;       // up to the extra size

bool TagIs(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

bool IsMusic(int id) { return id >= kMusicTitle && id <= kMusicBattle; }

// The format chunk's body as far as it goes; the fields it does not reach stay zero.
plat::WaveFormat ReadWaveFormat(const uint8_t* body, uint32_t size) {
  uint8_t raw[kFormatFull] = {};
  std::memcpy(raw, body, std::min<size_t>(size, kFormatFull));
  plat::WaveFormat f;
  f.formatTag = ReadU16(raw);
  f.channels = ReadU16(raw + 2);
  f.samplesPerSec = ReadU32(raw + 4);
  f.avgBytesPerSec = ReadU32(raw + 8);
  f.blockAlign = ReadU16(raw + 12);
  f.bitsPerSample = ReadU16(raw + 14);
  f.extraSize = ReadU16(raw + 16);
  return f;
}

struct WaveParts {
  bool haveFormat = false;
  plat::WaveFormat format;
  const uint8_t* samples = nullptr;  // set once a non-empty "data" chunk is found
  uint32_t sampleBytes = 0;
};

// Takes what one chunk offers; false when it is a "fmt " chunk too short to use.
bool WaveTakeChunk(const uint8_t* chunk, uint32_t bodySize, WaveParts* parts) {
  const uint8_t* body = chunk + kChunkHeaderSize;
  if (!parts->haveFormat && TagIs(chunk, "fmt ")) {
    if (bodySize < kFormatMinimum) return false;
    parts->format = ReadWaveFormat(body, bodySize);
    parts->haveFormat = true;
  } else if (!parts->samples && bodySize != 0 && TagIs(chunk, "data")) {
    parts->samples = body;
    parts->sampleBytes = bodySize;
  }
  return true;
}

// Walks the chunks of a RIFF WAVE image. The chunks end where the RIFF size says, but
// never past the bytes actually there; a chunk that runs past that end is refused.
bool WaveFind(const uint8_t* bytes, size_t size, WaveParts* parts) {
  if (!bytes || size < kRiffHeaderSize || !TagIs(bytes, "RIFF") || !TagIs(bytes + 8, "WAVE")) return false;
  const uint64_t end = std::min<uint64_t>(8 + static_cast<uint64_t>(ReadU32(bytes + 4)), size);
  uint64_t pos = kRiffHeaderSize;
  while (!parts->haveFormat || !parts->samples) {
    if (pos + kChunkHeaderSize > end) return false;
    const uint8_t* chunk = bytes + pos;
    const uint32_t bodySize = ReadU32(chunk + 4);
    const uint64_t body = pos + kChunkHeaderSize;
    if (bodySize > end - body) return false;
    if (!WaveTakeChunk(chunk, bodySize, parts)) return false;
    pos = body + bodySize + (bodySize & 1u);  // bodies are padded to an even length
  }
  return true;
}

void StopIfLoaded(int id) {
  if (g_audioDevice && g_soundBuffers[id]) g_audioDevice->Stop(*g_soundBuffers[id]);
}

}  // namespace

int SoundInit() {
  for (auto& b : g_soundBuffers) b.reset();
  g_audioDevice = plat::CreateAudioDevice();
  if (!g_audioDevice) {
    if (!plat::ProblemNoted()) plat::NoteProblem("sound device", "none could be opened");
    return 0;
  }
  return SoundLoadAll();
}

// The archive stays in memory for the whole run, so clips play from its bytes and hold
// a share in it: shut-down frees the archive before the sound.
int SoundLoadAll() {
  const std::shared_ptr<const uint8_t> archive = DataFileShare();
  for (int id = 0; id < kSoundCount; ++id) {
    uint32_t size = 0;
    const uint8_t* entry = DataFileGetEntry(kEntrySoundFirst + id, &size);
    if (!entry || !SoundCreateFromWave(entry, size, id, &g_soundBuffers[id], archive)) {
      plat::NoteProblem(kDataFileName, "entry " + std::to_string(kEntrySoundFirst + id) + " (sound " +
                                           std::to_string(id) + ") is not a clip the sound device can play");
      return 0;
    }
  }
  return 1;
}

uint64_t SoundDecodedBytes(const uint8_t* bytes, size_t size) {
  WaveParts parts;
  if (!WaveFind(bytes, size, &parts)) return 0;
  return plat::ClipDecodedBytes(parts.format, parts.sampleBytes);
}

int SoundCreateFromWave(const uint8_t* bytes, size_t size, int voice, std::unique_ptr<plat::AudioClip>* clip,
                        std::shared_ptr<const void> owner) {
  if (!clip || !g_audioDevice) return 0;
  WaveParts parts;
  if (!WaveFind(bytes, size, &parts)) return 0;
  *clip = g_audioDevice->CreateClip(voice, parts.format, parts.samples, parts.sampleBytes, std::move(owner));
  return *clip ? 1 : 0;
}

// Clips go before the device that plays them.
void SoundShutdown() {
  for (auto& b : g_soundBuffers) b.reset();
  g_audioDevice.reset();
}

// The table has a row for every id, but only effects are ever cleared and played: a
// request for a music id is kept and does nothing.
void SoundRequest(int id, int flag) {
  if (id < 0 || id >= kSoundCount) return;
  g_soundRequests[id] = {1, flag};
}

void SoundRequestsClear() {
  for (int id = 0; id < kSoundEffectCount; ++id) g_soundRequests[id] = {0, 0};
}

void SoundRequestsPlay() {
  for (int id = 0; id < kSoundEffectCount; ++id) {
    if (g_soundRequests[id].requested == 1) SoundPlay(id, g_soundRequests[id].flag);
  }
}

// A clip the device reports lost is dropped: that effect stays silent for the rest of
// the run rather than being rebuilt.
void SoundPlay(int id, int flag) {
  if (!g_settings.soundEffects || !g_audioDevice || id < 0 || id >= kSoundCount || !g_soundBuffers[id]) return;
  plat::AudioClip& clip = *g_soundBuffers[id];
  if (flag == 0) g_audioDevice->Stop(clip);
  if (g_audioDevice->Play(clip, false) == plat::PlayResult::Lost) g_soundBuffers[id].reset();
}

// Music always starts from its beginning, even when the same piece was playing.
void MusicPlay(int id) {
  MusicStopAll();
  if (g_settings.music != 1 || !IsMusic(id) || !g_audioDevice || !g_soundBuffers[id]) return;
  g_audioDevice->Play(*g_soundBuffers[id], true);
}

void MusicStopAll() {
  for (int id = kMusicTitle; id <= kMusicBattle; ++id) StopIfLoaded(id);
}
