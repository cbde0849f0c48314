#pragma once

// What stops a conversion: broken input. The message says what is wrong and where in the
// scene; the tool puts the file's name in front of it.

#include <stdexcept>

namespace gltf2demo {

class GltfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace gltf2demo
