// The conversion's own arithmetic: Euler angles in the engine's order and their
// continuity, and rotation curves from sampled keys.

#include <gtest/gtest.h>

#include <cmath>

#include "tools/gltf2demo/curveConversion.h"
#include "tools/gltf2demo/worldAxes.h"

namespace {

using namespace gltf2demo;

constexpr double Pi = 3.14159265358979323846;

double Difference(const Mat3& a, const Mat3& b) {
  double most = 0;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) most = std::fmax(most, std::fabs(a[r][c] - b[r][c]));
  return most;
}

Quat AxisAngle(double x, double y, double z, double radians) {
  const double length = std::sqrt(x * x + y * y + z * z), s = std::sin(radians / 2) / length;
  return {x * s, y * s, z * s, std::cos(radians / 2)};
}

TEST(EulerXYZ, RebuildsEveryRotationIncludingThePoles) {
  for (double a = -3; a <= 3; a += 0.7)
    for (double b = -1.5; b <= 1.5; b += 0.5)
      for (double c = -3; c <= 3; c += 0.9) {
        const Mat3 m = FromEulerXYZ({a, b, c});
        EXPECT_LT(Difference(FromEulerXYZ(EulerXYZ(m)), m), 1e-9) << a << " " << b << " " << c;
      }
  for (double b : {Pi / 2, -Pi / 2}) {
    const Mat3 m = FromEulerXYZ({0.4, b, -0.3});
    const Vec3 e = EulerXYZ(m, {0, 0, -0.3});
    EXPECT_LT(Difference(FromEulerXYZ(e), m), 1e-9);
    EXPECT_NEAR(e[2], -0.3, 1e-9) << "the free angle stays where it was";
  }
}

TEST(EulerXYZ, PicksTheTripleNearestThePreviousOne) {
  // Just past half a turn about z, coming from just before it: no jump back by a turn.
  const Vec3 e = EulerXYZ(FromEulerXYZ({0, 0, Pi + 0.1}), {0, 0, Pi - 0.1});
  EXPECT_NEAR(e[2], Pi + 0.1, 1e-9);
  // (a + pi, pi - b, c + pi) is the same rotation; near it, it is the one taken.
  const Vec3 flipped = EulerXYZ(FromEulerXYZ({0.2, 0.3, 0.4}), {0.2 + Pi, Pi - 0.3, 0.4 + Pi});
  EXPECT_NEAR(flipped[1], Pi - 0.3, 1e-9);
}

TEST(ToEngine, MirrorsRotationsAboutTheSwappedAxes) {
  // A turn about glTF's up is the opposite turn about the engine's up.
  const Mat3 up = ToEngine(RotationOf(AxisAngle(0, 1, 0, 0.5)));
  EXPECT_LT(Difference(up, FromEulerXYZ({0, 0, -0.5})), 1e-12);
  const Mat3 side = ToEngine(RotationOf(AxisAngle(1, 0, 0, 0.5)));
  EXPECT_LT(Difference(side, FromEulerXYZ({-0.5, 0, 0})), 1e-12);
}

// Turns about glTF's axis (x, y, z) through `degrees` at one key a second.
Keyframes Turn(Keyframes::Kind kind, const std::vector<double>& degrees, double x, double y, double z) {
  Keyframes keys;
  keys.kind = kind;
  keys.components = 4;
  for (std::size_t k = 0; k < degrees.size(); ++k) {
    keys.times.push_back(static_cast<double>(k));
    const Quat q = AxisAngle(x, y, z, degrees[k] * Pi / 180);
    for (double c : q) keys.values.push_back(static_cast<float>(c));
  }
  return keys;
}

Keyframes TurnAboutUp(Keyframes::Kind kind, const std::vector<double>& degrees) { return Turn(kind, degrees, 0, 1, 0); }

TEST(RotationCurves, AnEvenTurnPastHalfATurnIsOneStraightUnwrappedSegment) {
  const auto curves = RotationCurves(TurnAboutUp(Keyframes::Kind::Linear, {0, 100, 200, 300}));
  ASSERT_EQ(curves.size(), 3u);
  EXPECT_EQ(curves[2].channel, "RotZ");
  EXPECT_EQ(curves[2].interpolation, "Linear");
  // Sampled at 76 frames, all on one line: only the ends are kept.
  ASSERT_EQ(curves[2].keys.size(), 2u);
  EXPECT_FLOAT_EQ(curves[2].keys[0].time, 1);
  EXPECT_FLOAT_EQ(curves[2].keys[1].time, 76);
  EXPECT_NEAR(curves[2].keys[1].value, -30, 1e-4) << "300 degrees, mirrored, in tens of degrees";
  for (int axis : {0, 1}) {
    ASSERT_EQ(curves[axis].keys.size(), 2u);
    EXPECT_NEAR(curves[axis].keys[1].value, 0, 1e-6);
  }
}

TEST(RotationCurves, ATurnThroughTheEulerPoleKeepsToOneAxis) {
  // About glTF's z, the engine's y: its angle passes -90 degrees, where x and z could
  // jump by half a turn each.
  const auto curves = RotationCurves(Turn(Keyframes::Kind::Linear, {0, 90, 180}, 0, 0, 1));
  ASSERT_EQ(curves[1].keys.size(), 2u);
  EXPECT_NEAR(curves[1].keys[1].value, -18, 1e-4);
  for (int axis : {0, 2}) {
    for (const auto& key : curves[axis].keys) EXPECT_NEAR(key.value, 0, 1e-4) << curves[axis].channel << " at " << key.time;
  }
}

TEST(RotationCurves, StepKeysStayKeysAndALoneKeyIsHeld) {
  const auto steps = RotationCurves(TurnAboutUp(Keyframes::Kind::Step, {0, 90, 180}));
  EXPECT_EQ(steps[2].interpolation, "Constant");
  ASSERT_EQ(steps[2].keys.size(), 3u);
  EXPECT_FLOAT_EQ(steps[2].keys[1].time, 26);
  EXPECT_NEAR(steps[2].keys[2].value, -18, 1e-4);
  // One key: the engine cannot play a track whose only segment has no length.
  const auto lone = RotationCurves(TurnAboutUp(Keyframes::Kind::Linear, {45}));
  ASSERT_EQ(lone[2].keys.size(), 2u);
  EXPECT_GT(lone[2].keys[1].time, lone[2].keys[0].time);
  EXPECT_EQ(lone[2].keys[1].value, lone[2].keys[0].value);
}

}  // namespace
