#include "tools/curves/creditsRamp.h"

namespace curves {

std::vector<CurveObject> CreditsCurves() {
  // Red, green and blue are the curve's x, y and z; the program reads eight segments, so
  // nine knots, evenly spread over the ramp.
  const std::vector<engine::math::Vector3f> knots = {
      {0.02f, 0.02f, 0.07f},  // night
      {0.08f, 0.05f, 0.24f},  // indigo
      {0.30f, 0.08f, 0.42f},  // violet
      {0.70f, 0.16f, 0.36f},  // rose
      {0.98f, 0.38f, 0.20f},  // orange
      {1.00f, 0.66f, 0.30f},  // amber
      {1.00f, 0.88f, 0.58f},  // pale gold
      {0.96f, 0.97f, 1.00f},  // white
      {0.72f, 0.86f, 1.00f},  // ice
  };
  CurveObject ramp;
  ramp.name = "Curve";
  ramp.curves.push_back(SmoothCurve(knots));
  return {ramp};
}

}  // namespace curves
