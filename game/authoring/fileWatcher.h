#pragma once

// -watch: files reload as soon as they change on disk. Every kind of file is reloaded by
// the code that owns it (see reloadKind.h); this module only watches the folders that
// hold the kinds' files and collects changes until the folders have been quiet for a
// moment, so a save written in several steps, or a burst of saves, reloads once. Kinds
// reload in the order they were added, so a kind that others build on goes first.

#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/core/module.h"
#include "game/authoring/reloadKind.h"

class FileWatcher : public engine::core::Module {
 public:
  static constexpr std::chrono::milliseconds Quiet{300};

  FileWatcher();
  ~FileWatcher() override;
  FileWatcher(const FileWatcher&) = delete;
  FileWatcher& operator=(const FileWatcher&) = delete;

  void Add(std::unique_ptr<ReloadKind> kind);

  // A watcher that cannot start says so and leaves the demo to play without it.
  bool Start() override;
  void Update() override;
  void Stop() override;

  // Reload rounds run so far (a round reloads every file changed since the last).
  int Rounds() const { return rounds; }

 private:
  using Clock = std::chrono::steady_clock;

  void Scan();
  void ReadEvents();
  void Reload();

  std::vector<std::unique_ptr<ReloadKind>> kinds;
  std::vector<std::set<std::string>> filesOfKind;
  int inotify = -1;
  std::map<int, std::string> folderOfWatch;
  std::set<std::string> changed;
  Clock::time_point lastChange;
  int rounds = 0;
};
