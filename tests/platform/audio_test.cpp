#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/audio/music_lag.h"
#include "support/scratch_dir.h"

namespace {

constexpr int kRate = 44100;

void WriteLe(std::ofstream& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A stereo 16-bit WAV of a full-scale sine.
void WriteSineWav(const std::string& path, double frequency, double seconds) {
  const std::uint32_t frames = static_cast<std::uint32_t>(seconds * kRate);
  std::ofstream out(path, std::ios::binary);
  out.write("RIFF", 4);
  WriteLe(out, 36 + frames * 4, 4);
  out.write("WAVEfmt ", 8);
  WriteLe(out, 16, 4);
  WriteLe(out, 1, 2);
  WriteLe(out, 2, 2);
  WriteLe(out, kRate, 4);
  WriteLe(out, kRate * 4, 4);
  WriteLe(out, 4, 2);
  WriteLe(out, 16, 2);
  out.write("data", 4);
  WriteLe(out, frames * 4, 4);
  const double pi = std::acos(-1.0);
  for (std::uint32_t i = 0; i < frames; ++i) {
    const auto sample = static_cast<std::int16_t>(std::lround(32767.0 * std::sin(2.0 * pi * frequency * i / kRate)));
    WriteLe(out, static_cast<std::uint16_t>(sample), 2);
    WriteLe(out, static_cast<std::uint16_t>(sample), 2);
  }
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double Seconds(HSTREAM stream) { return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream)); }

// The soundtracks are made at test time: a synthesized sine, encoded by lame.
class AudioTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch = new testing_support::ScratchDir();
    WriteSineWav(scratch->Path("sine.wav"), 1000.0, 2.0);
    WriteSineWav(scratch->Path("short.wav"), 1000.0, 0.25);
    const std::string lame = "lame --quiet -b 192 ";
    ASSERT_EQ(std::system((lame + scratch->Path("sine.wav") + " " + scratch->Path("sine.mp3")).c_str()), 0)
        << "lame is needed to make the test soundtrack (scripts/setup.sh installs it)";
    ASSERT_EQ(std::system((lame + scratch->Path("short.wav") + " " + scratch->Path("short.mp3")).c_str()), 0);
    mp3 = new std::string(ReadAll(scratch->Path("sine.mp3")));
  }
  static void TearDownTestSuite() {
    delete mp3;
    delete scratch;
  }

  void SetUp() override { ASSERT_TRUE(BASS_Init(0, kRate, 0, nullptr, nullptr)); }
  void TearDown() override {
    platform::DisableCaptureClock();
    BASS_Free();
  }

  HSTREAM Open(const std::string& name, DWORD flags = 0) {
    return BASS_StreamCreateFile(FALSE, scratch->Path(name).c_str(), 0, 0, flags);
  }
  HSTREAM OpenBytes(const std::string& bytes) {
    return BASS_StreamCreateFile(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), 0);
  }

  static testing_support::ScratchDir* scratch;
  static std::string* mp3;
};

testing_support::ScratchDir* AudioTest::scratch = nullptr;
std::string* AudioTest::mp3 = nullptr;

TEST_F(AudioTest, ReportsVersionTwoPointThreeAndRefusesASecondInit) {
  EXPECT_EQ(BASS_GetVersion() >> 16, 0x0203u);
  EXPECT_FALSE(BASS_Init(0, kRate, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
}

TEST_F(AudioTest, PositionAdvancesInRealTimeOnTheSilentDevice) {
  const HSTREAM stream = Open("sine.mp3", BASS_STREAM_AUTOFREE);
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
  // The device's thread catches the position up with the steady clock whenever it runs,
  // which on a busy machine may be late but never early: the position reaches any point
  // and is never ahead of the time since play. (How closely it follows is the real-time
  // run's test, which compares the two clocks over a whole range.)
  double played = 0.0, wall = 0.0;
  while (played < 0.3 && wall < 30.0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    played = Seconds(stream);
    wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_LE(played, wall + 0.01);
  }
  EXPECT_GE(played, 0.3);
}

// What the present statistics measure: the position the clock read last against the
// one heard now, which is never behind it. Paused, or on the capture clock, where the
// music follows the frames, there is no lag to report.
TEST_F(AudioTest, MusicLagSetsTheLastReadPositionAgainstTheOneHeardNow) {
  const HSTREAM stream = Open("sine.mp3");
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const double read = Seconds(stream);
  double shown = -1.0, heard = -1.0;
  ASSERT_TRUE(platform::MusicLagNow(&shown, &heard));
  EXPECT_NEAR(shown, read, 1e-9);
  EXPECT_GE(heard, shown);
  ASSERT_TRUE(BASS_ChannelPause(stream));
  EXPECT_FALSE(platform::MusicLagNow(&shown, &heard));

  platform::EnableCaptureClock(25, 1);
  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
  Seconds(stream);
  EXPECT_FALSE(platform::MusicLagNow(&shown, &heard));
}

TEST_F(AudioTest, PauseKeepsThePositionAndPlayContinuesFromIt) {
  const HSTREAM stream = Open("sine.mp3");
  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  ASSERT_TRUE(BASS_ChannelPause(stream));
  const QWORD paused = BASS_ChannelGetPosition(stream);
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  EXPECT_EQ(BASS_ChannelGetPosition(stream), paused);

  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
  EXPECT_LT(Seconds(stream) - BASS_ChannelBytes2Seconds(stream, paused), 0.02);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const double resumed = Seconds(stream) - BASS_ChannelBytes2Seconds(stream, paused);
  EXPECT_GT(resumed, 0.07);
  EXPECT_LT(resumed, 0.2);
}

TEST_F(AudioTest, BytesAndSecondsAgree) {
  const HSTREAM stream = Open("sine.mp3");
  ASSERT_NE(stream, 0u);
  // 16-bit stereo at 44.1 kHz: four bytes a frame.
  EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(stream, kRate * 4), 1.0);
  EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(stream, kRate), 0.25);
  platform::EnableCaptureClock(50, 1);
  BASS_ChannelPlay(stream, FALSE);
  for (int i = 0; i < 25; ++i) platform::AdvanceCaptureClock();
  EXPECT_EQ(BASS_ChannelGetPosition(stream), static_cast<QWORD>(kRate / 2 * 4));
  EXPECT_LT(BASS_ChannelBytes2Seconds(0, 0), 0.0);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(AudioTest, SpectrumOfAFullScaleSinePeaksAtItsBinAtAboutOne) {
  const HSTREAM stream = Open("sine.mp3");
  platform::EnableCaptureClock(60, 1);
  BASS_ChannelPlay(stream, FALSE);
  for (int i = 0; i < 30; ++i) platform::AdvanceCaptureClock();
  float bins[512] = {};
  ASSERT_EQ(BASS_ChannelGetData(stream, bins, BASS_DATA_FFT1024), 2048u);
  const int peak = static_cast<int>(std::max_element(bins, bins + 512) - bins);
  // 1000 Hz * 1024 / 44100 = 23.2.
  EXPECT_EQ(peak, 23);
  EXPECT_NEAR(bins[23], 1.0f, 0.1f);
  EXPECT_LT(bins[100], 0.01f);
}

TEST_F(AudioTest, SeekingMovesThePositionAndTheCaptureClockCountsFromThere) {
  const HSTREAM stream = Open("sine.mp3");
  EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 0.5), static_cast<QWORD>(kRate / 2 * 4));
  // Past the end clamps to the end; a negative time is refused.
  EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 1000.0), BASS_ChannelGetLength(stream));
  EXPECT_NEAR(BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetLength(stream)), 2.0, 0.06);
  EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, -1.0), static_cast<QWORD>(-1));
  platform::EnableCaptureClock(10, 1);
  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
  for (int i = 0; i < 5; ++i) platform::AdvanceCaptureClock();
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 1.2)));
  EXPECT_DOUBLE_EQ(Seconds(stream), 1.2);
  platform::AdvanceCaptureClock();
  EXPECT_NEAR(Seconds(stream), 1.3, 0.5 / kRate);
  // Back, while paused: the next play continues from the new place.
  ASSERT_TRUE(BASS_ChannelPause(stream));
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 0.25)));
  ASSERT_TRUE(BASS_ChannelPlay(stream, FALSE));
  platform::AdvanceCaptureClock();
  EXPECT_NEAR(Seconds(stream), 0.35, 0.5 / kRate);
  EXPECT_FALSE(BASS_ChannelSetPosition(0, 0));
}

struct CaptureRate {
  int numerator;
  int denominator;
};

class CaptureClockTest : public AudioTest, public ::testing::WithParamInterface<CaptureRate> {};

TEST_P(CaptureClockTest, StandsAtExactlyNFrameTimesAfterNFrames) {
  const CaptureRate rate = GetParam();
  const HSTREAM stream = Open("sine.mp3");
  platform::EnableCaptureClock(rate.numerator, rate.denominator);
  BASS_ChannelPlay(stream, FALSE);
  const double frameTime = static_cast<double>(rate.denominator) / rate.numerator;
  for (int n = 1; n * frameTime < 1.5; ++n) {
    platform::AdvanceCaptureClock();
    // Within half a sample: whole samples are all a byte position can say.
    ASSERT_NEAR(Seconds(stream), n * frameTime, 0.5 / kRate) << "frame " << n;
  }
  const QWORD before = BASS_ChannelGetPosition(stream);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(BASS_ChannelGetPosition(stream), before) << "wall time moved the capture clock";
}

INSTANTIATE_TEST_SUITE_P(Rates, CaptureClockTest,
                         ::testing::Values(CaptureRate{60, 1}, CaptureRate{30, 1}, CaptureRate{60000, 1001}));

TEST_F(AudioTest, IntegralFrameRatesLandExactly) {
  const HSTREAM stream = Open("sine.mp3");
  platform::EnableCaptureClock(60, 1);
  BASS_ChannelPlay(stream, FALSE);
  for (int n = 0; n < 60; ++n) platform::AdvanceCaptureClock();
  EXPECT_DOUBLE_EQ(Seconds(stream), 1.0);
}

TEST_F(AudioTest, AutoFreedStreamGoesAtItsEnd) {
  const HSTREAM freed = Open("short.mp3", BASS_STREAM_AUTOFREE);
  const HSTREAM kept = Open("short.mp3");
  ASSERT_NE(freed, 0u);
  platform::EnableCaptureClock(10, 1);
  BASS_ChannelPlay(freed, FALSE);
  BASS_ChannelPlay(kept, FALSE);
  for (int n = 0; n < 10; ++n) platform::AdvanceCaptureClock();
  EXPECT_EQ(BASS_ChannelGetPosition(freed), static_cast<QWORD>(-1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_NE(BASS_ChannelGetPosition(kept), static_cast<QWORD>(-1));
}

struct BadFile {
  const char* name;
  std::string (*make)(const std::string& good);
};

class RejectsBadFiles : public AudioTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(RejectsBadFiles, InsteadOfPlayingSilence) {
  const std::string bytes = GetParam().make(*mp3);
  EXPECT_EQ(OpenBytes(bytes), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
  scratch->Write("bad.mp3", bytes);
  EXPECT_EQ(Open("bad.mp3"), 0u);
}

std::string RandomBytes(const std::string&) {
  std::mt19937 random(1234);
  std::string bytes(64 * 1024, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}
std::string Text(const std::string&) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "not an mp3 file, just words. ";
  return text;
}
std::string HeaderOnly(const std::string& good) { return good.substr(0, 400); }
std::string FirstHalf(const std::string& good) { return good.substr(0, good.size() / 2); }
std::string Empty(const std::string&) { return std::string(); }

INSTANTIATE_TEST_SUITE_P(Files, RejectsBadFiles,
                         ::testing::Values(BadFile{"random", RandomBytes}, BadFile{"text", Text},
                                           BadFile{"header_only", HeaderOnly}, BadFile{"first_half", FirstHalf},
                                           BadFile{"empty", Empty}),
                         [](const ::testing::TestParamInfo<BadFile>& param) { return std::string(param.param.name); });

TEST_F(AudioTest, MissingFileFailsToOpen) {
  EXPECT_EQ(Open("no such file.mp3"), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
}

TEST_F(AudioTest, BackslashPathsResolveAgainstTheWorkingDirectory) {
  scratch->Write("data/soundtrack.mp3", *mp3);
  EXPECT_NE(BASS_StreamCreateFile(FALSE, "data\\soundtrack.mp3", 0, 0, BASS_STREAM_AUTOFREE), 0u);
}

TEST(AudioWithoutInit, CallsFailWithTheInitError) {
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, "x.mp3", 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  EXPECT_FALSE(BASS_SetVolume(100));
  EXPECT_FALSE(BASS_Free());
}

}  // namespace
