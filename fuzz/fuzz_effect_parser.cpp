// Feeds arbitrary text to the effect parser as preprocessed effect source, then lays out
// every constant buffer it found, as the compiler front end does next. A parse error is
// an expected answer; a crash, a hang or a sanitizer report is a bug.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/effect/layout.h"
#include "platform/effect/syntax.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  platform::fx::EffectSyntax syntax;
  std::string error;
  if (!platform::fx::ParseEffect(text, "fuzz.fx", syntax, error)) return 0;
  for (const platform::fx::CBufferDecl& cb : syntax.cbuffers) {
    platform::fx::CBufferLayout layout = platform::fx::LayoutCBuffer(syntax, cb);
    if (layout.variables.size() != cb.variables.size()) __builtin_trap();
  }
  return 0;
}
