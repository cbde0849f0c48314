#pragma once

// The parts' demo files, and the scene descriptions they are written from.
//
// A changed demo file is read again by the scene module, which puts the new part in
// place of the old and places the timeline where the music is. A changed scene
// description (the source data/origins.txt gives a demo file, else
// content/scenes/PART.scene.lua beside the data folder; common.lua beside it is the
// prelude every description there shares) is turned into its demo file by the code
// demowrite uses, and that file then reloads as any changed demo file does. Either that
// fails keeps the last good part on screen.

#include <set>
#include <string>
#include <vector>

#include "authoring/dataOrigins.h"
#include "authoring/reloadKind.h"

class AuthoredDemo;

class PartReload : public ReloadKind {
 public:
  explicit PartReload(AuthoredDemo* playing) : scene(playing) {}
  std::set<std::string> Files() override;
  void Reload(const std::set<std::string>& changed) override;

 private:
  AuthoredDemo* scene;
};

class SceneDescriptionReload : public ReloadKind {
 public:
  // `folder` holds PART.scene.lua and common.lua where origins.txt names no description.
  SceneDescriptionReload(const AuthoredDemo* playing, const std::string& scenes) : scene(playing), folder(scenes) {}
  std::set<std::string> Files() override;
  void Reload(const std::set<std::string>& changed) override;

 private:
  // Each demo file and the description it is written from.
  std::vector<DataOrigin> Described() const;
  static std::string PreludeOf(const std::string& description);
  const AuthoredDemo* scene;
  std::string folder;
};
