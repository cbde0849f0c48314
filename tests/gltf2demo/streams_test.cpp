// The streams a normal map needs in gltf2demo's mesh files: glTF tangents in engine axes
// with the handedness the mirror between the frames turns round, tangents made where the
// file has none (orthogonal to the normals, right-handed or not as the picture is laid),
// flat shading and back faces keeping every stream in step, the second texture set kept
// only for a texture that uses it, and the budget counting the bigger vertices.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/NBLMesh.h"
#include "streamScenes.h"
#include "support/scratch_dir.h"
#include "tools/gltf2demo/gltfError.h"
#include "tools/gltf2demo/meshCache.h"
#include "tools/gltf2demo/meshConversion.h"

namespace {

using engine::math::Vector3f;
using gltf2demo::MeshData;
using streamscenes::PanelOptions;

int Count(const std::vector<std::string>& lines, const std::string& what) {
  int count = 0;
  for (const std::string& line : lines) count += line.find(what) != std::string::npos;
  return count;
}

MeshData Convert(const tinygltf::Model& model, gltf2demo::Notes& notes) {
  MeshData mesh;
  const gltf2demo::StreamChoice choice = gltf2demo::StreamsFor(model, 0, "material 'Bumpy'");
  EXPECT_TRUE(gltf2demo::ConvertPrimitive(model, model.meshes[0].primitives[0], choice, "mesh 'Panel'", notes, &mesh));
  return mesh;
}

MeshData Convert(const PanelOptions& options) {
  gltf2demo::Notes notes;
  return Convert(streamscenes::Panel(options), notes);
}

Vector3f Direction(const std::array<float, 4>& t) { return Vector3f(t[0], t[1], t[2]); }

// Up the picture in engine axes: glTF's +y is the engine's +z.
const Vector3f Up(0, 0, 1);

// Every tangent a unit vector perpendicular to its normal, and (normal x tangent) w, the
// bitangent the shaders make, pointing up the picture.
void ExpectFramesPointUpThePicture(const MeshData& mesh, const Vector3f& up = Up) {
  ASSERT_EQ(mesh.tangents.size(), mesh.positions.size());
  for (std::size_t v = 0; v < mesh.tangents.size(); ++v) {
    SCOPED_TRACE("vertex " + std::to_string(v));
    const Vector3f t = Direction(mesh.tangents[v]), n = mesh.normals[v];
    EXPECT_NEAR(t.Mag(), 1.0f, 1e-5f);
    EXPECT_NEAR(t * n, 0.0f, 1e-5f);
    EXPECT_EQ(std::fabs(mesh.tangents[v][3]), 1.0f);
    EXPECT_NEAR(((n ^ t) * mesh.tangents[v][3]) * up, 1.0f, 1e-5f);
  }
}

TEST(StreamsTest, FileTangentsTakeEngineAxesAndTurnTheirHandednessAsMadeOnesDo) {
  PanelOptions options;
  options.fileTangents = true;
  const MeshData read = Convert(options);
  // glTF (1, 0, 0, +1) on the left square and (-1, 0, 0, -1) on the mirrored right one.
  ASSERT_EQ(read.tangents.size(), 8u);
  EXPECT_EQ(read.tangents[0], (std::array<float, 4>{1, 0, 0, -1}));
  EXPECT_EQ(read.tangents[4], (std::array<float, 4>{-1, 0, 0, 1}));
  ExpectFramesPointUpThePicture(read);

  // Made from the mirrored layout, they are the ones the file gives.
  options.fileTangents = false;
  const MeshData made = Convert(options);
  ExpectFramesPointUpThePicture(made);
  for (std::size_t v = 0; v < 8; ++v) {
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(made.tangents[v][k], read.tangents[v][k], 1e-6f) << v << " " << k;
  }

  // Made from set 1, where v runs up the panel: the picture's up is down the panel.
  options.normalSet = 1;
  const MeshData second = Convert(options);
  ExpectFramesPointUpThePicture(second, Up * -1.0f);
}

TEST(StreamsTest, FlatShadingAndBackFacesKeepEveryStreamInStep) {
  PanelOptions options;
  options.normals = false;
  options.fileTangents = true;  // ignored without normals, as glTF asks
  gltf2demo::Notes notes;
  MeshData mesh = Convert(streamscenes::Panel(options), notes);
  EXPECT_EQ(Count(notes.Lines(), "mesh 'Panel': tangents (glTF ignores them without normals"), 1);
  ASSERT_EQ(mesh.positions.size(), 12u);  // three a triangle
  ExpectFramesPointUpThePicture(mesh);

  gltf2demo::AddBackFaces(mesh);
  ASSERT_EQ(mesh.positions.size(), 24u);
  for (const std::size_t size : {mesh.normals.size(), mesh.texCoords.size(), mesh.texCoords1.size(), mesh.tangents.size()})
    EXPECT_EQ(size, 24u);
  // The back keeps the tangent and flips the handedness, so its picture is not mirrored.
  for (std::size_t v = 0; v < 12; ++v) {
    EXPECT_EQ(Direction(mesh.tangents[v + 12]), Direction(mesh.tangents[v]));
    EXPECT_EQ(mesh.tangents[v + 12][3], -mesh.tangents[v][3]);
    EXPECT_EQ(mesh.texCoords1[v + 12], mesh.texCoords1[v]);
  }
  ExpectFramesPointUpThePicture(mesh);
}

TEST(StreamsTest, TextureSetsAndTangentsAreKeptForTheTexturesThatUseThem) {
  const std::vector<float> second = streamscenes::PanelSecondSet();
  const MeshData both = Convert(PanelOptions{});
  ASSERT_EQ(both.texCoords1.size(), 8u);
  for (std::size_t v = 0; v < 8; ++v) {
    EXPECT_EQ(both.texCoords1[v].x, second[2 * v]);
    EXPECT_EQ(both.texCoords1[v].y, second[2 * v + 1]);
  }
  EXPECT_EQ(both.texCoords.size(), 8u);

  PanelOptions plain;
  plain.fileTangents = true;
  plain.normalSet = -1;
  plain.occlusionOnSet1 = false;
  gltf2demo::Notes notes;
  const MeshData none = Convert(streamscenes::Panel(plain), notes);
  EXPECT_TRUE(none.texCoords.empty());
  EXPECT_TRUE(none.texCoords1.empty());
  EXPECT_TRUE(none.tangents.empty());
  // Nothing that shows is lost, so nothing is said.
  EXPECT_TRUE(notes.Lines().empty()) << notes.Lines().front();

  // A set beyond 1 has no place in a mesh file.
  tinygltf::Model far = streamscenes::Panel(PanelOptions{});
  far.materials[0].normalTexture.texCoord = 2;
  const gltf2demo::StreamChoice choice = gltf2demo::StreamsFor(far, 0, "material 'Bumpy'");
  EXPECT_EQ(choice.normalSet, 2);
  MeshData unmapped;
  gltf2demo::Notes farNotes;
  ASSERT_TRUE(gltf2demo::ConvertPrimitive(far, far.meshes[0].primitives[0], choice, "mesh 'Panel'", farNotes, &unmapped));
  EXPECT_TRUE(unmapped.tangents.empty());
  EXPECT_TRUE(unmapped.texCoords.empty());

  far.materials[0].normalTexture.texCoord = -1;
  EXPECT_THROW(gltf2demo::StreamsFor(far, 0, "material 'Bumpy'"), gltf2demo::GltfError);
}

TEST(StreamsTest, CoordinatesWithoutAreaGiveTangentsPerpendicularToTheNormal) {
  PanelOptions options;
  options.sameCoordinates = true;
  const MeshData mesh = Convert(options);
  ASSERT_EQ(mesh.tangents.size(), 8u);
  for (std::size_t v = 0; v < 8; ++v) {
    const Vector3f t = Direction(mesh.tangents[v]);
    EXPECT_TRUE(std::isfinite(t.x) && std::isfinite(t.y) && std::isfinite(t.z) && std::isfinite(mesh.tangents[v][3]));
    EXPECT_NEAR(t.Mag(), 1.0f, 1e-5f);
    EXPECT_NEAR(t * mesh.normals[v], 0.0f, 1e-5f);
  }
}

class StreamsFileTest : public ::testing::Test {
 protected:
  ~StreamsFileTest() override { delete engine::core::Logging::mInstance; }
  testing_support::ScratchDir dir;
};

// What the engine reads back, what the material is told, and what the budget counts.
TEST_F(StreamsFileTest, TheMeshFileCarriesTheStreamsAndTheMaterialKnows) {
  const tinygltf::Model model = streamscenes::Panel(PanelOptions{});
  gltf2demo::Notes notes;
  gltf2demo::TextureFiles textures(model, notes);
  gltf2demo::Budget budget{gltf2demo::BudgetLimits{}};
  gltf2demo::MeshCache cache(model, textures, budget, notes);
  const gltf2demo::ConvertedPrimitive& panel = cache.Mesh(0).at(0);
  EXPECT_TRUE(panel.look.firstUV);
  EXPECT_TRUE(panel.look.secondUV);
  EXPECT_TRUE(panel.look.tangents);

  dir.Write("data/panel.nbl", *panel.bytes);
  const engine::gfx::LoadNBLMesh mesh(engine::core::ToWide(dir.Path("data/panel.nbl")));
  std::vector<std::string> streams;
  for (unsigned s = 0; s < mesh.NumData(); ++s)
    streams.push_back(mesh.GetData(s)->name + std::to_string(mesh.GetData(s)->semanticIndex) + "/" +
                      std::to_string(mesh.GetData(s)->format));
  EXPECT_EQ(streams, (std::vector<std::string>{"POSITION0/6", "NORMAL0/6", "TEXCOORD0/16", "TANGENT0/2", "TEXCOORD1/16"}));

  // Positions, normals, two sets and tangents: 56 bytes a vertex, which the budget counts
  // before it reads a thing.
  const std::uint64_t least = 8 * 56 + 12 * 4;
  for (const std::uint64_t most : {least, least - 1}) {
    gltf2demo::Budget tight{gltf2demo::BudgetLimits{gltf2demo::DefaultMostVertices, most}};
    gltf2demo::MeshCache small(model, textures, tight, notes);
    std::string refusal;
    try {
      small.Mesh(0);
    } catch (const gltf2demo::GltfError& e) {
      refusal = e.what();
    }
    EXPECT_EQ(refusal, most == least ? "" : "mesh 'Panel': at least " + std::to_string(least) + " more bytes would make at least " +
                                                std::to_string(least) + ", more than the budget of " + std::to_string(most) +
                                                " bytes written for one glTF file (see gltf2demo --help)");
  }
}

}  // namespace
