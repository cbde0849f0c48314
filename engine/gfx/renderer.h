#pragma once

#include <boost/shared_ptr.hpp>
#include <vector>

#include "engine/api.h"
#include "engine/core/module.h"
#include "engine/gfx/renderObject.h"
#include "engine/gfx/spatial.h"
#include "platform/d3d10.h"

namespace engine {
namespace gfx {

class Shader;

// What the device was last given for input assembly; Shader::Draw skips a call whose
// argument did not change. Kept across frames.
struct InputAssemblyCache {
  ID3D10Buffer* vertexBuffer = nullptr;
  ID3D10Buffer* indexBuffer = nullptr;
  ID3D10InputLayout* inputLayout = nullptr;
};

// The module that draws one frame per main-loop pass (key 10, priority 12000). The scene
// walk submits every pass of every object into the slot its shader's render index names,
// so the frame draws in the effect pool's global order without sorting; consecutive
// slots of one effect file, technique and target list draw as one batch. Targets are
// cleared lazily, on their first binding in a frame.
class ENGINE_API Renderer : public core::Module {
 public:
  struct Slot {
    boost::shared_ptr<RenderObject> object;
    int passIndex = 0;
    bool empty = true;
  };

  Renderer();
  ~Renderer() override;
  bool Start() override;
  void Update() override;
  void Stop() override;

  // Places every pass of the object's effect in its slot; a later object with the same
  // effect replaces an earlier one in the frame.
  void Submit(const boost::shared_ptr<RenderObject>& object);

  Node* SceneNode() const { return sceneNode; }
  void SceneNode(const boost::shared_ptr<Node>& node);
  const std::vector<Slot>& Slots() const { return slots; }

  InputAssemblyCache cache;

 private:
  void MarkTargetsForClearing();
  void DrawSlots();
  void Flush(const std::vector<Slot>& batch, Shader* shader);
  void BindTargets(Shader& shader);
  void TakeScreenshot();

  Node* sceneNode;
  boost::shared_ptr<Node> sceneNodeHolder;
  ID3D10RenderTargetView* backBufferView;
  ID3D10DepthStencilView* depthView;
  std::vector<Slot> slots;  // one a shader of the effect pool, sized before each frame
};

}  // namespace gfx
}  // namespace engine
