// Feeds arbitrary text to the effect compiler's front end as an effect file in the
// demo's effect folder, so its includes (common.fxh, shadow.fxh...) resolve: the
// preprocessor, the parser, constant buffer layout and the choice of techniques and
// entry points, everything before the HLSL compiler, which is too slow to fuzz. A
// reported error is an expected answer; a crash, a hang or a sanitizer report is a bug,
// and so is a plan that points outside itself.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/effect/compiler.h"

#ifndef NEBLU_FUZZ_EFFECT_FOLDER
#error "NEBLU_FUZZ_EFFECT_FOLDER names the folder whose includes the input may use"
#endif

using namespace platform::fx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string source(reinterpret_cast<const char*>(data), size);
  CompileOptions options;
  options.useCache = false;
  CompiledEffect effect;
  EffectPlan plan;
  std::string error;
  if (!PlanEffectSource(source, NEBLU_FUZZ_EFFECT_FOLDER "/fuzz-input.fx", options, effect, plan, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  const EffectSyntax& syntax = effect.syntax;
  if (effect.layouts.size() != syntax.cbuffers.size() || effect.techniques.size() != syntax.techniques.size()) {
    std::abort();
  }
  for (std::size_t i = 0; i < effect.layouts.size(); ++i) {
    if (effect.layouts[i].variables.size() != syntax.cbuffers[i].variables.size()) std::abort();
  }
  for (std::size_t t = 0; t < effect.techniques.size(); ++t) {
    const CompiledTechnique& technique = effect.techniques[t];
    if (technique.passes.size() != syntax.techniques[t].passes.size()) std::abort();
    for (const CompiledPass& pass : technique.passes) {
      for (int s = 0; s < kStageCount; ++s) {
        const int shader = pass.shaders[s];
        if (shader < -1 || shader >= static_cast<int>(plan.shaders.size())) std::abort();
        if (shader >= 0 && static_cast<int>(plan.shaders[shader].stage) != s) std::abort();
      }
      if (pass.valid && pass.shaders[0] < 0) std::abort();
    }
  }
  for (const PlannedShader& shader : plan.shaders) {
    if (!shader.ref || shader.entry.empty()) std::abort();
  }
  return 0;
}
