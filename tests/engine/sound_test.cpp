#include "engine/sound.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/tasks.h"
#include "engine/archive.h"
#include "engine/shell.h"
#include "engine/task.h"
#include "platform/recording/audio_recording.h"
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
