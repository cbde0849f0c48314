// The demo's music as data: tempo, and per section its length in bars and what each
// instrument plays. The demo's part lengths come from this table (through the sections
// file the build writes), so a change of tempo or bars here moves the visuals with it.

#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace soundtrack {

constexpr int kSampleRate = 44100;
constexpr int kFramesPerSecond = 25;
constexpr int kSamplesPerFrame = kSampleRate / kFramesPerSecond;
constexpr int kStepsPerBar = 16;  // the sequencer's grid is the sixteenth
constexpr int kBeatsPerBar = 4;

// One drum voice: a char per sixteenth, '.' silent, '1'..'9' velocity (9 loudest). The
// string loops over the section, so a 64-step string is a four-bar pattern with its fill.
// Bars are counted from the section's start; toBar of -1 is the section's end.
struct DrumTrack {
  std::string steps;
  int fromBar = 0;
  int toBar = -1;
};

// A note on the sixteenth grid, counted from the start of its phrase.
struct Note {
  int step = 0;
  int length = 1;
  int pitch = 69;  // MIDI
};

// Notes that loop every `steps` sixteenths (0: no loop, played once).
struct Phrase {
  std::vector<Note> notes;
  int steps = 0;
};

// Pitches from the lowest; the bass takes its root from the first.
struct Chord {
  std::vector<int> pitches;
  int bars = 1;
};

// The section's sound, as opposed to its notes. Levels are linear, cutoffs in Hz.
struct Mix {
  float padLevel = 1.0f;
  float padCutoff = 2000.0f;
  float padSweep = 0.0f;       // how far (0..1) a slow swell opens the pad filter
  float bassLevel = 1.0f;
  float bassCutoff = 400.0f;
  float leadLevel = 1.0f;
  float leadCutoff = 3000.0f;
  float leadDecay = 0.15f;     // seconds for the lead's filter to close: short plucks, long sings
  float reverb = 0.2f;         // send to the room, all voices but the kick
  float delay = 0.0f;          // send of the lead to the dotted-eighth echo
  float sidechain = 0.5f;      // how deep the kick ducks bass and pads
};

struct Section {
  std::string name;
  int bars = 0;
  DrumTrack kick, snare, hat, openHat;
  std::vector<Chord> chords;   // loops; each holds for its bars
  int chordsFromBar = 0;
  // The bass rhythm on the current chord's root, a char per sixteenth, looping:
  // 'x' root, 'o' octave above, '5' fifth, '-' holds the note before, '.' rest.
  std::string bass;
  int bassFromBar = 0;
  Phrase lead;
  int leadFromBar = 0;
  Mix mix;
  bool endsOnDecay = false;    // the last chord rings out instead of being held
};

struct Score {
  int bpm = 120;
  std::vector<Section> sections;
};

// Where a section falls in bars, 25-fps frames and samples.
struct SectionSpan {
  std::string name;
  int firstBar = 0, bars = 0;
  int firstFrame = 0, frames = 0;
  std::int64_t firstSample = 0, samples = 0;
};

// The demo's score.
const Score& Orv();

int SamplesPerBar(const Score& score);
// Where a sixteenth starts, in samples from the start of the piece. At tempos where a
// sixteenth is not a whole number of samples the offbeats round to the nearest one;
// bar starts are always exact.
std::int64_t StepSample(const Score& score, std::int64_t step);
int FramesPerBar(const Score& score);
int TotalBars(const Score& score);

// Throws std::invalid_argument where a bar is not a whole number of frames: the picture
// would drift off the music.
std::vector<SectionSpan> Layout(const Score& score);

// "NAME FIRST_FRAME FRAMES" a line per section, then "total FRAMES".
void WriteSectionTable(std::ostream& out, const Score& score);

// Note names as the score writes them: a letter, '#' or 'b', an octave ("a4" is 69,
// "bb2" is 46). Throws std::invalid_argument naming the token.
int ParsePitch(const std::string& name);
// Space-separated notes with an optional ":LENGTH" in sixteenths ("a4:4"), '.' for a
// rest ("." or ".:8"). `loopSteps` of 0 loops the phrase over its own length.
Phrase ParsePhrase(const std::string& text, int loopSteps = 0);
Chord ParseChord(const std::string& text, int bars);

}  // namespace soundtrack
