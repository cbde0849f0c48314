// gltf2demo fitting real scenes to the engine: a scene far larger or smaller than the
// clip range scaled by a power of ten (translations, curves and positions alike, so that
// cameras stay unscaled), lights given in lux exposed for, a dark sun replaced, one mesh
// file placed by every node that shows it, and the running time taken from the part the
// scene replaces.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>

#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/math/vector.h"
#include "featureScenes.h"
#include "support/scratch_dir.h"
#include "tools/gltf2demo/sceneConversion.h"
#include "tools/gltf2demo/sceneExtent.h"

namespace {

using engine::gfx::DemoFile;
using engine::gfx::DemoObject;

bool Says(const std::vector<std::string>& lines, const std::string& what) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(what) != std::string::npos; });
}

const DemoObject* Find(const DemoFile& file, const std::string& name) {
  for (const DemoObject& object : file.objects) {
    if (object.name == name) return &object;
  }
  return nullptr;
}

class SceneFitTest : public ::testing::Test {
 protected:
  ~SceneFitTest() override { delete engine::core::Logging::mInstance; }

  gltf2demo::ConvertedScene Convert(const tinygltf::Model& model, gltf2demo::SceneOptions options = {}) {
    options.partFolder = "data/part.demo_scene/";
    notes = gltf2demo::Notes();
    return gltf2demo::ConvertScene(model, options, notes);
  }

  // The largest coordinate of mesh `name`'s positions, read back by the engine's reader.
  float Extent(const gltf2demo::ConvertedScene& scene, const std::string& name) {
    for (const auto& mesh : scene.meshes) {
      if (mesh.name != name) continue;
      dir.Write("data/" + name + ".nbl", *mesh.bytes);
      engine::gfx::LoadNBLMesh read(engine::core::ToWide(dir.Path("data/" + name + ".nbl")));
      const float* p = static_cast<const float*>(read.GetData(0)->data);
      float most = 0;
      for (int i = 0; i < 3 * read.NumVertices(); ++i) most = std::max(most, std::fabs(p[i]));
      return most;
    }
    ADD_FAILURE() << "no mesh " << name;
    return 0;
  }

  static double Sunlight(const gltf2demo::ConvertedScene& scene, const std::string& mesh) {
    for (const auto& m : scene.meshes) {
      if (m.name != mesh) continue;
      const std::string param = "{\"Sunlight\", \"float\", ";
      const std::size_t at = m.material.find(param);
      return at == std::string::npos ? 1 : std::strtod(m.material.c_str() + at + param.size(), nullptr);
    }
    return -1;
  }

  testing_support::ScratchDir dir;
  gltf2demo::Notes notes;
};

TEST(FittingScaleTest, BringsTheRadiiIntoRangeByAPowerOfTen) {
  using gltf2demo::FittingScale;
  EXPECT_EQ(FittingScale(50, 50), 1);
  EXPECT_EQ(FittingScale(100, 100), 1);
  EXPECT_EQ(FittingScale(0.3, 0.3), 1);
  EXPECT_DOUBLE_EQ(FittingScale(480, 480), 0.1);
  EXPECT_DOUBLE_EQ(FittingScale(1760, 1760), 0.01);
  EXPECT_DOUBLE_EQ(FittingScale(0.02, 0.02), 100);
  // A prop on a ground: the ground decides only where it would pass the far plane.
  EXPECT_EQ(FittingScale(1, 150), 1);
  EXPECT_DOUBLE_EQ(FittingScale(1, 1500), 0.1);
  EXPECT_DOUBLE_EQ(FittingScale(0.1, 150), 1);
  EXPECT_DOUBLE_EQ(FittingScale(0.1, 15), 10);
  EXPECT_EQ(FittingScale(0, 0), 1);
  EXPECT_EQ(FittingScale(std::nan(""), 1), 1);
}

// Four boxes 500 units apart: the engine would draw only one flat colour of them.
TEST_F(SceneFitTest, ALargeSceneIsScaledAtTheRootAndItsCameraSeesAllOfIt) {
  const gltf2demo::ConvertedScene scene = Convert(featurescenes::PlacedCopies(4, 500, 20));
  ASSERT_TRUE(Says(notes.AddedLines(), "a scale of 0.1 on the whole scene")) << ::testing::PrintToString(notes.AddedLines());
  EXPECT_FALSE(Says(notes.Lines(), "far clip plane"));
  // Scaled in the translations and positions, never in a node's scale, so that cameras
  // and lamps below nodes are placed as the engine inverts them.
  const DemoObject* last = Find(scene.demo, "Pebble.3");
  ASSERT_TRUE(last);
  EXPECT_FLOAT_EQ(std::hypot(last->location[0], last->location[1], last->location[2]), 50 * std::sqrt(2.0f));
  for (const DemoObject& object : scene.demo.objects) {
    for (const auto& curve : object.curves) EXPECT_NE(curve.channel.substr(0, 5), "Scale") << object.name;
  }
  EXPECT_FLOAT_EQ(Extent(scene, "Pebble.0"), 2);
  const DemoObject* camera = Find(scene.demo, "Camera");
  ASSERT_TRUE(camera);
  // It sees all of the scene (a sphere of radius 37 round the middle) between the clip planes.
  const DemoObject* first = Find(scene.demo, "Pebble.0");
  double centre[3];
  for (int i = 0; i < 3; ++i) centre[i] = (first->location[i] + last->location[i]) / 2;
  const double toCentre =
      std::hypot(camera->location[0] - centre[0], camera->location[1] - centre[1], camera->location[2] - centre[2]);
  EXPECT_LT(toCentre + 37, 400);
  EXPECT_GT(toCentre - 37, 0.5);

  gltf2demo::SceneOptions asItIs;
  asItIs.scale = 1;
  const gltf2demo::ConvertedScene kept = Convert(featurescenes::PlacedCopies(4, 500, 20), asItIs);
  EXPECT_FALSE(Says(notes.AddedLines(), "a scale of"));
  EXPECT_TRUE(Says(notes.Lines(), "beyond the engine's far clip plane"));
  EXPECT_FLOAT_EQ(Find(kept.demo, "Pebble.3")->location[0], 500);
}

TEST_F(SceneFitTest, ATinySceneIsScaledUpAndOneThatFitsIsLeftAsItIs) {
  const gltf2demo::ConvertedScene tiny = Convert(featurescenes::PlacedCopies(2, 0.02, 0.005));
  EXPECT_TRUE(Says(notes.AddedLines(), "a scale of 100 on the whole scene"));
  EXPECT_FLOAT_EQ(Extent(tiny, "Pebble.0"), 0.5f);

  const gltf2demo::ConvertedScene fits = Convert(featurescenes::PlacedCopies(2, 3));
  EXPECT_FALSE(Says(notes.AddedLines(), "a scale of"));
  EXPECT_FLOAT_EQ(Extent(fits, "Pebble.0"), 0.5f);
}

// Exporters write a sun's intensity in lux; the engine's own units would make it 6830
// times the default sun.
TEST_F(SceneFitTest, ASunInLuxIsExposedForAndADarkSunReplaced) {
  tinygltf::Model model = featurescenes::Cameras(true);
  model.lights[0].intensity = 1;
  const double one = Sunlight(Convert(model), "Thing");
  model.lights[0].intensity = 6830;
  const double physical = Sunlight(Convert(model), "Thing");
  EXPECT_TRUE(Says(notes.AddedLines(), "light 'Noon': an exposure of 1/6.83e+03")) << ::testing::PrintToString(notes.AddedLines());
  EXPECT_FALSE(Says(notes.Lines(), "intensity"));
  EXPECT_GT(physical, one);
  EXPECT_LT(physical, 2 * one);

  for (bool noColour : {false, true}) {
    tinygltf::Model dark = featurescenes::Cameras(true);
    if (noColour) {
      dark.lights[0].color = {0, 0, 0};
    } else {
      dark.lights[0].intensity = 0;
    }
    const gltf2demo::ConvertedScene scene = Convert(dark);
    EXPECT_TRUE(Says(notes.AddedLines(), "the default sun's white light")) << noColour;
    EXPECT_NEAR(Sunlight(scene, "Thing"), 0.65, 1e-6);
    for (const auto& mesh : scene.meshes) {
      const std::size_t colour = mesh.material.find("\"SunColour\", \"float4\", {");
      if (colour != std::string::npos) {
        EXPECT_EQ(mesh.material.substr(colour + 23, 12), "{1, 1, 1, 1}") << mesh.material;
      }
    }
  }
}

TEST_F(SceneFitTest, OneMeshPlacedAThousandTimesIsOneMeshFile) {
  const gltf2demo::ConvertedScene scene = Convert(featurescenes::PlacedCopies(1000, 1.5, 0.5), [] {
    gltf2demo::SceneOptions options;
    options.post = false;
    return options;
  }());
  ASSERT_EQ(scene.meshes.size(), 1u);
  EXPECT_EQ(scene.meshes[0].name, "Pebble.0");
  int placed = 0;
  std::set<std::string> names;
  for (const DemoObject& object : scene.demo.objects) {
    if (object.type != "Mesh") continue;
    ++placed;
    names.insert(object.mesh);
  }
  EXPECT_EQ(placed, 1000);
  EXPECT_EQ(names, std::set<std::string>{"Pebble.0"});
}

TEST_F(SceneFitTest, ThePartRunsAsLongAsThePartItReplacesAndSaysHowTheAnimationDiffers) {
  const tinygltf::Model animated = featurescenes::TwoAnimatedNodes();  // 3 s
  gltf2demo::SceneOptions replacing;
  replacing.partSeconds = 24;
  EXPECT_EQ(Convert(animated, replacing).demo.length, 600);
  EXPECT_TRUE(Says(notes.Remarks(), "animation 0 lasts 3 s and the part 24 s (the part it replaces): it plays once"))
      << ::testing::PrintToString(notes.Remarks());

  replacing.partSeconds = 2;
  EXPECT_EQ(Convert(animated, replacing).demo.length, 50);
  EXPECT_TRUE(Says(notes.Remarks(), "the part ends before it does"));

  gltf2demo::SceneOptions chosen = replacing;
  chosen.lengthSeconds = 3;
  EXPECT_EQ(Convert(animated, chosen).demo.length, 75);
  EXPECT_TRUE(notes.Remarks().empty());

  EXPECT_EQ(Convert(animated).demo.length, 75);  // a new part: as long as its animation
  EXPECT_EQ(Convert(featurescenes::PlacedCopies(1, 1)).demo.length, 250);
}

}  // namespace

namespace {

// A kind of thing left out by many nodes is one line of stderr, not one a node.
TEST(NotesTest, AKindLeftOutByManyIsOneLineNamingAFew) {
  gltf2demo::Notes notes;
  notes.LeftOut("first");
  for (int i = 0; i < 7; ++i) notes.LeftOutOf("skins", "node " + std::to_string(i));
  notes.LeftOutOf("skins", "node 0");
  notes.LeftOut("last");
  notes.LeftOutOf("points", "mesh 'Dots'");
  EXPECT_EQ(notes.Lines(), (std::vector<std::string>{"first", "skins: node 0, node 1, node 2, node 3 and 3 more", "last",
                                                     "points: mesh 'Dots'"}));
  gltf2demo::Notes copy;
  copy.Append(notes);
  EXPECT_EQ(copy.Lines(), notes.Lines());
  gltf2demo::Notes two;
  two.LeftOutOf("skins", "a");
  two.LeftOutOf("skins", "b");
  EXPECT_EQ(two.Lines(), std::vector<std::string>{"skins: a and b"});
}

}  // namespace

namespace {

TEST_F(SceneFitTest, TheAddedCameraFramesWhatStandsOnAGroundNotTheGround) {
  const gltf2demo::ConvertedScene scene = Convert(featurescenes::PropOnGround());
  const DemoObject* camera = Find(scene.demo, "Camera");
  const DemoObject* prop = Find(scene.demo, "Prop");
  ASSERT_TRUE(camera && prop);
  const double toProp = std::hypot(camera->location[0] - prop->location[0], camera->location[1] - prop->location[1],
                                   camera->location[2] - prop->location[2]);
  EXPECT_LT(toProp, 10) << "the camera frames the whole ground";
  EXPECT_FALSE(Says(notes.Lines(), "clip plane")) << ::testing::PrintToString(notes.Lines());
}

// Conversions into a part's folder: the running time of the part already there is kept,
// and a mesh the program makes in that folder (a material without its mesh file) keeps
// its name and its material.
TEST_F(SceneFitTest, TheToolKeepsThePartsLengthAndTheProgramsOwnMeshes) {
  ASSERT_TRUE(featurescenes::Save(featurescenes::PlacedCopies(2, 3), dir.Path("pebbles.gltf"), false));
  dir.Write("data/part.demo_scene/Pebble.0.nbl.efx", "-- the program's own\n");
  const auto tool = [&](const std::string& switches) {
    const std::string command = std::string("cd '") + dir.Path("") + "' && '" + GLTF2DEMO + "' " + switches +
                                " pebbles.gltf data part 2> said.txt";
    return std::system(command.c_str());
  };
  ASSERT_EQ(tool("--length 24"), 0) << dir.Read("said.txt");
  ASSERT_EQ(tool(""), 0) << dir.Read("said.txt");
  const DemoFile file = engine::gfx::ReadDemoFile(dir.Path("data/part.demo"));
  EXPECT_EQ(file.length, 600);
  EXPECT_EQ(dir.Read("data/part.demo_scene/Pebble.0.nbl.efx"), "-- the program's own\n");
  EXPECT_EQ(Find(file, "Pebble.0")->mesh, "Pebble.0.001");
  EXPECT_EQ(Find(file, "Pebble.1")->mesh, "Pebble.0.001");
}

}  // namespace

namespace {

// The side of each triangle that faces away from `centre`, where `place` puts its
// corners: +1 where its front (by the engine's winding) does, -1 where its back does.
std::set<int> FacingSides(const engine::gfx::LoadMesh& mesh, float mirrorX) {
  const auto* p = static_cast<const engine::math::Vector3f*>(mesh.GetData(0)->data);
  const auto* index = reinterpret_cast<const std::uint32_t*>(mesh.Indices());
  std::set<int> sides;
  for (int t = 0; t + 2 < mesh.NumIndices(); t += 3) {
    engine::math::Vector3f corner[3];
    for (int k = 0; k < 3; ++k) {
      corner[k] = p[index[t + k]];
      corner[k].x *= mirrorX;
    }
    const engine::math::Vector3f normal = (corner[1] - corner[0]) ^ (corner[2] - corner[0]);
    const engine::math::Vector3f out = (corner[0] + corner[1] + corner[2]) * (1.0f / 3);
    sides.insert(normal * out > 0 ? 1 : -1);
  }
  return sides;
}

// glTF turns the front of a mirrored node's triangles round; the engine culls by winding
// alone, so the node would show the inside of its mesh.
TEST_F(SceneFitTest, AMirroredNodeGetsItsOwnMeshTurnedRoundSoItsOutsideShows) {
  tinygltf::Model model = featurescenes::PlacedCopies(3, 3);
  model.nodes[2].scale = {-1, 1, 1};  // "Pebble.1"
  const gltf2demo::ConvertedScene scene = Convert(model);
  ASSERT_EQ(Find(scene.demo, "Pebble.0")->mesh, "Pebble.0");
  ASSERT_EQ(Find(scene.demo, "Pebble.2")->mesh, "Pebble.0");
  ASSERT_EQ(Find(scene.demo, "Pebble.1")->mesh, "Pebble.1");
  std::unique_ptr<engine::gfx::LoadNBLMesh> meshes[2];
  for (int i = 0; i < 2; ++i) {
    const std::string name = "Pebble." + std::to_string(i);
    for (const auto& mesh : scene.meshes) {
      if (mesh.name == name) dir.Write("data/" + name + ".nbl", *mesh.bytes);
    }
    meshes[i].reset(new engine::gfx::LoadNBLMesh(engine::core::ToWide(dir.Path("data/" + name + ".nbl"))));
  }
  const std::set<int> plain = FacingSides(*meshes[0], 1);
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(FacingSides(*meshes[1], -1), plain) << "the mirrored copy shows its inside";
}

}  // namespace

namespace {

// A character's file: its first animation moves only a bone, which the part does not
// show; the second moves a mesh. The part plays the second unless told otherwise.
TEST_F(SceneFitTest, TheAnimationThatPlaysIsTheFirstThatMovesWhatThePartShows) {
  tinygltf::Model model = featurescenes::TwoAnimatedNodes();
  tinygltf::Node bone;
  bone.name = "Bone";
  model.nodes.push_back(bone);
  const int boneIndex = static_cast<int>(model.nodes.size() - 1);
  model.scenes[0].nodes.push_back(boneIndex);
  tinygltf::Animation skeletal = model.animations[0];
  skeletal.name = "Idle";
  for (auto& channel : skeletal.channels) channel.target_node = boneIndex;
  model.animations.insert(model.animations.begin(), skeletal);

  const gltf2demo::ConvertedScene chosen = Convert(model);
  EXPECT_FALSE(Find(chosen.demo, "Early")->curves.empty());
  EXPECT_TRUE(Find(chosen.demo, "Bone")->curves.empty());
  EXPECT_TRUE(Says(notes.Remarks(), "animation 1 plays, the first that moves what the part shows"))
      << ::testing::PrintToString(notes.Remarks());
  EXPECT_TRUE(Says(notes.Lines(), "animations other than animation 1 (one plays; --animation picks which): 0 'Idle'"));

  gltf2demo::SceneOptions first;
  first.animation = 0;
  const gltf2demo::ConvertedScene asked = Convert(model, first);
  EXPECT_TRUE(Find(asked.demo, "Early")->curves.empty());
  EXPECT_FALSE(Find(asked.demo, "Bone")->curves.empty());
  EXPECT_FALSE(Says(notes.Remarks(), "plays, the first"));

  // A node above a mesh shows what it moves; a skinned mesh's node does not.
  model.nodes[static_cast<std::size_t>(boneIndex)].children.push_back(0);
  model.scenes[0].nodes.erase(model.scenes[0].nodes.begin());
  Convert(model);
  EXPECT_FALSE(Says(notes.Remarks(), "plays, the first")) << "the bone carries a mesh: animation 0 plays";
}

}  // namespace
