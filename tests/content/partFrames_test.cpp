// One frame of each part at a fixed music time, captured by the program at 320x180 and
// held to a reviewed golden picture (NEBLU_UPDATE_GOLDENS=1 rewrites them). The same
// pictures, scaled, are the README's.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/golden_image.h"
#include "support/scratch_dir.h"

namespace {

struct PartFrame {
  const char* part;
  const char* seconds;  // music time, a whole frame at 10 frames a second
};

std::ostream& operator<<(std::ostream& out, const PartFrame& f) { return out << f.part; }

class PartFrameTest : public ::testing::TestWithParam<PartFrame> {};

TEST_P(PartFrameTest, MatchesItsGolden) {
  testing_support::ScratchDir dir;
  const std::string folder = dir.Path("frames");
  const double start = std::atof(GetParam().seconds);
  char end[32];
  std::snprintf(end, sizeof end, "%.2f", start + 0.1);
  const std::string command = std::string("cd '") + dir.Path("") + "' && rm -rf data && ln -s '" + NEBLU_DATA_DIR +
                              "' data && DISPLAY= WAYLAND_DISPLAY= '" + NEBLU_GAME +
                              "' -nodialog -headless -size 320x180 -capture frames -fps 10 -start " +
                              GetParam().seconds + " -end " + end + " > run.txt 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  testing_support::Image frame;
  ASSERT_TRUE(testing_support::ReadPng(folder + "/frame000000.png", &frame)) << "no frame was captured:\n"
                                                                             << dir.Read("run.txt");
  // The same machine draws the same bytes; the tolerance allows for a driver that rounds
  // differently without hiding a changed picture.
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_CONTENT_GOLDEN_DIR, GetParam().part, frame, 24,
                                             frame.width * frame.height / 100));
}

INSTANTIATE_TEST_SUITE_P(Orv, PartFrameTest,
                         ::testing::Values(PartFrame{"intro", "12.0"}, PartFrame{"points", "40.0"},
                                           PartFrame{"city", "70.0"}, PartFrame{"stars", "98.0"},
                                           PartFrame{"credits", "126.0"}),
                         [](const ::testing::TestParamInfo<PartFrame>& frameInfo) { return std::string(frameInfo.param.part); });

}  // namespace
