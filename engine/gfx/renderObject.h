#pragma once

#include <boost/shared_ptr.hpp>
#include <cstdint>

#include "engine/math/matrix.h"
#include "engine/math/vector.h"
#include "platform/d3d10.h"

namespace engine {
namespace gfx {

class Effect;

// The renderer's frame that last took an object. A second submission of the very same
// object in that frame is dropped, so the object draws once. A copy is a new object (a
// mesh hands every geometry node a copy of its own), so copying does not carry the stamp.
struct SubmissionStamp {
  std::uint64_t frame = 0;  // 0: never submitted; frames count from 1

  SubmissionStamp() = default;
  SubmissionStamp(const SubmissionStamp&) {}
  SubmissionStamp& operator=(const SubmissionStamp&) { return *this; }
};

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
  SubmissionStamp submitted;  // which of the renderer's frames last took this object
};

}  // namespace gfx
}  // namespace engine
