// gltf2demo's budget for one glTF file: a mesh that several nodes show is converted,
// written and counted once, every byte of every file the tool writes is counted, and a scene one vertex or one byte past the
// budget is refused with a message that names what asked, how much, and the budget.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/NBLMesh.h"
#include "featureScenes.h"
#include "support/scratch_dir.h"
#include "tools/demo/demoWriter.h"
#include "tools/gltf2demo/gltfError.h"
#include "tools/gltf2demo/sceneConversion.h"

namespace {

namespace scenes = featurescenes;

class BudgetTest : public ::testing::Test {
 protected:
  ~BudgetTest() override { delete engine::core::Logging::mInstance; }

  gltf2demo::ConvertedScene Convert(const tinygltf::Model& model, const gltf2demo::BudgetLimits& budget = {}) {
    gltf2demo::SceneOptions options;
    options.partFolder = "data/part.demo_scene/";
    options.budget = budget;
    gltf2demo::Notes notes;
    return gltf2demo::ConvertScene(model, options, notes);
  }

  // The message of the conversion's refusal; empty when it converts.
  std::string Refusal(const tinygltf::Model& model, const gltf2demo::BudgetLimits& budget) {
    try {
      Convert(model, budget);
    } catch (const gltf2demo::GltfError& e) {
      return e.what();
    }
    return "";
  }

  // What the tool writes for `scene`: every mesh file and material, the pictures and the
  // demo file.
  static std::uint64_t BytesWritten(const gltf2demo::ConvertedScene& scene) {
    std::uint64_t bytes = demo::EncodeDemoFile(scene.demo).size();
    for (const auto& mesh : scene.meshes) bytes += mesh.bytes->size() + mesh.material.size();
    for (const auto& image : scene.images) bytes += image.bytes.size();
    return bytes;
  }

  // The vertices of the mesh files made from the scene's glTF meshes, each image once.
  std::uint64_t VerticesConverted(const gltf2demo::ConvertedScene& scene) {
    std::set<const std::string*> seen;
    std::uint64_t vertices = 0;
    for (const auto& mesh : scene.meshes) {
      if (mesh.name == "Post" || !seen.insert(mesh.bytes.get()).second) continue;
      dir.Write("data/mesh.nbl", *mesh.bytes);
      vertices += static_cast<std::uint64_t>(
          engine::gfx::LoadNBLMesh(engine::core::ToWide(dir.Path("data/mesh.nbl"))).NumVertices());
    }
    return vertices;
  }

  testing_support::ScratchDir dir;
};

TEST_F(BudgetTest, AMeshShownByTwoNodesIsConvertedAndWrittenOnce) {
  const gltf2demo::ConvertedScene scene = Convert(scenes::Hierarchy());
  std::set<std::string> names;
  for (const auto& mesh : scene.meshes) {
    if (mesh.name != "Post") names.insert(mesh.name);
  }
  EXPECT_EQ(names, (std::set<std::string>{"MatrixChild"}));

  // Its vertices count once: a budget of exactly them converts, one fewer does not, and
  // is refused before the mesh is read.
  const std::uint64_t vertices = VerticesConverted(scene);
  ASSERT_GT(vertices, 0u);
  EXPECT_EQ(Refusal(scenes::Hierarchy(), {vertices, gltf2demo::DefaultMostBytes}), "");
  EXPECT_EQ(Refusal(scenes::Hierarchy(), {vertices - 1, gltf2demo::DefaultMostBytes}),
            "mesh 'Marker': at least " + std::to_string(vertices) + " more vertices would make at least " +
                std::to_string(vertices) +
                ", more than the budget of " + std::to_string(vertices - 1) +
                " vertices in the mesh files for one glTF file (see gltf2demo --help)");
}

// Scenes with a shared mesh, a picture and animation curves: the budget is exactly what
// the tool writes for them, so that a byte less refuses the scene.
TEST_F(BudgetTest, EveryByteWrittenCounts) {
  const struct {
    const char* name;
    tinygltf::Model model;
  } cases[] = {{"shared mesh", scenes::Hierarchy()},
               {"picture", scenes::TexturedBox(scenes::ImageSource::BufferView)},
               {"curves", scenes::TwoAnimatedNodes()}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint64_t bytes = BytesWritten(Convert(c.model));
    EXPECT_EQ(Refusal(c.model, {gltf2demo::DefaultMostVertices, bytes}), "");
    const std::string refusal = Refusal(c.model, {gltf2demo::DefaultMostVertices, bytes - 1});
    EXPECT_NE(refusal.find(", more than the budget of " + std::to_string(bytes - 1) +
                           " bytes written for one glTF file (see gltf2demo --help)"),
              std::string::npos)
        << refusal;
  }
}

// A mesh file is counted once however many nodes place it: a budget of exactly what is
// written converts the scene (EveryByteWrittenCounts), and the mesh file is charged to
// the first node that shows it.
TEST_F(BudgetTest, AMeshFileCountsOnceForTheFirstNodeThatShowsIt) {
  const gltf2demo::ConvertedScene scene = Convert(scenes::Hierarchy());
  const std::uint64_t meshFile = scene.meshes.front().bytes->size();
  const std::string refusal = Refusal(scenes::Hierarchy(), {gltf2demo::DefaultMostVertices, meshFile - 1});
  EXPECT_EQ(refusal.rfind("node 'MatrixChild': mesh 'Marker': " + std::to_string(meshFile) + " more bytes would make " +
                              std::to_string(meshFile) + ",",
                          0),
            0u)
      << refusal;
}

}  // namespace
