#include "engine/gfx/geometry.h"

#include <limits>

#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/renderObject.h"
#include "engine/gfx/renderer.h"

namespace engine {
namespace gfx {

using math::Matrix4x4;
using math::Multiply;

namespace {

Matrix4x4 Identity() { return Matrix4x4::Identity; }

}  // namespace

Geometry::Geometry(const boost::shared_ptr<Mesh>& mesh_, Spatial* parent_)
    : mesh(mesh_), previousWorld(Identity()), hasPrevious(false) {
  parent = parent_;
}

Geometry::~Geometry() = default;

Matrix4x4 Geometry::World() { return parent ? parent->World() : Identity(); }
Matrix4x4 Geometry::WorldInverse() { return parent ? parent->WorldInverse() : Identity(); }
Matrix4x4 Geometry::Local() { return parent ? parent->Local() : Identity(); }
Matrix4x4 Geometry::LocalInverse() { return parent ? parent->LocalInverse() : Identity(); }

void Geometry::Update(Renderer* renderList) {
  if (!renderList) return;
  renderList->Submit(BuildRenderObject());
}

boost::shared_ptr<RenderObject> Geometry::BuildRenderObject() {
  boost::shared_ptr<RenderObject> object = mesh->CreateRenderObject();
  Matrix4x4 world = World();
  Matrix4x4 worldInverse = WorldInverse();
  if (!local.IsIdentity()) {
    world = Multiply(world, local.BuildMatrix());
    worldInverse = Multiply(local.BuildInvMatrix(), worldInverse);
  }
  parentWorld = world;
  parentWorldInverse = worldInverse;
  object->world = world;
  object->previousWorld = hasPrevious ? previousWorld : world;
  object->worldInverse = worldInverse.Transpose();
  previousWorld = world;
  hasPrevious = true;
  return object;
}

std::pair<float, Spatial*> Geometry::TraverseRay(const math::Vector3f& origin, const math::Vector3f& direction) {
  const Matrix4x4 inverse = WorldInverse();
  math::Vector3f localOrigin = math::TransformPoint(origin, inverse);
  math::Vector3f localDirection = direction * inverse.GetRotation();
  if (localDirection.MagSquared() > 0.0f) localDirection.Normalize();
  (void)localOrigin;
  return std::make_pair(std::numeric_limits<float>::infinity(), static_cast<Spatial*>(nullptr));
}

}  // namespace gfx
}  // namespace engine
