#pragma once

// Helpers shared by the mesh generators and the file-mesh rework; not part of the demo's
// interface.

#include <cstdint>
#include <string>

#include "engine/core/exception.h"
#include "engine/gfx/mesh.h"
#include "engine/wrapper.h"
#include "game/proceduralGeometry.h"

namespace orv {
namespace build {

// Element layouts of the stream formats used here. Plain aggregates, so that a block from
// the engine's heap can be filled in place.
struct Float2 {
  float x, y;
};
struct Float3 {
  float x, y, z;
};
struct Float4 {
  float x, y, z, w;
};
static_assert(sizeof(Float2) == 8 && sizeof(Float3) == 12 && sizeof(Float4) == 16, "stream elements are packed");

template <class T>
struct Format;
template <>
struct Format<Float2> {
  static constexpr int value = DXGI_FORMAT_R32G32_FLOAT;
};
template <>
struct Format<Float3> {
  static constexpr int value = DXGI_FORMAT_R32G32B32_FLOAT;
};
template <>
struct Format<Float4> {
  static constexpr int value = DXGI_FORMAT_R32G32B32A32_FLOAT;
};
template <>
struct Format<std::uint32_t> {
  static constexpr int value = DXGI_FORMAT_R32_UINT;
};

inline MeshPtr NewMesh(int vertices, int indices) { return MeshPtr(engine::CreateEmptyMesh(vertices, indices)); }

// A stream of NumVertices elements, allocated once at its final size and handed to the
// mesh at once, so the mesh owns it even if filling is cut short; the caller fills it in
// place.
template <class T>
T* NewStream(engine::gfx::LoadMesh& mesh, const char* semantic, int semanticIndex) {
  void* buffer = engine::AllocateMemory(static_cast<unsigned>(mesh.NumVertices()) * sizeof(T));
  engine::gfx::PVData stream;
  stream.name = semantic;
  stream.format = Format<T>::value;
  stream.semanticIndex = semanticIndex;
  stream.data = buffer;
  mesh.Add(stream);
  return static_cast<T*>(buffer);
}

// The 32-bit index array, handed over the same way.
inline std::uint32_t* NewIndices(engine::gfx::LoadMesh& mesh) {
  auto* indices = static_cast<std::uint32_t*>(engine::AllocateMemory(static_cast<unsigned>(mesh.NumIndices()) * 4u));
  mesh.Indices(reinterpret_cast<short*>(indices));
  return indices;
}

// Two triangles over the four vertices from `base`; returns the next free index slot.
inline std::uint32_t* QuadIndices(std::uint32_t* at, std::uint32_t base) {
  const std::uint32_t pattern[6] = {0, 1, 2, 2, 3, 0};
  for (std::uint32_t offset : pattern) *at++ = base + offset;
  return at;
}

[[noreturn]] inline void Fail(const std::wstring& text) { throw engine::core::Exception(text, L"BuildDemoMeshes"); }

}  // namespace build
}  // namespace orv
