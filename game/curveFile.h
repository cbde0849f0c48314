#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/math/vector.h"

namespace orv {

// Bezier curves exported from the modelling tool into a small binary file, used for the
// credits' colour ramp. The file is read once at start-up, into world space.

// One control point of a curve: the knot and the two handles that shape the segments on
// either side of it. The file stores left, knot, right; memory keeps left, right, knot.
struct CurvePoint {
  engine::math::Vector3f left;
  engine::math::Vector3f right;
  engine::math::Vector3f knot;
};

// A curve of points.size() - 1 cubic segments. lengths[k - 1] is the length of the first
// k segments as the exporter measured them; a curve of fewer than two points has none.
struct Curve {
  std::vector<CurvePoint> points;
  std::vector<float> lengths;
};

// Every curve of the file under its object's name, in file order; an object name that
// occurs more than once collects the curves of all its occurrences.
using CurveSet = std::map<std::string, std::vector<Curve>>;

// What a curve file raises: a plain message, not the engine's Exception, because the curve
// file is the demo's own format. "No such file found" and "Not a curve file" are the two
// fixed texts; a file that breaks off or holds an impossible count gets a message naming
// the file, the place and the numbers.
class CurveFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a curve file ("CURV", then its objects; integers int32 and floats float32,
// little-endian). Each object's points are turned by its X, then Y, then Z rotation and
// moved by its location. Bytes after the last object are ignored.
CurveSet ReadCurves(const std::string& path);

// The same reader over a file image already in memory; `source` names it in messages.
CurveSet ParseCurves(const std::string& bytes, const std::string& source);

// The point at t (0 to 1) of segment `segment`, the cubic Bezier from point `segment` to
// point `segment` + 1. Raises std::out_of_range when the curve has no such segment.
engine::math::Vector3f EvaluateCurve(const Curve& curve, int segment, float t);

// The colour ramp of the cubes' texture: 256 RGBA float values (1024 floats, entry by
// entry), 32 samples along each of the first eight segments of the first curve of the
// object "Curve"; alpha is the entry number / 256. Raises CurveFileError when that curve
// is missing or has fewer than nine points.
std::vector<float> SampleColourRamp(const CurveSet& curves);

}  // namespace orv
