#pragma once

// The overlay's materials panel: every pass the part on screen draws, grouped by object
// (its mesh) and material, with its parameters. Floats, float2s, float3s and float4s (a
// colour picker) are edited in place and show in the next frame; "Save" writes a
// material's edited values back into its file's text, the rest of the text kept. Names
// too long for the panel are cut with "..." and shown whole in a tooltip.

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace engine {
namespace gfx {
class Mesh;
}
}  // namespace engine
class AuthoredDemo;

class MaterialsPanel {
 public:
  // A parameter as the panel edits and saves it: its name and its type word ("float",
  // "float2", "float3" or "float4").
  using Parameter = std::pair<std::string, std::string>;
  // A mesh and the name it is registered under (its file, "data/x.demo_scene/Cube.nbl").
  using NamedMesh = std::pair<const engine::gfx::Mesh*, std::string>;

  void Draw(AuthoredDemo& scene);
  // The panel over these meshes, the first one open.
  void Draw(const std::vector<NamedMesh>& meshes);

  // What the panel's widgets do. Gives parameter `name` of every pass of the mesh's
  // material `values` (as many as its type holds), as a material-wide value in the file
  // would; false when no pass has it.
  static bool Edit(const engine::gfx::Mesh& mesh, const std::string& name, const std::vector<float>& values);
  // Writes the values of the `edited` parameters, as the mesh's passes hold them, into
  // every entry of theirs in its material file `material` (MESH.nbl.efx). Parameters the
  // file gives nowhere (a template or the effect does) or not as plain numbers are named
  // in *notes. False, with the reason in *error, when the file cannot be read, does not
  // read as Lua, or cannot be written; the file is then as it was.
  static bool Save(const engine::gfx::Mesh& mesh, const std::string& material, const std::set<Parameter>& edited,
                   std::vector<std::string>* notes, std::string* error);

 private:
  void DrawObject(const engine::gfx::Mesh& mesh, const std::string& meshName, bool first);

  std::map<std::string, std::set<Parameter>> edited;  // by mesh name
  std::string status;
};

// `text` as it fits in `width` pixels of the current ImGui font: whole, or cut at a
// character with "..." after it.
std::string FitToWidth(const std::string& text, float width);
