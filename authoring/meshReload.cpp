#include "authoring/meshReload.h"

#include <boost/shared_ptr.hpp>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/wrapper.h"
#include "authoring/authoredDemo.h"
#include "authoring/reloadReport.h"
#include "platform/paths.h"

namespace {

const wchar_t kQuadName[] = L"data/quad.nbl";

// Meshes a material makes: every mesh resource but the shared full-screen quad.
boost::shared_ptr<engine::gfx::Mesh> AsReloadableMesh(const std::wstring& name,
                                                      const boost::shared_ptr<engine::core::Resource>& resource) {
  if (name.empty() || name == kQuadName) return boost::shared_ptr<engine::gfx::Mesh>();
  return boost::dynamic_pointer_cast<engine::gfx::Mesh>(resource);
}

}  // namespace

std::set<std::string> TemplateFilesOf(const std::string& scriptPath) {
  std::set<std::string> files;
  std::vector<std::string> pending{scriptPath};
  while (!pending.empty()) {
    const std::string path = pending.back();
    pending.pop_back();
    std::ifstream in(platform::NativePath(path));
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    for (size_t open = s.find('"'); open != std::string::npos;) {
      const size_t close = s.find('"', open + 1);
      if (close == std::string::npos) break;
      const std::string name = s.substr(open + 1, close - open - 1);
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tpl") == 0) {
        const std::string file = WatchedPath("data/" + name);
        if (files.insert(file).second) pending.push_back(file);
      }
      open = s.find('"', close + 1);
    }
  }
  return files;
}

const GeneratedMesh* MeshReload::Generated(const std::string& name) const {
  return program ? program->FindGeneratedMesh(name) : nullptr;
}

bool MeshReload::StaleFiles() {
  // A demo file reloaded with meshes it did not have before.
  return engine::core::ResourceManager::Get()->Resources().size() != resourcesSeen;
}

std::set<std::string> MeshReload::Files() {
  const auto& resources = engine::core::ResourceManager::Get()->Resources();
  resourcesSeen = resources.size();
  std::set<std::string> all;
  for (const auto& entry : resources) {
    if (!AsReloadableMesh(entry.first, entry.second)) continue;
    std::set<std::string>& files = filesOfMesh[entry.first];
    const std::string name = engine::core::ToNarrow(entry.first);
    const std::string material = name + ".efx";
    files.insert(WatchedPath(material));
    for (const std::string& file : TemplateFilesOf(material)) files.insert(file);
    const GeneratedMesh* source = Generated(name);
    if (!source) {
      files.insert(WatchedPath(name));
    } else if (!source->file.empty()) {
      files.insert(WatchedPath(source->file));
    }
    all.insert(files.begin(), files.end());
  }
  return all;
}

void MeshReload::Rebuild(const std::set<std::string>& changed, bool report) {
  engine::core::ResourceManager* manager = engine::core::ResourceManager::Get();
  engine::gfx::EffectPool* pool = engine::gfx::EffectPool::Get();
  std::set<std::string> good;
  for (auto& entry : filesOfMesh) {
    std::set<std::string> mine;
    for (const std::string& file : entry.second) {
      if (changed.count(file)) mine.insert(file);
    }
    if (mine.empty()) continue;
    const auto mesh = AsReloadableMesh(entry.first, manager->GetResource(entry.first));
    if (!mesh) continue;
    const std::string name = engine::core::ToNarrow(entry.first);
    try {
      std::vector<std::string> read;
      const boost::shared_ptr<engine::gfx::Effect> effect = pool->TryBuildEffect(name + ".efx", &read);
      if (!effect) NEBLU_ERROR("no alternative of " + name + ".efx runs here (the log names the passes that failed)");
      const GeneratedMesh* source = Generated(name);
      engine::gfx::LoadMesh* fresh = source ? source->make() : engine::GetNBLMesh(entry.first);
      mesh->Rebuild(fresh, effect);
      for (const std::string& file : read) entry.second.insert(WatchedPath(file));
      good.insert(mine.begin(), mine.end());
    } catch (const engine::core::Exception& e) {
      ReportReloadFailure(*mine.begin(), engine::core::ToNarrow(e.GetText()),
                          "not reloaded; the last good " + name + " stays on screen");
    }
  }
  // The replaced effects' shaders leave the draw order.
  pool->ReleaseUnusedShaders();
  if (report) {
    for (const std::string& file : good) ReportReloaded(file);
  }
}

void MeshReload::ReloadAll() {
  Files();
  std::set<std::string> every;
  for (const auto& entry : filesOfMesh) every.insert(entry.second.begin(), entry.second.end());
  Rebuild(every, false);
}
