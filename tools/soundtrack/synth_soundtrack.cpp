// Writes the demo's soundtrack, rendered from its score, as 16-bit stereo WAV at 44.1 kHz,
// and optionally the section table the demo's parts are timed by. The repository keeps
// this source, not the audio; the build encodes the result to data/soundtrack.mp3.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "score.h"
#include "synth.h"

namespace {

const char kUsage[] = "usage: synth_soundtrack OUT.wav [--sections OUT.txt] [--bars FIRST COUNT]\n";

int Usage(std::FILE* to, int code) {
  std::fputs(kUsage, to);
  if (to == stdout)
    std::fputs("Renders the demo's music from its score to OUT.wav (16-bit stereo, 44.1 kHz).\n"
               "--sections writes a line per section, \"NAME FIRST_FRAME FRAMES\" at 25 frames a\n"
               "second, then \"total FRAMES\".\n"
               "--bars renders COUNT bars from bar FIRST (counting from 0) only: a few bars of\n"
               "music for a demo of your own.\n",
               to);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  std::string wavPath, sectionsPath;
  int firstBar = 0, barCount = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Usage(stdout, 0);
    if (arg == "--sections") {
      if (i + 1 >= argc || !sectionsPath.empty()) {
        std::fprintf(stderr, "synth_soundtrack: --sections takes one file name\n");
        return Usage(stderr, 2);
      }
      sectionsPath = argv[++i];
    } else if (arg == "--bars") {
      char* end1 = nullptr;
      char* end2 = nullptr;
      const long first = i + 2 < argc ? std::strtol(argv[i + 1], &end1, 10) : -1;
      const long count = i + 2 < argc ? std::strtol(argv[i + 2], &end2, 10) : -1;
      if (first < 0 || count < 1 || !end1 || *end1 || !end2 || *end2) {
        std::fprintf(stderr, "synth_soundtrack: --bars takes the first bar (0 or more) and a count (1 or more)\n");
        return Usage(stderr, 2);
      }
      firstBar = static_cast<int>(first);
      barCount = static_cast<int>(count);
      i += 2;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "synth_soundtrack: unknown option %s\n", arg.c_str());
      return Usage(stderr, 2);
    } else if (wavPath.empty()) {
      wavPath = arg;
    } else {
      std::fprintf(stderr, "synth_soundtrack: unexpected argument %s\n", arg.c_str());
      return Usage(stderr, 2);
    }
  }
  if (wavPath.empty()) return Usage(stderr, 2);

  try {
    const soundtrack::Score& score = soundtrack::Orv();
    if (!sectionsPath.empty()) {
      std::ofstream sections(sectionsPath);
      soundtrack::WriteSectionTable(sections, score);
      if (!sections.flush()) {
        std::fprintf(stderr, "synth_soundtrack: cannot write %s\n", sectionsPath.c_str());
        return 1;
      }
    }
    const int total = soundtrack::TotalBars(score);
    if (barCount < 0) barCount = total;
    if (firstBar + barCount > total) {
      std::fprintf(stderr, "synth_soundtrack: --bars %d %d passes the score's %d bars\n", firstBar, barCount, total);
      return 2;
    }
    soundtrack::Stereo audio = soundtrack::Render(score, firstBar, barCount);
    soundtrack::Master(audio);
    std::ofstream wav(wavPath, std::ios::binary);
    soundtrack::WriteWav(wav, audio);
    if (!wav.flush()) {
      std::fprintf(stderr, "synth_soundtrack: cannot write %s\n", wavPath.c_str());
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "synth_soundtrack: %s\n", e.what());
    return 1;
  }
  return 0;
}
