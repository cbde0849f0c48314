#pragma once

#include <string>

#include "engine/api.h"
#include "engine/gfx/mesh.h"
#include "engine/math/vector.h"

namespace engine {
namespace gfx {

// Steps the GPU mesh runs on its CPU mesh when it is created; `name` is the mesh's
// resource name, used in the log. LoadMesh::GenerateNormals and LoadMesh::OptimizeMesh are
// the other two processing steps.
//
// Every step refuses a mesh whose indices reach past its vertices or whose position,
// normal or texture-coordinate stream is not of the float format it reads (float triples,
// float pairs): such a mesh raises an error naming the problem instead of being read out
// of bounds.

// Per-vertex tangent frame for normal mapping from positions and texture coordinates:
// rewrites "NORMAL" and adds "TANGENT" and "BINORMAL" (float triples, semantic index 0).
ENGINE_API void GenerateTBN(LoadMesh& mesh, const std::wstring& name);

// Centre (mean of the positions) and radius (farthest position from it). Returns false,
// leaving both untouched, when the mesh has no positions.
ENGINE_API bool ComputeBoundingSphere(const LoadMesh& mesh, const std::wstring& name, math::Vector3f& centre,
                                      float& radius);

}  // namespace gfx
}  // namespace engine
