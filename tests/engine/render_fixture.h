#pragma once

// A window with a renderer registered under key 10, and helpers that make effects,
// materials and meshes the way the engine's content does: files in data/, meshes
// registered with the resource manager, geometry hung below the renderer's scene node.

#include <boost/make_shared.hpp>
#include <string>

#include "engine/core/resourceManager.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/geometry.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/renderState.h"
#include "engine/gfx/renderer.h"
#include "engine_fixture.h"

namespace enginetest {

// Two techniques over one vertex shader: a single pass, a two-pass one, and a depth-only
// pass, so tests can tell batches and passes apart.
constexpr const char* kFlatEffect = R"(
shared cbuffer Frame {
  float4x4 View : View;
  float4x4 Projection : Projection;
  float Time : Time;
};
float4x4 World : World;
float4 Tint = float4(1, 1, 1, 1);

float4 VS(float3 position : POSITION) : SV_Position { return mul(float4(position, 1), World); }
float4 PS() : SV_Target { return Tint; }
float4 Half() : SV_Target { return Tint * 0.5; }

technique10 One {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
  }
}
technique10 Two {
  pass P0 {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
  }
  pass P1 {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, Half()));
  }
}
technique10 Depth {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(NULL);
  }
}
)";

class RenderFixture : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    if (IsSkipped()) return;
    OpenWindow(Settings(64, 48));
    if (IsSkipped() || HasFatalFailure()) return;
    dir.Write("data/fx/flat.fx", kFlatEffect);
    renderer = new engine::gfx::Renderer();
    engine::core::Kernel::Get()->AddModule(renderer, 10);
  }

  void TearDown() override {
    delete engine::gfx::EffectPool::mInstance;
    delete renderer;
    renderer = nullptr;
    EngineFixture::TearDown();
  }

  // A material of one pass; `extra` adds pass keys ("rendertarget = 'rt', priority = 2").
  std::string Material(const std::string& name, const std::string& fx, const std::string& tec,
                       const std::string& extra = "", const std::string& params = "") {
    const std::string path = "data/" + name + ".efx";
    dir.Write(path, "effect = { { pass = { { fx = '" + fx + "', tec = '" + tec + "', " +
                        (extra.empty() ? "" : extra + ", ") + "params = {" + params +
                        "}, streams = { { 'pos', 'POSITION' } } } } } }\n");
    return path;
  }

  // The built-in quad's geometry drawn with the material, registered under `name`.
  boost::shared_ptr<engine::gfx::Mesh> QuadMesh(const std::wstring& name, const std::string& material) {
    auto mesh = boost::make_shared<engine::gfx::Mesh>(new engine::gfx::LoadNBLMesh(L"data/quad.nbl"),
                                                      engine::gfx::EffectPool::Get()->BuildEffect(material));
    engine::core::ResourceManager::Get()->AddResource(name, mesh);
    return mesh;
  }

  // A geometry node of the mesh below the renderer's scene node.
  boost::shared_ptr<engine::gfx::Geometry> Place(const boost::shared_ptr<engine::gfx::Mesh>& mesh) {
    engine::gfx::Node* root = renderer->SceneNode();
    auto geometry = boost::make_shared<engine::gfx::Geometry>(mesh, root);
    root->AddChild(geometry);
    return geometry;
  }

  engine::gfx::Renderer* renderer = nullptr;
};

}  // namespace enginetest
