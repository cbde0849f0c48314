#include "engine/core/kernel.h"

#include <algorithm>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "platform/win32.h"

namespace engine {
namespace core {

namespace {
// Process-wide: the Kernel singleton is gone by the time the program asks.
int failedStarts = 0;
}  // namespace

Kernel::Kernel() : running(false), quitRequested(false) {}
Kernel::~Kernel() = default;

void Kernel::AddModule(Module* module, int key) {
  NEBLU_MESSAGE("Adding new module " + ToNarrow(module->Name()));
  moduleKeys.insert(std::make_pair(key, module));
  modules.push_back(module);
  std::sort(modules.begin(), modules.end(),
            [](const Module* a, const Module* b) { return a->Priority() < b->Priority(); });
  try {
    module->Start();
    NEBLU_MESSAGE("Module " + ToNarrow(module->Name()) + " sucessfully started");
  } catch (const Exception& e) {
    ++failedStarts;
    NEBLU_WARNING("Failed to start module" + ToNarrow(module->Name()));
    MessageBoxW(pattern::Singleton<CWin32Window>::Get()->hWnd, e.GetText().c_str(), e.GetFunction().c_str(), MB_OK);
  }
}

void Kernel::Run() {
  NEBLU_MESSAGE("Starting main loop");
  running = true;
  while (running) {
    try {
      if (quitRequested) {
        KillAll();
        continue;
      }
      Pass();
    } catch (const Exception& e) {
      NEBLU_WARNING("Caught exception in main game loop: \"" + ToNarrow(e.GetText()) + "\" in " +
                    ToNarrow(e.GetFunction()));
      MessageBoxW(nullptr, e.GetText().c_str(), e.GetFunction().c_str(), MB_OK);
    }
  }
}

void Kernel::Pass() {
  for (size_t i = 0; i < modules.size();) {
    Module* module = modules[i];
    if (module->Alive()) {
      module->Update();
      ++i;
      continue;
    }
    // A module registered twice may have been updated earlier in this pass and died
    // since; every copy leaves, and the walk goes on with the module that followed.
    deadModules.push_back(module);
    const auto here = modules.begin() + static_cast<std::ptrdiff_t>(i);
    i -= static_cast<size_t>(std::count(modules.begin(), here, module));
    modules.erase(std::remove(modules.begin(), modules.end(), module), modules.end());
  }
}

void Kernel::Quit() {
  NEBLU_MESSAGE("Quit called");
  quitRequested = true;
}

void Kernel::KillAll() {
  NEBLU_MESSAGE("Killing all modules");
  for (Module* module : modules) module->Stop();
  modules.clear();
  for (Module* module : deadModules) module->Stop();
  deadModules.clear();
  running = false;
}

int Kernel::FailedStarts() { return failedStarts; }

Module* Kernel::FindModule(int key) {
  auto found = moduleKeys.find(key);
  return found == moduleKeys.end() ? nullptr : found->second;
}

}  // namespace core
}  // namespace engine
