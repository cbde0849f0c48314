#pragma once

// The default material a converted mesh gets: the demo's plain lit surface in the glTF
// material's base colour. The rest of a glTF material has nothing to go to in it and is
// noted as left out.

#include <string>

#include "tools/gltf2demo/notes.h"

namespace tinygltf {
class Model;
}

namespace gltf2demo {

// The material script for a mesh drawn with glTF material `material` (-1: none, which
// gets the surface's own light grey rather than glTF's default white, since the demo's
// post chain makes white glow). `mesh` names the mesh in the script's comment. Raises
// GltfError for a material that does not exist.
std::string MaterialText(const tinygltf::Model& model, int material, const std::string& mesh, Notes& notes);

// The material of the post-processing chain's trigger.
std::string PostMaterialText();

// A linear colour component as the display value the demo's materials are written in.
double DisplayValue(double linear);

}  // namespace gltf2demo
