// One frame of a scene of 1,000 animated nodes with six curves each: the per-frame cost
// of the scene walk over animated objects, without drawing (null render list).
//
//   build/bench/bench_animation
#include <benchmark/benchmark.h>

#include <boost/make_shared.hpp>
#include <cmath>
#include <memory>
#include <type_traits>

#include "engine/core/timer.h"
#include "engine/gfx/animationController.h"
#include "engine/gfx/animationNode.h"
#include "engine/gfx/animationPipe.h"
#include "engine/gfx/animationTrack.h"
#include "engine/gfx/spatial.h"

namespace {

using engine::gfx::AnimationController;
using engine::gfx::AnimationNode;
using engine::gfx::AnimationTrack;
using engine::gfx::BezierAnimationTrack;
using engine::gfx::ExtrapolationMode;
using engine::gfx::LinearAnimationTrack;
using engine::gfx::LocPipe;
using engine::gfx::Node;
using engine::gfx::RotPipe;
using engine::gfx::Spatial;
using engine::math::Vector3f;

// A repeating curve of 9 keys over 100 frames, the shape an exported loop has.
template <class Track>
std::unique_ptr<AnimationTrack> Curve(int seed) {
  std::unique_ptr<Track> track(new Track);
  track->SetExtrapolation(ExtrapolationMode::Cyclic);
  for (int k = 0; k <= 8; ++k) {
    const float time = 1.0f + 12.5f * static_cast<float>(k);
    const float value = std::sin(0.7f * static_cast<float>(k + seed)) * 3.0f;
    track->AddKey(time, value);
    if constexpr (std::is_same<Track, BezierAnimationTrack>::value) {
      track->AddHandles({time - 4.0f, value - 0.5f}, {time + 4.0f, value + 0.5f});
    }
  }
  return track;
}

boost::shared_ptr<AnimationNode> MakeNode(Spatial* parent, int seed) {
  auto controller = boost::make_shared<AnimationController>();
  const Vector3f axes[3] = {Vector3f(1, 0, 0), Vector3f(0, 1, 0), Vector3f(0, 0, 1)};
  for (int a = 0; a < 3; ++a) {
    controller->AddPipe(std::unique_ptr<LocPipe>(
        new LocPipe(engine::gfx::ChannelLocX + a, Curve<LinearAnimationTrack>(seed + a), axes[a])));
    controller->AddPipe(std::unique_ptr<RotPipe>(
        new RotPipe(engine::gfx::ChannelRotX + 2 * a, Curve<BezierAnimationTrack>(seed + 3 + a), axes[a])));
  }
  return boost::make_shared<AnimationNode>(parent, controller);
}

// 10 animated nodes under a plain root, 9 under each of those, 10 under each of those:
// 10 + 90 + 900 = 1,000.
boost::shared_ptr<Node> MakeScene() {
  auto root = boost::make_shared<Node>();
  int seed = 0;
  for (int i = 0; i < 10; ++i) {
    auto a = MakeNode(root.get(), seed++);
    root->AddChild(a);
    for (int j = 0; j < 9; ++j) {
      auto b = MakeNode(a.get(), seed++);
      a->AddChild(b);
      for (int k = 0; k < 10; ++k) b->AddChild(MakeNode(b.get(), seed++));
    }
  }
  return root;
}

void BM_AnimatedSceneFrame(benchmark::State& state) {
  engine::core::Timer::Get()->sinceLast = 1.0 / 60.0;
  boost::shared_ptr<Node> root = MakeScene();
  for (auto _ : state) {
    root->Update(nullptr);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 1000);
  state.counters["nodes"] = 1000;
  delete engine::core::Timer::mInstance;
}
BENCHMARK(BM_AnimatedSceneFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
