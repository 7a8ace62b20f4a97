// Sound recipes: the text files in content/sounds (the language is described in
// content/sounds/README.md). An effect is a few voices laid on a time line; a
// music piece is instruments, patterns of steps and tracks that chain patterns
// into one loop.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "desc.h"
#include "synth.h"

namespace wavsynth {

struct EffectVoice {
  VoiceParams params;
  std::vector<Note> notes;
};

struct Echo {
  double delay = 0;  // seconds; 0: no echo
  double feedback = 0;
  double mix = 0;
};

struct Instrument {
  VoiceParams params;
  double hitFreq = 60;  // pitch of an 'x' step
  double gate = 0.9;    // part of its steps a note is held
};

struct Track {
  std::string instrument;
  double velocity = 1;
  std::vector<std::string> steps;  // one token a step, patterns laid end to end
  desc::Where where;
};

struct Recipe {
  int id = -1;
  std::string name, purpose;
  desc::Where where;
  int rate = 22050;
  double level = 0.85;  // peak level of the finished sound
  Echo echo;
  // Effects.
  double length = 0;
  std::vector<EffectVoice> voices;
  // Music.
  double tempo = 0;
  int stepsPerBeat = 4;
  std::map<std::string, Instrument> instruments;
  std::map<std::string, std::vector<std::string>> patterns;
  std::vector<Track> tracks;

  bool IsMusic() const { return !tracks.empty(); }
};

// Reads and checks one recipe file; throws desc::Error.
Recipe ReadRecipe(const std::string& path);

}  // namespace wavsynth
