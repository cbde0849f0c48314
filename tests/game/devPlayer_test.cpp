// The player for working on a part, driven through the window's key messages over five
// small parts on the capture clock: seeks and part jumps place the clock, the part and
// its curves; Space holds the clock; -loop comes back to its start; the switches.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/Window.h"
#include "engine/core/input.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/core/timer.h"
#include "engine/gfx/animationNode.h"
#include "engine/gfx/sceneInfo.h"
#include "game/TestScene1.h"
#include "authoring/authoringSwitches.h"
#include "authoring/devPlayer.h"
#include "game/fiveParts.h"
#include "platform/audio.h"
#include "platform/win32/messages.h"
#include "support/scratch_dir.h"

namespace {

constexpr WPARAM Space = 0x20, PageUp = 0x21, PageDown = 0x22, Left = 0x25, Right = 0x27;

class DevPlayerTest : public FivePartsTest {
 protected:
  void SetUp() override {
    FivePartsTest::SetUp();
    // Parts of 4, 8, 12, 16 and 20 s: they begin at 0, 4, 12, 24 and 40 s.
    WriteFiveParts(dir.Path(""), {100, 200, 300, 400, 500});
    scene.LoadParts();
  }


  // One main-loop pass: the clock reads the music, the scene and the player update, the
  // input remembers this pass's keys, and the capture clock moves on a frame.
  void Pass(DevPlayer& player) {
    engine::core::Timer::Get()->Update();
    scene.Update();
    player.Update();
    engine::core::Input* input = engine::core::Input::Get();
    for (int k = 0; k < engine::core::Input::kKeyCount; ++k) input->previousKeys[k] = input->keys[k];
    platform::AdvanceCaptureClock();
  }

  // A key pressed and released as the window would report it, one pass each.
  void Press(DevPlayer& player, WPARAM key) {
    engine::core::CWin32Window::WindowProcedure(nullptr, WM_KEYDOWN, key, 0);
    Pass(player);
    engine::core::CWin32Window::WindowProcedure(nullptr, WM_KEYUP, key, 0);
    Pass(player);
  }

  double Time() const { return engine::core::Timer::Get()->time; }
  // The part's own frame, read from its mover: 0 at the part's first frame.
  float MoverX() const {
    auto* mover = dynamic_cast<engine::gfx::AnimationNode*>(scene.CurrentPart()->GetNode("Mover").get());
    return mover && mover->Controller() ? mover->Controller()->Pipes().front()->Track()->Value() : -1.0f;
  }
  float ClearRed() const { return engine::core::CWin32Window::Get()->clearColor[0]; }
};

AuthoringSwitches Dev() {
  AuthoringSwitches s;
  s.dev = true;
  return s;
}

TEST_F(DevPlayerTest, SeeksAndPartJumpsPlaceTheClockThePartAndItsCurves) {
  DevPlayer player(&scene, Dev());
  Pass(player);
  struct Step {
    WPARAM key;
    double jump;  // where a part jump lands; Left and Right move 5 s from the clock
    int part;
    float red;  // white behind the first two parts, black after
  };
  const std::vector<Step> steps = {
      {Right, 0, 1, 1.0f},      {Right, 0, 1, 1.0f},   {PageDown, 12.0, 2, 0.0f}, {PageDown, 24.0, 3, 0.0f},
      {Left, 0, 2, 0.0f},       {PageUp, 4.0, 1, 1.0f}, {PageUp, 0.0, 0, 1.0f},   {Left, 0, 0, 1.0f},
      {PageDown, 4.0, 1, 1.0f},
  };
  const double frame = 0.04;
  for (const Step& step : steps) {
    const double before = Time();
    Press(player, step.key);
    // The press pass reads the clock a frame on, then seeks; the release adds a frame.
    double expected = step.jump;
    if (step.key == Left) expected = std::max(0.0, before + frame - 5.0);
    if (step.key == Right) expected = before + frame + 5.0;
    EXPECT_NEAR(Time(), expected + frame, 1e-6) << "key " << step.key << " from " << before;
    EXPECT_EQ(scene.CurrentPartIndex(), step.part) << "key " << step.key << " from " << before;
    EXPECT_EQ(ClearRed(), step.red) << "key " << step.key << " from " << before;
  }
  // The curves stand where a run that had played up to there has them: the points part
  // at its first frame (the walk, which adds each pass's play time, is not run here).
  EXPECT_NEAR(MoverX(), 0.0f, 1e-3f);
}

TEST_F(DevPlayerTest, SpaceHoldsTheClockAndTheMusicUntilPressedAgain) {
  DevPlayer player(&scene, Dev());
  for (int i = 0; i < 10; ++i) Pass(player);
  Press(player, Space);
  const double held = Time();
  for (int i = 0; i < 10; ++i) Pass(player);
  EXPECT_EQ(Time(), held);
  EXPECT_NE(player.Title().find(L"paused"), std::wstring::npos);
  // Seeking while paused moves the clock; it stays held there.
  Press(player, Right);
  EXPECT_NEAR(Time(), held + 5.0, 1e-6);
  EXPECT_NE(player.Title().find(L"paused"), std::wstring::npos);
  Press(player, Space);
  for (int i = 0; i < 5; ++i) Pass(player);
  EXPECT_GT(Time(), held + 5.0);
  EXPECT_EQ(player.Title().find(L"paused"), std::wstring::npos);
}

TEST_F(DevPlayerTest, LoopComesBackToItsStartAndTitleNamesTimeAndPart) {
  AuthoringSwitches loop;
  loop.loop = true;
  loop.loopStart = 5.0;
  loop.loopEnd = 6.0;
  DevPlayer player(&scene, loop);
  Pass(player);
  EXPECT_NEAR(Time(), 5.0, 1e-6);
  EXPECT_EQ(scene.CurrentPartIndex(), 1);
  // No window here, so no program title before the time.
  EXPECT_EQ(player.Title(), L"0:05.0 - points (2 of 5)");
  double latest = 0.0;
  for (int i = 0; i < 25; ++i) {
    Pass(player);
    latest = std::max(latest, Time());
  }
  // 6.0 is reached and sends the clock back: 25 passes later it stands at the start.
  EXPECT_NEAR(Time(), 5.0, 1e-6);
  EXPECT_LT(latest, 6.0);
  EXPECT_EQ(scene.CurrentPartIndex(), 1);
  // A second into the points part, rewound and placed again.
  EXPECT_NEAR(MoverX(), 25.0f, 1e-3f);
}

TEST(AuthoringSwitchesTest, ReadsTheThreeSwitchesAndRefusesABadLoop) {
  AuthoringSwitches s;
  std::string error;
  ASSERT_TRUE(ParseAuthoringSwitches({"-nodialog", "-dev", "-loop", "54", "60.5", "-watch"}, &s, &error));
  EXPECT_TRUE(s.dev && s.watch && s.loop);
  EXPECT_EQ(s.loopStart, 54.0);
  EXPECT_EQ(s.loopEnd, 60.5);
  ASSERT_TRUE(ParseAuthoringSwitches({"-headless"}, &s, &error));
  EXPECT_FALSE(s.Any());
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"-loop"}, {"-loop", "5"}, {"-loop", "5", "x"}, {"-loop", "-5", "10"},
        {"-loop", "10", "10"}}) {
    error.clear();
    EXPECT_FALSE(ParseAuthoringSwitches(bad, &s, &error)) << bad.size();
    EXPECT_EQ(error.rfind("-loop", 0), 0u) << error;
  }
}

}  // namespace
