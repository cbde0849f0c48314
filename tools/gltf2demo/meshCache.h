#pragma once

// The mesh files of a glTF mesh, converted the first time a node shows the mesh and
// shared by every node after it: the conversion's work and memory are spent once, and
// counted against the file's budget once, however many nodes use the mesh.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/math/vector.h"
#include "tools/gltf2demo/budget.h"
#include "tools/gltf2demo/materialText.h"
#include "tools/gltf2demo/notes.h"
#include "tools/gltf2demo/textureFiles.h"

namespace tinygltf {
class Model;
}

namespace gltf2demo {

// A primitive the engine can draw, as one mesh file.
struct ConvertedPrimitive {
  std::size_t index = 0;  // among the glTF mesh's primitives
  std::string label;      // "mesh 'Box' primitive 1", for notes and messages
  int material = -1;      // the glTF material
  // Its texture and vertex colours; the sun, the shadows and the folder are the scene's.
  SurfaceLook look;
  std::shared_ptr<const std::string> bytes;  // the .nbl image
  std::vector<engine::math::Vector3f> positions;  // engine axes, for the scene's bounds
};

class MeshCache {
 public:
  MeshCache(const tinygltf::Model& source, TextureFiles& textureFiles, Budget& fileBudget, Notes& leftOut)
      : model(source), textures(textureFiles), budget(fileBudget), notes(leftOut) {}

  // The primitives of mesh `index` (which exists) that are kept, in order. Broken data
  // and a mesh past the budget raise GltfError.
  const std::vector<ConvertedPrimitive>& Mesh(int index);

 private:
  std::vector<ConvertedPrimitive> Convert(int index);

  const tinygltf::Model& model;
  TextureFiles& textures;
  Budget& budget;
  Notes& notes;
  std::map<int, std::vector<ConvertedPrimitive>> meshes;
};

}  // namespace gltf2demo
