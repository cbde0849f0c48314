#include "authoring/effectReload.h"

#include <boost/shared_ptr.hpp>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/resourceTypes.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/effectPool.h"
#include "authoring/effectSources.h"
#include "authoring/reloadReport.h"
#include "platform/effect.h"
#include "platform/paths.h"

namespace {

// The pool every effect is compiled against; it is made once, when the engine starts.
const char* const PoolFile = "data\\fx\\_shared.fx";

using engine::core::resources::FXEffect;

boost::shared_ptr<FXEffect> FindEffect(const std::wstring& name) {
  return boost::dynamic_pointer_cast<FXEffect>(engine::core::ResourceManager::Get()->GetResource(name));
}

// Compiles the effect's file as its resource would, and throws the result away. The
// compiler's message when it fails.
bool Compiles(const std::wstring& name, std::string* message) {
  ID3D10Device* device = engine::core::CWin32Window::Get()->device;
  ID3D10EffectPool* pool = engine::gfx::EffectPool::Get()->pool;
  ID3D10Effect* probe = nullptr;
  ID3D10Blob* errors = nullptr;
  const HRESULT hr = D3DX10CreateEffectFromFileW(name.c_str(), nullptr, nullptr, "fx_4_0", 0,
                                                 D3D10_EFFECT_COMPILE_CHILD_EFFECT, device, pool, nullptr, &probe,
                                                 &errors, nullptr);
  if (errors) {
    *message = static_cast<const char*>(errors->GetBufferPointer());
    errors->Release();
  }
  if (probe) probe->Release();
  return SUCCEEDED(hr) && probe;
}

}  // namespace

bool EffectReload::StaleFiles() {
  // Effects made since the last look (a shader asks for its effect when it is loaded).
  return engine::core::ResourceManager::Get()->Resources().size() != resourcesSeen;
}

std::set<std::string> EffectReload::Files() {
  const auto& resources = engine::core::ResourceManager::Get()->Resources();
  resourcesSeen = resources.size();
  effectsOfFile.clear();
  std::set<std::string> files;
  for (const auto& entry : resources) {
    if (!boost::dynamic_pointer_cast<FXEffect>(entry.second)) continue;
    for (const std::string& file : EffectSourceFiles(platform::NativePath(entry.first))) {
      effectsOfFile[file].push_back(entry.first);
      files.insert(file);
    }
  }
  poolFiles.clear();
  for (const std::string& file : EffectSourceFiles(platform::NativePath(std::string(PoolFile)))) {
    poolFiles.insert(file);
    files.insert(file);
  }
  return files;
}

void EffectReload::Reload(const std::set<std::string>& changed) {
  std::set<std::wstring> effects;
  bool poolChanged = false;
  for (const std::string& file : changed) {
    if (poolFiles.count(file)) poolChanged = true;
    const auto found = effectsOfFile.find(file);
    if (found != effectsOfFile.end()) effects.insert(found->second.begin(), found->second.end());
  }
  if (poolChanged) {
    NEBLU_WARNING("-watch: data/fx/_shared.fx or a file it includes changed; the shared variables are made once at "
                  "start, so that change shows after a restart");
  }
  std::vector<std::string> good;
  for (const std::wstring& effectName : effects) {
    boost::shared_ptr<FXEffect> effect = FindEffect(effectName);
    if (!effect) continue;
    std::string message;
    const std::string file = engine::core::ToNarrow(effectName);
    if (!Compiles(effectName, &message)) {
      effect->KeepCurrentEffect();
      ReportReloadFailure(file, message, "does not compile; the last good effect stays on screen");
      continue;
    }
    effect->ReloadOnNextUpdate();
    good.push_back(file);
  }
  if (good.empty()) return;
  try {
    // The F9 path: every effect whose file time moved is recompiled, then shaders re-bind.
    engine::core::ResourceManager::Get()->UpdateResources();
  } catch (const engine::core::Exception& e) {
    // A file saved again between the check and the reload; the next quiet moment retries.
    SayOnStandardError(engine::core::ToNarrow(e.GetText()));
    return;
  }
  for (const std::string& file : good) ReportReloaded(file);
}
