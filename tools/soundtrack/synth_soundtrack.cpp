// Writes the demo's soundtrack as 16-bit stereo WAV at 44.1 kHz: a four-chord pad with
// a bass line and a soft kick at 120 beats a minute. The repository keeps this source,
// not the audio; the build encodes the result to data/soundtrack.mp3.
//   synth_soundtrack OUT.wav SECONDS

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kBeat = 0.5;  // seconds

double Note(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

// Roots of the progression (A minor, F, C, G), one chord per two bars.
const int kRoots[] = {-12, -16, -9, -14};

void Put16(std::ofstream& out, int v) {
  out.put(static_cast<char>(v & 0xFF));
  out.put(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::ofstream& out, std::uint32_t v) {
  Put16(out, static_cast<int>(v & 0xFFFF));
  Put16(out, static_cast<int>(v >> 16));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: synth_soundtrack OUT.wav SECONDS\n");
    return 2;
  }
  const double seconds = std::atof(argv[2]);
  if (!(seconds > 0 && seconds <= 3600)) {
    std::fprintf(stderr, "synth_soundtrack: SECONDS must be between 0 and 3600\n");
    return 2;
  }
  const std::uint32_t frames = static_cast<std::uint32_t>(seconds * kRate);
  std::ofstream out(argv[1], std::ios::binary);
  if (!out) {
    std::fprintf(stderr, "synth_soundtrack: cannot write %s\n", argv[1]);
    return 1;
  }
  out.write("RIFF", 4);
  Put32(out, 36 + frames * 4);
  out.write("WAVEfmt ", 8);
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, 2);
  Put32(out, kRate);
  Put32(out, kRate * 4);
  Put16(out, 4);
  Put16(out, 16);
  out.write("data", 4);
  Put32(out, frames * 4);

  for (std::uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const int chord = static_cast<int>(t / (8 * kBeat)) % 4;
    const int root = kRoots[chord];
    const double beatPhase = std::fmod(t, kBeat) / kBeat;

    double pad = 0;
    for (int interval : {0, 3, 7, 12}) {
      const double f = Note(root + 12 + (chord == 0 ? interval : interval + (interval == 3 ? 1 : 0)));
      pad += std::sin(2 * kPi * f * t) + 0.3 * std::sin(2 * kPi * 2 * f * t + 0.5);
    }
    pad *= 0.05 * (0.8 + 0.2 * std::sin(2 * kPi * 0.25 * t));

    const double bass = 0.25 * std::sin(2 * kPi * Note(root) * t) * std::exp(-3.0 * beatPhase);
    const double kickFrequency = 50.0 + 120.0 * std::exp(-25.0 * beatPhase);
    const double kick = 0.35 * std::sin(2 * kPi * kickFrequency * beatPhase * kBeat) * std::exp(-8.0 * beatPhase);

    // Fade in and out so the demo starts and ends without a click.
    const double fade = std::min(1.0, std::min(t / 2.0, (seconds - t) / 2.0));
    const double left = (pad + bass + kick) * fade;
    const double right = (pad * 0.9 + bass + kick) * fade;
    Put16(out, static_cast<int>(std::lround(std::max(-1.0, std::min(1.0, left)) * 32000)));
    Put16(out, static_cast<int>(std::lround(std::max(-1.0, std::min(1.0, right)) * 32000)));
  }
  return out ? 0 : 1;
}
