#pragma once

// -watch: files reload as soon as they change on disk. Every kind of file is reloaded by
// the code that owns it (see reloadKind.h); this module only watches the folders that
// hold the kinds' files and collects changes until the folders have been quiet for a
// moment, so a save written in several steps, or a burst of saves, reloads once. Kinds
// reload in the order they were added, so a kind that others build on goes first.
//
// A folder may go and come back (a part exported again into a clean folder): while it
// is missing, its nearest present ancestor is watched for it, and once it is back its
// files count as changed, since they were written where no watch could see them.

#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/core/module.h"
#include "authoring/reloadKind.h"

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
  void WatchFolders();
  void WatchAncestorOf(const std::string& folder, std::set<std::string>* watched);
  void ReadEvents();
  void Reload();

  std::vector<std::unique_ptr<ReloadKind>> kinds;
  std::vector<std::set<std::string>> filesOfKind;
  int inotify = -1;
  // The folders of the kinds' files.
  std::set<std::string> folders;
  // Those of them that were missing at the last look.
  std::set<std::string> missing;
  // Watches: the folders present, and the nearest present ancestor of each missing one.
  std::map<int, std::string> folderOfWatch;
  // A watched folder went, or a folder appeared in one: the watches are set up again.
  bool rewatch = false;
  std::set<std::string> changed;
  Clock::time_point lastChange;
  int rounds = 0;
};
