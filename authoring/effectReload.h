#pragma once

// Effect files and the files they include. Each changed effect is compiled first; one
// that compiles goes through the F9 reload (the resource manager's update, after which
// shaders re-bind), one that does not keeps its last good effect on screen.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "authoring/reloadKind.h"

class EffectReload : public ReloadKind {
 public:
  std::set<std::string> Files() override;
  bool StaleFiles() override;
  void Reload(const std::set<std::string>& changed) override;

 private:
  std::map<std::string, std::vector<std::wstring>> effectsOfFile;
  std::set<std::string> poolFiles;
  size_t resourcesSeen = 0;
};
