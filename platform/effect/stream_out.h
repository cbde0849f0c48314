#pragma once

// Stream output declarations, the string ConstructGSWithSO takes:
//   "POSITION.xyz; NORMAL.xyz; TIMER.x; 1:TEXCOORD2.xy; $SKIP.zw"
// An element is an optional buffer slot ("1:"), a semantic with an optional index, and
// an optional mask of neighbouring components; "$SKIP" leaves the mask's components
// unwritten in the buffer.

#include <cstdint>
#include <string>
#include <vector>

namespace platform::fx {

struct StreamOutElement {
  int slot = 0;
  std::string semantic;  // upper case, without the index; empty for a gap
  std::uint32_t index = 0;
  int start = 0;   // first component (x = 0)
  int count = -1;  // components; -1 when no mask is given: the whole output
  std::string Key() const { return semantic + std::to_string(index); }
};

// False with the reason in `why` for a declaration the reference compiler would refuse.
bool ParseStreamOutDeclaration(const std::string& text, std::vector<StreamOutElement>& out, std::string& why);

}  // namespace platform::fx
