#pragma once

#include <boost/shared_ptr.hpp>
#include <functional>
#include <string>

#include "engine/api.h"

namespace engine {
namespace core {

// Descriptor kinds of a resource script.
enum ResourceKind {
  TEXTURE = 0,
  RENDERTARGET = 1,
  DEPTHTARGET = 2,
  DEPTHARRAY = 3,
  SHADER = 4,
  NBLMESH = 5,
};

// One entry of a resource script's "resources" list, read by position. Numbers are
// truncated toward zero (and held to the 32-bit range); absent fields read as 0 and an
// absent name as "".
struct ResourceDescriptor {
  int kind = 0;
  std::wstring name;
  int width = 0;
  int height = 0;
  int format = 0;
  int multisampleMode = 0;  // 0: as the swap chain; anything else: one sample
  int arraySize = 0;
  bool shaderReadable = false;

  bool operator==(const ResourceDescriptor& o) const {
    return kind == o.kind && name == o.name && width == o.width && height == o.height && format == o.format &&
           multisampleMode == o.multisampleMode && arraySize == o.arraySize && shaderReadable == o.shaderReadable;
  }
};

class Resource;

// Runs the resource script at `path` with the kind, multisample, window-size and format
// globals defined, and hands each descriptor of known kind to `build`, in list order;
// each is built before the next is read. Unknown kinds are skipped.
ENGINE_API void ReadResourceScript(const std::string& path, int windowWidth, int windowHeight,
                                   const std::function<void(const ResourceDescriptor&)>& build);

// The resource a descriptor of known kind stands for, made but not created.
ENGINE_API boost::shared_ptr<Resource> MakeResource(const ResourceDescriptor& descriptor);

}  // namespace core
}  // namespace engine
