#pragma once

#include <string>

#include "engine/api.h"
#include "engine/gfx/spatial.h"
#include "engine/math/plane.h"

namespace engine {
namespace gfx {

class Camera;

// What a camera reports to the scene information each frame. Nothing computes the
// frustum planes; they stay default-constructed.
struct CameraRecord {
  math::Plane3f planes[6];
  math::Vector3f position;
  Camera* camera = nullptr;  // null until some camera has reported
};

// A named viewpoint. Its cached matrices hold, after each walk, its own world matrix and
// inverse rather than its parent's, and it reports itself to SceneInfo every frame.
class ENGINE_API Camera : public Node {
 public:
  Camera(Spatial* parent, const std::wstring& name);
  ~Camera() override;

  math::Matrix4x4 World() override;
  math::Matrix4x4 WorldInverse() override;
  void Update(Renderer* renderList) override;

  std::wstring Name() const { return name; }

 private:
  std::wstring name;
};

// A stand-in whose matrices are always those of the scene's current camera, so effects
// can bind "the camera" before any particular one is known. Identity while no camera
// has reported.
class ENGINE_API ActiveCamera : public Node {
 public:
  ActiveCamera();

  math::Matrix4x4 World() override;
  math::Matrix4x4 WorldInverse() override;
};

}  // namespace gfx
}  // namespace engine
