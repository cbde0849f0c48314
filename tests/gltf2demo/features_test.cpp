// gltf2demo on the small scenes of featureScenes.h: textures from every place a file keeps
// them and the materials that show them, vertex colours as the engine's reader gets them,
// hierarchies from matrices against TRS ones, index forms and sparse data, scene choice,
// cameras, what it leaves out and adds, per-node key frames, and broken pictures.

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/filesystem.hpp>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/gfx/animationController.h"
#include "engine/gfx/animationPipe.h"
#include "engine/gfx/animationTrack.h"
#include "featureScenes.h"
#include "support/scratch_dir.h"
#include "tools/gltf2demo/gltfError.h"
#include "tools/gltf2demo/sceneConversion.h"

namespace {

namespace scenes = featurescenes;
using engine::gfx::DemoFile;
using engine::gfx::DemoObject;
using engine::math::Vector3f;
using scenes::ImageSource;

constexpr double Pi = 3.14159265358979323846;
constexpr int R32G32B32A32Float = 2;

int Count(const std::string& text, const std::string& what) {
  int count = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
  return count;
}

int Count(const std::vector<std::string>& lines, const std::string& what) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                        [&](const std::string& l) { return l.find(what) != std::string::npos; }));
}

const DemoObject* Find(const DemoFile& file, const std::string& name) {
  for (const DemoObject& object : file.objects) {
    if (object.name == name) return &object;
  }
  return nullptr;
}

// glTF (x, y, z) is the engine's (x, z, y).
Vector3f Engine(double x, double y, double z) {
  return Vector3f(static_cast<float>(x), static_cast<float>(z), static_cast<float>(y));
}

double Display(double linear) {
  return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

// An object's placement as the engine's loader builds it: its location and rotation as
// held channels, replaced by its curves of the same channels (a rest scale is carried by
// curves), played to frame 1 in the controller's channel order.
engine::gfx::Transformation Local(const DemoObject& object) {
  using namespace engine::gfx;
  std::vector<engine::gfx::DemoCurve> curves;
  for (int axis = 0; axis < 3; ++axis) {
    const std::string name(1, static_cast<char>('X' + axis));
    const float rotation = static_cast<float>(object.rotation[axis] * 18 / Pi);
    curves.push_back({"Loc" + name, "Constant", "Constant", {{0, 0, 1, object.location[axis], 0, 0}}});
    curves.push_back({"Rot" + name, "Constant", "Constant", {{0, 0, 1, rotation, 0, 0}}});
  }
  curves.insert(curves.end(), object.curves.begin(), object.curves.end());
  AnimationController controller;
  for (const auto& curve : curves) {
    std::unique_ptr<AnimationTrack> track(curve.interpolation == "Linear"
                                              ? static_cast<AnimationTrack*>(new LinearAnimationTrack)
                                              : new ConstantAnimationTrack);
    for (const auto& key : curve.keys) track->AddKey(key.time, key.value);
    track->SetExtrapolation(ExtrapolationMode::Constant);
    track->Seek(1);
    const int axis = curve.channel.back() - 'X';
    const Vector3f direction(axis == 0 ? 1.f : 0.f, axis == 1 ? 1.f : 0.f, axis == 2 ? 1.f : 0.f);
    const std::string kind = curve.channel.substr(0, curve.channel.size() - 1);
    AnimationPipe* pipe =
        kind == "Loc"   ? new LocPipe(ChannelLocX + axis, std::move(track), direction)
        : kind == "Rot" ? static_cast<AnimationPipe*>(new RotPipe(ChannelRotX + 2 * axis, std::move(track), direction))
                        : new ScalePipe(ChannelScaleX + axis, std::move(track), direction);
    controller.AddPipe(std::unique_ptr<AnimationPipe>(pipe));
  }
  return controller.BuildTransformation(0);
}

// `p` in the object's frame, in the world.
Vector3f World(const DemoFile& file, const std::string& name, Vector3f p) {
  for (const DemoObject* object = Find(file, name); object;
       object = object->parent.empty() ? nullptr : Find(file, object->parent)) {
    const engine::gfx::Transformation t = Local(*object);
    p = p * t.rotate + t.translate;
  }
  return p;
}

const engine::gfx::PVData* Stream(const engine::gfx::LoadMesh& mesh, const std::string& name) {
  for (unsigned i = 0; i < mesh.NumData(); ++i) {
    if (mesh.GetData(i)->name == name) return mesh.GetData(i);
  }
  return nullptr;
}

template <class T>
const T* Values(const engine::gfx::LoadMesh& mesh, const std::string& name) {
  const engine::gfx::PVData* stream = Stream(mesh, name);
  return stream ? static_cast<const T*>(stream->data) : nullptr;
}

class FeatureTest : public ::testing::Test {
 protected:
  ~FeatureTest() override { delete engine::core::Logging::mInstance; }

  gltf2demo::ConvertedScene Convert(const tinygltf::Model& model, gltf2demo::SceneOptions options = {}) {
    if (options.partFolder.empty()) options.partFolder = "data/part.demo_scene/";
    notes = gltf2demo::Notes();
    return gltf2demo::ConvertScene(model, options, notes);
  }

  // Runs the tool on `scene` into OUT/part; its standard error goes to `said`.
  int Tool(const std::string& scene, const std::string& out, const std::string& switches = "") {
    const std::string command = std::string("cd '") + dir.Path("") + "' && '" + GLTF2DEMO + "' " + switches + " " +
                                scene + " " + out + " part 2> said.txt";
    const int status = std::system(command.c_str());
    said = dir.Read("said.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : boost::filesystem::directory_iterator(dir.Path(folder)))
      names.insert(entry.path().filename().string());
    return names;
  }

  // The converted mesh `name` read back through the engine's reader.
  std::unique_ptr<engine::gfx::LoadNBLMesh> Mesh(const gltf2demo::ConvertedScene& scene, const std::string& name) {
    for (const auto& mesh : scene.meshes) {
      if (mesh.name != name) continue;
      dir.Write("data/" + name + ".nbl", *mesh.bytes);
      return std::unique_ptr<engine::gfx::LoadNBLMesh>(
          new engine::gfx::LoadNBLMesh(engine::core::ToWide(dir.Path("data/" + name + ".nbl"))));
    }
    ADD_FAILURE() << "no mesh " << name;
    return nullptr;
  }

  // The material's Sunlight, 1 where it sets none.
  static double Sunlight(const std::string& material) {
    const std::string param = "{\"Sunlight\", \"float\", ";
    const std::size_t at = material.find(param);
    return at == std::string::npos ? 1 : std::strtod(material.c_str() + at + param.size(), nullptr);
  }

  static std::string Material(const gltf2demo::ConvertedScene& scene, const std::string& name) {
    for (const auto& mesh : scene.meshes) {
      if (mesh.name == name) return mesh.material;
    }
    return "(no mesh " + name + ")";
  }

  testing_support::ScratchDir dir;
  gltf2demo::Notes notes;
  std::string said;
};

TEST_F(FeatureTest, TexturesAreWrittenBesideTheMeshesFromWhereverTheSceneKeepsThem) {
  const struct {
    const char* scene;
    ImageSource source;
    const char* image;  // the file it becomes: the image's name, its file's, else its number
    std::string bytes;
  } cases[] = {{"embedded.glb", ImageSource::BufferView, "Checker.png", scenes::CheckerPng()},
               {"beside.gltf", ImageSource::File, "checker.jpg", scenes::CheckerJpeg()},
               {"inline.gltf", ImageSource::DataUri, "image0.png", scenes::CheckerPng()}};
  dir.Write("checker.jpg", scenes::CheckerJpeg());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scene);
    const std::string out = std::string("out-") + c.scene;
    ASSERT_TRUE(scenes::Save(scenes::TexturedBox(c.source), dir.Path(c.scene),
                             std::string(c.scene).find(".glb") != std::string::npos));
    ASSERT_EQ(Tool(c.scene, out), 0) << said;
    EXPECT_EQ(FilesIn(out + "/part.demo_scene"),
              (std::set<std::string>{"Crate.nbl", "Crate.nbl.efx", "Post.nbl", "Post.nbl.efx", c.image}));
    EXPECT_TRUE(dir.Read(out + "/part.demo_scene/" + c.image) == c.bytes) << "the picture is not the scene's own bytes";

    const std::string material = dir.Read(out + "/part.demo_scene/Crate.nbl.efx");
    for (const std::string& expected :
         {std::string("{template = \"fx/shadowcaster.tpl\""), std::string("fx = \"gltf\", tec = \"Opaque_UV1\""),
          "{\"BaseColourMap\", \"tex\", \"data/part.demo_scene/" + std::string(c.image) + "\"}",
          std::string("{\"BaseColourSampling\", \"float4\", {1, 1, 2, 1}}")})
      EXPECT_EQ(Count(material, expected), 1) << expected << " in\n" << material;

    // The material names set 1; set 0 holds the mirror image and is left out, unsaid.
    EXPECT_EQ(Count(said, "texture coordinate set"), 0) << said;
    dir.Write("data/crate.nbl", dir.Read(out + "/part.demo_scene/Crate.nbl"));
    engine::gfx::LoadNBLMesh mesh(L"data/crate.nbl");
    const std::vector<float> expected = scenes::TexturedBoxCoordinates();
    ASSERT_EQ(static_cast<std::size_t>(mesh.NumVertices()) * 2, expected.size());
    const float* uvs = Values<float>(mesh, "TEXCOORD");
    ASSERT_TRUE(uvs);
    EXPECT_EQ(std::vector<float>(uvs, uvs + expected.size()), expected);
  }
}

// A texture transform (offset, a quarter turn counter-clockwise, scale) is baked into the
// mesh's coordinates; its texCoord picks the set, here back to the mirrored set 0.
TEST_F(FeatureTest, ATextureTransformIsBakedIntoTheCoordinates) {
  tinygltf::Model model = scenes::TexturedBox(ImageSource::BufferView);
  const double pi = 3.14159265358979323846;
  tinygltf::Value::Object transform = {
      {"offset", tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(0.5), tinygltf::Value(0.25)})},
      {"rotation", tinygltf::Value(pi / 2)},
      {"scale", tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(2.0), tinygltf::Value(0.5)})},
      {"texCoord", tinygltf::Value(0)}};
  model.materials[0].pbrMetallicRoughness.baseColorTexture.extensions["KHR_texture_transform"] = tinygltf::Value(transform);
  const gltf2demo::ConvertedScene scene = Convert(model);
  EXPECT_EQ(Count(notes.Lines(), "texture coordinate set"), 0);
  auto mesh = Mesh(scene, "Crate");
  ASSERT_TRUE(mesh);
  const float* uvs = Values<float>(*mesh, "TEXCOORD");
  ASSERT_TRUE(uvs);
  // Set 0 of the box: set 1 mirrored left to right.
  const std::vector<float> upright = scenes::TexturedBoxCoordinates();
  ASSERT_EQ(static_cast<std::size_t>(mesh->NumVertices()) * 2, upright.size());
  for (std::size_t v = 0; v < upright.size() / 2; ++v) {
    const double u = 1 - upright[2 * v], w = upright[2 * v + 1];
    // offset + R(90 degrees) (2u, 0.5w) = (0.5 - 0.5w, 0.25 + 2u)
    EXPECT_NEAR(uvs[2 * v], 0.5 - 0.5 * w, 1e-5) << "vertex " << v;
    EXPECT_NEAR(uvs[2 * v + 1], 0.25 + 2 * u, 1e-5) << "vertex " << v;
  }
}

// TexturedBox with materials 1 and 2 joining "Wood" on primitives of their own: "Pine"
// shares its image, "Oak" shows another image that is also called "Checker".
tinygltf::Model ThreeWoods() {
  tinygltf::Model model = scenes::TexturedBox(ImageSource::BufferView);
  model.images.push_back(model.images[0]);
  model.textures.push_back(model.textures[0]);
  model.textures[1].source = 1;
  for (const char* name : {"Pine", "Oak"}) {
    model.materials.push_back(model.materials[0]);
    model.materials.back().name = name;
  }
  model.materials[2].pbrMetallicRoughness.baseColorTexture.index = 1;
  for (int m : {1, 2}) {
    model.meshes[0].primitives.push_back(model.meshes[0].primitives[0]);
    model.meshes[0].primitives.back().material = m;
  }
  return model;
}

// Here the texture has no sampler (repeating and filtered, so the material needs no
// settings) and the surfaces take no shadows.
TEST_F(FeatureTest, AnImageIsWrittenOnceHoweverManyMaterialsShowIt) {
  tinygltf::Model model = ThreeWoods();
  model.textures[0].sampler = -1;
  gltf2demo::SceneOptions options;
  options.shadows = false;
  options.partFolder = "data/intro.demo_scene/";
  const gltf2demo::ConvertedScene scene = Convert(model, options);
  ASSERT_EQ(scene.images.size(), 2u);
  EXPECT_EQ(scene.images[0].name, "Checker.png");
  EXPECT_TRUE(scene.images[0].bytes == scenes::CheckerPng());
  EXPECT_NE(scene.images[1].name, scene.images[0].name);
  for (const char* mesh : {"Crate", "Crate.1"}) {
    const std::string material = Material(scene, mesh);
    EXPECT_EQ(material.find("template"), std::string::npos) << material;
    EXPECT_NE(material.find("{\"BaseColourMap\", \"tex\", \"data/intro.demo_scene/Checker.png\"}"), std::string::npos)
        << material;
    EXPECT_NE(material.find("{\"BaseColourSampling\", \"float4\", {1, 0, 0, 0}}"), std::string::npos) << material;
  }
  EXPECT_NE(Material(scene, "Crate.2").find("/" + scene.images[1].name + "\""), std::string::npos)
      << Material(scene, "Crate.2");
}

// A clash is settled before the extension, so the file still reads as its kind ("Checker.001.png").
TEST_F(FeatureTest, ImagesOfOneNameKeepTheirExtensionWhenMadeUnique) {
  const gltf2demo::ConvertedScene scene = Convert(ThreeWoods());
  ASSERT_EQ(scene.images.size(), 2u);
  const std::string& second = scene.images[1].name;
  EXPECT_EQ(second.substr(second.size() - 4), ".png") << second << ": the file's name no longer says what it holds";
}

TEST_F(FeatureTest, VertexColoursReachTheEnginesReaderAsDisplayValues) {
  const gltf2demo::ConvertedScene scene = Convert(scenes::ColouredBoxes());
  // The second primitive is a mesh object of its own below the node's.
  const DemoObject* second = Find(scene.demo, "Tinted.1");
  ASSERT_TRUE(second && Find(scene.demo, "Tinted"));
  EXPECT_EQ(second->parent, "Tinted");
  EXPECT_EQ(second->mesh, "Tinted.1");
  EXPECT_NE(Material(scene, "Tinted").find("tec = \"Opaque_UV0_Colour\""), std::string::npos)
      << Material(scene, "Tinted");
  EXPECT_NE(Material(scene, "Tinted").find("glTF material 'Tiled'"), std::string::npos);
  EXPECT_NE(Material(scene, "Tinted.1").find("tec = \"Opaque_Colour\""), std::string::npos)
      << Material(scene, "Tinted.1");
  EXPECT_NE(Material(scene, "Tinted.1").find("{\"BaseColourFactor\", \"float4\", {0.8, 0.8, 0.8, 1}}"),
            std::string::npos);

  {
    SCOPED_TRACE("float VEC4, top white, bottom blue and part transparent");
    auto mesh = Mesh(scene, "Tinted");
    ASSERT_TRUE(mesh && Stream(*mesh, "COLOR"));
    EXPECT_EQ(Stream(*mesh, "COLOR")->format, R32G32B32A32Float);
    const auto* positions = Values<Vector3f>(*mesh, "POSITION");
    const auto* colours = Values<float>(*mesh, "COLOR");
    for (int v = 0; v < mesh->NumVertices(); ++v) {
      const float* linear = positions[v].z > 0 ? scenes::LeftTopColour : scenes::LeftBottomColour;
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(colours[4 * v + c], Display(linear[c]), 1e-5) << "vertex " << v;
      EXPECT_FLOAT_EQ(colours[4 * v + 3], linear[3]) << "vertex " << v;
    }
  }
  {
    SCOPED_TRACE("normalised byte VEC3, a colour a face");
    auto mesh = Mesh(scene, "Tinted.1");
    ASSERT_TRUE(mesh && Stream(*mesh, "COLOR"));
    const auto* normals = Values<Vector3f>(*mesh, "NORMAL");
    const auto* colours = Values<float>(*mesh, "COLOR");
    for (int v = 0; v < mesh->NumVertices(); ++v) {
      // The face from its normal, in featureScenes' order +x, -x, +y, -y, +z, -z (glTF axes).
      const Vector3f& n = normals[v];
      const int face = std::fabs(n.x) > 0.5f   ? (n.x > 0 ? 0 : 1)
                       : std::fabs(n.z) > 0.5f ? (n.z > 0 ? 2 : 3)
                                               : (n.y > 0 ? 4 : 5);
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(colours[4 * v + c], Display(scenes::RightFaceColours[face][c] / 255.0), 1e-5) << "vertex " << v;
      EXPECT_EQ(colours[4 * v + 3], 1.0f) << "vertex " << v;
    }
  }
}

TEST_F(FeatureTest, MatrixAndTrsHierarchiesPlaceMeshesWhereGltfDoes) {
  const gltf2demo::ConvertedScene scene = Convert(scenes::Hierarchy());
  // The glTF world corners: parent matrix times child matrix times the corner.
  const auto apply = [](const std::array<double, 16>& m, const std::array<double, 3>& p) {
    std::array<double, 3> out;
    for (int r = 0; r < 3; ++r) out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
    return out;
  };
  std::vector<Vector3f> expected;
  for (const auto& corner : scenes::MarkerCorners()) {
    const auto w = apply(scenes::ParentMatrix(), apply(scenes::ChildMatrix(), corner));
    expected.push_back(Engine(w[0], w[1], w[2]));
  }
  for (const char* child : {"MatrixChild", "TrsChild"}) {
    SCOPED_TRACE(child);
    // Both nodes place the one mesh file of the glTF mesh they share.
    const DemoObject* object = Find(scene.demo, child);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->mesh, "MatrixChild");
    auto mesh = Mesh(scene, object->mesh);
    ASSERT_TRUE(mesh);
    const auto* positions = Values<Vector3f>(*mesh, "POSITION");
    std::set<std::size_t> reached;
    for (int v = 0; v < mesh->NumVertices(); ++v) {
      const Vector3f world = World(scene.demo, child, positions[v]);
      std::size_t nearest = 0;
      for (std::size_t k = 1; k < expected.size(); ++k) {
        if ((expected[k] - world).Mag() < (expected[nearest] - world).Mag()) nearest = k;
      }
      EXPECT_LT((expected[nearest] - world).Mag(), 1e-4) << "vertex " << v << " lies at no corner";
      reached.insert(nearest);
    }
    EXPECT_EQ(reached.size(), expected.size());
  }
  EXPECT_TRUE(notes.Lines().empty()) << notes.Lines().front();
}

TEST_F(FeatureTest, IndexFormsAndSparseDataGiveTheTrianglesTheyDescribe) {
  const gltf2demo::ConvertedScene scene = Convert(scenes::Geometry());
  const struct {
    const char* mesh;
    std::vector<scenes::Triangle> triangles;
  } cases[] = {{"Loose", scenes::LooseTriangles()},
               {"Bytes", scenes::QuadTriangles(false)},
               {"Zeroed", scenes::ZeroedTriangles()},
               {"Patched", scenes::QuadTriangles(true)}};
  // A triangle as the set of its corners, in engine axes, rounded to thousandths.
  using Corners = std::set<std::array<long, 3>>;
  const auto key = [](const Vector3f& p) {
    return std::array<long, 3>{std::lround(p.x * 1000), std::lround(p.y * 1000), std::lround(p.z * 1000)};
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mesh);
    auto mesh = Mesh(scene, c.mesh);
    ASSERT_TRUE(mesh);
    const auto* positions = Values<Vector3f>(*mesh, "POSITION");
    const auto* indices = reinterpret_cast<const std::uint32_t*>(mesh->Indices());
    ASSERT_EQ(mesh->NumIndices(), static_cast<int>(3 * c.triangles.size()));
    std::multiset<Corners> got, want;
    for (int t = 0; t < mesh->NumIndices() / 3; ++t)
      got.insert(
          {key(positions[indices[3 * t]]), key(positions[indices[3 * t + 1]]), key(positions[indices[3 * t + 2]])});
    for (const auto& t : c.triangles) {
      Corners corners;
      for (const auto& p : t) corners.insert(key(Engine(p[0], p[1], p[2])));
      want.insert(corners);
    }
    EXPECT_EQ(got, want);
  }
}

TEST_F(FeatureTest, TheSceneTheFileNamesIsConvertedUnlessAnotherIsPicked) {
  const tinygltf::Model model = scenes::TwoScenes();
  gltf2demo::ConvertedScene scene = Convert(model);
  EXPECT_TRUE(Find(scene.demo, "Second") && !Find(scene.demo, "First"));
  EXPECT_EQ(Count(notes.Lines(), "scenes other than scene 1 (1; --scene picks which)"), 1);

  gltf2demo::SceneOptions first;
  first.scene = 0;
  scene = Convert(model, first);
  EXPECT_TRUE(Find(scene.demo, "First") && !Find(scene.demo, "Second"));

  first.scene = 2;
  try {
    Convert(model, first);
    ADD_FAILURE() << "scene 2 of two converted";
  } catch (const gltf2demo::GltfError& e) {
    EXPECT_STREQ(e.what(), "there is no scene 2; the file has 2");
  }

  ASSERT_TRUE(scenes::Save(model, dir.Path("two.gltf"), false));
  ASSERT_EQ(Tool("two.gltf", "out", "--scene 0"), 0) << said;
  const DemoFile file = engine::gfx::ReadDemoFile(dir.Path("out/part.demo"));
  EXPECT_TRUE(Find(file, "First") && !Find(file, "Second"));
}

TEST_F(FeatureTest, AnOrthographicCameraIsLeftOutAndOneThatFramesTheSceneAdded) {
  for (bool perspective : {false, true}) {
    SCOPED_TRACE(perspective ? "with a perspective camera too" : "orthographic only");
    const gltf2demo::ConvertedScene scene = Convert(scenes::Cameras(perspective));
    EXPECT_EQ(Count(notes.Lines(), "camera 'Flat': a camera that is not perspective (orthographic)"), 1);
    const auto cameras = std::count_if(scene.demo.objects.begin(), scene.demo.objects.end(),
                                       [](const DemoObject& o) { return o.type == "Camera"; });
    EXPECT_EQ(cameras, 1);
    const DemoObject* camera = Find(scene.demo, "Camera");
    ASSERT_TRUE(camera);
    if (perspective) {
      // That scene has its own sun too, whose light the materials take.
      EXPECT_EQ(camera->parent, "Eye");
      EXPECT_TRUE(notes.AddedLines().empty()) << notes.AddedLines().front();
      EXPECT_NE(Material(scene, "Thing").find("{\"SunColour\", \"float4\", {1, 0.7354, 0.5371, 1}}"), std::string::npos)
          << Material(scene, "Thing");
      tinygltf::Model gentler = scenes::Cameras(true);
      gentler.lights[0].intensity = 1;
      EXPECT_NEAR(Sunlight(Material(scene, "Thing")), 3 * Sunlight(Material(Convert(gentler), "Thing")), 1e-3);
      continue;
    }
    EXPECT_EQ(Count(notes.AddedLines(), "a \"Lamp\""), 1);
    ASSERT_EQ(Count(notes.AddedLines(), "a \"Camera\" that frames the scene"), 1);
    EXPECT_EQ(camera->parent, "");
    // It looks (its +z) at the box, from outside it.
    const Vector3f eye = World(scene.demo, "Camera", Vector3f(0, 0, 0));
    const Vector3f look = World(scene.demo, "Camera", Vector3f(0, 0, 1)) - eye;
    const Vector3f toBox = Engine(0, 0.5, 0) - eye;
    EXPECT_GT(toBox.Mag(), 1.5f);
    EXPECT_GT((look * toBox) / (look.Mag() * toBox.Mag()), std::cos(Pi / 180));
  }
}

// A camera below a scaled node (a model scaled to a hundredth) is seen from where glTF
// puts it: the engine would invert the scale away, so the camera is placed at top level
// where its node rests, looking the same way, and the notes say it no longer follows.
TEST_F(FeatureTest, ACameraBelowAScaledNodeIsPlacedWhereItsNodeRests) {
  tinygltf::Model model = scenes::Cameras(true);
  int eye = -1;
  for (std::size_t n = 0; n < model.nodes.size(); ++n)
    if (model.nodes[n].name == "Eye") eye = static_cast<int>(n);
  ASSERT_GE(eye, 0);
  model.nodes[static_cast<std::size_t>(eye)].translation = {0, 50, 600};
  tinygltf::Node shrink;
  shrink.name = "Shrink";
  shrink.scale = {0.01, 0.01, 0.01};
  shrink.children = {eye};
  model.nodes.push_back(shrink);
  for (int& root : model.scenes[0].nodes)
    if (root == eye) root = static_cast<int>(model.nodes.size() - 1);
  const gltf2demo::ConvertedScene scene = Convert(model);
  const DemoObject* camera = Find(scene.demo, "Camera");
  ASSERT_TRUE(camera);
  EXPECT_EQ(camera->parent, "");
  const Vector3f at = World(scene.demo, "Camera", Vector3f(0, 0, 0));
  EXPECT_LT((at - Engine(0, 0.5, 6)).Mag(), 1e-4f);
  const Vector3f look = World(scene.demo, "Camera", Vector3f(0, 0, 1)) - at;
  EXPECT_LT((look - Engine(0, 0, -1)).Mag(), 1e-4f) << "it looks along glTF's -z, as its node does";
  EXPECT_EQ(Count(notes.Lines(), "camera 'Camera': following node 'Eye', which is scaled"), 1);
}

TEST_F(FeatureTest, SkinsAndMorphTargetsAreLeftOutAndTheMeshKeptInItsRestShape) {
  const gltf2demo::ConvertedScene scene = Convert(scenes::SkinnedAndMorphed());
  for (const char* line :
       {"skins (the engine has no skinning: the meshes stay in their bind pose): node 'Flag', mesh 'Flag' JOINTS_0 "
        "and mesh 'Flag' WEIGHTS_0",
        "morph targets (the meshes keep their base shapes): mesh 'Flag'",
        "animations of morph target weights: animation 0 channel 0"})
    EXPECT_EQ(Count(notes.Lines(), line), 1) << line;
  auto mesh = Mesh(scene, "Flag");
  ASSERT_TRUE(mesh);
  ASSERT_EQ(mesh->NumVertices(), 4);
  // The target would lift the far corners out of the quad's plane (engine y = glTF z).
  const auto* positions = Values<Vector3f>(*mesh, "POSITION");
  for (int v = 0; v < 4; ++v) EXPECT_EQ(positions[v].y, 0.0f) << "vertex " << v;
  EXPECT_TRUE(Find(scene.demo, "Bone"));
}

TEST_F(FeatureTest, EachAnimatedNodeKeepsItsOwnKeyFrames) {
  const gltf2demo::ConvertedScene scene = Convert(scenes::TwoAnimatedNodes());
  EXPECT_EQ(scene.demo.length, 75);  // the later node's last key, 3 s
  const auto keyFrames = [&](const std::string& object, const std::string& prefix) {
    std::vector<std::vector<float>> out;
    for (const auto& curve : Find(scene.demo, object)->curves) {
      if (curve.channel.rfind(prefix, 0) != 0) continue;
      out.emplace_back();
      for (const auto& key : curve.keys) out.back().push_back(key.time);
    }
    return out;
  };
  EXPECT_EQ(keyFrames("Early", "Loc"), (std::vector<std::vector<float>>(3, {1, 11})));
  EXPECT_EQ(keyFrames("Late", "Scale"), (std::vector<std::vector<float>>(3, {26, 51, 76})));
  EXPECT_TRUE(keyFrames("Early", "Scale").empty());
  EXPECT_TRUE(keyFrames("Late", "Loc").empty());
  EXPECT_FLOAT_EQ(Find(scene.demo, "Early")->curves[0].keys[1].value, 1);
  for (const auto& curve : Find(scene.demo, "Late")->curves) EXPECT_FLOAT_EQ(curve.keys[1].value, 2) << curve.channel;
}

TEST_F(FeatureTest, AnImageViewPastItsBufferStopsTheConversionNamingTheImage) {
  tinygltf::Model model = scenes::TexturedBox(ImageSource::BufferView);
  tinygltf::BufferView& view = model.bufferViews[static_cast<std::size_t>(model.images[0].bufferView)];
  view.byteLength = model.buffers[0].data.size() - view.byteOffset + 1;
  ASSERT_TRUE(scenes::Save(model, dir.Path("broken.gltf"), false));
  EXPECT_EQ(Tool("broken.gltf", "out"), 1);
  EXPECT_EQ(said, "gltf2demo: broken.gltf: image 0 'Checker': its buffer view reaches past the end of buffer 0\n");
  EXPECT_FALSE(dir.Exists("out"));
}

TEST_F(FeatureTest, APictureThatCannotBeUsedIsLeftOutAndTheSceneStillConverts) {
  ASSERT_TRUE(scenes::Save(scenes::TexturedBox(ImageSource::File), dir.Path("scene.gltf"), false));
  const struct {
    const char* name;
    const char* file;  // checker.jpg; null: none there
    const char* note;
  } cases[] = {
      {"not a picture", "GIF89a, or anything else that is not a PNG or JPEG file",
       "left out: the textures that show image 0: it is not a PNG, JPEG or WebP picture"},
      {"missing", nullptr, "left out: the textures that show image 0: its file 'checker.jpg' cannot be read"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    boost::filesystem::remove_all(dir.Path("out"));
    if (c.file)
      dir.Write("checker.jpg", c.file);
    else
      boost::filesystem::remove(dir.Path("checker.jpg"));
    ASSERT_EQ(Tool("scene.gltf", "out"), 0) << said;
    EXPECT_EQ(Count(said, c.note), 1) << said;
    EXPECT_EQ(FilesIn("out/part.demo_scene"),
              (std::set<std::string>{"Crate.nbl", "Crate.nbl.efx", "Post.nbl", "Post.nbl.efx"}));
    const std::string material = dir.Read("out/part.demo_scene/Crate.nbl.efx");
    EXPECT_NE(material.find("tec = \"Opaque_Plain\""), std::string::npos) << material;
    EXPECT_EQ(material.find("BaseColourMap"), std::string::npos) << material;
  }
}

}  // namespace
