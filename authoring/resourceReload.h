#pragma once

// The resources the start-up script declares and the files behind them: image files of
// texture resources (read again into the same resource, so every material that binds it
// shows the new image), the resource script (targets whose description changed are made
// anew, and every mesh's material is built again so that its passes draw into them) and
// the render-target priority file (the draw order sorted again).

#include <map>
#include <set>
#include <string>

#include "engine/core/resourceLoader.h"
#include "authoring/reloadKind.h"

class MeshReload;

class ResourceReload : public ReloadKind {
 public:
  // `meshes` rebuilds the materials after targets were replaced.
  explicit ResourceReload(MeshReload* materials) : meshes(materials) {}
  std::set<std::string> Files() override;
  bool StaleFiles() override;
  void Reload(const std::set<std::string>& changed) override;

 private:
  void ReloadTextures(const std::set<std::string>& changed);
  // True when a target was replaced.
  bool ReloadScript();

  MeshReload* meshes;
  std::map<std::string, std::wstring> textureOfFile;
  std::map<std::wstring, engine::core::ResourceDescriptor> declared;  // as the script was last read
  bool scriptRead = false;
  size_t resourcesSeen = 0;
};
