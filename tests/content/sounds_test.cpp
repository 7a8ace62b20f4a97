// The built sounds: every file is a well-formed PCM WAVE the game's loader takes, its
// header telling the samples that follow it, effects start and end at silence, music
// lasts at least 30 seconds and loops without a click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/content_tools.h"
#include "support/files.h"
#include "support/harness.h"

namespace {

constexpr int kSoundCount = 24;
constexpr int kFirstMusic = 21;

std::string SoundName(int id) {
  char name[32];
  std::snprintf(name, sizeof name, "sound_%02d.wav", id);
  return name;
}

uint32_t U32(const test::Bytes& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 | static_cast<uint32_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t U16(const test::Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

struct Wave {
  std::string error;
  uint16_t format = 0, channels = 0, bits = 0, blockAlign = 0;
  uint32_t rate = 0, byteRate = 0;
  size_t dataEnd = 0;            // where the data chunk's body ends
  std::vector<int16_t> samples;  // first channel
  double Seconds() const { return rate ? static_cast<double>(samples.size()) / rate : 0; }
};

// Walks the chunks the way the game's loader does: "fmt " and the first non-empty
// "data", each chunk's body padded to an even length.
Wave ReadWave(const test::Bytes& b) {
  Wave w;
  if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
      std::string(b.begin() + 8, b.begin() + 12) != "WAVE") {
    w.error = "no RIFF WAVE header";
    return w;
  }
  if (U32(b, 4) + 8ull != b.size()) {
    w.error = "RIFF size does not match the file";
    return w;
  }
  size_t at = 12;
  bool fmt = false;
  while (at + 8 <= b.size()) {
    const std::string id(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
    const uint32_t size = U32(b, at + 4);
    const size_t body = at + 8;
    if (size > b.size() - body) {
      w.error = "chunk '" + id + "' runs past the end";
      return w;
    }
    if (id == "fmt " && !fmt) {
      if (size < 16) {
        w.error = "short fmt chunk";
        return w;
      }
      w.format = U16(b, body);
      w.channels = U16(b, body + 2);
      w.rate = U32(b, body + 4);
      w.byteRate = U32(b, body + 8);
      w.blockAlign = U16(b, body + 12);
      w.bits = U16(b, body + 14);
      fmt = true;
    } else if (id == "data" && size > 0) {
      if (!fmt || w.blockAlign == 0 || size % w.blockAlign != 0) {
        w.error = "data before fmt or not whole frames";
        return w;
      }
      for (size_t s = body; s < body + size; s += w.blockAlign) w.samples.push_back(static_cast<int16_t>(U16(b, s)));
      w.dataEnd = body + size;
      return w;
    }
    at = body + size + (size & 1);
  }
  w.error = "no data chunk";
  return w;
}

const std::vector<Wave>& Built() {
  static const std::vector<Wave> waves = [] {
    std::vector<Wave> all;
    for (int id = 0; id < kSoundCount; ++id)
      all.push_back(ReadWave(test::ReadFile(test::GeneratedPath("sounds/" + SoundName(id)))));
    return all;
  }();
  return waves;
}

int Peak(const std::vector<int16_t>& s) {
  int peak = 0;
  for (int16_t v : s) peak = std::max(peak, std::abs(static_cast<int>(v)));
  return peak;
}

double SecondDifference(const std::vector<int16_t>& s, size_t i) {
  const size_t n = s.size();
  return std::fabs(static_cast<double>(s[(i + n - 1) % n]) - 2.0 * s[i] + s[(i + 1) % n]);
}

TEST(BuiltSounds, EveryFileIsPcmTheGameCanLoad) {
  size_t total = 0;
  for (int id = 0; id < kSoundCount; ++id) {
    SCOPED_TRACE(SoundName(id));
    const Wave& w = Built()[id];
    ASSERT_EQ(w.error, "");
    EXPECT_EQ(w.format, 1);
    EXPECT_TRUE(w.channels == 1 || w.channels == 2);
    EXPECT_TRUE(w.rate == 22050 || w.rate == 44100);
    EXPECT_EQ(w.bits, 16);
    EXPECT_EQ(w.blockAlign, w.channels * 2);
    EXPECT_EQ(w.byteRate, w.rate * w.blockAlign);
    ASSERT_FALSE(w.samples.empty());
    const size_t size = test::ReadFile(test::GeneratedPath("sounds/" + SoundName(id))).size();
    EXPECT_EQ(w.dataEnd, size) << "the data chunk holds every sample of the file";
    // Loud enough to hear, never clipped.
    EXPECT_GT(Peak(w.samples), 32767 * 3 / 10);
    EXPECT_LT(Peak(w.samples), 32767);
    total += size;
  }
  EXPECT_LT(total, 8u << 20) << "the sounds make data.dat too large";
}

TEST(BuiltSounds, EffectsStartAndEndAtSilence) {
  for (int id = 0; id < kFirstMusic; ++id) {
    SCOPED_TRACE(SoundName(id));
    const Wave& w = Built()[id];
    ASSERT_FALSE(w.samples.empty());
    EXPECT_LE(w.Seconds(), 5.0);
    // Played, restarted or run back to back (the footsteps), an effect never clicks.
    EXPECT_LE(std::abs(w.samples.front()), 100);
    EXPECT_LE(std::abs(w.samples.back()), 100);
  }
}

TEST(BuiltSounds, MusicLastsHalfAMinuteAndLoopsWithoutAClick) {
  for (int id = kFirstMusic; id < kSoundCount; ++id) {
    SCOPED_TRACE(SoundName(id));
    const Wave& w = Built()[id];
    const std::vector<int16_t>& s = w.samples;
    ASSERT_GT(s.size(), 1000u);
    EXPECT_GE(w.Seconds(), 30.0);
    // Across the join the wave bends no more sharply than it does inside the piece.
    std::vector<double> inside;
    for (size_t i = 1; i + 1 < s.size(); ++i) inside.push_back(SecondDifference(s, i));
    std::nth_element(inside.begin(), inside.begin() + static_cast<long>(inside.size() * 999 / 1000), inside.end());
    const double typical = inside[inside.size() * 999 / 1000];
    EXPECT_LE(SecondDifference(s, 0), typical);
    EXPECT_LE(SecondDifference(s, s.size() - 1), typical);
    // No offset that would step when the loop starts or stops.
    double mean = 0;
    for (int16_t v : s) mean += v;
    EXPECT_LT(std::fabs(mean / static_cast<double>(s.size())), 100.0);
  }
}

}  // namespace
