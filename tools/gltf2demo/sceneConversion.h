#pragma once

// A whole glTF scene as a demo file with its mesh files and their materials.
//
// Every node of the scene becomes an object of its name (made unique): a "Mesh" object
// when it has a mesh (further primitives become "Mesh" objects below it, since a mesh
// file has one material), otherwise a transform holder. Each glTF primitive becomes one
// mesh file, named after the first node that shows it; every node that shows it places
// that file. Cameras and
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
  // Which of the file's animations plays; -1: the first that moves what the part shows.
  int animation = -1;
  // The scene's running time; -1: `partSeconds` when it is known, else the animation's
  // end, or 10 s.
  double lengthSeconds = -1;
  // The running time of the part the scene replaces (its section of the music); -1 when
  // it replaces none.
  double partSeconds = -1;
  // A uniform scale on the whole scene; -1 fits it into the engine's clip range (a power
  // of ten, said in the notes, where the scene would not fit as it is).
  double scale = -1;
  bool post = true;            // add the "Post" object
  bool shadows = true;         // surfaces cast and take the lamp's shadows
  // Where the program finds the part's files, as materials name textures:
  // "data/intro.demo_scene/".
  std::string partFolder;
  BudgetLimits budget;  // what the file may make the conversion do
  // Mesh names the part's folder keeps for meshes the program makes itself (a material
  // there without its mesh file): the scene's meshes are named round them.
  std::vector<std::string> reservedMeshNames;
};

struct MeshFile {
  std::string name;      // the mesh name in the demo file; its files are NAME.nbl and NAME.nbl.efx
  std::shared_ptr<const std::string> bytes;  // the .nbl image
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

// When neither the part it replaces nor an animation sets it, a scene runs this long.
constexpr double DefaultLengthSeconds = 10.0;
// The longest a demo file's running time can be: its frame count is a 32-bit number.
constexpr double MostFrames = 2147483647.0;

}  // namespace gltf2demo
