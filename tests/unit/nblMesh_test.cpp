#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/gfx/NBLMesh.h"
#include "engine/math/vector.h"
#include "engine/wrapper.h"
#include "support/mesh_support.h"

using engine::gfx::LoadMesh;
using engine::gfx::LoadNBLMesh;
using engine::math::Vector2f;
using engine::math::Vector3f;
namespace MeshData = engine::gfx::MeshData;
using nbl::IntBytes;
using testing_support::ErrorOf;
using testing_support::IndicesOf;
using testing_support::StreamValues;

namespace {

const std::vector<Vector3f> kTriangle = {Vector3f(0, 0, 0), Vector3f(1, 0, 0), Vector3f(0, 1, 0)};
const std::vector<Vector3f> kUp = {Vector3f(0, 0, 1), Vector3f(0, 0, 1), Vector3f(0, 0, 1)};

// A triangle without its end marker, for tests to finish as they need.
nbl::Writer Valid() { return nbl::Writer().Positions(kTriangle).Indices({0, 1, 2}); }

class NBLMeshTest : public testing_support::MeshTest {};

TEST_F(NBLMeshTest, BuiltInQuadLoadsWithoutTouchingTheDataFolder) {
  // No file written: a data folder that cannot take one (missing here; read-only where
  // installed) still gives the quad, and a file of that name is neither read nor changed.
  enum { kNoFile, kStaleFile, kNoFolder };
  for (int folder : {kNoFile, kStaleFile, kNoFolder}) {
    if (folder == kStaleFile) dir.Write("data/quad.nbl", "NBLUjunk");
    if (folder == kNoFolder) {
      EXPECT_EQ(Count(Log(), "Loading .nbl mesh data/quad.nbl"), 2);
      boost::filesystem::remove_all(dir.Path("data"));
    }
    LoadNBLMesh quad(L"data/quad.nbl");
    EXPECT_EQ(dir.Exists("data"), folder != kNoFolder);
    EXPECT_EQ(dir.Exists("data/quad.nbl"), folder == kStaleFile);
    if (folder == kStaleFile) {
      EXPECT_EQ(dir.Read("data/quad.nbl"), "NBLUjunk");
    }

    EXPECT_EQ(quad.NumVertices(), 4);
    EXPECT_EQ(quad.NumIndices(), 6);
    EXPECT_EQ(quad.IndexStride(), 4);
    EXPECT_EQ(IndicesOf(quad), (std::vector<std::uint32_t>{0, 1, 2, 0, 3, 1}));
    ASSERT_EQ(quad.NumData(), 2u);
    EXPECT_EQ(quad.GetData(0u)->name, "POSITION");
    EXPECT_EQ(quad.GetData(0u)->format, 6);
    EXPECT_EQ(quad.GetData(1u)->name, "TEXCOORD");
    EXPECT_EQ(quad.GetData(1u)->format, 16);
    EXPECT_TRUE(quad.IsAvailable(MeshData::POSITION));
    EXPECT_FALSE(quad.IsAvailable(MeshData::NORMAL));
    EXPECT_TRUE(quad.IsAvailable(MeshData::TEXCOORD));
    EXPECT_EQ(StreamValues<float>(quad.GetData(MeshData::POSITION), 12),
              (std::vector<float>{1, 1, 0, -1, -1, 0, -1, 1, 0, 1, -1, 0}));
    EXPECT_EQ(StreamValues<float>(quad.GetData(MeshData::TEXCOORD), 8), (std::vector<float>{1, 0, 0, 1, 0, 0, 1, 1}));
  }
}

TEST_F(NBLMeshTest, ChunksComeInAnyOrderAndSkippedChunksHaveNoEffect) {
  auto mesh = Load(nbl::Writer()
                       .Chunk(77, "")                             // unknown, empty
                       .Chunk(2, 1000, std::string(24, '\x7f'))  // header: 24 bytes whatever the length says
                       .Indices({2, 1, 0})
                       .Chunk(1, 8, IntBytes(2) + IntBytes(0))
                       .Normals(kUp)
                       .Positions(kTriangle)
                       .End()
                       .Raw("trailing bytes are never read"));
  EXPECT_EQ(mesh->NumVertices(), 3);
  EXPECT_EQ(IndicesOf(*mesh), (std::vector<std::uint32_t>{2, 1, 0}));
  ASSERT_EQ(mesh->NumData(), 2u);
  EXPECT_EQ(mesh->GetData(0u)->name, "NORMAL");
  EXPECT_EQ(mesh->GetData(1u)->name, "POSITION");
  EXPECT_EQ(StreamValues<float>(mesh->GetData(MeshData::POSITION), 9), (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
}

// Every kind the base format leaves undefined is read past, whatever it holds: 7 included,
// which once carried vertex colours. Colours live behind the end marker, in the extension
// section that readers of the base format never reach.
TEST_F(NBLMeshTest, ColoursAreReadFromTheExtensionSectionOnly) {
  const std::vector<std::array<float, 4>> colours = {{1, 0, 0, 1}, {0, 1, 0, 0.5f}, {0, 0, 1, 0}};
  const std::string colourBytes = nbl::Writer().Colours(colours).Bytes().substr(4);

  for (const std::string& chunk7 : {std::string(), colourBytes.substr(8), std::string("odd")}) {
    SCOPED_TRACE(chunk7.size());
    auto skipped = Load(Valid().Chunk(7, chunk7).End());
    EXPECT_EQ(skipped->NumData(), 1u);
    EXPECT_EQ(Count(Log(), "a chunk of kind 7 before the end marker is read past"), chunk7.size() == 48 ? 1 : 0);
  }

  auto coloured = Load(Valid().End().Extension().Chunk(31, "unknown extension kinds are skipped").Colours(colours).End());
  ASSERT_EQ(coloured->NumData(), 2u);
  EXPECT_EQ(coloured->GetData(1u)->name, "COLOR");
  EXPECT_EQ(coloured->GetData(1u)->format, 2);
  EXPECT_EQ(StreamValues<float>(coloured->GetData(1u), 12), (std::vector<float>{1, 0, 0, 1, 0, 1, 0, 0.5f, 0, 0, 1, 0}));

  // Trailing bytes that do not open an extension stay unread, as the built-in quad's do.
  auto trailing = Load(Valid().End().Raw("NBLY").Colours(colours).End());
  EXPECT_EQ(trailing->NumData(), 1u);
}

// Tangents (kind 10) and the second texture coordinate set (kind 11) live behind the end
// marker too, and in the stream list only: the type map keeps its TEXCOORD key for set 0.
TEST_F(NBLMeshTest, TangentsAndASecondTexCoordSetAreReadFromTheExtensionSection) {
  const std::vector<std::array<float, 4>> tangents = {{1, 0, 0, 1}, {0, 1, 0, -1}, {0, 0, 1, 1}};
  const std::vector<Vector2f> first = {Vector2f(0, 0), Vector2f(1, 0), Vector2f(0, 1)};
  const std::vector<Vector2f> second = {Vector2f(0.5f, 0.25f), Vector2f(0.75f, 0.25f), Vector2f(0.5f, 1)};

  auto mesh = Load(Valid().TexCoords(first).End().Extension().SecondTexCoords(second).Tangents(tangents).End());
  ASSERT_EQ(mesh->NumData(), 4u);
  const engine::gfx::PVData* uv1 = mesh->GetData(2u);
  EXPECT_EQ(uv1->name, "TEXCOORD");
  EXPECT_EQ(uv1->semanticIndex, 1);
  EXPECT_EQ(uv1->format, 16);
  EXPECT_EQ(StreamValues<float>(uv1, 6), (std::vector<float>{0.5f, 0.25f, 0.75f, 0.25f, 0.5f, 1}));
  const engine::gfx::PVData* tangent = mesh->GetData(3u);
  EXPECT_EQ(tangent->name, "TANGENT");
  EXPECT_EQ(tangent->semanticIndex, 0);
  EXPECT_EQ(tangent->format, 2);
  EXPECT_EQ(StreamValues<float>(tangent, 12), (std::vector<float>{1, 0, 0, 1, 0, 1, 0, -1, 0, 0, 1, 1}));
  ASSERT_TRUE(mesh->IsAvailable(MeshData::TEXCOORD));
  EXPECT_EQ(StreamValues<float>(mesh->GetData(MeshData::TEXCOORD), 6), (std::vector<float>{0, 0, 1, 0, 0, 1}));
  EXPECT_FALSE(mesh->IsAvailable(MeshData::TANGENT));

  // Before the end marker the new kinds are chunks to read past, like any undefined kind.
  auto base = Load(Valid().Tangents(tangents).SecondTexCoords(second).End());
  EXPECT_EQ(base->NumData(), 1u);
}

TEST_F(NBLMeshTest, SixteenBitIndicesKeepTheirStride) {
  auto mesh = Load(nbl::Writer().Positions(kTriangle).Indices({0, 1, 2, 2, 1, 0}, 2).End());
  EXPECT_EQ(mesh->IndexStride(), 2);
  EXPECT_EQ(mesh->NumIndices(), 6);
  EXPECT_EQ(IndicesOf(*mesh), (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 0}));
}

TEST_F(NBLMeshTest, LaterStreamChunksReplaceEarlierOnes) {
  const std::vector<Vector3f> four = {Vector3f(0, 0, 0), Vector3f(1, 0, 0), Vector3f(0, 1, 0), Vector3f(1, 1, 0)};
  auto mesh = Load(nbl::Writer()
                       .Positions(kTriangle)
                       .TexCoords({Vector2f(0, 0), Vector2f(1, 0), Vector2f(0, 1)})
                       .Positions(four)
                       .TexCoords({Vector2f(0, 0), Vector2f(1, 0), Vector2f(0, 1), Vector2f(1, 1)})
                       .Indices({0, 1, 3})
                       .End());
  EXPECT_EQ(mesh->NumVertices(), 4);
  ASSERT_EQ(mesh->NumData(), 2u);
  EXPECT_EQ(mesh->GetData(0u)->name, "POSITION");
  EXPECT_EQ(StreamValues<float>(mesh->GetData(0u), 12)[9], 1.0f);
}

TEST_F(NBLMeshTest, ExportHandsTheMeshToTheCaller) {
  dir.Write("data/m.nbl", nbl::Writer().Positions(kTriangle).Indices({0, 1, 2}).End().Bytes());
  LoadMesh* mesh = engine::GetNBLMesh(L"data\\m.nbl");
  EXPECT_EQ(mesh->NumIndices(), 3);
  mesh->DestroyItself();
}

// Files the reader must refuse with a message naming the file. None may hang, allocate
// from a bad length or read past the data.
struct BadFile {
  const char* name;
  std::string bytes;
  std::string error;
};

class NBLMeshRejects : public testing_support::MeshTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(NBLMeshRejects, WithAMessageNamingTheFile) {
  dir.Write("data/m.nbl", GetParam().bytes);
  EXPECT_EQ(ErrorOf([] { LoadNBLMesh mesh(L"data/m.nbl"); }), GetParam().error);
}

std::string Cut(const std::string& bytes, std::size_t drop) { return bytes.substr(0, bytes.size() - drop); }

INSTANTIATE_TEST_SUITE_P(
    Files, NBLMeshRejects,
    ::testing::Values(
        BadFile{"WrongMagic", "NBLX" + IntBytes(9), "data/m.nbl is not a .nbl mesh"},
        BadFile{"ShorterThanMagic", "NB", "data/m.nbl is not a .nbl mesh"},
        BadFile{"NoIndexChunk", nbl::Writer().Positions(kTriangle).End().Bytes(),
                "Number of indices in mesh data/m.nbl <= 0"},
        BadFile{"IndexChunkOfLengthFour", nbl::Writer().Positions(kTriangle).Chunk(4, IntBytes(4)).End().Bytes(),
                "Number of indices in mesh data/m.nbl <= 0"},
        BadFile{"NoEndChunk", Valid().Bytes(), "data/m.nbl ends before its end chunk"},
        BadFile{"CutInsideLength", Valid().Raw(IntBytes(3) + "\x0c").Bytes(), "data/m.nbl ends inside a chunk of kind 3"},
        BadFile{"CutInsidePayload", Cut(Valid().Bytes(), 2),
                "data/m.nbl: chunk of kind 4 is 16 bytes long, but only 14 are left"},
        BadFile{"CutInsideHeaderChunk", Valid().Chunk(2, 24, std::string(10, '\0')).Bytes(),
                "data/m.nbl ends inside a chunk of kind 2"},
        BadFile{"NegativeLength", Valid().Chunk(1, -8, "").End().Bytes(),
                "data/m.nbl: chunk of kind 1 has a negative length (-8)"},
        BadFile{"NegativeIndexLength", nbl::Writer().Chunk(4, -20, IntBytes(4)).End().Bytes(),
                "data/m.nbl: chunk of kind 4 has a negative length (-20)"},
        BadFile{"LengthPastTheEnd", Valid().Chunk(1, 0x7fffffff, "abc").End().Bytes(),
                "data/m.nbl: chunk of kind 1 is 2147483647 bytes long, but only 7 are left"},
        BadFile{"IndexChunkTooShortForStride", Valid().Chunk(4, 2, IntBytes(4)).End().Bytes(),
                "data/m.nbl: index chunk of 2 bytes has no room for its stride"},
        BadFile{"StrideZero", nbl::Writer().Positions(kTriangle).Chunk(4, IntBytes(0) + IntBytes(0)).End().Bytes(),
                "data/m.nbl: index stride 0 is neither 2 nor 4"},
        BadFile{"StrideThree", nbl::Writer().Positions(kTriangle).Indices({0, 1}, 3).End().Bytes(),
                "data/m.nbl: index stride 3 is neither 2 nor 4"},
        BadFile{"NormalsShorterThanPositions", Valid().Normals({Vector3f(0, 0, 1)}).End().Bytes(),
                "data/m.nbl holds 1 NORMAL elements for 3 vertices"},
        BadFile{"TexCoordsShorterThanPositions", Valid().TexCoords({Vector2f(0, 0)}).End().Bytes(),
                "data/m.nbl holds 1 TEXCOORD elements for 3 vertices"},
        BadFile{"ColoursShorterThanPositions", Valid().End().Extension().Colours({{1, 1, 1, 1}}).End().Bytes(),
                "data/m.nbl holds 1 COLOR elements for 3 vertices"},
        BadFile{"TangentsShorterThanPositions",
                Valid().End().Extension().Tangents({{1, 0, 0, 1}, {1, 0, 0, 1}}).End().Bytes(),
                "data/m.nbl holds 2 TANGENT elements for 3 vertices"},
        BadFile{"TangentsOfThreeFloats",  // 36 bytes make two tangents of four floats
                Valid().End().Extension().Chunk(10, nbl::Writer().Normals(kUp).Bytes().substr(12)).End().Bytes(),
                "data/m.nbl holds 2 TANGENT elements for 3 vertices"},
        BadFile{"ColoursOfThreeFloats",
                Valid().End().Extension().Chunk(7, nbl::Writer().Normals(kUp).Bytes().substr(12)).End().Bytes(),
                "data/m.nbl holds 2 COLOR elements for 3 vertices"},
        BadFile{"SecondTexCoordsShorterThanPositions",
                Valid().End().Extension().SecondTexCoords({Vector2f(0, 0)}).End().Bytes(),
                "data/m.nbl holds 1 TEXCOORD1 elements for 3 vertices"},
        BadFile{"TangentLengthPastTheEnd", Valid().End().Extension().Chunk(10, 48, "").End().Bytes(),
                "data/m.nbl: chunk of kind 10 in its extension section is 48 bytes long, but only 4 are left"},
        BadFile{"ExtensionWithoutItsEnd", Valid().End().Extension().Colours({}).Bytes(),
                "data/m.nbl ends before its end chunk in its extension section"},
        BadFile{"ExtensionLengthPastTheEnd", Valid().End().Extension().Chunk(7, 64, "").End().Bytes(),
                "data/m.nbl: chunk of kind 7 in its extension section is 64 bytes long, but only 4 are left"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(NBLMeshTest, MissingFileIsReported) {
  EXPECT_EQ(ErrorOf([] { LoadNBLMesh mesh(L"data\\gone.nbl"); }), "data\\gone.nbl mesh not found");
}

}  // namespace
