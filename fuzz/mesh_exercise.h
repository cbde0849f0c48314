#pragma once

// Runs every mesh processing step on a mesh that a reader accepted. Each step may refuse
// the mesh with an engine error; anything else (a crash, a sanitizer report) is a bug.

#include "engine/core/exception.h"
#include "engine/gfx/mesh.h"
#include "engine/gfx/meshProcessing.h"
#include "engine/math/vector.h"

namespace fuzzing {

template <class Step>
void Try(Step step) {
  try {
    step();
  } catch (const engine::core::Exception&) {
  }
}

inline void ExerciseMesh(engine::gfx::LoadMesh& mesh) {
  Try([&] {
    engine::math::Vector3f centre;
    float radius = 0.0f;
    engine::gfx::ComputeBoundingSphere(mesh, L"fuzz", centre, radius);
  });
  Try([&] { mesh.OptimizeMesh(60.0f); });
  Try([&] { mesh.OptimizeMesh(100.0f); });
  Try([&] { engine::gfx::GenerateTBN(mesh, L"fuzz"); });
  Try([&] { mesh.GenerateNormals(); });
}

}  // namespace fuzzing
