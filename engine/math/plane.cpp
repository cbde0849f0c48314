#include "engine/math/plane.h"

namespace engine {
namespace math {

namespace {

constexpr float kPlaneTolerance = 0.001f;

}  // namespace

Plane3f::Plane3f(const Vector3f& planeNormal, const Vector3f& point) : normal(planeNormal), d(-(planeNormal * point)) {}

Plane3f::Plane3f(const Vector3f& p1, const Vector3f& p2, const Vector3f& p3) : normal((p2 - p1) ^ (p3 - p1)), d(0.0f) {
  normal.Normalize();
  d = -(normal * p1);
}

Plane3f::Location Plane3f::TestPoint(const Vector3f& p) const {
  const float s = p * normal + d;
  if (s > kPlaneTolerance) {
    return Front;
  }
  if (s < -kPlaneTolerance) {
    return Back;
  }
  return Coplanar;
}

Vector3f Plane3f::Split(const Vector3f& a, const Vector3f& b) const {
  // Stored as float so the numerator and denominator share the same rounded projection of a.
  const float aDotN = a * normal;
  const float t = (-d - aDotN) / (b * normal - aDotN);
  return a + t * (b - a);
}

}  // namespace math
}  // namespace engine
