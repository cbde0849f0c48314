// Demo files into scenes: the file checks, parent links and the camera rule, static and
// animated nodes, curve replacement, the mesh lookups (the stars redirection included)
// and the binding of named curves to shader parameters.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/gfx/animationNode.h"
#include "engine/gfx/camera.h"
#include "engine/gfx/demoFile.h"
#include "engine/gfx/geometry.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/light.h"
#include "engine/wrapper.h"
#include "engine_fixture.h"
#include "tools/demo/demoWriter.h"

using engine::core::Exception;
using engine::gfx::AnimationNode;
using engine::gfx::DemoCurve;
using engine::gfx::DemoFile;
using engine::gfx::DemoKey;
using engine::gfx::DemoLoader;
using engine::gfx::DemoObject;
using engine::gfx::Node;

namespace {

DemoObject Object(const std::string& type, const std::string& name, const std::string& parent = "",
                  std::vector<DemoCurve> curves = {}) {
  DemoObject object{type, name, name, parent, {1, 2, 3}, {0, 0, 0}, std::move(curves)};
  return object;
}

DemoCurve Curve(const std::string& channel, std::vector<float> values, const std::string& interpolation = "Linear",
                const std::string& extrapolation = "Constant") {
  DemoCurve curve{channel, interpolation, extrapolation, {}};
  float time = 1;
  for (float v : values) {
    curve.keys.push_back(DemoKey{time - 0.5f, v - 1, time, v, time + 0.5f, v + 1});
    time += 10;
  }
  return curve;
}

// Loaders are freed with DestroyInstance, never deleted.
struct LoaderDeleter {
  void operator()(DemoLoader* loader) const { loader->DestroyInstance(); }
};
using LoaderPtr = std::unique_ptr<DemoLoader, LoaderDeleter>;

constexpr const char* kEffect = R"(
float4x4 World : World;
float Glow;
float4 VS(float3 position : POSITION) : SV_Position { return mul(float4(position * Glow, 1), World); }
float4 PS() : SV_Target { return float4(1, 1, 1, 1); }
technique10 Pos { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
)";

std::string Int(std::int32_t value) { return std::string(reinterpret_cast<const char*>(&value), 4); }
std::string Chunk(std::int32_t kind, const std::string& payload) {
  return Int(kind) + Int(static_cast<std::int32_t>(payload.size())) + payload;
}
std::string Triangle(bool indices) {
  const float positions[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  std::string bytes = "NBLU" + Chunk(3, std::string(reinterpret_cast<const char*>(positions), sizeof(positions)));
  if (indices) bytes += Chunk(4, Int(4) + Int(0) + Int(1) + Int(2));
  return bytes + Int(9);
}

class DemoFileTest : public enginetest::EngineFixture {
 protected:
  LoaderPtr Load(const DemoFile& file, const std::string& path = "data/scene.demo") {
    demo::WriteDemoFile(dir.Path(path), file);
    return LoaderPtr(DemoLoader::CreateInstance(engine::core::ToWide(path)));
  }

  std::string ErrorOf(const DemoFile& file) {
    try {
      Load(file);
    } catch (const Exception& e) {
      return engine::core::ToNarrow(e.GetText());
    }
    return "(no error)";
  }

  // A mesh next to the demo file, with a material whose pass reads the animated "Glow".
  void WriteMesh(const std::string& demoPath, const std::string& name, bool indices) {
    boost::filesystem::create_directories(dir.Path(demoPath + "_scene"));
    dir.Write("data/fx/glow.fx", kEffect);
    const std::string path = demoPath + "_scene/" + name + ".nbl";
    dir.Write(path, Triangle(indices));
    dir.Write(path + ".efx",
              "effect = { { pass = { { fx = 'glow', tec = 'Pos', params = { { 'Glow', 'ipo' } }, "
              "streams = { { 'pos', 'POSITION' } } } } } }\n");
  }

  static int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
  }

  static float KeyValue(const boost::shared_ptr<Node>& node, int channel, size_t key) {
    auto* animated = dynamic_cast<AnimationNode*>(node.get());
    for (const auto& pipe : animated->Controller()->Pipes()) {
      if (pipe->Channel() == channel) return pipe->Track()->Keys().at(key).value;
    }
    ADD_FAILURE() << "no pipe of channel " << channel;
    return NAN;
  }
};

TEST_F(DemoFileTest, AnEmptySceneKeepsItsLengthAndHasABareRoot) {
  DemoFile file;
  file.length = 250;
  LoaderPtr loader = Load(file);
  EXPECT_EQ(loader->GetLength(), 250);
  ASSERT_TRUE(loader->GetBaseNode());
  EXPECT_TRUE(loader->GetBaseNode()->Children().empty());
}

TEST_F(DemoFileTest, ParentsAreLinkedWhereverTheyStandAndMissingOnesLeaveTheObjectOnTop) {
  DemoFile file;
  file.objects = {Object("Empty", "Child", "Parent"), Object("Empty", "Parent"), Object("Empty", "Orphan", "Nobody")};
  LoaderPtr loader = Load(file);
  const auto root = loader->GetBaseNode();
  const auto parent = loader->GetNode("Parent");
  const auto child = loader->GetNode("Child");
  const auto orphan = loader->GetNode("Orphan");
  ASSERT_EQ(root->Children().size(), 2u);
  EXPECT_EQ(root->Children()[0], parent);
  EXPECT_EQ(root->Children()[1], orphan);
  EXPECT_EQ(orphan->Parent(), root.get());
  ASSERT_EQ(parent->Children().size(), 1u);
  EXPECT_EQ(parent->Children()[0], child);
  EXPECT_EQ(child->Parent(), parent.get());
  // The link pass runs before the first walk, so the child already sits where its
  // parent puts it: (1, 2, 3) twice.
  const auto world = child->World();
  EXPECT_FLOAT_EQ(world.m30, 2.0f);
  EXPECT_FLOAT_EQ(world.m32, 6.0f);
  EXPECT_EQ(Count(Log(), "Parent Nobody of Orphan names no object"), 1);
}

TEST_F(DemoFileTest, ObjectsUnderACameraHaveTheirDepthMirrored) {
  DemoFile file;
  file.objects = {Object("Camera", "Cam"), Object("Empty", "Held", "Cam"),
                  Object("Empty", "Moving", "Cam", {Curve("LocZ", {4, -5}), Curve("LocX", {7})}),
                  Object("Empty", "Early", "Late"), Object("Camera", "Late")};
  LoaderPtr loader = Load(file);
  const auto cam = loader->GetNode("Cam");
  ASSERT_FALSE(cam->Children().empty());
  auto* camera = dynamic_cast<engine::gfx::Camera*>(cam->Children()[0].get());
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->Name(), L"Cam");

  EXPECT_FLOAT_EQ(loader->GetNode("Held")->GetLocalTransformation().Translate().z, -3.0f);
  EXPECT_FLOAT_EQ(loader->GetNode("Held")->GetLocalTransformation().Translate().x, 1.0f);
  // Key values of LocZ flip, other channels and the times do not.
  const auto moving = loader->GetNode("Moving");
  EXPECT_FLOAT_EQ(KeyValue(moving, engine::gfx::ChannelLocZ, 0), -4.0f);
  EXPECT_FLOAT_EQ(KeyValue(moving, engine::gfx::ChannelLocZ, 1), 5.0f);
  EXPECT_FLOAT_EQ(KeyValue(moving, engine::gfx::ChannelLocX, 0), 7.0f);
  // Only a camera read earlier counts.
  EXPECT_FLOAT_EQ(loader->GetNode("Early")->GetLocalTransformation().Translate().z, 3.0f);
}

TEST_F(DemoFileTest, StaticObjectsTurnByTheirStoredRadiansAndCurvesReplaceTheirChannel) {
  DemoObject turned = Object("Empty", "Turned");
  turned.rotation[2] = 1.5707964f;
  DemoFile file;
  file.objects = {turned, Object("Empty", "Animated", "", {Curve("LocX", {1}), Curve("LocX", {2, 3}), Curve("RotZ", {9})})};
  LoaderPtr loader = Load(file);

  const auto rotate = loader->GetNode("Turned")->GetLocalTransformation().Rotate();
  EXPECT_NEAR(rotate.m00, 0.0f, 1e-6f);
  EXPECT_NEAR(rotate.m01, 1.0f, 1e-6f);
  EXPECT_NEAR(rotate.m10, -1.0f, 1e-6f);

  auto* animated = dynamic_cast<AnimationNode*>(loader->GetNode("Animated").get());
  ASSERT_NE(animated, nullptr);
  std::vector<int> channels;
  for (const auto& pipe : animated->Controller()->Pipes()) channels.push_back(pipe->Channel());
  EXPECT_EQ(channels, (std::vector<int>{1, 2, 3, 18, 20, 22}));
  // The second LocX curve won; the untouched channels hold the rest pose over frames 0 to 100.
  EXPECT_EQ(animated->Controller()->Pipes()[0]->Track()->KeyCount(), 2);
  EXPECT_FLOAT_EQ(KeyValue(loader->GetNode("Animated"), engine::gfx::ChannelLocX, 0), 2.0f);
  EXPECT_FLOAT_EQ(KeyValue(loader->GetNode("Animated"), engine::gfx::ChannelLocY, 1), 2.0f);
  EXPECT_FLOAT_EQ(animated->Controller()->Pipes()[1]->Track()->Keys()[1].time, 100.0f);
  EXPECT_FLOAT_EQ(KeyValue(loader->GetNode("Animated"), engine::gfx::ChannelRotZ, 0), 9.0f);
}

TEST_F(DemoFileTest, BadFilesAndUnknownCurveKindsAreRefusedWithTheirMessages) {
  EXPECT_THROW(DemoLoader::CreateInstance(L"data/none.demo"), Exception);
  dir.Write("data/bad.demo", "OMED" + std::string(8, '\0'));
  try {
    DemoLoader::CreateInstance(L"data/bad.demo");
    ADD_FAILURE() << "a wrong magic was accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.GetText(), L"Not NEBLU Demo file format");
  }

  DemoFile file;
  file.length = -5;
  EXPECT_EQ(ErrorOf(file), "Demo file data/scene.demo holds a negative running time in its header (-5 frames)");
  file.length = 0;
  file.objects = {Object("Empty", "A", "", {Curve("LocX", {1}, "Smooth")})};
  EXPECT_EQ(ErrorOf(file), "Smooth interpolation type not supported.");
  file.objects = {Object("Empty", "A", "", {Curve("LocX", {1}, "Linear", "Mirror")})};
  EXPECT_EQ(ErrorOf(file), "Mirror extrapolation type not supported.");

  // A file cut inside an object, and one that claims more keys than it holds.
  std::string image = demo::EncodeDemoFile(file);
  dir.Write("data/cut.demo", image.substr(0, 30));
  try {
    DemoLoader::CreateInstance(L"data/cut.demo");
    ADD_FAILURE() << "a cut file was accepted";
  } catch (const Exception& e) {
    EXPECT_NE(e.GetText().find(L"Demo file data/cut.demo "), std::wstring::npos) << engine::core::ToNarrow(e.GetText());
  }
  image[image.size() - 4 * 6 - 4] = '\x7f';
  dir.Write("data/big.demo", image);
  try {
    DemoLoader::CreateInstance(L"data/big.demo");
    ADD_FAILURE() << "an oversized key count was accepted";
  } catch (const Exception& e) {
    EXPECT_NE(e.GetText().find(L"data/big.demo holds a count of"), std::wstring::npos) << engine::core::ToNarrow(e.GetText());
  }
  const std::string log = Log();
  EXPECT_EQ(Count(log, "No such demo file found"), 1);
  EXPECT_EQ(Count(log, "Smooth interpolation type not supported."), 1);
}

// Repeated names let the links close a loop, which the first walk would follow until
// the stack ran out: such a file is refused, naming it. A folder where the file should
// be is no demo file either.
TEST_F(DemoFileTest, ParentLoopsAndFoldersAtTheDemoPathAreRefused) {
  DemoFile file;
  file.objects = {Object("Empty", "A", "A"), Object("Empty", "A")};
  EXPECT_EQ(ErrorOf(file), "Demo file data/scene.demo links object A under itself through its parents");
  file.objects = {Object("Empty", "Top"), Object("Empty", "B", "A"), Object("Empty", "C", "B"),
                  Object("Empty", "A", "C")};
  EXPECT_EQ(ErrorOf(file), "Demo file data/scene.demo links object A under itself through its parents");
  // A name used twice without a loop still loads, the later object taking the name.
  file.objects = {Object("Empty", "A"), Object("Empty", "B", "A"), Object("Empty", "A")};
  EXPECT_EQ(ErrorOf(file), "(no error)");

  boost::filesystem::create_directories(dir.Path("data/folder.demo"));
  try {
    DemoLoader::CreateInstance(L"data/folder.demo");
    ADD_FAILURE() << "a folder was read as a demo file";
  } catch (const Exception& e) {
    EXPECT_EQ(e.GetText(), L"No such demo file found");
  }
}

// Any curve count but 0 makes an animated node, a negative one (no curve records)
// included, and writing the file back keeps the count.
TEST_F(DemoFileTest, ANegativeCurveCountStillMakesAnAnimatedNode) {
  DemoObject still = Object("Empty", "Still");
  still.negativeCurveCount = -2;
  DemoFile file;
  file.objects = {still, Object("Empty", "Plain")};
  LoaderPtr loader = Load(file);
  auto* animated = dynamic_cast<AnimationNode*>(loader->GetNode("Still").get());
  ASSERT_NE(animated, nullptr);
  EXPECT_EQ(dynamic_cast<AnimationNode*>(loader->GetNode("Plain").get()), nullptr);
  // Its rest pose plays through the static pipes.
  EXPECT_FLOAT_EQ(KeyValue(loader->GetNode("Still"), engine::gfx::ChannelLocX, 0), 1.0f);
  const std::string image = demo::EncodeDemoFile(file);
  EXPECT_EQ(engine::gfx::ParseDemoFile(image, "again.demo").objects[0].negativeCurveCount, -2);
}

TEST_F(DemoFileTest, LookupsOfMissingNamesAndKeylessCurvesWarnEveryTime) {
  DemoFile file;
  file.objects = {Object("Empty", "A", "", {Curve("LocX", {})})};
  LoaderPtr loader = Load(file);
  EXPECT_FALSE(loader->GetNode("Lamp"));
  EXPECT_FALSE(loader->GetNode("Lamp"));
  EXPECT_TRUE(loader->GetNode("A"));
  // The keyless curve is left out: the rest pose's LocX stays.
  EXPECT_FLOAT_EQ(KeyValue(loader->GetNode("A"), engine::gfx::ChannelLocX, 0), 1.0f);
  const std::string log = Log();
  EXPECT_EQ(Count(log, "No such node Lamp was found"), 2);
  EXPECT_EQ(Count(log, "Curve LocX of A has no keys"), 1);
}

TEST_F(DemoFileTest, MeshesComeFromTheSceneFolderAndNamedCurvesDriveTheirShaders) {
  OpenWindow(Settings(64, 64));
  if (IsSkipped() || HasFatalFailure()) return;
  WriteMesh("data/stars.demo", "Rock", true);
  // Mesh files and device buffers always hold indices; the loader still checks the data,
  // so a registered mesh is told it has none.
  WriteMesh("data/stars.demo", "Flat", true);
  engine::core::ResourceManager::Get()
      ->GetOrCreateResource<engine::gfx::Mesh>(L"data/stars.demo_scene/Flat.nbl")
      ->CPUMesh()
      ->NumIndices(0);
  WriteMesh("data/city.demo", "Stars", true);
  DemoFile file;
  file.objects = {Object("Mesh", "Rock", "", {Curve("Glow", {0.5f}), Curve("Layer", {1}), Curve("Nope", {1})}),
                  Object("Mesh", "Flat"), Object("Mesh", "Stars")};
  LoaderPtr loader;
  try {
    loader = Load(file, "data/stars.demo");
  } catch (const Exception& e) {
    FAIL() << engine::core::ToNarrow(e.GetText());
  }

  auto* geometry = dynamic_cast<engine::gfx::Geometry*>(loader->GetNode("Rock")->Children().at(0).get());
  ASSERT_NE(geometry, nullptr);
  EXPECT_TRUE(loader->GetNode("Flat")->Children().empty());
  // The stars part shows the city's sky, not a mesh of its own.
  auto* stars = dynamic_cast<engine::gfx::Geometry*>(loader->GetNode("Stars")->Children().at(0).get());
  ASSERT_NE(stars, nullptr);
  EXPECT_EQ(stars->GetMesh(), engine::core::ResourceManager::Get()->GetResource(L"data/city.demo_scene/Stars.nbl"));
  EXPECT_FALSE(engine::core::ResourceManager::Get()->GetResource(L"data/stars.demo_scene/Stars.nbl"));

  auto* rock = dynamic_cast<AnimationNode*>(loader->GetNode("Rock").get());
  const float* slot = rock->Controller()->GetValueSlot("Glow");
  ASSERT_NE(slot, nullptr);
  const auto& animated = geometry->GetMesh()->GetEffect()->GetShader(0)->Pass().parameters.animated;
  ASSERT_EQ(animated.size(), 1u);
  EXPECT_EQ(animated[0].value->address, slot);
  const std::string log = Log();
  EXPECT_EQ(Count(log, "IPO type Nope not used in any mesh shader"), 1);
  EXPECT_EQ(Count(log, "IPO type Layer"), 0);
  EXPECT_EQ(Count(log, "IPO type Glow"), 0);
}

}  // namespace
