#include "tools/curves/curveWriter.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace curves {
namespace {

using engine::math::Vector3f;

void PutInt(std::string& out, std::int32_t value) {
  char bytes[4];
  std::memcpy(bytes, &value, 4);  // the file is little-endian, as is every machine we build on
  out.append(bytes, 4);
}

void PutFloat(std::string& out, float value) {
  char bytes[4];
  std::memcpy(bytes, &value, 4);
  out.append(bytes, 4);
}

void PutVector(std::string& out, const Vector3f& v) {
  PutFloat(out, v.x);
  PutFloat(out, v.y);
  PutFloat(out, v.z);
}

Vector3f Lerp(const Vector3f& a, const Vector3f& b, float t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

float Distance(const Vector3f& a, const Vector3f& b) {
  const float dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The segment's arc length, from a fine polyline: the program does not read it, but a
// modelling tool that opens the file does.
float SegmentLength(const CurvePoint& from, const CurvePoint& to) {
  constexpr int kSteps = 64;
  float length = 0.0f;
  Vector3f previous = from.knot;
  for (int i = 1; i <= kSteps; ++i) {
    const float t = static_cast<float>(i) / kSteps;
    const Vector3f a = Lerp(from.knot, from.right, t), b = Lerp(from.right, to.left, t), c = Lerp(to.left, to.knot, t);
    const Vector3f point = Lerp(Lerp(a, b, t), Lerp(b, c, t), t);
    length += Distance(previous, point);
    previous = point;
  }
  return length;
}

}  // namespace

std::string CurveFileBytes(const std::vector<CurveObject>& objects) {
  std::string out = "CURV";
  PutInt(out, static_cast<std::int32_t>(objects.size()));
  for (const CurveObject& object : objects) {
    PutInt(out, static_cast<std::int32_t>(object.name.size()));
    out += object.name;
    PutVector(out, object.location);
    PutVector(out, object.rotation);
    PutInt(out, static_cast<std::int32_t>(object.curves.size()));
    for (const std::vector<CurvePoint>& curve : object.curves) {
      PutInt(out, static_cast<std::int32_t>(curve.size()));
      for (const CurvePoint& point : curve) {
        PutVector(out, point.left);
        PutVector(out, point.knot);
        PutVector(out, point.right);
      }
      for (std::size_t i = 1; i < curve.size(); ++i) PutFloat(out, SegmentLength(curve[i - 1], curve[i]));
    }
  }
  return out;
}

std::vector<CurvePoint> SmoothCurve(const std::vector<Vector3f>& knots) {
  std::vector<CurvePoint> points(knots.size());
  for (std::size_t i = 0; i < knots.size(); ++i) {
    const Vector3f& before = knots[i > 0 ? i - 1 : i];
    const Vector3f& after = knots[i + 1 < knots.size() ? i + 1 : i];
    // Catmull-Rom tangents: a sixth of the span between the neighbours on either side.
    const float share = (i > 0 && i + 1 < knots.size()) ? 1.0f / 6.0f : 1.0f / 3.0f;
    const Vector3f tangent{(after.x - before.x) * share, (after.y - before.y) * share, (after.z - before.z) * share};
    points[i].knot = knots[i];
    points[i].left = {knots[i].x - tangent.x, knots[i].y - tangent.y, knots[i].z - tangent.z};
    points[i].right = {knots[i].x + tangent.x, knots[i].y + tangent.y, knots[i].z + tangent.z};
  }
  return points;
}

}  // namespace curves
