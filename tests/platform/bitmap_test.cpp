// Bitmap files as picture controls use them: the executable's resources beside it, and
// LoadImageW reading a file. The files are written here byte by byte, so row order,
// row padding and channel order are checked against known pixels.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

// A w x h file whose pixel (x, y), counted from the top, is (x * 40, y * 60, 200).
std::vector<std::uint8_t> Bmp(int w, int h, int bits, bool topDown) {
  const int bytes = bits / 8;
  const int stride = (w * bytes + 3) & ~3;
  std::vector<std::uint8_t> file(54 + static_cast<std::size_t>(stride) * h, 0);
  auto put32 = [&file](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(w));
  put32(22, static_cast<std::uint32_t>(topDown ? -h : h));
  file[26] = 1;
  file[28] = static_cast<std::uint8_t>(bits);
  for (int y = 0; y < h; ++y) {
    const int fileRow = topDown ? y : h - 1 - y;
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &file[54 + static_cast<std::size_t>(fileRow) * stride + x * bytes];
      p[0] = 200;  // blue
      p[1] = static_cast<std::uint8_t>(y * 60);
      p[2] = static_cast<std::uint8_t>(x * 40);
    }
  }
  return file;
}

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool Pixels(HANDLE bitmap, std::vector<std::uint8_t>* rgb, int* width, int* height) {
  return platform::BitmapPixels(static_cast<HBITMAP>(bitmap), rgb, width, height);
}

class BitmapFiles : public ::testing::Test {
 protected:
  std::filesystem::path Scratch(const std::string& name) const {
    return std::filesystem::path(::testing::TempDir()) / ("neblu_bitmap_" + std::to_string(getpid()) + "_" + name);
  }
};

TEST_F(BitmapFiles, ResourceFileBesideTheExecutableIsItsBitmapResource) {
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe");
  const std::filesystem::path folder = executable.string() + ".res";
  const bool existed = std::filesystem::exists(folder);
  Write(folder / "bitmap" / "901.bmp", Bmp(7, 3, 24, false));
  HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(901));
  HANDLE image = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(901), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
  std::filesystem::remove(folder / "bitmap" / "901.bmp");
  if (!existed) std::filesystem::remove_all(folder);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(image, bitmap) << "one resource, one bitmap";
  std::vector<std::uint8_t> rgb;
  int width = 0, height = 0;
  ASSERT_TRUE(Pixels(bitmap, &rgb, &width, &height));
  EXPECT_EQ(width, 7);
  EXPECT_EQ(height, 3);
  EXPECT_EQ(rgb[0], 0);
  EXPECT_EQ(rgb[2 * 7 * 3 + 6 * 3], 6 * 40) << "bottom right, red";

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(902)), nullptr);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("bitmap resource 902"), std::string::npos);
}

TEST_F(BitmapFiles, FilesOfEitherRowOrderAndDepthLoadWithTheirPixels) {
  struct Case {
    int bits;
    bool topDown;
  };
  for (const Case& c : {Case{24, false}, Case{24, true}, Case{32, false}, Case{32, true}}) {
    const std::filesystem::path path = Scratch(std::to_string(c.bits) + (c.topDown ? "td" : "bu") + ".bmp");
    // 5 pixels a row: 15 bytes padded to 16 at 24 bits, so the padding is exercised.
    Write(path, Bmp(5, 4, c.bits, c.topDown));
    HANDLE image = LoadImageW(nullptr, platform::WideFromUtf8(path.string()).c_str(), IMAGE_BITMAP, 0, 0,
                              LR_LOADFROMFILE);
    std::filesystem::remove(path);
    ASSERT_NE(image, nullptr) << c.bits << (c.topDown ? " top-down" : " bottom-up");
    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0;
    ASSERT_TRUE(Pixels(image, &rgb, &width, &height));
    ASSERT_EQ(width, 5);
    ASSERT_EQ(height, 4);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 5; ++x) {
        const std::uint8_t* p = &rgb[(y * 5 + x) * 3];
        EXPECT_EQ(p[0], x * 40) << x << "," << y;
        EXPECT_EQ(p[1], y * 60) << x << "," << y;
        EXPECT_EQ(p[2], 200) << x << "," << y;
      }
    }
  }
}

TEST_F(BitmapFiles, BrokenFilesAreRefusedWithTheirReason) {
  std::vector<std::uint8_t> cut = Bmp(5, 4, 24, false);
  cut.resize(cut.size() - 10);
  std::vector<std::uint8_t> eightBit = Bmp(5, 4, 24, false);
  eightBit[28] = 8;
  std::vector<std::uint8_t> huge = Bmp(5, 4, 24, false);
  huge[21] = 0x7F;  // width near 2^31
  const struct {
    std::vector<std::uint8_t> bytes;
    const char* reason;
  } cases[] = {{cut, "cut short"},
               {eightBit, "only uncompressed 24- and 32-bit"},
               {huge, "bad image size"},
               {std::vector<std::uint8_t>(60, 'x'), "not a BMP file"}};
  for (const auto& c : cases) {
    const std::filesystem::path path = Scratch("broken.bmp");
    Write(path, c.bytes);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(LoadImageW(nullptr, platform::WideFromUtf8(path.string()).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE),
              nullptr);
    const std::string error = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    std::filesystem::remove(path);
  }
}

}  // namespace
