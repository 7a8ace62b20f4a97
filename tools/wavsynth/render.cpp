#include "render.h"

#include <algorithm>
#include <cmath>

namespace wavsynth {

namespace {

// Lays one track's steps out as notes: a note or chord starts at its step and is
// held through the '-' steps that follow it.
std::vector<Note> TrackNotes(const Recipe& r, const Track& t, double stepSeconds) {
  const Instrument& ins = r.instruments.at(t.instrument);
  std::vector<Note> notes;
  std::vector<Note> current;
  size_t length = 0;
  auto close = [&]() {
    for (Note n : current) {
      n.gate = static_cast<double>(length) * stepSeconds * ins.gate;
      notes.push_back(n);
    }
    current.clear();
    length = 0;
  };
  uint32_t seed = static_cast<uint32_t>(r.id * 100000 + static_cast<int>(&t - r.tracks.data()) * 10000);
  for (size_t s = 0; s < t.steps.size(); ++s) {
    const std::string& token = t.steps[s];
    if (token == "-") {
      if (!current.empty()) ++length;
      continue;
    }
    close();
    if (token == ".") continue;
    size_t start = 0;
    while (start <= token.size()) {
      const size_t plus = std::min(token.find('+', start), token.size());
      const std::string part = token.substr(start, plus - start);
      Note n;
      n.start = static_cast<double>(s) * stepSeconds;
      n.velocity = t.velocity * (part == "x" ? 0.75 : 1.0);
      n.freq = ins.hitFreq;
      if (part != "x" && part != "X") NoteFrequency(part, n.freq);
      n.seed = ++seed;
      current.push_back(n);
      start = plus + 1;
    }
    length = 1;
  }
  close();
  return notes;
}

// Feedback echo. On a loop the echoes of the end fall on the start, so the buffer is
// run through a few times until they settle.
void ApplyEcho(const Echo& echo, int rate, bool loop, std::vector<double>& buf) {
  if (echo.delay <= 0 || echo.mix <= 0) return;
  const long n = static_cast<long>(buf.size());
  const long d = std::lround(echo.delay * rate);
  if (d <= 0 || d >= n) return;
  std::vector<double> wet(buf.size(), 0.0);
  const int passes = loop ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    for (long i = 0; i < n; ++i) {
      const long from = i - d;
      if (from < 0 && !loop) continue;
      const long j = (from + n) % n;
      wet[i] = echo.feedback * (buf[j] + wet[j]);
    }
  }
  for (long i = 0; i < n; ++i) buf[i] += echo.mix * wet[i];
}

std::vector<double> RenderMusic(const Recipe& r) {
  const long stepSamples = std::lround(r.rate * 60.0 / (r.tempo * r.stepsPerBeat));
  const double stepSeconds = static_cast<double>(stepSamples) / r.rate;
  std::vector<double> buf(static_cast<size_t>(stepSamples) * r.tracks.front().steps.size(), 0.0);
  for (const Track& t : r.tracks) {
    const Instrument& ins = r.instruments.at(t.instrument);
    for (const Note& n : TrackNotes(r, t, stepSeconds)) RenderNote(ins.params, n, r.rate, true, buf);
  }
  ApplyEcho(r.echo, r.rate, true, buf);
  // A constant offset would be a step wherever the sound starts or stops.
  double mean = 0;
  for (double v : buf) mean += v;
  mean /= static_cast<double>(buf.size());
  for (double& v : buf) v -= mean;
  return buf;
}

std::vector<double> RenderEffect(const Recipe& r) {
  std::vector<double> buf(static_cast<size_t>(std::lround(r.length * r.rate)), 0.0);
  for (const EffectVoice& v : r.voices) {
    for (const Note& n : v.notes) RenderNote(v.params, n, r.rate, false, buf);
  }
  ApplyEcho(r.echo, r.rate, false, buf);
  double mean = 0;
  for (double v : buf) mean += v;
  mean /= static_cast<double>(buf.size());
  // Start and end at silence so that starting, stopping or restarting never clicks.
  const size_t fadeIn = static_cast<size_t>(r.rate / 500), fadeOut = static_cast<size_t>(r.rate / 100);
  for (size_t i = 0; i < buf.size(); ++i) {
    buf[i] -= mean;
    const double in = std::min(1.0, static_cast<double>(i) / static_cast<double>(fadeIn));
    const double out = std::min(1.0, static_cast<double>(buf.size() - 1 - i) / static_cast<double>(fadeOut));
    buf[i] *= in * out;
  }
  return buf;
}

}  // namespace

std::vector<int16_t> RenderRecipe(const Recipe& recipe) {
  const std::vector<double> buf = recipe.IsMusic() ? RenderMusic(recipe) : RenderEffect(recipe);
  double peak = 0;
  for (double v : buf) peak = std::max(peak, std::fabs(v));
  if (peak < 1e-6) desc::Fail(recipe.where, "sound " + recipe.name + " is silent");
  const double scale = recipe.level / peak * 32767.0;
  std::vector<int16_t> out(buf.size());
  for (size_t i = 0; i < buf.size(); ++i) {
    out[i] = static_cast<int16_t>(std::clamp(std::lround(buf[i] * scale), -32767L, 32767L));
  }
  return out;
}

std::vector<uint8_t> WaveFile(const std::vector<int16_t>& samples, int rate) {
  std::vector<uint8_t> out;
  out.reserve(44 + samples.size() * 2);
  auto u32 = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&out](uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto tag = [&out](const char* t) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(t[i]));
  };
  const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
  tag("RIFF");
  u32(36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(static_cast<uint32_t>(rate));
  u32(static_cast<uint32_t>(rate) * 2);
  u16(2);
  u16(16);
  tag("data");
  u32(dataBytes);
  for (int16_t s : samples) u16(static_cast<uint16_t>(s));
  return out;
}

}  // namespace wavsynth
