#pragma once

// The material a converted mesh gets: the demo's lit surface in the glTF material's base
// colour, times its base colour texture and the mesh's vertex colours where it has them,
// in the light of the scene's lamp. The rest of a glTF material has nothing to go to in
// it and is noted as left out.

#include <array>
#include <optional>
#include <string>

#include "tools/gltf2demo/notes.h"
#include "tools/gltf2demo/textureFiles.h"

namespace tinygltf {
class Model;
}

namespace gltf2demo {

// The sun of the scene, as the materials can show it.
struct Sunlight {
  double strength = 1;  // the materials' Sunlight
  std::array<double, 3> colour = {1, 1, 1};  // display values
};

struct SurfaceLook {
  std::optional<BaseTexture> texture;
  std::string textureFolder;  // where the program finds the texture's file ("data/intro.demo_scene/")
  bool coloured = false;      // the mesh has vertex colours
  bool shadows = true;        // casts and takes the lamp's shadows
  Sunlight sun;
};

// The material script for a mesh drawn with glTF material `material` (-1: none, which
// gets the surface's own light grey rather than glTF's default white, since the demo's
// post chain makes white glow). `mesh` names the mesh in the script's comment. Raises
// GltfError for a material that does not exist.
std::string MaterialText(const tinygltf::Model& model, int material, const std::string& mesh, const SurfaceLook& look,
                         Notes& notes);

// The material of the post-processing chain's trigger.
std::string PostMaterialText();

// A linear colour component as the display value the demo's materials are written in.
double DisplayValue(double linear);

}  // namespace gltf2demo
