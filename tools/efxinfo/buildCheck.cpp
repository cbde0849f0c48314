#include "tools/efxinfo/buildCheck.h"

#include <boost/filesystem/operations.hpp>

#include "engine/core/exception.h"
#include "engine/core/resourceManager.h"
#include "engine/core/resourceTypes.h"
#include "engine/core/textConversion.h"
#include "platform/effect.h"
#include "platform/paths.h"

namespace efxinfo {

namespace {

using engine::gfx::EffectAlternative;
using engine::gfx::PassDescription;

// "alternative 1 (priority 10), pass 2 (glass.fx, technique Refract)": alternatives in the
// order the engine tries them, passes as efxinfo lists them, templates' included.
std::string PassName(const EffectAlternative& alternative, std::size_t a, std::size_t p) {
  const PassDescription& pass = alternative.passes[p];
  return "alternative " + std::to_string(a + 1) + " (priority " + std::to_string(alternative.priority) + "), pass " +
         std::to_string(p + 1) + " (" + pass.fx + ", technique " + pass.tec + ")";
}

// The techniques `effect` has, "Main, Shadow", or "none".
std::string TechniqueNames(ID3D10Effect* effect) {
  D3D10_EFFECT_DESC desc{};
  if (FAILED(effect->GetDesc(&desc)) || desc.Techniques == 0) return "none";
  std::string names;
  for (UINT i = 0; i < desc.Techniques; ++i) {
    D3D10_TECHNIQUE_DESC technique{};
    if (FAILED(effect->GetTechniqueByIndex(i)->GetDesc(&technique)) || !technique.Name) continue;
    names += (names.empty() ? "" : ", ") + std::string(technique.Name);
  }
  return names;
}

enum class Verdict { Builds, Unsupported, Broken };

// Whether the engine can build `pass`, as its effect pool would: the effect file through
// the resource manager (compiled once, for the build that follows too), then the
// technique by name. A problem goes to `problem`.
Verdict CheckPass(const PassDescription& pass, std::string* problem) {
  const std::string path = "data/fx/" + pass.fx;
  boost::system::error_code notThere;
  if (!boost::filesystem::is_regular_file(platform::NativePath(path), notThere)) {
    *problem = path + " does not exist, so the engine leaves the pass out";
    return Verdict::Broken;
  }
  boost::shared_ptr<engine::core::resources::FXEffect> effect;
  try {
    effect = engine::core::ResourceManager::Get()->GetOrCreateResource<engine::core::resources::FXEffect>(
        engine::core::ToWide(path));
  } catch (const engine::core::Exception&) {
  }
  if (!effect || !effect->Get()) {
    *problem = path + " does not compile (the compiler's messages are above), so the engine leaves the pass out";
    return Verdict::Broken;
  }
  ID3D10EffectTechnique* technique = effect->Get()->GetTechniqueByName(pass.tec.c_str());
  if (technique->IsValid()) return Verdict::Builds;
  D3D10_TECHNIQUE_DESC desc{};
  if (SUCCEEDED(technique->GetDesc(&desc))) {
    *problem = "technique " + pass.tec + " of " + path + " cannot run here";
    return Verdict::Unsupported;
  }
  *problem = path + " has no technique " + pass.tec + " (it has " + TechniqueNames(effect->Get()) +
             "), so the engine passes over the alternative";
  return Verdict::Broken;
}

}  // namespace

std::vector<std::string> PassProblems(const std::vector<EffectAlternative>& alternatives) {
  std::vector<std::string> problems;
  if (alternatives.empty()) problems.push_back("it lists no alternatives, so the engine draws the wireframe instead");
  for (std::size_t a = 0; a < alternatives.size(); ++a) {
    for (std::size_t p = 0; p < alternatives[a].passes.size(); ++p) {
      std::string problem;
      if (CheckPass(alternatives[a].passes[p], &problem) == Verdict::Broken)
        problems.push_back(PassName(alternatives[a], a, p) + ": " + problem);
    }
  }
  return problems;
}

std::string FallbackProblem(const std::vector<EffectAlternative>& alternatives,
                            const boost::shared_ptr<engine::gfx::Effect>& effect) {
  if (effect != engine::gfx::EffectPool::Get()->Wireframe()) return "";
  // Every alternative has a technique that cannot run here (PassProblems found the rest).
  std::string reasons;
  for (std::size_t a = 0; a < alternatives.size(); ++a) {
    for (std::size_t p = 0; p < alternatives[a].passes.size(); ++p) {
      std::string problem;
      if (CheckPass(alternatives[a].passes[p], &problem) != Verdict::Unsupported) continue;
      reasons += (reasons.empty() ? "" : "; ") + PassName(alternatives[a], a, p) + ": " + problem;
    }
  }
  return "none of its alternatives can be drawn here, so the engine draws the wireframe instead" +
         (reasons.empty() ? std::string() : " (" + reasons + ")");
}

}  // namespace efxinfo
