#pragma once

// The parts' demo files, and the scene descriptions they are written from.
//
// A changed demo file is read again by the scene module, which puts the new part in
// place of the old and places the timeline where the music is. A changed scene
// description (content/scenes/PART.scene.lua beside the data folder, with
// content/scenes/common.lua as the prelude every description shares) is turned into
// data/PART.demo by the code demowrite uses, and that file then reloads as any changed
// demo file does. Either that fails keeps the last good part on screen.

#include <set>
#include <string>

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
  // `folder` holds PART.scene.lua and common.lua.
  SceneDescriptionReload(const AuthoredDemo* playing, const std::string& scenes) : scene(playing), folder(scenes) {}
  std::set<std::string> Files() override;
  void Reload(const std::set<std::string>& changed) override;

 private:
  std::string Description(int part) const;
  const AuthoredDemo* scene;
  std::string folder;
};
