#pragma once

// The template demo's scene module: makes its ring mesh, loads its one part and plays it
// until the music ends (or Escape). It tells the authoring tools (-dev, -loop, -watch and
// the overlay) about its part and its ring.

#include "authoring/authoredDemo.h"
#include "engine/core/module.h"

namespace engine {
namespace gfx {
class DemoLoader;
}
}  // namespace engine

class RingScene : public engine::core::Module, public AuthoredDemo {
 public:
  RingScene();
  bool Start() override;
  void Update() override;
  void Stop() override;

  // What the authoring tools are told: one part, and the ring made in code.
  int PartCount() const override { return 1; }
  std::wstring PartFile(int) const override { return L"data/part.demo"; }
  engine::gfx::DemoLoader* Part(int) const override { return part; }
  engine::gfx::DemoLoader* CurrentPart() const override { return part; }
  void SeekTo(double seconds) override { PlaceCurvesAt(part, seconds); }
  void ReloadPart(int index, double seconds) override;
  const GeneratedMesh* FindGeneratedMesh(const std::string& meshName) const override;

 private:
  void Show();

  engine::gfx::DemoLoader* part = nullptr;
};
