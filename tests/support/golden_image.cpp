#include "support/golden_image.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace testing_support {

namespace {

// The folder of the running test under FailedGoldensDir(): "Suite.Test", the slashes of
// parameterised names made underscores.
std::string FailureFolder() {
  std::string test = "outside-a-test";
  if (const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
    test = std::string(info->test_suite_name()) + "." + info->name();
  }
  std::replace(test.begin(), test.end(), '/', '_');
  return FailedGoldensDir() + "/" + test;
}

// Writes a picture of a failed comparison and says so, or says it could not.
std::string Leave(const std::string& folder, const std::string& file, const Image& image) {
  const std::string path = folder + "/" + file;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return WritePng(path, image) ? "wrote " + path : "could not write " + path;
}

}  // namespace

std::string FailedGoldensDir() {
  const char* chosen = std::getenv("NEBLU_GOLDEN_FAILURES_DIR");
  if (chosen && *chosen) return chosen;
  return NEBLU_GOLDEN_FAILURES_DIR;
}

bool ReadPng(const std::string& path, Image* image) {
  int channels = 0;
  unsigned char* pixels = stbi_load(path.c_str(), &image->width, &image->height, &channels, 3);
  if (!pixels) return false;
  image->rgb.assign(pixels, pixels + static_cast<std::size_t>(image->width) * image->height * 3);
  stbi_image_free(pixels);
  return true;
}

bool WritePng(const std::string& path, const Image& image) {
  return stbi_write_png(path.c_str(), image.width, image.height, 3, image.rgb.data(), image.width * 3) != 0;
}

::testing::AssertionResult MatchesGolden(const std::string& goldenDir, const std::string& name, const Image& actual,
                                         int tolerance, int maxPixels) {
  const std::string goldenPath = goldenDir + "/" + name + ".png";
  const char* update = std::getenv("NEBLU_UPDATE_GOLDENS");
  if (update && std::strcmp(update, "1") == 0) {
    if (!WritePng(goldenPath, actual)) return ::testing::AssertionFailure() << "cannot write " << goldenPath;
    return ::testing::AssertionSuccess() << "updated " << goldenPath;
  }
  // In the build's folder, one folder a test, not beside the golden: the source tree
  // stays as checked out, and not in the working directory either, since many tests
  // work in a scratch folder that goes with them and the pictures are wanted after a
  // failed run.
  const std::string folder = FailureFolder();
  const std::string actualFile = name + ".actual.png", diffFile = name + ".diff.png";
  Image golden;
  if (!ReadPng(goldenPath, &golden)) {
    return ::testing::AssertionFailure() << "no golden " << goldenPath << "; " << Leave(folder, actualFile, actual)
                                         << " (NEBLU_UPDATE_GOLDENS=1 makes it the golden)";
  }
  if (golden.width != actual.width || golden.height != actual.height) {
    return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height << ", golden "
                                         << golden.width << "x" << golden.height << " (" << goldenPath << "); "
                                         << Leave(folder, actualFile, actual);
  }
  Image diff{actual.width, actual.height, std::vector<std::uint8_t>(actual.rgb.size(), 0)};
  int differing = 0, worst = 0;
  for (std::size_t p = 0; p < actual.rgb.size(); p += 3) {
    int largest = 0;
    for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(actual.rgb[p + c] - golden.rgb[p + c]));
    worst = std::max(worst, largest);
    if (largest > tolerance) {
      ++differing;
      diff.rgb[p] = 255;
    } else {
      diff.rgb[p + 1] = static_cast<std::uint8_t>(actual.rgb[p + 1] / 4);
    }
  }
  if (differing <= maxPixels) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " pixels differ by more than " << tolerance
                                       << " (largest difference " << worst << ") from " << goldenPath << "; "
                                       << Leave(folder, actualFile, actual) << "; " << Leave(folder, diffFile, diff);
}

}  // namespace testing_support
