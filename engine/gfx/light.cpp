#include "engine/gfx/light.h"

#include "engine/gfx/sceneInfo.h"
#include "engine/math/projection.h"

namespace engine {
namespace gfx {

using math::Matrix4x4;

Light::Light(Spatial* parent_)
    : Node(parent_), splitDistances{0, 0, 0, 0}, nearDistance(0.0f), far(90.0f), lastFrame(-1) {
  for (Matrix4x4& projection : splitProjections) projection = Matrix4x4::Identity;
}

Light::~Light() = default;

Matrix4x4 Light::WorldInverse() { return parentWorldInverse; }

Matrix4x4 Light::Projection() { return math::OrthoLH(1.0f, 1.0f, 0.0f, 1.0f); }

void Light::Update(Renderer* /*renderList*/) {
  RefreshFromParent();
  SceneInfo::Get()->AddLight(this);
}

}  // namespace gfx
}  // namespace engine
