#include "tools/gltf2demo/tangents.h"

#include <cmath>

#include "tools/gltf2demo/worldAxes.h"

namespace gltf2demo {

namespace {

using engine::math::Vector2f;
using engine::math::Vector3f;

bool Finite(const Vector3f& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// `direction` without its part along the unit `normal`, made unit. Where nothing is left
// (a zero direction, one along the normal, non-finite data) the axis least along the normal
// takes its place, so that the result is always a finite unit vector.
Vector3f PerpendicularUnit(const Vector3f& direction, const Vector3f& normal) {
  const Vector3f n = Finite(normal) ? normal : Vector3f(0, 0, 0);
  const auto project = [&](const Vector3f& d) { return d - n * (n * d); };
  Vector3f t = project(direction);
  float length = t.Mag();
  if (!(length > 1e-6f) || !std::isfinite(length)) {
    const float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    const Vector3f axis = ax <= ay && ax <= az ? Vector3f(1, 0, 0) : ay <= az ? Vector3f(0, 1, 0) : Vector3f(0, 0, 1);
    t = project(axis);
    length = t.Mag();
    if (!(length > 1e-6f) || !std::isfinite(length)) return Vector3f(1, 0, 0);
  }
  return t * (1.0f / length);
}

Vector3f Unit(const Vector3f& v) {
  const float length = v.Mag();
  return length > 0 && std::isfinite(length) ? v * (1.0f / length) : Vector3f(0, 0, 0);
}

}  // namespace

Tangent EngineTangent(const float glTF[4], const Vector3f& normal) {
  const Vec3 v = ToEngine(Vec3{glTF[0], glTF[1], glTF[2]});
  const Vector3f t = PerpendicularUnit(
      Vector3f(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])), normal);
  return {t.x, t.y, t.z, glTF[3] < 0 ? 1.0f : -1.0f};
}

std::vector<Tangent> GenerateTangents(const std::vector<Vector3f>& positions, const std::vector<Vector3f>& normals,
                                      const std::vector<Vector2f>& texCoords, const std::vector<std::uint32_t>& indices) {
  const std::size_t vertices = positions.size();
  // Streams out of step give every vertex the fallback rather than a read past their end.
  const bool inStep = texCoords.size() == vertices && normals.size() == vertices;
  std::vector<Vector3f> alongU(vertices, Vector3f(0, 0, 0)), alongV(vertices, Vector3f(0, 0, 0));
  for (std::size_t k = 0; inStep && k + 2 < indices.size(); k += 3) {
    const std::uint32_t i[3] = {indices[k], indices[k + 1], indices[k + 2]};
    if (i[0] >= vertices || i[1] >= vertices || i[2] >= vertices) continue;
    const Vector3f e1 = positions[i[1]] - positions[i[0]], e2 = positions[i[2]] - positions[i[0]];
    const Vector2f d1 = texCoords[i[1]] - texCoords[i[0]], d2 = texCoords[i[2]] - texCoords[i[0]];
    const float det = d1.x * d2.y - d2.x * d1.y;
    if (!(std::fabs(det) > 1e-12f)) continue;  // no area in the picture (or NaN): no direction
    // The position's derivatives along u and v over the triangle, made unit so that a tiny
    // patch of the picture does not outweigh its neighbours, then weighted by the area.
    const float area = (e1 ^ e2).Mag();
    const Vector3f u = Unit((e1 * d2.y - e2 * d1.y) * (1.0f / det)) * area;
    const Vector3f v = Unit((e2 * d1.x - e1 * d2.x) * (1.0f / det)) * area;
    if (!Finite(u) || !Finite(v)) continue;
    for (std::uint32_t corner : i) {
      alongU[corner] += u;
      alongV[corner] += v;
    }
  }
  std::vector<Tangent> tangents(vertices);
  for (std::size_t v = 0; v < vertices; ++v) {
    const Vector3f n = v < normals.size() ? normals[v] : Vector3f(0, 0, 0);
    const Vector3f t = PerpendicularUnit(alongU[v], n);
    // glTF's bitangent points up the picture, against growing v.
    const float up = (n ^ t) * (alongV[v] * -1.0f);
    tangents[v] = {t.x, t.y, t.z, up < 0 ? -1.0f : 1.0f};
  }
  return tangents;
}

}  // namespace gltf2demo
