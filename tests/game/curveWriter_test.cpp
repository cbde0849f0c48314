// The curve writer against the program's own reader: what credits_curves writes is the
// ramp the credits are lit by.

#include <gtest/gtest.h>

#include "game/curveFile.h"
#include "tools/curves/creditsRamp.h"
#include "tools/curves/curveWriter.h"

namespace {

using engine::math::Vector3f;

void ExpectNear(const Vector3f& a, const Vector3f& b) {
  EXPECT_NEAR(a.x, b.x, 1e-6f);
  EXPECT_NEAR(a.y, b.y, 1e-6f);
  EXPECT_NEAR(a.z, b.z, 1e-6f);
}

TEST(CurveWriterTest, WrittenFilesReadBackWithHandlesLengthsAndTransforms) {
  curves::CurveObject moved;
  moved.name = "Path";
  moved.location = {1, 2, 3};
  moved.curves.push_back(curves::SmoothCurve({{0, 0, 0}, {3, 0, 0}, {3, 3, 0}}));
  curves::CurveObject twice = moved;
  twice.location = {0, 0, 0};
  const orv::CurveSet set = orv::ParseCurves(curves::CurveFileBytes({moved, twice}), "test.curves");
  ASSERT_EQ(set.count("Path"), 1u);
  const std::vector<orv::Curve>& read = set.at("Path");
  ASSERT_EQ(read.size(), 2u);  // the same name twice collects both
  const orv::Curve& first = read[0];
  ASSERT_EQ(first.points.size(), 3u);
  ExpectNear(first.points[1].knot, {4, 2, 3});
  // The middle knot's handles lie on the line between its neighbours, a sixth of it off.
  ExpectNear(first.points[1].left, {3.5f, 1.5f, 3});
  ExpectNear(first.points[1].right, {4.5f, 2.5f, 3});
  // The curve passes through its knots; lengths accumulate and are at least the chord.
  ExpectNear(orv::EvaluateCurve(first, 1, 1.0f), {4, 5, 3});
  ASSERT_EQ(first.lengths.size(), 2u);
  EXPECT_GE(first.lengths[0], 3.0f);
  EXPECT_GT(first.lengths[1], first.lengths[0] + 3.0f - 1e-4f);
  EXPECT_LT(first.lengths[1], 7.0f);
}

TEST(CurveWriterTest, TheCreditsRampIsAWholeRampOfVisibleColours) {
  const std::vector<float> ramp =
      orv::SampleColourRamp(orv::ParseCurves(curves::CurveFileBytes(curves::CreditsCurves()), "credits.curves"));
  ASSERT_EQ(ramp.size(), 1024u);
  float brightest = 0.0f;
  for (int entry = 0; entry < 256; ++entry) {
    for (int c = 0; c < 3; ++c) {
      const float value = ramp[static_cast<size_t>(entry) * 4 + c];
      EXPECT_GE(value, 0.0f) << "entry " << entry;
      EXPECT_LE(value, 1.05f) << "entry " << entry;
      brightest = std::max(brightest, value);
    }
  }
  // Dark at the start, close to white near the end.
  EXPECT_LT(ramp[0] + ramp[1] + ramp[2], 0.2f);
  EXPECT_GT(brightest, 0.95f);
}

}  // namespace
