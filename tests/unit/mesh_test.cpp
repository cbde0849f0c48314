#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/gfx/mesh.h"
#include "engine/wrapper.h"
#include "support/mesh_support.h"

using engine::gfx::FormatSize;
using engine::gfx::LoadMesh;
using engine::gfx::PVData;
using engine::gfx::ReleaseMeshBuffer;
namespace MeshData = engine::gfx::MeshData;
using nbl::FloatBytes;
using nbl::IntBytes;
using testing_support::ErrorOf;
using testing_support::MeshBuffer;
using testing_support::Stream;

namespace {

class LoadMeshTest : public testing_support::MeshTest {
 protected:
  void* Floats(std::vector<float> values) { return MeshBuffer(values); }
};

TEST(FormatSizeTest, CoversTheStreamFormatsAndRejectsEveryOtherCode) {
  const struct {
    int format, size;
  } table[] = {{2, 16}, {6, 12}, {16, 8}, {41, 4}, {42, 4}, {61, 1}, {62, 1}};
  for (const auto& row : table) EXPECT_EQ(FormatSize(row.format), row.size) << row.format;
  for (int format : {0, 1, 3, 10, 28, 63, -6})
    EXPECT_EQ(ErrorOf([&] { FormatSize(format); }), "Unrecognized per vertex data type") << format;
}

TEST_F(LoadMeshTest, ReplacingAStreamKeepsItsPlaceAndTheListLength) {
  LoadMesh mesh;
  mesh.NumVertices(1);
  mesh.Add(Stream("POSITION", 6, 0, Floats({1, 2, 3})));
  mesh.Add(Stream("TEXCOORD", 16, 0, Floats({0, 1})));
  void* replacement = Floats({4, 5, 6});
  mesh.Add(Stream("POSITION", 6, 0, replacement));  // the first buffer goes back to the heap

  ASSERT_EQ(mesh.NumData(), 2u);
  EXPECT_EQ(mesh.GetData(0u)->name, "POSITION");
  EXPECT_EQ(mesh.GetData(0u)->data, replacement);
  EXPECT_EQ(mesh.GetData(1u)->name, "TEXCOORD");
  EXPECT_EQ(mesh.GetData(MeshData::POSITION)->data, replacement);
  EXPECT_EQ(mesh.GetData(2u), nullptr);
  EXPECT_EQ(Count(Log(), "Data types do not match"), 0);
}

TEST_F(LoadMeshTest, ReplacingWithAnotherFormatWarnsAndStillReplaces) {
  LoadMesh mesh;
  mesh.NumVertices(1);
  mesh.Add(Stream("NORMAL", 6, 0, Floats({0, 0, 1})));
  mesh.Add(Stream("NORMAL", 2, 0, Floats({0, 0, 1, 0})));
  EXPECT_EQ(mesh.GetData(0u)->format, 2);
  EXPECT_EQ(mesh.GetData(MeshData::NORMAL)->format, 2);
  EXPECT_EQ(Count(Log(), "Data types do not match"), 1);
}

TEST_F(LoadMeshTest, OnlyTheFirstTextureSetAndKnownNamesGetATypeEntry) {
  LoadMesh mesh;
  mesh.NumVertices(1);
  void* first = Floats({0, 0});
  mesh.Add(Stream("TEXCOORD", 16, 0, first));
  mesh.Add(Stream("TEXCOORD", 16, 1, Floats({1, 1})));
  mesh.Add(Stream("TANGENT", 6, 0, Floats({1, 0, 0})));

  EXPECT_EQ(mesh.NumData(), 3u);
  EXPECT_EQ(mesh.GetData(MeshData::TEXCOORD)->data, first);
  EXPECT_EQ(mesh.GetData(MeshData::TEXCOORD)->semanticIndex, 0);
  EXPECT_EQ(mesh.GetData(MeshData::TANGENT), nullptr);
  EXPECT_FALSE(mesh.IsAvailable(MeshData::TANGENT));
  EXPECT_TRUE(mesh.IsAvailable(MeshData::TEXCOORD));
}

TEST_F(LoadMeshTest, DeleteRemovesEveryMatchingStreamButLeavesTheBuffersToTheCaller) {
  LoadMesh mesh;
  mesh.NumVertices(1);
  void* p0 = Floats({1, 1, 1});
  void* p1 = Floats({2, 2, 2});
  void* t0 = Floats({0, 0});
  mesh.Add(Stream("POSITION", 6, 0, p0));
  mesh.Add(Stream("POSITION", 6, 1, p1));  // adjacent to the first: both must go
  mesh.Add(Stream("TEXCOORD", 16, 0, t0));
  mesh.Add(Stream("TEXCOORD", 16, 1, Floats({1, 1})));

  mesh.Delete(MeshData::POSITION);
  mesh.Delete(MeshData::TEXCOORD);
  ASSERT_EQ(mesh.NumData(), 1u);
  EXPECT_EQ(mesh.GetData(0u)->semanticIndex, 1);
  EXPECT_FALSE(mesh.IsAvailable(MeshData::POSITION));
  EXPECT_FALSE(mesh.IsAvailable(MeshData::TEXCOORD));
  for (void* buffer : {p0, p1, t0}) ReleaseMeshBuffer(buffer);

  EXPECT_EQ(ErrorOf([&] { mesh.Delete(static_cast<MeshData::DataTypes>(5)); }), "Could not determine data type");
}

TEST_F(LoadMeshTest, DeleteAllDropsStreamsAndKeepsCountsAndIndices) {
  LoadMesh mesh;
  mesh.NumVertices(1);
  mesh.NumIndices(3);
  mesh.Indices(static_cast<short*>(MeshBuffer(std::vector<std::uint32_t>{0, 0, 0})));
  mesh.Add(Stream("POSITION", 6, 0, Floats({1, 1, 1})));
  mesh.DeleteAll();
  EXPECT_EQ(mesh.NumData(), 0u);
  EXPECT_FALSE(mesh.IsAvailable(MeshData::POSITION));
  EXPECT_EQ(mesh.NumVertices(), 1);
  EXPECT_NE(mesh.Indices(), nullptr);
}

TEST_F(LoadMeshTest, ProgramBuiltMeshTakesOverBuffersFromTheExports) {
  LoadMesh* mesh = engine::CreateEmptyMesh(3, 3);
  EXPECT_EQ(mesh->IndexStride(), 4);
  EXPECT_EQ(mesh->Indices(), nullptr);
  mesh->Indices(static_cast<short*>(engine::AllocateMemory(12)));
  mesh->Indices(static_cast<short*>(engine::AllocateMemory(12)));  // the first array is released
  mesh->Add(Stream("POSITION", 6, 0, engine::AllocateMemory(36)));
  mesh->DestroyItself();
  engine::DeleteMemory(engine::AllocateMemory(1));
}

// ---- Serialized form ----

TEST_F(LoadMeshTest, SerializedLayoutPutsTheSemanticIndexBeforeTheFormat) {
  LoadMesh mesh;
  mesh.NumVertices(1);
  mesh.NumIndices(3);
  mesh.Indices(static_cast<short*>(MeshBuffer(std::vector<std::uint32_t>{0, 0, 0})));
  mesh.Add(Stream("NORMAL", 41, 2, Floats({1})));
  ASSERT_TRUE(mesh.Serialize("data/m.mesh"));

  const std::string expected = IntBytes(1) + IntBytes(3) + IntBytes(4) + std::string(12, '\0') + IntBytes(1) +
                               IntBytes(2) + IntBytes(41) + IntBytes(6) + "NORMAL" + FloatBytes(1);
  EXPECT_EQ(dir.Read("data/m.mesh"), expected);
}

TEST_F(LoadMeshTest, DeserializeReproducesWhatSerializeWrote) {
  LoadMesh mesh;
  mesh.NumVertices(2);
  mesh.NumIndices(3);
  mesh.Indices(static_cast<short*>(MeshBuffer(std::vector<std::uint32_t>{0, 1, 70000})));
  mesh.Add(Stream("POSITION", 6, 0, Floats({1, 2, 3, 4, 5, 6})));
  mesh.Add(Stream("TEXCOORD", 16, 0, Floats({0, 1, 1, 0})));
  mesh.Add(Stream("TEXCOORD", 16, 1, Floats({7, 8, 9, 10})));
  mesh.Add(Stream("TANGENT", 2, 0, Floats({1, 0, 0, 1, 0, 1, 0, 1})));
  mesh.Add(Stream("BLENDINDICES", 62, 3, MeshBuffer(std::vector<std::uint8_t>{4, 5})));
  ASSERT_TRUE(mesh.Serialize("data\\m.mesh"));

  LoadMesh copy;
  ASSERT_TRUE(copy.Deserialize("data\\m.mesh"));
  EXPECT_EQ(copy.NumVertices(), 2);
  EXPECT_EQ(copy.NumIndices(), 3);
  EXPECT_EQ(copy.IndexStride(), 4);
  EXPECT_EQ(testing_support::IndicesOf(copy), testing_support::IndicesOf(mesh));
  ASSERT_EQ(copy.NumData(), mesh.NumData());
  for (unsigned i = 0; i < mesh.NumData(); ++i) {
    const PVData* a = mesh.GetData(i);
    const PVData* b = copy.GetData(i);
    EXPECT_EQ(b->name, a->name);
    EXPECT_EQ(b->format, a->format);
    EXPECT_EQ(b->semanticIndex, a->semanticIndex);
    const auto bytes = static_cast<std::size_t>(2 * FormatSize(a->format));
    EXPECT_EQ(std::string(static_cast<const char*>(b->data), bytes), std::string(static_cast<const char*>(a->data), bytes))
        << a->name;
  }
  EXPECT_TRUE(copy.IsAvailable(MeshData::POSITION));
  EXPECT_EQ(copy.GetData(MeshData::TEXCOORD)->semanticIndex, 0);
}

TEST_F(LoadMeshTest, SerializeWritesNothingForAMeshItCannotDescribe) {
  LoadMesh missingIndices;
  missingIndices.NumIndices(3);
  EXPECT_FALSE(missingIndices.Serialize("data/m.mesh"));

  LoadMesh badFormat;
  badFormat.Add(Stream("POSITION", 7, 0, nullptr));
  EXPECT_EQ(ErrorOf([&] { badFormat.Serialize("data/m.mesh"); }), "Unrecognized per vertex data type");
  EXPECT_FALSE(dir.Exists("data/m.mesh"));

  LoadMesh empty;
  EXPECT_FALSE(empty.Serialize("no-such-dir/m.mesh"));
}

// Files Deserialize must refuse, each leaving the mesh it was given as it was.
struct BadSerialized {
  const char* name;
  std::string bytes;
};

std::string Header(int vertices, int indices, int stride) {
  return IntBytes(vertices) + IntBytes(indices) + IntBytes(stride);
}

std::string StreamRecord(int index, int format, const std::string& name, const std::string& data) {
  return IntBytes(index) + IntBytes(format) + IntBytes(static_cast<int>(name.size())) + name + data;
}

class DeserializeRejects : public testing_support::MeshTest, public ::testing::WithParamInterface<BadSerialized> {};

TEST_P(DeserializeRejects, AndLeavesTheMeshUnchanged) {
  LoadMesh mesh;
  mesh.NumVertices(1);
  mesh.NumIndices(3);
  short* indices = static_cast<short*>(MeshBuffer(std::vector<std::uint32_t>{0, 0, 0}));
  mesh.Indices(indices);
  void* normals = MeshBuffer(std::vector<float>{0, 0, 1});
  mesh.Add(Stream("NORMAL", 6, 0, normals));

  dir.Write("data/m.mesh", GetParam().bytes);
  EXPECT_FALSE(mesh.Deserialize("data/m.mesh"));
  EXPECT_EQ(mesh.NumVertices(), 1);
  EXPECT_EQ(mesh.NumIndices(), 3);
  EXPECT_EQ(mesh.Indices(), indices);
  ASSERT_EQ(mesh.NumData(), 1u);
  EXPECT_EQ(mesh.GetData(0u)->data, normals);
}

const std::string kOneVertex = FloatBytes(1) + FloatBytes(2) + FloatBytes(3);

INSTANTIATE_TEST_SUITE_P(
    Files, DeserializeRejects,
    ::testing::Values(
        BadSerialized{"Empty", ""}, BadSerialized{"CutInTheHeader", IntBytes(1) + IntBytes(3)},
        BadSerialized{"NegativeVertexCount", Header(-1, 0, 4) + IntBytes(0)},
        BadSerialized{"NegativeIndexCount", Header(1, -3, 4) + IntBytes(0)},
        BadSerialized{"StrideThree", Header(1, 1, 3) + "xyz" + IntBytes(0)},
        BadSerialized{"MoreIndicesThanBytes", Header(1, 0x7fffffff, 4) + IntBytes(0)},
        BadSerialized{"NoStreamCount", Header(1, 1, 4) + IntBytes(0)},
        BadSerialized{"NegativeStreamCount", Header(1, 1, 4) + IntBytes(0) + IntBytes(-1)},
        BadSerialized{"FewerStreamsThanCounted", Header(1, 1, 4) + IntBytes(0) + IntBytes(2) +
                                                     StreamRecord(0, 6, "NORMAL", kOneVertex)},
        BadSerialized{"NameLongerThanFile", Header(1, 1, 4) + IntBytes(0) + IntBytes(1) + IntBytes(0) + IntBytes(6) +
                                                IntBytes(0x7ffffff0) + "POS"},
        BadSerialized{"DataShorterThanVertexCount",
                      Header(2, 1, 4) + IntBytes(0) + IntBytes(1) + StreamRecord(0, 6, "NORMAL", kOneVertex)},
        // The mesh's own NORMAL stream would be left with one element for two vertices.
        BadSerialized{"KeptStreamOfAnotherVertexCount",
                      Header(2, 1, 4) + IntBytes(0) + IntBytes(1) +
                          StreamRecord(0, 6, "POSITION", kOneVertex + kOneVertex)}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(LoadMeshTest, DeserializeOfAMissingFileOrUnknownFormatChangesNothing) {
  LoadMesh mesh;
  EXPECT_FALSE(mesh.Deserialize("data/none.mesh"));

  dir.Write("data/m.mesh", Header(1, 1, 4) + IntBytes(0) + IntBytes(1) + StreamRecord(0, 99, "POSITION", kOneVertex));
  EXPECT_EQ(ErrorOf([&] { mesh.Deserialize("data/m.mesh"); }), "Unrecognized per vertex data type");
  EXPECT_EQ(mesh.NumVertices(), 0);
  EXPECT_EQ(mesh.Indices(), nullptr);
  EXPECT_EQ(mesh.NumData(), 0u);
}

TEST_F(LoadMeshTest, DeserializeOnTopReplacesMatchingStreamsAndKeepsTheRest) {
  LoadMesh mesh;
  mesh.NumVertices(1);
  mesh.Add(Stream("NORMAL", 6, 0, Floats({0, 0, 1})));
  mesh.Add(Stream("POSITION", 6, 0, Floats({9, 9, 9})));
  dir.Write("data/m.mesh", Header(1, 3, 2) + std::string(6, '\0') + IntBytes(1) +
                               StreamRecord(0, 6, "POSITION", kOneVertex));
  ASSERT_TRUE(mesh.Deserialize("data/m.mesh"));
  EXPECT_EQ(mesh.IndexStride(), 2);
  ASSERT_EQ(mesh.NumData(), 2u);
  EXPECT_EQ(mesh.GetData(0u)->name, "NORMAL");
  EXPECT_EQ(static_cast<const float*>(mesh.GetData(MeshData::POSITION)->data)[2], 3.0f);
}

}  // namespace
