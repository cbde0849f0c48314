// Writes the credits' colour ramp, data/credits.curves.
//   credits_curves OUT.curves

#include <cstdio>
#include <cstring>
#include <fstream>

#include "tools/curves/creditsRamp.h"

int main(int argc, char** argv) {
  const char* usage = "usage: credits_curves OUT.curves   (writes the credits' colour ramp)\n";
  if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-help"))) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (argc != 2) {
    std::fputs(usage, stderr);
    return 2;
  }
  const std::string bytes = curves::CurveFileBytes(curves::CreditsCurves());
  std::ofstream out(argv[1], std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "credits_curves: %s: cannot write the file\n", argv[1]);
    return 1;
  }
  return 0;
}
