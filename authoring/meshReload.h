#pragma once

// Meshes and their materials: a mesh file, a material script (MESH.nbl.efx) or a template
// it names changed, and each mesh made of it is made again, its effect built from the
// material as it is now, and put in place of the old one, which is released. The demo's
// own meshes are made again as at start-up (its generated meshes reload their materials
// only). A material that no longer parses, or whose alternatives all fail here, and a
// mesh file that no longer reads keep the last good mesh on screen.

#include <map>
#include <set>
#include <string>

#include "authoring/reloadKind.h"

class AuthoredDemo;
struct GeneratedMesh;

class MeshReload : public ReloadKind {
 public:
  // `demo` says which meshes it made in code; null: every mesh is read from its file.
  explicit MeshReload(const AuthoredDemo* demo = nullptr) : program(demo) {}

  std::set<std::string> Files() override;
  bool StaleFiles() override;
  void Reload(const std::set<std::string>& changed) override { Rebuild(changed, true); }

  // Every mesh made again, as after a change to all of their files (render targets
  // replaced: shaders find their targets by name when they are made).
  void ReloadAll();

 private:
  // Names each changed file that reloaded cleanly when `report` says so.
  void Rebuild(const std::set<std::string>& changed, bool report);

  // How the program made `name`, null when it was read from its file.
  const GeneratedMesh* Generated(const std::string& name) const;

  const AuthoredDemo* program;
  // The files each mesh (by resource name) is made of.
  std::map<std::wstring, std::set<std::string>> filesOfMesh;
  size_t resourcesSeen = 0;
};

// The quoted names ending in ".tpl" in a material or template script's text, each as the
// file "data/NAME" it reads, and theirs in turn; unreadable files give none.
std::set<std::string> TemplateFilesOf(const std::string& scriptPath);
