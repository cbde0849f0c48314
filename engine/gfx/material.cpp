#include "engine/gfx/material.h"

#include <algorithm>
#include <cstring>

#include "engine/core/logging.h"
#include "engine/core/luaWrapper.h"
#include "engine/core/resourceManager.h"
#include "engine/core/resourceTypes.h"
#include "engine/core/textConversion.h"

namespace engine {
namespace gfx {

using core::LuaList;
using core::LuaScript;
using core::LuaValue;
using core::ResourceManager;

namespace {

// Every access pushes one value; these read a field and pop it again, so the parse
// never leaves values behind however deep the scripts nest.
std::string TextOf(const LuaValue& table, const std::string& key) {
  const std::string text = table[key].ToString();
  table.Script()->Pop();
  return text;
}

std::string TextOf(const LuaValue& table, int i) {
  const std::string text = table[i].ToString();
  table.Script()->Pop();
  return text;
}

int IntOf(const LuaValue& table, const std::string& key) {
  const int value = table[key].ToInt();
  table.Script()->Pop();
  return value;
}

void RequireTable(const LuaValue& value, const char* message) {
  if (!value.IsTable()) NEBLU_ERROR(message);
}

// Reads value[1..n] as floats for a floatN parameter.
template <int N>
void ReadFloats(const LuaValue& value, const std::string& type, float out[N]) {
  if (!value.IsTable()) NEBLU_ERROR(type + " value must be a table");
  for (int k = 0; k < N; ++k) {
    out[k] = static_cast<float>(value[k + 1].ToNumber());
    value.Script()->Pop();
  }
}

boost::shared_ptr<core::Resource> FetchResource(const std::string& type, const std::wstring& name) {
  ResourceManager* manager = ResourceManager::Get();
  if (type == "tex") return manager->GetOrCreateResource<core::resources::Texture>(name);
  if (type == "cube") return manager->GetOrCreateResource<core::resources::CubeTexture>(name);
  if (type == "depth") return manager->GetOrCreateResource<core::resources::DepthTargetTexture>(name);
  return manager->GetResource(name);
}

// A colour or depth target named in a pass must exist, and must be the kind of target it
// is used as: a file texture or a depth target named as a colour target would bind
// nothing sensible, so it is refused like a missing one.
template <class Target>
void RequireTarget(const std::string& name) {
  auto resource = ResourceManager::Get()->GetResource(core::ToWide(name));
  if (!boost::dynamic_pointer_cast<Target>(resource)) NEBLU_ERROR("No such render target " + name);
}

const struct {
  const char* word;
  MeshData::DataTypes kind;
} kStreamKinds[] = {
    {"pos", MeshData::POSITION},     {"normal", MeshData::NORMAL},     {"tex", MeshData::TEXCOORD},
    {"tangent", MeshData::TANGENT}, {"binormal", MeshData::BINORMAL}, {"bone", MeshData::BONE},
};

PassDescription ParsePass(const LuaValue& pass) {
  PassDescription d;
  d.priority = IntOf(pass, "priority");
  d.fx = TextOf(pass, "fx") + ".fx";
  d.tec = TextOf(pass, "tec");

  for (int slot = 1; slot <= 8; ++slot) {
    const std::string key = slot == 1 ? "rendertarget" : "rendertarget" + std::to_string(slot);
    const std::string v = TextOf(pass, key);
    if (v == "null") continue;
    if (v.empty()) {
      if (slot == 1) d.targetNames.push_back("_framebuffer");
      continue;
    }
    RequireTarget<core::resources::RenderTargetTexture>(v);
    d.targetNames.push_back(v);
  }

  const std::string depth = TextOf(pass, "depthtarget");
  if (depth.empty()) {
    d.depthTargetName = "_depthbuffer";
  } else if (depth != "null") {
    RequireTarget<core::resources::DepthTargetTexture>(depth);
    d.depthTargetName = depth;
  }

  const int instances = IntOf(pass, "instances");
  d.instances = instances > 0 ? instances : 1;

  LuaScript* script = pass.Script();
  LuaValue params = pass["params"];
  RequireTable(params, "Params must be a table");
  d.parameters = ParseParameters(params);
  script->Pop();

  LuaValue streams = pass["streams"];
  RequireTable(streams, "Streams must be a table");
  for (LuaList list(streams); list.HasNext();) {
    LuaValue entry = list.Next();
    RequireTable(entry, "Input assembly info is not a table");
    const std::string word = TextOf(entry, 1);
    StreamRequirement requirement;
    requirement.name = TextOf(entry, 2);
    bool known = false;
    for (const auto& k : kStreamKinds) {
      if (word == k.word) {
        requirement.kind = k.kind;
        known = true;
      }
    }
    if (!known) NEBLU_ERROR("Unsupported stream type ( supported: pos, normal, tex, tangent, binormal, bone )");
    d.streams.push_back(requirement);
    script->Pop();
  }
  script->Pop();
  return d;
}

// The template names of a table's "template" value: a list, or one name.
std::vector<std::string> TemplateNames(const LuaValue& table) {
  std::vector<std::string> names;
  LuaValue value = table["template"];
  if (value.IsTable()) {
    for (LuaList list(value); list.HasNext();) {
      names.push_back(list.Next().ToString());
      table.Script()->Pop();
    }
  } else if (value.IsString()) {
    names.push_back(value.ToString());
  }
  table.Script()->Pop();
  return names;
}

std::vector<PassDescription> ParsePassList(const LuaValue& table, std::vector<std::string>& chain) {
  const std::vector<std::string> names = TemplateNames(table);
  for (const std::string& name : names) {
    if (std::find(chain.begin(), chain.end(), name) != chain.end()) {
      NEBLU_ERROR("template " + name + " already included in the chain.");
    }
  }

  std::vector<PassDescription> passes;
  for (const std::string& name : names) {
    NEBLU_MESSAGE("Parsing template script " + name);
    LuaScript templateScript("data/" + name);
    LuaValue body = templateScript.GetGlobal("template");
    if (body.IsTable()) {
      chain.push_back(name);
      std::vector<PassDescription> templatePasses = ParsePassList(body, chain);
      passes.insert(passes.end(), templatePasses.begin(), templatePasses.end());
    } else {
      NEBLU_WARNING("template is not a table");
    }
  }

  LuaValue list = table["pass"];
  if (list.IsTable()) {
    for (LuaList each(list); each.HasNext();) {
      LuaValue pass = each.Next();
      // Reading keys of a non-table would silently give an empty pass; say what is wrong.
      RequireTable(pass, "Pass description must be a table");
      passes.push_back(ParsePass(pass));
      table.Script()->Pop();
    }
  }
  table.Script()->Pop();
  return passes;
}

// Material-wide values that replace the first pass entry of the name.
template <class V, class Replace>
void ReplaceIn(const std::vector<ShaderParameters::Entry<V>>& wide, std::vector<PassDescription>& passes,
               std::vector<ShaderParameters::Entry<V>> ShaderParameters::*list, Replace replace) {
  for (const auto& m : wide) {
    for (PassDescription& pass : passes) {
      const auto& entries = pass.parameters.*list;
      if (std::any_of(entries.begin(), entries.end(), [&](const ShaderParameters::Entry<V>& q) { return q.name == m.name; })) {
        replace(pass.parameters, m);
      }
    }
  }
}

// Material-wide values that are appended after every pass entry of the name, so the
// copy is written last and wins.
template <class V>
void AppendIn(const std::vector<ShaderParameters::Entry<V>>& wide, std::vector<PassDescription>& passes,
              std::vector<ShaderParameters::Entry<V>> ShaderParameters::*list) {
  for (const auto& m : wide) {
    for (PassDescription& pass : passes) {
      auto& entries = pass.parameters.*list;
      const size_t count = entries.size();
      for (size_t i = 0; i < count; ++i) {
        if (entries[i].name == m.name) ShaderParameters::Append(entries, m);
      }
    }
  }
}

}  // namespace

ShaderParameters ParseParameters(const LuaValue& list) {
  ShaderParameters parameters;
  LuaScript* script = list.Script();
  for (LuaList each(list); each.HasNext();) {
    LuaValue entry = each.Next();
    if (!entry.IsTable()) NEBLU_ERROR("Parameter description must be a table");
    const std::string name = TextOf(entry, 1);
    const std::string type = TextOf(entry, 2);
    LuaValue value = entry[3];
    if (type == "int") {
      parameters.AddInt(name, value.ToInt());
    } else if (type == "ipo") {
      parameters.AddAnimated(name);
    } else if (type == "float") {
      parameters.AddFloat(name, static_cast<float>(value.ToNumber()));
    } else if (type == "float2") {
      float f[2];
      ReadFloats<2>(value, type, f);
      parameters.AddFloat2(name, f);
    } else if (type == "float3") {
      float f[3];
      ReadFloats<3>(value, type, f);
      parameters.AddFloat3(name, f);
    } else if (type == "float4") {
      float f[4];
      ReadFloats<4>(value, type, f);
      parameters.AddFloat4(name, f);
    } else if (type == "bool") {
      parameters.AddBool(name, value.ToBoolean());
    } else if (type == "tex" || type == "cube" || type == "target" || type == "depth") {
      parameters.AddResource(name, type, FetchResource(type, core::ToWide(value.ToString())));
    } else {
      NEBLU_ERROR("Unsupported parameter type( supported: int, ipo, float, bool, tex, depth, target )");
    }
    script->Pop();  // value
    script->Pop();  // entry
  }
  return parameters;
}

void ApplyMaterialWideParameters(const ShaderParameters& m, std::vector<PassDescription>& passes) {
  using P = ShaderParameters;
  ReplaceIn(m.float4s, passes, &P::float4s,
            [](P& target, const P::Entry<P::param128>& e) { target.ReplaceFloat4(e.name, *e.value); });
  AppendIn(m.float3s, passes, &P::float3s);
  AppendIn(m.float2s, passes, &P::float2s);
  AppendIn(m.bit32s, passes, &P::bit32s);
  AppendIn(m.bools, passes, &P::bools);
  AppendIn(m.animated, passes, &P::animated);
  ReplaceIn(m.resources, passes, &P::resources,
            [](P& target, const P::Entry<boost::shared_ptr<core::Resource>>& e) {
              target.ReplaceResource(e.name, *e.value);
            });
}

std::vector<EffectAlternative> ParseMaterial(const std::string& path) { return ParseMaterial(path, nullptr); }

std::vector<EffectAlternative> ParseMaterial(const std::string& path, std::vector<std::string>* sourceFiles) {
  if (sourceFiles) sourceFiles->push_back(path);
  NEBLU_MESSAGE("Parsing material script " + path);
  LuaScript script(path);
  LuaValue effect = script.GetGlobal("effect");
  if (!effect.IsTable()) NEBLU_ERROR("Effect must be a table");

  std::vector<EffectAlternative> alternatives;
  for (LuaList list(effect); list.HasNext();) {
    LuaValue element = list.Next();
    if (!element.IsTable()) NEBLU_ERROR("Effect alternative must be a table");
    EffectAlternative alternative;
    alternative.priority = IntOf(element, "priority");
    ShaderParameters materialWide;
    LuaValue params = element["params"];
    if (params.IsTable()) materialWide = ParseParameters(params);
    script.Pop();
    std::vector<std::string> chain;
    alternative.passes = ParsePassList(element, chain);
    if (sourceFiles) {
      for (const std::string& name : chain) sourceFiles->push_back("data/" + name);
    }
    ApplyMaterialWideParameters(materialWide, alternative.passes);
    alternatives.push_back(std::move(alternative));
    script.Pop();
  }
  std::stable_sort(alternatives.begin(), alternatives.end(),
                   [](const EffectAlternative& a, const EffectAlternative& b) { return a.priority > b.priority; });
  return alternatives;
}

}  // namespace gfx
}  // namespace engine
