#pragma once

// One glTF primitive as the triangle list of one engine mesh file, in engine axes.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/math/vector.h"
#include "tools/gltf2demo/notes.h"

namespace tinygltf {
class Model;
struct Primitive;
}

namespace gltf2demo {

// The streams of a .nbl file, kept in step: one normal, and one texture coordinate and
// one colour when there are any, per position. Triangles turn as the engine's other meshes do, counter-
// clockwise about their normal by the right-hand rule (which its left-handed view shows
// clockwise, the front): the y/z swap is a mirror, so each triangle's order is reversed.
struct MeshData {
  std::vector<engine::math::Vector3f> positions;
  std::vector<engine::math::Vector3f> normals;
  std::vector<engine::math::Vector2f> texCoords;  // empty when the primitive has none
  // Display values (as the materials' colours are written), alpha as it is; empty when
  // the primitive has no COLOR_0.
  std::vector<std::array<float, 4>> colours;
  std::vector<std::uint32_t> indices;
};

// Converts `primitive`, keeping texture coordinate set `texCoordSet` (the one its
// material's texture names; 0 when it has none). What the engine's mesh cannot hold
// (points and lines, morph targets, further texture sets and colour sets, skin weights,
// compressed data) is noted under `label` ("mesh 'Box' primitive 0"); returns false
// when nothing of the primitive is kept. Broken data raises GltfError. A primitive
// without normals gets flat ones, as glTF asks, on vertices of its own per triangle.
bool ConvertPrimitive(const tinygltf::Model& model, const tinygltf::Primitive& primitive, int texCoordSet,
                      const std::string& label, Notes& notes, MeshData* out);

// The vertices and indices of the mesh file ConvertPrimitive makes of `primitive`, from the
// accessors' counts alone, so that a budget can be checked before anything is read or
// made; without back faces. Zero where it keeps nothing, or where a count is broken
// (which reading it then reports).
struct MeshSize {
  std::uint64_t vertices = 0, indices = 0;
};
MeshSize PredictedSize(const tinygltf::Model& model, const tinygltf::Primitive& primitive);

// Adds a back to every triangle: a copy turned the other way round on vertices of its own
// with reversed normals, so that a surface glTF calls double-sided shows, and is lit,
// from behind as well under the engine's back-face culling.
void AddBackFaces(MeshData& mesh);

// The .nbl file image of `mesh`.
std::string EncodeMesh(const MeshData& mesh);

// A mesh of one triangle shrunk to a point: drawn with the scene only to bring in a
// material (the post-processing chain's trigger).
MeshData PointTriangle();

}  // namespace gltf2demo
