#pragma once

#include "engine/api.h"
#include "platform/d3d10.h"

namespace engine {
namespace gfx {

class Renderer;

// The targets the renderer chose for the next draw. Binding only records them; the next
// Shader::Draw sends them to the device, so a target change without a draw costs nothing.
struct TargetBinding {
  bool applied = true;
  UINT width = 0;
  UINT height = 0;
  UINT count = 0;
  ID3D10RenderTargetView* views[8] = {};
  ID3D10DepthStencilView* depth = nullptr;
};

// The technique pass a batch is drawing: the count of the technique last asked for it,
// and the current pass.
struct PassSelection {
  unsigned current = 0;
  unsigned count = 0;
};

// What the drawing code shares engine-wide: the device and the renderer (stored when the
// effect pool is made, which needs both), the target binding and the pass selection.
struct ENGINE_API RenderState {
  ID3D10Device* device = nullptr;
  Renderer* renderer = nullptr;
  TargetBinding binding;
  PassSelection selection;
};

ENGINE_API RenderState& TheRenderState();

}  // namespace gfx
}  // namespace engine
