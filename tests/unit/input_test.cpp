#include <gtest/gtest.h>

#include "engine/core/input.h"
#include "engine/wrapper.h"

using engine::core::Input;
using engine::core::InputUpdate;

namespace {

constexpr int kEscape = 27;
constexpr int kF11 = 0x7A;

struct Queries {
  bool pressed, held, released;
  bool operator==(const Queries& o) const { return pressed == o.pressed && held == o.held && released == o.released; }
};

Queries Ask(int key) { return {engine::isPressed(key), engine::isHeld(key), engine::isReleased(key)}; }

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override { roll.Start(); }
  void TearDown() override { roll.Stop(); }
  InputUpdate roll;
};

TEST_F(InputTest, PressHoldAndReleaseEachShowForTheRightPasses) {
  Input::Get()->KeyDown(kEscape);  // pumped in pass 1
  EXPECT_TRUE(Ask(kEscape) == (Queries{true, false, false}));
  roll.Update();
  Input::Get()->KeyDown(kEscape);  // auto-repeat in pass 2
  EXPECT_TRUE(Ask(kEscape) == (Queries{false, true, false}));
  roll.Update();
  EXPECT_TRUE(Ask(kEscape) == (Queries{false, true, false}));
  Input::Get()->KeyUp(kEscape);  // pass 3
  EXPECT_TRUE(Ask(kEscape) == (Queries{false, false, true}));
  roll.Update();
  EXPECT_TRUE(Ask(kEscape) == (Queries{false, false, false}));
}

TEST_F(InputTest, DownAndUpWithinOnePassIsNeverSeen) {
  Input::Get()->KeyDown(kF11);
  Input::Get()->KeyUp(kF11);
  EXPECT_TRUE(Ask(kF11) == (Queries{false, false, false}));
  roll.Update();
  EXPECT_TRUE(Ask(kF11) == (Queries{false, false, false}));
}

TEST_F(InputTest, CodesOutsideTheTableAreIgnored) {
  Input::Get()->KeyDown(256);
  Input::Get()->KeyDown(-1);
  EXPECT_FALSE(engine::isPressed(256));
  EXPECT_FALSE(engine::isReleased(-1));
}

TEST_F(InputTest, TheFirstMouseMoveSetsThePositionWithoutMotion) {
  Input* input = Input::Get();
  input->MouseMove(100, -20);
  EXPECT_EQ(input->mouseX, 100);
  EXPECT_EQ(input->mouseY, -20);
  EXPECT_EQ(input->mouseDeltaX, 0);
  input->MouseMove(90, -10);
  EXPECT_EQ(input->mouseDeltaX, -10);
  EXPECT_EQ(input->mouseDeltaY, 10);
  roll.Update();
  EXPECT_EQ(input->mouseDeltaX, 0);
}

TEST(InputLifecycleTest, StopDeletesTheStateAndANewRunStartsClean) {
  InputUpdate roll;
  Input::Get()->KeyDown(kEscape);
  roll.Stop();
  EXPECT_EQ(Input::mInstance, nullptr);
  EXPECT_EQ(Input::Get()->mouseDeltaX, 2147483647);  // motion is unknown until the roll-over starts
  roll.Start();
  EXPECT_FALSE(engine::isPressed(kEscape));
  EXPECT_EQ(Input::Get()->mouseDeltaX, 0);
  roll.Stop();
}

}  // namespace
