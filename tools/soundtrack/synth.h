// Turns the score into sound: the sequencer lays each section's notes on the sample grid,
// the voices render them, and a small mix bus (kick ducking, a dotted-eighth echo on the
// lead, a room) glues them together.

#pragma once

#include <cstdint>
#include <iosfwd>
#include <vector>

#include "score.h"

namespace soundtrack {

enum class Voice { Kick, Snare, Hat, OpenHat, Bass, Pad, Lead };

// One note of the piece, in samples from the start of the whole piece.
struct Event {
  Voice voice = Voice::Kick;
  int section = 0;        // index into the score's sections
  std::int64_t start = 0;
  int length = 0;         // samples the note is held; drums ignore it
  int pitch = 0;          // MIDI; drums ignore it
  float velocity = 1.0f;  // 0..1
  bool ringOut = false;   // part of the closing chord
};

// Every note of the score, in order of section, then voice, then time.
std::vector<Event> Sequence(const Score& score);

struct Stereo {
  std::vector<float> left, right;
};

// Bars [firstBar, firstBar + bars) at full scale (not normalised). Only the notes that
// start in the range are heard, so a range rendered alone starts dry where the whole
// piece would still carry the previous section's tails.
Stereo Render(const Score& score, int firstBar, int bars);

// The peak the master is normalised to: 1 dB under full scale, so the encoder's
// reconstruction overshoot stays clear of clipping.
constexpr float kMasterPeak = 0.89f;

// Fades the ends against clicks and scales the peak of both channels to kMasterPeak.
void Master(Stereo& audio);

// Interleaved 16-bit samples, left first, rounded and clamped.
std::vector<std::int16_t> ToPcm16(const Stereo& audio);

// A canonical 44-byte-header PCM WAV, 16-bit stereo at kSampleRate.
void WriteWav(std::ostream& out, const Stereo& audio);

}  // namespace soundtrack
