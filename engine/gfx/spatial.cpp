#include "engine/gfx/spatial.h"

#include <limits>

#include "engine/core/Window.h"
#include "engine/core/logging.h"

namespace engine {
namespace gfx {

using math::Matrix4x4;
using math::Multiply;

Spatial::Spatial()
    : parent(nullptr), parentWorld(Matrix4x4::Identity), parentWorldInverse(Matrix4x4::Identity) {}

Spatial::Spatial(const Spatial& other) = default;
Spatial& Spatial::operator=(const Spatial& other) = default;
Spatial::~Spatial() = default;

Matrix4x4 Spatial::World() { return Multiply(local.BuildMatrix(), parentWorld); }
Matrix4x4 Spatial::WorldInverse() { return Multiply(parentWorldInverse, local.BuildInvMatrix()); }
Matrix4x4 Spatial::Local() { return local.BuildMatrix(); }
Matrix4x4 Spatial::LocalInverse() { return local.BuildInvMatrix(); }
Matrix4x4 Spatial::LocalReverse() { return local.BuildReverseMatrix(); }
Matrix4x4 Spatial::LocalReverseInverse() { return local.BuildReverseInvMatrix(); }
Matrix4x4 Spatial::Projection() { return core::CWin32Window::Get()->projection; }

std::pair<float, Spatial*> Spatial::TraverseRay(const math::Vector3f& /*origin*/,
                                                const math::Vector3f& /*direction*/) {
  return std::make_pair(std::numeric_limits<float>::infinity(), static_cast<Spatial*>(nullptr));
}

std::pair<void*, int> Spatial::GetCustomData(const std::wstring& /*semantic*/) {
  NEBLU_WARNING("No custom data available");
  return std::make_pair(static_cast<void*>(nullptr), 0);
}

void Spatial::Parent(Spatial* parent_) { parent = parent_; }
Spatial* Spatial::Parent() { return parent; }
void Spatial::Local(const Transformation& local_) { local = local_; }
Transformation* Spatial::LocalTransformation() { return &local; }
Transformation Spatial::GetLocalTransformation() const { return local; }

Node::Node(Spatial* parent_) { parent = parent_; }
Node::~Node() = default;

void Node::RefreshFromParent() {
  if (!parent) return;
  parentWorld = parent->World();
  parentWorldInverse = parent->WorldInverse();
}

void Node::Update(Renderer* renderList) {
  RefreshFromParent();
  for (const boost::shared_ptr<Spatial>& child : children) child->Update(renderList);
}

std::pair<float, Spatial*> Node::TraverseRay(const math::Vector3f& origin, const math::Vector3f& direction) {
  std::pair<float, Spatial*> best = Spatial::TraverseRay(origin, direction);
  for (const boost::shared_ptr<Spatial>& child : children) {
    const std::pair<float, Spatial*> hit = child->TraverseRay(origin, direction);
    if (hit.first < best.first) best = hit;
  }
  return best;
}

int Node::AddChild(const boost::shared_ptr<Spatial>& child) {
  children.push_back(child);
  return static_cast<int>(children.size()) - 1;
}

}  // namespace gfx
}  // namespace engine
