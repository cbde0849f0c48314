// The F9 reload, many times in one process: the demo's lit effect, with a shader bound
// to it, recompiled through ResourceManager::UpdateResources each time its file's
// modification time moves forward, and the shader rebinding on its next use. Resident
// memory and the layer's live COM and GL object counts must be where they were after
// the first reload. NEBLU_SOAK_RELOADS sets the count (20 by default, as CI runs it;
// scripts/soak.sh runs 1000).

#include <sys/time.h>
#include <utime.h>

#include <boost/shared_ptr.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/core/resourceTypes.h"
#include "engine/gfx/Shader.h"
#include "engine_fixture.h"
#include "soak/soak_support.h"

using engine::core::ResourceManager;

namespace {

using soak::Counts;
using soak::kResidentSlackBytes;
using soak::Now;
using soak::Reloads;

class EffectReloadSoak : public enginetest::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    OpenWindow(Settings(64, 64));
    if (IsSkipped() || HasFatalFailure()) return;
    // The demo's pool and fallback with it, so the effect compiles against what it
    // was written for.
    for (const char* file : {"fx/_shared.fx", "fx/shared.fxh", "fx/common.fxh", "fx/shadow.fxh", "fx/litSurface.fxh",
                             "fx/lit.fx", "fx/wireframe.fx", "wireframe.efx"}) {
      dir.Write(std::string("data/") + file,
                testing_support::ScratchDir::ReadFile(std::string(NEBLU_CONTENT_DATA) + "/" + file));
    }
  }

  // Moves the effect file's modification time on by a second per call, as saving it
  // would, without waiting for the clock.
  void Touch() {
    ++stamp;
    const struct utimbuf times = {stamp, stamp};
    ASSERT_EQ(utime(dir.Path("data/fx/lit.fx").c_str(), &times), 0);
  }

  time_t stamp = std::time(nullptr);
};

TEST_F(EffectReloadSoak, ReloadsKeepMemoryAndLiveObjectsSteady) {
  engine::gfx::PassDescription pass;
  pass.fx = "lit.fx";
  pass.tec = "Plain";
  pass.depthTargetName.clear();
  const float colour[4] = {0.5f, 0.25f, 1.0f, 1.0f};
  pass.parameters.AddFloat4("Colour", colour);
  engine::gfx::Shader shader(pass, "data/fx/lit.fx");
  ASSERT_TRUE(shader.GetEffect());
  const boost::shared_ptr<engine::gfx::RenderObject> none;

  const int reloads = Reloads();
  Counts first = {};
  const auto started = std::chrono::steady_clock::now();
  for (int i = 0; i < reloads; ++i) {
    Touch();
    ResourceManager::Get()->UpdateResources();
    shader.UpdateSemantics(none);  // rebinds to the new effect
    ASSERT_NE(shader.GetEffect()->Get(), nullptr) << "reload " << i + 1;
    ASSERT_TRUE(shader.Technique() && shader.Technique()->IsValid()) << "reload " << i + 1;
    // Applying the pass makes the device program, as the next frame's draw would.
    ASSERT_TRUE(SUCCEEDED(shader.Technique()->GetPassByIndex(0)->Apply(0))) << "reload " << i + 1;
    ASSERT_EQ(shader.BoundVariables(engine::gfx::ShaderParameters::FLOAT4).size(), 1u);
    ASSERT_TRUE(shader.BoundVariables(engine::gfx::ShaderParameters::FLOAT4)[0]->IsValid());
    if (i == 0) first = Now();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const Counts last = Now();

  std::printf("%d reloads in %.1f s (%.1f ms each); resident %.1f MiB after the first, %.1f MiB after the last; "
              "live COM objects %ld -> %ld, GL objects %ld -> %ld\n",
              reloads, seconds, 1000.0 * seconds / reloads, first.resident / 1048576.0, last.resident / 1048576.0,
              first.com, last.com, first.gl, last.gl);
  EXPECT_EQ(last.com, first.com);
  EXPECT_EQ(last.gl, first.gl);
  const auto rows = Rows();
  EXPECT_EQ(std::count(rows.begin(), rows.end(), "Updating data/fx/lit.fx"), reloads) << "every reload recompiles";
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer holds freed memory in quarantine, so resident memory says nothing
  // here; its leak check at exit stands in.
#else
  EXPECT_LE(last.resident - first.resident, kResidentSlackBytes);
#endif
}

}  // namespace
