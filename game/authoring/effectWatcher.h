#pragma once

// -watch: effect files, and the files they include, reload as soon as they change on
// disk. Changes are collected until the folders have been quiet for a moment, so a save
// written in several steps reloads once. Each changed effect is compiled first; one
// that compiles goes through the F9 reload (the resource manager's update, after which
// shaders re-bind), one that does not keeps its last good effect on screen, and the
// compiler's message goes to the log and to standard error until the next good save.

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/core/module.h"

class EffectWatcher : public engine::core::Module {
 public:
  static constexpr std::chrono::milliseconds Quiet{300};

  EffectWatcher();
  ~EffectWatcher() override;
  EffectWatcher(const EffectWatcher&) = delete;
  EffectWatcher& operator=(const EffectWatcher&) = delete;

  // Watches the folders of every effect's files; a watcher that cannot start says so
  // and leaves the demo to play without it.
  bool Start() override;
  void Update() override;
  void Stop() override;

  // Reload rounds run so far (a round reloads every effect changed since the last).
  int Rounds() const { return rounds; }

 private:
  using Clock = std::chrono::steady_clock;

  // Which effects are made of which files, and inotify on the folders holding them.
  void Scan();
  void ReadEvents();
  void Reload();

  int inotify = -1;
  std::map<int, std::string> folderOfWatch;
  std::map<std::string, std::vector<std::wstring>> effectsOfFile;
  std::set<std::string> poolFiles;
  size_t resourcesSeen = 0;
  std::set<std::string> changed;
  Clock::time_point lastChange;
  int rounds = 0;
};
