#include "synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace wavsynth {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// Band-limited step correction for square and saw edges.
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / 8388608.0 - 1.0;
  }

 private:
  uint32_t state_;
};

// Topology-preserving state-variable filter.
class Filter {
 public:
  double Run(FilterKind kind, double x, double cutoff, double q, int rate) {
    if (kind == FilterKind::None) return x;
    const double fc = std::clamp(cutoff, 20.0, rate * 0.45);
    const double g = std::tan(std::numbers::pi * fc / rate);
    const double k = 1.0 / std::max(0.3, q);
    const double hp = (x - (g + k) * s1_ - s2_) / (1 + g * (g + k));
    const double bp = g * hp + s1_;
    const double lp = g * bp + s2_;
    s1_ = g * hp + bp;
    s2_ = g * bp + lp;
    if (kind == FilterKind::LowPass) return lp;
    if (kind == FilterKind::HighPass) return hp;
    return bp;
  }

 private:
  double s1_ = 0, s2_ = 0;
};

double Envelope(const VoiceParams& p, double t, double gate) {
  auto held = [&p](double u) {
    if (u < p.attack) return u / std::max(1e-6, p.attack);
    const double d = u - p.attack;
    return p.sustain + (1 - p.sustain) * std::exp(-d / std::max(1e-6, p.decay / 3));
  };
  if (t < gate) return held(t);
  const double r = (t - gate) / std::max(1e-6, p.release);
  if (r >= 1) return 0;
  return held(gate) * (1 - r) * (1 - r);
}

// clang-format off
class Oscillator {
 public:
  Oscillator(Wave wave, double duty, uint32_t seed) : wave_(wave), duty_(duty), noise_(seed) {}

  // One sample at frequency f; advances the phase.
  double Next(double f, int rate, double fmPhaseOffset) {
    const double dt = std::min(0.5, f / rate);
    double t = phase_ + fmPhaseOffset;
    t -= std::floor(t);
    double y = 0;
    switch (wave_) {
      case Wave::Sine:
      case Wave::Kick:
        y = std::sin(kTwoPi * t);
        break;
      case Wave::Triangle:
        y = 4 * std::fabs(t - 0.5) - 1;
        break;
      case Wave::Square: {
        y = t < duty_ ? 1.0 : -1.0;
        y += PolyBlep(t, dt);
        double t2 = t - duty_ + 1;
        t2 -= std::floor(t2);
        y -= PolyBlep(t2, dt);
        y -= 2 * duty_ - 1;  // zero mean whatever the duty
        break;
      }
      case Wave::Saw:
        y = 2 * t - 1 - PolyBlep(t, dt);
        break;
      case Wave::Noise:
      case Wave::Hat:
        y = noise_.Next();
        break;
      case Wave::Snare:
        y = 0.55 * noise_.Next() + 0.45 * std::sin(kTwoPi * t);
        break;
    }
    phase_ += f / rate;
    phase_ -= std::floor(phase_);
    return y;
  }

 private:
  Wave wave_;
  double duty_;
  double phase_ = 0;
  Noise noise_;
};
// clang-format on

double FrequencyAt(const VoiceParams& p, const Note& n, double t) {
  double f = n.freq;
  if (p.glideTo > 0) {
    const double span = p.glideTime > 0 ? p.glideTime : std::max(1e-6, n.gate);
    f *= std::pow(p.glideTo / n.freq, std::min(1.0, t / span));
  }
  if (p.dropSemis != 0) f *= std::pow(2.0, p.dropSemis / 12 * std::exp(-t / std::max(1e-6, p.dropTime)));
  if (p.vibDepth > 0 && t > p.vibDelay) {
    const double ramp = std::min(1.0, (t - p.vibDelay) / 0.15);
    f *= std::pow(2.0, ramp * p.vibDepth / 12 * std::sin(kTwoPi * p.vibRate * (t - p.vibDelay)));
  }
  return f;
}

}  // namespace

double NoteLength(const VoiceParams& p, const Note& n) { return n.gate + p.release; }

void RenderNote(const VoiceParams& p, const Note& n, int rate, bool wrap, std::vector<double>& out) {
  if (out.empty()) return;
  const long first = std::lround(n.start * rate);
  const long count = std::lround(NoteLength(p, n) * rate);
  Oscillator main(p.wave, p.duty, n.seed);
  Oscillator twin(p.wave, p.duty, n.seed + 7919u);
  Filter filter;
  double modPhase = 0;
  const double total = std::max(1e-6, NoteLength(p, n));
  const long size = static_cast<long>(out.size());
  for (long i = 0; i < count; ++i) {
    long at = first + i;
    if (wrap) {
      at %= size;
    } else if (at >= size) {
      break;
    }
    const double t = static_cast<double>(i) / rate;
    const double f = FrequencyAt(p, n, t);
    double fm = 0;
    if (p.fmRatio > 0) {
      const double index = p.fmIndex * (p.fmDecay > 0 ? std::exp(-t / p.fmDecay) : 1.0);
      fm = index / kTwoPi * std::sin(kTwoPi * modPhase);
      modPhase += f * p.fmRatio / rate;
      modPhase -= std::floor(modPhase);
    }
    double y = main.Next(f, rate, fm);
    if (p.detune != 0) y = 0.5 * (y + twin.Next(f * std::pow(2.0, p.detune / 1200), rate, fm));
    const double cutoff = p.cutoffEnd > 0 ? p.cutoff * std::pow(p.cutoffEnd / p.cutoff, t / total) : p.cutoff;
    y = filter.Run(p.filter, y, cutoff, p.q, rate);
    double level = Envelope(p, t, n.gate) * p.amp * n.velocity;
    if (p.tremDepth > 0) level *= 1 - p.tremDepth * (0.5 + 0.5 * std::sin(kTwoPi * p.tremRate * t));
    out[at] += y * level;
  }
}

bool NoteFrequency(const std::string& name, double& freq) {
  static const int kSemis[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G from C
  if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') return false;
  int semis = kSemis[name[0] - 'A'];
  size_t pos = 1;
  if (name[pos] == '#') {
    ++semis;
    ++pos;
  } else if (name[pos] == 'b') {
    --semis;
    ++pos;
  }
  if (pos + 1 != name.size() || name[pos] < '0' || name[pos] > '8') return false;
  const int midi = (name[pos] - '0' + 1) * 12 + semis;
  freq = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
  return true;
}

}  // namespace wavsynth
