#include "tools/gltf2demo/meshCache.h"

#include <tiny_gltf.h>

#include <array>
#include <utility>

#include "tools/gltf2demo/gltfError.h"
#include "tools/gltf2demo/meshConversion.h"

namespace gltf2demo {

namespace {

// A mesh file's chunk lengths are 32-bit.
constexpr std::size_t MostVertices = 0x7fffffff / 16 - 1;

constexpr std::uint64_t BytesPerIndex = 4;

}  // namespace

const std::vector<ConvertedPrimitive>& MeshCache::Mesh(int index, bool mirrored) {
  const auto found = meshes.find({index, mirrored});
  if (found != meshes.end()) return found->second;
  return meshes.emplace(std::make_pair(index, mirrored), Convert(index, mirrored)).first->second;
}

std::vector<ConvertedPrimitive> MeshCache::Convert(int index, bool mirrored) {
  const tinygltf::Mesh& mesh = model.meshes[static_cast<std::size_t>(index)];
  const std::string meshLabel = "mesh '" + (mesh.name.empty() ? std::to_string(index) : mesh.name) + "'";
  std::vector<ConvertedPrimitive> kept;
  for (std::size_t p = 0; p < mesh.primitives.size(); ++p) {
    const tinygltf::Primitive& primitive = mesh.primitives[p];
    ConvertedPrimitive converted;
    converted.index = p;
    converted.label = mesh.primitives.size() > 1 ? meshLabel + " primitive " + std::to_string(p) : meshLabel;
    converted.material = primitive.material;
    const bool known = primitive.material >= 0 && static_cast<std::size_t>(primitive.material) < model.materials.size();
    const bool doubleSided = known && model.materials[static_cast<std::size_t>(primitive.material)].doubleSided;
    StreamChoice streams;
    if (known) {
      const std::string& name = model.materials[static_cast<std::size_t>(primitive.material)].name;
      const std::string materialLabel = "material '" + (name.empty() ? std::to_string(primitive.material) : name) + "'";
      converted.look.texture = textures.BaseColour(primitive.material, materialLabel);
      streams = StreamsFor(model, primitive.material, materialLabel);
    }
    SurfaceLook& look = converted.look;

    // Refused before anything is read: the counts are the file's word, not its data.
    const MeshSize size = PredictedSize(model, primitive, streams);
    const std::uint64_t sides = doubleSided ? 2 : 1;
    budget.CheckVertices(sides * size.vertices, converted.label);
    budget.CheckBytes(sides * (size.vertices * size.bytesPerVertex + size.indices * BytesPerIndex), converted.label);

    MeshData data;
    if (!ConvertPrimitive(model, primitive, streams, converted.label, notes, &data)) continue;
    // The base colour texture's transform is made on its own set's coordinates. (Tangents
    // were made before it, from the coordinates as the file gives them, as glTF's are.)
    std::vector<engine::math::Vector2f>* baseCoordinates =
        !look.texture ? nullptr
        : look.texture->texCoord == 0 ? &data.texCoords
        : look.texture->texCoord == 1 ? &data.texCoords1
                                       : nullptr;
    if (baseCoordinates) {
      const std::array<double, 6>& m = look.texture->uv;
      for (auto& t : *baseCoordinates) {
        const double u = t.x, v = t.y;
        t.x = static_cast<float>(m[0] * u + m[1] * v + m[2]);
        t.y = static_cast<float>(m[3] * u + m[4] * v + m[5]);
      }
    }
    if (look.texture && (!baseCoordinates || baseCoordinates->empty())) {
      notes.LeftOut(converted.label + ": its material's texture, since it has no texture coordinates TEXCOORD_" +
                    std::to_string(look.texture->texCoord));
      look.texture.reset();
    }
    look.coloured = !data.colours.empty();
    look.firstUV = !data.texCoords.empty();
    look.tangents = !data.tangents.empty();
    look.secondUV = !data.texCoords1.empty();
    if (positionScale != 1) {
      const float s = static_cast<float>(positionScale);
      for (auto& position : data.positions) position = position * s;
    }
    if (doubleSided) {
      if (2 * data.positions.size() > MostVertices)
        throw GltfError(converted.label + ": too large for a mesh file with its back faces");
      AddBackFaces(data);
    }
    if (mirrored) {
      for (std::size_t t = 0; t + 2 < data.indices.size(); t += 3) std::swap(data.indices[t + 1], data.indices[t + 2]);
      for (auto& tangent : data.tangents) tangent[3] = -tangent[3];
    }
    budget.SpendVertices(data.positions.size(), converted.label);
    converted.bytes = std::make_shared<const std::string>(EncodeMesh(data));
    converted.positions = std::move(data.positions);
    kept.push_back(std::move(converted));
  }
  return kept;
}

}  // namespace gltf2demo
