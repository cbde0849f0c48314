#include "engine/gfx/animationNode.h"

#include "engine/core/timer.h"

namespace engine {
namespace gfx {

namespace {

// Above this a Layer curve hides its object.
constexpr float kHiddenLayer = 1.1f;

}  // namespace

AnimationNode::AnimationNode(Spatial* parent_, const boost::shared_ptr<AnimationController>& controller_)
    : Node(parent_), controller(controller_), layerSlot(nullptr), layerLookupPending(true), animationEnabled(true) {}

AnimationNode::~AnimationNode() = default;

void AnimationNode::Update(Renderer* renderList) {
  if (animationEnabled && controller) {
    const float step = static_cast<float>(core::Timer::Get()->sinceLast * 25.0);
    controller->Update(step);
    if (layerLookupPending) {
      layerSlot = controller->GetValueSlot("Layer");
      layerLookupPending = false;
    }
    if (layerSlot && *layerSlot > kHiddenLayer) return;
    local = controller->BuildTransformation(step);
  }
  RefreshFromParent();
  for (const boost::shared_ptr<Spatial>& child : children) child->Update(renderList);
}

}  // namespace gfx
}  // namespace engine
