// The synthesiser: one voice is an oscillator with a pitch path, an envelope and a
// filter; voices are rendered one note at a time and added into a buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wavsynth {

enum class Wave { Sine, Triangle, Square, Saw, Noise, Kick, Snare, Hat };
enum class FilterKind { None, LowPass, HighPass, BandPass };

struct VoiceParams {
  Wave wave = Wave::Sine;
  double amp = 0.5;
  double duty = 0.5;  // square waves
  // Envelope: attack to full, decay toward the sustain level while the gate is open,
  // release to silence after it closes. Times in seconds.
  double attack = 0.005, decay = 0.15, sustain = 0.7, release = 0.06;
  double glideTo = 0;                              // frequency reached by the end of `glideTime` (0: none)
  double glideTime = 0;                            // 0: over the gate
  double vibRate = 0, vibDepth = 0, vibDelay = 0;  // depth in semitones
  double tremRate = 0, tremDepth = 0;              // depth 0..1
  double dropSemis = 0, dropTime = 0.04;           // pitch starts this much higher and falls
  double fmRatio = 0, fmIndex = 0, fmDecay = 0;    // sine modulator; index falls by e every fmDecay s
  FilterKind filter = FilterKind::None;
  double cutoff = 2000, cutoffEnd = 0, q = 0.7;  // cutoffEnd 0: fixed
  double detune = 0;                             // cents of a second, detuned copy (0: none)
};

struct Note {
  double start = 0;  // seconds
  double gate = 0;   // seconds the note is held
  double freq = 440;
  double velocity = 1;
  uint32_t seed = 1;  // noise
};

// Seconds a note sounds in all: its gate plus the release.
double NoteLength(const VoiceParams& p, const Note& n);

// Adds the note into `out` at `rate` samples a second. With `wrap` the buffer is a
// loop: samples past its end land at its start.
void RenderNote(const VoiceParams& p, const Note& n, int rate, bool wrap, std::vector<double>& out);

// Frequency of a note name such as "A4", "C#5", "Bb3"; false when it is not one.
bool NoteFrequency(const std::string& name, double& freq);

}  // namespace wavsynth
