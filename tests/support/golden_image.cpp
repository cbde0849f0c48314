#include "support/golden_image.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace testing_support {

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
  // Beside the golden, not in the working directory: many tests work in a scratch folder
  // that goes with them, and the pictures are wanted after a failed run.
  const std::string actualPath = goldenDir + "/" + name + ".actual.png";
  const std::string diffPath = goldenDir + "/" + name + ".diff.png";
  const char* update = std::getenv("NEBLU_UPDATE_GOLDENS");
  if (update && std::strcmp(update, "1") == 0) {
    if (!WritePng(goldenPath, actual)) return ::testing::AssertionFailure() << "cannot write " << goldenPath;
    return ::testing::AssertionSuccess() << "updated " << goldenPath;
  }
  Image golden;
  if (!ReadPng(goldenPath, &golden)) {
    WritePng(actualPath, actual);
    return ::testing::AssertionFailure() << "no golden " << goldenPath << "; wrote " << actualPath
                                         << " (NEBLU_UPDATE_GOLDENS=1 makes it the golden)";
  }
  if (golden.width != actual.width || golden.height != actual.height) {
    WritePng(actualPath, actual);
    return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height << ", golden "
                                         << golden.width << "x" << golden.height;
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
  WritePng(actualPath, actual);
  WritePng(diffPath, diff);
  return ::testing::AssertionFailure() << differing << " pixels differ by more than " << tolerance
                                       << " (largest difference " << worst << "); wrote " << actualPath
                                       << " and " << diffPath;
}

}  // namespace testing_support
