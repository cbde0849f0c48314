#include "tools/gltf2demo/viewpoint.h"

#include <algorithm>
#include <cmath>

namespace gltf2demo {

namespace {

constexpr double Pi = 3.14159265358979323846;

Vec3 Unit(const Vec3& v) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return length > 0 ? Vec3{v[0] / length, v[1] / length, v[2] / length} : Vec3{0, 0, 1};
}

Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

}  // namespace

Vec3 Placement::Apply(const Vec3& p) const {
  Vec3 out = translation;
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t c = 0; c < 3; ++c) out[r] += linear[r][c] * p[c];
  return out;
}

Placement Placement::Then(const Placement& local) const {
  Placement out;
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t c = 0; c < 3; ++c) {
      out.linear[r][c] = 0;
      for (std::size_t k = 0; k < 3; ++k) out.linear[r][c] += linear[r][k] * local.linear[k][c];
    }
  out.translation = Apply(local.translation);
  return out;
}

void Bounds::Add(const Vec3& p) {
  if (empty) {
    low = high = p;
    empty = false;
    return;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    low[i] = std::min(low[i], p[i]);
    high[i] = std::max(high[i], p[i]);
  }
}

Vec3 Bounds::Centre() const { return {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2}; }

double Bounds::Radius() const {
  const Vec3 d = {high[0] - low[0], high[1] - low[1], high[2] - low[2]};
  return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) / 2;
}

Vec3 LookAlong(const Vec3& forward) {
  const Vec3 z = Unit(forward);
  // Straight up or down, the world's y stands in for its up.
  const Vec3 up = std::fabs(z[2]) > 0.999 ? Vec3{0, 1, 0} : Vec3{0, 0, 1};
  const Vec3 x = Unit(Cross(up, z));
  const Vec3 y = Cross(z, x);
  Mat3 m{};
  for (std::size_t r = 0; r < 3; ++r) {
    m[r][0] = x[r];
    m[r][1] = y[r];
    m[r][2] = z[r];
  }
  return EulerXYZ(m);
}

View FramingView(const Bounds& bounds) {
  const Vec3 centre = bounds.Empty() ? Vec3{0, 0, 0} : bounds.Centre();
  const double radius = bounds.Empty() ? 1 : std::max(bounds.Radius(), 1e-6);
  // The sphere fits the narrower, vertical field of view with a tenth to spare.
  const double distance = 1.1 * radius / std::sin(Pi / 8);
  const double azimuth = 25 * Pi / 180, elevation = 20 * Pi / 180;
  const Vec3 from = {std::sin(azimuth) * std::cos(elevation), std::cos(azimuth) * std::cos(elevation), std::sin(elevation)};
  View view;
  view.position = {centre[0] + distance * from[0], centre[1] + distance * from[1], centre[2] + distance * from[2]};
  view.rotation = LookAlong({-from[0], -from[1], -from[2]});
  view.distance = distance;
  return view;
}

Vec3 DefaultSunDirection() { return Unit({0.5, -0.6, -1.0}); }

}  // namespace gltf2demo
