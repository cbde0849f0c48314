#pragma once

// How large a converted scene is, and what of it the camera gltf2demo adds should frame;
// and the power of ten that fits it between the engine's clip planes.

#include <cstddef>
#include <map>
#include <vector>

#include "engine/math/vector.h"
#include "tools/gltf2demo/viewpoint.h"

namespace gltf2demo {

// The meshes of a scene where its nodes place them. Flat pieces (a ground, a sea, a wall)
// are kept apart from the rest, which the added camera frames: a prop on a ground a
// hundred times its size would otherwise be a speck in the middle of it.
class SceneExtent {
 public:
  // A mesh's positions placed by `world`: point by point while the scene's points are few
  // enough; past that, by the corners of its box, so that a mesh placed by ever more nodes
  // costs time in the nodes, not in nodes times its points. The same `positions` placed
  // again is measured once.
  void Add(const std::vector<engine::math::Vector3f>& positions, const Placement& world);

  const Bounds& All() const { return all; }
  // The scene but for its flat pieces, where it has both.
  const Bounds& Subject() const { return anyFlat && !solid.Empty() ? solid : all; }

 private:
  static constexpr std::size_t MostPoints = 16000000;
  Bounds all, solid;
  bool anyFlat = false;
  std::size_t points = 0;
  std::map<const std::vector<engine::math::Vector3f>*, Bounds> boxes;  // of each mesh's own positions
};

// What the added camera frames fits the engine's clip range when its bounding sphere's
// radius lies within these: the camera then stands 2.87 radii from its centre, between
// the clip planes 0.5 and 400 units away.
constexpr double LargestFittingRadius = 100.0, SmallestFittingRadius = 0.3;
// The whole scene fits when its radius is no more than this: from anywhere inside it, all
// of it lies within the far clip plane.
constexpr double LargestSceneRadius = 190.0;
// The power of ten that brings the subject's radius within the fitting range and the
// scene's within LargestSceneRadius (the latter first where both cannot be had); 1 when
// they are, or when there is nothing to fit.
double FittingScale(double subjectRadius, double sceneRadius);

}  // namespace gltf2demo
