// The curve editor's model: an object's curves taken from its controller, edits snapped
// to the beat and played at once by the object's own tracks without losing their place
// on the music, and undone step by step.

#include "authoring/curveEdit.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <memory>

#include "engine/gfx/animationController.h"
#include "engine/gfx/animationPipe.h"

namespace {

using namespace engine::gfx;

std::unique_ptr<AnimationTrack> Track(AnimationTrack* track, std::vector<KeyPoint> keys,
                                      ExtrapolationMode mode = ExtrapolationMode::Constant) {
  track->SetExtrapolation(mode);
  for (const KeyPoint& key : keys) {
    track->AddKey(key.time, key.value);
    if (auto* bezier = dynamic_cast<BezierAnimationTrack*>(track)) bezier->AddHandles(key, key);
  }
  return std::unique_ptr<AnimationTrack>(track);
}

// An object as the loader builds it: a rest pose on every location and rotation channel,
// a LocX curve from 0 at frame 1 to 48 at frame 49, and a shader channel "Glow".
boost::shared_ptr<AnimationController> Object(float** glowSlot) {
  boost::shared_ptr<AnimationController> controller(new AnimationController);
  const int rest[] = {ChannelLocX, ChannelLocY, ChannelLocZ, ChannelRotX, ChannelRotY, ChannelRotZ};
  for (int channel : rest) {
    controller->AddPipe(std::unique_ptr<AnimationPipe>(
        new LocPipe(channel, Track(new ConstantAnimationTrack, {{0, 5}, {100, 5}}), engine::math::Vector3f(1, 0, 0))));
  }
  controller->AddPipe(std::unique_ptr<AnimationPipe>(
      new LocPipe(ChannelLocX, Track(new LinearAnimationTrack, {{1, 0}, {49, 48}}), engine::math::Vector3f(1, 0, 0))));
  *glowSlot = controller->AddNamedTrack(Track(new BezierAnimationTrack, {{1, 0}, {25, 2}}), "Glow");
  return controller;
}

AnimationTrack* LocX(AnimationController& controller) {
  for (const auto& pipe : controller.Pipes()) {
    if (pipe->Channel() == ChannelLocX) return pipe->Track();
  }
  return nullptr;
}

TEST(CurveEdit, TheObjectsCurvesAreItsOwnCurvesWithoutTheRestPose) {
  float* glow = nullptr;
  CurveEdit edit("Cube", Object(&glow), true);
  ASSERT_EQ(edit.Curves().size(), 2u);
  EXPECT_EQ(edit.Curves()[0].channel, "LocX");
  EXPECT_EQ(edit.Curves()[0].interpolation, CurveInterpolation::Linear);
  EXPECT_EQ(edit.Curves()[0].keys.size(), 2u);
  EXPECT_EQ(edit.Curves()[1].channel, "Glow");
  EXPECT_EQ(edit.Curves()[1].interpolation, CurveInterpolation::Bezier);
  EXPECT_EQ(edit.Curves()[1].pipeChannel, -1);
  EXPECT_FALSE(edit.Edited());
}

TEST(CurveEdit, AMoveSnapsToTheNearestBeatStaysBetweenItsNeighboursAndPlaysAtOnceInPlace) {
  float* glow = nullptr;
  const auto controller = Object(&glow);
  CurveEdit edit("Cube", controller);
  controller->Update(24.0f);  // frame 25, halfway: LocX 24
  ASSERT_FLOAT_EQ(LocX(*controller)->Value(), 24.0f);

  // Beats fall on frames 1, 13, 25, 37, 49 of the part.
  EXPECT_EQ(edit.MoveKey(0, 1, 50.0f, 48.0f, false), 49.0f);
  EXPECT_FALSE(edit.Edited()) << "put back where it was: no edit";
  EXPECT_EQ(edit.MoveKey(0, 1, 30.0f, 48.0f, false), 25.0f);
  EXPECT_FLOAT_EQ(LocX(*controller)->Value(), 48.0f) << "the edit shows at once, at the same frame";
  EXPECT_FLOAT_EQ(LocX(*controller)->UnwrappedTime(), 25.0f);
  controller->Update(1.0f);
  EXPECT_FLOAT_EQ(LocX(*controller)->Value(), 48.0f) << "and the clock goes on from there";

  EXPECT_FLOAT_EQ(edit.MoveKey(0, 1, 30.4f, 12.0f, true), 30.4f) << "free movement";
  EXPECT_FLOAT_EQ(edit.MoveKey(0, 1, -40.0f, 12.0f, true), 2.0f) << "never onto or before the key before";
  EXPECT_EQ(edit.MoveKey(0, 0, 60.0f, 1.0f, false), 1.0f) << "held a frame before the next key";
  EXPECT_TRUE(edit.Curves()[0].keys[0].changed);
  EXPECT_EQ(edit.Curves()[0].keys[0].origin, 0);
}

TEST(CurveEdit, ARepeatingCurveKeepsItsPlaceOnTheMusicThroughAnEdit) {
  boost::shared_ptr<AnimationController> controller(new AnimationController);
  controller->AddPipe(std::unique_ptr<AnimationPipe>(
      new LocPipe(ChannelLocY, Track(new LinearAnimationTrack, {{1, 0}, {11, 10}}, ExtrapolationMode::Cyclic),
                  engine::math::Vector3f(0, 1, 0))));
  CurveEdit edit("Wheel", controller);
  controller->Update(25.0f);  // frame 26: the third pass, 5 frames in
  AnimationTrack* track = controller->Pipes()[0]->Track();
  ASSERT_FLOAT_EQ(track->Value(), 5.0f);
  // The span becomes 20 frames: frame 26 is then 5 frames into the second pass.
  edit.MoveKey(0, 1, 21.0f, 10.0f, true);
  EXPECT_FLOAT_EQ(track->UnwrappedTime(), 26.0f);
  EXPECT_FLOAT_EQ(track->Value(), 2.5f);
}

TEST(CurveEdit, KeysAreAddedOnTheCurveDeletedAndTheKindChangedWithTheSlotKept) {
  float* glow = nullptr;
  const auto controller = Object(&glow);
  CurveEdit edit("Cube", controller);
  controller->Update(12.0f);  // frame 13

  EXPECT_EQ(edit.AddKey(0, 14.0f, false), 1);
  EXPECT_FLOAT_EQ(edit.Curves()[0].keys[1].point.time, 13.0f);
  EXPECT_FLOAT_EQ(edit.Curves()[0].keys[1].point.value, 12.0f) << "the value the curve had there";
  EXPECT_FLOAT_EQ(LocX(*controller)->Value(), 12.0f);
  EXPECT_EQ(edit.AddKey(0, 13.5f, true), -1) << "a key is already there";

  EXPECT_TRUE(edit.DeleteKey(0, 0));
  EXPECT_TRUE(edit.DeleteKey(0, 0));
  EXPECT_FALSE(edit.DeleteKey(0, 0)) << "a curve keeps its last key";
  ASSERT_EQ(LocX(*controller)->KeyCount(), 1);

  // Glow at frame 13 is halfway along its Bezier from 0 to 2.
  controller->Update(0.0f);
  ASSERT_FLOAT_EQ(*glow, 1.0f);
  edit.SetInterpolation(1, CurveInterpolation::Constant);
  EXPECT_TRUE(dynamic_cast<ConstantAnimationTrack*>(controller->NamedTrack(0)));
  controller->Update(0.0f);
  EXPECT_FLOAT_EQ(*glow, 0.0f) << "the same slot, now holding the first key's value";
  EXPECT_FLOAT_EQ(controller->NamedTrack(0)->UnwrappedTime(), 13.0f);
  edit.SetInterpolation(1, CurveInterpolation::Bezier);
  controller->Update(0.0f);
  EXPECT_FLOAT_EQ(*glow, 1.0f) << "back to Bezier: straight handles, the straight line between the keys";
}

TEST(CurveEdit, UndoStepsBackThroughTheEditsUntilSaved) {
  float* glow = nullptr;
  const auto controller = Object(&glow);
  CurveEdit edit("Cube", controller);
  EXPECT_FALSE(edit.Undo());
  edit.Checkpoint();  // a drag's start
  edit.MoveKey(0, 1, 37.0f, 10.0f, false);
  edit.MoveKey(0, 1, 40.0f, 20.0f, false);
  edit.AddKey(0, 13.0f, false);
  ASSERT_EQ(LocX(*controller)->KeyCount(), 3);

  EXPECT_TRUE(edit.Undo());
  EXPECT_EQ(LocX(*controller)->KeyCount(), 2);
  EXPECT_FLOAT_EQ(LocX(*controller)->Keys()[1].time, 37.0f);
  EXPECT_TRUE(edit.Undo()) << "the whole drag is one step";
  EXPECT_FLOAT_EQ(LocX(*controller)->Keys()[1].time, 49.0f);
  EXPECT_FLOAT_EQ(LocX(*controller)->Keys()[1].value, 48.0f);
  EXPECT_FALSE(edit.Edited());

  edit.DeleteKey(0, 0);
  edit.MarkSaved();
  EXPECT_FALSE(edit.CanUndo());
  EXPECT_FALSE(edit.Edited());
  EXPECT_EQ(edit.Curves()[0].keys[0].origin, 0);
}

}  // namespace
