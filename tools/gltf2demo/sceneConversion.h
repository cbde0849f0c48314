#pragma once

// A whole glTF scene as a demo file with its mesh files and their materials.
//
// Every node of the scene becomes an object of its name (made unique): a "Mesh" object
// when it has a mesh (further primitives become "Mesh" objects below it, one mesh file
// each, since a mesh file has one material), otherwise a transform holder. Cameras and
// directional lights hang below their node as "Camera" and "Lamp" objects turned a
// quarter about x, because glTF's look along -z with +y up and the engine's along +z:
// the first of each kind is called "Camera" and "Lamp" (the demo program looks its
// lamp up by that name), later ones "Camera.001"... A scene without a perspective camera
// gets a "Camera" that frames it, one without a directional light a "Lamp" that lights it
// from above, front left; both are said in the notes. A "Post" object brings in the
// post-processing chain unless asked not to. Base colour textures become image files
// beside the meshes.

#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/demoFileReader.h"
#include "tools/gltf2demo/budget.h"
#include "tools/gltf2demo/notes.h"
#include "tools/gltf2demo/textureFiles.h"

namespace tinygltf {
class Model;
}

namespace gltf2demo {

struct SceneOptions {
  int scene = -1;              // which of the file's scenes; -1: the one it names, else the first
  int animation = 0;           // which of the file's animations plays
  double lengthSeconds = -1;   // the scene's running time; -1: the animation's end, or 10 s
  bool post = true;            // add the "Post" object
  bool shadows = true;         // surfaces cast and take the lamp's shadows
  // Where the program finds the part's files, as materials name textures:
  // "data/intro.demo_scene/".
  std::string partFolder;
  BudgetLimits budget;  // what the file may make the conversion do
};

struct MeshFile {
  std::string name;      // the mesh name in the demo file; its files are NAME.nbl and NAME.nbl.efx
  // The .nbl image, shared by the files of every node that shows one glTF mesh.
  std::shared_ptr<const std::string> bytes;
  std::string material;  // the .nbl.efx script
};

struct ConvertedScene {
  engine::gfx::DemoFile demo;
  std::vector<MeshFile> meshes;
  std::vector<ImageFile> images;  // textures, for the meshes' folder
};

// Raises GltfError for broken input and for a file that asks for more than its budget;
// what cannot be converted goes to `notes`.
ConvertedScene ConvertScene(const tinygltf::Model& model, const SceneOptions& options, Notes& notes);

// When no animation sets it, a scene runs this long.
constexpr double DefaultLengthSeconds = 10.0;
// The longest a demo file's running time can be: its frame count is a 32-bit number.
constexpr double MostFrames = 2147483647.0;

}  // namespace gltf2demo
