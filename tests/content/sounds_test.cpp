// The built sounds: every file is a well-formed PCM WAVE the game's loader takes,
// effects start and end at silence, music lasts at least 30 seconds and loops without
// a click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/bytes.h"
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

struct Wave {
  std::string error;
  uint16_t format = 0, channels = 0, bits = 0, blockAlign = 0;
  uint32_t rate = 0;
  std::vector<int16_t> samples;  // first channel
  double Seconds() const { return rate ? static_cast<double>(samples.size()) / rate : 0; }
};

Wave Refused(const std::string& why) {
  Wave w;
  w.error = why;
  return w;
}

// The "fmt " and first "data" chunks, each chunk's body padded to an even length.
Wave ReadWave(const test::Bytes& b) {
  Wave w;
  if (b.size() < 12 || ReadU32(b.data() + 4) + 8ull != b.size()) w.error = "no RIFF WAVE of the file's size";
  for (size_t at = 12; w.error.empty() && at + 8 <= b.size();) {
    const std::string id(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
    const uint32_t size = ReadU32(b.data() + at + 4);
    const uint8_t* body = b.data() + at + 8;
    if (size > b.size() - at - 8) return Refused("chunk '" + id + "' runs past the end");
    if (id == "fmt ") {
      w.format = ReadU16(body), w.channels = ReadU16(body + 2), w.rate = ReadU32(body + 4);
      w.blockAlign = ReadU16(body + 12), w.bits = ReadU16(body + 14);
    } else if (id == "data" && size > 0) {
      if (w.blockAlign == 0 || size % w.blockAlign != 0) return Refused("data before fmt or not whole frames");
      for (uint32_t s = 0; s < size; s += w.blockAlign) w.samples.push_back(static_cast<int16_t>(ReadU16(body + s)));
      return w;
    }
    at += 8 + size + (size & 1);
  }
  if (w.error.empty()) w.error = "no data chunk";
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

double SecondDifference(const std::vector<int16_t>& s, size_t i) {
  const size_t n = s.size();
  return std::fabs(static_cast<double>(s[(i + n - 1) % n]) - 2.0 * s[i] + s[(i + 1) % n]);
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
