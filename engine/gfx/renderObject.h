#pragma once

#include <boost/shared_ptr.hpp>
#include <cstdint>

#include "engine/math/matrix.h"
#include "engine/math/vector.h"
#include "platform/d3d10.h"

namespace engine {
namespace gfx {

class Effect;

// One drawable: the buffers and counts a GPU mesh fills, the matrices its geometry node
// fills, and the effect whose passes draw it. Render objects of quads are submitted
// straight from their mesh, so their matrices stay identity.
struct RenderObject {
  std::uint32_t vertexCount = 0;
  std::uint32_t triangleCount = 0;  // the draw reads three indices per triangle
  ID3D10Buffer* vertexBuffer = nullptr;
  ID3D10Buffer* indexBuffer = nullptr;
  boost::shared_ptr<Effect> effect;
  int passIndex = 0;  // the effect's shader being drawn; set by the renderer before each use
  math::Vector3f unused;
  D3D10_PRIMITIVE_TOPOLOGY topology = D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST;
  math::Matrix4x4 world = math::Matrix4x4::Identity;
  math::Matrix4x4 previousWorld = math::Matrix4x4::Identity;  // the world of the previous frame
  math::Matrix4x4 worldInverse = math::Matrix4x4::Identity;   // transpose of the inverse of world
  std::uint32_t vertexStride = 0;
  std::uint32_t startIndex = 0;
  bool indices32 = false;  // false: 16-bit indices
};

}  // namespace gfx
}  // namespace engine
