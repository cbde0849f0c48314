#include "tools/meshgen/meshBuilder.h"

#include <cmath>
#include <utility>

#include "tools/nbl/nblWriter.h"

namespace meshgen {

Vector3f Normalized(Vector3f v) {
  const float length = v.Mag();
  return length > 0.0f ? v * (1.0f / length) : v;
}

std::uint32_t Mesh::AddVertex(const Vector3f& position, const Vector3f& normal, const Vector2f& texCoord) {
  positions.push_back(position);
  normals.push_back(normal);
  texCoords.push_back(texCoord);
  return static_cast<std::uint32_t>(positions.size() - 1);
}

void Mesh::AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  indices.push_back(a);
  indices.push_back(b);
  indices.push_back(c);
}

void Mesh::AddFlatPolygon(std::vector<Vector3f> corners, std::vector<Vector2f> uvs, const Vector3f& inside) {
  // Newell's sum rather than one cross product, so a corner that happens to be nearly
  // collinear with its neighbours cannot flip or zero the normal.
  Vector3f normal;
  for (std::size_t k = 0; k < corners.size(); ++k) {
    const Vector3f& p = corners[k];
    const Vector3f& q = corners[(k + 1) % corners.size()];
    normal += Vector3f((p.y - q.y) * (p.z + q.z), (p.z - q.z) * (p.x + q.x), (p.x - q.x) * (p.y + q.y));
  }
  if (normal * (corners[0] - inside) < 0.0f) {
    normal = -normal;
    for (std::size_t k = 1; k < (corners.size() + 1) / 2; ++k) {
      std::swap(corners[k], corners[corners.size() - k]);
      std::swap(uvs[k], uvs[uvs.size() - k]);
    }
  }
  normal = Normalized(normal);
  const std::uint32_t first = static_cast<std::uint32_t>(positions.size());
  for (std::size_t k = 0; k < corners.size(); ++k) AddVertex(corners[k], normal, uvs[k]);
  for (std::uint32_t k = 1; k + 1 < corners.size(); ++k) AddTriangle(first, first + k, first + k + 1);
}

void Mesh::Append(const Mesh& other) {
  const auto offset = static_cast<std::uint32_t>(positions.size());
  positions.insert(positions.end(), other.positions.begin(), other.positions.end());
  normals.insert(normals.end(), other.normals.begin(), other.normals.end());
  texCoords.insert(texCoords.end(), other.texCoords.begin(), other.texCoords.end());
  for (std::uint32_t i : other.indices) indices.push_back(i + offset);
}

Mesh Unwelded(const Mesh& mesh) {
  Mesh out;
  for (std::uint32_t i : mesh.indices) {
    const std::uint32_t v = out.AddVertex(mesh.positions[i], mesh.normals[i], mesh.texCoords[i]);
    out.indices.push_back(v);
  }
  return out;
}

bool SaveNBL(const Mesh& mesh, const std::string& path) {
  return nbl::Writer()
      .Header()
      .Positions(mesh.positions)
      .Normals(mesh.normals)
      .TexCoords(mesh.texCoords)
      .Indices(mesh.indices)
      .End()
      .Save(path);
}

}  // namespace meshgen
