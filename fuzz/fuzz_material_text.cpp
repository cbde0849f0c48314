// Feeds arbitrary text to the overlay's "Save" (a parameter's value written into a
// material script's text) for each parameter type, and checks what it gives back: an
// unchanged text when it says no; otherwise a text holding the value where the entry
// still is, so that saving the same value again finds it and changes nothing.

#include <cstdint>
#include <string>
#include <vector>

#include "game/authoring/materialText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const char* types[] = {"float", "float2", "float3", "float4"};
  for (int k = 0; k < 4; ++k) {
    const std::vector<float> values(static_cast<size_t>(k + 1), 0.25f);
    for (const char* name : {"Colour", "A", ""}) {
      std::string text = input;
      if (!WriteParameterValue(text, name, types[k], values)) {
        if (text != input) __builtin_trap();
        continue;
      }
      if (text.find("0.25") == std::string::npos) __builtin_trap();
      std::string again = text;
      if (!WriteParameterValue(again, name, types[k], values) || again != text) __builtin_trap();
    }
  }
  return 0;
}
