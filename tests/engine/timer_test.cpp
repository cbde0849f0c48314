#include <algorithm>
#include <cmath>
#include <vector>

#include "engine_fixture.h"
#include "platform/audio.h"

using engine::core::Kernel;
using engine::core::Timer;

namespace {

// The clock runs on the capture clock: the music moves exactly one frame time per
// AdvanceCaptureClock, so every expectation below is exact.
class TimerTest : public enginetest::EngineFixture {
 protected:
  static constexpr double kFrame = 1.0 / 25.0;

  void SetUp() override {
    EngineFixture::SetUp();
    dir.Write("data/soundtrack.mp3", testing_support::ScratchDir::ReadFile(NEBLU_SOUNDTRACK));
    platform::EnableCaptureClock(25, 1);
  }
  void TearDown() override {
    if (Timer::mInstance && Timer::mInstance->channel) Timer::mInstance->Stop();
    platform::DisableCaptureClock();
    EngineFixture::TearDown();
  }

  Timer* Started() {
    Timer* timer = Timer::Get();
    EXPECT_TRUE(timer->Start());
    return timer;
  }

  static void Advance(int frames) {
    for (int i = 0; i < frames; ++i) platform::AdvanceCaptureClock();
  }

  static std::vector<float> SpectrumNow() { return std::vector<float>(Timer::Spectrum(), Timer::Spectrum() + 512); }
};

TEST_F(TimerTest, TimeFollowsTheMusicAndCountsPasses) {
  Timer* timer = Started();
  Advance(25);
  timer->Update();
  EXPECT_NEAR(timer->time, 1.0, 1e-6);
  EXPECT_NEAR(timer->sinceLast, 1.0, 1e-6);
  Advance(2);
  timer->Update();
  EXPECT_NEAR(timer->sinceLast, 2 * kFrame, 1e-6);
  EXPECT_EQ(timer->frameCount, 2);
}

TEST_F(TimerTest, PausedPassesLeaveTimeAndSpectrumAlone) {
  Timer* timer = Started();
  Advance(100);
  timer->Update();
  const std::vector<float> before = SpectrumNow();
  const double time = timer->time;
  timer->Pause();
  EXPECT_TRUE(timer->Paused());
  Advance(10);
  timer->Update();
  timer->Update();
  EXPECT_EQ(timer->sinceLast, 0.0);
  EXPECT_EQ(timer->time, time);
  EXPECT_EQ(SpectrumNow(), before);
}

TEST_F(TimerTest, ResumeContinuesFromThePausedPosition) {
  Timer* timer = Started();
  Advance(50);
  timer->Update();
  timer->Pause();
  Advance(25);  // time passing while paused is not music played
  timer->Resume();
  EXPECT_FALSE(timer->Paused());
  EXPECT_EQ(timer->sinceLast, 0.0);
  EXPECT_NEAR(timer->time, 2.0, 1e-6);
  Advance(5);
  timer->Update();
  EXPECT_NEAR(timer->time, 2.0 + 5 * kFrame, 1e-6);
  EXPECT_NEAR(timer->sinceLast, 5 * kFrame, 1e-6);

  const int frames = timer->frameCount;
  timer->Resume();  // not paused: nothing happens
  EXPECT_EQ(timer->frameCount, frames);
}

TEST_F(TimerTest, SmoothingBlendsShortPassesAndALongStallReplacesTheSpectrum) {
  Timer* timer = Started();
  Advance(50);
  timer->Update();
  const std::vector<float> previous = SpectrumNow();

  Advance(1);  // k = 3 / 25: a small step towards the new reading
  timer->Update();
  std::vector<float> raw(512);
  BASS_ChannelGetData(timer->channel, raw.data(), BASS_DATA_FFT1024);
  const float k = 3.0f * static_cast<float>(kFrame);
  for (int i = 0; i < 512; i += 37) EXPECT_NEAR(Timer::Spectrum()[i], (1 - k) * previous[i] + k * raw[i], 1e-5f);

  Advance(10);  // 0.4 s: more than a third of a second
  timer->Update();
  BASS_ChannelGetData(timer->channel, raw.data(), BASS_DATA_FFT1024);
  EXPECT_EQ(SpectrumNow(), raw);
  EXPECT_GT(*std::max_element(raw.begin(), raw.end()), 0.0f);  // the soundtrack is not silence
}

TEST_F(TimerTest, AMissingSoundtrackIsReportedEvenWithTheLogOff) {
  engine::core::SetLoggingSwitch(false);
  boost::filesystem::remove(dir.Path("data/soundtrack.mp3"));
  Kernel::Get()->AddModule(Timer::Get(), 7);
  ASSERT_EQ(messageBoxes.size(), 1u);
  EXPECT_EQ(messageBoxes[0], L"Failed to load music file. Sorry.");
  EXPECT_EQ(Timer::Get()->channel, 0u);
  Timer::Get()->Update();  // the run goes on without music
  EXPECT_FALSE(dir.Exists("data/log.html"));
}

}  // namespace
