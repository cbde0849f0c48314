#pragma once

// A whole glTF scene as a demo file with its mesh files and their materials.
//
// Every node of the scene becomes an object of its name (made unique): a "Mesh" object
// when it has a mesh (further primitives become "Mesh" objects below it, one mesh file
// each, since a mesh file has one material), otherwise a transform holder. Cameras and
// directional lights hang below their node as "Camera" and "Lamp" objects turned a
// quarter about x, because glTF's look along -z with +y up and the engine's along +z:
// the first of each kind is called "Camera" and "Lamp" (the demo program looks its
// lamp up by that name), later ones "Camera.001"... A "Post" object brings in the
// post-processing chain unless asked not to.

#include <string>
#include <vector>

#include "engine/gfx/demoFileReader.h"
#include "tools/gltf2demo/notes.h"

namespace tinygltf {
class Model;
}

namespace gltf2demo {

struct SceneOptions {
  int animation = 0;           // which of the file's animations plays
  double lengthSeconds = -1;   // the scene's running time; -1: the animation's end, or 10 s
  bool post = true;            // add the "Post" object
};

struct MeshFile {
  std::string name;      // the mesh name in the demo file; its files are NAME.nbl and NAME.nbl.efx
  std::string bytes;     // the .nbl image
  std::string material;  // the .nbl.efx script
};

struct ConvertedScene {
  engine::gfx::DemoFile demo;
  std::vector<MeshFile> meshes;
};

// Raises GltfError for broken input; what cannot be converted goes to `notes`.
ConvertedScene ConvertScene(const tinygltf::Model& model, const SceneOptions& options, Notes& notes);

// When no animation sets it, a scene runs this long.
constexpr double DefaultLengthSeconds = 10.0;

}  // namespace gltf2demo
