#pragma once

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/api.h"
#include "engine/gfx/spatial.h"

namespace engine {
namespace gfx {

struct DemoObject;
class AnimationController;
class Mesh;

// One scene from a demo file: a root node with every object below it, cameras, lamps and
// mesh geometry attached, and each object's curves playing on the music clock. The scene
// graph is shared with whoever holds its nodes; the loader only keeps names to nodes.
class ENGINE_API DemoLoader {
 public:
  // A loader with the file at `path` loaded; the load's exception propagates and no
  // loader is made.
  static DemoLoader* CreateInstance(const std::wstring& path);

  // Builds the scene of the file at `path` under a new root. Meshes are looked up in, or
  // loaded into, the resource manager under "<path>_scene/<mesh>.nbl".
  void Load(const std::wstring& path);
  // The node of the object `name`, or null with a warning.
  boost::shared_ptr<Node> GetNode(const std::string& name);
  boost::shared_ptr<Node> GetBaseNode();
  // Every object's node by name (the overlay's editors list them).
  const std::map<std::string, boost::shared_ptr<Node>>& Nodes() const { return nodes; }
  // The scene's running time in frames of 1/25 s, from the file header.
  std::int32_t GetLength();
  void DestroyInstance();

 private:
  DemoLoader() = default;
  ~DemoLoader() = default;

  boost::shared_ptr<Node> BuildObject(const DemoObject& object, const std::string& path,
                                         const std::map<std::string, std::string>& types);
  void AttachCurves(const DemoObject& object, bool cameraChild, AnimationController& controller,
                    const boost::shared_ptr<Mesh>& mesh);
  // Raises, naming the file, when the links (child, parent) would make a node its own
  // ancestor.
  void RefuseParentCycles(const std::vector<std::pair<std::string, std::string>>& links,
                          const std::string& path) const;

  boost::shared_ptr<Node> baseNode;
  std::map<std::string, boost::shared_ptr<Node>> nodes;
  std::int32_t length = 0;
};

}  // namespace gfx
}  // namespace engine
