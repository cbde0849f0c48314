#pragma once

// glTF's frame against the engine's. glTF is y up and right-handed; the engine's world is
// z up and has the handedness of its left-handed view. Swapping y and z maps one onto the
// other (a scene seen along -z in glTF shows the same picture seen along -y here), and
// being a mirror it is its own inverse. Everything here is in double precision; the
// files get floats at the end.

#include <array>

namespace gltf2demo {

using Vec3 = std::array<double, 3>;
// Unit quaternion x, y, z, w, glTF's order.
using Quat = std::array<double, 4>;
// Row-major, acting on column vectors (p' = M p), the mathematician's form; the engine's
// row-vector matrices are its transpose.
using Mat3 = std::array<std::array<double, 3>, 3>;

// A point, direction or per-axis factor in engine axes.
Vec3 ToEngine(const Vec3& v);
// The same rotation seen in engine axes: C R C with C the y/z swap.
Mat3 ToEngine(const Mat3& m);

// Negative for a matrix that mirrors.
double Determinant(const Mat3& m);

Mat3 RotationOf(Quat q);  // normalised first; a zero quaternion gives the identity
Quat Normalized(Quat q);
// The shortest-arc interpolation glTF players use between two keys.
Quat Slerp(Quat a, Quat b, double t);

// Euler angles in radians about x, then y, then z, as the engine composes them:
// m = Rz(z) Ry(y) Rx(x). Of the two triples and their whole turns that give m, the one
// nearest `previous` is returned, so sampled curves stay continuous; at the poles
// (y = ±90°) the free angle is taken from `previous`.
Vec3 EulerXYZ(const Mat3& m, const Vec3& previous = {0, 0, 0});
Mat3 FromEulerXYZ(const Vec3& angles);

// Radians to the unit of Rot curves, ten degrees.
constexpr double RadiansToRotUnits = 18.0 / 3.14159265358979323846;

}  // namespace gltf2demo
