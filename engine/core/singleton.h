#pragma once

#include <new>

#include "engine/api.h"

namespace engine {
namespace pattern {

// Process-wide instance of T, created on first Get() or by constructing a T directly,
// and forgotten when that object is deleted. T may list Singleton<T> before or after
// another polymorphic base: mInstance always points at the whole T, not at this base.
// Not thread-safe; every user is on the main thread.
template <class T>
class ENGINE_API Singleton {
 public:
  static T* Get() {
    if (!mInstance) mInstance = new T();
    return mInstance;
  }

  static T* mInstance;

 protected:
  // The downcast only adjusts the address by the base's fixed offset inside T; the T
  // around this base is still being built, which the vptr check would flag.
  __attribute__((no_sanitize("vptr"))) Singleton() { mInstance = static_cast<T*>(this); }
  virtual ~Singleton() { mInstance = nullptr; }

  Singleton(const Singleton&) = delete;
  Singleton& operator=(const Singleton&) = delete;
};

template <class T>
T* Singleton<T>::mInstance = nullptr;

// Factory for objects created through the pattern rather than with a bare `new`.
template <class T>
class Creator {
 public:
  static T* CreateInstance() { return new (std::nothrow) T(); }
};

}  // namespace pattern
}  // namespace engine
