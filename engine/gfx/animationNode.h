#pragma once

#include <boost/shared_ptr.hpp>

#include "engine/gfx/animationController.h"
#include "engine/gfx/spatial.h"

namespace engine {
namespace gfx {

// A scene node moved by its curves. Each walk advances its controller by the music time
// since the last frame (at 25 frames a second) and rebuilds the local transformation
// from the pipes before the children are walked.
//
// A "Layer" channel above 1.1 hides the node with its whole subtree: the walk stops
// there, so nothing below is refreshed or drawn, while the node's own clocks keep
// running. The children's clocks stand still while hidden.
class ENGINE_API AnimationNode : public Node {
 public:
  AnimationNode(Spatial* parent, const boost::shared_ptr<AnimationController>& controller);
  ~AnimationNode() override;

  void Update(Renderer* renderList) override;

  const boost::shared_ptr<AnimationController>& Controller() const { return controller; }
  void AnimationEnabled(bool enabled) { animationEnabled = enabled; }
  bool AnimationEnabled() const { return animationEnabled; }

 private:
  boost::shared_ptr<AnimationController> controller;
  // The controller's "Layer" slot, looked up on the first walk; null when it has none.
  const float* layerSlot;
  bool layerLookupPending;  // true
  bool animationEnabled;    // true
};

}  // namespace gfx
}  // namespace engine
