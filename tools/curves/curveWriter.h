#pragma once

// Curve files (".curves"): Bezier curves drawn in a modelling tool, grouped by the object
// that owns them, as the demo program reads them for its colour ramp.

#include <string>
#include <vector>

#include "engine/math/vector.h"

namespace curves {

struct CurvePoint {
  engine::math::Vector3f left, knot, right;  // the handles either side of the knot
};

struct CurveObject {
  std::string name;
  engine::math::Vector3f location{0, 0, 0};
  engine::math::Vector3f rotation{0, 0, 0};  // radians about x, y, z
  std::vector<std::vector<CurvePoint>> curves;
};

// The file image: "CURV", the objects in order, each curve's points (left handle, knot,
// right handle) followed by its segment lengths, measured along the curve.
std::string CurveFileBytes(const std::vector<CurveObject>& objects);

// Handles a third of the way towards the neighbouring knots, along the line through
// both neighbours, so that the curve passes every knot smoothly; the ends get handles
// pointing at their one neighbour.
std::vector<CurvePoint> SmoothCurve(const std::vector<engine::math::Vector3f>& knots);

}  // namespace curves
