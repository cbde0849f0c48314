// The demo's timeline over five small parts the test writes itself: when parts switch,
// the clear colour, Escape, the quit after the last part or at the music's end, a part
// with no length, and a start part-way in.

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <cmath>
#include <vector>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/input.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/core/timer.h"
#include "engine/gfx/animationNode.h"
#include "engine/gfx/demoFile.h"
#include "engine/gfx/sceneInfo.h"
#include "game/TestScene1.h"
#include "platform/audio.h"
#include "game/fiveParts.h"
#include "support/scratch_dir.h"

namespace {

class TimelineTest : public FivePartsTest {
 protected:
  // Five parts with a lamp each, of the given lengths in frames. Each has an empty
  // "Mover" whose x is its part's frame: 0 at frame 1, 1000 at frame 1001.
  void Play(const std::vector<int>& lengths) {
    WriteFiveParts(dir.Path(""), lengths);
    scene.LoadParts();
  }

  // One main-loop pass at `seconds` of music.
  void Pass(double seconds) {
    engine::core::Timer::Get()->time = seconds;
    scene.Update();
    engine::core::Input* input = engine::core::Input::Get();
    for (int k = 0; k < engine::core::Input::kKeyCount; ++k) input->previousKeys[k] = input->keys[k];
  }

  // The first walk of the part on screen, which advances its curves by all the music
  // played: the clock starts at 0. Returns the mover's x.
  float FirstWalk(double seconds) {
    auto* mover = dynamic_cast<engine::gfx::AnimationNode*>(scene.CurrentPart()->GetNode("Mover").get());
    if (!mover || !mover->Controller()) return -1.0f;
    mover->Controller()->Update(static_cast<float>(seconds * 25.0));
    return mover->Controller()->Pipes().front()->Track()->Value();
  }

  bool Quit() const { return engine::core::Kernel::Get()->QuitRequested(); }
  float ClearRed() const { return engine::core::CWin32Window::Get()->clearColor[0]; }
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

TEST_F(TimelineTest, StartingPartWayPlacesThePartAndItsCurvesAsAWholeRunWould) {
  Play({100, 200, 300, 400, 500});
  engine::core::CWin32Window::Get()->clearColor[0] = 1.0f;
  // 13.2 s is frame 330: the city, 30 frames after it began at 300.
  scene.PlaceAt(13.2);
  EXPECT_EQ(scene.CurrentPartIndex(), 2);
  EXPECT_EQ(ClearRed(), 0.0f);
  EXPECT_NEAR(FirstWalk(13.2), 30.0f, 1e-3f);
  // It goes on from there: the stars come at 24 s, not 12 s after the start.
  Pass(13.2);
  Pass(23.99);
  EXPECT_EQ(scene.CurrentPartIndex(), 2);
  Pass(24.0);
  EXPECT_EQ(scene.CurrentPartIndex(), 3);
  EXPECT_FALSE(Quit());
}

TEST_F(TimelineTest, StartingOnASwitchShowsTheNewPartAtItsFirstFrame) {
  Play({100, 200, 300, 400, 500});
  scene.PlaceAt(12.0);
  EXPECT_EQ(scene.CurrentPartIndex(), 2);
  EXPECT_NEAR(FirstWalk(12.0), 0.0f, 1e-3f);
  // Within the first part nothing moves but the clock.
  scene.Stop();
  Play({100, 200, 300, 400, 500});
  scene.PlaceAt(2.0);
  EXPECT_EQ(scene.CurrentPartIndex(), 0);
  EXPECT_NEAR(FirstWalk(2.0), 50.0f, 1e-3f);
}

TEST_F(TimelineTest, TheDemoEndsWithItsMusicWhenTheMusicIsShorter) {
  Play({100, 200, 300, 400, 500});
  Pass(5.0);
  EXPECT_FALSE(Quit());
  BASS_ChannelStop(music);
  Pass(5.04);
  EXPECT_TRUE(Quit());
  EXPECT_EQ(scene.CurrentPartIndex(), 1);
}

TEST_F(TimelineTest, WithoutItsPartsTheSceneQuitsInsteadOfWaiting) {
  // Start failed before the parts were loaded; its error has already been shown.
  scene.Update();
  EXPECT_TRUE(Quit());
}

// A part's demo file read again while it plays (-watch): the new scene goes on screen with
// its curves where the music is; a file that no longer loads raises and leaves the part
// that was playing.
TEST_F(TimelineTest, AReloadedPartComesBackWhereTheMusicIsAndABrokenOneKeepsTheLast) {
  Play({100, 200, 300, 400, 500});
  Pass(6.0);  // 2 s into points: its frame 51
  ASSERT_EQ(scene.CurrentPartIndex(), 1);
  const auto moverX = [this] {
    auto* mover = dynamic_cast<engine::gfx::AnimationNode*>(scene.CurrentPart()->GetNode("Mover").get());
    return mover && mover->Controller() ? mover->Controller()->Pipes().front()->Track()->Value() : -1.0f;
  };

  // The same part with its mover 5000 further on.
  engine::gfx::DemoFile file;
  file.length = 200;
  file.objects.push_back(engine::gfx::DemoObject{"Lamp", "Lamp", "", "", {0, 0, 0}, {0, 0, 0}, {}});
  engine::gfx::DemoCurve x{"LocX", "Linear", "Constant", {{0, 5000, 1, 5000, 2, 5001}, {1000, 5999, 1001, 6000, 1002, 6001}}};
  file.objects.push_back(engine::gfx::DemoObject{"Empty", "Mover", "", "", {0, 0, 0}, {0, 0, 0}, {x}});
  ASSERT_TRUE(demo::WriteDemoFile(dir.Path("data/points.demo"), file));
  engine::gfx::DemoLoader* before = scene.CurrentPart();
  scene.ReloadPart(1, 6.0);
  EXPECT_NE(scene.CurrentPart(), before);
  EXPECT_EQ(scene.CurrentPartIndex(), 1);
  EXPECT_NEAR(moverX(), 5050.0f, 0.01f);
  Pass(6.04);
  EXPECT_EQ(scene.CurrentPartIndex(), 1);

  dir.Write("data/points.demo", "NBLX");
  engine::gfx::DemoLoader* good = scene.CurrentPart();
  EXPECT_THROW(scene.ReloadPart(1, 6.0), engine::core::Exception);
  EXPECT_EQ(scene.CurrentPart(), good);
  EXPECT_EQ(scene.CurrentPartIndex(), 1);
}

}  // namespace
