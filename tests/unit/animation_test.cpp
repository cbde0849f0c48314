#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/logging.h"
#include "engine/core/timer.h"
#include "engine/gfx/animationController.h"
#include "engine/gfx/animationNode.h"
#include "engine/gfx/animationPipe.h"
#include "engine/gfx/animationTrack.h"
#include "engine/math/matrix.h"
#include "support/scratch_dir.h"

namespace {

using namespace engine::gfx;
using engine::math::Matrix3x3;
using engine::math::Vector3f;

enum class Kind { Constant, Linear, Bezier };

std::unique_ptr<AnimationTrack> MakeTrack(Kind kind, ExtrapolationMode mode, const std::vector<KeyPoint>& keys) {
  std::unique_ptr<AnimationTrack> track;
  switch (kind) {
    case Kind::Constant: track.reset(new ConstantAnimationTrack); break;
    case Kind::Linear: track.reset(new LinearAnimationTrack); break;
    case Kind::Bezier: track.reset(new BezierAnimationTrack); break;
  }
  track->SetExtrapolation(mode);
  for (const KeyPoint& k : keys) track->AddKey(k.time, k.value);
  return track;
}

// Plays from frame 1 to `frame` in small steps, as frames at 60 Hz would.
// Counts frames itself: a repeating track's own time wraps.
void PlayTo(AnimationTrack& track, float frame) {
  const float step = 25.0f / 60.0f;
  float at = 1.0f;
  for (; at + step < frame; at += step) track.Advance(step);
  track.Advance(frame - at);
}

template <class Pipe>
std::unique_ptr<AnimationPipe> MakePipe(int channel, std::unique_ptr<AnimationTrack> track, const Vector3f& axis) {
  return std::unique_ptr<AnimationPipe>(new Pipe(channel, std::move(track), axis));
}

// ---- Interpolation and extrapolation, table-driven ----

struct PlaybackCase {
  const char* name;
  Kind kind;
  ExtrapolationMode mode;
  std::vector<KeyPoint> keys;
  float frame;
  float expected;
};

void PrintTo(const PlaybackCase& c, std::ostream* os) { *os << c.name; }

class TrackPlayback : public ::testing::TestWithParam<PlaybackCase> {};

TEST_P(TrackPlayback, SmallStepsAndOneJumpAgree) {
  const PlaybackCase& c = GetParam();
  std::unique_ptr<AnimationTrack> stepped = MakeTrack(c.kind, c.mode, c.keys);
  std::unique_ptr<AnimationTrack> jumped = MakeTrack(c.kind, c.mode, c.keys);
  PlayTo(*stepped, c.frame);
  jumped->Advance(c.frame - 1.0f);
  EXPECT_NEAR(c.expected, stepped->Value(), 1e-4f);
  EXPECT_NEAR(c.expected, jumped->Value(), 1e-4f);
}

const ExtrapolationMode kHold = ExtrapolationMode::Constant;
const ExtrapolationMode kCycle = ExtrapolationMode::Cyclic;
const ExtrapolationMode kShift = ExtrapolationMode::CyclicExtrapolation;

INSTANTIATE_TEST_SUITE_P(
    Modes, TrackPlayback,
    ::testing::Values(
        PlaybackCase{"StepHoldsSegmentStart", Kind::Constant, kHold, {{1, 5}, {11, 7}, {21, 9}}, 16, 7},
        // A key's own frame still belongs to the segment before it.
        PlaybackCase{"StepAtKeyFrame", Kind::Constant, kHold, {{1, 5}, {11, 7}, {21, 9}}, 11, 5},
        PlaybackCase{"StepHoldsLastKey", Kind::Constant, kHold, {{1, 5}, {11, 7}, {21, 9}}, 40, 9},
        PlaybackCase{"LinearMidSegment", Kind::Linear, kHold, {{1, 0}, {11, 10}, {21, 0}}, 13.5f, 7.5f},
        PlaybackCase{"LinearHoldsLastKey", Kind::Linear, kHold, {{1, 0}, {11, 10}}, 300, 10},
        PlaybackCase{"LinearHoldsFirstKeyBeforeStart", Kind::Linear, kHold, {{10, 3}, {20, 5}}, 1, 3},
        PlaybackCase{"FirstFrameIsFirstKey", Kind::Linear, kCycle, {{1, 4}, {11, 10}}, 1, 4},
        PlaybackCase{"LinearRepeats", Kind::Linear, kCycle, {{1, 0}, {11, 10}}, 36, 5},
        PlaybackCase{"LinearShiftsEachPass", Kind::Linear, kShift, {{1, 0}, {11, 10}}, 36, 35},
        PlaybackCase{"StepShiftsEachPass", Kind::Constant, kShift, {{1, 0}, {11, 10}}, 26, 20}),
    [](const ::testing::TestParamInfo<PlaybackCase>& param) { return std::string(param.param.name); });

TEST(TrackCycles, CyclicFrame151RepeatsFrame51) {
  for (float frame : {51.0f, 76.0f, 90.5f}) {
    std::unique_ptr<AnimationTrack> once = MakeTrack(Kind::Linear, kCycle, {{1, 0}, {51, 30}, {101, 5}});
    std::unique_ptr<AnimationTrack> again = MakeTrack(Kind::Linear, kCycle, {{1, 0}, {51, 30}, {101, 5}});
    PlayTo(*once, frame);
    PlayTo(*again, frame + 100.0f);
    EXPECT_NEAR(once->Value(), again->Value(), 1e-3f) << "frame " << frame;
  }
}

TEST(TrackCycles, HugeStepOverShortCycleFoldsAtOnce) {
  std::unique_ptr<AnimationTrack> track = MakeTrack(Kind::Linear, kCycle, {{1, 0}, {3, 2}});
  track->Seek(1e9f);
  EXPECT_FLOAT_EQ(2.0f, track->Player().time);
  EXPECT_FLOAT_EQ(1.0f, track->Value());
  EXPECT_EQ(499999999, track->Player().cycles);
}

// ---- Bezier segments ----

TEST(BezierTrack, HandlesAtThirdsGiveTheLinearCurveWhateverTheirTimes) {
  BezierAnimationTrack bezier;
  LinearAnimationTrack linear;
  bezier.AddKey(1, 2);
  bezier.AddHandles({-40, 0}, {37, 4});
  bezier.AddKey(21, 8);
  bezier.AddHandles({2, 6}, {90, 3});
  linear.AddKey(1, 2);
  linear.AddKey(21, 8);
  for (int i = 0; i < 40; ++i) {
    bezier.Advance(0.5f);
    linear.Advance(0.5f);
    ASSERT_FLOAT_EQ(linear.Value(), bezier.Value()) << "frame " << bezier.Player().time;
  }
}

TEST(BezierTrack, SegmentRunsThroughRightHandleThenNextLeftHandle) {
  BezierAnimationTrack track;
  // The outer handles are decoys: a segment never reads them.
  track.AddKey(1, 0);
  track.AddHandles({0, -100}, {2, 4});
  track.AddKey(5, 0);
  track.AddHandles({4, 12}, {6, 100});
  track.Seek(2);  // fraction 0.25
  EXPECT_FLOAT_EQ(3.375f, track.Value());
  track.Seek(3);  // fraction 0.5: (p0 + 3 p1 + 3 p2 + p3) / 8
  EXPECT_FLOAT_EQ(6.0f, track.Value());
}

// ---- Tracks the files may hold that have no proper curve ----

TEST(DegenerateTrack, NoKeyOrOneKeyNeverDividesByZero) {
  for (Kind kind : {Kind::Constant, Kind::Linear, Kind::Bezier}) {
    for (ExtrapolationMode mode : {kHold, kCycle, kShift}) {
      std::unique_ptr<AnimationTrack> empty = MakeTrack(kind, mode, {});
      std::unique_ptr<AnimationTrack> single = MakeTrack(kind, mode, {{5, 7}});
      for (float step : {0.0f, 3.0f, 250.0f, -100.0f}) {
        empty->Advance(step);
        single->Advance(step);
        EXPECT_EQ(0.0f, empty->Value());
        EXPECT_EQ(7.0f, single->Value());
      }
      // The clock still runs.
      EXPECT_FLOAT_EQ(154.0f, single->Player().time);
    }
  }
}

TEST(DegenerateTrack, NoTimeSpanOrNonFiniteStepNeitherHangsNorPoisonsTheClock) {
  std::unique_ptr<AnimationTrack> flat = MakeTrack(Kind::Linear, kCycle, {{5, 1}, {5, 2}});
  flat->Advance(100);
  EXPECT_TRUE(std::isfinite(flat->Value()));

  std::unique_ptr<AnimationTrack> track = MakeTrack(Kind::Linear, kCycle, {{1, 0}, {11, 10}});
  track->Advance(std::numeric_limits<float>::quiet_NaN());
  track->Advance(std::numeric_limits<float>::infinity());
  track->Advance(5);
  EXPECT_FLOAT_EQ(5.0f, track->Value());
}

TEST(TrackSeek, SeekingBackFromAHeldEndPlaysTheCurveAgain) {
  std::unique_ptr<AnimationTrack> track = MakeTrack(Kind::Linear, kHold, {{1, 0}, {11, 10}});
  track->Seek(30);
  EXPECT_FLOAT_EQ(10.0f, track->Value());
  track->Seek(6);
  EXPECT_FLOAT_EQ(6.0f, track->Player().time);
  EXPECT_FLOAT_EQ(5.0f, track->Value());
}

// ---- Pipes and the controller ----

std::unique_ptr<AnimationTrack> Still(float value) { return MakeTrack(Kind::Constant, kHold, {{0, value}, {100, value}}); }

TEST(AxisRotationTest, CoordinateAxesGiveTheExactRowVectorForms) {
  const float c = std::cos(0.3f), s = std::sin(0.3f);
  const struct {
    Vector3f axis;
    Matrix3x3 expected;
  } cases[] = {{Vector3f(1, 0, 0), Matrix3x3(1, 0, 0, 0, c, s, 0, -s, c)},
               {Vector3f(0, 1, 0), Matrix3x3(c, 0, -s, 0, 1, 0, s, 0, c)},
               {Vector3f(0, 0, 1), Matrix3x3(c, s, 0, -s, c, 0, 0, 0, 1)},
               {Vector3f(0, 0, 0), Matrix3x3::Identity}};
  for (const auto& k : cases) {
    const Matrix3x3 actual = AxisRotation(k.axis, 0.3f);
    EXPECT_EQ(0, std::memcmp(&k.expected, &actual, sizeof actual)) << k.axis.x << k.axis.y << k.axis.z;
  }
}

class ControllerTest : public ::testing::Test {
 protected:
  void TearDown() override { delete engine::core::Logging::mInstance; }
  testing_support::ScratchDir dir;
  AnimationController controller;
};

TEST_F(ControllerTest, SameChannelReplacesAndPipesApplyInAscendingChannel) {
  // Added out of order: rotate 90 degrees about z (value 9: degrees / 10), scale x by 2.
  controller.AddPipe(MakePipe<RotPipe>(ChannelRotZ, Still(9), Vector3f(0, 0, 1)));
  controller.AddPipe(MakePipe<LocPipe>(ChannelLocX, Still(5), Vector3f(1, 0, 0)));
  controller.AddPipe(MakePipe<ScalePipe>(ChannelScaleX, Still(2), Vector3f(1, 0, 0)));
  controller.AddPipe(MakePipe<LocPipe>(ChannelLocX, Still(-3), Vector3f(1, 0, 0)));

  std::vector<int> channels;
  for (const auto& pipe : controller.Pipes()) channels.push_back(pipe->Channel());
  EXPECT_EQ((std::vector<int>{1, 11, 22}), channels);

  controller.Update(1);
  const Transformation t = controller.BuildTransformation(1);
  EXPECT_FALSE(t.IsIdentity());
  EXPECT_TRUE(Vector3f(-3, 0, 0) == t.translate) << "the replaced LocX pipe still applies";
  // Scale first, then turn: x is doubled and ends on y.
  EXPECT_TRUE(Vector3f(0, 2, 0) == Vector3f(1, 0, 0) * t.rotate);
  EXPECT_TRUE(Vector3f(-1, 0, 0) == Vector3f(0, 1, 0) * t.rotate);
}

TEST_F(ControllerTest, KeylessCurveLeavesTheTransformationAlone) {
  controller.AddPipe(MakePipe<ScalePipe>(ChannelScaleY, MakeTrack(Kind::Linear, kHold, {}), Vector3f(0, 1, 0)));
  controller.Update(1);
  EXPECT_TRUE(controller.BuildTransformation(1).IsIdentity());
}

TEST_F(ControllerTest, FiftyNamedSlotsStayPutAndTheFiftyFirstIsRefused) {
  engine::core::SetLoggingSwitch(true);
  std::vector<float*> handedOut;
  for (int i = 0; i < 50; ++i) {
    const std::string name = "channel" + std::to_string(i);
    handedOut.push_back(controller.AddNamedTrack(Still(static_cast<float>(i)), name));
    ASSERT_NE(nullptr, handedOut.back());
    for (int j = 0; j <= i; ++j) ASSERT_EQ(handedOut[j], controller.GetValueSlot("channel" + std::to_string(j)));
  }
  EXPECT_EQ(nullptr, controller.AddNamedTrack(Still(1), "one too many"));
  EXPECT_EQ(nullptr, controller.GetValueSlot("one too many"));
  EXPECT_EQ(nullptr, controller.GetValueSlot("never added"));
  EXPECT_EQ(50u, controller.NamedTrackCount());

  controller.Update(1);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(static_cast<float>(i), *handedOut[i]);
  delete engine::core::Logging::mInstance;
  EXPECT_NE(std::string::npos, dir.Read("data/log.html").find("one too many dropped"));
}

TEST_F(ControllerTest, RepeatedNamePointsToTheNewestAndBothRun) {
  float* first = controller.AddNamedTrack(MakeTrack(Kind::Linear, kHold, {{1, 0}, {11, 10}}), "Glow");
  float* second = controller.AddNamedTrack(MakeTrack(Kind::Linear, kHold, {{1, 0}, {11, 20}}), "Glow");
  EXPECT_EQ(second, controller.GetValueSlot("Glow"));
  controller.Update(5);
  EXPECT_FLOAT_EQ(5.0f, *first);
  EXPECT_FLOAT_EQ(10.0f, *second);

  controller.Reset();
  controller.Update(2.5f);
  EXPECT_FLOAT_EQ(2.5f, *first) << "Reset rewinds to frame 1";
}

// ---- Animated nodes ----

class AnimationNodeTest : public ::testing::Test {
 protected:
  void SetUp() override { engine::core::Timer::Get()->sinceLast = 1.0;  /* 25 frames a walk */ }
  void TearDown() override { delete engine::core::Timer::mInstance; }

  // A node sliding along x by one unit a frame, optionally with a Layer curve.
  static boost::shared_ptr<AnimationNode> Slider(Spatial* parent, std::unique_ptr<AnimationTrack> layer) {
    auto controller = boost::make_shared<AnimationController>();
    controller->AddPipe(
        MakePipe<LocPipe>(ChannelLocX, MakeTrack(Kind::Linear, kHold, {{1, 0}, {1001, 1000}}), Vector3f(1, 0, 0)));
    if (layer) controller->AddNamedTrack(std::move(layer), "Layer");
    return boost::make_shared<AnimationNode>(parent, controller);
  }
};

TEST_F(AnimationNodeTest, LayerAboveThresholdHidesTheSubtreeWhileItsClocksRun) {
  // Layer 2.0 for the first 50 frames, 1.0 after.
  auto parent = Slider(nullptr, MakeTrack(Kind::Constant, kHold, {{1, 2.0f}, {51, 1.0f}}));
  auto child = Slider(parent.get(), nullptr);
  parent->AddChild(child);

  parent->Update(nullptr);  // frame 26: hidden
  EXPECT_TRUE(parent->GetLocalTransformation().IsIdentity());
  EXPECT_FLOAT_EQ(26.0f, parent->Controller()->Pipes()[0]->Track()->Player().time);
  EXPECT_FLOAT_EQ(1.0f, child->Controller()->Pipes()[0]->Track()->Player().time) << "children are not walked";

  parent->Update(nullptr);  // frame 51: still the 2.0 segment
  parent->Update(nullptr);  // frame 76: shown
  EXPECT_TRUE(Vector3f(75, 0, 0) == parent->GetLocalTransformation().translate);
  EXPECT_TRUE(Vector3f(25, 0, 0) == child->GetLocalTransformation().translate);
  EXPECT_TRUE(Vector3f(100, 0, 0) == engine::math::TransformPoint(Vector3f(), child->World()));
}

TEST_F(AnimationNodeTest, LayerAtOneWalksNormally) {
  auto parent = Slider(nullptr, MakeTrack(Kind::Constant, kHold, {{1, 1.0f}, {51, 1.0f}}));
  auto child = Slider(parent.get(), nullptr);
  parent->AddChild(child);
  parent->Update(nullptr);
  EXPECT_TRUE(Vector3f(50, 0, 0) == engine::math::TransformPoint(Vector3f(), child->World()));
}

}  // namespace
