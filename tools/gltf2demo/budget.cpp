#include "tools/gltf2demo/budget.h"

#include <cstdint>

#include "tools/gltf2demo/gltfError.h"

namespace gltf2demo {

void Budget::Spend(std::uint64_t& spent, std::uint64_t count, std::uint64_t most, const char* unit,
                   const std::string& what, const char* atLeast) {
  if (count <= most && spent <= most - count) {
    spent += count;
    return;
  }
  const std::uint64_t total = count > UINT64_MAX - spent ? UINT64_MAX : spent + count;
  const std::string kind = std::string(unit) + (std::string(unit) == "bytes" ? " written" : " in the mesh files");
  throw GltfError(what + ": " + atLeast + std::to_string(count) + " more " + unit + " would make " + atLeast +
                  std::to_string(total) + ", more than the budget of " + std::to_string(most) + " " + kind +
                  " for one glTF file (see gltf2demo --help)");
}

void Budget::CheckVertices(std::uint64_t count, const std::string& what) const {
  std::uint64_t spent = vertices;
  Spend(spent, count, most.vertices, "vertices", what, "at least ");
}

void Budget::CheckBytes(std::uint64_t count, const std::string& what) const {
  std::uint64_t spent = bytes;
  Spend(spent, count, most.bytes, "bytes", what, "at least ");
}

}  // namespace gltf2demo
