// Writes the seed corpora of the mesh fuzz targets:
//   make_mesh_seeds DIR   -> DIR/fuzz_nbl_mesh/*.nbl, DIR/fuzz_serialized_mesh/*.mesh
// Small, valid files that reach every chunk kind (those of the extension section too) and
// both index widths, plus one truncated file. Run it from a build and copy the output into fuzz/corpus/.

#include <array>
#include <boost/filesystem.hpp>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/gfx/mesh.h"
#include "tools/nbl/nblWriter.h"

using engine::math::Vector2f;
using engine::math::Vector3f;

namespace {

struct Cube {
  std::vector<Vector3f> positions, normals;
  std::vector<Vector2f> texCoords;
  std::vector<std::uint32_t> indices;
};

// A unit cube with four vertices of its own per face, as modelling tools export hard edges.
Cube MakeCube() {
  Cube cube;
  const Vector3f axes[3] = {Vector3f(1, 0, 0), Vector3f(0, 1, 0), Vector3f(0, 0, 1)};
  for (int face = 0; face < 6; ++face) {
    const Vector3f n = axes[face / 2] * (face % 2 ? -1.0f : 1.0f);
    const Vector3f u = axes[(face / 2 + 1) % 3], v = axes[(face / 2 + 2) % 3];
    const auto base = static_cast<std::uint32_t>(cube.positions.size());
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& c : corners) {
      cube.positions.push_back(n + u * c[0] + v * c[1]);
      cube.normals.push_back(n);
      cube.texCoords.push_back(Vector2f((c[0] + 1) / 2, (c[1] + 1) / 2));
    }
    for (std::uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u}) cube.indices.push_back(base + i);
  }
  return cube;
}

template <class T>
void* Buffer(const std::vector<T>& values) {
  void* buffer = engine::gfx::AllocateMeshBuffer(values.size() * sizeof(T));
  std::memcpy(buffer, values.data(), values.size() * sizeof(T));
  return buffer;
}

void AddStream(engine::gfx::LoadMesh& mesh, const char* name, int format, int index, void* data) {
  engine::gfx::PVData stream;
  stream.name = name;
  stream.format = format;
  stream.semanticIndex = index;
  stream.data = data;
  mesh.Add(stream);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_mesh_seeds DIR\n";
    return 2;
  }
  engine::core::SetLoggingSwitch(false);
  const boost::filesystem::path root(argv[1]);
  const auto nblDir = root / "fuzz_nbl_mesh", serializedDir = root / "fuzz_serialized_mesh";
  boost::filesystem::create_directories(nblDir);
  boost::filesystem::create_directories(serializedDir);

  const Cube cube = MakeCube();
  const std::vector<Vector3f> quad = {Vector3f(1, 1, 0), Vector3f(-1, -1, 0), Vector3f(-1, 1, 0), Vector3f(1, -1, 0)};
  const std::vector<Vector2f> quadUv = {Vector2f(1, 0), Vector2f(0, 1), Vector2f(0, 0), Vector2f(1, 1)};

  nbl::Writer()
      .Chunk(1, nbl::IntBytes(2) + nbl::IntBytes(0))
      .Positions(quad)
      .TexCoords(quadUv)
      .Indices({0, 1, 2, 0, 3, 1})
      .End()
      .Int(0)
      .Save((nblDir / "quad.nbl").string());
  nbl::Writer()
      .Header({1, 2, 3, 4, 5, 6})
      .Indices(cube.indices, 2)
      .Normals(cube.normals)
      .TexCoords(cube.texCoords)
      .Positions(cube.positions)
      .End()
      .Save((nblDir / "cube16.nbl").string());
  std::vector<std::array<float, 4>> colours;
  for (std::size_t v = 0; v < quad.size(); ++v) colours.push_back({quad[v].x, quad[v].y, 0.5f, 1.0f});
  nbl::Writer()
      .Positions(quad)
      .Indices({0, 1, 2, 0, 3, 1})
      .Chunk(7, "")
      .End()
      .Extension()
      .Colours(colours)
      .End()
      .Save((nblDir / "coloured_quad.nbl").string());
  // Tangents with their handedness and a second texture set, in the extension section.
  std::vector<std::array<float, 4>> tangents;
  std::vector<Vector2f> secondUv;
  for (std::size_t v = 0; v < quad.size(); ++v) {
    tangents.push_back({1, 0, 0, v % 2 ? -1.0f : 1.0f});
    secondUv.push_back(Vector2f(quadUv[v].x / 2, quadUv[v].y / 2 + 0.5f));
  }
  nbl::Writer()
      .Positions(quad)
      .TexCoords(quadUv)
      .Indices({0, 1, 2, 0, 3, 1})
      .End()
      .Extension()
      .Tangents(tangents)
      .SecondTexCoords(secondUv)
      .Colours(colours)
      .End()
      .Save((nblDir / "mapped_quad.nbl").string());
  const nbl::Writer full = nbl::Writer().Positions(cube.positions).Normals(cube.normals).Indices(cube.indices).End();
  full.Save((nblDir / "cube32.nbl").string());
  // The writer supplies the magic; the rest is the first half of the full file.
  nbl::Writer().Raw(full.Bytes().substr(4, full.Bytes().size() / 2 - 4)).Save((nblDir / "truncated.nbl").string());

  engine::gfx::LoadMesh quadMesh;
  quadMesh.NumVertices(4);
  quadMesh.NumIndices(6);
  quadMesh.Indices(static_cast<short*>(Buffer(std::vector<std::uint32_t>{0, 1, 2, 0, 3, 1})));
  AddStream(quadMesh, "POSITION", 6, 0, Buffer(quad));
  AddStream(quadMesh, "TEXCOORD", 16, 0, Buffer(quadUv));
  quadMesh.Serialize((serializedDir / "quad.mesh").string());

  engine::gfx::LoadMesh cubeMesh;
  cubeMesh.NumVertices(static_cast<int>(cube.positions.size()));
  cubeMesh.NumIndices(static_cast<int>(cube.indices.size()));
  cubeMesh.Indices(static_cast<short*>(Buffer(cube.indices)));
  AddStream(cubeMesh, "POSITION", 6, 0, Buffer(cube.positions));
  AddStream(cubeMesh, "NORMAL", 6, 0, Buffer(cube.normals));
  AddStream(cubeMesh, "TEXCOORD", 16, 0, Buffer(cube.texCoords));
  AddStream(cubeMesh, "TEXCOORD", 16, 1, Buffer(cube.texCoords));
  AddStream(cubeMesh, "TANGENT", 6, 0, Buffer(cube.normals));
  cubeMesh.Serialize((serializedDir / "cube.mesh").string());

  // Only the file reader sets a 16-bit stride, so that seed is read back from its .nbl file.
  engine::gfx::LoadNBLMesh cube16(engine::core::ToWide((nblDir / "cube16.nbl").string()));
  cube16.Serialize((serializedDir / "cube16.mesh").string());
  return 0;
}
