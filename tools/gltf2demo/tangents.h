#pragma once

// Tangents for normal maps, in engine axes, as the mesh files carry them: x, y, z and a
// handedness w (+1 or -1) such that the bitangent is (normal x tangent) w. That bitangent
// points up the normal map's picture, the way glTF lays normal maps out: its texture
// coordinates run down the picture, so it points along -dP/dv.

#include <array>
#include <cstdint>
#include <vector>

#include "engine/math/vector.h"

namespace gltf2demo {

using Tangent = std::array<float, 4>;

// A glTF TANGENT element (glTF axes) in engine axes, beside its vertex's engine normal. The
// y/z swap between the frames is a mirror: it turns every cross product round, so the
// handedness flips with it. The direction is made unit and perpendicular to the normal;
// one that is zero or along the normal becomes some unit vector perpendicular to it.
Tangent EngineTangent(const float glTF[4], const engine::math::Vector3f& normal);

// Tangents for a triangle list that has none, from its positions, its unit normals and
// the texture coordinates the normal map is laid on with (glTF's, running down the
// picture): each triangle's direction of growing u, weighted by its area, summed at its
// corners, then made perpendicular to each vertex's normal, with the handedness from the
// summed direction of growing v. Triangles whose coordinates span no area give nothing; a
// vertex left with nothing gets some unit vector perpendicular to its normal. Never NaN.
std::vector<Tangent> GenerateTangents(const std::vector<engine::math::Vector3f>& positions,
                                      const std::vector<engine::math::Vector3f>& normals,
                                      const std::vector<engine::math::Vector2f>& texCoords,
                                      const std::vector<std::uint32_t>& indices);

}  // namespace gltf2demo
