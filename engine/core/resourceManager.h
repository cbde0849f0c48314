#pragma once

#include <boost/shared_ptr.hpp>
#include <map>
#include <string>

#include "engine/api.h"
#include "engine/core/resource.h"
#include "engine/core/singleton.h"

namespace engine {
namespace core {

// Every named device object of the run. Resources live from their registration until
// the manager is deleted at the end of the run, which destroys them all in name order.
class ENGINE_API ResourceManager : public pattern::Singleton<ResourceManager> {
 public:
  ResourceManager();
  ~ResourceManager() override;

  // Stores the resource under the name, dropping an earlier one of that name, and
  // creates it at once.
  void AddResource(const std::wstring& name, const boost::shared_ptr<Resource>& resource);
  // The resource under the name, or an empty pointer. Never creates, never reports.
  boost::shared_ptr<Resource> GetResource(const std::wstring& name);
  // The resource under the name cast to T, or a new default T made from the name alone,
  // created and stored. An existing resource of another class yields an empty pointer,
  // and so does a name registered empty (the window's "_framebuffer"): that entry stands
  // for the back buffer and is never replaced by a default.
  template <class T>
  boost::shared_ptr<T> GetOrCreateResource(const std::wstring& name);
  // Lets every resource rebuild itself if its source changed, in name order.
  void UpdateResources();
  // Runs a resource script: every descriptor becomes a resource, in list order.
  void LoadResourceScript(const std::string& path);

  const std::map<std::wstring, boost::shared_ptr<Resource>>& Resources() const { return resources; }

 private:
  std::map<std::wstring, boost::shared_ptr<Resource>> resources;
};

template <class T>
boost::shared_ptr<T> ResourceManager::GetOrCreateResource(const std::wstring& name) {
  auto found = resources.find(name);
  if (found != resources.end()) return boost::dynamic_pointer_cast<T>(found->second);
  boost::shared_ptr<T> created(new T(name));
  created->Create();
  resources[name] = created;
  return created;
}

}  // namespace core
}  // namespace engine
