#include "authoring/resourceReload.h"

#include <boost/shared_ptr.hpp>
#include <filesystem>
#include <vector>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/resourceManager.h"
#include "engine/core/resourceTypes.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/effectPool.h"
#include "authoring/meshReload.h"
#include "authoring/reloadReport.h"
#include "platform/paths.h"

namespace {

const char* const ScriptFile = "data/startup.resources";
const wchar_t* const PriorityFile = L"data/rtpriorities.txt";

using engine::core::ResourceDescriptor;
using engine::core::resources::Texture;

// Textures read from files: not made by code, not targets.
boost::shared_ptr<Texture> FileTexture(const boost::shared_ptr<engine::core::Resource>& resource) {
  auto texture = boost::dynamic_pointer_cast<Texture>(resource);
  if (!texture || boost::dynamic_pointer_cast<engine::core::resources::CustomTexture>(resource)) {
    return boost::shared_ptr<Texture>();
  }
  const int kind = texture->TextureKind();
  return kind == 0 || kind == 2 ? texture : boost::shared_ptr<Texture>();
}

bool IsTarget(const ResourceDescriptor& d) {
  return d.kind == engine::core::RENDERTARGET || d.kind == engine::core::DEPTHTARGET ||
         d.kind == engine::core::DEPTHARRAY;
}

std::map<std::wstring, ResourceDescriptor> ReadDeclared() {
  const engine::WindowSettings& window = engine::core::CWin32Window::Get()->settings;
  std::map<std::wstring, ResourceDescriptor> declared;
  engine::core::ReadResourceScript(ScriptFile, window.width, window.height,
                                   [&declared](const ResourceDescriptor& d) { declared[d.name] = d; });
  return declared;
}

}  // namespace

bool ResourceReload::StaleFiles() {
  return engine::core::ResourceManager::Get()->Resources().size() != resourcesSeen;
}

std::set<std::string> ResourceReload::Files() {
  if (!scriptRead) {
    scriptRead = true;
    try {
      declared = ReadDeclared();
    } catch (const engine::core::Exception&) {
      // The start-up already said what is wrong with it; a fixed save reloads it.
    }
  }
  const auto& resources = engine::core::ResourceManager::Get()->Resources();
  resourcesSeen = resources.size();
  textureOfFile.clear();
  std::set<std::string> files{WatchedPath(ScriptFile), WatchedPath(engine::core::ToNarrow(PriorityFile))};
  for (const auto& entry : resources) {
    if (!FileTexture(entry.second)) continue;
    const std::string file = WatchedPath(engine::core::ToNarrow(entry.first));
    textureOfFile[file] = entry.first;
    files.insert(file);
  }
  return files;
}

void ResourceReload::Reload(const std::set<std::string>& changed) {
  ReloadTextures(changed);
  bool replaced = false;
  if (changed.count(WatchedPath(ScriptFile))) replaced = ReloadScript();
  const std::string priorities = WatchedPath(engine::core::ToNarrow(PriorityFile));
  if (replaced) meshes->ReloadAll();
  if (replaced || changed.count(priorities)) {
    engine::gfx::EffectPool::Get()->ReloadRenderTargetPriorities(PriorityFile);
    if (changed.count(priorities)) ReportReloaded(priorities);
  }
}

void ResourceReload::ReloadTextures(const std::set<std::string>& changed) {
  engine::core::ResourceManager* manager = engine::core::ResourceManager::Get();
  for (const auto& entry : textureOfFile) {
    if (!changed.count(entry.first)) continue;
    const auto texture = FileTexture(manager->GetResource(entry.second));
    if (!texture) continue;
    try {
      texture->Reload();
      ReportReloaded(entry.first);
    } catch (const engine::core::Exception& e) {
      ReportReloadFailure(entry.first, engine::core::ToNarrow(e.GetText()),
                          "not reloaded; the last good texture stays on screen");
    }
  }
}

bool ResourceReload::ReloadScript() {
  const std::string script = WatchedPath(ScriptFile);
  std::map<std::wstring, ResourceDescriptor> now;
  try {
    now = ReadDeclared();
  } catch (const engine::core::Exception& e) {
    ReportReloadFailure(script, engine::core::ToNarrow(e.GetText()),
                        "not reloaded; the last good resources stay in use");
    return false;
  }
  // Only targets are made anew: a texture's image reloads with its file, and effects and
  // meshes with theirs.
  engine::core::ResourceManager* manager = engine::core::ResourceManager::Get();
  std::vector<ResourceDescriptor> fresh;
  for (const auto& entry : now) {
    const auto before = declared.find(entry.first);
    if (IsTarget(entry.second) && (before == declared.end() || !(before->second == entry.second))) {
      fresh.push_back(entry.second);
    }
  }
  try {
    for (const ResourceDescriptor& d : fresh) manager->AddResource(d.name, engine::core::MakeResource(d));
  } catch (const engine::core::Exception& e) {
    ReportReloadFailure(script, engine::core::ToNarrow(e.GetText()), "a target could not be made");
    return false;
  }
  declared = now;
  ReportReloaded(script);
  return !fresh.empty();
}
