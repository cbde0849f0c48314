#pragma once

namespace engine {
namespace core {

// Drops one reference on a device object, if there is one, and forgets it.
template <class T>
void SafeRelease(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

}  // namespace core
}  // namespace engine
