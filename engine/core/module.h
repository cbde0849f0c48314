#pragma once

#include <string>

#include "engine/api.h"

namespace engine {
namespace core {

// A unit of per-pass work run by the Kernel: the screen's message pump, the music
// clock, the demo's scene, the renderer, the scene information and the input
// roll-over. The Kernel never owns a module; whoever created it deletes it.
class ENGINE_API Module {
 public:
  Module();
  Module(const Module& other);
  Module& operator=(const Module& other);
  virtual ~Module();

  // Kept as an overridable hook; the Kernel never calls it.
  virtual bool Load();
  // Called once by Kernel::AddModule after registration; the result is ignored.
  virtual bool Start() = 0;
  // Called once per loop pass while the module is alive.
  virtual void Update() = 0;
  virtual void Pause();
  virtual bool Paused() const;
  virtual void Resume();
  // Called once when the Kernel kills all modules.
  virtual void Stop() = 0;

  std::wstring Name() const;
  void Name(const std::wstring& name);
  int Priority() const;
  void Priority(int priority);
  bool Alive() const;
  void SetAlive(bool alive);

 protected:
  std::wstring name;  // "untitled"; only used in log messages
  int priority;       // 5000; smaller runs earlier
  bool alive;         // true; false takes the module out of the loop at the next pass
};

}  // namespace core
}  // namespace engine
