#include "score.h"

#include <cctype>
#include <ostream>
#include <sstream>
#include <stdexcept>

namespace soundtrack {

namespace {

std::string Repeat(const std::string& s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

std::string Rest(int steps) { return std::string(static_cast<std::size_t>(steps), '.'); }

std::vector<Chord> Chords(std::initializer_list<const char*> names, int bars) {
  std::vector<Chord> out;
  for (const char* name : names) out.push_back(ParseChord(name, bars));
  return out;
}

// A minor throughout; the night city moves to D minor's darker colours and the stars
// hang on a suspended E that pulls back home to A for the credits.
const char* const kAm9 = "a3 c4 e4 g4 b4";
const char* const kFmaj9 = "f3 a3 c4 e4 g4";
const char* const kC = "c4 e4 g4 d5";
const char* const kG6 = "g3 b3 d4 e4";
const char* const kAm7 = "a3 c4 e4 g4";
const char* const kFmaj7 = "f3 a3 c4 e4";

// Sixteenths over Am F C G: a bar each, rising at the end to throw into the next loop.
const char* const kArp =
    "a4 c5 e5 a5 e5 c5 a4 c5 e5 a5 e5 c5 a4 c5 e5 c5 "
    "f4 a4 c5 f5 c5 a4 f4 a4 c5 f5 c5 a4 f4 a4 c5 a4 "
    "g4 c5 e5 g5 e5 c5 g4 c5 e5 g5 e5 c5 g4 c5 e5 c5 "
    "g4 b4 d5 g5 d5 b4 g4 b4 d5 g5 d5 b4 d5 g5 b5 d6";

// The tune the credits roll to, in its two four-bar halves.
const char* const kTuneA =
    "a4:3 c5:3 e5:2 a5:4 g5:2 e5:2 "
    "f5:6 e5:2 c5:4 a4:4 "
    "g4:3 c5:3 e5:2 g5:4 e5:2 c5:2 "
    "d5:6 b4:2 g4:4 b4:4 ";
const char* const kTuneB =
    "a4:3 c5:3 e5:2 a5:4 b5:2 c6:2 "
    "a5:6 g5:2 f5:4 e5:2 f5:2 "
    "e5:4 g5:4 c6:4 b5:2 g5:2 "
    "d5:8 b4:4 d5:4 ";

Section Intro() {
  Section s;
  s.name = "intro";
  s.bars = 8;
  s.kick = {"8...8...8...8...", 0, -1};
  s.hat = {"..6...6...6...6.", 2, -1};
  s.chords = Chords({kAm9, kFmaj9, kC, kG6}, 2);
  s.bass = "x-----x---x-o-..";
  s.bassFromBar = 6;
  s.mix.padLevel = 0.9f;
  s.mix.padCutoff = 1400.0f;
  s.mix.padSweep = 0.3f;
  s.mix.reverb = 0.35f;
  s.mix.sidechain = 0.3f;
  return s;
}

Section Points() {
  Section s;
  s.name = "points";
  s.bars = 20;
  s.kick = {"9...9...9...9...", 0, -1};
  s.snare = {Repeat("....9.......9...", 3) + "....9.....5.9579", 0, -1};
  s.hat = {"43.343.343.343.3", 0, -1};
  s.openHat = {"..6...6...6...6.", 0, -1};
  s.chords = Chords({kAm7, kFmaj7, kC, kG6}, 1);
  s.bass = "..x-..x-..x-.xo-..x-..x-..5-.xo-";
  s.lead = ParsePhrase(kArp);
  s.leadFromBar = 4;
  s.mix.padLevel = 0.65f;
  s.mix.padCutoff = 3000.0f;
  s.mix.bassCutoff = 500.0f;
  s.mix.leadLevel = 0.8f;
  s.mix.leadCutoff = 3200.0f;
  s.mix.leadDecay = 0.12f;
  s.mix.delay = 0.3f;
  s.mix.reverb = 0.15f;
  s.mix.sidechain = 0.6f;
  return s;
}

Section City() {
  Section s;
  s.name = "city";
  s.bars = 16;
  // Half time: the snare on three makes the bar feel twice as long at the same tempo.
  s.kick = {"9.........7...4.", 0, -1};
  s.snare = {"........9.......", 0, -1};
  s.hat = {"6.3.6.3.6.3.6.3.", 0, -1};
  s.chords = Chords({"d3 f3 a3 c4 e4", "bb2 d3 f3 a3", "g2 bb2 d3 f3 a3", "a2 d3 e3 g3"}, 2);
  s.bass = "x-----------..x-x-------....5-o-";
  s.mix.padLevel = 0.9f;
  s.mix.padCutoff = 800.0f;
  s.mix.padSweep = 0.2f;
  s.mix.bassLevel = 1.1f;
  s.mix.bassCutoff = 300.0f;
  s.mix.reverb = 0.3f;
  s.mix.sidechain = 0.4f;
  return s;
}

Section Stars() {
  Section s;
  s.name = "stars";
  s.bars = 12;
  s.hat = {"..4...4...4...4.", 8, -1};
  // A roll that swells into the credits' first downbeat.
  s.snare = {"2...2...3.3.3.3.4444555566667789", 10, -1};
  s.chords = Chords({kFmaj9, "e3 g3 b3 d4", "d3 f3 a3 c4 e4", "e3 a3 b3 d4"}, 3);
  s.bass = "x---------------";
  s.bassFromBar = 8;
  s.lead = ParsePhrase("c6:12 b5:4 .:16 a5:16 .:8 g5:4 e5:4");
  s.leadFromBar = 2;
  s.mix.padLevel = 1.1f;
  s.mix.padCutoff = 1100.0f;
  s.mix.padSweep = 0.7f;
  s.mix.bassCutoff = 250.0f;
  s.mix.leadLevel = 0.7f;
  s.mix.leadCutoff = 2400.0f;
  s.mix.leadDecay = 0.6f;
  s.mix.reverb = 0.5f;
  s.mix.delay = 0.45f;
  s.mix.sidechain = 0.0f;
  return s;
}

Section Credits() {
  Section s;
  s.name = "credits";
  s.bars = 16;
  // Fourteen bars of groove, then one hit on the last chord's downbeat.
  const std::string finalHit = "9" + Rest(31);
  s.kick = {Repeat("9...9...9...9...", 14) + finalHit, 0, -1};
  s.snare = {Repeat("....9.......9...", 3) + "....9.....5.9579", 0, 14};
  s.hat = {"43.343.343.343.3", 0, 14};
  s.openHat = {Repeat("..6...6...6...6.", 14) + finalHit, 0, -1};
  s.chords = Chords({kAm7, kFmaj7, kC, kG6, kAm7, kFmaj7, kC, kG6, kAm7, kFmaj7, kC, kG6, kFmaj7, kG6}, 1);
  s.chords.push_back(ParseChord(kAm9, 2));
  s.bass = Repeat("..x-..x-..x-.xo-..x-..x-..5-.xo-", 7) + "x" + std::string(31, '-');
  s.lead = ParsePhrase(std::string(kTuneA) + kTuneB + kTuneA + "f5:6 e5:2 c5:4 a4:4 d5:8 b4:4 d5:4 e5:32");
  s.mix.padLevel = 0.8f;
  s.mix.padCutoff = 2600.0f;
  s.mix.bassCutoff = 450.0f;
  s.mix.leadLevel = 0.9f;
  s.mix.leadCutoff = 3000.0f;
  s.mix.leadDecay = 0.5f;
  s.mix.delay = 0.25f;
  s.mix.reverb = 0.3f;
  s.mix.sidechain = 0.55f;
  s.endsOnDecay = true;
  return s;
}

Score MakeOrv() {
  Score score;
  // 125 beats a minute: a bar is 48 frames, and a sixteenth a whole 5292 samples.
  score.bpm = 125;
  score.sections = {Intro(), Points(), City(), Stars(), Credits()};
  Layout(score);
  return score;
}

}  // namespace

const Score& Orv() {
  static const Score score = MakeOrv();
  return score;
}

int SamplesPerBar(const Score& score) { return kSampleRate * 60 * kBeatsPerBar / score.bpm; }

std::int64_t StepSample(const Score& score, std::int64_t step) {
  return (step * SamplesPerBar(score) * 2 + kStepsPerBar) / (kStepsPerBar * 2);
}
int FramesPerBar(const Score& score) { return SamplesPerBar(score) / kSamplesPerFrame; }

int TotalBars(const Score& score) {
  int bars = 0;
  for (const Section& s : score.sections) bars += s.bars;
  return bars;
}

std::vector<SectionSpan> Layout(const Score& score) {
  if (score.bpm <= 0 || (kFramesPerSecond * 60 * kBeatsPerBar) % score.bpm != 0)
    throw std::invalid_argument("score: at " + std::to_string(score.bpm) +
                                " BPM a bar is not a whole number of frames");
  std::vector<SectionSpan> spans;
  int bar = 0;
  for (const Section& s : score.sections) {
    if (s.bars <= 0) throw std::invalid_argument("score: section " + s.name + " has no bars");
    SectionSpan span;
    span.name = s.name;
    span.firstBar = bar;
    span.bars = s.bars;
    span.firstFrame = bar * FramesPerBar(score);
    span.frames = s.bars * FramesPerBar(score);
    span.firstSample = static_cast<std::int64_t>(bar) * SamplesPerBar(score);
    span.samples = static_cast<std::int64_t>(s.bars) * SamplesPerBar(score);
    spans.push_back(span);
    bar += s.bars;
  }
  return spans;
}

void WriteSectionTable(std::ostream& out, const Score& score) {
  int total = 0;
  for (const SectionSpan& span : Layout(score)) {
    out << span.name << ' ' << span.firstFrame << ' ' << span.frames << '\n';
    total = span.firstFrame + span.frames;
  }
  out << "total " << total << '\n';
}

int ParsePitch(const std::string& name) {
  static const int kLetter[] = {9, 11, 0, 2, 4, 5, 7};  // a..g above C
  const auto fail = [&]() -> int { throw std::invalid_argument("score: bad note \"" + name + "\""); };
  if (name.empty()) return fail();
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
  if (letter < 'a' || letter > 'g') return fail();
  int pitch = kLetter[letter - 'a'];
  std::size_t i = 1;
  if (i < name.size() && name[i] == '#') ++pitch, ++i;
  else if (i < name.size() && name[i] == 'b') --pitch, ++i;
  if (i + 1 != name.size() || !std::isdigit(static_cast<unsigned char>(name[i]))) return fail();
  return pitch + 12 * (name[i] - '0' + 1);
}

Phrase ParsePhrase(const std::string& text, int loopSteps) {
  Phrase phrase;
  std::istringstream in(text);
  std::string token;
  int step = 0;
  while (in >> token) {
    const std::size_t colon = token.find(':');
    int length = 1;
    if (colon != std::string::npos) {
      const std::string digits = token.substr(colon + 1);
      if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos ||
          std::stoi(digits) == 0)
        throw std::invalid_argument("score: bad length in \"" + token + "\"");
      length = std::stoi(digits);
    }
    const std::string name = token.substr(0, colon);
    if (name != ".") phrase.notes.push_back({step, length, ParsePitch(name)});
    step += length;
  }
  phrase.steps = loopSteps > 0 ? loopSteps : step;
  return phrase;
}

Chord ParseChord(const std::string& text, int bars) {
  Chord chord;
  chord.bars = bars;
  for (const Note& n : ParsePhrase(text).notes) chord.pitches.push_back(n.pitch);
  if (chord.pitches.empty()) throw std::invalid_argument("score: empty chord");
  return chord;
}

}  // namespace soundtrack
