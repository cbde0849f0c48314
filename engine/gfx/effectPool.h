#pragma once

#include <boost/shared_ptr.hpp>
#include <istream>
#include <map>
#include <string>
#include <vector>

#include "engine/api.h"
#include "engine/core/singleton.h"
#include "engine/gfx/Shader.h"
#include "engine/gfx/material.h"
#include "platform/effect.h"

namespace engine {
namespace gfx {

// What a material compiles to: its passes in draw order, and the union of the vertex
// streams they read (first-seen order, no duplicates), which the GPU mesh provides.
class ENGINE_API Effect {
 public:
  void AddShader(const boost::shared_ptr<Shader>& shader);
  // True when every technique is valid (also for no passes at all); warns at the first
  // that is not.
  bool IsSupported() const;
  void Bind();
  const boost::shared_ptr<Shader>& GetShader(unsigned index) const { return shaders.at(index); }
  unsigned GetShaderCount() const { return static_cast<unsigned>(shaders.size()); }
  std::vector<StreamRequirement> GetStreams() const { return streams; }

 private:
  std::vector<boost::shared_ptr<Shader>> shaders;
  std::vector<StreamRequirement> streams;
};

// The words of every non-empty line of a render-target priority file with its line
// number (counting from 1, empty lines included), and the number the empty target list
// gets: the count of lines read plus 1.
struct ENGINE_API PriorityLines {
  std::vector<std::pair<std::vector<std::string>, int>> lines;
  int emptyListPriority = 1;
};
ENGINE_API PriorityLines ReadPriorityLines(std::istream& in);

// The one place effects are built. It compiles data/fx/_shared.fx into the pool every
// .fx resource is a child of, builds effects from material scripts (first supported
// alternative, else the shared wireframe effect), keeps every shader it handed out in
// one global render order, and reads the render-target priority file that decides it.
//
// Needs the window's device and the renderer (key 10) to exist when first used.
class ENGINE_API EffectPool : public pattern::Singleton<EffectPool> {
 public:
  EffectPool();
  ~EffectPool() override;

  boost::shared_ptr<Effect> BuildEffect(const std::string& scriptPath);
  // For a reload: the first supported alternative, or an empty pointer (warned) where
  // none is, instead of the wireframe; `sourceFiles` as ParseMaterial gives them. A
  // script error raises, as BuildEffect's does.
  boost::shared_ptr<Effect> TryBuildEffect(const std::string& scriptPath, std::vector<std::string>* sourceFiles);
  // Forgets the shaders of effects nobody holds any more (replaced by a reload) and
  // numbers the rest again, so the order and the renderer's slots do not grow.
  void ReleaseUnusedShaders();
  void LoadRenderTargetPriorities(const std::wstring& path);
  // For a file watcher: the priorities read afresh from `path` (those of targets no line
  // names any more forgotten) and the shaders ordered by them again.
  void ReloadRenderTargetPriorities(const std::wstring& path);
  // Stable order: larger target priority first, then smaller pass priority, then passes
  // of one effect file together (the file first built into an effect last), then of one
  // technique together (by name); numbers the result. The same in every run: nothing in
  // it depends on where objects were allocated.
  void SortShaders();
  void UpdateSharedSemantics();

  const std::vector<boost::shared_ptr<Shader>>& Shaders() const { return shaders; }
  const std::map<TargetList, int>& TargetPriorities() const { return targetPriorities; }
  const boost::shared_ptr<Effect>& Wireframe() const { return wireframe; }
  const boost::shared_ptr<Shader>& PoolShader() const { return poolShader; }

  boost::shared_ptr<Shader> poolShader;
  boost::shared_ptr<Effect> wireframe;
  ID3D10EffectPool* pool;

 private:
  std::vector<boost::shared_ptr<Shader>> shaders;
  std::map<TargetList, int> targetPriorities;
  // Each effect file by the number of files whose passes were in `shaders` before its
  // first one; kept across reloads, so a file keeps its place in the order.
  std::map<std::wstring, int> buildOrder;
};

}  // namespace gfx
}  // namespace engine
