#include "platform/effect/stream_out.h"

#include <cctype>

namespace platform::fx {
namespace {

constexpr int kSlots = 4;

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

int ComponentOf(char c) {
  switch (std::tolower(static_cast<unsigned char>(c))) {
    case 'x': case 'r': return 0;
    case 'y': case 'g': return 1;
    case 'z': case 'b': return 2;
    case 'w': case 'a': return 3;
    default: return -1;
  }
}

bool ParseElement(const std::string& text, StreamOutElement& e, std::string& why) {
  std::string rest = text;
  const std::size_t colon = rest.find(':');
  if (colon != std::string::npos) {
    const std::string slot = Trim(rest.substr(0, colon));
    if (slot.size() != 1 || slot[0] < '0' || slot[0] >= '0' + kSlots) {
      why = "'" + text + "': the buffer slot must be 0 to 3";
      return false;
    }
    e.slot = slot[0] - '0';
    rest = Trim(rest.substr(colon + 1));
  }
  std::string name = rest, mask;
  const std::size_t dot = rest.find('.');
  if (dot != std::string::npos) {
    name = Trim(rest.substr(0, dot));
    mask = Trim(rest.substr(dot + 1));
  }
  if (name.empty()) {
    why = "'" + text + "' names no semantic";
    return false;
  }
  const bool skip = name == "$SKIP" || name == "$skip";
  if (!skip) {
    std::size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
    for (std::size_t i = 0; i < digits; ++i) {
      const unsigned char c = static_cast<unsigned char>(name[i]);
      if (!std::isalnum(c) && c != '_') {
        why = "'" + text + "': '" + name + "' is not a semantic";
        return false;
      }
    }
    if (digits == 0 || name.size() - digits > 5) {
      why = "'" + text + "': '" + name + "' is not a semantic";
      return false;
    }
    for (std::size_t i = 0; i < digits; ++i) e.semantic += static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    e.index = digits < name.size() ? static_cast<std::uint32_t>(std::stoul(name.substr(digits))) : 0;
  }
  if (mask.empty()) {
    if (dot != std::string::npos) {
      why = "'" + text + "' has an empty mask";
      return false;
    }
    if (skip) e.count = 4;
    return true;
  }
  int previous = -1;
  for (char c : mask) {
    const int component = ComponentOf(c);
    if (component < 0 || (previous >= 0 && component != previous + 1) || mask.size() > 4) {
      why = "'" + text + "': the mask must name neighbouring components in order (xyzw or rgba)";
      return false;
    }
    if (previous < 0) e.start = component;
    previous = component;
  }
  e.count = static_cast<int>(mask.size());
  if (skip) e.start = 0;  // a gap is as wide as its mask, wherever the mask starts
  return true;
}

}  // namespace

bool ParseStreamOutDeclaration(const std::string& text, std::vector<StreamOutElement>& out, std::string& why) {
  out.clear();
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find(';', begin);
    if (end == std::string::npos) end = text.size();
    const std::string element = Trim(text.substr(begin, end - begin));
    begin = end + 1;
    if (element.empty()) continue;  // a trailing or doubled separator
    StreamOutElement e;
    if (!ParseElement(element, e, why)) return false;
    out.push_back(std::move(e));
  }
  return true;
}

}  // namespace platform::fx
