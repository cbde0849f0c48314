// The demo program. Until the scenes exist it runs the engine's main loop for a few
// passes with one module that asks to quit, so the start-up and teardown paths run.

#include <cstring>
#include <string>

#include "engine/core/exception.h"
#include "engine/core/module.h"
#include "engine/wrapper.h"
#include "platform/win32.h"

namespace {

class QuitAfterPasses : public engine::core::Module {
 public:
  explicit QuitAfterPasses(int passes_) : passes(passes_) {
    name = L"QuitAfterPasses";
    priority = 200;
  }
  bool Start() override { return true; }
  void Update() override {
    if (--passes == 0) engine::QuitApplication();
  }
  void Stop() override {}

 private:
  int passes;
};

bool HasSwitch(int argc, char** argv, const char* name) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  engine::Logging(HasSwitch(argc, argv, "-log"));
  QuitAfterPasses scene(3);
  try {
    engine::AddModule(&scene, 10100);
    engine::StartApplication();
  } catch (const engine::core::Exception& e) {
    MessageBoxW(nullptr, e.GetText().c_str(), e.GetFunction().c_str(), MB_OK);
    return 1;
  }
  return 0;
}
