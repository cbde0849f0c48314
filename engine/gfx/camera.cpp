#include "engine/gfx/camera.h"

#include "engine/gfx/sceneInfo.h"

namespace engine {
namespace gfx {

using math::Matrix4x4;
using math::Multiply;

Camera::Camera(Spatial* parent_, const std::wstring& name_) : Node(parent_), name(name_) {}
Camera::~Camera() = default;

Matrix4x4 Camera::World() { return parentWorld; }
Matrix4x4 Camera::WorldInverse() { return parentWorldInverse; }

void Camera::Update(Renderer* renderList) {
  Matrix4x4 world = Local();
  Matrix4x4 worldInverse = LocalInverse();
  // The parent comes first here, unlike the Spatial rule; the cameras of our scenes have
  // identity local transformations, so both orders give the parent's matrices.
  if (parent) {
    world = Multiply(parent->World(), world);
    worldInverse = Multiply(worldInverse, parent->WorldInverse());
  }
  parentWorld = world;
  parentWorldInverse = worldInverse;

  CameraRecord record;
  record.position = world.GetTranslation();
  record.camera = this;
  SceneInfo::Get()->SetCamera(record, name);

  for (const boost::shared_ptr<Spatial>& child : children) child->Update(renderList);
}

ActiveCamera::ActiveCamera() : Node(nullptr) {}

Matrix4x4 ActiveCamera::World() {
  Camera* current = SceneInfo::Get()->CurrentCamera().camera;
  return current ? current->World() : Matrix4x4::Identity;
}

Matrix4x4 ActiveCamera::WorldInverse() {
  Camera* current = SceneInfo::Get()->CurrentCamera().camera;
  return current ? current->WorldInverse() : Matrix4x4::Identity;
}

}  // namespace gfx
}  // namespace engine
