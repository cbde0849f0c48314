#pragma once

#include <string>
#include <vector>

#include "engine/api.h"
#include "engine/gfx/mesh.h"
#include "engine/gfx/shaderParameters.h"

namespace engine {
namespace core {
class LuaValue;
}
namespace gfx {

// A vertex stream a pass reads: its kind and its name as the material writes them.
struct ENGINE_API StreamRequirement {
  MeshData::DataTypes kind = MeshData::POSITION;
  std::string name;
  bool operator==(const StreamRequirement& other) const { return kind == other.kind && name == other.name; }
};

// One pass as a material or template script describes it.
struct ENGINE_API PassDescription {
  int priority = 0;                      // global render order within one target list
  std::string fx;                        // effect file name, ".fx" included; loaded from data/fx/
  std::string tec;                       // technique name
  std::vector<std::string> targetNames;  // up to 8, no gaps; "_framebuffer" is the back buffer
  std::string depthTargetName;           // "_depthbuffer" by default; empty: no depth target
  int instances = 1;                     // at least 1
  ShaderParameters parameters;
  std::vector<StreamRequirement> streams;
};

// One entry of a material's effect list.
struct ENGINE_API EffectAlternative {
  int priority = 0;  // larger is tried first
  std::vector<PassDescription> passes;
};

// Reads a material script ("effect" = list of alternatives) and every template it names
// (a template N is the file "data/" + N). The result is ordered by descending priority,
// equal priorities in script order, with material-wide values given to the passes.
ENGINE_API std::vector<EffectAlternative> ParseMaterial(const std::string& path);
// The same, adding to `sourceFiles` the script's path and the path of every template it
// reads, so that a watcher knows which files make the material.
ENGINE_API std::vector<EffectAlternative> ParseMaterial(const std::string& path, std::vector<std::string>* sourceFiles);

// A parameter list {{name, type, value}, ...} as a parameter set. `list` must be a table.
ENGINE_API ShaderParameters ParseParameters(const core::LuaValue& list);

// Gives every pass of the alternative the material-wide values of the same name and kind.
ENGINE_API void ApplyMaterialWideParameters(const ShaderParameters& materialWide, std::vector<PassDescription>& passes);

}  // namespace gfx
}  // namespace engine
