// The demo's timeline over five small parts the test writes itself: when parts switch,
// the clear colour, Escape, the quit after the last part, and a part with no length.

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <cmath>
#include <vector>

#include "engine/core/Window.h"
#include "engine/core/input.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/core/timer.h"
#include "engine/gfx/sceneInfo.h"
#include "game/TestScene1.h"
#include "support/scratch_dir.h"
#include "tools/demo/demoWriter.h"

namespace {

class TimelineTest : public ::testing::Test {
 protected:
  void SetUp() override { engine::core::SetLoggingSwitch(false); }

  void TearDown() override {
    scene.Stop();
    delete engine::gfx::SceneInfo::mInstance;
    delete engine::core::Timer::mInstance;
    delete engine::core::CWin32Window::mInstance;
    delete engine::core::Input::mInstance;
    delete engine::core::Kernel::mInstance;
    delete engine::core::Logging::mInstance;
    engine::core::SetLoggingSwitch(true);
  }

  // Five parts with a lamp each, of the given lengths in frames.
  void Play(const std::vector<int>& lengths) {
    boost::filesystem::create_directories(dir.Path("data"));
    for (size_t i = 0; i < 5; ++i) {
      engine::gfx::DemoFile file;
      file.length = lengths[i];
      file.objects.push_back(engine::gfx::DemoObject{"Lamp", "Lamp", "", "", {0, 0, 0}, {0, 0, 0}, {}});
      demo::WriteDemoFile(dir.Path(engine::core::ToNarrow(TestScene1::PartFiles[i])), file);
    }
    scene.LoadParts();
  }

  // One main-loop pass at `seconds` of music.
  void Pass(double seconds) {
    engine::core::Timer::Get()->time = seconds;
    scene.Update();
    engine::core::Input* input = engine::core::Input::Get();
    for (int k = 0; k < engine::core::Input::kKeyCount; ++k) input->previousKeys[k] = input->keys[k];
  }

  bool Quit() const { return engine::core::Kernel::Get()->QuitRequested(); }
  float ClearRed() const { return engine::core::CWin32Window::Get()->clearColor[0]; }

  testing_support::ScratchDir dir;
  TestScene1 scene;
};

TEST_F(TimelineTest, PartsFollowOneAnotherByTheirLengthsAndTheDemoQuitsAfterTheLast) {
  Play({100, 200, 300, 400, 500});
  engine::core::CWin32Window::Get()->clearColor[0] = 1.0f;  // Start's white
  std::vector<double> switches;
  std::vector<float> redAtSwitch;
  int part = scene.CurrentPartIndex();
  double quitAt = -1;
  // Passes every 1/100 s: each switch lands on the first pass at or past its time.
  for (int step = 0; step <= 6100 && quitAt < 0; ++step) {
    const double now = step / 100.0;
    Pass(now);
    if (scene.CurrentPartIndex() != part) {
      part = scene.CurrentPartIndex();
      switches.push_back(now);
      redAtSwitch.push_back(ClearRed());
    }
    if (Quit()) quitAt = now;
  }
  ASSERT_EQ(switches.size(), 4u);
  EXPECT_DOUBLE_EQ(switches[0], 4.0);
  EXPECT_DOUBLE_EQ(switches[1], 12.0);
  EXPECT_DOUBLE_EQ(switches[2], 24.0);
  EXPECT_DOUBLE_EQ(switches[3], 40.0);
  EXPECT_DOUBLE_EQ(quitAt, 60.0);
  EXPECT_EQ(scene.CurrentPartIndex(), 4);
  // White for the intro and the points part, black from the city on.
  EXPECT_EQ(redAtSwitch, (std::vector<float>{1, 0, 0, 0}));
}

TEST_F(TimelineTest, APartWithNoLengthIsShownForOnePass) {
  Play({100, 0, 300, 400, 500});
  Pass(3.99);
  EXPECT_EQ(scene.CurrentPartIndex(), 0);
  Pass(4.0);
  EXPECT_EQ(scene.CurrentPartIndex(), 1);
  Pass(4.0);
  EXPECT_EQ(scene.CurrentPartIndex(), 2);
  Pass(4.01);
  EXPECT_EQ(scene.CurrentPartIndex(), 2);
  EXPECT_FALSE(Quit());
}

TEST_F(TimelineTest, ReleasingEscapeQuitsAfterThePassInAnyPart) {
  Play({100, 200, 300, 400, 500});
  Pass(4.0);
  ASSERT_EQ(scene.CurrentPartIndex(), 1);
  engine::core::Input::Get()->KeyDown(27);
  Pass(5.0);
  EXPECT_FALSE(Quit());
  engine::core::Input::Get()->KeyUp(27);
  Pass(5.1);
  EXPECT_TRUE(Quit());
  EXPECT_EQ(scene.CurrentPartIndex(), 1);
}

TEST_F(TimelineTest, WithoutItsPartsTheSceneQuitsInsteadOfWaiting) {
  // Start failed before the parts were loaded; its error has already been shown.
  scene.Update();
  EXPECT_TRUE(Quit());
}

}  // namespace
