#pragma once

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/api.h"
#include "engine/core/resource.h"

namespace engine {
namespace gfx {

// The typed parameter values of one pass, as the material scripts write them. One
// ordered list per kind; names need not be unique, and a later entry of a name wins at
// draw time because entries are written in order. Values and enabled flags sit behind
// shared pointers, so copies of a set (the shader's copy of its pass) share them.
class ENGINE_API ShaderParameters {
 public:
  union param128 {
    float f[4];
    std::uint8_t bytes[16];
  };
  union param96 {
    float f[3];
    std::uint8_t bytes[12];
  };
  union param64 {
    float f[2];
    std::uint8_t bytes[8];
  };
  union param32 {
    std::int32_t i;
    float f;
    std::uint8_t bytes[4];
  };
  union param8 {
    std::uint8_t b;
  };
  // An animated value: the address of a float slot of an animation controller, null
  // until the demo loader links it.
  struct AnimatedValue {
    const float* address = nullptr;
  };

  // Storage order of the kinds; bound-variable lists and tools follow it.
  enum Kind { FLOAT4, FLOAT3, FLOAT2, BIT32, ANIMATED, BOOL, RESOURCE, KIND_COUNT };

  template <class V>
  struct Entry {
    std::string name;
    std::string type;  // the script's type word ("int", "float", "tex", ...), for tools
    boost::shared_ptr<V> value;
    boost::shared_ptr<bool> enabled;  // true from creation
  };

  void AddFloat4(const std::string& name, const float value[4]);
  void AddFloat3(const std::string& name, const float value[3]);
  void AddFloat2(const std::string& name, const float value[2]);
  void AddInt(const std::string& name, std::int32_t value);
  void AddFloat(const std::string& name, float value);
  void AddAnimated(const std::string& name);
  void AddBool(const std::string& name, bool value);
  void AddResource(const std::string& name, const std::string& type, const boost::shared_ptr<core::Resource>& value);

  // Appends a copy of an entry of another set (same name, type and value).
  template <class V>
  static void Append(std::vector<Entry<V>>& list, const Entry<V>& entry) {
    list.push_back(Entry<V>{entry.name, entry.type, boost::shared_ptr<V>(new V(*entry.value)),
                            boost::shared_ptr<bool>(new bool(true))});
  }
  // Gives the first entry of that name the value; false when there is none.
  bool ReplaceFloat4(const std::string& name, const param128& value);
  bool ReplaceResource(const std::string& name, const boost::shared_ptr<core::Resource>& value);
  // Points every animated entry of that name at `address`.
  void LinkAnimated(const std::string& name, const float* address);

  size_t Count(Kind kind) const;
  // The name of entry i of a kind.
  const std::string& Name(Kind kind, size_t i) const;

  std::vector<Entry<param128>> float4s;
  std::vector<Entry<param96>> float3s;
  std::vector<Entry<param64>> float2s;
  std::vector<Entry<param32>> bit32s;
  std::vector<Entry<AnimatedValue>> animated;
  std::vector<Entry<param8>> bools;
  std::vector<Entry<boost::shared_ptr<core::Resource>>> resources;
};

}  // namespace gfx
}  // namespace engine
