#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include <boost/filesystem.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/capture/frame_writer.h"
#include "platform/capture/settings.h"
#include "support/scratch_dir.h"

namespace {

using platform::CaptureSwitches;
using platform::FrameWriter;
using testing_support::ScratchDir;

bool Parse(const std::vector<std::string>& arguments, CaptureSwitches* out, std::string* error) {
  return platform::ParseCaptureSwitches(arguments, out, error);
}

std::string RefusalOf(const std::vector<std::string>& arguments) {
  CaptureSwitches switches;
  std::string error;
  EXPECT_FALSE(Parse(arguments, &switches, &error)) << arguments.back();
  return error;
}

// width x height RGBA where each pixel encodes its own position and the frame's number.
std::vector<std::uint8_t> Pattern(int width, int height, int frame) {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      p[0] = static_cast<std::uint8_t>(x * 7);
      p[1] = static_cast<std::uint8_t>(y * 11);
      p[2] = static_cast<std::uint8_t>(frame);
      p[3] = 0;  // a back buffer cleared to transparent must not give see-through frames
    }
  }
  return rgba;
}

}  // namespace

TEST(CaptureSwitchesTest, WithoutSwitchesNothingIsCapturedAndTheRateIs60) {
  CaptureSwitches switches;
  std::string error;
  ASSERT_TRUE(Parse({"-nodialog", "-headless", "-size", "640x480"}, &switches, &error)) << error;
  EXPECT_FALSE(switches.Capturing());
  EXPECT_EQ(switches.fpsNumerator, 60);
  EXPECT_EQ(switches.fpsDenominator, 1);
}

TEST(CaptureSwitchesTest, ReadsTheFolderAndWholeOrFractionalRates) {
  CaptureSwitches switches;
  std::string error;
  ASSERT_TRUE(Parse({"-headless", "-capture", "out/frames", "-fps", "60000/1001"}, &switches, &error)) << error;
  EXPECT_TRUE(switches.Capturing());
  EXPECT_EQ(switches.folder, "out/frames");
  EXPECT_EQ(switches.fpsNumerator, 60000);
  EXPECT_EQ(switches.fpsDenominator, 1001);

  ASSERT_TRUE(Parse({"-fps", "25", "-capture", "x"}, &switches, &error)) << error;
  EXPECT_EQ(switches.fpsNumerator, 25);
  EXPECT_EQ(switches.fpsDenominator, 1);
  EXPECT_EQ(switches.folder, "x");
}

TEST(CaptureSwitchesTest, RefusesRatesThatAreNotPositiveWholeNumbers) {
  for (const char* bad : {"0", "x", "30/0", "0/1", "10/", "/10", "+5", "5abc", " 5", "2.5", "1/2/3", "99999999999"}) {
    const std::string error = RefusalOf({"-capture", "out", "-fps", bad});
    EXPECT_NE(error.find("-fps"), std::string::npos) << bad << ": " << error;
    EXPECT_NE(error.find(bad), std::string::npos) << "the message quotes the value: " << error;
  }
}

TEST(CaptureSwitchesTest, RefusesASwitchWithItsValueMissing) {
  EXPECT_NE(RefusalOf({"-capture"}).find("-capture"), std::string::npos);
  EXPECT_NE(RefusalOf({"-capture", "-fps", "10"}).find("-capture"), std::string::npos);
  EXPECT_NE(RefusalOf({"-capture", "out", "-fps"}).find("-fps"), std::string::npos);
  EXPECT_NE(RefusalOf({"-capture", "out", "-fps", "-headless"}).find("-fps"), std::string::npos);
}

TEST(CaptureFolderTest, MakesMissingParentsAndLeavesNoProbeBehind) {
  ScratchDir scratch;
  std::string error;
  const std::string folder = scratch.Path("a/b/c");
  ASSERT_TRUE(platform::PrepareCaptureFolder(folder, &error)) << error;
  EXPECT_TRUE(boost::filesystem::is_directory(folder));
  EXPECT_TRUE(boost::filesystem::is_empty(folder));
  // An existing folder is fine too.
  EXPECT_TRUE(platform::PrepareCaptureFolder(folder, &error)) << error;
}

TEST(CaptureFolderTest, RefusesAFolderThatCannotBeMadeNamingTheSwitch) {
  ScratchDir scratch;
  scratch.Write("file", "x");
  std::string error;
  EXPECT_FALSE(platform::PrepareCaptureFolder(scratch.Path("file/frames"), &error));
  EXPECT_NE(error.find("-capture"), std::string::npos) << error;
  EXPECT_FALSE(platform::PrepareCaptureFolder(scratch.Path("file"), &error)) << "a file is not a folder";
}

TEST(FrameWriterTest, NamesFramesWithSixDigits) {
  EXPECT_EQ(FrameWriter::FileName(0), "frame000000.png");
  EXPECT_EQ(FrameWriter::FileName(42), "frame000042.png");
  EXPECT_EQ(FrameWriter::FileName(1234567), "frame1234567.png");
}

TEST(FrameWriterTest, WritesEveryFrameInOrderAsOpaqueRgbWithItsPixels) {
  ScratchDir scratch;
  const int width = 37, height = 23;  // odd sizes: rows are not padded
  {
    FrameWriter writer(scratch.Path("data"), 2);
    for (int i = 0; i < 9; ++i) writer.Push(width, height, Pattern(width, height, i));
    writer.Finish();
    EXPECT_EQ(writer.Pushed(), 9);
    EXPECT_EQ(writer.Written(), 9);
    EXPECT_EQ(writer.Failed(), 0);
  }
  for (int i = 0; i < 9; ++i) {
    const std::string path = scratch.Path("data/" + FrameWriter::FileName(i));
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &channels, 0);
    ASSERT_NE(pixels, nullptr) << path;
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    EXPECT_EQ(channels, 3) << "no alpha channel in a captured frame";
    const std::vector<std::uint8_t> want = Pattern(width, height, i);
    int wrong = 0;
    for (int p = 0; p < width * height; ++p) {
      for (int c = 0; c < 3; ++c) wrong += pixels[p * 3 + c] != want[static_cast<std::size_t>(p) * 4 + c];
    }
    EXPECT_EQ(wrong, 0) << path;
    stbi_image_free(pixels);
  }
  EXPECT_FALSE(boost::filesystem::exists(scratch.Path("data/" + FrameWriter::FileName(9))));
}

TEST(FrameWriterTest, NeverHoldsMoreThanItsCapacity) {
  ScratchDir scratch;
  FrameWriter writer(scratch.Path("data"), 3);
  // Frames far quicker to push than to encode: without the bound they would pile up.
  for (int i = 0; i < 24; ++i) writer.Push(256, 256, Pattern(256, 256, i));
  writer.Finish();
  EXPECT_LE(writer.MostWaiting(), 3u);
  EXPECT_EQ(writer.Written(), 24);
}

TEST(FrameWriterTest, DestroyingTheWriterFlushesWhatWasQueued) {
  ScratchDir scratch;
  {
    FrameWriter writer(scratch.Path("data"), 4, 10);
    for (int i = 0; i < 4; ++i) writer.Push(64, 64, Pattern(64, 64, i));
  }
  for (int i = 10; i < 14; ++i) {
    EXPECT_TRUE(boost::filesystem::exists(scratch.Path("data/" + FrameWriter::FileName(i)))) << i;
  }
  EXPECT_FALSE(boost::filesystem::exists(scratch.Path("data/" + FrameWriter::FileName(0))))
      << "numbering starts at the index given";
}

TEST(FrameWriterTest, CountsFramesItCannotWriteAndStillFinishes) {
  ScratchDir scratch;
  FrameWriter writer(scratch.Path("missing/folder"), 2);
  for (int i = 0; i < 5; ++i) writer.Push(8, 8, Pattern(8, 8, i));
  writer.Push(8, 8, std::vector<std::uint8_t>(7));  // the wrong size is refused, not read past
  writer.Finish();
  EXPECT_EQ(writer.Written(), 0);
  EXPECT_EQ(writer.Failed(), 6);
}

TEST(FrameWriterTest, IgnoresFramesAfterFinish) {
  ScratchDir scratch;
  FrameWriter writer(scratch.Path("data"), 2);
  writer.Push(8, 8, Pattern(8, 8, 0));
  writer.Finish();
  writer.Push(8, 8, Pattern(8, 8, 1));  // must neither block nor write
  writer.Finish();
  EXPECT_EQ(writer.Pushed(), 1);
  EXPECT_EQ(writer.Written(), 1);
  EXPECT_FALSE(boost::filesystem::exists(scratch.Path("data/" + FrameWriter::FileName(1))));
}
