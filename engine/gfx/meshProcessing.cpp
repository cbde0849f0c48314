#include "engine/gfx/meshProcessing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/core/logging.h"
#include "platform/dxgi_format.h"

namespace engine {
namespace gfx {

using math::Vector2f;
using math::Vector3f;

static_assert(sizeof(Vector3f) == 12 && sizeof(Vector2f) == 8, "streams are read as packed float vectors");

namespace {

constexpr double kPi = 3.141592653589793;

int VertexCount(const LoadMesh& mesh) { return std::max(0, mesh.NumVertices()); }
int IndexCount(const LoadMesh& mesh) { return std::max(0, mesh.NumIndices()); }

std::uint32_t IndexAt(const short* indices, int stride, int k) {
  if (stride == 2) return reinterpret_cast<const std::uint16_t*>(indices)[k];
  return reinterpret_cast<const std::uint32_t*>(indices)[k];
}

// The type-map stream of `type`, or null when there is none. A stream of another format
// would be read past its end, so it is refused rather than reinterpreted.
const PVData* FloatStream(const LoadMesh& mesh, MeshData::DataTypes type, int format) {
  const PVData* stream = mesh.GetData(type);
  if (!stream) return nullptr;
  if (stream->format != format)
    NEBLU_ERROR(std::string("Mesh processing needs ") + SemanticName(type) + " data of format " +
                std::to_string(format) + ", not " + std::to_string(stream->format));
  if (!stream->data && mesh.NumVertices() > 0)
    NEBLU_ERROR(std::string("Mesh processing found a ") + SemanticName(type) + " stream without data");
  return stream;
}

// Indices come from files and from the program; one past the vertex count would make
// every step read and write outside the streams.
void CheckIndices(const LoadMesh& mesh) {
  const int count = IndexCount(mesh);
  if (count == 0) return;
  if (!mesh.Indices()) NEBLU_ERROR("Mesh has " + std::to_string(count) + " indices but no index array");
  const auto vertices = static_cast<std::uint32_t>(VertexCount(mesh));
  for (int k = 0; k < count; ++k) {
    const std::uint32_t v = IndexAt(mesh.Indices(), mesh.IndexStride(), k);
    if (v >= vertices)
      NEBLU_ERROR("Mesh index " + std::to_string(v) + " at position " + std::to_string(k) +
                  " is out of range for " + std::to_string(vertices) + " vertices");
  }
}

// Unit length, except that a zero (or non-finite length) vector is left as it is rather
// than turned into NaNs that would poison every later sum and the shaders.
void NormalizeOrKeep(Vector3f& v) {
  const float length = v.Mag();
  if (length > 0.0f && std::isfinite(length)) v = v * (1.0f / length);
}

// ---- Welding (OptimizeMesh) ----
//
// The welding rule: index k, holding vertex v, is re-pointed to the vertex u that comes
// first in the order of first use among those that share v's bucket along x (1002
// buckets spanning the x range) and match v in position, texture coordinate and normal.
// With 32-bit indices u must also be used before v; with 16-bit indices the tolerances
// are squared distances and v itself counts. The outcome depends only on v, so it is
// computed once per vertex. Candidates come from a spatial hash on the match radius
// instead of a scan of the whole bucket, which is quadratic in the vertices a bucket holds
// (every vertex of a mesh in a plane of constant x lands in one bucket).

struct CellKey {
  std::int32_t bucket;
  std::int64_t x, y, z;
  bool operator==(const CellKey& o) const { return bucket == o.bucket && x == o.x && y == o.y && z == o.z; }
  bool operator<(const CellKey& o) const {
    if (bucket != o.bucket) return bucket < o.bucket;
    if (x != o.x) return x < o.x;
    if (y != o.y) return y < o.y;
    return z < o.z;
  }
};

struct CellKeyHash {
  std::size_t operator()(const CellKey& k) const {
    std::uint64_t h = static_cast<std::uint64_t>(k.bucket) * 0x9E3779B97F4A7C15ull;
    for (std::int64_t c : {k.x, k.y, k.z}) {
      h ^= static_cast<std::uint64_t>(c) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    }
    return static_cast<std::size_t>(h);
  }
};

class Welder {
 public:
  Welder(const LoadMesh& mesh, const Vector3f* positions, const Vector3f* normals, const Vector2f* texCoords,
         float cosine)
      : p(positions),
        n(normals),
        t(texCoords),
        threshold(cosine),
        wide(mesh.IndexStride() != 2),
        indices(mesh.Indices()),
        stride(mesh.IndexStride()),
        vertexCount(VertexCount(mesh)),
        indexCount(IndexCount(mesh)) {
    // The second form allows squared distances up to the tolerance: a radius of its root.
    radius = (wide ? 0.001 : std::sqrt(0.001)) * 1.001;
    cell = 4.0 * radius;
  }

  // The vertex every index is to point at.
  std::vector<std::uint32_t> Representatives() {
    std::vector<std::uint32_t> rep(static_cast<std::size_t>(vertexCount));
    for (std::uint32_t v = 0; v < rep.size(); ++v) rep[v] = v;
    FindFirstUses();
    SetUpBuckets();
    BuildCells();
    for (std::uint32_t v : order) {
      if (Finite(p[v])) rep[v] = Match(v);
    }
    return rep;
  }

 private:
  struct Entry {
    CellKey key;
    std::uint32_t vertex;
  };

  static bool Finite(const Vector3f& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

  void FindFirstUses() {
    firstUse.assign(static_cast<std::size_t>(vertexCount), -1);
    for (int k = 0; k < indexCount; ++k) {
      const std::uint32_t v = IndexAt(indices, stride, k);
      if (firstUse[v] < 0) {
        firstUse[v] = k;
        order.push_back(v);
      }
    }
  }

  void SetUpBuckets() {
    float smallest = 1000.0f, largest = -1000.0f;
    for (int v = 0; v < vertexCount; ++v) {
      smallest = std::min(smallest, p[v].x);
      largest = std::max(largest, p[v].x);
    }
    lo = smallest;
    hi = largest;
    scale = 1000.0f / (std::fabs(lo) + std::fabs(hi));
  }

  int Bucket(float x) const {
    if (x < lo) return 0;
    if (x > hi) return 1001;
    // Finite coordinates in range land in 1..1001. A span of zero or infinity makes the
    // product meaningless (NaN); those vertices share bucket 0 rather than an undefined one.
    const float position = (x - lo) * scale;
    if (!(position >= 0.0f)) return 0;
    if (position >= 1000.0f) return 1001;
    return static_cast<int>(position) + 1;
  }

  // Cell coordinate along one axis; clamped so that far-out positions stay representable
  // (they can only match exact duplicates, which clamp alike).
  std::int64_t Cell(double coordinate) const {
    const double q = std::floor(coordinate / cell);
    constexpr double kLimit = 1e15;
    return static_cast<std::int64_t>(std::max(-kLimit, std::min(kLimit, q)));
  }

  void BuildCells() {
    std::vector<Entry> entries;
    entries.reserve(order.size());
    for (std::uint32_t v : order) {
      if (!Finite(p[v])) continue;
      entries.push_back({CellKey{Bucket(p[v].x), Cell(p[v].x), Cell(p[v].y), Cell(p[v].z)}, v});
    }
    // Stable: inside a cell the vertices stay in order of first use.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
    cellVertices.resize(entries.size());
    cells.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      cellVertices[i] = entries[i].vertex;
      auto inserted = cells.emplace(entries[i].key, std::make_pair(i, i + 1));
      if (!inserted.second) inserted.first->second.second = i + 1;
    }
  }

  bool Matches(std::uint32_t u, std::uint32_t v) const {
    if (wide) {
      if (!((p[v] - p[u]).Mag() < 0.001f)) return false;
      if (t && !((t[v] - t[u]).Mag() < 0.001f)) return false;
    } else {
      if (!((p[v] - p[u]).MagSquared() < 0.001f)) return false;
      if (t && !((t[v] - t[u]).MagSquared() < 0.001f)) return false;
    }
    return n[v] * n[u] > threshold;
  }

  std::uint32_t Match(std::uint32_t v) const {
    const Vector3f& at = p[v];
    const CellKey low{Bucket(at.x), Cell(at.x - radius), Cell(at.y - radius), Cell(at.z - radius)};
    const CellKey high{low.bucket, Cell(at.x + radius), Cell(at.y + radius), Cell(at.z + radius)};
    // Only earlier vertices qualify with 32-bit indices; with 16-bit ones v itself may be
    // the answer, and nothing after the best so far can improve on it.
    int bound = wide ? firstUse[v] : static_cast<int>(indexCount);
    std::uint32_t best = v;
    for (std::int64_t x = low.x; x <= high.x; ++x) {
      for (std::int64_t y = low.y; y <= high.y; ++y) {
        for (std::int64_t z = low.z; z <= high.z; ++z) {
          auto found = cells.find(CellKey{low.bucket, x, y, z});
          if (found == cells.end()) continue;
          for (std::size_t i = found->second.first; i < found->second.second; ++i) {
            const std::uint32_t u = cellVertices[i];
            if (firstUse[u] >= bound) break;
            if (Matches(u, v)) {
              bound = firstUse[u];
              best = u;
              break;
            }
          }
        }
      }
    }
    return best;
  }

  const Vector3f* p;
  const Vector3f* n;
  const Vector2f* t;
  float threshold;
  bool wide;
  const short* indices;
  int stride;
  int vertexCount;
  int indexCount;
  double radius = 0.0;
  double cell = 0.0;
  float lo = 0.0f, hi = 0.0f, scale = 0.0f;
  std::vector<int> firstUse;
  std::vector<std::uint32_t> order;  // used vertices, in order of first use
  std::vector<std::uint32_t> cellVertices;
  std::unordered_map<CellKey, std::pair<std::size_t, std::size_t>, CellKeyHash> cells;
};

}  // namespace

// ---- LoadMesh processing ----

void LoadMesh::GenerateNormals() {
  NEBLU_MESSAGE("Generating normals");

  const PVData* positionStream = FloatStream(*this, MeshData::POSITION, DXGI_FORMAT_R32G32B32_FLOAT);
  if (!positionStream) NEBLU_ERROR("Could not generate normals without vertices");
  CheckIndices(*this);

  const int vertices = VertexCount(*this);
  const auto* positions = static_cast<const Vector3f*>(positionStream->data);
  // The existing buffer is refilled in place when it has the layout and slot the result
  // is added under; otherwise the result gets a buffer of its own and replaces it.
  const PVData* existing = GetData(MeshData::NORMAL);
  std::unique_ptr<char[]> fresh;
  void* target = nullptr;
  if (existing && existing->format == DXGI_FORMAT_R32G32B32_FLOAT && existing->semanticIndex == 0 &&
      (existing->data || vertices == 0)) {
    target = existing->data;
  } else {
    fresh.reset(static_cast<char*>(AllocateMeshBuffer(static_cast<std::size_t>(vertices) * sizeof(Vector3f))));
    target = fresh.get();
  }
  auto* normals = static_cast<Vector3f*>(target);

  for (int v = 0; v < vertices; ++v) normals[v] = Vector3f(0.0f, 0.0f, 0.0f);
  const int triangles = IndexCount(*this) / 3;
  for (int tri = 0; tri < triangles; ++tri) {
    const std::uint32_t i0 = IndexAt(indices, indexStride, 3 * tri);
    const std::uint32_t i1 = IndexAt(indices, indexStride, 3 * tri + 1);
    const std::uint32_t i2 = IndexAt(indices, indexStride, 3 * tri + 2);
    // Not normalized: larger triangles weigh more.
    const Vector3f normal = (positions[i1] - positions[i0]) ^ (positions[i2] - positions[i0]);
    normals[i0] += normal;
    normals[i1] += normal;
    normals[i2] += normal;
  }
  for (int v = 0; v < vertices; ++v) NormalizeOrKeep(normals[v]);

  PVData stream;
  stream.name = "NORMAL";
  stream.format = DXGI_FORMAT_R32G32B32_FLOAT;
  stream.semanticIndex = 0;
  stream.data = target;
  fresh.release();
  Add(stream);
}

void LoadMesh::OptimizeMesh(float angle) {
  NEBLU_MESSAGE("Optimizing mesh");

  const PVData* positionStream = FloatStream(*this, MeshData::POSITION, DXGI_FORMAT_R32G32B32_FLOAT);
  if (!positionStream) {
    NEBLU_WARNING("Can not optimize a mesh with 0 vertices");
    return;
  }
  const PVData* texStream = FloatStream(*this, MeshData::TEXCOORD, DXGI_FORMAT_R32G32_FLOAT);
  FloatStream(*this, MeshData::NORMAL, DXGI_FORMAT_R32G32B32_FLOAT);
  CheckIndices(*this);

  const bool generated = !IsAvailable(MeshData::NORMAL);
  if (generated) GenerateNormals();

  const float threshold = static_cast<float>(std::cos(angle * kPi / 180.0));
  Welder welder(*this, static_cast<const Vector3f*>(positionStream->data),
                static_cast<const Vector3f*>(GetData(MeshData::NORMAL)->data),
                texStream ? static_cast<const Vector2f*>(texStream->data) : nullptr, threshold);
  const std::vector<std::uint32_t> rep = welder.Representatives();

  const int count = IndexCount(*this);
  if (indexStride == 2) {
    auto* narrow = reinterpret_cast<std::uint16_t*>(indices);
    for (int k = 0; k < count; ++k) narrow[k] = static_cast<std::uint16_t>(rep[narrow[k]]);
  } else {
    auto* wideIndices = reinterpret_cast<std::uint32_t*>(indices);
    for (int k = 0; k < count; ++k) wideIndices[k] = rep[wideIndices[k]];
  }

  if (generated) {
    // Delete leaves the buffer to the caller; the normals were only a means to weld.
    void* buffer = GetData(MeshData::NORMAL)->data;
    Delete(MeshData::NORMAL);
    ReleaseMeshBuffer(buffer);
  } else {
    GenerateNormals();
  }
}

// ---- Steps of GPU mesh creation ----

void GenerateTBN(LoadMesh& mesh, const std::wstring& name) {
  NEBLU_MESSAGE(L"Generating TBN Matrix for " + name);

  const PVData* positionStream = FloatStream(mesh, MeshData::POSITION, DXGI_FORMAT_R32G32B32_FLOAT);
  if (!positionStream) NEBLU_ERROR(L"Could not generate tangent space matrix without vertices in " + name);
  const PVData* texStream = FloatStream(mesh, MeshData::TEXCOORD, DXGI_FORMAT_R32G32_FLOAT);
  if (!texStream) NEBLU_ERROR(L"Could not generate tangent space matrix without uv coordinates in " + name);
  CheckIndices(mesh);

  const auto* p = static_cast<const Vector3f*>(positionStream->data);
  const auto* t = static_cast<const Vector2f*>(texStream->data);
  const auto vertices = static_cast<std::size_t>(VertexCount(mesh));
  const std::size_t bytes = vertices * sizeof(Vector3f);
  std::unique_ptr<char[]> tangentBuffer(static_cast<char*>(AllocateMeshBuffer(bytes)));
  std::unique_ptr<char[]> binormalBuffer(static_cast<char*>(AllocateMeshBuffer(bytes)));
  std::unique_ptr<char[]> normalBuffer(static_cast<char*>(AllocateMeshBuffer(bytes)));
  auto* tangents = reinterpret_cast<Vector3f*>(tangentBuffer.get());
  auto* binormals = reinterpret_cast<Vector3f*>(binormalBuffer.get());
  auto* normals = reinterpret_cast<Vector3f*>(normalBuffer.get());
  for (std::size_t v = 0; v < vertices; ++v) tangents[v] = binormals[v] = normals[v] = Vector3f(0.0f, 0.0f, 0.0f);

  const short* indices = mesh.Indices();
  const int stride = mesh.IndexStride();
  const int triangles = IndexCount(mesh) / 3;
  for (int tri = 0; tri < triangles; ++tri) {
    const std::uint32_t i0 = IndexAt(indices, stride, 3 * tri);
    const std::uint32_t i1 = IndexAt(indices, stride, 3 * tri + 1);
    const std::uint32_t i2 = IndexAt(indices, stride, 3 * tri + 2);
    const Vector3f e1 = p[i1] - p[i0];
    const Vector3f e2 = p[i2] - p[i0];
    const Vector2f d1 = t[i1] - t[i0];
    const Vector2f d2 = t[i2] - t[i0];
    const float det = d2.x * d1.y - d1.x * d2.y;
    // Also catches NaN coordinates, which would otherwise spread through the sums.
    if (!(std::fabs(det) > 0.000001f)) {
      NEBLU_WARNING("Skipped a vertex when generating TBN Matrix");
      continue;
    }
    const float r = 1.0f / det;
    Vector3f tangent = (e2 * d1.y - e1 * d2.y) * r;
    Vector3f binormal = (e2 * d1.x - e1 * d2.x) * r;
    Vector3f normal = binormal ^ tangent;
    NormalizeOrKeep(tangent);
    NormalizeOrKeep(binormal);
    NormalizeOrKeep(normal);
    for (std::uint32_t i : {i0, i1, i2}) {
      tangents[i] += tangent;
      binormals[i] += binormal;
      normals[i] += normal;
    }
  }
  for (std::size_t v = 0; v < vertices; ++v) {
    NormalizeOrKeep(tangents[v]);
    NormalizeOrKeep(binormals[v]);
    NormalizeOrKeep(normals[v]);
  }

  const struct {
    const char* stream;
    std::unique_ptr<char[]>& buffer;
  } results[] = {{"NORMAL", normalBuffer}, {"TANGENT", tangentBuffer}, {"BINORMAL", binormalBuffer}};
  for (const auto& result : results) {
    PVData stream;
    stream.name = result.stream;
    stream.format = DXGI_FORMAT_R32G32B32_FLOAT;
    stream.semanticIndex = 0;
    stream.data = result.buffer.release();
    mesh.Add(stream);
  }
}

bool ComputeBoundingSphere(const LoadMesh& mesh, const std::wstring& name, math::Vector3f& centre, float& radius) {
  NEBLU_MESSAGE(L"Computing bounding sphere for " + name);

  const PVData* positionStream = FloatStream(mesh, MeshData::POSITION, DXGI_FORMAT_R32G32B32_FLOAT);
  if (!positionStream) return false;
  const auto* p = static_cast<const Vector3f*>(positionStream->data);
  const int vertices = VertexCount(mesh);

  Vector3f sum(0.0f, 0.0f, 0.0f);
  if (vertices > 0) {
    const float weight = 1.0f / static_cast<float>(vertices);
    for (int v = 0; v < vertices; ++v) sum += p[v] * weight;
  }
  float farthest = 0.0f;
  for (int v = 0; v < vertices; ++v) farthest = std::max(farthest, (p[v] - sum).Mag());
  centre = sum;
  radius = farthest;
  return true;
}

}  // namespace gfx
}  // namespace engine
