#pragma once

// Names for the demo file: object names must be unique, since the loader links parents by
// name and keeps only the last object of a name; mesh names also become file names.

#include <cstdio>
#include <set>
#include <string>

namespace gltf2demo {

class NameSet {
 public:
  void Reserve(const std::string& name) { used.insert(name); }
  // `base` + `ending` when it is free, else the first free "base.001" + `ending`,
  // "base.002" + `ending`... (an ending such as ".png" stays last).
  std::string Unique(const std::string& base, const std::string& ending = "") {
    std::string name = base + ending;
    for (int n = 1; used.count(name); ++n) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, ".%03d", n);
      name = base + suffix + ending;
    }
    used.insert(name);
    return name;
  }

 private:
  std::set<std::string> used;
};

// A file name made from any text: letters, digits, '.', '-' and '_' are kept, everything
// else becomes '_', and a leading '.' too, so that it never names a folder or hides.
inline std::string FileNameOf(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                       c == '-' || c == '_';
    out += plain ? static_cast<char>(c) : '_';
  }
  if (out.empty()) return "mesh";
  if (out[0] == '.') out[0] = '_';
  return out;
}

}  // namespace gltf2demo
