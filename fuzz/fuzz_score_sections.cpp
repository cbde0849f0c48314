// Feeds arbitrary text to the reader of the soundtrack's section table. A SceneError is
// expected; a table it accepts must be contiguous from frame 0 with no negative length.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/demo/sceneDescription.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    long long next = 0;
    for (const demo::ScoreSection& section : demo::ParseScoreSections(text, "fuzz.txt")) {
      if (section.first != next || section.frames < 0 || section.name.empty()) std::abort();
      next += section.frames;
    }
  } catch (const demo::SceneError& e) {
    if (std::string(e.what()).empty()) std::abort();
  }
  return 0;
}
