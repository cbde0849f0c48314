#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/math/vector.h"

namespace meshgen {

using engine::math::Vector2f;
using engine::math::Vector3f;

// A triangle list being put together: the three streams the engine reads from a .nbl
// file, kept in step (one normal and one texture coordinate per position), and 32-bit
// indices. Triangles are counter-clockwise seen from the side their normal points to.
struct Mesh {
  std::vector<Vector3f> positions;
  std::vector<Vector3f> normals;
  std::vector<Vector2f> texCoords;
  std::vector<std::uint32_t> indices;

  std::uint32_t AddVertex(const Vector3f& position, const Vector3f& normal, const Vector2f& texCoord);
  void AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c);

  // A flat convex polygon with its own vertices and the face normal, fanned from the
  // first corner. `corners` may come in either turning order: the polygon is turned to
  // face away from `inside`, a point behind it, which is how the solids here say which
  // side is out. `uvs` runs parallel to `corners`.
  void AddFlatPolygon(std::vector<Vector3f> corners, std::vector<Vector2f> uvs, const Vector3f& inside);

  // Appends `other`, its indices shifted past the vertices already here.
  void Append(const Mesh& other);

  std::size_t VertexCount() const { return positions.size(); }
};

// Unit length; a zero vector stays zero.
Vector3f Normalized(Vector3f v);

// The same triangles with three vertices of their own each, in order: vertex 3k+j is
// corner j of triangle k, so a per-vertex value given in threes is a per-triangle value.
Mesh Unwelded(const Mesh& mesh);

// Writes the mesh as a .nbl file (header, positions, normals, texture coordinates,
// 32-bit indices); false when the file cannot be written.
bool SaveNBL(const Mesh& mesh, const std::string& path);

}  // namespace meshgen
