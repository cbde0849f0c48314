// The instruments. Each renders one note, mono, from its first sample to the end of its
// release, so the sequencer can lay notes anywhere in the mix. Noise comes from a seed
// the caller passes (the note's position), which keeps a render repeatable and a part
// of the piece rendered alone identical to the same part of the whole.

#pragma once

#include <cstdint>
#include <vector>

namespace soundtrack {

using Mono = std::vector<float>;

double PitchToHz(int midi);

// A sine swept down from a click to its body: the lowest FFT bins pulse with it.
Mono Kick(float velocity);
// Tuned body plus band-passed noise, so the mid bins pulse on two and four.
Mono Snare(float velocity, std::uint32_t seed);
// High-passed noise; open hats ring longer and double as the final crash.
Mono Hat(float velocity, bool open, std::uint32_t seed);

struct Tone {
  float cutoff = 1000.0f;  // Hz, where the filter rests
  float decay = 0.2f;      // seconds for the filter envelope to close
  float sweep = 0.0f;      // 0..1, a slow swell of the cutoff over the note
  bool ringOut = false;    // exponential decay over the note instead of a held level
};

// Saw over a sine sub, its filter plucked open on each note.
Mono Bass(double hz, int samples, const Tone& tone);
// Three detuned saws under a gentle filter; slow attack, long release.
Mono Pad(double hz, int samples, const Tone& tone, std::uint32_t seed);
// Saw and square, a filter envelope and a late vibrato.
Mono Lead(double hz, int samples, const Tone& tone);

}  // namespace soundtrack
