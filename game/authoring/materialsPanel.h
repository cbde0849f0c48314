#pragma once

// The overlay's materials panel: every pass the part on screen draws, grouped by object
// (its mesh) and material, with its parameters. Floats, float2s, float3s and float4s (a
// colour picker) are edited in place and show in the next frame; "Save" writes a
// material's edited values back into its file's text, the rest of the text kept.

#include <map>
#include <set>
#include <string>
#include <vector>

namespace engine {
namespace gfx {
class Mesh;
}
}  // namespace engine
class TestScene1;

class MaterialsPanel {
 public:
  void Draw(TestScene1& scene);

  // What the panel's widgets do. Gives parameter `name` of every pass of the mesh's
  // material `values` (as many as its type holds); false when no pass has it.
  static bool Edit(const engine::gfx::Mesh& mesh, const std::string& name, const std::vector<float>& values);
  // Writes the values of `names` as the mesh's passes hold them into its material file
  // `material` (MESH.nbl.efx); the names the file does not give (a template or the effect
  // does) go to *unsaved. False, with the reason in *error, when the file cannot be read
  // or written.
  static bool Save(const engine::gfx::Mesh& mesh, const std::string& material, const std::set<std::string>& names,
                   std::vector<std::string>* unsaved, std::string* error);

 private:
  std::map<std::string, std::set<std::string>> edited;  // by mesh name
  std::string status;
};
