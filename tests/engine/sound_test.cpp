#include "engine/sound.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/tasks.h"
#include "engine/archive.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "engine/task.h"
#include "game/startup.h"
#include "platform/recording/audio_recording.h"
#include "platform/window.h"
#include "support/files.h"
#include "support/harness.h"

namespace {

using test::Bytes;

// ---- WAVE images, byte by byte ----

Bytes FormatBody(uint16_t channels, uint32_t rate, uint16_t bits) {
  Bytes b;
  const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  PutU16(b, 1);  // PCM
  PutU16(b, channels);
  PutU32(b, rate);
  PutU32(b, rate * align);
  PutU16(b, align);
  PutU16(b, bits);
  return b;
}

// A chunk with its header; an odd body gets its pad byte.
void PutChunk(Bytes& out, const char* tag, const Bytes& body, uint8_t pad = 0) {
  test::PutTag(out, tag);
  PutU32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2) out.push_back(pad);
}

// "RIFF", the size of what follows (or the given lie), "WAVE", then the chunks.
Bytes Riff(const Bytes& chunks, int64_t riffSize = -1) {
  Bytes out;
  test::PutTag(out, "RIFF");
  PutU32(out, static_cast<uint32_t>(riffSize >= 0 ? riffSize : static_cast<int64_t>(chunks.size() + 4)));
  test::PutTag(out, "WAVE");
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

Bytes Samples(size_t n, uint8_t first = 1) {
  Bytes b;
  for (size_t i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(first + i));
  return b;
}

// An archive whose sound entries are good WAVEs (sound i has 2 * (i + 1) sample
// bytes) except where `bad` says.
Bytes SoundArchive(int badSound = -1, const Bytes& bad = {}) {
  std::vector<Bytes> entries;
  for (int i = 0; i < kEntrySoundFirst; ++i) entries.push_back({static_cast<uint8_t>(i)});
  for (int id = 0; id < kSoundCount; ++id) {
    entries.push_back(id == badSound ? bad : test::MinimalWave(static_cast<uint32_t>(id + 1)));
  }
  return test::BuildArchive(entries);
}

// A WAVE format chunk of only 12 bytes: too short to describe the samples.
Bytes ShortFormatWave() {
  Bytes fmt = FormatBody(1, 11025, 8);
  fmt.resize(12);
  Bytes chunks;
  PutChunk(chunks, "fmt ", fmt);
  PutChunk(chunks, "data", Samples(8));
  return Riff(chunks);
}

// Mono 16-bit samples of a soft tone.
Bytes ToneWave(uint32_t rate, uint32_t frames) {
  Bytes samples;
  for (uint32_t i = 0; i < frames; ++i) {
    const double v = std::sin(static_cast<double>(i) * 0.05) * 8000.0;
    PutU16(samples, static_cast<uint16_t>(static_cast<int16_t>(v)));
  }
  Bytes chunks;
  PutChunk(chunks, "fmt ", FormatBody(1, rate, 16));
  PutChunk(chunks, "data", samples);
  return Riff(chunks);
}

// Runs in a fresh folder with the recording audio device.
class SoundFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::MakeTempDir();
    std::filesystem::current_path(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  static plat::RecordingAudioDevice* Recorder() { return plat::CurrentRecordingAudioDevice(); }
  void LoadArchive(const Bytes& image) {
    ASSERT_TRUE(test::WriteFile("data.dat", image));
    ASSERT_EQ(DataFileLoad(), 1);
  }

  std::string dir_;
};

// ---- Loading ----

using SoundLoadTest = SoundFixture;

// Entries 162 to 185 become sounds 0 to 23 in order, each with its own samples.
TEST_F(SoundLoadTest, EntriesFrom162BecomeSounds0To23InOrder) {
  LoadArchive(SoundArchive());
  ASSERT_EQ(SoundInit(), 1);
  ASSERT_EQ(Recorder()->sizes.size(), 24u);
  for (int id = 0; id < kSoundCount; ++id) {
    EXPECT_EQ(Recorder()->sizes[static_cast<size_t>(id)], 2u * static_cast<size_t>(id + 1)) << id;
    EXPECT_NE(g_soundBuffers[id], nullptr);
  }
  EXPECT_EQ(Recorder()->formats[0].samplesPerSec, 22050u);
  EXPECT_EQ(Recorder()->formats[0].bitsPerSample, 16);
}

// Loading stops at the first sound it cannot take; without an archive there are none.
TEST_F(SoundLoadTest, LoadingStopsAtTheFirstBadSound) {
  LoadArchive(SoundArchive(8, ShortFormatWave()));
  EXPECT_EQ(SoundInit(), 0);
  EXPECT_EQ(Recorder()->sizes.size(), 8u);
  EXPECT_NE(g_soundBuffers[7], nullptr);
  EXPECT_EQ(g_soundBuffers[8], nullptr);
  EXPECT_EQ(g_soundBuffers[9], nullptr);
  SoundShutdown();
  DataFileFree();
  EXPECT_EQ(SoundInit(), 0);
}

// The start-up chain on its own, without a window: the box it shows names sound, and
// everything it took is given back.
TEST_F(SoundLoadTest, ABadSoundFailsStartUpWithTheSoundCaption) {
  ASSERT_TRUE(test::WriteFile("data.dat", SoundArchive(23, ShortFormatWave())));
  std::vector<std::string> captions;
  plat::SetMessageBoxHook([&](std::string_view, std::string_view caption) { captions.emplace_back(caption); });
  EXPECT_EQ(GameInit(), 0);
  plat::SetMessageBoxHook(nullptr);
  plat::ResetQuit();
  EXPECT_EQ(captions, std::vector<std::string>{"directsound error"});
  EXPECT_EQ(g_audioDevice, nullptr);
  EXPECT_EQ(g_soundBuffers[0], nullptr);
  EXPECT_EQ(g_dataFile, nullptr);
  EXPECT_EQ(g_taskPool, nullptr);
}

// ---- The WAVE walk ----

class WaveTest : public SoundFixture {
 protected:
  void SetUp() override {
    SoundFixture::SetUp();
    g_audioDevice = plat::CreateAudioDevice();
  }
  // Loads from a heap block of exactly the image's size, so any read past its end is
  // caught by the address sanitizer.
  int Load(const Bytes& image) {
    auto block = std::make_unique<uint8_t[]>(image.size());
    std::copy(image.begin(), image.end(), block.get());
    return SoundCreateFromWave(block.get(), image.size(), 0, &clip_);
  }
  const plat::WaveFormat& Format() const { return Recorder()->formats.back(); }
  size_t SampleBytes() const { return Recorder()->sizes.back(); }

  std::unique_ptr<plat::AudioClip> clip_;
};

Bytes WithChunks(std::initializer_list<std::pair<const char*, Bytes>> chunks, int64_t riffSize = -1) {
  Bytes out;
  for (const auto& [tag, body] : chunks) PutChunk(out, tag, body, 'f');  // pad bytes that misalign a careless walk
  return Riff(out, riffSize);
}

Bytes FormatOf(size_t size) {
  Bytes fmt = FormatBody(1, 8000, 8);
  PutU16(fmt, 0);
  fmt.resize(size);
  return fmt;
}

// The chunk walk: "fmt " (at least 14 bytes) and the first non-empty "data", chunks
// padded to even lengths, nothing read past the image or the RIFF size. A format of 14
// bytes is walked but has no bit depth, which no device plays.
TEST_F(WaveTest, TakesTheFirstFormatAndDataWithinBoundsOnly) {
  const Bytes fmt = FormatBody(2, 22050, 16);
  Bytes longData;  // a data chunk claiming more bytes than there are
  PutChunk(longData, "fmt ", fmt);
  test::PutTag(longData, "data");
  PutU32(longData, 12);  // two bytes more than there are
  longData.resize(longData.size() + 10, 1);
  Bytes hugeChunk;  // a size near the 32-bit limit must not wrap around
  PutChunk(hugeChunk, "LIST", {});
  StoreU32(hugeChunk.data() + 4, 0xFFFFFFFF);
  PutChunk(hugeChunk, "fmt ", fmt);
  PutChunk(hugeChunk, "data", Samples(4));
  const struct {
    const char* what;
    Bytes image;
    size_t sampleBytes;  // handed to the device; 0: refused by the walk
    int loaded;
  } cases[] = {
      {"a 12-byte format", WithChunks({{"fmt ", FormatOf(12)}, {"data", Samples(8)}}), 0, 0},
      {"a 14-byte format", WithChunks({{"fmt ", FormatOf(14)}, {"data", Samples(6)}}), 6, 0},
      {"a 16-byte format", WithChunks({{"fmt ", FormatOf(16)}, {"data", Samples(6)}}), 6, 1},
      {"the first of each",
       WithChunks({{"data", {}}, {"fmt ", fmt}, {"fmt ", FormatOf(16)}, {"data", Samples(5)}, {"data", Samples(9)}}), 5,
       1},
      {"no data", WithChunks({{"fmt ", fmt}, {"LIST", Samples(4)}}), 0, 0},
      {"no format", WithChunks({{"data", Samples(4)}}), 0, 0},
      {"data past the end", Riff(longData), 0, 0},
      {"a chunk size near 4 GiB", Riff(hugeChunk, 0xFFFFFFF0), 0, 0},
      {"data past the RIFF size", WithChunks({{"fmt ", fmt}, {"data", Samples(8)}}, 4 + 24 + 8), 0, 0},
      {"a RIFF size past the end", WithChunks({{"fmt ", fmt}, {"data", Samples(8)}}, 1000), 8, 1},
  };
  for (const auto& c : cases) {
    Recorder()->sizes.clear();
    EXPECT_EQ(Load(c.image), c.loaded) << c.what;
    EXPECT_EQ(Recorder()->sizes.empty() ? 0 : SampleBytes(), c.sampleBytes) << c.what;
  }
  EXPECT_EQ(SoundCreateFromWave(nullptr, 0, 0, &clip_), 0);
}

// The format chunk's fields as the file gives them, after a chunk of odd size with its
// pad byte; 14 bytes reach the block alignment, the rest then reads as zero.
TEST_F(WaveTest, OddSizedChunkBeforeTheFormatIsSkippedWithItsPadByte) {
  Bytes chunks;
  PutChunk(chunks, "LIST", Samples(3), 'f');  // pad byte that would misalign a careless walk
  PutChunk(chunks, "fmt ", FormatBody(2, 22050, 16));
  PutChunk(chunks, "data", Samples(12));
  ASSERT_EQ(Load(Riff(chunks)), 1);
  EXPECT_NE(clip_, nullptr);
  EXPECT_EQ(Format().formatTag, 1);
  EXPECT_EQ(Format().channels, 2);
  EXPECT_EQ(Format().samplesPerSec, 22050u);
  EXPECT_EQ(Format().avgBytesPerSec, 88200u);
  EXPECT_EQ(Format().blockAlign, 4);
  EXPECT_EQ(Format().bitsPerSample, 16);
  EXPECT_EQ(SampleBytes(), 12u);
}

// The format must reach the bit depth: 12 bytes stop short of the block alignment, and
// 14 reach it but leave the depth to read as zero, which no device plays. 16 bytes
// play with no extra size; a full 18-byte body keeps its own.
TEST_F(WaveTest, FormatChunkMustReachTheBitDepth) {
  EXPECT_EQ(Load(ShortFormatWave()), 0);
  EXPECT_EQ(clip_, nullptr);
  EXPECT_TRUE(Recorder()->formats.empty());

  const auto withFormat = [this](size_t length, uint16_t extra) {
    Bytes fmt = FormatBody(1, 8000, 8);
    fmt.resize(std::min<size_t>(length, fmt.size()));
    if (length == 18) PutU16(fmt, extra);
    Bytes chunks;
    PutChunk(chunks, "fmt ", fmt);
    PutChunk(chunks, "data", Samples(6));
    return Load(Riff(chunks));
  };
  EXPECT_EQ(withFormat(14, 0), 0);
  EXPECT_EQ(clip_, nullptr);
  ASSERT_EQ(withFormat(16, 0), 1);
  EXPECT_EQ(Format().samplesPerSec, 8000u);
  EXPECT_EQ(Format().blockAlign, 1);
  EXPECT_EQ(Format().bitsPerSample, 8);
  EXPECT_EQ(Format().extraSize, 0);
  ASSERT_EQ(withFormat(18, 0x1234), 1);
  EXPECT_EQ(Format().bitsPerSample, 8);
  EXPECT_EQ(Format().extraSize, 0x1234);
}

// ---- Requests during the frame ----

// Each frame, the tasks in slots 10 and 11 make the requests in their scripts.
using Requests = std::vector<std::pair<int, int>>;
Requests g_script[2];

void ScriptedRequests(TaskSlot* slot) {
  for (const auto& [id, flag] : g_script[slot - g_taskPool - kSlotObjectsFirst]) SoundRequest(id, flag);
}

class SoundRequestTest : public SoundFixture {
 protected:
  void SetUp() override {
    SoundFixture::SetUp();
    LoadArchive(SoundArchive());
    ASSERT_EQ(SoundInit(), 1);
    ASSERT_EQ(TaskPoolCreate(), 1);
    for (int i = 0; i < 2; ++i) {
      TaskSlot* slot = TaskAllocAt(kSlotObjectsFirst + i);
      slot->inUse = slot->updateOn = 1;
      slot->update = ScriptedRequests;
    }
  }
  // One frame's update with these requests from the first and the second task.
  void Frame(Requests first, Requests second = {}) {
    g_script[0] = std::move(first);
    g_script[1] = std::move(second);
    FrameUpdate();
  }
  // What the device was asked since the last call: "S3" stop, "P3" play once, "L22" loop.
  std::string Log() {
    std::string out;
    for (const plat::AudioEvent& e : Recorder()->events) {
      if (!out.empty()) out += ' ';
      out += e.kind == plat::AudioEvent::Kind::Stop ? 'S' : (e.loop ? 'L' : 'P');
      out += std::to_string(e.voice);
    }
    Recorder()->events.clear();
    return out;
  }
};

// Requests of one update play once at its end, in id order, with the last flag given
// (0 restarts, 1 lets a playing effect go on); music and stray ids cannot be requested.
TEST_F(SoundRequestTest, EffectsPlayOnceAtTheEndOfTheUpdate) {
  const struct {
    Requests first, second;
    const char* log;
  } frames[] = {
      {{{0, 1}}, {{0, 0}}, "S0 P0"},
      {{{0, 0}}, {{0, 1}}, "P0"},
      {{{9, 0}, {2, 0}}, {}, "S2 P2 S9 P9"},
      {{}, {}, ""},
      {{{kMusicTitle, 0}, {kMusicBattle, 1}}, {}, ""},
      {{{-1, 0}, {24, 0}, {1 << 20, 0}, {6, 0}}, {}, "S6 P6"},
  };
  for (const auto& f : frames) {
    Frame(f.first, f.second);
    EXPECT_EQ(Log(), f.log);
  }
}

// A footstep asked with flag 1 plays on without a restart; flag 0 restarts it each time.
TEST_F(SoundRequestTest, FootstepsWithFlag1PlayOnWithoutRestarting) {
  for (int i = 0; i < 5; ++i) Frame({{kSoundFootsteps, 1}});
  EXPECT_EQ(Log(), "P15 P15 P15 P15 P15");
  EXPECT_TRUE(Recorder()->playing[kSoundFootsteps]);
  for (int i = 0; i < 3; ++i) Frame({{kSoundFootsteps, 0}});
  EXPECT_EQ(Log(), "S15 P15 S15 P15 S15 P15");
}

// A request lasts one update; one made outside an update is forgotten when the next
// starts.
TEST_F(SoundRequestTest, RequestsLastOneUpdate) {
  Frame({{3, 0}});
  EXPECT_EQ(Log(), "S3 P3");
  Frame({});
  EXPECT_EQ(Log(), "");
  SoundRequest(4, 0);
  Frame({});
  EXPECT_EQ(Log(), "");
}

// With effects off the requests are kept but nothing plays; the music does not listen to
// that setting.
TEST_F(SoundRequestTest, WithEffectsOffRequestsAreKeptButNothingPlays) {
  g_settings.soundEffects = 0;
  Frame({{5, 0}});
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(g_soundRequests[5].requested, 1);
  Frame({});
  EXPECT_EQ(g_soundRequests[5].requested, 0);
  MusicPlay(kMusicField);
  EXPECT_EQ(Log(), "S21 S22 S23 L22");
}

// A clip the device has lost stays silent for the rest of the run; the others play on.
TEST_F(SoundRequestTest, ALostEffectStaysSilentForTheRun) {
  Recorder()->lost[6] = true;
  Frame({{6, 0}});
  EXPECT_EQ(Log(), "S6 P6");
  EXPECT_EQ(g_soundBuffers[6], nullptr);
  Recorder()->lost[6] = false;
  Frame({{6, 0}, {7, 0}});
  EXPECT_EQ(Log(), "S7 P7");
}

using MusicTest = SoundRequestTest;

// One piece at a time, looping, always from its start; only a music setting of 1 plays;
// an effect's id only stops the music.
TEST_F(MusicTest, OnePieceAtATimeLoopingFromItsStart) {
  MusicPlay(kMusicField);
  EXPECT_EQ(Log(), "S21 S22 S23 L22");
  MusicPlay(kMusicField);  // already playing: restarted
  EXPECT_EQ(Log(), "S21 S22 S23 L22");
  MusicPlay(kMusicBattle);
  EXPECT_FALSE(Recorder()->playing[kMusicField]);
  EXPECT_TRUE(Recorder()->playing[kMusicBattle]);
  MusicStopAll();
  EXPECT_FALSE(Recorder()->playing[kMusicBattle]);
  Log();
  for (int setting : {0, 2, -1}) {
    g_settings.music = setting;
    MusicPlay(kMusicTitle);
    EXPECT_EQ(Log(), "S21 S22 S23") << setting;
  }
  g_settings.music = 1;
  MusicPlay(kMusicTitle);
  Log();
  MusicPlay(kSoundHit);
  MusicPlay(99);
  EXPECT_EQ(Log(), "S21 S22 S23 S21 S22 S23");
}

// ---- The SDL_mixer back end on the dummy driver, and the recorder beside it ----

class MixerTest : public ::testing::TestWithParam<plat::AudioBackend> {
 protected:
  void SetUp() override {
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    plat::SetAudioBackend(GetParam());
    g_audioDevice = plat::CreateAudioDevice();
    ASSERT_NE(g_audioDevice, nullptr);
  }
};

// Both devices play integer PCM, mono or stereo, of 8 or 16 bits, at 8 to 48 kHz, with
// at least one whole frame, on voices 0 to 23, and refuse the rest alike: what the
// mixer cannot play fails in tests and the soak as it fails for a player.
TEST_P(MixerTest, FormatsItCannotPlayAreRefused) {
  const auto withFormat = [](uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t samples) {
    Bytes fmt = FormatBody(channels, rate, bits);
    fmt[0] = static_cast<uint8_t>(tag);
    Bytes chunks;
    PutChunk(chunks, "fmt ", fmt);
    PutChunk(chunks, "data", Samples(samples));
    return Riff(chunks);
  };
  std::unique_ptr<plat::AudioClip> clip;
  const struct {
    const char* what;
    uint16_t tag, channels;
    uint32_t rate;
    uint16_t bits;
    size_t samples;
    int voice, loaded;
  } cases[] = {
      {"stereo 8-bit", 1, 2, 11025, 8, 64, 2, 1},
      {"mono 16-bit", 1, 1, 44100, 16, 64, 2, 1},
      {"the lowest rate", 1, 1, 8000, 16, 64, 0, 1},
      {"the highest rate on the last voice", 1, 2, 48000, 16, 64, 23, 1},
      {"one whole frame", 1, 2, 22050, 16, 4, 1, 1},
      {"floating point", 3, 1, 44100, 16, 64, 2, 0},
      {"24-bit", 1, 1, 44100, 24, 64, 2, 0},
      {"32-bit", 1, 1, 44100, 32, 64, 2, 0},
      {"no bit depth", 1, 1, 44100, 0, 64, 2, 0},
      {"three channels", 1, 3, 44100, 16, 64, 2, 0},
      {"no channel", 1, 0, 44100, 16, 64, 2, 0},
      {"0 Hz", 1, 1, 0, 16, 64, 2, 0},
      {"just below 8 kHz", 1, 1, 7999, 16, 64, 2, 0},
      {"just above 48 kHz", 1, 1, 48001, 16, 64, 2, 0},
      {"less than a frame", 1, 2, 22050, 16, 3, 2, 0},
      {"no such voice", 1, 2, 44100, 16, 64, 24, 0},
      {"a negative voice", 1, 2, 44100, 16, 64, -1, 0},
  };
  for (const auto& c : cases) {
    const Bytes w = withFormat(c.tag, c.channels, c.rate, c.bits, c.samples);
    EXPECT_EQ(SoundCreateFromWave(w.data(), w.size(), c.voice, &clip), c.loaded) << c.what;
    EXPECT_EQ(clip != nullptr, c.loaded == 1) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(Devices, MixerTest,
                         ::testing::Values(plat::AudioBackend::Mixer, plat::AudioBackend::Recording),
                         [](const auto& p) { return p.param == plat::AudioBackend::Mixer ? "Mixer" : "Recorder"; });

// The SDL_mixer back end alone, playing on the dummy driver's clock.
class MixerPlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    plat::SetAudioBackend(plat::AudioBackend::Mixer);
    g_audioDevice = plat::CreateAudioDevice();
    ASSERT_NE(g_audioDevice, nullptr);
  }
  std::unique_ptr<plat::AudioClip> Clip(int voice, const Bytes& wave) {
    std::unique_ptr<plat::AudioClip> clip;
    EXPECT_EQ(SoundCreateFromWave(wave.data(), wave.size(), voice, &clip), 1);
    return clip;
  }
};

// Each clip plays and stops on its own voice; played again while it plays, it goes on.
TEST_F(MixerPlayTest, EachClipPlaysAndStopsOnItsOwnVoice) {
  plat::AudioDevice& device = *g_audioDevice;
  // Two seconds each: far longer than the test takes.
  auto a = Clip(0, ToneWave(22050, 44100));
  auto b = Clip(1, ToneWave(48000, 96000));
  ASSERT_TRUE(a && b);
  EXPECT_FALSE(device.IsPlaying(*a));
  EXPECT_EQ(device.Play(*a, false), plat::PlayResult::Ok);
  EXPECT_TRUE(device.IsPlaying(*a));
  EXPECT_FALSE(device.IsPlaying(*b));
  EXPECT_EQ(device.Play(*a, false), plat::PlayResult::Ok);
  EXPECT_TRUE(device.IsPlaying(*a));
  EXPECT_EQ(device.Play(*b, true), plat::PlayResult::Ok);
  device.Stop(*a);
  EXPECT_FALSE(device.IsPlaying(*a));
  EXPECT_TRUE(device.IsPlaying(*b));
  device.Stop(*b);
  EXPECT_FALSE(device.IsPlaying(*b));
}

// Through the whole sound path: an effect plays once and falls silent at its end, while
// the music, shorter still, loops on.
TEST_F(MixerPlayTest, EffectsPlayOnceAndMusicLoops) {
  std::vector<Bytes> entries(kEntrySoundFirst, Bytes{0});
  for (int id = 0; id < kSoundCount; ++id) entries.push_back(ToneWave(22050, id == kSoundHit ? 2205 : 441));
  const std::string dir = test::MakeTempDir();
  std::filesystem::current_path(dir);
  ASSERT_TRUE(test::WriteFile("data.dat", test::BuildArchive(entries)));
  ASSERT_EQ(DataFileLoad(), 1);
  g_audioDevice.reset();
  ASSERT_EQ(SoundInit(), 1);
  MusicPlay(kMusicField);   // 20 ms
  SoundPlay(kSoundHit, 0);  // 100 ms
  const plat::AudioClip& hit = *g_soundBuffers[kSoundHit];
  const plat::AudioClip& music = *g_soundBuffers[kMusicField];
  EXPECT_TRUE(g_audioDevice->IsPlaying(hit));
  for (int waited = 0; waited < 5000 && g_audioDevice->IsPlaying(hit); waited += 10) SDL_Delay(10);
  EXPECT_FALSE(g_audioDevice->IsPlaying(hit)) << "an effect plays once";
  EXPECT_TRUE(g_audioDevice->IsPlaying(music)) << "the music, five times shorter, loops on";
  SoundShutdown();
  DataFileFree();
  std::filesystem::current_path(test::BuildDataDir());
  std::filesystem::remove_all(dir);
}

// The clips play from the archive's own bytes: with the archive freed first, as shut-down
// does, they keep those bytes until the sound goes too, and not longer.
TEST_F(SoundFixture, MixerClipsKeepTheArchiveUntilTheSoundGoes) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  plat::SetAudioBackend(plat::AudioBackend::Mixer);
  // Half a second each in the mixer's own format (22,050 Hz, 16 bits), which it plays
  // without a converted copy.
  std::vector<Bytes> entries(kEntrySoundFirst, Bytes{0});
  entries.resize(kEntrySoundFirst + kSoundCount, test::MinimalWave(11025));
  LoadArchive(test::BuildArchive(entries));
  ASSERT_EQ(SoundInit(), 1);
  MusicPlay(kMusicBattle);
  SoundPlay(kSoundHit, 0);
  EXPECT_TRUE(g_audioDevice->IsPlaying(*g_soundBuffers[kSoundHit]));
  const std::weak_ptr<const uint8_t> archive = DataFileShare();
  DataFileFree();
  EXPECT_FALSE(archive.expired());
  EXPECT_TRUE(g_audioDevice->IsPlaying(*g_soundBuffers[kMusicBattle]));
  SoundShutdown();
  EXPECT_TRUE(archive.expired());
}

}  // namespace
