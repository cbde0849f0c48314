// The meshes reworked from mesh files, and the start-up step that builds and registers
// every mesh the demo files refer to.

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "game/meshBuilding.h"
#include "game/proceduralGeometry.h"
#include "game/randomTable.h"

namespace orv {

using namespace build;
using engine::gfx::LoadMesh;
using engine::gfx::PVData;
namespace MeshData = engine::gfx::MeshData;

namespace {

// A float-triple stream the rework reads; raises when the file did not bring one.
const Float3* SourceStream(const LoadMesh& source, MeshData::DataTypes type, const char* semantic,
                           const std::wstring& name) {
  const PVData* stream = source.GetData(type);
  if (!stream || !stream->data)
    Fail(name + L" has no " + std::wstring(semantic, semantic + std::char_traits<char>::length(semantic)) +
         L" stream");
  if (stream->format != DXGI_FORMAT_R32G32B32_FLOAT)
    Fail(name + L": its " + std::wstring(semantic, semantic + std::char_traits<char>::length(semantic)) +
         L" stream has format " + std::to_wstring(stream->format) + L", not float triples");
  return static_cast<const Float3*>(stream->data);
}

// The source's indices as 32-bit values, each checked against its vertex count, since the
// copies shift them into one another's ranges.
std::vector<std::uint32_t> SourceIndices(const LoadMesh& source, const std::wstring& name) {
  const int count = source.NumIndices();
  if (count < 1 || !source.Indices()) Fail(name + L" has no indices");
  std::vector<std::uint32_t> indices(static_cast<std::size_t>(count));
  for (std::size_t k = 0; k < indices.size(); ++k) {
    indices[k] = source.IndexStride() == 2 ? reinterpret_cast<const std::uint16_t*>(source.Indices())[k]
                                           : reinterpret_cast<const std::uint32_t*>(source.Indices())[k];
    if (indices[k] >= static_cast<std::uint32_t>(source.NumVertices()))
      Fail(name + L": index " + std::to_wstring(indices[k]) + L" at " + std::to_wstring(k) + L" is past its " +
           std::to_wstring(source.NumVertices()) + L" vertices");
  }
  return indices;
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::map<std::string, GeneratedMesh>& Sources() {
  static std::map<std::string, GeneratedMesh> sources;
  return sources;
}

// Registers a mesh under its file name with the material of the same name, and keeps
// how it was made for reloads. The effect is built before the mesh is handed over, so a
// material that fails leaves the mesh with us to free.
// `made`, when given, is the mesh `make` would make, made already.
void Register(const std::string& name, const std::function<MeshPtr()>& make, const std::string& file = "",
              MeshPtr made = nullptr) {
  Sources()[name] = GeneratedMesh{[make] { return make().release(); }, file};
  MeshPtr mesh = made ? std::move(made) : make();
  boost::shared_ptr<engine::gfx::Effect> effect = engine::BuildEffect(name + ".efx");
  engine::AddMesh(Wide(name), mesh.release(), effect);
}

MeshPtr ReadMesh(const std::string& name) { return MeshPtr(engine::GetNBLMesh(Wide(name))); }

void RegisterOptimised(const std::string& name) {
  Register(
      name,
      [name] {
        MeshPtr mesh = ReadMesh(name);
        mesh->OptimizeMesh(60.0f);
        return mesh;
      },
      name);
}

}  // namespace

MeshPtr MakeCubeCloud(const LoadMesh& source, const std::wstring& name) {
  constexpr int kCopies = 256;
  const Float3* sourcePosition = SourceStream(source, MeshData::POSITION, "POSITION", name);
  const Float3* sourceNormal = SourceStream(source, MeshData::NORMAL, "NORMAL", name);
  const std::vector<std::uint32_t> sourceIndex = SourceIndices(source, name);

  // The largest buffer is the position or normal stream; its size must fit the allocator's
  // 32-bit byte count, and both counts the mesh's int fields.
  const auto vertices = static_cast<std::uint64_t>(source.NumVertices());
  const auto indices = static_cast<std::uint64_t>(sourceIndex.size());
  const std::uint64_t limit = std::numeric_limits<unsigned>::max();
  if (vertices * kCopies * sizeof(Float3) > limit || indices * kCopies * 4u > limit)
    Fail(name + L" is too big for " + std::to_wstring(kCopies) + L" copies: " + std::to_wstring(vertices) +
         L" vertices, " + std::to_wstring(indices) + L" indices");
  const auto perCopy = static_cast<std::uint32_t>(vertices);

  MeshPtr mesh = NewMesh(static_cast<int>(vertices * kCopies), static_cast<int>(indices * kCopies));
  Float3* position = NewStream<Float3>(*mesh, "POSITION", 0);
  Float3* normal = NewStream<Float3>(*mesh, "NORMAL", 0);
  Float3* cell = NewStream<Float3>(*mesh, "TEXCOORD", 1);
  std::uint32_t* ring = NewStream<std::uint32_t>(*mesh, "TEXCOORD", 2);
  std::uint32_t* index = NewIndices(*mesh);

  for (std::uint32_t k = 0; k < kCopies; ++k) {
    const std::uint32_t r = randomInt(k) & 0xFFFu;
    const int row = static_cast<int>(r / 64), column = static_cast<int>(r % 64);
    const float dx = (static_cast<float>(column) / 32.0f - 1.0f) * 10.0f;
    const float dy = (static_cast<float>(row) / 32.0f - 1.0f) * 10.0f;
    const Float3 centre = {(static_cast<float>(column) + 0.5f) / 64.0f, -(static_cast<float>(row) + 0.5f) / 64.0f,
                           -65.0f - 30.0f * randomFloat(static_cast<std::uint32_t>(135 * column + 14 * row))};
    const auto number = static_cast<std::uint32_t>(((row - 32) * (row - 32) + (column - 32) * (column - 32)) / 70 + 10);

    const std::uint32_t first = k * perCopy;
    for (std::uint32_t v = 0; v < perCopy; ++v) {
      const Float3& p = sourcePosition[v];
      position[first + v] = {p.x + dx, p.y + dy, p.z};
      normal[first + v] = sourceNormal[v];
      cell[first + v] = centre;
      ring[first + v] = number;
    }
    for (std::uint32_t i : sourceIndex) *index++ = i + first;
  }
  return mesh;
}

void AddCityCubeGroups(LoadMesh& mesh) {
  const auto vertices = static_cast<std::uint32_t>(mesh.NumVertices() > 0 ? mesh.NumVertices() : 0);
  std::uint32_t* group = NewStream<std::uint32_t>(mesh, "TEXCOORD", 1);
  const std::uint32_t groups = vertices / 3;
  for (std::uint32_t g = 0; g < groups; ++g) {
    const std::uint32_t value = (randomInt(g + 100u) & 63u) + 20u;
    for (std::uint32_t v = 0; v < 3; ++v) group[3 * g + v] = value;
  }
  for (std::uint32_t v = 3 * groups; v < vertices; ++v) group[v] = 0;
}

void BuildDemoMeshes() {
  Register("data/points.demo_scene/Cube.nbl", MakePointsCube);
  Register("data/intro.demo_scene/Grid.nbl", MakeIntroGrid);
  {
    const std::string name = "data/points.demo_scene/Cubes.nbl";
    // The file only lends its shape: it is released as soon as the copies exist.
    Register(name, [name] { return MakeCubeCloud(*ReadMesh(name), Wide(name)); }, name);
  }
  {
    // Made together; a reload makes both and keeps the one it wants.
    BubblesAndFlashes points = MakeBubblesAndFlashes();
    Register("data/points.demo_scene/Flashes.nbl", [] { return MakeBubblesAndFlashes().flashes; }, "",
             std::move(points.flashes));
    Register("data/points.demo_scene/Bubbles.nbl", [] { return MakeBubblesAndFlashes().bubbles; }, "",
             std::move(points.bubbles));
  }
  Register("data/points.demo_scene/Electric.nbl", MakeElectric);
  {
    const std::string name = "data/city.demo_scene/Cube.nbl";
    Register(
        name,
        [name] {
          MeshPtr cube = ReadMesh(name);
          AddCityCubeGroups(*cube);
          return cube;
        },
        name);
  }
  RegisterOptimised("data/city.demo_scene/Sofa.nbl");
  Register("data/city.demo_scene/Stars.nbl", MakeStars);
  Register("data/stars.demo_scene/Smoke.nbl", MakeSmoke);
  for (const char* name : {"data/credits.demo_scene/creditB.nbl", "data/credits.demo_scene/and.nbl",
                           "data/credits.demo_scene/creditA.nbl", "data/credits.demo_scene/Sofa.nbl",
                           "data/credits.demo_scene/Sofa.001.nbl"})
    RegisterOptimised(name);
}

const GeneratedMesh* FindDemoMeshSource(const std::string& name) {
  const auto found = Sources().find(name);
  return found == Sources().end() ? nullptr : &found->second;
}

}  // namespace orv
