// Every kind of -watch reload but the effects' (effectReload_soak.cpp), many times in one
// process, through the reload code the watcher calls: a material rewritten, a mesh file
// rewritten, an image rewritten, the resource script's target resized (every material
// built again), the priority file, and a scene description written into its demo file,
// which the playing scene then reads again. After
// each kind's reloads, resident memory, the layer's live COM and GL objects and the
// effect pool's shader count must be where they were after its first reload.
// NEBLU_SOAK_RELOADS sets the count (20 by default, as CI runs it; scripts/soak.sh runs
// 1000).


#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/resourceManager.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/gpuMesh.h"
#include "engine_fixture.h"
#include "game/TestScene1.h"
#include "authoring/meshReload.h"
#include "authoring/partReload.h"
#include "authoring/reloadReport.h"
#include "authoring/resourceReload.h"
#include "soak/soak_support.h"
#include "support/golden_image.h"
#include "tools/nbl/nblWriter.h"

namespace {

using soak::kResidentSlackBytes;
using soak::Reloads;

struct Counts {
  soak::Counts live;
  size_t shaders;
};

Counts Now() { return {soak::Now(), engine::gfx::EffectPool::Get()->Shaders().size()}; }

constexpr const char* kEffect = R"(
float4x4 World : World;
float4 Tint = float4(1, 0, 0, 1);
Texture2D Image;
SamplerState Nearest { Filter = MIN_MAG_MIP_POINT; };
float4 VS(float3 position : POSITION) : SV_Position { return mul(float4(position, 1), World); }
float4 PS() : SV_Target { return Tint * Image.Sample(Nearest, float2(0.5, 0.5)); }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
)";

// A one-triangle mesh file reaching `x`.
std::string Triangle(float x) {
  return nbl::Writer().Positions({{0, 0, 0}, {x, 0, 0}, {0, 1, 0}}).Indices({0, 1, 2}).End().Bytes();
}

class KindsReloadSoak : public enginetest::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    OpenWindow(Settings(64, 64));
    if (IsSkipped() || HasFatalFailure()) return;
    dir.Write("data/fx/m.fx", kEffect);
    dir.Write("data/m.nbl", Triangle(1));
    WriteMaterial(0);
    WriteImage(0);
    WriteScript(16);
    dir.Write("data/rtpriorities.txt", "Side\n");
    engine::core::ResourceManager::Get()->LoadResourceScript("data/startup.resources");
    mesh = engine::core::ResourceManager::Get()->GetOrCreateResource<engine::gfx::Mesh>(L"data/m.nbl");
    ASSERT_TRUE(mesh && mesh->GetEffect());
    meshes.Files();
    resources.Files();
  }

  void WriteMaterial(int i) {
    dir.Write("data/m.nbl.efx", "effect = {{pass = {{fx = 'm', tec = 'T', rendertarget = 'Side', params = {"
                                "{'Tint', 'float4', {1, " + std::to_string(i % 2) + ", 0, 1}}, "
                                "{'Image', 'tex', 'data/t.png'}}, streams = {{'pos', 'POSITION'}}}}}}\n");
  }
  void WriteImage(int i) {
    testing_support::Image image;
    image.width = image.height = 2;
    image.rgb.assign(12, static_cast<std::uint8_t>(100 + i % 2));
    ASSERT_TRUE(testing_support::WritePng(dir.Path("data/t.png"), image));
  }
  void WriteScript(int size) {
    dir.Write("data/startup.resources", "resources = {\n  {RENDERTARGET, 'Side', " + std::to_string(size) + ", " +
                                            std::to_string(size) + ", FMT_R8G8B8A8_UNORM, NO_MULTISAMPLING},\n}\n");
  }

  // `reload` runs Reloads() times; what the first left must still be there after the last.
  void Soak(const char* kind, const std::function<void(int)>& reload) {
    const int reloads = Reloads();
    Counts first = {};
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < reloads; ++i) {
      reload(i);
      ASSERT_TRUE(ReloadFailures().empty()) << kind << " reload " << i + 1 << ": " << ReloadFailures().back().message;
      ASSERT_TRUE(mesh->GetEffect()) << kind << " reload " << i + 1;
      if (i == 0) first = Now();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const Counts last = Now();
    std::printf("%s: %d reloads in %.1f s (%.2f ms each); resident %.1f MiB after the first, %.1f MiB after the "
                "last; live COM objects %ld -> %ld, GL objects %ld -> %ld, shaders %zu -> %zu\n",
                kind, reloads, seconds, 1000.0 * seconds / reloads, first.live.resident / 1048576.0,
                last.live.resident / 1048576.0, first.live.com, last.live.com, first.live.gl, last.live.gl, first.shaders,
                last.shaders);
    EXPECT_EQ(last.live.com, first.live.com) << kind;
    EXPECT_EQ(last.live.gl, first.live.gl) << kind;
    EXPECT_EQ(last.shaders, first.shaders) << kind;
#if !defined(__SANITIZE_ADDRESS__)
    // (The sanitizer quarantines freed memory; its leak check at exit stands in.)
    EXPECT_LE(last.live.resident - first.live.resident, kResidentSlackBytes) << kind;
#endif
  }

  // The five parts, the intro from content/scenes/intro.scene.lua with its mark at `x`.
  void WriteParts(float x) {
    dir.Write("data/intro.demo_scene/M.nbl", Triangle(1));
    dir.Write("data/intro.demo_scene/M.nbl.efx", "effect = {{pass = {{fx = 'm', tec = 'T', params = {}, "
                                                 "streams = {{'pos', 'POSITION'}}}}}}\n");
    const TestScene1 names;
    for (int part = 0; part < names.PartCount(); ++part) {
      const std::string name = engine::core::ToNarrow(names.PartName(part));
      WriteDescription(name, x);
      SceneDescriptionReload(&names, "content/scenes").Reload({"content/scenes/" + name + ".scene.lua"});
    }
  }
  void WriteDescription(const std::string& part, float x) {
    dir.Write("content/scenes/" + part + ".scene.lua",
              "length = 100\nobjects = {\n  {\"Lamp\", \"Lamp\"},\n" +
                  std::string(part == "intro" ? "  {\"Mesh\", \"M\", location = {" + std::to_string(x) + ", 0, 0}},\n"
                                              : "") +
                  "}\n");
  }

  boost::shared_ptr<engine::gfx::Mesh> mesh;
  MeshReload meshes;
  ResourceReload resources{&meshes};
};

TEST_F(KindsReloadSoak, EveryKindReloadsWithoutGrowth) {
  Soak("material", [this](int i) {
    WriteMaterial(i + 1);
    meshes.Reload({"data/m.nbl.efx"});
  });
  Soak("mesh", [this](int i) {
    dir.Write("data/m.nbl", Triangle(1.0f + static_cast<float>(i % 2)));
    meshes.Reload({"data/m.nbl"});
  });
  Soak("image", [this](int i) {
    WriteImage(i + 1);
    resources.Reload({"data/t.png"});
  });
  Soak("resource script", [this](int i) {
    WriteScript(16 + (i + 1) % 2);
    resources.Reload({"data/startup.resources"});
  });
  Soak("priority file", [this](int i) {
    dir.Write("data/rtpriorities.txt", i % 2 ? "Side\n" : "\nSide\n");
    resources.Reload({"data/rtpriorities.txt"});
  });
}

TEST_F(KindsReloadSoak, SceneDescriptionsAndTheirPartsReloadWithoutGrowth) {
  WriteParts(0);
  TestScene1 scene;
  scene.LoadParts();
  SceneDescriptionReload scenes(&scene, "content/scenes");
  PartReload parts(&scene);
  Soak("scene description and part", [&](int i) {
    WriteDescription("intro", static_cast<float>(i % 2));
    scenes.Reload({"content/scenes/intro.scene.lua"});
    parts.Reload({"data/intro.demo"});
    ASSERT_EQ(scene.CurrentPartIndex(), 0);
  });
  scene.Stop();
}

}  // namespace
