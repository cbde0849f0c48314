#include "tools/gltf2demo/animationChoice.h"

#include <tiny_gltf.h>

#include <vector>

namespace gltf2demo {

namespace {

// Whether the node carries a directional light, the only kind the part keeps.
bool IsSun(const tinygltf::Model& model, const tinygltf::Node& node) {
  const auto light = node.extensions.find("KHR_lights_punctual");
  if (light == node.extensions.end() || !light->second.IsObject() || !light->second.Has("light")) return false;
  const tinygltf::Value& index = light->second.Get("light");
  if (!index.IsNumber()) return false;
  const int i = index.GetNumberAsInt();
  return i >= 0 && static_cast<std::size_t>(i) < model.lights.size() && model.lights[static_cast<std::size_t>(i)].type == "directional";
}

}  // namespace

int AnimationThatShows(const tinygltf::Model& model) {
  const std::size_t nodes = model.nodes.size();
  std::vector<int> parent(nodes, -1);
  for (std::size_t n = 0; n < nodes; ++n) {
    for (int child : model.nodes[n].children) {
      if (child >= 0 && static_cast<std::size_t>(child) < nodes) parent[static_cast<std::size_t>(child)] = static_cast<int>(n);
    }
  }
  std::vector<bool> seen(nodes, false);
  for (std::size_t n = 0; n < nodes; ++n) {
    const tinygltf::Node& node = model.nodes[n];
    const bool shows = (node.mesh >= 0 && node.skin < 0) || node.camera >= 0 || IsSun(model, node);
    // Up the chain, stopping where it is already marked (and so is everything above) and
    // after as many steps as there are nodes, should the file's parents form a loop.
    std::size_t steps = 0;
    for (int at = shows ? static_cast<int>(n) : -1; at >= 0 && !seen[static_cast<std::size_t>(at)] && steps++ < nodes;
         at = parent[static_cast<std::size_t>(at)])
      seen[static_cast<std::size_t>(at)] = true;
  }
  for (std::size_t a = 0; a < model.animations.size(); ++a) {
    for (const tinygltf::AnimationChannel& channel : model.animations[a].channels) {
      const bool moves = channel.target_path == "translation" || channel.target_path == "rotation" || channel.target_path == "scale";
      if (moves && channel.target_node >= 0 && static_cast<std::size_t>(channel.target_node) < nodes &&
          seen[static_cast<std::size_t>(channel.target_node)])
        return static_cast<int>(a);
    }
  }
  return 0;
}

}  // namespace gltf2demo
