// OptimizeMesh on a faceted mesh of 100,352 triangles (every quad of a 224 x 224 grid has
// four vertices of its own, as hard-edged exports come), so every interior corner position
// is shared by four vertices that the weld merges. Two layouts: a gently curved sheet
// spread along x, and the same sheet standing in a plane of constant x, where every vertex
// falls into one of the 1002 x buckets. LiteralBucketScan is the bucket scan the welding
// rule describes, for comparison (same result, measured on smaller sheets where it is slow).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/core/logging.h"
#include "engine/gfx/mesh.h"
#include "engine/math/vector.h"

using engine::gfx::LoadMesh;
using engine::math::Vector3f;
namespace MeshData = engine::gfx::MeshData;

namespace {

struct Sheet {
  std::vector<Vector3f> positions;
  std::vector<std::uint32_t> indices;
};

Sheet MakeSheet(int quads, bool planar) {
  Sheet sheet;
  auto at = [&](int i, int j) {
    const float u = -1.0f + 2.0f * i / quads, v = -1.0f + 2.0f * j / quads;
    const float h = 0.1f * std::sin(3 * u) * std::cos(3 * v);
    return planar ? Vector3f(0.5f, u + h, v) : Vector3f(u, v, h);
  };
  for (int i = 0; i < quads; ++i) {
    for (int j = 0; j < quads; ++j) {
      const auto base = static_cast<std::uint32_t>(sheet.positions.size());
      sheet.positions.push_back(at(i, j));
      sheet.positions.push_back(at(i + 1, j));
      sheet.positions.push_back(at(i + 1, j + 1));
      sheet.positions.push_back(at(i, j + 1));
      for (std::uint32_t k : {0u, 1u, 2u, 0u, 2u, 3u}) sheet.indices.push_back(base + k);
    }
  }
  return sheet;
}

void* Copy(const void* data, std::size_t bytes) {
  void* buffer = engine::gfx::AllocateMeshBuffer(bytes);
  std::memcpy(buffer, data, bytes);
  return buffer;
}

void Fill(LoadMesh& mesh, const Sheet& sheet) {
  mesh.DeleteAll();
  mesh.NumVertices(static_cast<int>(sheet.positions.size()));
  mesh.NumIndices(static_cast<int>(sheet.indices.size()));
  mesh.Indices(static_cast<short*>(Copy(sheet.indices.data(), sheet.indices.size() * 4)));
  engine::gfx::PVData positions;
  positions.name = "POSITION";
  positions.format = 6;
  positions.data = Copy(sheet.positions.data(), sheet.positions.size() * sizeof(Vector3f));
  mesh.Add(positions);
}

void OptimizeMesh(benchmark::State& state, bool planar) {
  engine::core::SetLoggingSwitch(false);
  const Sheet sheet = MakeSheet(static_cast<int>(state.range(0)), planar);
  LoadMesh mesh;
  for (auto _ : state) {
    state.PauseTiming();
    Fill(mesh, sheet);
    state.ResumeTiming();
    mesh.OptimizeMesh(60.0f);
  }
  state.counters["triangles"] = static_cast<double>(sheet.indices.size() / 3);
}

void BM_OptimizeMesh(benchmark::State& state) { OptimizeMesh(state, false); }
void BM_OptimizeMeshPlanar(benchmark::State& state) { OptimizeMesh(state, true); }
BENCHMARK(BM_OptimizeMesh)->Arg(224)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OptimizeMeshPlanar)->Arg(224)->Unit(benchmark::kMillisecond);

// The scan as the rule states it (32-bit indices), over normals the mesh already has.
void LiteralScan(const LoadMesh& mesh, std::vector<std::uint32_t>& indices, float threshold) {
  const auto* p = static_cast<const Vector3f*>(mesh.GetData(MeshData::POSITION)->data);
  const auto* n = static_cast<const Vector3f*>(mesh.GetData(MeshData::NORMAL)->data);
  float lo = 1000, hi = -1000;
  for (int v = 0; v < mesh.NumVertices(); ++v) {
    lo = std::fmin(lo, p[v].x);
    hi = std::fmax(hi, p[v].x);
  }
  const float scale = 1000.0f / (std::fabs(lo) + std::fabs(hi));
  auto bucket = [&](float x) { return x < lo ? 0 : x > hi ? 1001 : static_cast<int>((x - lo) * scale) + 1; };
  std::vector<std::vector<std::uint32_t>> buckets(1002);
  for (std::uint32_t v : indices) buckets[bucket(p[v].x)].push_back(v);
  for (std::uint32_t& index : indices) {
    const std::uint32_t v = index;
    for (std::uint32_t u : buckets[bucket(p[v].x)]) {
      if (u == v) break;
      if ((p[v] - p[u]).Mag() < 0.001f && n[v] * n[u] > threshold) {
        index = u;
        break;
      }
    }
  }
}

void Literal(benchmark::State& state, bool planar) {
  engine::core::SetLoggingSwitch(false);
  const Sheet sheet = MakeSheet(static_cast<int>(state.range(0)), planar);
  LoadMesh mesh;
  Fill(mesh, sheet);
  mesh.GenerateNormals();
  for (auto _ : state) {
    std::vector<std::uint32_t> indices = sheet.indices;
    LiteralScan(mesh, indices, 0.5f);
    benchmark::DoNotOptimize(indices.data());
  }
  state.counters["triangles"] = static_cast<double>(sheet.indices.size() / 3);
}

void BM_LiteralBucketScan(benchmark::State& state) { Literal(state, false); }
void BM_LiteralBucketScanPlanar(benchmark::State& state) { Literal(state, true); }
BENCHMARK(BM_LiteralBucketScan)->Arg(224)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LiteralBucketScanPlanar)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
