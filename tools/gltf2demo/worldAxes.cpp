#include "tools/gltf2demo/worldAxes.h"

#include <algorithm>
#include <cmath>

namespace gltf2demo {

namespace {

constexpr double Pi = 3.14159265358979323846;
// Engine axis i is glTF axis Swap[i].
constexpr int Swap[3] = {0, 2, 1};

// `a` plus the whole turns that bring it nearest `reference`.
double Nearest(double a, double reference) {
  return a - 2 * Pi * std::round((a - reference) / (2 * Pi));
}

Vec3 NearestTurns(const Vec3& angles, const Vec3& previous) {
  return {Nearest(angles[0], previous[0]), Nearest(angles[1], previous[1]), Nearest(angles[2], previous[2])};
}

double Distance(const Vec3& a, const Vec3& b) {
  return std::fabs(a[0] - b[0]) + std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]);
}

}  // namespace

Vec3 ToEngine(const Vec3& v) { return {v[Swap[0]], v[Swap[1]], v[Swap[2]]}; }

Mat3 ToEngine(const Mat3& m) {
  Mat3 out{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) out[r][c] = m[Swap[r]][Swap[c]];
  return out;
}

Quat Normalized(Quat q) {
  const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  if (!(length > 0) || !std::isfinite(length)) return {0, 0, 0, 1};
  for (double& c : q) c /= length;
  return q;
}

double Determinant(const Mat3& m) {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

Mat3 RotationOf(Quat q) {
  q = Normalized(q);
  const double x = q[0], y = q[1], z = q[2], w = q[3];
  return {{{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
           {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
           {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}}};
}

Quat Slerp(Quat a, Quat b, double t) {
  a = Normalized(a);
  b = Normalized(b);
  double d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
  if (d < 0) {
    for (double& c : b) c = -c;
    d = -d;
  }
  double wa = 1 - t, wb = t;
  // Nearly equal keys: the sines below vanish, and the straight blend is as good.
  if (d < 0.9999995) {
    const double angle = std::acos(std::min(d, 1.0));
    const double s = std::sin(angle);
    wa = std::sin((1 - t) * angle) / s;
    wb = std::sin(t * angle) / s;
  }
  return Normalized({wa * a[0] + wb * b[0], wa * a[1] + wb * b[1], wa * a[2] + wb * b[2], wa * a[3] + wb * b[3]});
}

Vec3 EulerXYZ(const Mat3& m, const Vec3& previous) {
  // m = Rz(c) Ry(b) Rx(a): m[2][0] = -sin b, m[2][1] = sin a cos b, m[2][2] = cos a cos b,
  // m[1][0] = cos b sin c, m[0][0] = cos b cos c.
  const double sb = std::max(-1.0, std::min(1.0, -m[2][0]));
  const double cb = std::sqrt(std::max(0.0, 1 - sb * sb));
  if (cb < 1e-7) {
    // Gimbal lock: only a - c (at +90°) or a + c (at -90°) is fixed. Keep c where it was.
    const double b = sb > 0 ? Pi / 2 : -Pi / 2;
    const double c = previous[2];
    const double a = sb > 0 ? std::atan2(m[0][1], m[0][2]) + c : std::atan2(-m[0][1], -m[0][2]) - c;
    return NearestTurns({a, b, c}, previous);
  }
  const Vec3 first = NearestTurns({std::atan2(m[2][1], m[2][2]), std::asin(sb), std::atan2(m[1][0], m[0][0])}, previous);
  // (a + pi, pi - b, c + pi) is the same rotation.
  const Vec3 second = NearestTurns({first[0] + Pi, Pi - first[1], first[2] + Pi}, previous);
  return Distance(second, previous) < Distance(first, previous) ? second : first;
}

Mat3 FromEulerXYZ(const Vec3& angles) {
  const double ca = std::cos(angles[0]), sa = std::sin(angles[0]);
  const double cb = std::cos(angles[1]), sb = std::sin(angles[1]);
  const double cc = std::cos(angles[2]), sc = std::sin(angles[2]);
  return {{{cb * cc, sa * sb * cc - ca * sc, ca * sb * cc + sa * sc},
           {cb * sc, sa * sb * sc + ca * cc, ca * sb * sc - sa * cc},
           {-sb, sa * cb, ca * cb}}};
}

}  // namespace gltf2demo
