#include "tools/gltf2demo/meshConversion.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "tools/gltf2demo/accessors.h"
#include "tools/gltf2demo/gltfError.h"
#include "tools/gltf2demo/materialText.h"
#include "tools/gltf2demo/tangents.h"
#include "tools/gltf2demo/worldAxes.h"
#include "tools/nbl/nblWriter.h"

namespace gltf2demo {

namespace {

using engine::math::Vector2f;
using engine::math::Vector3f;

Vector3f EngineVector(const std::vector<float>& values, std::size_t element) {
  const Vec3 v = ToEngine(Vec3{values[3 * element], values[3 * element + 1], values[3 * element + 2]});
  return Vector3f(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}

// Whether the primitive keeps texture coordinate set `set`.
bool KeepsSet(const StreamChoice& choice, int set) { return (set == 0 && choice.set0) || (set == 1 && choice.set1); }

// Whether the primitive has the coordinates its material's normal texture is laid on with,
// which is when its mesh file gets tangents, read or made.
bool HasNormalMapCoordinates(const tinygltf::Primitive& primitive, const StreamChoice& choice) {
  return KeepsSet(choice, choice.normalSet) && primitive.attributes.count("TEXCOORD_" + std::to_string(choice.normalSet));
}

// Why a primitive's TANGENT attribute is not read; empty when it is.
std::string TangentsLeftOut(const tinygltf::Primitive& primitive, const StreamChoice& choice) {
  if (choice.normalSet < 0) return "its material has no normal texture";
  if (!HasNormalMapCoordinates(primitive, choice))
    return "its normal texture's coordinates TEXCOORD_" + std::to_string(choice.normalSet) + " are not there";
  if (!primitive.attributes.count("NORMAL")) return "glTF ignores them without normals; they are made from the texture coordinates";
  return "";
}

// The attributes read, and why the others are not.
bool NoteAttributes(const tinygltf::Primitive& primitive, const StreamChoice& choice, const std::string& label,
                    Notes& notes) {
  for (const auto& attribute : primitive.attributes) {
    const std::string& name = attribute.first;
    if (name == "POSITION" || name == "NORMAL" || name == "COLOR_0") continue;
    if ((name == "TEXCOORD_0" && choice.set0) || (name == "TEXCOORD_1" && choice.set1)) continue;
    // Coordinates no texture is laid on with, and tangents without a normal texture, lose
    // nothing that shows (a texture on a set a mesh file cannot hold is said with its
    // material); exporters write them for every mesh, so saying so drowned what matters.
    if (name.rfind("TEXCOORD_", 0) == 0) continue;
    if (name.rfind("COLOR_", 0) == 0) {
      notes.LeftOutOf("vertex colour sets after the first (a mesh file holds one)", label + " " + name);
    } else if (name.rfind("JOINTS_", 0) == 0 || name.rfind("WEIGHTS_", 0) == 0) {
      notes.LeftOutOf(SkinsLeftOut, label + " " + name);
    } else if (name == "TANGENT") {
      const std::string why = choice.normalSet < 0 ? "" : TangentsLeftOut(primitive, choice);
      if (!why.empty()) notes.LeftOut(label + ": tangents (" + why + ")");
    } else {
      notes.LeftOut(label + ": attribute " + name);
    }
  }
  if (!primitive.targets.empty()) notes.LeftOutOf("morph targets (the meshes keep their base shapes)", label);
  if (!primitive.attributes.count("POSITION")) {
    notes.LeftOut(label + ": the whole primitive, which has no positions");
    return false;
  }
  if (primitive.extensions.count("KHR_draco_mesh_compression")) {
    notes.LeftOut(label + ": the whole primitive, whose data is compressed (KHR_draco_mesh_compression)");
    return false;
  }
  return true;
}

// The coordinate set a material's texture is laid on with: its texCoord, unless its
// texture transform names another. A transform's broken texCoord is the base colour
// texture's reader's to report (the others' have none to fall back on): here it leaves the
// texCoord as it is. -1 when there is no texture.
int SetOf(int index, int texCoord, const tinygltf::ExtensionMap& extensions, const std::string& what) {
  if (index < 0) return -1;
  if (texCoord < 0) throw GltfError(what + " texture's coordinate set is negative");
  const auto transform = extensions.find("KHR_texture_transform");
  if (transform != extensions.end() && transform->second.IsObject() && transform->second.Has("texCoord")) {
    const tinygltf::Value& set = transform->second.Get("texCoord");
    const double value = set.IsNumber() ? set.GetNumberAsDouble() : -1;
    if (value >= 0 && value <= 64 && value == std::floor(value)) return static_cast<int>(value);
  }
  return texCoord;
}

// COLOR_0 as display values, four a vertex (alpha 1 where it has three).
std::vector<std::array<float, 4>> ReadColours(const tinygltf::Model& model, int accessor, const std::string& label) {
  const int components = ComponentsOf(model, accessor) == 3 ? 3 : 4;
  const std::vector<float> values = ReadFloats(model, accessor, components, "vertex colours of " + label);
  std::vector<std::array<float, 4>> colours(values.size() / static_cast<std::size_t>(components));
  for (std::size_t v = 0; v < colours.size(); ++v) {
    const float* c = &values[v * static_cast<std::size_t>(components)];
    colours[v] = {static_cast<float>(DisplayValue(c[0])), static_cast<float>(DisplayValue(c[1])),
                  static_cast<float>(DisplayValue(c[2])), components == 4 ? std::fmin(std::fmax(c[3], 0.0f), 1.0f) : 1.0f};
  }
  return colours;
}

// Triangles as corner triples of the primitive's vertex numbering, glTF's turning order.
std::vector<std::uint32_t> Triangles(const std::vector<std::uint32_t>& corners, int mode, const std::string& label) {
  std::vector<std::uint32_t> out;
  const std::size_t n = corners.size();
  if (mode == TINYGLTF_MODE_TRIANGLES) {
    if (n % 3 != 0) throw GltfError(label + ": " + std::to_string(n) + " indices do not make whole triangles");
    return corners;
  }
  if (n < 3) return out;
  out.reserve(3 * (n - 2));
  for (std::size_t i = 0; i + 2 < n; ++i) {
    if (mode == TINYGLTF_MODE_TRIANGLE_FAN) {
      out.insert(out.end(), {corners[0], corners[i + 1], corners[i + 2]});
    } else if (i % 2 == 0) {
      out.insert(out.end(), {corners[i], corners[i + 1], corners[i + 2]});
    } else {
      out.insert(out.end(), {corners[i + 1], corners[i], corners[i + 2]});
    }
  }
  return out;
}

}  // namespace

StreamChoice StreamsFor(const tinygltf::Model& model, int material, const std::string& label) {
  StreamChoice choice;
  if (material < 0 || static_cast<std::size_t>(material) >= model.materials.size()) return choice;
  const tinygltf::Material& m = model.materials[static_cast<std::size_t>(material)];
  const tinygltf::PbrMetallicRoughness& pbr = m.pbrMetallicRoughness;
  const std::string its = label + ": its ";
  choice.normalSet = SetOf(m.normalTexture.index, m.normalTexture.texCoord, m.normalTexture.extensions, its + "normal");
  const int sets[] = {
      choice.normalSet,
      SetOf(pbr.baseColorTexture.index, pbr.baseColorTexture.texCoord, pbr.baseColorTexture.extensions, its + "base colour"),
      SetOf(pbr.metallicRoughnessTexture.index, pbr.metallicRoughnessTexture.texCoord,
            pbr.metallicRoughnessTexture.extensions, its + "metallic-roughness"),
      SetOf(m.occlusionTexture.index, m.occlusionTexture.texCoord, m.occlusionTexture.extensions, its + "occlusion"),
      SetOf(m.emissiveTexture.index, m.emissiveTexture.texCoord, m.emissiveTexture.extensions, its + "emissive"),
  };
  for (int set : sets) {
    choice.set0 = choice.set0 || set == 0;
    choice.set1 = choice.set1 || set == 1;
  }
  return choice;
}

bool ConvertPrimitive(const tinygltf::Model& model, const tinygltf::Primitive& primitive, const StreamChoice& choice,
                      const std::string& label, Notes& notes, MeshData* out) {
  const int mode = primitive.mode < 0 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
  if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP && mode != TINYGLTF_MODE_TRIANGLE_FAN) {
    notes.LeftOutOf("points and lines (the engine draws triangles)", label + " (mode " + std::to_string(mode) + ")");
    return false;
  }
  if (!NoteAttributes(primitive, choice, label, notes)) return false;
  const auto attribute = [&](const char* name) {
    const auto found = primitive.attributes.find(name);
    return found == primitive.attributes.end() ? -1 : found->second;
  };
  const int positionAccessor = attribute("POSITION");
  const int normalAccessor = attribute("NORMAL");
  const int texCoordAccessor = choice.set0 ? attribute("TEXCOORD_0") : -1;
  const int texCoord1Accessor = choice.set1 ? attribute("TEXCOORD_1") : -1;
  const int colourAccessor = attribute("COLOR_0");
  const bool withTangents = HasNormalMapCoordinates(primitive, choice);
  const int tangentAccessor = TangentsLeftOut(primitive, choice).empty() ? attribute("TANGENT") : -1;

  const std::vector<float> positions = ReadFloats(model, positionAccessor, 3, "positions of " + label);
  const std::size_t vertices = positions.size() / 3;
  std::vector<float> normals, texCoords, texCoords1, tangents;
  std::vector<std::array<float, 4>> colours;
  if (normalAccessor >= 0) normals = ReadFloats(model, normalAccessor, 3, "normals of " + label);
  if (texCoordAccessor >= 0) texCoords = ReadFloats(model, texCoordAccessor, 2, "texture coordinates of " + label);
  if (texCoord1Accessor >= 0)
    texCoords1 = ReadFloats(model, texCoord1Accessor, 2, "texture coordinates TEXCOORD_1 of " + label);
  if (colourAccessor >= 0) colours = ReadColours(model, colourAccessor, label);
  if (tangentAccessor >= 0) tangents = ReadFloats(model, tangentAccessor, 4, "tangents of " + label);
  if ((!normals.empty() && normals.size() / 3 != vertices) || (!texCoords.empty() && texCoords.size() / 2 != vertices) ||
      (!texCoords1.empty() && texCoords1.size() / 2 != vertices) || (!colours.empty() && colours.size() != vertices) ||
      (!tangents.empty() && tangents.size() / 4 != vertices))
    throw GltfError(label + ": its attributes have different vertex counts");

  std::vector<std::uint32_t> corners;
  if (primitive.indices >= 0) {
    corners = ReadIndices(model, primitive.indices, "indices of " + label);
    for (std::size_t i = 0; i < corners.size(); ++i) {
      if (corners[i] >= vertices)
        throw GltfError(label + ": index " + std::to_string(i) + " is " + std::to_string(corners[i]) + ", but there are " +
                        std::to_string(vertices) + " vertices");
    }
  } else {
    corners.resize(vertices);
    for (std::size_t i = 0; i < vertices; ++i) corners[i] = static_cast<std::uint32_t>(i);
  }
  const std::vector<std::uint32_t> triangles = Triangles(corners, mode, label);
  if (triangles.empty()) {
    notes.LeftOut(label + ": the whole primitive, which has no triangles");
    return false;
  }
  // A mesh file's chunk lengths are 32-bit.
  const std::size_t most = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / 16 - 1);
  if (triangles.size() > most || vertices > most) throw GltfError(label + ": too large for a mesh file");

  MeshData mesh;
  // Every stream but positions, normals and tangents, for vertex `v` of the primitive.
  const auto copyAttributes = [&](std::size_t v) {
    if (!texCoords.empty()) mesh.texCoords.emplace_back(texCoords[2 * v], texCoords[2 * v + 1]);
    if (!texCoords1.empty()) mesh.texCoords1.emplace_back(texCoords1[2 * v], texCoords1[2 * v + 1]);
    if (!colours.empty()) mesh.colours.push_back(colours[v]);
  };
  if (!normals.empty()) {
    for (std::size_t v = 0; v < vertices; ++v) {
      mesh.positions.push_back(EngineVector(positions, v));
      Vector3f n = EngineVector(normals, v);
      const float length = n.Mag();
      if (length > 0) n = n * (1.0f / length);
      mesh.normals.push_back(n);
      if (!tangents.empty()) mesh.tangents.push_back(EngineTangent(&tangents[4 * v], n));
      copyAttributes(v);
    }
    for (std::size_t t = 0; t < triangles.size(); t += 3)
      mesh.indices.insert(mesh.indices.end(), {triangles[t], triangles[t + 2], triangles[t + 1]});
  } else {
    for (std::size_t t = 0; t < triangles.size(); t += 3) {
      const std::uint32_t corner[3] = {triangles[t], triangles[t + 2], triangles[t + 1]};
      Vector3f p[3];
      for (int k = 0; k < 3; ++k) p[k] = EngineVector(positions, corner[k]);
      Vector3f n = (p[1] - p[0]) ^ (p[2] - p[0]);
      const float length = n.Mag();
      n = length > 0 ? n * (1.0f / length) : Vector3f(0, 0, 1);
      for (int k = 0; k < 3; ++k) {
        mesh.indices.push_back(static_cast<std::uint32_t>(mesh.positions.size()));
        mesh.positions.push_back(p[k]);
        mesh.normals.push_back(n);
        copyAttributes(corner[k]);
      }
    }
  }
  if (withTangents && mesh.tangents.empty())
    mesh.tangents = GenerateTangents(mesh.positions, mesh.normals, choice.normalSet == 0 ? mesh.texCoords : mesh.texCoords1,
                                     mesh.indices);
  *out = std::move(mesh);
  return true;
}

MeshSize PredictedSize(const tinygltf::Model& model, const tinygltf::Primitive& primitive, const StreamChoice& choice) {
  const int mode = primitive.mode < 0 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
  // Counts are capped far beyond any budget, so that the sizes made of them cannot wrap.
  constexpr std::uint64_t cap = std::uint64_t{1} << 40;
  const auto countOf = [&](int accessor) -> std::uint64_t {
    if (accessor < 0 || static_cast<std::size_t>(accessor) >= model.accessors.size()) return 0;
    return std::min<std::uint64_t>(model.accessors[static_cast<std::size_t>(accessor)].count, cap);
  };
  const auto count = [&](const char* name) -> std::uint64_t {
    const auto found = primitive.attributes.find(name);
    return found == primitive.attributes.end() ? 0 : countOf(found->second);
  };
  const std::uint64_t positions = count("POSITION");
  if ((mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP && mode != TINYGLTF_MODE_TRIANGLE_FAN) ||
      positions == 0 || primitive.extensions.count("KHR_draco_mesh_compression"))
    return {};
  const std::uint64_t corners = primitive.indices >= 0 ? countOf(primitive.indices) : positions;
  const std::uint64_t triangles = mode == TINYGLTF_MODE_TRIANGLES ? corners / 3 : corners >= 3 ? corners - 2 : 0;
  if (triangles == 0) return {};
  // Positions and normals always; the rest as ConvertPrimitive keeps them. Tangents are
  // there whenever the normal texture's coordinates are, read or made.
  const bool set0 = choice.set0 && count("TEXCOORD_0") > 0, set1 = choice.set1 && count("TEXCOORD_1") > 0;
  const bool tangents = (choice.normalSet == 0 && set0) || (choice.normalSet == 1 && set1);
  const std::uint64_t bytesPerVertex =
      24 + (set0 ? 8 : 0) + (set1 ? 8 : 0) + (count("COLOR_0") > 0 ? 16 : 0) + (tangents ? 16 : 0);
  // With normals the vertices are the file's own; without, each triangle gets three.
  return {count("NORMAL") > 0 ? positions : 3 * triangles, 3 * triangles, bytesPerVertex};
}

void AddBackFaces(MeshData& mesh) {
  const std::uint32_t vertices = static_cast<std::uint32_t>(mesh.positions.size());
  for (std::uint32_t v = 0; v < vertices; ++v) {
    mesh.positions.push_back(mesh.positions[v]);
    mesh.normals.push_back(mesh.normals[v] * -1.0f);
    if (!mesh.texCoords.empty()) mesh.texCoords.push_back(mesh.texCoords[v]);
    if (!mesh.texCoords1.empty()) mesh.texCoords1.push_back(mesh.texCoords1[v]);
    if (!mesh.colours.empty()) mesh.colours.push_back(mesh.colours[v]);
    if (!mesh.tangents.empty()) {
      const std::array<float, 4> t = mesh.tangents[v];
      mesh.tangents.push_back({t[0], t[1], t[2], -t[3]});
    }
  }
  const std::size_t indices = mesh.indices.size();
  for (std::size_t t = 0; t < indices; t += 3)
    mesh.indices.insert(mesh.indices.end(), {mesh.indices[t] + vertices, mesh.indices[t + 2] + vertices, mesh.indices[t + 1] + vertices});
}

std::string EncodeMesh(const MeshData& mesh) {
  nbl::Writer writer;
  writer.Header().Positions(mesh.positions).Normals(mesh.normals);
  if (!mesh.texCoords.empty()) writer.TexCoords(mesh.texCoords);
  writer.Indices(mesh.indices, 4).End();
  // What the base format has no chunk for goes behind its end marker.
  if (mesh.colours.empty() && mesh.tangents.empty() && mesh.texCoords1.empty()) return writer.Bytes();
  writer.Extension();
  if (!mesh.colours.empty()) writer.Colours(mesh.colours);
  if (!mesh.tangents.empty()) writer.Tangents(mesh.tangents);
  if (!mesh.texCoords1.empty()) writer.SecondTexCoords(mesh.texCoords1);
  writer.End();
  return writer.Bytes();
}

MeshData PointTriangle() {
  MeshData mesh;
  for (std::uint32_t i = 0; i < 3; ++i) {
    mesh.positions.emplace_back(0.0f, 0.0f, 0.0f);
    mesh.normals.emplace_back(0.0f, 0.0f, 1.0f);
    mesh.indices.push_back(i);
  }
  return mesh;
}

}  // namespace gltf2demo
