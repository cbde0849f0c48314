#pragma once

#include "engine/api.h"
#include "engine/math/vector.h"

namespace engine {
namespace math {

// Plane as the set of points p with p * normal + d = 0 (the * being the dot product). The normal is kept
// as given except when the plane is built from three points; default is the degenerate all-zero plane.
class ENGINE_API Plane3f {
 public:
  // Which side of the plane a point lies on; Front is the side the normal points to.
  enum Location { Front = 0, Back = 1, Coplanar = 2 };

  Plane3f() : normal(), d(0.0f) {}
  Plane3f(float a, float b, float c, float distance) : normal(a, b, c), d(distance) {}
  Plane3f(const Vector3f& planeNormal, float distance) : normal(planeNormal), d(distance) {}
  // Through `point`; the normal is not normalised.
  Plane3f(const Vector3f& planeNormal, const Vector3f& point);
  // Through three non-collinear points; unit normal along (p2 - p1) ^ (p3 - p1).
  Plane3f(const Vector3f& p1, const Vector3f& p2, const Vector3f& p3);

  // Points within 0.001 of the plane (in units of the normal's length) count as Coplanar.
  Location TestPoint(const Vector3f& p) const;
  // Intersection of the line through a and b with the plane. The line must not be parallel to it.
  Vector3f Split(const Vector3f& a, const Vector3f& b) const;

  Vector3f normal;
  float d;
};

}  // namespace math
}  // namespace engine
