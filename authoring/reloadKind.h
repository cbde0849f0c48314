#pragma once

// One kind of file that -watch reloads (effects, materials and meshes, demo files, ...),
// reached through the code that owns it. The watcher knows no kind's insides: it asks
// each which files it reads and tells it which of those changed once a burst of saves
// is over.

#include <filesystem>
#include <set>
#include <string>

#include "platform/paths.h"

// A file as the kinds name it to the watcher: the program's path ("data\\x" or
// "data/x") as the system spells it, lexically normal.
inline std::string WatchedPath(const std::string& path) {
  return std::filesystem::path(platform::NativePath(path)).lexically_normal().string();
}

class ReloadKind {
 public:
  virtual ~ReloadKind() = default;
  // The files the kind reads now, as the program names them (relative to the working
  // directory, lexically normal). Asked again after every reload round and whenever
  // StaleFiles says so.
  virtual std::set<std::string> Files() = 0;
  // True when the files the kind reads may have changed since Files was last asked
  // (resources made since, say); cheap, asked every frame.
  virtual bool StaleFiles() { return false; }
  // Some of the kind's files changed. A reload that fails keeps the last good version
  // on screen and says so through the reload report.
  virtual void Reload(const std::set<std::string>& changed) = 0;
};
