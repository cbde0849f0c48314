#pragma once

// What one glTF file may make gltf2demo do. A file can ask for far more than it holds: an
// accessor without a buffer view is a count, not data, and one mesh may be shown by any
// number of nodes, each of which gets a mesh file of its own. So the whole file gets one
// budget, spent as meshes are converted (vertices, each glTF mesh once) and as files are
// made (bytes, every file and every copy counted); past it the conversion stops, naming
// what asked and how much.

#include <cstdint>
#include <string>

namespace gltf2demo {

// Real exported scenes have a few million vertices at most; these leave room for that,
// and for flat shading and back faces multiplying them, while keeping the tool's memory
// and output within what a desktop machine takes without notice.
constexpr std::uint64_t DefaultMostVertices = 8000000;
constexpr std::uint64_t DefaultMostBytes = std::uint64_t{1} << 30;  // 1 GiB

struct BudgetLimits {
  std::uint64_t vertices = DefaultMostVertices;  // in the mesh files, after flat shading and back faces
  std::uint64_t bytes = DefaultMostBytes;        // of every file written: meshes, materials, pictures, the demo file
};

class Budget {
 public:
  explicit Budget(const BudgetLimits& limits) : most(limits) {}

  // Raises GltfError, naming `what` ("node 'Tree' mesh 'Leaves'"), when `count` more
  // vertices or bytes would pass the budget; otherwise counts them as spent.
  void SpendVertices(std::uint64_t count, const std::string& what) { Spend(vertices, count, most.vertices, "vertices", what, ""); }
  void SpendBytes(std::uint64_t count, const std::string& what) { Spend(bytes, count, most.bytes, "bytes", what, ""); }
  // The same check for an amount that will be spent later and is known to be at least
  // `count`: it stops a conversion before the memory is taken.
  void CheckVertices(std::uint64_t count, const std::string& what) const;
  void CheckBytes(std::uint64_t count, const std::string& what) const;

  std::uint64_t VerticesSpent() const { return vertices; }
  std::uint64_t BytesSpent() const { return bytes; }

 private:
  static void Spend(std::uint64_t& spent, std::uint64_t count, std::uint64_t most, const char* unit,
                    const std::string& what, const char* atLeast);

  BudgetLimits most;
  std::uint64_t vertices = 0, bytes = 0;
};

}  // namespace gltf2demo
