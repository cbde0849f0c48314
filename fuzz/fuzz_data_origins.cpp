// Feeds arbitrary text to the reader of data/origins.txt, which a build writes and a
// program trusts to say where to save: every origin it gives back must name a file inside
// the data folder, and a source, whatever the text held.

#include <cstdint>
#include <string>

#include "authoring/dataOrigins.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const DataOrigins origins = DataOrigins::Parse(text, "data");
  for (const DataOrigin& origin : origins.All()) {
    if (origin.copy.compare(0, 5, "data/") != 0 || origin.copy.size() <= 5) __builtin_trap();
    if (origin.copy.find("/../") != std::string::npos) __builtin_trap();
    if (origin.source.empty()) __builtin_trap();
    if (origins.SourceOf(origin.copy).empty()) __builtin_trap();
  }
  if (origins.Copies().size() + origins.Descriptions().size() != origins.All().size()) __builtin_trap();
  return 0;
}
