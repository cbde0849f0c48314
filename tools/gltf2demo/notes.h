#pragma once

// What a conversion left out, and what it added that the file did not have, said once
// each, in the order first met.

#include <set>
#include <string>
#include <vector>

namespace gltf2demo {

class Notes {
 public:
  void LeftOut(const std::string& what) {
    if (seen.insert(what).second) lines.push_back(what);
  }
  void Added(const std::string& what) {
    if (seen.insert(what).second) added.push_back(what);
  }
  const std::vector<std::string>& Lines() const { return lines; }
  const std::vector<std::string>& AddedLines() const { return added; }

 private:
  std::set<std::string> seen;
  std::vector<std::string> lines, added;
};

}  // namespace gltf2demo
