#include "tools/gltf2demo/sceneExtent.h"

#include <algorithm>
#include <cmath>

namespace gltf2demo {

void SceneExtent::Add(const std::vector<engine::math::Vector3f>& positions, const Placement& world) {
  if (positions.empty()) return;
  auto box = boxes.find(&positions);
  if (box == boxes.end()) {
    Bounds own;
    for (const auto& p : positions) own.Add({p.x, p.y, p.z});
    box = boxes.emplace(&positions, own).first;
  }
  const Vec3 low = box->second.Low(), high = box->second.High();
  const auto corner = [&](int c) { return Vec3{c & 1 ? high[0] : low[0], c & 2 ? high[1] : low[1], c & 4 ? high[2] : low[2]}; };
  // Flat where placed: a box a node scales flat is a ground too.
  Bounds placedBox;
  for (int c = 0; c < 8; ++c) placedBox.Add(world.Apply(corner(c)));
  Vec3 size;
  for (std::size_t i = 0; i < 3; ++i) size[i] = placedBox.High()[i] - placedBox.Low()[i];
  const bool flat = *std::min_element(size.begin(), size.end()) < 0.01 * *std::max_element(size.begin(), size.end());
  anyFlat = anyFlat || flat;
  const auto add = [&](const Vec3& p) {
    const Vec3 placed = world.Apply(p);
    all.Add(placed);
    if (!flat) solid.Add(placed);
  };
  if (points + positions.size() <= MostPoints) {
    points += positions.size();
    for (const auto& p : positions) add({p.x, p.y, p.z});
    return;
  }
  for (int c = 0; c < 8; ++c) add(corner(c));
}

namespace {

double PowerOfTenAtLeast(double ratio) { return std::pow(10.0, std::ceil(std::log10(ratio))); }

}  // namespace

double FittingScale(double subjectRadius, double sceneRadius) {
  if (!(subjectRadius > 0) || !std::isfinite(subjectRadius) || !std::isfinite(sceneRadius)) return 1;
  double scale = 1;
  if (subjectRadius > LargestFittingRadius) scale = 1 / PowerOfTenAtLeast(subjectRadius / LargestFittingRadius);
  if (subjectRadius < SmallestFittingRadius) scale = PowerOfTenAtLeast(SmallestFittingRadius / subjectRadius);
  if (sceneRadius * scale > LargestSceneRadius) scale /= PowerOfTenAtLeast(sceneRadius * scale / LargestSceneRadius);
  return scale;
}

}  // namespace gltf2demo
