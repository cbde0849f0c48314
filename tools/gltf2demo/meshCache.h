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
  // `scale` multiplies every position: the scene's fit into the engine's range, uniform, so
  // normals and tangents keep their directions.
  MeshCache(const tinygltf::Model& source, TextureFiles& textureFiles, Budget& fileBudget, Notes& leftOut,
            double scale = 1)
      : model(source), textures(textureFiles), budget(fileBudget), notes(leftOut), positionScale(scale) {}

  // The primitives of mesh `index` (which exists) that are kept, in order. Broken data
  // and a mesh past the budget raise GltfError.
  // `mirrored`: for a node whose placement mirrors (a negative determinant), which turns
  // every triangle's front to the back; such a node gets files of its own, each triangle
  // turned the other way round and the tangents' handedness flipped, so that it shows
  // the same side lit the same way.
  const std::vector<ConvertedPrimitive>& Mesh(int index, bool mirrored = false);

 private:
  std::vector<ConvertedPrimitive> Convert(int index, bool mirrored);

  const tinygltf::Model& model;
  TextureFiles& textures;
  Budget& budget;
  Notes& notes;
  double positionScale;
  std::map<std::pair<int, bool>, std::vector<ConvertedPrimitive>> meshes;
};

}  // namespace gltf2demo
