#include "engine/core/resourceLoader.h"

#include <boost/make_shared.hpp>
#include <lua.hpp>

#include <cmath>
#include <limits>
#include <map>

#include "engine/core/formatTable.h"
#include "engine/core/Window.h"
#include "engine/core/logging.h"
#include "engine/core/luaWrapper.h"
#include "engine/core/resourceManager.h"
#include "engine/core/resourceTypes.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/gpuMesh.h"

namespace engine {
namespace core {

namespace {

// Reads position `i` of the descriptor and pops it again.
int IntAt(LuaScript& script, const LuaValue& descriptor, int i) {
  const int value = descriptor[i].ToInt();
  script.Pop();
  return value;
}

bool TruthAt(LuaScript& script, const LuaValue& descriptor, int i) {
  descriptor[i];
  const bool value = lua_toboolean(script.State(), -1) != 0;
  script.Pop();
  return value;
}

ResourceDescriptor ReadDescriptor(LuaScript& script, const LuaValue& entry) {
  ResourceDescriptor d;
  d.kind = IntAt(script, entry, 1);
  d.name = ToWide(entry[2].ToString());
  script.Pop();
  switch (d.kind) {
    case TEXTURE:
      d.format = IntAt(script, entry, 3);
      break;
    case RENDERTARGET:
      d.width = IntAt(script, entry, 3);
      d.height = IntAt(script, entry, 4);
      d.format = IntAt(script, entry, 5);
      d.multisampleMode = IntAt(script, entry, 6);
      break;
    case DEPTHTARGET:
      d.width = IntAt(script, entry, 3);
      d.height = IntAt(script, entry, 4);
      d.shaderReadable = TruthAt(script, entry, 5);
      d.format = IntAt(script, entry, 6);
      d.multisampleMode = IntAt(script, entry, 7);
      break;
    case DEPTHARRAY:
      d.arraySize = IntAt(script, entry, 3);
      d.width = IntAt(script, entry, 4);
      d.height = IntAt(script, entry, 5);
      d.shaderReadable = TruthAt(script, entry, 6);
      d.format = IntAt(script, entry, 7);
      d.multisampleMode = IntAt(script, entry, 8);
      break;
    default:
      break;
  }
  return d;
}

}  // namespace

void ReadResourceScript(const std::string& path, int windowWidth, int windowHeight,
                        const std::function<void(const ResourceDescriptor&)>& build) {
  const std::map<std::string, int> formats = BuildFormatTable();
  NEBLU_MESSAGE("Parsing resource script " + path);

  LuaScript script;
  script.SetGlobal("TEXTURE", TEXTURE);
  script.SetGlobal("RENDERTARGET", RENDERTARGET);
  script.SetGlobal("DEPTHTARGET", DEPTHTARGET);
  script.SetGlobal("DEPTHARRAY", DEPTHARRAY);
  script.SetGlobal("SHADER", SHADER);
  script.SetGlobal("NBLMESH", NBLMESH);
  script.SetGlobal("MULTISAMPLED", 0);
  script.SetGlobal("NEEDS_MULTISAMPLING", 1);
  script.SetGlobal("NO_MULTISAMPLING", 2);
  script.SetGlobal("WINDOW_WIDTH", windowWidth);
  script.SetGlobal("WINDOW_HEIGHT", windowHeight);
  for (const auto& format : formats) script.SetGlobal(format.first, format.second);
  script.Run(path);

  LuaValue resources = script.GetGlobal("resources");
  if (lua_type(script.State(), resources.Index()) != LUA_TTABLE) NEBLU_ERROR("Resources must be a table");

  for (LuaList list(resources); list.HasNext();) {
    LuaValue entry = list.Next();
    if (lua_type(script.State(), entry.Index()) != LUA_TTABLE) NEBLU_ERROR("Resource descriptor must be a table");
    const ResourceDescriptor descriptor = ReadDescriptor(script, entry);
    script.Pop();
    if (descriptor.kind >= TEXTURE && descriptor.kind <= NBLMESH) build(descriptor);
  }
}

boost::shared_ptr<Resource> MakeResource(const ResourceDescriptor& d) {
  using namespace resources;
  switch (d.kind) {
    case TEXTURE:
      return boost::make_shared<Texture>(d.name, d.format);
    case RENDERTARGET:
      return boost::make_shared<RenderTargetTexture>(d.name, d.width, d.height, d.format, d.multisampleMode);
    case DEPTHTARGET:
      return boost::make_shared<DepthTargetTexture>(d.name, d.shaderReadable, d.width, d.height, d.format,
                                                    d.multisampleMode);
    case DEPTHARRAY:
      return boost::make_shared<DepthTargetArray>(d.name, d.arraySize, d.shaderReadable, d.width, d.height, d.format,
                                                  d.multisampleMode);
    case SHADER:
      return boost::make_shared<FXEffect>(d.name);
    default:
      return boost::make_shared<gfx::Mesh>(d.name);
  }
}

void ResourceManager::LoadResourceScript(const std::string& path) {
  const WindowSettings& window = CWin32Window::Get()->settings;
  ReadResourceScript(path, window.width, window.height,
                     [this](const ResourceDescriptor& d) { AddResource(d.name, MakeResource(d)); });
  gfx::EffectPool::Get()->LoadRenderTargetPriorities(L"data/rtpriorities.txt");
}

}  // namespace core
}  // namespace engine
