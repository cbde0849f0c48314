// The curve editor's "Save": edited keys written into a scene description's text, only
// the curve's keys changed, and refused (the text as it was) where the keys are not
// written out in the file.

#include "authoring/curveText.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <memory>
#include <string>

#include "engine/gfx/animationController.h"
#include "engine/gfx/animationPipe.h"
#include "authoring/curveDemoFile.h"
#include "support/scratch_dir.h"
#include "tools/demo/demoWriter.h"

namespace {

const std::string kScene = R"(-- The cart crosses the yard.
length = seconds(10)
objects = {
  flight("Camera", "Camera", {
    {1, {0, -12, 3}, {0, 0, 0}},
    {at(4), {4, -10, 3}, {0, 0, 0}},
  }),
  { "Empty", "Cart", location = {-3, 0, 0},
    curves = {
      { "LocX", {1, -3}, {49, 0},  -- halfway on the downbeat
        {97, 3}, interpolation = "Linear" },
      { 'LocY', {1, 0}, {1 + seconds(4), 2} },
    } },
  { "Mesh", "Sign", curves = { { "Layer", {1, 0}, {at(8), 2}, interpolation = "Constant" } } },
}
)";

// A curve as the editor holds it after loading `keys` (time, value pairs).
EditedCurve Curve(const std::string& channel, CurveInterpolation interpolation,
                  std::vector<engine::gfx::KeyPoint> keys) {
  EditedCurve curve;
  curve.channel = channel;
  curve.interpolation = interpolation;
  for (size_t k = 0; k < keys.size(); ++k) {
    CurveKey key;
    key.point = keys[k];
    key.left = key.right = keys[k];
    key.origin = static_cast<int>(k);
    curve.keys.push_back(key);
  }
  curve.savedKeys = keys.size();
  curve.edited = true;
  return curve;
}

std::string Replaced(const std::string& text, const std::string& from, const std::string& to) {
  std::string result = text;
  const size_t at = result.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) result.replace(at, from.size(), to);
  return result;
}

TEST(CurveText, AMovedKeyIsRewrittenInPlaceAndEverythingElseKept) {
  std::string text = kScene;
  EditedCurve x = Curve("LocX", CurveInterpolation::Linear, {{1, -3}, {49, 0}, {97, 3}});
  x.keys[1].point = {61, 1.5f};
  x.keys[1].changed = true;
  std::string error;
  ASSERT_TRUE(WriteCurveText(text, "Cart", x, &error)) << error;
  EXPECT_EQ(text, Replaced(kScene, "{49, 0},  -- halfway", "{61, 1.5},  -- halfway"));

  // An untouched key given by an expression stays as it is written.
  text = kScene;
  EditedCurve y = Curve("LocY", CurveInterpolation::Bezier, {{1, 0}, {101, 2}});
  y.keys[0].point = {13, -0.25f};
  y.keys[0].left = {10, -0.25f};
  y.keys[0].right = {20, -0.25f};
  y.keys[0].changed = true;
  y.fileSign = -1.0f;  // a camera's child: the file holds the negated values
  ASSERT_TRUE(WriteCurveText(text, "Cart", y, &error)) << error;
  EXPECT_EQ(text, Replaced(kScene, "{ 'LocY', {1, 0}, {1 + seconds(4), 2} }",
                           "{ 'LocY', {13, 0.25, left = {10, 0.25}, right = {20, 0.25}}, {1 + seconds(4), 2} }"));
}

TEST(CurveText, AddedAndDeletedKeysKeepTheCurvesLayoutAndTheKindIsWrittenOrAdded) {
  std::string text = kScene;
  EditedCurve x = Curve("LocX", CurveInterpolation::Linear, {{1, -3}, {49, 0}, {97, 3}});
  x.keys.erase(x.keys.begin());
  CurveKey added;
  added.point = {25, -1.5f};
  added.changed = true;
  x.keys.insert(x.keys.begin(), added);
  x.interpolation = CurveInterpolation::Constant;
  x.interpolationChanged = true;
  std::string error;
  ASSERT_TRUE(WriteCurveText(text, "Cart", x, &error)) << error;
  EXPECT_EQ(
      text,
      Replaced(kScene, "{1, -3}, {49, 0},  -- halfway on the downbeat\n        {97, 3}, interpolation = \"Linear\"",
               "{25, -1.5}, {49, 0},  -- halfway on the downbeat\n        {97, 3}, interpolation = \"Constant\""));

  text = kScene;
  EditedCurve y = Curve("LocY", CurveInterpolation::Bezier, {{1, 0}, {101, 2}});
  y.keys.pop_back();
  y.interpolation = CurveInterpolation::Linear;
  y.interpolationChanged = true;
  ASSERT_TRUE(WriteCurveText(text, "Cart", y, &error)) << error;
  EXPECT_EQ(text, Replaced(kScene, "{ 'LocY', {1, 0}, {1 + seconds(4), 2} }",
                           "{ 'LocY', {1, 0}, interpolation = \"Linear\" }"));
}

TEST(CurveText, KeysThatAreNotWrittenOutAreRefusedWithTheTextLeftAlone) {
  const auto refused = [](const std::string& object, const EditedCurve& curve) {
    std::string text = kScene;
    std::string error;
    EXPECT_FALSE(WriteCurveText(text, object, curve, &error)) << object << " " << curve.channel;
    EXPECT_EQ(text, kScene);
    return error;
  };
  // The camera's curves come out of flight().
  EditedCurve camera = Curve("LocX", CurveInterpolation::Bezier, {{1, 0}, {97, 4}});
  camera.keys[1].changed = true;
  EXPECT_EQ(refused("Camera", camera),
            "curve LocX of Camera is not written out as keys in the description (a variable, a helper function or a "
            "loop makes it); not saved");
  EXPECT_NE(refused("Cart", Curve("LocZ", CurveInterpolation::Linear, {{1, 0}}))
                .find("curve LocZ of Cart is not written out"),
            std::string::npos);
  // A moved key that the file computes.
  EditedCurve layer = Curve("Layer", CurveInterpolation::Constant, {{1, 0}, {337, 2}});
  layer.keys[1].point.time = 325;
  layer.keys[1].changed = true;
  EXPECT_EQ(refused("Sign", layer), "curve Layer of Sign: key 2 is written as {at(8), 2}, not numbers; not saved");
  // The file has changed since the part was loaded.
  EXPECT_NE(refused("Cart", Curve("LocX", CurveInterpolation::Linear, {{1, -3}, {97, 3}}))
                .find("has 3 keys in the description, 2"),
            std::string::npos);
  std::string broken = "objects = { {\"Empty\", \"Cart\", curves = {{\"LocX\", {1, 2}";
  std::string error;
  EXPECT_FALSE(WriteCurveText(broken, "Cart", Curve("LocX", CurveInterpolation::Linear, {{1, 2}}), &error));
  EXPECT_FALSE(error.empty());
}

TEST(CurveText, SaveWritesEveryEditedCurveOrNothingNamingTheFile) {
  testing_support::ScratchDir dir;
  dir.Write("yard.scene.lua", kScene);
  boost::shared_ptr<engine::gfx::AnimationController> controller(new engine::gfx::AnimationController);
  const auto pipe = [&](int channel, std::vector<engine::gfx::KeyPoint> keys) {
    std::unique_ptr<engine::gfx::AnimationTrack> track(new engine::gfx::LinearAnimationTrack);
    for (const auto& key : keys) track->AddKey(key.time, key.value);
    controller->AddPipe(std::unique_ptr<engine::gfx::AnimationPipe>(
        new engine::gfx::LocPipe(channel, std::move(track), engine::math::Vector3f(1, 0, 0))));
  };
  pipe(engine::gfx::ChannelLocX, {{1, -3}, {49, 0}, {97, 3}});
  pipe(engine::gfx::ChannelLocY, {{1, 0}, {101, 2}});
  CurveEdit edit("Cart", controller);
  const std::string path = dir.Path("yard.scene.lua");
  edit.MoveKey(0, 2, 100, 4, false);
  edit.MoveKey(1, 1, 90, 2, false);  // computed by seconds(): refused
  std::string error;
  EXPECT_FALSE(SaveCurves(path, edit, &error));
  EXPECT_EQ(error, path + ": curve LocY of Cart: key 2 is written as {1 + seconds(4), 2}, not numbers; not saved");
  EXPECT_EQ(dir.Read("yard.scene.lua"), kScene);

  CurveEdit again("Cart", controller);
  again.MoveKey(0, 2, 100, 5, false);
  ASSERT_TRUE(SaveCurves(path, again, &error)) << error;
  EXPECT_EQ(dir.Read("yard.scene.lua"), Replaced(kScene, "{97, 3}, interpolation", "{97, 5}, interpolation"));
  EXPECT_FALSE(SaveCurves(dir.Path("missing.scene.lua"), again, &error));
  EXPECT_NE(error.find("missing.scene.lua"), std::string::npos);
}

// A part converted from another format has no description: its demo file is written.
TEST(CurveText, APartWithoutADescriptionHasItsDemoFileWritten) {
  testing_support::ScratchDir dir;
  engine::gfx::DemoFile file;
  file.length = 96;
  engine::gfx::DemoCurve x{"LocX", "Linear", "Cyclic", {{0, 0, 1, 0, 2, 1}, {48, 47, 49, 48, 50, 49}}};
  engine::gfx::DemoCurve glow{"Glow", "Bezier", "Constant", {{0, 1, 1, 1, 2, 1}}};
  file.objects.push_back(engine::gfx::DemoObject{"Empty", "Ball", "", "", {1, 2, 3}, {0, 0, 0}, {x, glow}});
  const std::string path = dir.Path("ball.demo");
  ASSERT_TRUE(demo::WriteDemoFile(path, file));

  boost::shared_ptr<engine::gfx::AnimationController> controller(new engine::gfx::AnimationController);
  std::unique_ptr<engine::gfx::AnimationTrack> track(new engine::gfx::LinearAnimationTrack);
  track->AddKey(1, 0);
  track->AddKey(49, 48);
  controller->AddPipe(std::unique_ptr<engine::gfx::AnimationPipe>(
      new engine::gfx::LocPipe(engine::gfx::ChannelLocX, std::move(track), engine::math::Vector3f(1, 0, 0))));
  CurveEdit edit("Ball", controller);
  edit.MoveKey(0, 1, 38, 10, false);
  edit.SetInterpolation(0, CurveInterpolation::Bezier);
  std::string error;
  ASSERT_TRUE(SaveCurvesToDemoFile(path, edit, &error)) << error;

  const engine::gfx::DemoFile saved = engine::gfx::ReadDemoFile(path);
  ASSERT_EQ(saved.objects.size(), 1u);
  ASSERT_EQ(saved.objects[0].curves.size(), 2u);
  const engine::gfx::DemoCurve& written = saved.objects[0].curves[0];
  EXPECT_EQ(written.interpolation, "Bezier");
  EXPECT_EQ(written.extrapolation, "Cyclic");
  ASSERT_EQ(written.keys.size(), 2u);
  EXPECT_EQ(written.keys[1].time, 37.0f);
  EXPECT_EQ(written.keys[1].value, 10.0f);
  EXPECT_FLOAT_EQ(written.keys[1].leftValue, 10.0f - 10.0f / 3.0f) << "the straight handles it plays with";
  EXPECT_EQ(saved.objects[0].curves[1].keys.size(), 1u) << "the other curve as it was";
  EXPECT_EQ(saved.objects[0].location[2], 3.0f);

  // Another object's curves are not there: refused, the file left alone.
  const std::string before = dir.Read("ball.demo");
  CurveEdit other("Box", controller);
  other.MoveKey(0, 1, 60, 1, false);
  EXPECT_FALSE(SaveCurvesToDemoFile(path, other, &error));
  EXPECT_EQ(error, path + ": object Box is not in the file; not saved");
  EXPECT_EQ(dir.Read("ball.demo"), before);
}

}  // namespace
