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

// The streams of a .nbl file, kept in step: one normal, and one of each other stream the
// mesh has, per position. Triangles turn as the engine's other meshes do, counter-
// clockwise about their normal by the right-hand rule (which its left-handed view shows
// clockwise, the front): the y/z swap is a mirror, so each triangle's order is reversed.
struct MeshData {
  std::vector<engine::math::Vector3f> positions;
  std::vector<engine::math::Vector3f> normals;
  // glTF's texture coordinate sets 0 (TEXCOORD) and 1 (TEXCOORD1); each empty when the
  // primitive has none or no texture of its material uses it.
  std::vector<engine::math::Vector2f> texCoords;
  std::vector<engine::math::Vector2f> texCoords1;
  // Display values (as the materials' colours are written), alpha as it is; empty when
  // the primitive has no COLOR_0.
  std::vector<std::array<float, 4>> colours;
  // For the normal texture: x, y, z in engine axes and the handedness w, the bitangent
  // being (normal x tangent) w; empty when the material has no normal texture.
  std::vector<std::array<float, 4>> tangents;
  std::vector<std::uint32_t> indices;
};

// What a primitive's mesh file holds beyond positions and normals, from what its material
// samples: the texture coordinate sets its textures are laid on with (0 and 1 are all a
// mesh file holds), and tangents where it has a normal texture.
struct StreamChoice {
  bool set0 = false, set1 = false;
  int normalSet = -1;  // the set the normal texture is laid on with; -1 without one
};

// The choice for glTF material `material` (-1 or one that does not exist: none). A texture's
// set is its texCoord, or its texture transform's where that names one. `label` names the
// material in messages; a negative set raises GltfError.
StreamChoice StreamsFor(const tinygltf::Model& model, int material, const std::string& label);

// Converts `primitive`, keeping the streams `choice` asks for that it has. What the
// engine's mesh cannot hold or the material does not use (points and lines, morph
// targets, texture sets beyond 1 or unused, further colour sets, skin weights, compressed
// data) is noted under `label` ("mesh 'Box' primitive 0"); returns false when nothing of
// the primitive is kept. Broken data raises GltfError. A primitive without normals gets
// flat ones, as glTF asks, on vertices of its own per triangle, and its tangents are made
// rather than read, as glTF also asks. Tangents are made too where a normal texture has
// none in the file.
bool ConvertPrimitive(const tinygltf::Model& model, const tinygltf::Primitive& primitive, const StreamChoice& choice,
                      const std::string& label, Notes& notes, MeshData* out);

// The vertices and indices of the mesh file ConvertPrimitive makes of `primitive`, from the
// accessors' counts alone, so that a budget can be checked before anything is read or
// made; without back faces. Zero where it keeps nothing, or where a count is broken
// (which reading it then reports). `bytesPerVertex` counts the streams the file will hold.
struct MeshSize {
  std::uint64_t vertices = 0, indices = 0;
  std::uint64_t bytesPerVertex = 0;
};
MeshSize PredictedSize(const tinygltf::Model& model, const tinygltf::Primitive& primitive, const StreamChoice& choice);

// Adds a back to every triangle: a copy turned the other way round on vertices of its own
// with reversed normals, so that a surface glTF calls double-sided shows, and is lit,
// from behind as well under the engine's back-face culling. Its tangents keep their
// direction and flip their handedness: the reversed normal would otherwise turn the
// bitangent round, and the normal map would show mirrored on the back.
void AddBackFaces(MeshData& mesh);

// The .nbl file image of `mesh`.
std::string EncodeMesh(const MeshData& mesh);

// A mesh of one triangle shrunk to a point: drawn with the scene only to bring in a
// material (the post-processing chain's trigger).
MeshData PointTriangle();

}  // namespace gltf2demo
