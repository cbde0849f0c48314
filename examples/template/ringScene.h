#pragma once

// The template demo's scene module: makes its ring mesh, loads its one part and plays it
// until the music ends (or Escape).

#include "engine/core/module.h"

namespace engine {
namespace gfx {
class DemoLoader;
}
}  // namespace engine

class RingScene : public engine::core::Module {
 public:
  RingScene();
  bool Start() override;
  void Update() override;
  void Stop() override;

 private:
  engine::gfx::DemoLoader* part = nullptr;
};
