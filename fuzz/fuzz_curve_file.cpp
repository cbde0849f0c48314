// Feeds arbitrary bytes to the curve file reader, then evaluates every segment it hands
// back and samples the colour ramp when the file has one. A CurveFileError is expected;
// anything else, or a curve whose lengths do not match its points, is a bug.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/curveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  orv::CurveSet curves;
  try {
    curves = orv::ParseCurves(bytes, "fuzz.curves");
  } catch (const orv::CurveFileError& e) {
    if (std::string(e.what()).empty()) std::abort();
    return 0;
  }

  for (const auto& object : curves) {
    for (const orv::Curve& curve : object.second) {
      const std::size_t points = curve.points.size();
      if (curve.lengths.size() != (points >= 2 ? points - 1 : 0)) std::abort();
      for (std::size_t s = 0; s + 1 < points; ++s) {
        const engine::math::Vector3f p = orv::EvaluateCurve(curve, static_cast<int>(s), 0.5f);
        // Keeps the evaluation from being optimised away; NaN from NaN input is fine.
        volatile float sink = p.x + p.y + p.z;
        (void)sink;
      }
    }
  }
  try {
    if (orv::SampleColourRamp(curves).size() != 1024) std::abort();
  } catch (const orv::CurveFileError&) {
  }
  return 0;
}
