#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/gfx/NBLMesh.h"
#include "engine/gfx/meshProcessing.h"
#include "engine/math/vector.h"
#include "support/mesh_support.h"

using engine::gfx::ComputeBoundingSphere;
using engine::gfx::GenerateTBN;
using engine::gfx::LoadMesh;
using engine::gfx::LoadNBLMesh;
using engine::math::Vector2f;
using engine::math::Vector3f;
namespace MeshData = engine::gfx::MeshData;
using testing_support::ErrorOf;
using testing_support::IndicesOf;
using testing_support::MeshBuffer;
using testing_support::Stream;

namespace {

constexpr double kPi = 3.141592653589793;

struct Geometry {
  std::vector<Vector3f> positions;
  std::vector<Vector2f> texCoords;
  std::vector<std::uint32_t> indices;

  nbl::Writer File(int stride = 4) const {
    nbl::Writer file;
    file.Positions(positions).Indices(indices, stride);
    if (!texCoords.empty()) file.TexCoords(texCoords);
    return file.End();
  }
};

// Six faces with four vertices each, as hard-edged exports come.
Geometry Cube() {
  Geometry cube;
  const Vector3f axes[3] = {Vector3f(1, 0, 0), Vector3f(0, 1, 0), Vector3f(0, 0, 1)};
  for (int face = 0; face < 6; ++face) {
    const Vector3f n = axes[face / 2] * (face % 2 ? -1.0f : 1.0f);
    const Vector3f u = axes[(face / 2 + 1) % 3], v = axes[(face / 2 + 2) % 3];
    const auto base = static_cast<std::uint32_t>(cube.positions.size());
    for (const auto& c : {Vector2f(-1, -1), Vector2f(1, -1), Vector2f(1, 1), Vector2f(-1, 1)})
      cube.positions.push_back(n + u * c.x + v * c.y);
    for (std::uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u}) cube.indices.push_back(base + i);
  }
  return cube;
}

// A unit sphere of rings x segments quads whose last column repeats the first: the seam.
constexpr int kRings = 16, kSegments = 32;
int SphereVertex(int ring, int segment) { return ring * (kSegments + 1) + segment; }

Geometry Sphere() {
  Geometry sphere;
  for (int i = 0; i <= kRings; ++i) {
    for (int j = 0; j <= kSegments; ++j) {
      const double theta = kPi * i / kRings, phi = 2 * kPi * j / kSegments;
      sphere.positions.emplace_back(static_cast<float>(std::sin(theta) * std::cos(phi)),
                                    static_cast<float>(std::cos(theta)),
                                    static_cast<float>(std::sin(theta) * std::sin(phi)));
    }
  }
  for (int i = 0; i < kRings; ++i) {
    for (int j = 0; j < kSegments; ++j) {
      const auto a = static_cast<std::uint32_t>(SphereVertex(i, j)), b = a + kSegments + 1;
      for (std::uint32_t v : {a, b, a + 1, a + 1, b, b + 1}) sphere.indices.push_back(v);
    }
  }
  return sphere;
}

const Vector3f* Normals(const LoadMesh& mesh) {
  return static_cast<const Vector3f*>(mesh.GetData(MeshData::NORMAL)->data);
}

class MeshProcessingTest : public testing_support::MeshTest {};

TEST_F(MeshProcessingTest, FlatQuadGetsFourEqualUnitNormalsInTheExistingBuffer) {
  LoadNBLMesh quad(L"data/quad.nbl");
  quad.GenerateNormals();
  ASSERT_TRUE(quad.IsAvailable(MeshData::NORMAL));
  EXPECT_EQ(quad.NumData(), 3u);
  const void* buffer = quad.GetData(MeshData::NORMAL)->data;
  for (int v = 0; v < 4; ++v) EXPECT_EQ(Normals(quad)[v], Vector3f(0, 0, -1)) << v;

  quad.GenerateNormals();
  EXPECT_EQ(quad.GetData(MeshData::NORMAL)->data, buffer);
  EXPECT_EQ(quad.NumData(), 3u);
}

TEST_F(MeshProcessingTest, OptimizingACubeKeepsItsHardEdgesAndDropsTheHelperNormals) {
  const Geometry cube = Cube();
  auto mesh = Load(cube.File());
  mesh->OptimizeMesh(60);
  EXPECT_EQ(IndicesOf(*mesh), cube.indices);
  EXPECT_FALSE(mesh->IsAvailable(MeshData::NORMAL));
  EXPECT_EQ(mesh->NumData(), 1u);
}

// How far the normal at (ring, segment) leans away from the radial direction, as a cosine.
float Radial(const LoadMesh& mesh, int ring, int segment) {
  const int v = SphereVertex(ring, segment);
  return std::fabs(Normals(mesh)[v] * static_cast<const Vector3f*>(mesh.GetData(MeshData::POSITION)->data)[v]);
}

TEST_F(MeshProcessingTest, OptimizingASphereWeldsTheSeamAndSmoothsItsNormals) {
  for (int stride : {2, 4}) {
    SCOPED_TRACE(stride);
    auto mesh = Load(Sphere().File(stride));
    mesh->GenerateNormals();
    ASSERT_LT(Radial(*mesh, kRings / 2, 0), Radial(*mesh, kRings / 2, 1) - 0.001f)
        << "before welding the seam has one-sided normals";

    mesh->OptimizeMesh(60);
    for (std::uint32_t v : IndicesOf(*mesh)) {
      const int ring = static_cast<int>(v) / (kSegments + 1), segment = static_cast<int>(v) % (kSegments + 1);
      if (ring > 0 && ring < kRings) {
        EXPECT_NE(segment, kSegments) << "seam vertex " << v << " still in use";
      }
    }
    for (int ring = 1; ring < kRings; ++ring)
      EXPECT_NEAR(Radial(*mesh, ring, 0), Radial(*mesh, ring, 1), 1e-5f) << "ring " << ring;
  }
}

TEST_F(MeshProcessingTest, ZeroDegreesWeldsNothingButStillRegeneratesTheNormals) {
  const Geometry sphere = Sphere();
  auto mesh = Load(sphere.File());
  auto reference = Load(sphere.File());
  reference->GenerateNormals();
  mesh->Add(Stream("NORMAL", 6, 0, MeshBuffer(std::vector<float>(3 * sphere.positions.size(), 0.5f))));

  mesh->OptimizeMesh(0);
  EXPECT_EQ(IndicesOf(*mesh), sphere.indices);
  for (std::size_t v = 0; v < sphere.positions.size(); ++v)
    ASSERT_EQ(Normals(*mesh)[v], Normals(*reference)[v]) << v;
}

TEST_F(MeshProcessingTest, SixteenBitIndicesWeldOverSquaredDistances) {
  // Two coplanar triangles; vertex 3 lies 0.02 from vertex 1, vertex 5 on vertex 2.
  Geometry pair;
  pair.positions = {Vector3f(0, 0, 0), Vector3f(1, 0, 0),    Vector3f(0, 1, 0),
                    Vector3f(1, 0.02f, 0), Vector3f(1, 1, 0), Vector3f(0, 1, 0)};
  pair.indices = {0, 1, 2, 3, 4, 5};
  auto narrow = Load(pair.File(2));
  narrow->OptimizeMesh(60);
  EXPECT_EQ(IndicesOf(*narrow), (std::vector<std::uint32_t>{0, 1, 2, 1, 4, 2}));

  auto wide = Load(pair.File(4));
  wide->OptimizeMesh(60);
  EXPECT_EQ(IndicesOf(*wide), (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 2}));
}

TEST_F(MeshProcessingTest, OptimizingWithoutPositionsWarnsAndChangesNothing) {
  LoadMesh mesh;
  mesh.OptimizeMesh(60);
  EXPECT_EQ(mesh.NumData(), 0u);
  EXPECT_EQ(Count(Log(), "Can not optimize a mesh with 0 vertices"), 1);
}

// The welding rule read literally: scan the vertex's bucket of index values in order.
std::vector<std::uint32_t> LiteralWeld(const LoadMesh& mesh, float angle) {
  const auto* p = static_cast<const Vector3f*>(mesh.GetData(MeshData::POSITION)->data);
  const Vector3f* n = Normals(mesh);
  const auto* t = mesh.IsAvailable(MeshData::TEXCOORD)
                      ? static_cast<const Vector2f*>(mesh.GetData(MeshData::TEXCOORD)->data)
                      : nullptr;
  const bool wide = mesh.IndexStride() != 2;
  const float threshold = static_cast<float>(std::cos(angle * kPi / 180.0));
  float lo = 1000, hi = -1000;
  for (int v = 0; v < mesh.NumVertices(); ++v) {
    lo = std::min(lo, p[v].x);
    hi = std::max(hi, p[v].x);
  }
  const float scale = 1000.0f / (std::fabs(lo) + std::fabs(hi));
  auto bucket = [&](float x) { return x < lo ? 0 : x > hi ? 1001 : static_cast<int>((x - lo) * scale) + 1; };

  std::vector<std::uint32_t> indices = IndicesOf(mesh);
  std::vector<std::vector<std::uint32_t>> buckets(1002);
  for (std::uint32_t v : indices) buckets[bucket(p[v].x)].push_back(v);
  for (std::uint32_t& index : indices) {
    const std::uint32_t v = index;
    for (std::uint32_t u : buckets[bucket(p[v].x)]) {
      if (wide && u == v) break;
      const bool close = wide ? (p[v] - p[u]).Mag() < 0.001f && (!t || (t[v] - t[u]).Mag() < 0.001f)
                              : (p[v] - p[u]).MagSquared() < 0.001f && (!t || (t[v] - t[u]).MagSquared() < 0.001f);
      if (close && n[v] * n[u] > threshold) {
        index = u;
        break;
      }
    }
  }
  return indices;
}

// Clusters of near-coincident vertices at distances around both tolerances, random
// triangles over them, and texture coordinates from a small set.
Geometry Clusters(unsigned seed, bool planar, bool texCoords) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> grid(-20, 20), pick(0, 1499), kind(0, 3);
  std::uniform_real_distribution<float> jitter(-1.0f, 1.0f);
  std::vector<Vector3f> centres;
  for (int c = 0; c < 300; ++c) centres.emplace_back(planar ? 0.25f : 0.05f * grid(random), 0.05f * grid(random), 0.05f * grid(random));
  Geometry g;
  const float spread[] = {0.0f, 0.0004f, 0.012f, 0.03f};
  for (int v = 0; v < 1500; ++v) {
    const float s = spread[kind(random)];
    const Vector3f offset(planar ? 0.0f : s * jitter(random), s * jitter(random), s * jitter(random));
    g.positions.push_back(centres[static_cast<std::size_t>(pick(random)) % centres.size()] + offset);
    if (texCoords) g.texCoords.emplace_back(static_cast<float>(kind(random) % 2), kind(random) == 0 ? 0.0004f : 0.0f);
  }
  for (int k = 0; k < 6000; ++k) g.indices.push_back(static_cast<std::uint32_t>(pick(random)));
  return g;
}

TEST_F(MeshProcessingTest, WeldingMatchesTheLiteralBucketScan) {
  // The comparison only means something if the meshes do weld: count the cases that do.
  int welded = 0;
  for (unsigned seed : {7u}) {
    for (bool planar : {false, true}) {
      for (bool texCoords : {false, true}) {
        for (int stride : {2, 4}) {
          for (float angle : {0.0f, 45.0f, 60.0f, 120.0f, 180.0f}) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " planar " << planar << " uv " << texCoords
                                              << " stride " << stride << " angle " << angle);
            const nbl::Writer file = Clusters(seed, planar, texCoords).File(stride);
            auto expected = Load(file);
            expected->GenerateNormals();
            auto mesh = Load(file);
            mesh->OptimizeMesh(angle);
            ASSERT_EQ(IndicesOf(*mesh), LiteralWeld(*expected, angle));
            if (IndicesOf(*mesh) != IndicesOf(*expected)) ++welded;
          }
        }
      }
    }
  }
  EXPECT_GE(welded, 30);
}

TEST_F(MeshProcessingTest, TangentFrameSkipsATriangleWithoutUvAreaOnce) {
  // Triangle (0 1 2) has a proper uv layout; (1 3 4) has all three uvs equal.
  LoadMesh mesh;
  mesh.NumVertices(5);
  mesh.NumIndices(6);
  mesh.Indices(static_cast<short*>(MeshBuffer(std::vector<std::uint32_t>{0, 1, 2, 1, 3, 4})));
  mesh.Add(Stream("POSITION", 6, 0, MeshBuffer(std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0, 2, 0, 0, 2, 1, 0})));
  mesh.Add(Stream("TEXCOORD", 16, 0, MeshBuffer(std::vector<float>{0, 0, 1, 0, 0, 1, 1, 0, 1, 0})));
  GenerateTBN(mesh, L"data/tbn.nbl");

  ASSERT_EQ(mesh.NumData(), 5u);
  const char* names[] = {"POSITION", "TEXCOORD", "NORMAL", "TANGENT", "BINORMAL"};
  for (unsigned i = 0; i < 5; ++i) EXPECT_EQ(mesh.GetData(i)->name, names[i]);
  const auto* tangents = static_cast<const Vector3f*>(mesh.GetData(3u)->data);
  const auto* binormals = static_cast<const Vector3f*>(mesh.GetData(4u)->data);
  for (int v : {0, 1, 2}) {
    EXPECT_EQ(tangents[v], Vector3f(1, 0, 0)) << v;
    EXPECT_EQ(binormals[v], Vector3f(0, -1, 0)) << v;
    EXPECT_EQ(Normals(mesh)[v], Vector3f(0, 0, 1)) << v;
  }
  const std::string log = Log();
  EXPECT_EQ(Count(log, "Skipped a vertex when generating TBN Matrix"), 1);
  EXPECT_EQ(Count(log, "Generating TBN Matrix for data/tbn.nbl"), 1);
}

TEST_F(MeshProcessingTest, BoundingSphereOfTheQuad) {
  LoadNBLMesh quad(L"data/quad.nbl");
  Vector3f centre(9, 9, 9);
  float radius = 0;
  ASSERT_TRUE(ComputeBoundingSphere(quad, L"data/quad.nbl", centre, radius));
  EXPECT_EQ(centre, Vector3f(0, 0, 0));
  EXPECT_FLOAT_EQ(radius, std::sqrt(2.0f));

  LoadMesh empty;
  EXPECT_FALSE(ComputeBoundingSphere(empty, L"empty", centre, radius));
  EXPECT_FLOAT_EQ(radius, std::sqrt(2.0f));
}

// Every step that reads through the indices refuses one that points past the vertices,
// leaving the mesh as it was.
struct Step {
  const char* name;
  std::function<void(LoadMesh&)> run;
};

class StepsRefuse : public testing_support::MeshTest, public ::testing::WithParamInterface<Step> {};

TEST_P(StepsRefuse, IndicesPastTheVertices) {
  for (int stride : {2, 4}) {
    Geometry g;
    g.positions = {Vector3f(0, 0, 0), Vector3f(1, 0, 0), Vector3f(0, 1, 0)};
    g.texCoords = {Vector2f(0, 0), Vector2f(1, 0), Vector2f(0, 1)};
    g.indices = {0, 1, 2, 2, 1, 3};
    auto mesh = Load(g.File(stride));
    EXPECT_EQ(ErrorOf([&] { GetParam().run(*mesh); }), "Mesh index 3 at position 5 is out of range for 3 vertices");
    EXPECT_EQ(IndicesOf(*mesh), g.indices);
    EXPECT_EQ(mesh->NumData(), 2u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    All, StepsRefuse,
    ::testing::Values(Step{"GenerateNormals", [](LoadMesh& m) { m.GenerateNormals(); }},
                      Step{"OptimizeMesh", [](LoadMesh& m) { m.OptimizeMesh(60); }},
                      Step{"GenerateTBN", [](LoadMesh& m) { GenerateTBN(m, L"m"); }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(MeshProcessingTest, StepsNameWhatTheyMiss) {
  LoadMesh mesh;
  mesh.NumVertices(1);
  EXPECT_EQ(ErrorOf([&] { mesh.GenerateNormals(); }), "Could not generate normals without vertices");
  EXPECT_EQ(ErrorOf([&] { GenerateTBN(mesh, L"a.nbl"); }),
            "Could not generate tangent space matrix without vertices in a.nbl");
  mesh.Add(Stream("POSITION", 6, 0, MeshBuffer(std::vector<float>{0, 0, 0})));
  EXPECT_EQ(ErrorOf([&] { GenerateTBN(mesh, L"a.nbl"); }),
            "Could not generate tangent space matrix without uv coordinates in a.nbl");

  // Positions stored as pairs would be read as triples, past the buffer's end.
  mesh.Add(Stream("POSITION", 16, 0, MeshBuffer(std::vector<float>{0, 0})));
  EXPECT_EQ(ErrorOf([&] { mesh.GenerateNormals(); }), "Mesh processing needs POSITION data of format 6, not 16");
}

}  // namespace
