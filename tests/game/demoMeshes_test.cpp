// The start-up step that registers the demo's meshes, on a headless device: every mesh
// under its file name with its material, the file meshes read from data/, and what an
// error leaves behind. Skips where no GL device can be made.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/engine_fixture.h"
#include "engine/gfx/gpuMesh.h"
#include "game/proceduralGeometry.h"
#include "game/randomTable.h"
#include "support/effect_content.h"
#include "tools/nbl/nblWriter.h"

using engine::core::ResourceManager;
using engine::math::Vector3f;

namespace {

struct Registered {
  const char* name;
  int vertices;  // -1: whatever the optimised file mesh has
  int indices;
};

// In registration order. The file meshes are one triangle each, the city cube four
// vertices.
const Registered kMeshes[] = {
    {"data/points.demo_scene/Cube.nbl", 262144, 393216},
    {"data/intro.demo_scene/Grid.nbl", 16384, 24576},
    {"data/points.demo_scene/Cubes.nbl", 768, 768},
    {"data/points.demo_scene/Flashes.nbl", 16384, 24576},
    {"data/points.demo_scene/Bubbles.nbl", 36864, 98304},
    {"data/points.demo_scene/Electric.nbl", 2048, 3072},
    {"data/city.demo_scene/Cube.nbl", 4, 6},
    {"data/city.demo_scene/Sofa.nbl", 3, 3},
    {"data/city.demo_scene/Stars.nbl", 4096, 6144},
    {"data/stars.demo_scene/Smoke.nbl", 512, 768},
    {"data/credits.demo_scene/creditB.nbl", 3, 3},
    {"data/credits.demo_scene/and.nbl", 3, 3},
    {"data/credits.demo_scene/creditA.nbl", 3, 3},
    {"data/credits.demo_scene/Sofa.nbl", 3, 3},
    {"data/credits.demo_scene/Sofa.001.nbl", 3, 3},
};

class DemoMeshesTest : public enginetest::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    OpenWindow(Settings(64, 64));
    if (IsSkipped() || HasFatalFailure()) return;
    orv::FillRandomTable();
    for (const char* folder : {"intro", "points", "city", "stars", "credits"})
      boost::filesystem::create_directories(dir.Path(std::string("data/") + folder + ".demo_scene"));
    // Every mesh draws with the plain wireframe material, which reads positions only.
    const std::string material = testing_support::ContentFile("wireframe.efx");
    for (const Registered& mesh : kMeshes) dir.Write(std::string(mesh.name) + ".efx", material);

    nbl::Writer triangle;
    triangle.Positions({Vector3f(0, 0, 0), Vector3f(1, 0, 0), Vector3f(0, 1, 0)})
        .Normals({Vector3f(0, 0, 1), Vector3f(0, 0, 1), Vector3f(0, 0, 1)})
        .Indices({0, 1, 2}, 2)
        .End();
    for (const char* name : {"points.demo_scene/Cubes", "city.demo_scene/Sofa", "credits.demo_scene/creditB",
                             "credits.demo_scene/and", "credits.demo_scene/creditA", "credits.demo_scene/Sofa",
                             "credits.demo_scene/Sofa.001"})
      dir.Write(std::string("data/") + name + ".nbl", triangle.Bytes());
    nbl::Writer quad;
    quad.Positions({Vector3f(0, 0, 0), Vector3f(1, 0, 0), Vector3f(1, 1, 0), Vector3f(0, 1, 0)})
        .Indices({0, 1, 2, 2, 3, 0})
        .End();
    dir.Write("data/city.demo_scene/Cube.nbl", quad.Bytes());
  }

  static boost::shared_ptr<engine::gfx::Mesh> Find(const char* name) {
    const auto& resources = ResourceManager::Get()->Resources();
    const auto found = resources.find(std::wstring(name, name + std::char_traits<char>::length(name)));
    if (found == resources.end()) return nullptr;
    return boost::dynamic_pointer_cast<engine::gfx::Mesh>(found->second);
  }
};

TEST_F(DemoMeshesTest, EveryMeshIsRegisteredUnderItsFileNameWithItsCounts) {
  std::set<std::wstring> before;
  for (const auto& entry : ResourceManager::Get()->Resources()) before.insert(entry.first);
  ASSERT_NO_THROW(orv::BuildDemoMeshes());
  std::vector<std::string> added;
  for (const auto& entry : ResourceManager::Get()->Resources()) {
    if (!before.count(entry.first) && boost::dynamic_pointer_cast<engine::gfx::Mesh>(entry.second))
      added.push_back(engine::core::ToNarrow(entry.first));
  }
  std::vector<std::string> expectedNames;
  for (const Registered& mesh : kMeshes) expectedNames.push_back(mesh.name);
  std::sort(expectedNames.begin(), expectedNames.end());
  EXPECT_EQ(added, expectedNames);
  for (const Registered& expected : kMeshes) {
    const auto mesh = Find(expected.name);
    ASSERT_TRUE(mesh) << expected.name;
    ASSERT_TRUE(mesh->CPUMesh()) << expected.name;
    EXPECT_EQ(mesh->CPUMesh()->NumVertices(), expected.vertices) << expected.name;
    EXPECT_EQ(mesh->CPUMesh()->NumIndices(), expected.indices) << expected.name;
    EXPECT_TRUE(mesh->GetEffect()) << expected.name;
  }
  // The city cube carries its random groups beside the file's positions.
  const engine::gfx::LoadMesh* cube = Find("data/city.demo_scene/Cube.nbl")->CPUMesh();
  bool groups = false;
  for (unsigned i = 0; i < cube->NumData(); ++i)
    groups |= cube->GetData(i)->name == "TEXCOORD" && cube->GetData(i)->semanticIndex == 1;
  EXPECT_TRUE(groups);
}

TEST_F(DemoMeshesTest, AMissingSourceFileStopsTheBuildAndKeepsWhatWasRegistered) {
  boost::filesystem::remove(dir.Path("data/points.demo_scene/Cubes.nbl"));
  std::string error = "(no error)";
  try {
    orv::BuildDemoMeshes();
  } catch (const engine::core::Exception& e) {
    error = engine::core::ToNarrow(e.GetText());
  }
  EXPECT_NE(error.find("data/points.demo_scene/Cubes.nbl"), std::string::npos) << error;
  EXPECT_TRUE(Find("data/points.demo_scene/Cube.nbl"));
  EXPECT_TRUE(Find("data/intro.demo_scene/Grid.nbl"));
  EXPECT_FALSE(Find("data/points.demo_scene/Cubes.nbl"));
  EXPECT_FALSE(Find("data/points.demo_scene/Flashes.nbl"));
}

}  // namespace
