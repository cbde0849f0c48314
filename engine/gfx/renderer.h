#pragma once

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <cstdint>
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
// so the frame draws in the effect pool's global order without sorting; a slot keeps every
// object submitted for it, in submission order, each drawn with its own matrices.
// Consecutive entries of one effect file, technique and target list draw as one batch.
// Targets are cleared lazily, on their first binding in a frame. The slots' lists and the
// batch keep their capacity across frames: once warm, the renderer allocates nothing.
class ENGINE_API Renderer : public core::Module {
 public:
  // One submitted pass: the object and which of its effect's shaders draws it.
  struct Entry {
    boost::shared_ptr<RenderObject> object;
    int passIndex = 0;
  };
  // What one shader of the effect pool draws this frame, in submission order.
  struct Slot {
    std::vector<Entry> entries;
  };

  Renderer();
  ~Renderer() override;
  bool Start() override;
  void Update() override;
  void Stop() override;

  // Places every pass of the object's effect in its slot, after what the frame already
  // holds there. The same object submitted again in one frame is placed once.
  void Submit(const boost::shared_ptr<RenderObject>& object);
  // Drops whatever was submitted and not drawn, and starts a new frame of submissions.
  // Every frame ends with it, a failed one included, so nothing piles up.
  void DiscardSubmissions();

  Node* SceneNode() const { return sceneNode; }
  void SceneNode(const boost::shared_ptr<Node>& node);
  const std::vector<Slot>& Slots() const { return slots; }

  InputAssemblyCache cache;

 private:
  // A batch entry by position, not by address: a slot's list may grow while it is held.
  struct BatchEntry {
    std::size_t slot;
    std::size_t entry;
  };

  void SubmitQuads();
  void MarkTargetsForClearing();
  void DrawSlots();
  void Flush(Shader* shader);
  void BindTargets(Shader& shader);
  void TakeScreenshot();

  Node* sceneNode;
  boost::shared_ptr<Node> sceneNodeHolder;
  ID3D10RenderTargetView* backBufferView;
  ID3D10DepthStencilView* depthView;
  std::vector<Slot> slots;  // one a shader of the effect pool, sized before each frame
  std::vector<BatchEntry> batch;
  std::uint64_t frame;  // stamp of the submissions this frame takes; unique across renderers
};

}  // namespace gfx
}  // namespace engine
