#include "voices.h"

#include <algorithm>
#include <cmath>

#include "score.h"

namespace soundtrack {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRate = kSampleRate;

int Samples(double seconds) { return static_cast<int>(seconds * kRate); }

struct Noise {
  std::uint32_t state;
  explicit Noise(std::uint32_t seed) : state(seed * 2654435761u + 0x9E3779B9u) {
    if (state == 0) state = 1;
  }
  float operator()() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(state) / 2147483648.0f - 1.0f;
  }
};

// Topology-preserving state-variable filter: stable under the fast cutoff sweeps the
// plucked voices make, where a biquad recomputed per block would zipper.
struct Filter {
  double g = 0, k = 1, a1 = 0, a2 = 0, a3 = 0, ic1 = 0, ic2 = 0;
  double low = 0, band = 0, high = 0;
  void Set(double hz, double q) {
    hz = std::clamp(hz, 20.0, kRate * 0.45);
    g = std::tan(kPi * hz / kRate);
    k = 1.0 / q;
    a1 = 1.0 / (1.0 + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
  }
  void Run(double x) {
    const double v3 = x - ic2;
    const double v1 = a1 * ic1 + a2 * v3;
    const double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2 * v1 - ic1;
    ic2 = 2 * v2 - ic2;
    low = v2;
    band = v1;
    high = x - k * v1 - v2;
  }
};

// A band-limited saw (polyBLEP): the naive ramp aliases into a hiss on high notes.
struct Saw {
  double phase = 0, inc = 0;
  Saw(double hz, double start) : phase(start), inc(hz / kRate) {}
  double operator()() {
    double v = 2.0 * phase - 1.0;
    if (phase < inc) {
      const double t = phase / inc;
      v -= t + t - t * t - 1.0;
    } else if (phase > 1.0 - inc) {
      const double t = (phase - 1.0) / inc;
      v -= t * t + t + t + 1.0;
    }
    phase += inc;
    if (phase >= 1.0) phase -= 1.0;
    return v;
  }
};

// Linear attack, then held, then an exponential release after `held` samples.
double Envelope(int n, int attack, int held, int release) {
  if (n < attack) return static_cast<double>(n) / attack;
  if (n < held) return 1.0;
  return std::exp(-5.0 * (n - held) / release);
}

// Sets a tone's plucked filter at n: the cutoff starts `amount` octaves up and falls.
void Pluck(Filter& f, const Tone& tone, int n, double amount, double q) {
  const double env = std::exp(-static_cast<double>(n) / (tone.decay * kRate));
  f.Set(tone.cutoff * std::pow(2.0, amount * env), q);
}

}  // namespace

double PitchToHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

Mono Kick(float velocity) {
  Mono out(static_cast<std::size_t>(Samples(0.45)));
  double phase = 0;
  for (std::size_t n = 0; n < out.size(); ++n) {
    const double t = n / kRate;
    const double hz = 48.0 + 110.0 * std::exp(-t / 0.03);
    phase += 2 * kPi * hz / kRate;
    const double body = std::sin(phase) * std::exp(-t / 0.16);
    const double click = std::sin(phase * 3.0) * std::exp(-t / 0.004) * 0.25;
    // A touch of soft saturation thickens the body without a harsh edge.
    out[n] = static_cast<float>(velocity * std::tanh(1.4 * (body + click)) / std::tanh(1.4));
  }
  return out;
}

Mono Snare(float velocity, std::uint32_t seed) {
  Mono out(static_cast<std::size_t>(Samples(0.3)));
  Noise noise(seed);
  Filter band;
  band.Set(3000.0, 0.7);
  Filter low;
  low.Set(7000.0, 0.7);
  double phase = 0;
  for (std::size_t n = 0; n < out.size(); ++n) {
    const double t = n / kRate;
    phase += 2 * kPi * (180.0 + 40.0 * std::exp(-t / 0.02)) / kRate;
    const double body = std::sin(phase) * std::exp(-t / 0.05) * 0.6;
    band.Run(noise());
    low.Run(band.band);
    const double rattle = low.low * std::exp(-t / 0.07) * 1.8;
    out[n] = static_cast<float>(velocity * (body + rattle));
  }
  return out;
}

Mono Hat(float velocity, bool open, std::uint32_t seed) {
  const double decay = open ? 0.12 : 0.025;
  Mono out(static_cast<std::size_t>(Samples(decay * 6)));
  Noise noise(seed);
  Filter high;
  high.Set(7500.0, 0.8);
  for (std::size_t n = 0; n < out.size(); ++n) {
    high.Run(noise());
    out[n] = static_cast<float>(velocity * high.high * std::exp(-(n / kRate) / decay) * 0.5);
  }
  return out;
}

Mono Bass(double hz, int samples, const Tone& tone) {
  const int release = Samples(0.08);
  Mono out(static_cast<std::size_t>(samples + release));
  Saw saw(hz, 0.0);
  Filter f;
  double sub = 0;
  for (int n = 0; n < static_cast<int>(out.size()); ++n) {
    if (n % 32 == 0) Pluck(f, tone, n, 2.0, 0.9);
    f.Run(saw());
    sub += 2 * kPi * hz / kRate;
    double env = Envelope(n, Samples(0.004), samples, release);
    if (tone.ringOut) env *= std::exp(-4.0 * n / (samples + release));
    out[static_cast<std::size_t>(n)] = static_cast<float>(env * (0.55 * f.low + 0.6 * std::sin(sub)));
  }
  return out;
}

Mono Pad(double hz, int samples, const Tone& tone, std::uint32_t seed) {
  const int release = tone.ringOut ? Samples(0.2) : Samples(0.9);
  Mono out(static_cast<std::size_t>(samples + release));
  Noise noise(seed);
  // Random start phases keep the stacked voices of a chord from adding up in a spike.
  Saw voices[] = {{hz * 0.996, 0.5 + 0.5 * noise()}, {hz, 0.5 + 0.5 * noise()}, {hz * 1.005, 0.5 + 0.5 * noise()}};
  Filter f;
  const int attack = tone.ringOut ? Samples(0.01) : Samples(0.35);
  for (int n = 0; n < static_cast<int>(out.size()); ++n) {
    if (n % 64 == 0) {
      const double swell = std::sin(kPi * std::min(1.0, static_cast<double>(n) / samples));
      f.Set(tone.cutoff * (1.0 + 2.0 * tone.sweep * swell), 0.8);
    }
    f.Run((voices[0]() + voices[1]() + voices[2]()) / 3.0);
    double env = Envelope(n, attack, samples, release);
    if (tone.ringOut) env *= std::exp(-5.0 * n / (samples + release));
    out[static_cast<std::size_t>(n)] = static_cast<float>(env * f.low);
  }
  return out;
}

Mono Lead(double hz, int samples, const Tone& tone) {
  const int release = Samples(0.12);
  Mono out(static_cast<std::size_t>(samples + release));
  Saw saw(hz, 0.0), square(hz * 1.002, 0.0), squareLag(hz * 1.002, 0.5);
  Filter f;
  for (int n = 0; n < static_cast<int>(out.size()); ++n) {
    const double t = n / kRate;
    if (n % 32 == 0) {
      // Vibrato only on held notes, after they have settled.
      const double depth = 0.004 * std::clamp((t - 0.25) / 0.3, 0.0, 1.0);
      const double bend = 1.0 + depth * std::sin(2 * kPi * 5.5 * t);
      saw.inc = hz * bend / kRate;
      square.inc = squareLag.inc = hz * 1.002 * bend / kRate;
      Pluck(f, tone, n, 1.5, 1.1);
    }
    // Two saws half a cycle apart difference into a square.
    const double x = 0.6 * saw() + 0.4 * (square() - squareLag());
    f.Run(x);
    double env = Envelope(n, Samples(0.005), samples, release);
    if (tone.ringOut) env *= std::exp(-4.0 * n / (samples + release));
    out[static_cast<std::size_t>(n)] = static_cast<float>(env * f.low);
  }
  return out;
}

}  // namespace soundtrack
