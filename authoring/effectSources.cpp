#include "authoring/effectSources.h"

#include <filesystem>
#include <fstream>
#include <set>

namespace {

// The quoted name of a `#include "name"` line, or empty.
std::string IncludedName(const std::string& line) {
  size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos || line[i] != '#') return "";
  i = line.find_first_not_of(" \t", i + 1);
  if (i == std::string::npos || line.compare(i, 7, "include") != 0) return "";
  const size_t open = line.find('"', i + 7);
  if (open == std::string::npos) return "";
  const size_t close = line.find('"', open + 1);
  if (close == std::string::npos) return "";
  return line.substr(open + 1, close - open - 1);
}

}  // namespace

std::vector<std::string> EffectSourceFiles(const std::string& effectPath) {
  namespace fs = std::filesystem;
  std::vector<std::string> files;
  std::set<std::string> seen;
  std::vector<std::string> pending{fs::path(effectPath).lexically_normal().string()};
  while (!pending.empty()) {
    const std::string path = pending.back();
    pending.pop_back();
    if (!seen.insert(path).second) continue;
    files.push_back(path);
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
      const std::string name = IncludedName(line);
      if (!name.empty()) pending.push_back((fs::path(path).parent_path() / name).lexically_normal().string());
    }
  }
  return files;
}
