#pragma once

// The sources of the data folder's copies (dataOrigins.h): a changed source is copied
// over its copy, whose own change then reloads as any data file does, a round later. So a
// save in the folder the user keeps shows on screen, and a source that no longer works
// keeps the last good picture as a broken copy would.

#include <set>
#include <string>

#include "authoring/reloadKind.h"

class SourceCopyReload : public ReloadKind {
 public:
  std::set<std::string> Files() override;
  void Reload(const std::set<std::string>& changed) override;
};
