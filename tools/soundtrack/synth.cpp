#include "synth.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "voices.h"

namespace soundtrack {

namespace {

// The chord that sounds in a bar of a section, with the bar it started on; null before
// the section's chords come in.
const Chord* ChordAt(const Section& s, int bar, int* startBar = nullptr) {
  if (s.chords.empty() || bar < s.chordsFromBar) return nullptr;
  int cycle = 0;
  for (const Chord& c : s.chords) cycle += c.bars;
  const int into = (bar - s.chordsFromBar) % cycle;
  int at = 0;
  for (const Chord& c : s.chords) {
    if (into < at + c.bars) {
      if (startBar) *startBar = bar - (into - at);
      return &c;
    }
    at += c.bars;
  }
  return nullptr;
}

// The closing chord is the last one of a section that ends on it; everything that
// starts under it rings out with it.
bool UnderFinalChord(const Section& s, int bar) {
  if (!s.endsOnDecay) return false;
  int start = 0;
  const Chord* c = ChordAt(s, bar, &start);
  return c && start + c->bars >= s.bars;
}

// The bass plays the chord's root in its lowest octave (A1 to G#2): under the kick's
// body but still in the FFT's second and third bins.
int BassRoot(const Section& s, int bar) {
  const Chord* c = ChordAt(s, bar);
  const int pitchClass = c ? c->pitches.front() % 12 : 9;
  return 33 + (pitchClass - 9 + 12) % 12;
}

bool Playing(const DrumTrack& t, int bar) {
  return !t.steps.empty() && bar >= t.fromBar && (t.toBar < 0 || bar < t.toBar);
}

void SequenceSection(const Score& score, int index, int firstBar, std::vector<Event>& out) {
  const Section& s = score.sections[static_cast<std::size_t>(index)];
  const int steps = s.bars * kStepsPerBar;
  const std::int64_t firstStep = static_cast<std::int64_t>(firstBar) * kStepsPerBar;
  const auto at = [&](int step) { return StepSample(score, firstStep + step); };
  // Held notes end where their last sixteenth does, on the same rounded grid.
  const auto span = [&](int step, int length) { return static_cast<int>(at(step + length) - at(step)); };

  const std::pair<const DrumTrack*, Voice> drums[] = {
      {&s.kick, Voice::Kick}, {&s.snare, Voice::Snare}, {&s.hat, Voice::Hat}, {&s.openHat, Voice::OpenHat}};
  for (const auto& [track, voice] : drums) {
    for (int step = 0; step < steps; ++step) {
      if (!Playing(*track, step / kStepsPerBar)) continue;
      const char c = track->steps[static_cast<std::size_t>(step) % track->steps.size()];
      if (c >= '1' && c <= '9') out.push_back({voice, index, at(step), 0, 0, (c - '0') / 9.0f, false});
    }
  }

  for (int bar = 0; bar < s.bars; ++bar) {
    int start = 0;
    const Chord* c = ChordAt(s, bar, &start);
    if (!c || start != bar) continue;
    const int bars = std::min(c->bars, s.bars - bar);
    for (int pitch : c->pitches)
      out.push_back({Voice::Pad, index, at(bar * kStepsPerBar), span(bar * kStepsPerBar, bars * kStepsPerBar),
                     pitch, 1.0f, UnderFinalChord(s, bar)});
  }

  if (!s.bass.empty()) {
    const auto code = [&](int step) { return s.bass[static_cast<std::size_t>(step) % s.bass.size()]; };
    for (int step = s.bassFromBar * kStepsPerBar; step < steps; ++step) {
      const char c = code(step);
      if (c != 'x' && c != 'o' && c != '5') continue;
      int length = 1;
      while (step + length < steps && code(step + length) == '-') ++length;
      const int bar = step / kStepsPerBar;
      const int pitch = BassRoot(s, bar) + (c == 'o' ? 12 : c == '5' ? 7 : 0);
      out.push_back({Voice::Bass, index, at(step), span(step, length), pitch, 1.0f, UnderFinalChord(s, bar)});
    }
  }

  if (!s.lead.notes.empty() && s.lead.steps > 0) {
    for (int loop = s.leadFromBar * kStepsPerBar; loop < steps; loop += s.lead.steps) {
      for (const Note& n : s.lead.notes) {
        const int step = loop + n.step;
        if (step >= steps) break;
        const int length = std::min(n.length, steps - step);
        out.push_back({Voice::Lead, index, at(step), span(step, length), n.pitch, 1.0f,
                       UnderFinalChord(s, step / kStepsPerBar)});
      }
    }
  }
}

// A sparse stereo room: parallel damped combs into allpasses, the left and right lines
// a few samples apart so the tail spreads.
class Room {
 public:
  Room() {
    const int combs[] = {1116, 1188, 1277, 1356};
    const int allpasses[] = {556, 441};
    for (int side = 0; side < 2; ++side) {
      for (int length : combs) comb_[side].push_back({std::vector<float>(length + 23 * side), 0, 0.0f});
      for (int length : allpasses) allpass_[side].push_back({std::vector<float>(length + 23 * side), 0, 0.0f});
    }
  }
  void Run(float in, float& left, float& right) {
    for (int side = 0; side < 2; ++side) {
      float sum = 0;
      for (Line& c : comb_[side]) {
        const float y = c.buffer[c.pos];
        c.state = y * 0.7f + c.state * 0.3f;  // damping: highs die first, like a real room
        c.buffer[c.pos] = in + c.state * 0.84f;
        c.pos = (c.pos + 1) % c.buffer.size();
        sum += y;
      }
      for (Line& a : allpass_[side]) {
        const float y = a.buffer[a.pos];
        a.buffer[a.pos] = sum + y * 0.5f;
        a.pos = (a.pos + 1) % a.buffer.size();
        sum = y - sum;
      }
      (side == 0 ? left : right) = sum * 0.12f;
    }
  }

 private:
  struct Line {
    std::vector<float> buffer;
    std::size_t pos;
    float state;
  };
  std::vector<Line> comb_[2], allpass_[2];
};

float Gain(Voice v) {
  switch (v) {
    case Voice::Kick: return 0.65f;
    case Voice::Snare: return 0.75f;
    case Voice::Hat: return 0.8f;
    case Voice::OpenHat: return 0.55f;
    case Voice::Bass: return 0.45f;
    case Voice::Pad: return 0.11f;
    case Voice::Lead: return 0.2f;
  }
  return 0.0f;
}

}  // namespace

std::vector<Event> Sequence(const Score& score) {
  std::vector<Event> events;
  const std::vector<SectionSpan> spans = Layout(score);
  for (std::size_t i = 0; i < spans.size(); ++i) SequenceSection(score, static_cast<int>(i), spans[i].firstBar, events);
  return events;
}

Stereo Render(const Score& score, int firstBar, int bars) {
  const std::int64_t begin = static_cast<std::int64_t>(firstBar) * SamplesPerBar(score);
  const std::size_t length = static_cast<std::size_t>(bars) * static_cast<std::size_t>(SamplesPerBar(score));
  std::vector<float> dryL(length), dryR(length), duckedL(length), duckedR(length);
  std::vector<float> duck(length, 1.0f), roomSend(length), echoSend(length);

  for (const Event& e : Sequence(score)) {
    if (e.start < begin || e.start >= begin + static_cast<std::int64_t>(length)) continue;
    const Mix& mix = score.sections[static_cast<std::size_t>(e.section)].mix;
    Tone tone;
    tone.ringOut = e.ringOut;
    Mono note;
    float gain = Gain(e.voice) * e.velocity, pan = 0.0f, room = mix.reverb, echo = 0.0f;
    bool ducked = false;
    const auto seed = static_cast<std::uint32_t>(e.start);
    switch (e.voice) {
      case Voice::Kick: note = Kick(e.velocity); room = 0.0f; break;
      case Voice::Snare: note = Snare(e.velocity, seed); break;
      case Voice::Hat: note = Hat(e.velocity, false, seed); pan = 0.25f; break;
      case Voice::OpenHat: note = Hat(e.velocity, true, seed); pan = -0.2f; break;
      case Voice::Bass:
        tone.cutoff = mix.bassCutoff;
        tone.decay = 0.12f;
        note = Bass(PitchToHz(e.pitch), e.length, tone);
        gain *= mix.bassLevel;
        room = 0.0f;
        ducked = true;
        break;
      case Voice::Pad:
        tone.cutoff = mix.padCutoff;
        tone.sweep = mix.padSweep;
        note = Pad(PitchToHz(e.pitch), e.length, tone, seed + static_cast<std::uint32_t>(e.pitch));
        gain *= mix.padLevel;
        // Spread a chord's notes across the field by pitch, the same wherever a render starts.
        pan = static_cast<float>((e.pitch * 7) % 5 - 2) * 0.15f;
        ducked = true;
        break;
      case Voice::Lead:
        tone.cutoff = mix.leadCutoff;
        tone.decay = mix.leadDecay;
        note = Lead(PitchToHz(e.pitch), e.length, tone);
        gain *= mix.leadLevel;
        pan = 0.1f;
        echo = mix.delay;
        break;
    }
    const std::size_t offset = static_cast<std::size_t>(e.start - begin);
    const std::size_t count = std::min(note.size(), length - offset);
    std::vector<float>& outL = ducked ? duckedL : dryL;
    std::vector<float>& outR = ducked ? duckedR : dryR;
    const float gainL = gain * (1.0f - pan), gainR = gain * (1.0f + pan);
    for (std::size_t n = 0; n < count; ++n) {
      outL[offset + n] += note[n] * gainL;
      outR[offset + n] += note[n] * gainR;
      roomSend[offset + n] += note[n] * gain * room;
      echoSend[offset + n] += note[n] * gain * echo;
    }
    if (e.voice == Voice::Kick && mix.sidechain > 0) {
      // Pumping: the bass and pads dip under each kick and swell back before the next.
      const std::size_t span = std::min(length - offset, static_cast<std::size_t>(0.3 * kSampleRate));
      for (std::size_t n = 0; n < span; ++n) {
        const double t = static_cast<double>(n) / kSampleRate;
        const double shape = std::min(1.0, t / 0.003) * std::exp(-t / 0.09);
        duck[offset + n] = std::min(duck[offset + n], static_cast<float>(1.0 - mix.sidechain * e.velocity * shape));
      }
    }
  }

  Stereo out;
  out.left.resize(length);
  out.right.resize(length);
  // Ping-pong echo, a dotted eighth: it lands between the arpeggio's notes, not on them.
  const std::size_t echoSamples = static_cast<std::size_t>(StepSample(score, 3));
  std::vector<float> echoL(echoSamples), echoR(echoSamples);
  float echoTone = 0.0f, roomHigh = 0.0f, roomIn = 0.0f;
  Room roomVerb;
  for (std::size_t n = 0; n < length; ++n) {
    const std::size_t at = n % echoSamples;
    const float fromL = echoL[at], fromR = echoR[at];
    echoTone += 0.35f * ((echoSend[n] + fromR * 0.42f) - echoTone);  // each repeat a little darker
    echoL[at] = echoTone;
    echoR[at] = fromL;
    // The room hears no lows: a reverberant bass only muddies the kick.
    roomIn += 0.03f * (roomSend[n] + 0.3f * (fromL + fromR) - roomIn);
    roomHigh = roomSend[n] + 0.3f * (fromL + fromR) - roomIn;
    float wetL = 0, wetR = 0;
    roomVerb.Run(roomHigh, wetL, wetR);
    out.left[n] = dryL[n] + duckedL[n] * duck[n] + fromL + wetL;
    out.right[n] = dryR[n] + duckedR[n] * duck[n] + fromR + wetR;
  }
  return out;
}

void Master(Stereo& audio) {
  const std::size_t length = audio.left.size();
  const std::size_t fadeIn = std::min(length, static_cast<std::size_t>(0.005 * kSampleRate));
  const std::size_t fadeOut = std::min(length, static_cast<std::size_t>(0.5 * kSampleRate));
  float peak = 0;
  for (std::size_t n = 0; n < length; ++n) {
    float g = 1.0f;
    if (n < fadeIn) g = static_cast<float>(n) / fadeIn;
    if (length - n <= fadeOut) g *= static_cast<float>(length - n - 1) / fadeOut;
    audio.left[n] *= g;
    audio.right[n] *= g;
    peak = std::max({peak, std::fabs(audio.left[n]), std::fabs(audio.right[n])});
  }
  if (peak <= 0) return;
  const float scale = kMasterPeak / peak;
  for (std::size_t n = 0; n < length; ++n) {
    audio.left[n] *= scale;
    audio.right[n] *= scale;
  }
}

std::vector<std::int16_t> ToPcm16(const Stereo& audio) {
  std::vector<std::int16_t> out;
  out.reserve(audio.left.size() * 2);
  const auto convert = [](float x) {
    return static_cast<std::int16_t>(std::lround(std::clamp(x, -1.0f, 1.0f) * 32767.0f));
  };
  for (std::size_t n = 0; n < audio.left.size(); ++n) {
    out.push_back(convert(audio.left[n]));
    out.push_back(convert(audio.right[n]));
  }
  return out;
}

void WriteWav(std::ostream& out, const Stereo& audio) {
  const std::vector<std::int16_t> pcm = ToPcm16(audio);
  const auto put16 = [&](unsigned v) {
    out.put(static_cast<char>(v & 0xFF));
    out.put(static_cast<char>((v >> 8) & 0xFF));
  };
  const auto put32 = [&](std::uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  const auto bytes = static_cast<std::uint32_t>(pcm.size() * 2);
  out.write("RIFF", 4);
  put32(36 + bytes);
  out.write("WAVEfmt ", 8);
  put32(16);
  put16(1);  // PCM
  put16(2);
  put32(kSampleRate);
  put32(kSampleRate * 4);
  put16(4);
  put16(16);
  out.write("data", 4);
  put32(bytes);
  for (std::int16_t s : pcm) put16(static_cast<std::uint16_t>(s));
}

}  // namespace soundtrack
