#include "authoring/authoredDemo.h"

#include "engine/gfx/animationNode.h"
#include "engine/gfx/demoFile.h"

namespace {

void RewindAndAdvance(engine::gfx::Spatial* node, float frames) {
  if (auto* animated = dynamic_cast<engine::gfx::AnimationNode*>(node)) {
    if (const auto& controller = animated->Controller()) {
      controller->Reset();
      controller->Update(frames);
    }
  }
  if (auto* parent = dynamic_cast<engine::gfx::Node*>(node)) {
    for (const auto& child : parent->Children()) RewindAndAdvance(child.get(), frames);
  }
}

}  // namespace

void PlaceCurvesAt(engine::gfx::DemoLoader* part, double seconds) {
  if (part) RewindAndAdvance(part->GetBaseNode().get(), static_cast<float>(seconds * AuthoredDemo::FramesPerSecond));
}

int AuthoredDemo::PartAt(double seconds, double* beginSeconds) const {
  if (PartCount() <= 0 || !Part(0)) return -1;
  // A time typed as a part's start (1.04 s, 26 frames) lands in that part even when its
  // decimal is a hair short in binary.
  const double frame = seconds * FramesPerSecond + 1e-6;
  int k = 0;
  double begin = 0.0;
  while (k + 1 < PartCount() && Part(k) && frame >= begin + Part(k)->GetLength()) begin += Part(k++)->GetLength();
  *beginSeconds = begin / FramesPerSecond;
  return k;
}

double AuthoredDemo::PartBeginSeconds(int index) const {
  double begin = 0.0;
  for (int k = 0; k < index && k < PartCount() && Part(k); ++k) begin += Part(k)->GetLength();
  return begin / FramesPerSecond;
}

int AuthoredDemo::CurrentPartIndex() const {
  const engine::gfx::DemoLoader* current = CurrentPart();
  for (int k = 0; current && k < PartCount(); ++k) {
    if (Part(k) == current) return k;
  }
  return -1;
}

std::wstring AuthoredDemo::PartName(int index) const {
  if (index < 0 || index >= PartCount()) return L"";
  std::wstring name = PartFile(index);
  name = name.substr(name.rfind(L'/') + 1);
  return name.substr(0, name.rfind(L'.'));
}
