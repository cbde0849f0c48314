#include <gtest/gtest.h>

#include <vector>

#include "tools/demo/sceneDescription.h"

using engine::gfx::DemoKey;

namespace {

std::vector<DemoKey> Keys(std::initializer_list<std::pair<float, float>> points) {
  std::vector<DemoKey> keys;
  for (const auto& p : points) keys.push_back(DemoKey{0, 0, p.first, p.second, 0, 0});
  return keys;
}

void ExpectHandles(const DemoKey& key, float leftTime, float leftValue, float rightTime, float rightValue) {
  EXPECT_FLOAT_EQ(leftTime, key.leftTime);
  EXPECT_FLOAT_EQ(leftValue, key.leftValue);
  EXPECT_FLOAT_EQ(rightTime, key.rightTime);
  EXPECT_FLOAT_EQ(rightValue, key.rightValue);
}

TEST(AutoSmoothKeyTest, InteriorKeyTakesItsNeighboursSlopeAThirdOfTheWayToEach) {
  // Unequal spacing: the times are thirds of each side's own span, the slope is shared.
  const auto keys = Keys({{0, 0}, {10, 10}, {40, 20}});
  ExpectHandles(demo::AutoSmoothKey(keys, 1), 10 - 10 / 3.0f, 10 - 0.5f * 10 / 3.0f, 20, 15);
  // The key itself is never moved.
  EXPECT_EQ(10, demo::AutoSmoothKey(keys, 1).time);
  EXPECT_EQ(10, demo::AutoSmoothKey(keys, 1).value);
}

TEST(AutoSmoothKeyTest, EvenlySpacedCollinearKeysMakeStraightSegments) {
  // The engine's Bezier segment is exactly linear when its handles' values lie at one
  // and two thirds between the keys; an auto-smoothed straight run must give that.
  const auto keys = Keys({{1, 0}, {11, 10}, {21, 20}, {31, 30}});
  const DemoKey a = demo::AutoSmoothKey(keys, 1), b = demo::AutoSmoothKey(keys, 2);
  EXPECT_FLOAT_EQ(10 + 10 / 3.0f, a.rightValue);
  EXPECT_FLOAT_EQ(20 - 10 / 3.0f, b.leftValue);
}

TEST(AutoSmoothKeyTest, PeaksTroughsAndPlateausAreFlat) {
  for (const auto& keys : {Keys({{0, 0}, {10, 5}, {20, 0}}), Keys({{0, 5}, {10, 0}, {20, 4}}),
                           Keys({{0, 0}, {10, 5}, {20, 5}}), Keys({{0, 5}, {10, 5}, {20, 0}})}) {
    const DemoKey key = demo::AutoSmoothKey(keys, 1);
    EXPECT_EQ(key.value, key.leftValue);
    EXPECT_EQ(key.value, key.rightValue);
  }
}

TEST(AutoSmoothKeyTest, SlopeIsReducedOnBothSidesSoNoHandlePassesItsNeighbour) {
  // The neighbours' slope (11 / 100) would carry the right handle to 13.6, past the
  // next key's 11: it is cut to reach 11 exactly, and the left handle keeps the line.
  const auto keys = Keys({{0, 0}, {1, 10}, {100, 11}});
  const DemoKey key = demo::AutoSmoothKey(keys, 1);
  EXPECT_FLOAT_EQ(11, key.rightValue);
  const float slope = (key.rightValue - key.value) / (key.rightTime - key.time);
  EXPECT_FLOAT_EQ(key.value - slope * (key.time - key.leftTime), key.leftValue);
  EXPECT_LT(key.leftValue, key.value);
}

TEST(AutoSmoothKeyTest, EndKeysAreFlatAndMirrorTheirOneNeighbour) {
  const auto keys = Keys({{0, 0}, {6, 3}, {9, 1}});
  ExpectHandles(demo::AutoSmoothKey(keys, 0), -2, 0, 2, 0);
  ExpectHandles(demo::AutoSmoothKey(keys, 2), 8, 1, 10, 1);
  ExpectHandles(demo::AutoSmoothKey(Keys({{5, 7}}), 0), 4, 7, 6, 7);
}

}  // namespace
