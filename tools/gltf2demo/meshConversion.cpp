#include "tools/gltf2demo/meshConversion.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "tools/gltf2demo/accessors.h"
#include "tools/gltf2demo/gltfError.h"
#include "tools/gltf2demo/materialText.h"
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

// The attributes read, and why the others are not.
bool NoteAttributes(const tinygltf::Primitive& primitive, const std::string& texCoordName, const std::string& label,
                    Notes& notes) {
  for (const auto& attribute : primitive.attributes) {
    const std::string& name = attribute.first;
    if (name == "POSITION" || name == "NORMAL" || name == texCoordName || name == "COLOR_0") continue;
    if (name.rfind("TEXCOORD_", 0) == 0) {
      notes.LeftOut(label + ": texture coordinate set " + name + " (a mesh file holds one set)");
    } else if (name.rfind("COLOR_", 0) == 0) {
      notes.LeftOut(label + ": vertex colours " + name + " (a mesh file holds one set)");
    } else if (name.rfind("JOINTS_", 0) == 0 || name.rfind("WEIGHTS_", 0) == 0) {
      notes.LeftOut(label + ": skin weights " + name);
    } else if (name == "TANGENT") {
      notes.LeftOut(label + ": tangents");
    } else {
      notes.LeftOut(label + ": attribute " + name);
    }
  }
  if (!primitive.targets.empty()) notes.LeftOut(label + ": morph targets (the mesh keeps its base shape)");
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

bool ConvertPrimitive(const tinygltf::Model& model, const tinygltf::Primitive& primitive, int texCoordSet,
                      const std::string& label, Notes& notes, MeshData* out) {
  const int mode = primitive.mode < 0 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
  if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP && mode != TINYGLTF_MODE_TRIANGLE_FAN) {
    notes.LeftOut(label + ": the whole primitive, made of points or lines (mode " + std::to_string(mode) + ")");
    return false;
  }
  const std::string texCoordName = "TEXCOORD_" + std::to_string(texCoordSet);
  if (!NoteAttributes(primitive, texCoordName, label, notes)) return false;
  const auto attribute = [&](const char* name) {
    const auto found = primitive.attributes.find(name);
    return found == primitive.attributes.end() ? -1 : found->second;
  };
  const int positionAccessor = attribute("POSITION");
  const int normalAccessor = attribute("NORMAL");
  const int texCoordAccessor = attribute(texCoordName.c_str());
  const int colourAccessor = attribute("COLOR_0");

  const std::vector<float> positions = ReadFloats(model, positionAccessor, 3, "positions of " + label);
  const std::size_t vertices = positions.size() / 3;
  std::vector<float> normals, texCoords;
  std::vector<std::array<float, 4>> colours;
  if (normalAccessor >= 0) normals = ReadFloats(model, normalAccessor, 3, "normals of " + label);
  if (texCoordAccessor >= 0) texCoords = ReadFloats(model, texCoordAccessor, 2, "texture coordinates of " + label);
  if (colourAccessor >= 0) colours = ReadColours(model, colourAccessor, label);
  if ((!normals.empty() && normals.size() / 3 != vertices) || (!texCoords.empty() && texCoords.size() / 2 != vertices) ||
      (!colours.empty() && colours.size() != vertices))
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
  if (!normals.empty()) {
    for (std::size_t v = 0; v < vertices; ++v) {
      mesh.positions.push_back(EngineVector(positions, v));
      Vector3f n = EngineVector(normals, v);
      const float length = n.Mag();
      if (length > 0) n = n * (1.0f / length);
      mesh.normals.push_back(n);
      if (!texCoords.empty()) mesh.texCoords.emplace_back(texCoords[2 * v], texCoords[2 * v + 1]);
      if (!colours.empty()) mesh.colours.push_back(colours[v]);
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
        if (!texCoords.empty()) mesh.texCoords.emplace_back(texCoords[2 * corner[k]], texCoords[2 * corner[k] + 1]);
        if (!colours.empty()) mesh.colours.push_back(colours[corner[k]]);
      }
    }
  }
  *out = std::move(mesh);
  return true;
}

MeshSize PredictedSize(const tinygltf::Model& model, const tinygltf::Primitive& primitive) {
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
  // With normals the vertices are the file's own; without, each triangle gets three.
  return {count("NORMAL") > 0 ? positions : 3 * triangles, 3 * triangles};
}

void AddBackFaces(MeshData& mesh) {
  const std::uint32_t vertices = static_cast<std::uint32_t>(mesh.positions.size());
  for (std::uint32_t v = 0; v < vertices; ++v) {
    mesh.positions.push_back(mesh.positions[v]);
    mesh.normals.push_back(mesh.normals[v] * -1.0f);
    if (!mesh.texCoords.empty()) mesh.texCoords.push_back(mesh.texCoords[v]);
    if (!mesh.colours.empty()) mesh.colours.push_back(mesh.colours[v]);
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
  if (!mesh.colours.empty()) writer.Extension().Colours(mesh.colours).End();
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
