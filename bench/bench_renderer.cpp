// One renderer frame of 200 objects whose materials have two passes each (400 slots),
// at 1280x720 on a headless device:
//   - BM_FrameCpuRecording: the engine's own CPU cost (walk, slots, batching, semantics,
//     parameter writes), with the device calls going to a recording device that draws
//     nothing;
//   - BM_FrameLlvmpipe: the same frame drawn and presented on llvmpipe.
//
//   build/bench/bench_renderer
// Run from any folder: the benchmark writes its content into a temporary one.

#include <benchmark/benchmark.h>
#include <boost/filesystem.hpp>
#include <boost/make_shared.hpp>

#include <fstream>
#include <string>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/screen.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/geometry.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/sceneInfo.h"
#include "platform/d3d10/recording.h"
#include "platform/win32.h"

namespace {

constexpr int kObjects = 200;

const char* const kEffect = R"(
shared cbuffer Frame { float4x4 View : View; float4x4 Projection : Projection; float Time : Time; };
float4x4 World : World;
float4 Tint = float4(1, 1, 1, 1);
float Scale = 1;
float4 VS(float3 position : POSITION) : SV_Position { return mul(float4(position * 0.02 * Scale, 1), World); }
float4 PS() : SV_Target { return Tint; }
technique10 Base { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetGeometryShader(NULL);
  SetPixelShader(CompileShader(ps_4_0, PS())); } }
technique10 Glow { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetGeometryShader(NULL);
  SetPixelShader(CompileShader(ps_4_0, PS())); } }
)";

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The engine's window, a renderer under key 10, and the scene, made once.
struct Scene {
  boost::filesystem::path previous = boost::filesystem::current_path();
  boost::filesystem::path root = boost::filesystem::temp_directory_path() / boost::filesystem::unique_path();
  engine::core::CScreen* screen = nullptr;
  engine::gfx::Renderer* renderer = nullptr;
  bool ok = false;

  Scene() {
    boost::filesystem::create_directories(root / "data/fx");
    boost::filesystem::current_path(root);
    engine::core::SetLoggingSwitch(false);
    platform::ForceHeadless(true);
    const std::string frame = "shared cbuffer Frame { float4x4 View : View; float4x4 Projection : Projection; float Time : Time; };\n";
    Write("data/fx/_shared.fx", frame);
    Write("data/fx/bench.fx", kEffect);
    Write("data/wireframe.efx", "effect = { { pass = { { fx = 'bench', tec = 'Base', params = {}, streams = {} } } } }\n");
    Write("data/object.efx",
          "effect = { { pass = {\n"
          "  { fx = 'bench', tec = 'Base', params = { { 'Tint', 'float4', { 1, 0.5, 0.2, 1 } }, { 'Scale', 'float', 1 } },"
          " streams = { { 'pos', 'POSITION' } } },\n"
          "  { fx = 'bench', tec = 'Glow', priority = 1, params = { { 'Tint', 'float4', { 0.1, 0.1, 0.1, 1 } } },"
          " streams = { { 'pos', 'POSITION' } } },\n"
          "} } }\n");
    engine::WindowSettings settings;
    settings.width = 1280;
    settings.height = 720;
    screen = new engine::core::CScreen();
    try {
      screen->Init(settings);
      renderer = new engine::gfx::Renderer();
      engine::core::Kernel::Get()->AddModule(renderer, 10);
      engine::gfx::Node* root_ = renderer->SceneNode();
      for (int i = 0; i < kObjects; ++i) {
        auto mesh = boost::make_shared<engine::gfx::Mesh>(new engine::gfx::LoadNBLMesh(L"data/quad.nbl"),
                                                          engine::gfx::EffectPool::Get()->BuildEffect("data/object.efx"));
        engine::core::ResourceManager::Get()->AddResource(L"object" + std::to_wstring(i), mesh);
        auto node = boost::make_shared<engine::gfx::Node>(root_);
        engine::gfx::Transformation place;
        place.Translate(engine::math::Vector3f(-0.9f + 0.09f * static_cast<float>(i % 20),
                                               -0.9f + 0.18f * static_cast<float>(i / 20), 0.5f));
        node->Local(place);
        node->AddChild(boost::make_shared<engine::gfx::Geometry>(mesh, node.get()));
        root_->AddChild(node);
      }
      ok = true;
    } catch (const engine::core::Exception&) {
    }
  }

  ~Scene() {
    delete engine::gfx::EffectPool::mInstance;
    delete renderer;
    if (screen) {
      screen->Stop();
      delete screen;
    }
    delete engine::gfx::SceneInfo::mInstance;
    delete engine::core::ResourceManager::mInstance;
    delete engine::core::CWin32Window::mInstance;
    delete engine::core::Kernel::mInstance;
    boost::filesystem::current_path(previous);
    boost::system::error_code ignored;
    boost::filesystem::remove_all(root, ignored);
  }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void BM_FrameCpuRecording(benchmark::State& state) {
  Scene& scene = TheScene();
  if (!scene.ok) {
    state.SkipWithError("no GL device");
    return;
  }
  engine::core::CWin32Window* window = engine::core::CWin32Window::Get();
  ID3D10Device* real = window->device;
  ID3D10Device* recording = nullptr;
  platform::CreateRecordingDevice(nullptr, &recording);
  ID3D10DeviceRecording* log = nullptr;
  recording->QueryInterface(__uuidof(ID3D10DeviceRecording), reinterpret_cast<void**>(&log));
  window->device = recording;
  for (auto _ : state) {
    scene.renderer->Update();
    log->ClearCalls();
  }
  window->device = real;
  log->Release();
  recording->Release();
}
BENCHMARK(BM_FrameCpuRecording)->Unit(benchmark::kMicrosecond);

void BM_FrameLlvmpipe(benchmark::State& state) {
  Scene& scene = TheScene();
  if (!scene.ok) {
    state.SkipWithError("no GL device");
    return;
  }
  for (auto _ : state) scene.renderer->Update();
}
BENCHMARK(BM_FrameLlvmpipe)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
