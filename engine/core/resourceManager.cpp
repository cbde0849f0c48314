#include "engine/core/resourceManager.h"

namespace engine {
namespace core {

ResourceManager::ResourceManager() = default;

ResourceManager::~ResourceManager() {
  // Device objects go first; a resource someone else still holds survives as an empty
  // shell.
  for (auto& entry : resources) {
    if (entry.second) entry.second->Destroy();
  }
  resources.clear();
}

void ResourceManager::AddResource(const std::wstring& name, const boost::shared_ptr<Resource>& resource) {
  resources[name] = resource;
  // "_framebuffer" is registered empty: the name stands for the screen.
  if (resource) resource->Create();
}

boost::shared_ptr<Resource> ResourceManager::GetResource(const std::wstring& name) {
  auto found = resources.find(name);
  return found == resources.end() ? boost::shared_ptr<Resource>() : found->second;
}

void ResourceManager::UpdateResources() {
  for (auto& entry : resources) {
    if (entry.second) entry.second->Update();
  }
}

}  // namespace core
}  // namespace engine
