#include "authoring/dataOrigins.h"

#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "authoring/fileReplace.h"
#include "authoring/reloadKind.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// "fx/ring.fx" inside `folder`, lexically normal; empty for a name that leaves it.
std::string InsideFolder(const std::string& folder, const std::string& name) {
  // Spelled as the program spells its paths ("fx\\ring.fx" too).
  const fs::path relative = fs::path(platform::NativePath(name)).lexically_normal();
  // A file: not the folder itself ("x/.." is "."), nothing above it, nothing absolute.
  if (relative.empty() || relative.is_absolute() || *relative.begin() == ".." || !relative.has_filename() ||
      relative.filename() == "." || relative.filename() == "..") {
    return "";
  }
  return (fs::path(folder) / relative).lexically_normal().string();
}

}  // namespace

bool IsSceneDescription(const std::string& source) { return EndsWith(source, ".scene.lua"); }

DataOrigins DataOrigins::Parse(const std::string& text, const std::string& dataFolder) {
  DataOrigins parsed;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0 || tab + 1 == line.size()) continue;
    const std::string copy = InsideFolder(dataFolder, line.substr(0, tab));
    if (copy.empty()) continue;
    fs::path source(line.substr(tab + 1));
    if (source.is_relative()) source = fs::path(dataFolder) / source;
    parsed.origins.push_back(DataOrigin{WatchedPath(copy), source.lexically_normal().string()});
  }
  return parsed;
}

DataOrigins DataOrigins::Read(const std::string& dataFolder) {
  std::string text;
  if (!ReadFileText(platform::NativePath(dataFolder + "/origins.txt"), &text)) return DataOrigins();
  return Parse(text, dataFolder);
}

std::vector<DataOrigin> DataOrigins::Copies() const {
  std::vector<DataOrigin> copies;
  for (const DataOrigin& origin : origins) {
    if (!IsSceneDescription(origin.source)) copies.push_back(origin);
  }
  return copies;
}

std::vector<DataOrigin> DataOrigins::Descriptions() const {
  std::vector<DataOrigin> descriptions;
  for (const DataOrigin& origin : origins) {
    if (IsSceneDescription(origin.source)) descriptions.push_back(origin);
  }
  return descriptions;
}

std::string DataOrigins::SourceOf(const std::string& copy) const {
  const std::string wanted = WatchedPath(copy);
  for (const DataOrigin& origin : origins) {
    if (origin.copy == wanted) return origin.source;
  }
  return "";
}

const DataOrigins& CurrentDataOrigins() {
  static DataOrigins origins;
  static std::string seen = "none";
  // The file as it is now: which folder, which file, and when and how long it was
  // written; a change to any of them reads it again.
  struct stat status = {};
  std::error_code ignored;
  std::string now = fs::current_path(ignored).string();
  if (stat(platform::NativePath("data/origins.txt").c_str(), &status) == 0) {
    now += "|" + std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino) + "|" +
           std::to_string(status.st_mtim.tv_sec) + "." + std::to_string(status.st_mtim.tv_nsec) + "|" +
           std::to_string(status.st_size);
  }
  if (now != seen) {
    origins = DataOrigins::Read("data");
    seen = now;
  }
  return origins;
}

std::string EditedFileFor(const std::string& copy) {
  const std::string source = CurrentDataOrigins().SourceOf(copy);
  std::error_code ignored;
  return !source.empty() && fs::is_regular_file(source, ignored) ? source : platform::NativePath(copy);
}

bool UpdateCopy(const std::string& edited, const std::string& copy, std::string* error) {
  const std::string target = platform::NativePath(copy);
  std::error_code ignored;
  if (fs::equivalent(edited, target, ignored)) return true;
  std::string bytes;
  if (!ReadFileText(edited, &bytes)) {
    *error = "cannot read " + edited + " to copy it to " + target;
    return false;
  }
  std::string current;
  if (ReadFileText(target, &current) && current == bytes) return true;
  return ReplaceFileText(target, bytes, error);
}
