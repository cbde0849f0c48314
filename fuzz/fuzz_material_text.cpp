// Feeds arbitrary text to the overlay's "Save" (a parameter's value written into a
// material script's text) for each parameter type, and checks what it gives back: an
// unchanged text when it writes nothing; otherwise a text that still reads as Lua and
// holds the value where the entries still are, so that saving the same value again
// finds as many entries and changes nothing.

#include <cstdint>
#include <string>
#include <vector>

#include "authoring/luaLexer.h"
#include "authoring/materialText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const char* types[] = {"float", "float2", "float3", "float4"};
  for (int k = 0; k < 4; ++k) {
    const std::vector<float> values(static_cast<size_t>(k + 1), k % 2 ? 0.25f : -0.25f);
    for (const char* name : {"Colour", "A", ""}) {
      std::string text = input;
      const ParameterWrite first = WriteParameterValue(text, name, types[k], values);
      if (first.written == 0) {
        if (text != input) __builtin_trap();
        continue;
      }
      std::vector<LuaToken> tokens;
      std::string error;
      if (!first.error.empty() || text.find("0.25") == std::string::npos || !LuaTokens(text, &tokens, &error))
        __builtin_trap();
      std::string again = text;
      const ParameterWrite second = WriteParameterValue(again, name, types[k], values);
      if (second.written != first.written || second.notNumbers != first.notNumbers || again != text) __builtin_trap();
    }
  }
  return 0;
}
