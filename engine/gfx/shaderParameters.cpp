#include "engine/gfx/shaderParameters.h"

#include <cstring>

namespace engine {
namespace gfx {

namespace {

template <class V>
void Add(std::vector<ShaderParameters::Entry<V>>& list, const std::string& name, const std::string& type,
         const V& value) {
  list.push_back(ShaderParameters::Entry<V>{name, type, boost::shared_ptr<V>(new V(value)),
                                            boost::shared_ptr<bool>(new bool(true))});
}

template <class V>
typename std::vector<ShaderParameters::Entry<V>>::iterator FindFirst(std::vector<ShaderParameters::Entry<V>>& list,
                                                                    const std::string& name) {
  auto it = list.begin();
  while (it != list.end() && it->name != name) ++it;
  return it;
}

}  // namespace

void ShaderParameters::AddFloat4(const std::string& name, const float value[4]) {
  param128 v;
  std::memcpy(v.f, value, sizeof v.f);
  Add(float4s, name, "float4", v);
}

void ShaderParameters::AddFloat3(const std::string& name, const float value[3]) {
  param96 v;
  std::memcpy(v.f, value, sizeof v.f);
  Add(float3s, name, "float3", v);
}

void ShaderParameters::AddFloat2(const std::string& name, const float value[2]) {
  param64 v;
  std::memcpy(v.f, value, sizeof v.f);
  Add(float2s, name, "float2", v);
}

void ShaderParameters::AddInt(const std::string& name, std::int32_t value) {
  param32 v;
  v.i = value;
  Add(bit32s, name, "int", v);
}

void ShaderParameters::AddFloat(const std::string& name, float value) {
  param32 v;
  v.f = value;
  Add(bit32s, name, "float", v);
}

void ShaderParameters::AddAnimated(const std::string& name) { Add(animated, name, "ipo", AnimatedValue()); }

void ShaderParameters::AddBool(const std::string& name, bool value) {
  param8 v;
  v.b = value ? 1 : 0;
  Add(bools, name, "bool", v);
}

void ShaderParameters::AddResource(const std::string& name, const std::string& type,
                                   const boost::shared_ptr<core::Resource>& value) {
  Add(resources, name, type, value);
}

bool ShaderParameters::ReplaceFloat4(const std::string& name, const param128& value) {
  auto it = FindFirst(float4s, name);
  if (it == float4s.end()) return false;
  *it->value = value;
  return true;
}

bool ShaderParameters::ReplaceResource(const std::string& name, const boost::shared_ptr<core::Resource>& value) {
  auto it = FindFirst(resources, name);
  if (it == resources.end()) return false;
  *it->value = value;
  return true;
}

void ShaderParameters::LinkAnimated(const std::string& name, const float* address) {
  for (auto& entry : animated) {
    if (entry.name == name) entry.value->address = address;
  }
}

size_t ShaderParameters::Count(Kind kind) const {
  switch (kind) {
    case FLOAT4:
      return float4s.size();
    case FLOAT3:
      return float3s.size();
    case FLOAT2:
      return float2s.size();
    case BIT32:
      return bit32s.size();
    case ANIMATED:
      return animated.size();
    case BOOL:
      return bools.size();
    case RESOURCE:
      return resources.size();
    case KIND_COUNT:
      break;
  }
  return 0;
}

const std::string& ShaderParameters::Name(Kind kind, size_t i) const {
  switch (kind) {
    case FLOAT4:
      return float4s.at(i).name;
    case FLOAT3:
      return float3s.at(i).name;
    case FLOAT2:
      return float2s.at(i).name;
    case BIT32:
      return bit32s.at(i).name;
    case ANIMATED:
      return animated.at(i).name;
    case BOOL:
      return bools.at(i).name;
    case RESOURCE:
    case KIND_COUNT:
      break;
  }
  return resources.at(i).name;
}

}  // namespace gfx
}  // namespace engine
