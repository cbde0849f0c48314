#include "engine/gfx/effectPool.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/resourceTypes.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/renderState.h"
#include "engine/gfx/renderer.h"
#include "platform/paths.h"

namespace engine {
namespace gfx {

using core::resources::FXEffect;

namespace {

constexpr int kRendererKey = 10;

std::wstring EffectFile(const Shader& shader) {
  return shader.GetEffect() ? shader.GetEffect()->Name() : std::wstring();
}

// The order of two passes, key by key; true when a is drawn before b.
//
// Between effect files and between techniques any fixed order would do, but it must be
// the same in every run, and object addresses are not: where the heap puts an effect
// depends on what the driver's threads have allocated and freed by then, which changes
// with their number and with the machine's load. Ordered by address, the city's ground
// and its block (whose base slab lies in the ground's plane) swapped now and then, the
// other one won the equal depths, and a capture of the same music time came out
// different. The file built into an effect later draws first, which is what descending
// addresses gave on a heap that only grew.
struct DrawsBefore {
  std::map<TargetList, int>& priorities;
  const std::map<std::wstring, int>& buildOrder;
  int Built(const Shader& shader) const {
    const auto found = buildOrder.find(EffectFile(shader));
    return found == buildOrder.end() ? -1 : found->second;
  }
  bool operator()(const boost::shared_ptr<Shader>& a, const boost::shared_ptr<Shader>& b) const {
    const int pa = priorities[a->Targets()];
    const int pb = priorities[b->Targets()];
    if (pa != pb) return pa > pb;
    if (a->Pass().priority != b->Pass().priority) return a->Pass().priority < b->Pass().priority;
    if (a->GetEffect() != b->GetEffect()) {
      const int ba = Built(*a), bb = Built(*b);
      if (ba != bb) return ba > bb;
    }
    if (a->Technique() != b->Technique()) return a->Pass().tec < b->Pass().tec;
    return false;
  }
};

}  // namespace

void Effect::AddShader(const boost::shared_ptr<Shader>& shader) {
  shaders.push_back(shader);
  for (const StreamRequirement& requirement : shader->Pass().streams) {
    if (std::find(streams.begin(), streams.end(), requirement) == streams.end()) streams.push_back(requirement);
  }
}

bool Effect::IsSupported() const {
  for (const auto& shader : shaders) {
    if (!shader->Technique()->IsValid()) {
      NEBLU_WARNING("FXShader " + shader->Pass().fx + " with technique " + shader->Pass().tec + " not supported");
      return false;
    }
  }
  return true;
}

void Effect::Bind() {
  for (const auto& shader : shaders) shader->Bind();
}

EffectPool::EffectPool() : pool(nullptr) {
  RenderState& state = TheRenderState();
  state.device = core::CWin32Window::Get()->device;
  state.renderer = dynamic_cast<Renderer*>(core::Kernel::Get()->FindModule(kRendererKey));

  if (FAILED(D3DX10CreateEffectPoolFromFileW(L"data/fx/_shared.fx", nullptr, nullptr, "fx_4_0", 0, 0, state.device,
                                             nullptr, &pool, nullptr, nullptr))) {
    pool = nullptr;
    NEBLU_ERROR("Failed to create effect pool from data/fx/_shared.fx");
  }
  // A constructor that throws runs no destructor: the pool would outlive the program's
  // error exit (a missing or broken wireframe material ends it here).
  try {
    boost::shared_ptr<FXEffect> poolEffect(new FXEffect(L"Unnamed", pool->AsEffect()));
    poolShader.reset(new Shader(poolEffect));
    poolShader->BindSemantics();
    wireframe = BuildEffect("data/wireframe.efx");
  } catch (...) {
    poolShader.reset();
    pool->Release();
    pool = nullptr;
    throw;
  }
}

EffectPool::~EffectPool() {
  if (pool) pool->Release();
  pool = nullptr;
  targetPriorities.clear();
  shaders.clear();
  wireframe.reset();
  poolShader.reset();
}

boost::shared_ptr<Effect> EffectPool::BuildEffect(const std::string& scriptPath) {
  boost::shared_ptr<Effect> effect = TryBuildEffect(scriptPath, nullptr);
  if (effect) return effect;
  NEBLU_WARNING("No effects supported in the list for " + scriptPath + ", falling back to wireframe");
  return wireframe;
}

boost::shared_ptr<Effect> EffectPool::TryBuildEffect(const std::string& scriptPath,
                                                     std::vector<std::string>* sourceFiles) {
  const std::vector<EffectAlternative> alternatives = ParseMaterial(scriptPath, sourceFiles);
  for (const EffectAlternative& alternative : alternatives) {
    boost::shared_ptr<Effect> effect(new Effect());
    for (const PassDescription& d : alternative.passes) {
      try {
        effect->AddShader(boost::shared_ptr<Shader>(new Shader(d, "data/fx/" + d.fx)));
      } catch (const core::Exception&) {
        NEBLU_WARNING("Effect data/fx/" + d.fx + " Technique " + d.tec + " failed");
      }
    }
    if (effect->IsSupported()) {
      effect->Bind();
      for (unsigned i = 0; i < effect->GetShaderCount(); ++i) {
        shaders.push_back(effect->GetShader(i));
        buildOrder.emplace(EffectFile(*effect->GetShader(i)), static_cast<int>(buildOrder.size()));
      }
      return effect;
    }
  }
  return boost::shared_ptr<Effect>();
}

void EffectPool::ReleaseUnusedShaders() {
  shaders.erase(std::remove_if(shaders.begin(), shaders.end(),
                               [](const boost::shared_ptr<Shader>& shader) { return shader.use_count() == 1; }),
                shaders.end());
  SortShaders();
}

void EffectPool::LoadRenderTargetPriorities(const std::wstring& path) {
  // Each byte of the file is one character: names are 8-bit text.
  const std::string native = platform::NativePath(path);
  std::ifstream file;
  if (platform::IsRegularFile(native)) file.open(native, std::ios::binary);
  if (!file.is_open()) {
    NEBLU_WARNING(L"No render target priority file " + path + L" found. ");
    return;
  }
  core::ResourceManager* manager = core::ResourceManager::Get();
  const PriorityLines read = ReadPriorityLines(file);
  for (const auto& line : read.lines) {
    TargetList list;
    for (const std::string& word : line.first) {
      list.push_back(word == "_framebuffer" ? boost::shared_ptr<core::Resource>()
                                            : manager->GetResource(core::ToWide(word)));
    }
    targetPriorities[list] = line.second;
  }
  targetPriorities[TargetList()] = read.emptyListPriority;
}

void EffectPool::ReloadRenderTargetPriorities(const std::wstring& path) {
  targetPriorities.clear();
  LoadRenderTargetPriorities(path);
  SortShaders();
}

PriorityLines ReadPriorityLines(std::istream& in) {
  PriorityLines read;
  int lineNumber = 1;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) {
      std::istringstream words(line);
      std::vector<std::string> list;
      std::string word;
      while (words >> word) list.push_back(word);
      read.lines.emplace_back(std::move(list), lineNumber);
    }
    ++lineNumber;
  }
  read.emptyListPriority = lineNumber;
  return read;
}

void EffectPool::SortShaders() {
  std::stable_sort(shaders.begin(), shaders.end(), DrawsBefore{targetPriorities, buildOrder});
  for (size_t i = 0; i < shaders.size(); ++i) shaders[i]->renderIndex = static_cast<int>(i);
}

void EffectPool::UpdateSharedSemantics() { poolShader->UpdateSemantics(boost::shared_ptr<RenderObject>()); }

RenderState& TheRenderState() {
  static RenderState state;
  return state;
}

}  // namespace gfx
}  // namespace engine
