#include <gtest/gtest.h>
#include <zlib.h>

#include <stb/stb_image.h>

#include <boost/filesystem.hpp>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/capture/frame_writer.h"
#include "platform/capture/png_encoder.h"
#include "platform/capture/settings.h"
#include "platform/capture/video_sink.h"
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

// Every chunk's CRC and the zlib stream's own checksum, as a strict decoder checks them;
// the image library's decoder checks neither.
void ExpectChecksummedChunks(const std::string& png, std::size_t rawBytes) {
  ASSERT_GT(png.size(), 8u);
  std::string idat;
  for (std::size_t at = 8; at + 12 <= png.size();) {
    const auto* b = reinterpret_cast<const unsigned char*>(png.data() + at);
    const std::size_t length = static_cast<std::size_t>(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
    ASSERT_LE(at + 12 + length, png.size());
    const unsigned char* c = b + 8 + length;
    const uLong stored = static_cast<uLong>(c[0]) << 24 | c[1] << 16 | c[2] << 8 | c[3];
    EXPECT_EQ(crc32(0L, b + 4, static_cast<uInt>(length + 4)), stored) << std::string(png, at + 4, 4);
    if (png.compare(at + 4, 4, "IDAT") == 0) idat.append(png, at + 8, length);
    at += 12 + length;
  }
  std::vector<unsigned char> raw(rawBytes);
  uLongf size = static_cast<uLongf>(raw.size());
  EXPECT_EQ(uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(idat.data()), static_cast<uLong>(idat.size())),
            Z_OK);
  EXPECT_EQ(size, rawBytes);
}

TEST(PngEncoderTest, EverySizeDecodesToItsOwnPixelsFromRgbAndFromRgba) {
  for (const auto& size : {std::make_pair(1, 1), std::make_pair(3, 2), std::make_pair(257, 5), std::make_pair(640, 360)}) {
    const std::size_t pixels = static_cast<std::size_t>(size.first) * size.second;
    std::vector<std::uint8_t> rgb(pixels * 3), rgba(pixels * 4);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 37 + (i / 7) * 11);
    for (std::size_t p = 0; p < pixels; ++p) {
      std::copy(&rgb[p * 3], &rgb[p * 3] + 3, &rgba[p * 4]);
      rgba[p * 4 + 3] = static_cast<std::uint8_t>(p);  // whatever the alpha, it is not in the file
    }
    const std::string png = platform::EncodePng(size.first, size.second, rgb.data());
    EXPECT_EQ(platform::EncodePng(size.first, size.second, rgba.data(), 4), png) << size.first << "x" << size.second;
    int w = 0, h = 0, channels = 0;
    unsigned char* decoded = stbi_load_from_memory(reinterpret_cast<const unsigned char*>(png.data()),
                                                   static_cast<int>(png.size()), &w, &h, &channels, 3);
    ASSERT_NE(decoded, nullptr) << size.first << "x" << size.second;
    EXPECT_EQ(w, size.first);
    EXPECT_EQ(h, size.second);
    EXPECT_EQ(std::vector<std::uint8_t>(decoded, decoded + rgb.size()), rgb);
    stbi_image_free(decoded);
    ExpectChecksummedChunks(png, (static_cast<std::size_t>(size.first) * 3 + 1) * size.second);
  }
  EXPECT_TRUE(platform::EncodePng(0, 4, nullptr).empty());
  const std::uint8_t pixel[4] = {1, 2, 3, 4};
  EXPECT_TRUE(platform::EncodePng(1, 1, pixel, 2).empty());
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

TEST(CaptureSwitchesTest, ReadsTheVideoFileAloneOrWithFrames) {
  CaptureSwitches switches;
  std::string error;
  ASSERT_TRUE(Parse({"-video", "out/run.mp4", "-fps", "30"}, &switches, &error)) << error;
  EXPECT_TRUE(switches.Capturing()) << "a video alone drives the capture clock";
  EXPECT_EQ(switches.video, "out/run.mp4");
  EXPECT_TRUE(switches.folder.empty());
  ASSERT_TRUE(Parse({"-capture", "frames", "-video", "run.mp4"}, &switches, &error)) << error;
  EXPECT_EQ(switches.folder, "frames");
  EXPECT_EQ(switches.video, "run.mp4");
}

TEST(CaptureSwitchesTest, RefusesAVideoWithoutAnMp4Name) {
  EXPECT_NE(RefusalOf({"-video"}).find("-video"), std::string::npos);
  EXPECT_NE(RefusalOf({"-video", "-fps", "10"}).find("-video"), std::string::npos);
  for (const char* bad : {"run.avi", ".mp4", "run.mp4.txt", "run"}) {
    const std::string error = RefusalOf({"-video", bad});
    EXPECT_NE(error.find("-video"), std::string::npos) << bad << ": " << error;
    EXPECT_NE(error.find(".mp4"), std::string::npos) << bad << ": " << error;
  }
}

TEST(CaptureSwitchesTest, ReadsARangeOfMusicInPlainDecimalSeconds) {
  CaptureSwitches switches;
  std::string error;
  ASSERT_TRUE(Parse({"-start", "12.5", "-end", "20"}, &switches, &error)) << error;
  EXPECT_DOUBLE_EQ(switches.start, 12.5);
  EXPECT_DOUBLE_EQ(switches.end, 20.0);
  EXPECT_FALSE(switches.Capturing());  // a range alone plays in real time
  ASSERT_TRUE(Parse({"-end", "3"}, &switches, &error)) << error;
  EXPECT_DOUBLE_EQ(switches.start, 0.0);
  ASSERT_TRUE(Parse({}, &switches, &error)) << error;
  EXPECT_LT(switches.end, 0.0);

  for (const char* bad : {"x", "1e3", "+4", "1.2.3", ".", "4 ", "2000000"}) {
    EXPECT_NE(RefusalOf({"-start", bad}).find("-start " + std::string(bad) + ": expected a time"), std::string::npos);
  }
  EXPECT_NE(RefusalOf({"-start", "-capture", "x"}).find("-start: expected a time"), std::string::npos);
  EXPECT_NE(RefusalOf({"-end"}).find("-end: expected a time"), std::string::npos);
  EXPECT_NE(RefusalOf({"-start", "10", "-end", "10"}).find("-end 10: expected a time after -start 10"),
            std::string::npos);

  // Past the music's end only once its length is known; an unreadable file checks nothing.
  ASSERT_TRUE(Parse({"-start", "150"}, &switches, &error)) << error;
  EXPECT_FALSE(platform::CheckMusicRange(switches, 149.5, &error));
  EXPECT_NE(error.find("-start 150: past the end of the music, which is 149.5 s long"), std::string::npos) << error;
  EXPECT_TRUE(platform::CheckMusicRange(switches, 150.5, &error));
  EXPECT_TRUE(platform::CheckMusicRange(switches, -1.0, &error));
}

TEST(CaptureSwitchesTest, SizesAreTwoPlainNumbersWithinRenderTargetLimits) {
  int width = 0, height = 0;
  EXPECT_TRUE(platform::ParseSize("1280x720", &width, &height));
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(height, 720);
  for (const char* bad : {"12", "0x10", "10x0", "x10", "10x", "-5x5", "5x5x", " 5x5", "16385x10", "1e3x10"}) {
    EXPECT_FALSE(platform::ParseSize(bad, &width, &height)) << bad;
  }
  EXPECT_NE(RefusalOf({"-size", "12"}).find("-size 12: expected WIDTHxHEIGHT"), std::string::npos);
  EXPECT_NE(RefusalOf({"-size"}).find("-size: expected WIDTHxHEIGHT"), std::string::npos);
}

TEST(CaptureSwitchesTest, HelpIsAWholeWordAndListsEverySwitchOnALineOfItsOwn) {
  CaptureSwitches switches;
  std::string error;
  ASSERT_TRUE(Parse({"--help"}, &switches, &error)) << error;
  EXPECT_TRUE(switches.help);
  ASSERT_TRUE(Parse({"-help"}, &switches, &error)) << error;
  EXPECT_TRUE(switches.help);
  ASSERT_TRUE(Parse({"-helpful", "---help"}, &switches, &error)) << error;
  EXPECT_FALSE(switches.help);

  const std::string help = platform::SwitchHelp();
  for (const char* name : {"-nodialog ", "-log ", "-headless ", "-size WxH ", "-capture DIR ", "-video FILE.mp4 ",
                           "-fps N[/D] ", "-start S ", "-end S ", "--help"}) {
    EXPECT_NE(help.find("\n  " + std::string(name)), std::string::npos) << name << " missing from\n" << help;
  }
}

namespace {

// Sets PATH for one test and puts it back.
class PathFor {
 public:
  explicit PathFor(const std::string& path) {
    if (const char* old = std::getenv("PATH")) previous_ = old;
    setenv("PATH", path.c_str(), 1);
  }
  ~PathFor() { setenv("PATH", previous_.c_str(), 1); }

 private:
  std::string previous_;
};

}  // namespace

TEST(VideoSettingsTest, FindsAnExecutableFfmpegOnPathOnly) {
  ScratchDir scratch;
  boost::filesystem::create_directories(scratch.Path("plain"));
  boost::filesystem::create_directories(scratch.Path("tool"));
  boost::filesystem::create_directories(scratch.Path("ffmpeg_dir/ffmpeg"));  // a folder is no program
  scratch.Write("plain/ffmpeg", "not executable");
  scratch.Write("tool/ffmpeg", "#!/bin/sh\n");
  chmod(scratch.Path("tool/ffmpeg").c_str(), 0755);
  {
    PathFor path(scratch.Path("ffmpeg_dir") + ":" + scratch.Path("plain") + "::" + scratch.Path("tool"));
    EXPECT_EQ(platform::FindFfmpeg(), scratch.Path("tool") + "/ffmpeg");
  }
  {
    PathFor path(scratch.Path("plain") + ":" + scratch.Path("ffmpeg_dir"));
    EXPECT_EQ(platform::FindFfmpeg(), "");
  }
}

TEST(VideoSettingsTest, RefusesAMissingFolderOrNoFfmpegNamingTheSwitch) {
  ScratchDir scratch;
  boost::filesystem::create_directories(scratch.Path("tool"));
  scratch.Write("tool/ffmpeg", "#!/bin/sh\n");
  chmod(scratch.Path("tool/ffmpeg").c_str(), 0755);
  std::string error;
  {
    PathFor path(scratch.Path("tool"));
    EXPECT_TRUE(platform::PrepareVideo(scratch.Path("run.mp4"), &error)) << error;
    EXPECT_FALSE(platform::PrepareVideo(scratch.Path("missing/run.mp4"), &error));
    EXPECT_NE(error.find("-video"), std::string::npos) << error;
    EXPECT_FALSE(boost::filesystem::exists(scratch.Path("missing"))) << "a video's folder is not made for it";
    // Root may write anywhere but here.
    EXPECT_FALSE(platform::PrepareVideo("/proc/run.mp4", &error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  }
  {
    PathFor path(scratch.Path("nothing"));
    EXPECT_FALSE(platform::PrepareVideo(scratch.Path("run.mp4"), &error));
    EXPECT_NE(error.find("-video"), std::string::npos) << error;
    EXPECT_NE(error.find("ffmpeg"), std::string::npos) << error;
  }
  int left = 0;
  for (const auto& entry : boost::filesystem::directory_iterator(scratch.Path("."))) {
    left += entry.path().filename() != "tool" && entry.path().filename() != "data";
  }
  EXPECT_EQ(left, 0) << "the probe leaves nothing behind";
}

namespace {

struct Seen {
  std::vector<std::int64_t> indices;
  std::vector<std::uint8_t> firstPixel;  // red of pixel (1, 0): the frame's x pattern, not its alpha
  std::vector<std::uint8_t> lastBlue;
  int writesAfterFinish = 0;
  bool finished = false;
};

class RecordingSink final : public platform::FrameSink {
 public:
  RecordingSink(Seen* seen, bool failWrites, bool failFinish)
      : seen_(seen), failWrites_(failWrites), failFinish_(failFinish) {}
  bool Write(std::int64_t index, int width, int height, const std::uint8_t* rgba) override {
    if (seen_->finished) ++seen_->writesAfterFinish;
    seen_->indices.push_back(index);
    seen_->firstPixel.push_back(rgba[4]);  // pixel 1 starts at byte 4
    seen_->lastBlue.push_back(rgba[static_cast<std::size_t>(width) * height * 4 - 2]);
    return !failWrites_;
  }
  bool Finish() override {
    seen_->finished = true;
    return !failFinish_;
  }

 private:
  Seen* seen_;
  bool failWrites_, failFinish_;
};

std::vector<std::unique_ptr<platform::FrameSink>> Recorders(Seen* a, Seen* b, bool bFailsWrites, bool bFailsFinish) {
  std::vector<std::unique_ptr<platform::FrameSink>> sinks;
  sinks.push_back(std::make_unique<RecordingSink>(a, false, false));
  sinks.push_back(std::make_unique<RecordingSink>(b, bFailsWrites, bFailsFinish));
  return sinks;
}

}  // namespace

TEST(FrameWriterSinksTest, EverySinkGetsEveryFrameInOrderAsItWasPushed) {
  Seen a, b;
  FrameWriter writer(Recorders(&a, &b, false, false), 2, 5);
  for (int i = 0; i < 7; ++i) writer.Push(9, 4, Pattern(9, 4, i));
  EXPECT_TRUE(writer.Finish());
  for (const Seen* seen : {&a, &b}) {
    ASSERT_EQ(seen->indices.size(), 7u);
    for (int i = 0; i < 7; ++i) {
      EXPECT_EQ(seen->indices[i], 5 + i);
      EXPECT_EQ(seen->firstPixel[i], 7) << "pixel 1's red";
      EXPECT_EQ(seen->lastBlue[i], i) << "the last pixel's blue";
    }
    EXPECT_TRUE(seen->finished);
    EXPECT_EQ(seen->writesAfterFinish, 0) << "a sink is finished only after its last frame";
  }
  EXPECT_EQ(writer.Written(), 7);
}

TEST(FrameWriterSinksTest, OneFailingSinkCostsTheFrameButNotTheOthersCopy) {
  Seen a, b;
  FrameWriter writer(Recorders(&a, &b, true, false), 2, 0);
  for (int i = 0; i < 3; ++i) writer.Push(4, 4, Pattern(4, 4, i));
  EXPECT_TRUE(writer.Finish()) << "lost frames are counted, the finish itself went well";
  EXPECT_EQ(a.indices.size(), 3u);
  EXPECT_EQ(writer.Written(), 0);
  EXPECT_EQ(writer.Failed(), 3);
}

TEST(FrameWriterSinksTest, ASinkThatCannotFinishFailsTheFinishAndEverySinkIsStillFinished) {
  Seen a, b;
  FrameWriter writer(Recorders(&a, &b, false, true), 2, 0);
  writer.Push(4, 4, Pattern(4, 4, 0));
  EXPECT_FALSE(writer.Finish());
  EXPECT_FALSE(writer.Finish()) << "asked again, the answer stays";
  EXPECT_TRUE(a.finished);
  EXPECT_TRUE(b.finished);
}
