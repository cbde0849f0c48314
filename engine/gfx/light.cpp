#include "engine/gfx/light.h"

#include "engine/gfx/sceneInfo.h"

namespace engine {
namespace gfx {

using math::Matrix4x4;

Light::Light(Spatial* parent_)
    : Node(parent_), splitDistances{0, 0, 0, 0}, nearDistance(0.0f), far(90.0f), lastFrame(-1) {
  for (Matrix4x4& projection : splitProjections) projection = Matrix4x4::Identity;
}

Light::~Light() = default;

Matrix4x4 Light::WorldInverse() { return parentWorldInverse; }

Matrix4x4 Light::Projection() {
  return Matrix4x4(2, 0, 0, 0,  //
                   0, 2, 0, 0,  //
                   0, 0, 1, 0,  //
                   0, 0, 0, 1);
}

void Light::Update(Renderer* /*renderList*/) {
  RefreshFromParent();
  SceneInfo::Get()->AddLight(this);
}

}  // namespace gfx
}  // namespace engine
