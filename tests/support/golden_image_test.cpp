// The golden-image helper's failures: the actual and diff pictures go to a folder named
// after the test under the build's folder (or where NEBLU_GOLDEN_FAILURES_DIR says), the
// message says where, and the folder holding the goldens is left as it was.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/golden_image.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Image;

Image Solid(int width, int height, std::uint8_t value) {
  return Image{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3, value)};
}

std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class GoldenImage : public ::testing::Test {
 protected:
  void SetUp() override {
    goldens = fs::temp_directory_path() / ("neblu-goldens-" + std::to_string(::getpid()));
    fs::remove_all(goldens);
    fs::create_directories(goldens);
    ASSERT_TRUE(testing_support::WritePng((goldens / "square.png").string(), Solid(4, 4, 0)));
    if (const char* set = std::getenv("NEBLU_GOLDEN_FAILURES_DIR")) saved = set, hadSaved = true;
    ::unsetenv("NEBLU_GOLDEN_FAILURES_DIR");
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    testFolder = std::string(info->test_suite_name()) + "." + info->name();
  }
  void TearDown() override {
    if (hadSaved) ::setenv("NEBLU_GOLDEN_FAILURES_DIR", saved.c_str(), 1);
    fs::remove_all(goldens);
    fs::remove_all(fs::path(NEBLU_GOLDEN_FAILURES_DIR) / testFolder);
  }

  fs::path goldens;
  std::string testFolder;
  std::string saved;
  bool hadSaved = false;
};

TEST_F(GoldenImage, AMismatchLeavesItsPicturesUnderTheBuildNamedAfterTheTest) {
  const fs::path expected = fs::path(NEBLU_GOLDEN_FAILURES_DIR) / testFolder;
  const ::testing::AssertionResult result =
      testing_support::MatchesGolden(goldens.string(), "square", Solid(4, 4, 255), 2, 0);
  ASSERT_FALSE(result);
  EXPECT_EQ(Listing(goldens), std::vector<std::string>{"square.png"}) << "the goldens' folder was written to";
  EXPECT_TRUE(fs::exists(expected / "square.actual.png")) << result.message();
  EXPECT_TRUE(fs::exists(expected / "square.diff.png")) << result.message();
  EXPECT_NE(std::string(result.message()).find((expected / "square.actual.png").string()), std::string::npos)
      << result.message();
  EXPECT_NE(std::string(result.message()).find((expected / "square.diff.png").string()), std::string::npos)
      << result.message();
}

TEST_F(GoldenImage, AMissingOrMisSizedGoldenLeavesTheActualPictureThereToo) {
  const fs::path expected = fs::path(NEBLU_GOLDEN_FAILURES_DIR) / testFolder;
  ::testing::AssertionResult result = testing_support::MatchesGolden(goldens.string(), "absent", Solid(4, 4, 9), 2, 0);
  ASSERT_FALSE(result);
  EXPECT_TRUE(fs::exists(expected / "absent.actual.png")) << result.message();
  EXPECT_NE(std::string(result.message()).find((expected / "absent.actual.png").string()), std::string::npos)
      << result.message();
  result = testing_support::MatchesGolden(goldens.string(), "square", Solid(5, 4, 0), 2, 0);
  ASSERT_FALSE(result);
  EXPECT_TRUE(fs::exists(expected / "square.actual.png")) << result.message();
  EXPECT_EQ(Listing(goldens), std::vector<std::string>{"square.png"}) << "the goldens' folder was written to";
}

TEST_F(GoldenImage, TheEnvironmentChoosesAnotherFolder) {
  const fs::path chosen = goldens / "elsewhere";
  ::setenv("NEBLU_GOLDEN_FAILURES_DIR", chosen.string().c_str(), 1);
  const ::testing::AssertionResult result =
      testing_support::MatchesGolden(goldens.string(), "square", Solid(4, 4, 255), 2, 0);
  ASSERT_FALSE(result);
  EXPECT_TRUE(fs::exists(chosen / testFolder / "square.diff.png")) << result.message();
  EXPECT_FALSE(fs::exists(fs::path(NEBLU_GOLDEN_FAILURES_DIR) / testFolder));
}

TEST_F(GoldenImage, AMatchWithinToleranceWritesNothing) {
  Image close = Solid(4, 4, 0);
  close.rgb[0] = 2;    // within the tolerance
  close.rgb[3] = 200;  // the one pixel allowed to differ
  EXPECT_TRUE(testing_support::MatchesGolden(goldens.string(), "square", close, 2, 1));
  EXPECT_FALSE(fs::exists(fs::path(NEBLU_GOLDEN_FAILURES_DIR) / testFolder));
  EXPECT_EQ(Listing(goldens), std::vector<std::string>{"square.png"});
}

}  // namespace
