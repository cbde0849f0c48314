#include "engine/core/windowStuff.h"

#include <memory>

#include "engine/core/input.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/screen.h"
#include "engine/core/singleton.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/sceneInfo.h"

namespace engine {

void CreateNEBLUWindow(const WindowSettings& settings) {
  NEBLU_MESSAGE("Release build");
  // Held here until the Kernel owns it, so a window that cannot be made leaks nothing.
  std::unique_ptr<core::CScreen> screen(pattern::Creator<core::CScreen>::CreateInstance());
  screen->Init(settings);
  // The keys are the ones the interface functions look modules up by.
  core::Kernel* kernel = core::Kernel::Get();
  kernel->AddModule(screen.release(), 1);
  kernel->AddModule(new gfx::Renderer(), 10);
  kernel->AddModule(new core::InputUpdate(), 2);
  kernel->AddModule(gfx::SceneInfo::Get(), 12);
  core::ResourceManager::Get()->LoadResourceScript("data\\startup.resources");
}

}  // namespace engine
