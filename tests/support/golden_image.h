#pragma once

// Golden images for tests: small PNGs next to the tests, compared with a tolerance. A
// failing comparison writes NAME.actual.png and NAME.diff.png into a folder named after
// the running test under FailedGoldensDir(), never into the source tree, and says
// where; NEBLU_UPDATE_GOLDENS=1 rewrites the golden instead (a reviewed step).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // top row first
};

bool ReadPng(const std::string& path, Image* image);
bool WritePng(const std::string& path, const Image& image);

// Where failed comparisons leave their pictures: $NEBLU_GOLDEN_FAILURES_DIR when set,
// else the build's tests/golden-failures (compiled in as NEBLU_GOLDEN_FAILURES_DIR).
std::string FailedGoldensDir();

// Passes when at most `maxPixels` pixels differ by more than `tolerance` in any channel.
::testing::AssertionResult MatchesGolden(const std::string& goldenDir, const std::string& name, const Image& actual,
                                         int tolerance, int maxPixels);

}  // namespace testing_support
