#include "engine/gfx/renderer.h"

#include <boost/filesystem.hpp>
#include <boost/lexical_cast.hpp>

#include "engine/core/Window.h"
#include "engine/core/input.h"
#include "engine/core/logging.h"
#include "engine/core/safeRelease.h"
#include "engine/core/resourceManager.h"
#include "engine/core/resourceTypes.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/Shader.h"
#include "engine/gfx/camera.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/renderState.h"
#include "engine/gfx/sceneInfo.h"
#include "platform/d3dx10.h"
#include "platform/program_folders.h"

namespace engine {
namespace gfx {

using core::SafeRelease;

using core::resources::DepthTargetTexture;
using core::resources::RenderTargetTexture;

namespace {

constexpr int kF9 = 0x78;
constexpr int kF11 = 0x7A;

// Shared by every renderer, so that a stamp one renderer left on an object never reads as
// taken in another's frame.
std::uint64_t lastFrame = 0;

std::uint64_t NewFrame() { return ++lastFrame; }

Shader* ShaderOf(const Renderer::Entry& entry) {
  return entry.object->effect->GetShader(static_cast<unsigned>(entry.passIndex)).get();
}

// Ends the frame on every way out of Update: a frame that raised halfway must not leave
// its submissions to pile up under the next one's.
class FrameEnd {
 public:
  explicit FrameEnd(Renderer& owner) : renderer(owner) {}
  ~FrameEnd() { renderer.DiscardSubmissions(); }
  FrameEnd(const FrameEnd&) = delete;
  FrameEnd& operator=(const FrameEnd&) = delete;

 private:
  Renderer& renderer;
};

}  // namespace

Renderer::Renderer() : sceneNode(new Node()), backBufferView(nullptr), depthView(nullptr), frame(NewFrame()) {
  sceneNodeHolder.reset(sceneNode);
  Name(L"Renderer");
  Priority(12000);
}

Renderer::~Renderer() {
  SafeRelease(backBufferView);
  SafeRelease(depthView);
  if (TheRenderState().renderer == this) TheRenderState().renderer = nullptr;
}

void Renderer::SceneNode(const boost::shared_ptr<Node>& node) {
  sceneNodeHolder = node;
  sceneNode = node.get();
}

bool Renderer::Start() {
  ID3D10Device* device = core::CWin32Window::Get()->device;
  if (device) device->OMGetRenderTargets(1, &backBufferView, &depthView);
  SceneInfo::Get()->AddNode(boost::shared_ptr<Node>(new ActiveCamera()), L"ActiveCamera", L"global");
  return true;
}

void Renderer::Stop() { SafeRelease(depthView); }

void Renderer::Submit(const boost::shared_ptr<RenderObject>& object) {
  if (!object || !object->effect) return;
  // The same object twice in a frame (the export called twice with it) is one drawable,
  // not two; the stamp answers without searching the slots.
  if (object->submitted.frame == frame) return;
  object->submitted.frame = frame;
  const unsigned count = object->effect->GetShaderCount();
  for (unsigned i = 0; i < count; ++i) {
    const int s = object->effect->GetShader(i)->renderIndex;
    object->passIndex = static_cast<int>(i);
    // Shaders made after the first frame, or never sorted, have no slot.
    if (s < 0 || static_cast<size_t>(s) >= slots.size()) continue;
    slots[s].entries.push_back(Entry{object, static_cast<int>(i)});
  }
}

void Renderer::DiscardSubmissions() {
  for (Slot& slot : slots) slot.entries.clear();
  batch.clear();
  frame = NewFrame();
}

void Renderer::Update() {
  // One slot a shader; a reload that replaced effects changes their number and their
  // render indices, so what the slots held no longer fits them.
  const size_t shaderCount = EffectPool::Get()->Shaders().size();
  if (slots.size() != shaderCount) {
    for (Slot& slot : slots) slot.entries.clear();
    slots.resize(shaderCount);
  }
  const FrameEnd frameEnd(*this);
  core::CWin32Window* window = core::CWin32Window::Get();
  if (!window->device) return;
  TheRenderState().device = window->device;
  TheRenderState().renderer = this;

  if (core::Input::Get()->Pressed(kF9)) core::ResourceManager::Get()->UpdateResources();

  if (!sceneNode) NEBLU_ERROR("Scene root node is null");
  sceneNode->Update(this);

  SubmitQuads();
  MarkTargetsForClearing();
  window->device->ClearRenderTargetView(backBufferView, window->clearColor);
  EffectPool::Get()->UpdateSharedSemantics();
  DrawSlots();
  window->swapChain->Present(static_cast<UINT>(window->settings.vsync), 0);
  if (core::Input::Get()->Released(kF11)) TakeScreenshot();
}

void Renderer::SubmitQuads() {
  // At most one quad a run of slots sharing effect file and technique (a slot's entries
  // share its shader). By index: a quad joins a slot of its own, which may lie ahead of the
  // walk and is walked in turn.
  Shader* previous = nullptr;
  for (size_t s = 0; s < slots.size(); ++s) {
    if (slots[s].entries.empty()) continue;
    Shader* shader = ShaderOf(slots[s].entries.front());
    if (!previous || shader->GetEffect() != previous->GetEffect() || shader->Technique() != previous->Technique()) {
      shader->SubmitQuad();
    }
    previous = shader;
  }
}

void Renderer::MarkTargetsForClearing() {
  for (const Slot& slot : slots) {
    if (slot.entries.empty()) continue;
    Shader* shader = ShaderOf(slot.entries.front());  // a slot's entries share its shader
    for (const auto& target : shader->Targets()) {
      if (auto colour = boost::dynamic_pointer_cast<RenderTargetTexture>(target)) colour->clearPending = true;
    }
    if (shader->GetDepthTarget()) shader->GetDepthTarget()->clearPending = true;
  }
}

void Renderer::DrawSlots() {
  batch.clear();
  Shader* batchShader = nullptr;
  const TargetList* boundTargets = nullptr;
  const DepthTargetTexture* boundDepth = nullptr;
  static const TargetList kNoTargets;

  for (size_t s = 0; s < slots.size(); ++s) {
    for (size_t e = 0; e < slots[s].entries.size(); ++e) {
      const Entry& entry = slots[s].entries[e];
      Shader* shader = ShaderOf(entry);
      entry.object->passIndex = entry.passIndex;
      // The entries of one slot share its shader, and with it effect file, technique and
      // targets: they join the batch without a comparison.
      if (shader == batchShader) {
        batch.push_back(BatchEntry{s, e});
        continue;
      }
      const bool stateChange = !batchShader || shader->GetEffect() != batchShader->GetEffect() ||
                               shader->Technique() != batchShader->Technique();
      const TargetList& bound = boundTargets ? *boundTargets : kNoTargets;
      // The first pass of a frame changes targets even when it names none, so a pass
      // with nothing to draw into is caught by the binding below.
      const bool targetChange =
          !batchShader || shader->Targets() != bound || shader->GetDepthTarget().get() != boundDepth;
      if ((stateChange || targetChange) && batchShader) {
        Flush(batchShader);
        batch.clear();
      }
      batch.push_back(BatchEntry{s, e});
      if (targetChange) BindTargets(*shader);
      boundTargets = &shader->Targets();
      boundDepth = shader->GetDepthTarget().get();
      batchShader = shader;
    }
  }
  if (batchShader) Flush(batchShader);
  batch.clear();
}

void Renderer::Flush(Shader* shader) {
  const unsigned passes = shader->SelectPass(0);
  for (unsigned p = 0; p < passes; ++p) {
    for (const BatchEntry& at : batch) {
      const Entry& entry = slots[at.slot].entries[at.entry];
      entry.object->passIndex = entry.passIndex;
      shader->Draw(entry.object);
    }
    shader->SelectPass(p + 1);
  }
}

void Renderer::BindTargets(Shader& shader) {
  core::CWin32Window* window = core::CWin32Window::Get();
  ID3D10Device* device = window->device;
  TargetBinding& binding = TheRenderState().binding;
  const TargetList& targets = shader.Targets();
  const boost::shared_ptr<DepthTargetTexture>& depth = shader.GetDepthTarget();

  if (depth) {
    binding.width = static_cast<UINT>(depth->Width());
    binding.height = static_cast<UINT>(depth->Height());
  } else if (targets.empty()) {
    NEBLU_ERROR("No render or depth target to bind?!");
  } else if (!targets[0]) {
    binding.width = static_cast<UINT>(window->settings.width);
    binding.height = static_cast<UINT>(window->settings.height);
  } else {
    auto first = boost::dynamic_pointer_cast<RenderTargetTexture>(targets[0]);
    binding.width = first ? static_cast<UINT>(first->Width()) : 0;
    binding.height = first ? static_cast<UINT>(first->Height()) : 0;
  }

  static const FLOAT kTransparent[4] = {0, 0, 0, 0};
  binding.count = 0;
  for (const auto& target : targets) {
    if (binding.count == 8) break;
    ID3D10RenderTargetView* view = backBufferView;
    if (target) {
      auto colour = boost::dynamic_pointer_cast<RenderTargetTexture>(target);
      view = colour ? colour->RenderTargetView() : nullptr;
      if (colour && colour->clearPending) {
        device->ClearRenderTargetView(view, kTransparent);
        colour->clearPending = false;
      }
    }
    binding.views[binding.count++] = view;
  }
  binding.depth = nullptr;
  if (depth) {
    if (depth->clearPending) {
      device->ClearDepthStencilView(depth->DepthStencilView(), D3D10_CLEAR_DEPTH, 1.0f, 0);
      depth->clearPending = false;
    }
    binding.depth = depth->DepthStencilView();
  }
  binding.applied = false;
}

void Renderer::TakeScreenshot() {
  core::CWin32Window* window = core::CWin32Window::Get();
  ID3D10Device* device = window->device;
  // The throwing forms of these calls would end the run over a folder that cannot be
  // made (a plain file named "screenshots", no permission); the save below fails on its
  // own then and reports it like any other failed save, and the demo plays on.
  boost::system::error_code ignored;
  // The user's folder, the one the program was started from: an installed program works
  // from its data root, which users cannot write.
  const std::string folder = platform::FromStartingFolder("screenshots");
  boost::filesystem::create_directory(folder, ignored);
  std::string file;
  for (unsigned n = 0;; ++n) {
    file = folder + "/screenshot" + boost::lexical_cast<std::string>(n) + ".png";
    boost::system::error_code unreadable;
    if (!boost::filesystem::exists(file, unreadable)) break;
  }

  ID3D10RenderTargetView* view = nullptr;
  device->OMGetRenderTargets(1, &view, nullptr);
  ID3D10Resource* resource = nullptr;
  if (view) view->GetResource(&resource);
  const std::wstring wideName = core::ToWide(file);
  bool saved = false;
  if (resource && window->settings.sampleCount < 2) {
    saved = SUCCEEDED(D3DX10SaveTextureToFileW(resource, D3DX10_IFF_PNG, wideName.c_str()));
  } else if (resource) {
    D3D10_TEXTURE2D_DESC description = {};
    description.Width = static_cast<UINT>(window->settings.width);
    description.Height = static_cast<UINT>(window->settings.height);
    description.MipLevels = 1;
    description.ArraySize = 1;
    description.Format = static_cast<DXGI_FORMAT>(window->settings.backBufferFormat);
    description.SampleDesc.Count = 1;
    description.Usage = D3D10_USAGE_DEFAULT;
    ID3D10Texture2D* resolved = nullptr;
    if (FAILED(device->CreateTexture2D(&description, nullptr, &resolved))) {
      SafeRelease(resource);
      SafeRelease(view);
      NEBLU_ERROR("Failed to create a non-multisampled texture for saving a screenshot");
    }
    device->ResolveSubresource(resolved, 0, resource, 0, description.Format);
    saved = SUCCEEDED(D3DX10SaveTextureToFileW(resolved, D3DX10_IFF_PNG, wideName.c_str()));
    SafeRelease(resolved);
  }
  SafeRelease(resource);
  SafeRelease(view);
  if (!saved) {
    boost::filesystem::remove(file, ignored);
    NEBLU_ERROR("Failed to save a screenshot to " + file);
  }
  NEBLU_MESSAGE("Saved screenshot to " + file);
}

}  // namespace gfx
}  // namespace engine
