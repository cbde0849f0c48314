#include "engine/gfx/light.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/core/Window.h"
#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/core/timer.h"
#include "engine/gfx/sceneInfo.h"
#include "engine/math/projection.h"

namespace engine {
namespace gfx {

using math::Matrix4x4;

Light::Light(Spatial* parent_)
    : Node(parent_), splitDistances{0, 0, 0, 0}, nearDistance(0.0f), far(90.0f), lastFrame(-1), lastTime(-1.0) {
  for (Matrix4x4& projection : splitProjections) projection = Matrix4x4::Identity;
}

Light::~Light() = default;

Matrix4x4 Light::WorldInverse() { return parentWorldInverse; }

Matrix4x4 Light::Projection() { return math::OrthoLH(1.0f, 1.0f, 0.0f, 1.0f); }

void Light::Update(Renderer* /*renderList*/) {
  RefreshFromParent();
  SceneInfo::Get()->AddLight(this);
}

std::pair<void*, int> Light::GetCustomData(const std::wstring& semantic) {
  if (semantic == L"SplitProjection") {
    const core::Timer* clock = core::Timer::Get();
    if (clock->frameCount != lastFrame || clock->time != lastTime) ComputeSplits();
    return std::make_pair(static_cast<void*>(splitProjections), 192);
  }
  if (semantic == L"SplitPlanes") return std::make_pair(static_cast<void*>(&splitDistances[1]), 12);
  NEBLU_WARNING(L"Unsupported custom data semantic " + semantic + L" requested from light");
  return std::make_pair(static_cast<void*>(nullptr), 0);
}

void Light::ComputeSplits() {
  const core::CWin32Window* window = core::CWin32Window::Get();
  nearDistance = window->nearPlane;
  const float nearPlane = nearDistance;
  for (int i = 0; i < 4; ++i) {
    const float u = static_cast<float>(i) * 0.33333334f;
    splitDistances[i] = (nearPlane * std::pow(far / nearPlane, u) + nearPlane + (far - nearPlane) * u) * 0.5f;
  }
  const float halfFov = std::tan(window->fieldOfView / 2.0f);
  const float tx = halfFov * (static_cast<float>(window->settings.width) / static_cast<float>(window->settings.height)) * 1.1f;
  const float ty = halfFov * 1.1f;

  Camera* camera = SceneInfo::Get()->CurrentCamera().camera;
  const Matrix4x4 cameraWorld = camera ? camera->World() : Matrix4x4::Identity;
  const Matrix4x4 lightProjection = Projection();
  const Matrix4x4 m = math::Multiply(math::Multiply(cameraWorld, parentWorldInverse), lightProjection);

  for (int k = 0; k < 3; ++k) {
    const float n = splitDistances[k] * 0.9f;
    const float f = splitDistances[k + 1] * 1.1f;
    const math::Vector3f corners[8] = {
        {n * tx, n * ty, n},  {n * tx, -n * ty, n},  {-n * tx, -n * ty, n},  {-n * tx, n * ty, n},
        {f * tx, f * ty, f},  {f * tx, -f * ty, f},  {-f * tx, -f * ty, f},  {-f * tx, f * ty, f},
    };
    math::Vector3f low(std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                       std::numeric_limits<float>::max());
    math::Vector3f high(-low.x, -low.y, -low.z);
    for (const math::Vector3f& corner : corners) {
      const math::Vector3f p = math::TransformPoint(corner, m);
      low = math::Vector3f(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
      high = math::Vector3f(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    }
    const Matrix4x4 crop(2.0f / (high.x - low.x), 0, 0, 0,  //
                         0, 2.0f / (high.y - low.y), 0, 0,  //
                         0, 0, 1.0f / high.z, 0,            //
                         -(high.x + low.x) / (high.x - low.x), -(high.y + low.y) / (high.y - low.y), 0, 1);
    splitProjections[k] = math::Multiply(lightProjection, crop).Transpose();
  }
  lastFrame = core::Timer::Get()->frameCount;
  lastTime = core::Timer::Get()->time;
}

}  // namespace gfx
}  // namespace engine
