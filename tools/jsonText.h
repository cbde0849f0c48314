#pragma once

// JSON text for the inspectors that print engine data (efxinfo, demoinfo).

#include <cstdio>
#include <string>

#include "engine/core/textConversion.h"

namespace tools {

// Stored text is bytes of any kind; passing it through the wide form turns malformed
// UTF-8 into U+FFFD, so the document stays valid JSON whatever a file or script holds.
inline std::string JsonQuote(const std::string& raw) {
  const std::string text = engine::core::ToNarrow(engine::core::ToWide(raw));
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace tools
