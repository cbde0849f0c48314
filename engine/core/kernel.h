#pragma once

#include <map>
#include <vector>

#include "engine/api.h"
#include "engine/core/module.h"
#include "engine/core/singleton.h"

namespace engine {
namespace core {

// The main loop. Keeps the modules sorted by priority, starts each one as it is added,
// updates every live one once per pass, and on a quit request stops them all and
// returns. Owns no module.
class ENGINE_API Kernel : public pattern::Singleton<Kernel> {
 public:
  Kernel();
  ~Kernel() override;

  // Registers `module` under `key` (an earlier entry under the same key is kept for
  // FindModule, but both modules run) and starts it.
  void AddModule(Module* module, int key);
  // Runs passes until a quit request has stopped every module.
  void Run();
  // Asks the loop to end; the current pass finishes first.
  void Quit();
  // Stops every module (live ones in priority order, then dead ones in order of death)
  // and empties the lists.
  void KillAll();
  // The module first registered under `key`, or null.
  Module* FindModule(int key);
  // Whether Quit was called and the loop has not ended yet.
  bool QuitRequested() const { return quitRequested; }
  // Modules whose Start failed in this process. The failure is only shown and the run
  // goes on, so this is how the program tells a run that could not play (a missing or
  // broken data file) from one that did.
  static int FailedStarts();

 private:
  void Pass();

  std::vector<Module*> modules;      // sorted by ascending priority; non-owning
  std::vector<Module*> deadModules;  // in the order they left the loop; non-owning
  std::map<int, Module*> moduleKeys;
  bool running;
  bool quitRequested;
};

}  // namespace core
}  // namespace engine
