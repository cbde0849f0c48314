#pragma once

#include <string>

#include "engine/api.h"

namespace engine {
namespace core {

// Everything the ResourceManager holds by name: textures, render and depth targets,
// effects, meshes. A resource is constructed with its parameters only and owns device
// objects from Create until Destroy; Update may rebuild them.
class ENGINE_API Resource {
 public:
  explicit Resource(const std::wstring& name_) : name(name_) {}
  virtual ~Resource() {}

  virtual void Create() = 0;
  virtual void Destroy() = 0;
  // Rebuilds the device objects when their source changed; most resources never do.
  virtual void Update() {}

  const std::wstring& Name() const { return name; }

 protected:
  std::wstring name;  // the manager's key and, for file-based resources, the file's path
};

// The one interface pointer a resource hands out: a texture's shader resource view, an
// effect's effect. Consumers cast a Resource to the retriever they need; a resource of
// another class yields none.
template <class T>
class ResourceRetriever {
 public:
  ResourceRetriever() : pointer(nullptr) {}
  virtual ~ResourceRetriever() {}

  T Get() const { return pointer; }

 protected:
  T pointer;  // null while the resource is not created
};

}  // namespace core
}  // namespace engine
