#include "recipe.h"

#include <algorithm>
#include <sstream>

namespace wavsynth {

namespace {

using desc::Fail;
using desc::Line;

const std::map<std::string, Wave> kWaves = {
    {"sine", Wave::Sine},   {"triangle", Wave::Triangle}, {"square", Wave::Square}, {"saw", Wave::Saw},
    {"noise", Wave::Noise}, {"kick", Wave::Kick},         {"snare", Wave::Snare},   {"hat", Wave::Hat}};

double Frequency(const desc::Where& where, const std::string& word) {
  double f = 0;
  if (NoteFrequency(word, f)) return f;
  f = desc::Number(where, word, "frequency");
  if (f <= 0 || f > 20000) Fail(where, "frequency out of range: '" + word + "'");
  return f;
}

// "a:b" sweeps; a lone number holds still.
void Sweep(const desc::Where& where, const std::string& text, double& from, double& to) {
  const size_t colon = text.find(':');
  from = desc::Number(where, text.substr(0, colon), "cutoff");
  to = colon == std::string::npos ? 0 : desc::Number(where, text.substr(colon + 1), "cutoff");
}

void NonNegative(const desc::Where& where, double v, const char* what) {
  if (v < 0) Fail(where, std::string(what) + " must not be negative");
}

VoiceParams ReadVoiceParams(const Line& line, const std::string& waveName, desc::Options& opt) {
  VoiceParams p;
  auto wave = kWaves.find(waveName);
  if (wave == kWaves.end()) Fail(line.where, "unknown wave '" + waveName + "'");
  p.wave = wave->second;
  if (p.wave == Wave::Kick) {
    p.dropSemis = 24;
    p.dropTime = 0.03;
    p.decay = 0.25;
    p.sustain = 0;
  }
  p.amp = opt.Number("amp", p.amp);
  p.duty = opt.Number("duty", p.duty);
  p.attack = opt.Number("attack", p.attack);
  p.decay = opt.Number("decay", p.decay);
  p.sustain = opt.Number("sustain", p.sustain);
  p.release = opt.Number("release", p.release);
  p.detune = opt.Number("detune", 0);
  p.q = opt.Number("q", p.q);
  for (double v : {p.amp, p.attack, p.decay, p.sustain, p.release}) NonNegative(line.where, v, "a level or time");
  if (p.duty <= 0.05 || p.duty >= 0.95) Fail(line.where, "duty must lie between 0.05 and 0.95");
  const auto vib = opt.ShortList("vib", 2, {0, 0, 0});
  p.vibRate = vib[0];
  p.vibDepth = vib[1];
  p.vibDelay = vib[2];
  const auto trem = opt.List("trem", 2, {0, 0});
  p.tremRate = trem[0];
  p.tremDepth = std::clamp(trem[1], 0.0, 1.0);
  const auto drop = opt.List("drop", 2, {p.dropSemis, p.dropTime});
  p.dropSemis = drop[0];
  p.dropTime = drop[1];
  const auto fm = opt.ShortList("fm", 2, {0, 0, 0});
  p.fmRatio = fm[0];
  p.fmIndex = fm[1];
  p.fmDecay = fm[2];
  const std::pair<const char*, FilterKind> filters[3] = {
      {"lp", FilterKind::LowPass}, {"hp", FilterKind::HighPass}, {"bp", FilterKind::BandPass}};
  for (const auto& [key, kind] : filters) {
    const std::string text = opt.Text(key, "");
    if (text.empty()) continue;
    if (p.filter != FilterKind::None) Fail(line.where, "one filter a voice");
    p.filter = kind;
    Sweep(line.where, text, p.cutoff, p.cutoffEnd);
    if (p.cutoff <= 0 || p.cutoffEnd < 0) Fail(line.where, "cutoff must be above 0");
  }
  return p;
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, sep)) parts.push_back(part);
  return parts;
}

void ReadVoice(const Line& line, Recipe& r) {
  if (line.words.size() < 2) Fail(line.where, "voice needs a wave");
  desc::Options opt(line.where, line.words, 2);
  EffectVoice v;
  v.params = ReadVoiceParams(line, line.words[1], opt);
  const double at = opt.Number("at", 0);
  const double dur = opt.Number("dur", 0.1);
  const double step = opt.Number("step", dur);
  const double vel = opt.Number("vel", 1);
  const std::string to = opt.Text("to", "");
  v.params.glideTime = opt.Number("glide", 0);
  if (!to.empty()) v.params.glideTo = Frequency(line.where, to);
  const std::string freq = opt.Text("freq", ""), notes = opt.Text("notes", "");
  opt.Finish();
  if (!freq.empty() && !notes.empty()) Fail(line.where, "give freq or notes, not both");
  const std::vector<std::string> pitches = Split(notes.empty() ? (freq.empty() ? "440" : freq) : notes, ',');
  NonNegative(line.where, at, "at");
  if (dur <= 0) Fail(line.where, "dur must be above 0");
  for (size_t i = 0; i < pitches.size(); ++i) {
    Note n;
    n.start = at + step * static_cast<double>(i);
    n.gate = dur;
    n.freq = Frequency(line.where, pitches[i]);
    n.velocity = vel;
    n.seed = static_cast<uint32_t>(r.id * 1000 + static_cast<int>(r.voices.size()) * 50 + static_cast<int>(i) + 1);
    v.notes.push_back(n);
  }
  r.voices.push_back(v);
}

void ReadInstrument(const Line& line, Recipe& r) {
  if (line.words.size() < 3) Fail(line.where, "write an instrument as: instrument <name> <wave> options");
  if (r.instruments.count(line.words[1])) Fail(line.where, "instrument '" + line.words[1] + "' given twice");
  desc::Options opt(line.where, line.words, 3);
  Instrument ins;
  ins.params = ReadVoiceParams(line, line.words[2], opt);
  ins.hitFreq = Frequency(line.where, opt.Text("freq", "60"));
  ins.gate = opt.Number("gate", 0.9);
  opt.Finish();
  if (ins.gate <= 0 || ins.gate > 1) Fail(line.where, "gate must lie in (0, 1]");
  r.instruments[line.words[1]] = ins;
}

// Words after ':' on the line.
std::vector<std::string> AfterColon(const Line& line, size_t& colon) {
  auto it = std::find(line.words.begin(), line.words.end(), ":");
  if (it == line.words.end()) Fail(line.where, line.words[0] + " needs ':' before its steps");
  colon = static_cast<size_t>(it - line.words.begin());
  return {it + 1, line.words.end()};
}

// "tok:n" is the token followed by n - 1 holds (n rests for a rest).
void ExpandToken(const desc::Where& where, const std::string& word, std::vector<std::string>& steps) {
  const size_t colon = word.find(':');
  const std::string token = word.substr(0, colon);
  const int n = colon == std::string::npos ? 1 : desc::Integer(where, word.substr(colon + 1), "step count");
  if (n < 1 || n > 256) Fail(where, "bad step count in '" + word + "'");
  for (const std::string& part : Split(token, '+')) {
    double f = 0;
    const bool known = part == "." || part == "-" || part == "x" || part == "X" || NoteFrequency(part, f);
    if (!known) Fail(where, "unknown step '" + part + "'");
  }
  steps.push_back(token);
  for (int i = 1; i < n; ++i) steps.push_back(token == "." ? "." : "-");
}

void ReadPattern(const Line& line, Recipe& r) {
  size_t colon = 0;
  const auto words = AfterColon(line, colon);
  if (colon != 2) Fail(line.where, "write a pattern as: pattern <name> : steps");
  if (r.patterns.count(line.words[1])) Fail(line.where, "pattern '" + line.words[1] + "' given twice");
  std::vector<std::string> steps;
  for (const std::string& w : words) ExpandToken(line.where, w, steps);
  if (steps.empty()) Fail(line.where, "a pattern needs steps");
  r.patterns[line.words[1]] = steps;
}

void ReadTrack(const Line& line, Recipe& r) {
  size_t colon = 0;
  const auto words = AfterColon(line, colon);
  if (colon < 2) Fail(line.where, "write a track as: track <instrument> [vel=] : patterns");
  Track t;
  t.where = line.where;
  t.instrument = line.words[1];
  desc::Options opt(line.where, std::vector<std::string>(line.words.begin(), line.words.begin() + colon), 2);
  t.velocity = opt.Number("vel", 1);
  opt.Finish();
  if (!r.instruments.count(t.instrument)) Fail(line.where, "no instrument '" + t.instrument + "'");
  for (const std::string& w : words) {
    const size_t star = w.find('*');
    const std::string name = w.substr(0, star);
    const int times = star == std::string::npos ? 1 : desc::Integer(line.where, w.substr(star + 1), "repeat count");
    auto it = r.patterns.find(name);
    if (it == r.patterns.end()) Fail(line.where, "no pattern '" + name + "' (patterns come before tracks)");
    if (times < 1 || times > 64) Fail(line.where, "bad repeat count in '" + w + "'");
    for (int k = 0; k < times; ++k) t.steps.insert(t.steps.end(), it->second.begin(), it->second.end());
  }
  if (t.steps.front() == "-") Fail(line.where, "a track cannot start by holding a note");
  r.tracks.push_back(t);
}

void ReadHeader(const Line& line, Recipe& r) {
  if (line.words.size() != 4 || line.words[0] != "sound") {
    Fail(line.where, "a recipe starts with: sound <id> <name> \"<purpose>\"");
  }
  r.id = desc::Integer(line.where, line.words[1], "sound id");
  if (r.id < 0 || r.id > 23) Fail(line.where, "sound ids are 0 to 23");
  r.name = line.words[2];
  r.purpose = line.words[3];
  r.where = line.where;
}

void ReadSetting(const Line& line, Recipe& r) {
  const std::string& key = line.words[0];
  if (key == "echo") {
    desc::Options opt(line.where, line.words, 1);
    r.echo.delay = opt.Number("delay", 0.25);
    r.echo.feedback = opt.Number("feedback", 0.3);
    r.echo.mix = opt.Number("mix", 0.3);
    opt.Finish();
    if (r.echo.delay <= 0 || r.echo.feedback < 0 || r.echo.feedback >= 0.95) Fail(line.where, "bad echo");
    return;
  }
  if (line.words.size() != 2) Fail(line.where, key + " takes one value");
  const std::string& v = line.words[1];
  if (key == "rate") {
    r.rate = desc::Integer(line.where, v, "rate");
    if (r.rate != 22050 && r.rate != 44100) Fail(line.where, "rate must be 22050 or 44100");
  } else if (key == "length") {
    r.length = desc::Number(line.where, v, "length");
    if (r.length <= 0 || r.length > 5) Fail(line.where, "an effect lasts more than 0 and at most 5 seconds");
  } else if (key == "level") {
    r.level = desc::Number(line.where, v, "level");
    if (r.level <= 0 || r.level > 0.99) Fail(line.where, "level must lie in (0, 0.99]");
  } else if (key == "tempo") {
    r.tempo = desc::Number(line.where, v, "tempo");
    if (r.tempo < 30 || r.tempo > 300) Fail(line.where, "tempo must be 30 to 300");
  } else if (key == "steps") {
    r.stepsPerBeat = desc::Integer(line.where, v, "steps");
    if (r.stepsPerBeat < 1 || r.stepsPerBeat > 12) Fail(line.where, "steps must be 1 to 12");
  } else {
    Fail(line.where, "unknown statement '" + key + "'");
  }
}

void CheckRecipe(const Recipe& r) {
  const bool musicId = r.id >= 21;
  if (musicId != r.IsMusic()) {
    Fail(r.where, musicId ? "sounds 21 to 23 are music: they need tracks" : "sounds 0 to 20 are effects: no tracks");
  }
  if (r.IsMusic()) {
    if (r.tempo <= 0) Fail(r.where, "music needs a tempo");
    for (const Track& t : r.tracks) {
      if (t.steps.size() != r.tracks.front().steps.size()) {
        Fail(t.where, "every track must be as long as the first (" + std::to_string(r.tracks.front().steps.size()) +
                          " steps, this one " + std::to_string(t.steps.size()) + ")");
      }
    }
    return;
  }
  if (r.voices.empty()) Fail(r.where, "an effect needs voices");
  if (r.length <= 0) Fail(r.where, "an effect needs a length");
}

}  // namespace

Recipe ReadRecipe(const std::string& path) {
  const auto lines = desc::ReadLines(path);
  if (lines.empty()) throw desc::Error(path + ": empty recipe");
  Recipe r;
  ReadHeader(lines.front(), r);
  for (size_t i = 1; i < lines.size(); ++i) {
    const Line& line = lines[i];
    const std::string& key = line.words[0];
    if (key == "voice") {
      ReadVoice(line, r);
    } else if (key == "instrument") {
      ReadInstrument(line, r);
    } else if (key == "pattern") {
      ReadPattern(line, r);
    } else if (key == "track") {
      ReadTrack(line, r);
    } else {
      ReadSetting(line, r);
    }
  }
  CheckRecipe(r);
  return r;
}

}  // namespace wavsynth
