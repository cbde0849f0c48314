// Where a frame lands in a window of another size: 1:1 when the sizes agree, else the
// largest rectangle of the frame's aspect, centred, the rest left to black bars.

#include <gtest/gtest.h>

#include "platform/gl/context.h"

namespace {

struct Case {
  int width, height, windowWidth, windowHeight;
  platform::LetterboxRect expected;
};

class Letterbox : public ::testing::TestWithParam<Case> {};

TEST_P(Letterbox, FitsTheFrameKeepingItsAspect) {
  const Case& c = GetParam();
  const platform::LetterboxRect r = platform::Letterbox(c.width, c.height, c.windowWidth, c.windowHeight);
  EXPECT_EQ(r.x, c.expected.x);
  EXPECT_EQ(r.y, c.expected.y);
  EXPECT_EQ(r.width, c.expected.width);
  EXPECT_EQ(r.height, c.expected.height);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Letterbox,
    ::testing::Values(Case{800, 600, 800, 600, {0, 0, 800, 600}},          // the same size: 1:1
                      Case{640, 480, 1024, 768, {0, 0, 1024, 768}},        // the same aspect, larger
                      Case{1280, 720, 1024, 768, {0, 96, 1024, 576}},      // wider: bars above and below
                      Case{1000, 750, 1920, 1080, {240, 0, 1440, 1080}},   // taller: bars left and right
                      Case{1280, 1024, 1920, 1080, {285, 0, 1350, 1080}},  // 5:4, rounded to whole pixels
                      Case{1, 1, 3, 2, {0, 0, 2, 2}},                      // odd leftovers go right and down
                      Case{0, 0, 640, 480, {0, 0, 640, 480}}));            // no frame: the whole window

}  // namespace
