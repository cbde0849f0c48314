// The tests' glTF scene (testScene.h) through the gltf2demo tool, read back with the
// engine's own readers and played with its own tracks and pipes: the hierarchy, where
// cameras and lamps look, the rotation and the spline against what a glTF player shows,
// the meshes' axes and turning order, the notes on what was left out, and broken files.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/gfx/animationController.h"
#include "engine/gfx/animationPipe.h"
#include "engine/gfx/animationTrack.h"
#include "engine/gfx/demoFileReader.h"
#include "support/scratch_dir.h"
#include "testScene.h"

namespace {

using engine::gfx::DemoCurve;
using engine::gfx::DemoFile;
using engine::gfx::DemoObject;
using engine::math::Matrix3x3;
using engine::math::Vector3f;
using Quat = std::array<double, 4>;
using V3 = std::array<double, 3>;

constexpr double Pi = 3.14159265358979323846;

// glTF (x, y, z) is the engine's (x, z, y).
Vector3f Engine(const V3& v) {
  return Vector3f(static_cast<float>(v[0]), static_cast<float>(v[2]), static_cast<float>(v[1]));
}

// v turned by the unit quaternion q (q v q*).
V3 Turn(const Quat& q, const V3& v) {
  const V3 u = {q[0], q[1], q[2]};
  const auto cross = [](const V3& a, const V3& b) {
    return V3{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  };
  const V3 t = cross(u, v);
  const V3 t2 = {2 * t[0], 2 * t[1], 2 * t[2]};
  const V3 c = cross(u, t2);
  return {v[0] + q[3] * t2[0] + c[0], v[1] + q[3] * t2[1] + c[1], v[2] + q[3] * t2[2] + c[2]};
}

Quat Slerp(Quat a, Quat b, double t) {
  double d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
  if (d < 0) {
    for (double& c : b) c = -c;
    d = -d;
  }
  const double angle = std::acos(std::fmin(d, 1.0));
  Quat q;
  for (int i = 0; i < 4; ++i) q[i] = (std::sin((1 - t) * angle) * a[i] + std::sin(t * angle) * b[i]) / std::sin(angle);
  return q;
}

double DegreesBetween(const Vector3f& a, const Vector3f& b) {
  const double cosine = (a * b) / (a.Mag() * b.Mag());
  return std::acos(std::fmax(-1.0, std::fmin(1.0, cosine))) * 180 / Pi;
}

Vector3f Times(const Vector3f& v, const Matrix3x3& m) { return v * m; }

const DemoObject* Find(const DemoFile& file, const std::string& name) {
  for (const DemoObject& object : file.objects) {
    if (object.name == name) return &object;
  }
  return nullptr;
}

// The object's curves as the engine's loader wires them, played to `frame`.
engine::gfx::Transformation Play(const DemoObject& object, float frame) {
  using namespace engine::gfx;
  AnimationController controller;
  for (const DemoCurve& curve : object.curves) {
    std::unique_ptr<AnimationTrack> track;
    if (curve.interpolation == "Bezier") {
      auto* bezier = new BezierAnimationTrack;
      for (const auto& key : curve.keys) bezier->AddHandles({key.leftTime, key.leftValue}, {key.rightTime, key.rightValue});
      track.reset(bezier);
    } else if (curve.interpolation == "Linear") {
      track.reset(new LinearAnimationTrack);
    } else {
      track.reset(new ConstantAnimationTrack);
    }
    for (const auto& key : curve.keys) track->AddKey(key.time, key.value);
    track->SetExtrapolation(ExtrapolationMode::Constant);
    track->Seek(frame);
    const char axis = curve.channel.back();
    const Vector3f direction(axis == 'X' ? 1.f : 0.f, axis == 'Y' ? 1.f : 0.f, axis == 'Z' ? 1.f : 0.f);
    const int offset = axis - 'X';
    const std::string kind = curve.channel.substr(0, curve.channel.size() - 1);
    if (kind == "Loc") controller.AddPipe(std::unique_ptr<AnimationPipe>(new LocPipe(ChannelLocX + offset, std::move(track), direction)));
    if (kind == "Rot") controller.AddPipe(std::unique_ptr<AnimationPipe>(new RotPipe(ChannelRotX + 2 * offset, std::move(track), direction)));
    if (kind == "Scale") controller.AddPipe(std::unique_ptr<AnimationPipe>(new ScalePipe(ChannelScaleX + offset, std::move(track), direction)));
  }
  return controller.BuildTransformation(0);
}

// An object's rest rotation as the loader builds it: Rx, then Ry, then Rz.
Matrix3x3 Rest(const DemoObject& object) {
  using engine::gfx::AxisRotation;
  return engine::math::Multiply(engine::math::Multiply(AxisRotation(Vector3f(1, 0, 0), object.rotation[0]),
                                                       AxisRotation(Vector3f(0, 1, 0), object.rotation[1])),
                                AxisRotation(Vector3f(0, 0, 1), object.rotation[2]));
}

class Gltf2DemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testscene::WriteTestScene(dir.Path("")));
    ASSERT_EQ(Convert("scene.gltf"), 0) << notes;
    file = engine::gfx::ReadDemoFile(dir.Path("out/part.demo"));
  }
  ~Gltf2DemoTest() override { delete engine::core::Logging::mInstance; }

  // Runs the tool on `scene` into out/; its standard error goes to `notes`.
  int Convert(const std::string& scene, const std::string& switches = "") {
    const std::string command = std::string("cd '") + dir.Path("") + "' && '" + GLTF2DEMO + "' " + switches + " " + scene +
                                " out part 2> notes.txt";
    const int status = std::system(command.c_str());
    notes = dir.Read("notes.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  testing_support::ScratchDir dir;
  std::string notes;
  DemoFile file;
};

TEST_F(Gltf2DemoTest, KeepsTheHierarchyWithCamerasAndLampsBelowTheirNodes) {
  struct Expected {
    const char* type;
    const char* name;
    const char* parent;
  };
  const Expected expected[] = {{"Mesh", "Base", ""},       {"Mesh", "Spinner", "Base"}, {"Empty", "CameraRig", ""},
                               {"Camera", "Camera", "CameraRig"}, {"Empty", "Sun", ""},  {"Lamp", "Lamp", "Sun"},
                               {"Empty", "Bulb", ""},      {"Mesh", "Post", ""}};
  ASSERT_EQ(file.objects.size(), std::size(expected));
  for (std::size_t i = 0; i < file.objects.size(); ++i) {
    EXPECT_EQ(file.objects[i].type, expected[i].type) << i;
    EXPECT_EQ(file.objects[i].name, expected[i].name) << i;
    EXPECT_EQ(file.objects[i].parent, expected[i].parent) << i;
  }
  EXPECT_EQ(file.length, 50);  // two seconds of animation
  // The spinner sits 0.6 above the slab and 0.5 to its right: glTF's y is the engine's z.
  const DemoObject& spinner = *Find(file, "Spinner");
  EXPECT_FLOAT_EQ(spinner.location[2], 0.6f);
  EXPECT_FLOAT_EQ(spinner.location[1], 0.0f);
  EXPECT_FLOAT_EQ(spinner.location[0], 0.5f);
}

TEST_F(Gltf2DemoTest, NamesAreMadeUniqueSoThatParentLinksHold) {
  // Two nodes called "Base", and a node called "Camera" holding the camera.
  std::string text = dir.Read("scene.gltf");
  for (const auto& rename : {std::make_pair("\"Spinner\"", "\"Base\""), std::make_pair("\"CameraRig\"", "\"Camera\"")})
    text.replace(text.find(rename.first), std::string(rename.first).size(), rename.second);
  dir.Write("renamed.gltf", text);
  ASSERT_EQ(Convert("renamed.gltf"), 0) << notes;
  const DemoFile renamed = engine::gfx::ReadDemoFile(dir.Path("out/part.demo"));
  const DemoObject* child = Find(renamed, "Base.001");
  ASSERT_TRUE(child);
  EXPECT_EQ(child->parent, "Base");
  EXPECT_EQ(child->mesh, "Base.001");
  ASSERT_TRUE(Find(renamed, "Camera") && Find(renamed, "Camera.001"));
  // The first camera keeps the name the demo program and its authors look for.
  EXPECT_EQ(Find(renamed, "Camera")->type, "Camera");
  EXPECT_EQ(Find(renamed, "Camera")->parent, "Camera.001");
  EXPECT_FALSE(dir.Read("out/part.demo_scene/Base.001.nbl").empty());
}

TEST_F(Gltf2DemoTest, CamerasAndLampsLookWhereTheGltfOnesDo) {
  // glTF cameras and lights look along their -z with +y up; the engine's along +z.
  const double pitch = -std::atan2(2.5, 6.0);
  const Quat rig = {std::sin(pitch / 2), 0, 0, std::cos(pitch / 2)};
  const Matrix3x3 camera = engine::math::Multiply(Rest(*Find(file, "Camera")), Rest(*Find(file, "CameraRig")));
  EXPECT_LT(DegreesBetween(Times(Vector3f(0, 0, 1), camera), Engine(Turn(rig, {0, 0, -1}))), 1e-3);
  EXPECT_LT(DegreesBetween(Times(Vector3f(0, 1, 0), camera), Engine(Turn(rig, {0, 1, 0}))), 1e-3);

  const double half = -60 * Pi / 360, length = std::sqrt(1 + 0.35 * 0.35);
  const Quat sun = {std::sin(half) / length, 0.35 * std::sin(half) / length, 0, std::cos(half)};
  const Matrix3x3 lamp = engine::math::Multiply(Rest(*Find(file, "Lamp")), Rest(*Find(file, "Sun")));
  // The renderer's light direction is the lamp's +z in the world.
  EXPECT_LT(DegreesBetween(Times(Vector3f(0, 0, 1), lamp), Engine(Turn(sun, {0, 0, -1}))), 1e-3);
}

TEST_F(Gltf2DemoTest, RotationCurvesFollowTheSlerpedQuaternionsToATenthOfADegree) {
  const DemoObject& spinner = *Find(file, "Spinner");
  const auto keys = testscene::SpinnerRotations();
  // On whole frames, between frames, and a hair before the end.
  for (double seconds : {0.52, 1.3, 1.96}) {
    SCOPED_TRACE(seconds);
    const int k = seconds < 1 ? 0 : 1;
    const Quat q = Slerp(keys[k], keys[k + 1], seconds - k);
    const Matrix3x3 played = Play(spinner, static_cast<float>(1 + 25 * seconds)).Rotate();
    for (const V3& axis : {V3{1, 0, 0}, V3{0, 1, 0}, V3{0, 0, 1}})
      EXPECT_LT(DegreesBetween(Times(Engine(axis), played), Engine(Turn(q, axis))), 0.1);
  }
  // After the last key the rotation holds.
  const Matrix3x3 after = Play(spinner, 80).Rotate();
  EXPECT_LT(DegreesBetween(Times(Vector3f(1, 0, 0), after), Engine(Turn(keys[2], {1, 0, 0}))), 0.1);
}

TEST_F(Gltf2DemoTest, CubicSplineTranslationIsTheSameCurveInBezierForm) {
  const DemoObject& base = *Find(file, "Base");
  for (double seconds : {0.1, 0.5, 0.77, 1.0, 1.42, 1.9}) {
    SCOPED_TRACE(seconds);
    const int k = seconds < 1 ? 0 : 1;
    const double t = seconds - k, t2 = t * t, t3 = t2 * t;
    V3 expected;
    for (int c = 0; c < 3; ++c) {
      expected[c] = (2 * t3 - 3 * t2 + 1) * testscene::BaseSpline[k][1][c] + (t3 - 2 * t2 + t) * testscene::BaseSpline[k][2][c] +
                    (-2 * t3 + 3 * t2) * testscene::BaseSpline[k + 1][1][c] + (t3 - t2) * testscene::BaseSpline[k + 1][0][c];
    }
    const Vector3f played = Play(base, static_cast<float>(1 + 25 * seconds)).Translate();
    const Vector3f want = Engine(expected);
    EXPECT_NEAR(played.x, want.x, 1e-5);
    EXPECT_NEAR(played.y, want.y, 1e-5);
    EXPECT_NEAR(played.z, want.z, 1e-5);
  }
}

TEST_F(Gltf2DemoTest, MeshesAreInEngineAxesAndFaceOutwards) {
  struct Case {
    const char* mesh;
    Vector3f centre, half;  // engine axes
  };
  // The slab has its own normals; the tower has none and gets flat ones.
  for (const Case& c : {Case{"Base", Vector3f(0, 0, 0), Vector3f(1.2f, 1.2f, 0.1f)},
                        Case{"Spinner", Vector3f(0, 0, 0.5f), Vector3f(0.25f, 0.4f, 0.5f)}}) {
    SCOPED_TRACE(c.mesh);
    engine::gfx::LoadNBLMesh mesh(engine::core::ToWide(dir.Path(std::string("out/part.demo_scene/") + c.mesh + ".nbl")));
    ASSERT_EQ(mesh.NumIndices(), 36);
    const auto* positions = static_cast<const Vector3f*>(mesh.GetData(engine::gfx::MeshData::POSITION)->data);
    const auto* normals = static_cast<const Vector3f*>(mesh.GetData(engine::gfx::MeshData::NORMAL)->data);
    const auto* indices = reinterpret_cast<const std::uint32_t*>(mesh.Indices());
    for (int v = 0; v < mesh.NumVertices(); ++v) {
      const Vector3f d = positions[v] - c.centre;
      EXPECT_NEAR(std::fabs(d.x), c.half.x, 1e-6);
      EXPECT_NEAR(std::fabs(d.y), c.half.y, 1e-6);
      EXPECT_NEAR(std::fabs(d.z), c.half.z, 1e-6);
    }
    for (int t = 0; t < 12; ++t) {
      const Vector3f& a = positions[indices[3 * t]];
      const Vector3f& b = positions[indices[3 * t + 1]];
      const Vector3f& p = positions[indices[3 * t + 2]];
      const Vector3f n = normals[indices[3 * t]];
      // Counter-clockwise about the normal, as the engine's other meshes turn, and out.
      EXPECT_GT(((b - a) ^ (p - a)) * n, 0) << "triangle " << t;
      EXPECT_GT(n * ((a + b + p) * (1.0f / 3) - c.centre), 0) << "triangle " << t;
    }
  }
  EXPECT_NE(dir.Read("out/part.demo_scene/Spinner.nbl.efx").find("{\"BaseColourFactor\", \"float4\", {0.8, 0.2, 0.03, 1}}"),
            std::string::npos)
      << "the base colour is written linear, as glTF gives it";
}

TEST_F(Gltf2DemoTest, NamesWhatItLeavesOut) {
  // The Tower's second coordinate set is used by no texture: nothing that shows is lost.
  EXPECT_EQ(notes.find("texture coordinate set"), std::string::npos) << notes;
  EXPECT_NE(notes.find("scene.gltf: left out: light 'Bulb': a point light"), std::string::npos) << notes;
}

// A scene that names a node the file lacks (an exporter that dropped an object left the
// reference behind) converts without it, and says so once.
TEST_F(Gltf2DemoTest, AMissingNodeIsLeftOutAndTheRestConverts) {
  std::string text = dir.Read("scene.gltf");
  const std::size_t at = text.find("\"nodes\": [0, 2, 3, 4]");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 21, "\"nodes\": [0, 9, 2, 3, 4, 9]");
  dir.Write("gappy.gltf", text);
  ASSERT_EQ(Convert("gappy.gltf"), 0) << notes;
  const std::string said = "gappy.gltf: left out: the scene's node 9, which does not exist";
  const std::size_t first = notes.find(said);
  EXPECT_NE(first, std::string::npos) << notes;
  EXPECT_EQ(notes.find(said, first + 1), std::string::npos) << "said twice:\n" << notes;
}

// Broken variants of the scene: what is changed, and what the message must say.
struct Broken {
  const char* name;
  const char* from;  // replaced in scene.gltf; empty: the whole file becomes `to`
  const char* to;
  const char* message;
};

std::ostream& operator<<(std::ostream& out, const Broken& b) { return out << b.name; }

class BrokenSceneTest : public Gltf2DemoTest, public ::testing::WithParamInterface<Broken> {};

TEST_P(BrokenSceneTest, FailsWithAMessageNamingTheFile) {
  std::string text = dir.Read("scene.gltf");
  const Broken& b = GetParam();
  if (std::string(b.from).empty()) {
    text = b.to;
  } else {
    const std::size_t at = text.find(b.from);
    ASSERT_NE(at, std::string::npos) << b.from;
    text.replace(at, std::string(b.from).size(), b.to);
  }
  dir.Write("broken.gltf", text);
  EXPECT_EQ(Convert("broken.gltf"), 1);
  EXPECT_EQ(notes.rfind("gltf2demo: broken.gltf: ", 0), 0u) << notes;
  EXPECT_NE(notes.find(b.message), std::string::npos) << notes;
}

INSTANTIATE_TEST_SUITE_P(
    Gltf2Demo, BrokenSceneTest,
    ::testing::Values(
        Broken{"NotGltf", "", "solid cube\nfacet normal 0 0 1\n", "is not a glTF file the reader accepts"},
        Broken{"MissingBuffer", "\"uri\": \"scene.bin\"", "\"uri\": \"gone.bin\"", "gone.bin"},
        Broken{"AccessorPastItsView", "\"count\": 24", "\"count\": 2400", "do not fit in buffer view"},
        Broken{"StrideWiderThanTheView", "\"byteOffset\": 0, \"byteLength\": 288}",
               "\"byteOffset\": 0, \"byteLength\": 288, \"byteStride\": 24}", "do not fit in buffer view"},
        // The slab's 16-bit indices read as 32-bit ones: the first is 65536.
        Broken{"IndexPastTheVertices", "\"bufferView\": 2, \"componentType\": 5123, \"count\": 36",
               "\"bufferView\": 2, \"componentType\": 5125, \"count\": 18", "index 0 is 65536, but there are 24 vertices"},
        Broken{"AttributesOfDifferentLengths", "\"bufferView\": 1, \"componentType\": 5126, \"count\": 24",
               "\"bufferView\": 1, \"componentType\": 5126, \"count\": 12", "different vertex counts"},
        Broken{"NodeTwice", "\"nodes\": [0, 2, 3, 4]", "\"nodes\": [0, 1, 3, 4]", "reached twice"},
        Broken{"UnknownInterpolation", "\"interpolation\": \"CUBICSPLINE\"", "\"interpolation\": \"SQUIGGLY\"",
               "is not LINEAR, STEP or CUBICSPLINE"},
        // The reader takes a glTF 1.0 file and finds nothing in it; one that names no
        // version could be either.
        Broken{"Version1", "\"version\": \"2.0\"", "\"version\": \"1.0\"",
               "gltf2demo: broken.gltf: glTF 1.0 is not supported; export glTF 2.0\n"},
        Broken{"NoVersion", "\"version\": \"2.0\", ", "",
               "gltf2demo: broken.gltf: names no glTF version (its asset.version is missing or not text); export glTF 2.0\n"}),
    [](const ::testing::TestParamInfo<Broken>& param) { return std::string(param.param.name); });

}  // namespace
