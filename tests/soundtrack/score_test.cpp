#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "score.h"
#include "synth.h"

namespace soundtrack {
namespace {

// --- The section table the demo's parts are cut to -------------------------------

TEST(ScoreLayout, FiveSectionsInTheDemosOrder) {
  std::vector<std::string> names;
  for (const SectionSpan& span : Layout(Orv())) names.push_back(span.name);
  EXPECT_EQ(names, (std::vector<std::string>{"intro", "points", "city", "stars", "credits"}));
}

TEST(ScoreLayout, SectionsAreWholeBarsOnWholeFrames) {
  const Score& score = Orv();
  ASSERT_EQ(SamplesPerBar(score) % kSamplesPerFrame, 0);
  int nextFrame = 0, nextBar = 0;
  for (const SectionSpan& span : Layout(score)) {
    SCOPED_TRACE(span.name);
    EXPECT_EQ(span.firstFrame, nextFrame);
    EXPECT_EQ(span.firstBar, nextBar);
    EXPECT_EQ(span.firstFrame % FramesPerBar(score), 0);
    EXPECT_EQ(span.frames, span.bars * FramesPerBar(score));
    EXPECT_EQ(span.firstSample, static_cast<std::int64_t>(span.firstFrame) * kSamplesPerFrame);
    EXPECT_EQ(span.samples, static_cast<std::int64_t>(span.frames) * kSamplesPerFrame);
    nextFrame += span.frames;
    nextBar += span.bars;
  }
  EXPECT_EQ(nextBar, TotalBars(score));
}

TEST(ScoreLayout, TotalIsTwoToTwoAndAHalfMinutes) {
  const SectionSpan last = Layout(Orv()).back();
  const double seconds = static_cast<double>(last.firstFrame + last.frames) / kFramesPerSecond;
  EXPECT_GE(seconds, 120.0);
  EXPECT_LE(seconds, 150.0);
}

// A tempo whose bar falls between frames would let the picture drift off the beat.
TEST(ScoreLayout, RefusesTemposOffTheFrameGrid) {
  const std::pair<int, bool> cases[] = {{120, true},  {125, true},  {100, true}, {150, true},
                                        {126, false}, {130, false}, {0, false}};
  for (const auto& [bpm, fits] : cases) {
    Score score = Orv();
    score.bpm = bpm;
    SCOPED_TRACE(bpm);
    if (fits) EXPECT_NO_THROW(Layout(score));
    else EXPECT_THROW(Layout(score), std::invalid_argument);
  }
}

TEST(ScoreLayout, SixteenthsRoundOnlyBetweenBars) {
  Score score = Orv();
  score.bpm = 120;  // a sixteenth of 5512.5 samples
  EXPECT_EQ(StepSample(score, 1), 5513);
  EXPECT_EQ(StepSample(score, 2), 11025);
  EXPECT_EQ(StepSample(score, kStepsPerBar * 37), 37 * 88200);
  // Held notes still end inside their section, on the rounded grid.
  const std::vector<SectionSpan> spans = Layout(score);
  for (const Event& e : Sequence(score)) {
    const SectionSpan& span = spans[static_cast<std::size_t>(e.section)];
    ASSERT_LE(e.start + e.length, span.firstSample + span.samples) << span.name;
  }
}

TEST(ScoreLayout, SectionTableIsContiguousAndTotalled) {
  std::ostringstream out;
  WriteSectionTable(out, Orv());
  std::istringstream in(out.str());
  std::string name;
  int first = 0, frames = 0, end = 0, lines = 0;
  while (in >> name && name != "total") {
    ASSERT_TRUE(in >> first >> frames) << name;
    EXPECT_EQ(first, end) << name;
    EXPECT_EQ(frames % FramesPerBar(Orv()), 0) << name;
    end = first + frames;
    ++lines;
  }
  EXPECT_EQ(lines, 5);
  ASSERT_EQ(name, "total");
  int total = 0;
  ASSERT_TRUE(in >> total);
  EXPECT_EQ(total, end);
  EXPECT_FALSE(in >> name) << "text after the total line";
}

// --- Notes as the score writes them ------------------------------------------------

TEST(ScoreNotation, PitchNames) {
  EXPECT_EQ(ParsePitch("a4"), 69);
  EXPECT_EQ(ParsePitch("c4"), 60);
  EXPECT_EQ(ParsePitch("b3"), 59);
  EXPECT_EQ(ParsePitch("bb2"), 46);
  EXPECT_EQ(ParsePitch("f#3"), 54);
  EXPECT_EQ(ParsePitch("C5"), 72);
  for (const char* bad : {"", "h4", "a", "a#", "a10", "4a", "a4b"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(ParsePitch(bad), std::invalid_argument);
  }
}

TEST(ScoreNotation, PhraseStepsRestsAndLoop) {
  const Phrase p = ParsePhrase("a4:4 .:2 c5 e5:3");
  ASSERT_EQ(p.notes.size(), 3u);
  EXPECT_EQ(p.notes[0].step, 0);
  EXPECT_EQ(p.notes[0].length, 4);
  EXPECT_EQ(p.notes[1].step, 6);
  EXPECT_EQ(p.notes[1].pitch, 72);
  EXPECT_EQ(p.notes[2].step, 7);
  EXPECT_EQ(p.steps, 10);
  EXPECT_EQ(ParsePhrase("a4", 16).steps, 16);
  for (const char* bad : {"a4:0", "a4:", "a4:x", "a4:2x"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(ParsePhrase(bad), std::invalid_argument);
  }
}

// --- The arrangement ------------------------------------------------------------

// What plays in one bar: voice and offset of each note that starts there.
std::set<std::pair<int, int>> BarContents(const Score& score, const std::vector<Event>& events, int bar) {
  std::set<std::pair<int, int>> contents;
  const std::int64_t begin = static_cast<std::int64_t>(bar) * SamplesPerBar(score);
  for (const Event& e : events)
    if (e.start >= begin && e.start < begin + SamplesPerBar(score))
      contents.insert({static_cast<int>(e.voice), static_cast<int>(e.start - begin)});
  return contents;
}

TEST(ScoreArrangement, NotesStayInsideTheirSectionAndOpenItOnTheDownbeat) {
  const Score& score = Orv();
  const std::vector<SectionSpan> spans = Layout(score);
  const std::vector<Event> events = Sequence(score);
  for (std::size_t i = 0; i < spans.size(); ++i) {
    SCOPED_TRACE(spans[i].name);
    bool downbeat = false;
    for (const Event& e : events) {
      if (e.section != static_cast<int>(i)) continue;
      EXPECT_GE(e.start, spans[i].firstSample);
      EXPECT_LE(e.start + e.length, spans[i].firstSample + spans[i].samples);
      const std::int64_t step = (e.start * kStepsPerBar + SamplesPerBar(score) / 2) / SamplesPerBar(score);
      EXPECT_EQ(e.start, StepSample(score, step)) << "off the sixteenth grid";
      downbeat = downbeat || e.start == spans[i].firstSample;
    }
    EXPECT_TRUE(downbeat);
  }
}

TEST(ScoreArrangement, ChangesAtEverySwitch) {
  const Score& score = Orv();
  const std::vector<Event> events = Sequence(score);
  const std::vector<SectionSpan> spans = Layout(score);
  for (std::size_t i = 1; i < spans.size(); ++i) {
    SCOPED_TRACE(spans[i].name);
    EXPECT_NE(BarContents(score, events, spans[i].firstBar - 1), BarContents(score, events, spans[i].firstBar));
  }
}

TEST(ScoreArrangement, SectionsKeepTheirCharacter) {
  const Score& score = Orv();
  const std::vector<SectionSpan> spans = Layout(score);
  const auto count = [&](int section, Voice voice, int fromBar, int toBar) {
    int n = 0;
    const std::int64_t bar = SamplesPerBar(score), origin = spans[static_cast<std::size_t>(section)].firstSample;
    for (const Event& e : Sequence(score))
      n += e.section == section && e.voice == voice && e.start >= origin + fromBar * bar &&
           e.start < origin + toBar * bar;
    return n;
  };
  const int intro = 0, points = 1, city = 2, stars = 3, credits = 4;
  EXPECT_EQ(count(intro, Voice::Bass, 0, spans[intro].bars / 2), 0) << "the bass comes in late";
  EXPECT_GT(count(intro, Voice::Bass, 0, spans[intro].bars), 0);
  EXPECT_EQ(count(points, Voice::Kick, 0, 4), 16) << "four to the floor";
  EXPECT_GT(count(points, Voice::Lead, 0, spans[points].bars), 0);
  EXPECT_EQ(count(city, Voice::Snare, 0, 4), 4) << "half time: one snare a bar";
  EXPECT_EQ(count(stars, Voice::Kick, 0, spans[stars].bars), 0);
  EXPECT_GT(count(stars, Voice::Pad, 0, spans[stars].bars), 0);
  for (Voice v : {Voice::Kick, Voice::Snare, Voice::Bass, Voice::Pad, Voice::Lead})
    EXPECT_GT(count(credits, v, 0, spans[credits].bars), 0) << "everything back for the credits";
  const auto lastChord = [&] {
    for (const Event& e : Sequence(score))
      if (e.section == credits && e.voice == Voice::Pad && e.ringOut) return true;
    return false;
  };
  EXPECT_TRUE(lastChord()) << "the piece ends on a chord that rings out";
}

// --- The sound -------------------------------------------------------------------

// The engine's view of the music: a 1024-point Hann-windowed FFT, summed over a range
// of bins (43 Hz each), starting at sample `at`.
double BandEnergy(const std::vector<float>& x, std::size_t at, int firstBin, int lastBin) {
  constexpr int kN = 1024;
  static std::vector<std::complex<double>> twiddle;
  static std::vector<double> window;
  if (twiddle.empty())
    for (int n = 0; n < kN; ++n) {
      twiddle.push_back(std::polar(1.0, -2.0 * M_PI * n / kN));
      window.push_back(0.5 - 0.5 * std::cos(2.0 * M_PI * n / kN));
    }
  double energy = 0;
  for (int k = firstBin; k <= lastBin; ++k) {
    std::complex<double> sum = 0;
    for (int n = 0; n < kN; ++n) sum += x[at + static_cast<std::size_t>(n)] * window[n] * twiddle[(k * n) % kN];
    energy += std::norm(sum);
  }
  return energy;
}

std::vector<float> Mono(const Stereo& audio) {
  std::vector<float> mono(audio.left.size());
  for (std::size_t n = 0; n < mono.size(); ++n) mono[n] = 0.5f * (audio.left[n] + audio.right[n]);
  return mono;
}

const SectionSpan& Span(const std::string& name) {
  static const std::vector<SectionSpan> spans = Layout(Orv());
  return *std::find_if(spans.begin(), spans.end(), [&](const SectionSpan& s) { return s.name == name; });
}

// The sample a beat of a rendered range starts on, counted from the range's start.
std::size_t Beat(int beat) { return static_cast<std::size_t>(beat) * SamplesPerBar(Orv()) / kBeatsPerBar; }

// Only this one renders the whole piece (a second or two optimised): the drum checks
// render just their sections.
TEST(RenderedPiece, FillsTheTablePeaksWithHeadroomAndRingsOut) {
  Stereo audio = Render(Orv(), 0, TotalBars(Orv()));
  Master(audio);
  const SectionSpan last = Layout(Orv()).back();
  ASSERT_EQ(audio.left.size(), static_cast<std::size_t>(last.firstFrame + last.frames) * kSamplesPerFrame);
  ASSERT_EQ(audio.right.size(), audio.left.size());

  float peak = 0;
  for (const std::vector<float>* side : {&audio.left, &audio.right})
    for (float x : *side) {
      ASSERT_TRUE(std::isfinite(x));
      peak = std::max(peak, std::fabs(x));
    }
  EXPECT_NEAR(peak, kMasterPeak, 1e-4);
  const std::vector<std::int16_t> pcm = ToPcm16(audio);
  const auto [low, high] = std::minmax_element(pcm.begin(), pcm.end());
  EXPECT_GT(*low, -32767);
  EXPECT_LT(*high, 32767);

  const std::vector<float> mono = Mono(audio);
  double tail = 0;
  for (std::size_t n = mono.size() - kSampleRate / 10; n < mono.size(); ++n) tail += mono[n] * mono[n];
  EXPECT_LT(10 * std::log10(tail / (kSampleRate / 10) + 1e-30), -60.0) << "the final chord still sounds";
  EXPECT_EQ(pcm.back(), 0);
}

// The kick must show in the lowest bins on every beat, not between beats: a kick that
// went quiet, or a sequencer out of step with the score's tempo, fails here.
TEST(RenderedDrums, KickPulsesTheLowBinsOnTheBeat) {
  for (const char* name : {"points", "credits"}) {
    const SectionSpan& s = Span(name);
    const int bars = s.bars - 2;  // the credits' last bars are the final chord
    const std::vector<float> mono = Mono(Render(Orv(), s.firstBar, bars));
    int onBeat = 0;
    for (int b = 0; b < bars * kBeatsPerBar; ++b) {
      const std::size_t between = Beat(b) + Beat(1) / 2;
      if (BandEnergy(mono, Beat(b), 1, 3) > 3.0 * BandEnergy(mono, between, 1, 3)) ++onBeat;
    }
    EXPECT_EQ(onBeat, bars * kBeatsPerBar) << name;
  }
}

TEST(RenderedDrums, SnarePulsesTheMidBinsOnTwoAndFour) {
  const SectionSpan& s = Span("points");
  const std::vector<float> mono = Mono(Render(Orv(), s.firstBar, s.bars));
  int backbeats = 0;
  for (int bar = 0; bar < s.bars; ++bar) {
    const double one = BandEnergy(mono, Beat(bar * 4), 40, 120);
    const double two = BandEnergy(mono, Beat(bar * 4 + 1), 40, 120);
    const double four = BandEnergy(mono, Beat(bar * 4 + 3), 40, 120);
    if (two > 2.0 * one && four > 2.0 * one) ++backbeats;
  }
  EXPECT_EQ(backbeats, s.bars);
}

TEST(Render, SameBarsSameSamples) {
  const Stereo a = Render(Orv(), 9, 1), b = Render(Orv(), 9, 1);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
}

TEST(Render, WavHeaderCountsTheData) {
  Stereo audio;
  audio.left = {0.5f, -0.5f, 0.0f};
  audio.right = {1.5f, -1.5f, 0.25f};
  std::ostringstream out;
  WriteWav(out, audio);
  const std::string wav = out.str();
  ASSERT_EQ(wav.size(), 44u + 3 * 4);
  const auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(wav[at + static_cast<std::size_t>(i)]);
    return v;
  };
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(u32(4), wav.size() - 8);
  EXPECT_EQ(u32(24), static_cast<std::uint32_t>(kSampleRate));
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(u32(40), 12u);
  const std::vector<std::int16_t> pcm = ToPcm16(audio);
  EXPECT_EQ(pcm, (std::vector<std::int16_t>{16384, 32767, -16384, -32767, 0, 8192}));
}

}  // namespace
}  // namespace soundtrack
