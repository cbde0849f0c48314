#pragma once

// What a conversion left out, said once each, in the order first met.

#include <set>
#include <string>
#include <vector>

namespace gltf2demo {

class Notes {
 public:
  void LeftOut(const std::string& what) {
    if (seen.insert(what).second) lines.push_back(what);
  }
  const std::vector<std::string>& Lines() const { return lines; }

 private:
  std::set<std::string> seen;
  std::vector<std::string> lines;
};

}  // namespace gltf2demo
