#pragma once

#include "engine/api.h"
#include "engine/gfx/spatial.h"

namespace engine {
namespace gfx {

// A directional, shadow-casting light. It registers with SceneInfo on every walk; its
// view matrix is its parent's world inverse. The cascade fields are filled when a shader
// asks for them.
class ENGINE_API Light : public Node {
 public:
  explicit Light(Spatial* parent);
  ~Light() override;

  math::Matrix4x4 WorldInverse() override;
  // A 1 x 1 orthographic volume from depth 0 to 1.
  math::Matrix4x4 Projection() override;
  // Refreshes the cached parent matrices and registers; children are not walked.
  void Update(Renderer* renderList) override;
  // "SplitProjection": the three crop projections, recomputed at most once per frame,
  // and again when the clock was placed elsewhere within a frame (a seek while paused
  // moves the camera without a new frame) (192 bytes). "SplitPlanes": the distances d1 to d3 of the last recomputation (12).
  std::pair<void*, int> GetCustomData(const std::wstring& semantic) override;
  // Splits the camera's range between the near plane and `far` into three cascades and
  // fits a crop projection around each slice, as seen from the light.
  void ComputeSplits();

  math::Matrix4x4 splitProjections[3];  // transposed for shader upload, one per cascade
  float splitDistances[4];              // view-space d0 (near) to d3 (far); 0
  float nearDistance;                   // the window's near plane at the last recomputation; 0
  float far;                            // 90: far end of the shadowed range; the program may set it
  int lastFrame;                        // -1: the clock's frame count at the last recomputation
  double lastTime;                      // -1: the clock's time at the last recomputation
};

}  // namespace gfx
}  // namespace engine
