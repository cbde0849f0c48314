#include "engine/wrapper.h"

#include "engine/core/Window.h"
#include "engine/core/input.h"
#include "engine/core/resourceManager.h"
#include "engine/core/resourceTypes.h"
#include "engine/core/screen.h"
#include "engine/core/textConversion.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/core/timer.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/geometry.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/sceneInfo.h"

namespace engine {

namespace {

// Registration keys of the engine's standing modules.
constexpr int kInputKey = 2;
constexpr int kScreenKey = 1;
constexpr int kRendererKey = 10;
constexpr int kTimerKey = 7;

}  // namespace

void Logging(bool on) { core::SetLoggingSwitch(on); }

namespace {
ModuleAddedHook moduleAdded = nullptr;
}  // namespace

void AddModule(core::Module* module, int key) {
  core::Kernel::Get()->AddModule(module, key);
  if (moduleAdded) moduleAdded(module);
}

void SetModuleAddedHook(ModuleAddedHook hook) { moduleAdded = hook; }

void QuitApplication() { core::Kernel::Get()->Quit(); }

void StartApplication() {
  core::Kernel* kernel = core::Kernel::Get();
  // The clock is added last so the music starts right before the first pass.
  kernel->AddModule(core::Timer::Get(), kTimerKey);
  kernel->Run();

  core::Module* input = kernel->FindModule(kInputKey);
  core::Module* screen = kernel->FindModule(kScreenKey);
  core::Module* renderer = kernel->FindModule(kRendererKey);

  // The order matters: modules may still reach the window while they go, and the
  // Kernel goes last because the lookups above came from it.
  delete gfx::SceneInfo::Get();
  delete input;
  delete screen;
  delete core::Timer::Get();
  // Only a pool that exists is deleted: making one here would compile _shared.fx.
  delete gfx::EffectPool::mInstance;
  delete renderer;
  delete core::CWin32Window::Get();
  delete core::ResourceManager::Get();
  delete kernel;
}

bool isPressed(int virtualKey) { return core::Input::Get()->Pressed(virtualKey); }
bool isHeld(int virtualKey) { return core::Input::Get()->Held(virtualKey); }
bool isReleased(int virtualKey) { return core::Input::Get()->Released(virtualKey); }

gfx::LoadMesh* GetNBLMesh(const std::wstring& path) { return new gfx::LoadNBLMesh(path); }

gfx::LoadMesh* CreateEmptyMesh(int vertices, int indices) {
  auto* mesh = new gfx::LoadMesh();
  mesh->NumVertices(vertices);
  mesh->NumIndices(indices);
  return mesh;
}

void* AllocateMemory(unsigned bytes) { return gfx::AllocateMeshBuffer(bytes); }

void DeleteMemory(void* block) { gfx::ReleaseMeshBuffer(block); }

void SetWindowTitle(std::wstring title) {
  auto* screen = dynamic_cast<core::CScreen*>(core::Kernel::Get()->FindModule(kScreenKey));
  if (screen) screen->SetWindowTitle(title);
}

void SetClearColor(float* color) {
  float* clear = core::CWin32Window::Get()->clearColor;
  for (int i = 0; i < 4; ++i) clear[i] = color[i];
}

double GetTime() { return core::Timer::Get()->time; }
double GetSinceLast() { return core::Timer::Get()->sinceLast; }

void CreateTexture2D(const std::wstring& name, const D3D10_TEXTURE2D_DESC* description,
                     const D3D10_SUBRESOURCE_DATA* initialData) {
  core::CreateTexture2D(name, description, initialData);
}

void Render(boost::shared_ptr<gfx::RenderObject> object) {
  auto* renderer = dynamic_cast<gfx::Renderer*>(core::Kernel::Get()->FindModule(kRendererKey));
  if (renderer) renderer->Submit(object);
}

boost::shared_ptr<gfx::Node> CreateNode(gfx::Spatial* payload) {
  boost::shared_ptr<gfx::Node> node(new gfx::Node());
  if (payload) {
    payload->Parent(node.get());
    node->AddChild(boost::shared_ptr<gfx::Spatial>(payload));
  }
  return node;
}

boost::shared_ptr<gfx::Node> CreateMeshNode(boost::shared_ptr<gfx::Mesh> mesh) {
  boost::shared_ptr<gfx::Node> node(new gfx::Node());
  node->AddChild(boost::shared_ptr<gfx::Spatial>(new gfx::Geometry(mesh, node.get())));
  return node;
}

void SetRootNode(boost::shared_ptr<gfx::Spatial> root) {
  if (!root) {
    NEBLU_WARNING("Setting NULL root node. Not Allowed.");
    return;
  }
  auto* renderer = dynamic_cast<gfx::Renderer*>(core::Kernel::Get()->FindModule(kRendererKey));
  if (!renderer) return;
  gfx::Node* scene = renderer->SceneNode();
  root->Parent(scene);
  scene->Children().clear();
  scene->AddChild(root);
}

void AddNode(boost::shared_ptr<gfx::Node> node, const std::wstring& name, const std::wstring& group) {
  gfx::SceneInfo::Get()->AddNode(node, name, group);
}

void SetNode(boost::shared_ptr<gfx::Node> node, const std::wstring& name, const std::wstring& group) {
  gfx::SceneInfo::Get()->SetNode(node, name, group);
}

void DelNode(const std::wstring& name, const std::wstring& group) { gfx::SceneInfo::Get()->DelNode(name, group); }

boost::shared_ptr<gfx::Effect> BuildEffect(const std::string& name) { return gfx::EffectPool::Get()->BuildEffect(name); }

void AddMesh(const std::wstring& name, gfx::LoadMesh* mesh, boost::shared_ptr<gfx::Effect> effect) {
  // The mesh itself has no name, so its upload errors ("Mesh index ... is past the last
  // vertex") cannot say which file it was made from; this row does.
  NEBLU_MESSAGE("Adding mesh " + core::ToNarrow(name));
  core::ResourceManager::Get()->AddResource(name, boost::shared_ptr<core::Resource>(new gfx::Mesh(mesh, effect)));
}

}  // namespace engine
