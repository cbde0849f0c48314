// The demo's generated content without a device: the random table, the curve file and its
// colour ramp, every generated mesh's layout and key values, and the rework of file
// meshes.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/math/vector.h"
#include "engine/wrapper.h"
#include "game/curveFile.h"
#include "game/proceduralGeometry.h"
#include "game/randomTable.h"
#include "support/mesh_support.h"

using engine::gfx::LoadMesh;
using engine::gfx::PVData;
using engine::math::Vector3f;
using nbl::FloatBytes;
using nbl::IntBytes;
using orv::Curve;
using orv::CurveFileError;
using orv::CurveSet;
using orv::MeshPtr;
using testing_support::ErrorOf;
using testing_support::IndicesOf;
using testing_support::ScratchDir;
namespace MeshData = engine::gfx::MeshData;

namespace {

constexpr float kHalfPi = 1.57079633f;

struct F2 {
  float x, y;
};
struct F3 {
  float x, y, z;
};
struct F4 {
  float x, y, z, w;
};

// The listed stream `i`, or a failure.
const PVData& StreamAt(const LoadMesh& mesh, unsigned i) {
  const PVData* stream = mesh.GetData(i);
  if (!stream) throw std::runtime_error("no stream " + std::to_string(i));
  return *stream;
}

template <class T>
const T* Values(const LoadMesh& mesh, unsigned i) {
  return static_cast<const T*>(StreamAt(mesh, i).data);
}

void ExpectNear(const F3& actual, const Vector3f& expected, float tolerance = 1e-4f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectNear(const Vector3f& actual, const Vector3f& expected, float tolerance = 1e-4f) {
  ExpectNear(F3{actual.x, actual.y, actual.z}, expected, tolerance);
}

// ---------------------------------------------------------------------------------------
// Random table

class RandomTableTest : public ::testing::Test {
 protected:
  void SetUp() override { orv::FillRandomTable(); }
};

TEST_F(RandomTableTest, EntriesFollowTheRecurrenceAndKeysWrapAt2To20) {
  // Values worked out independently of the table's code.
  EXPECT_EQ(orv::randomInt(0), 2u);
  EXPECT_EQ(orv::randomInt(1), 4811u);
  EXPECT_EQ(orv::randomInt(2), 3353u);
  EXPECT_EQ(orv::randomInt(3), 35808u);
  EXPECT_EQ(orv::randomInt(1000), 10566u);
  EXPECT_EQ(orv::randomInt(123456), 12450u);
  EXPECT_EQ(orv::randomInt(0xFFFFF), 218u);

  EXPECT_EQ(orv::randomInt(1u << 20), 2u);
  EXPECT_EQ(orv::randomInt((1u << 20) + 1), 4811u);
  EXPECT_EQ(orv::randomInt(0xFFFFFFFFu), 218u);
  // A negative key, as the bubble generator forms them, reads its two's complement.
  EXPECT_EQ(orv::randomInt(static_cast<std::uint32_t>(-1)), 218u);
}

TEST_F(RandomTableTest, FloatsStayWithinZeroToOneAndScaleTheEntries) {
  float lowest = 1.0f, highest = 0.0f;
  std::uint32_t top = 0;
  for (std::uint32_t k = 0; k < (1u << 20); ++k) {
    lowest = std::min(lowest, orv::randomFloat(k));
    highest = std::max(highest, orv::randomFloat(k));
    top = std::max(top, orv::randomInt(k));
  }
  EXPECT_GE(lowest, 0.0f);
  EXPECT_LE(highest, 1.0f);
  // The table reaches 65535, whose scaled value rounds to 1 in single precision.
  EXPECT_EQ(top, 65535u);
  EXPECT_FLOAT_EQ(orv::randomFloat(1), 4811.0f * 65537.0f / 4294967296.0f);
  EXPECT_FLOAT_EQ(orv::randomFloat(0), 2.0f * 65537.0f / 4294967296.0f);
}

// ---------------------------------------------------------------------------------------
// Curve file

// Builds curve file images: objects of curves of points given as knots with handles.
struct CurveFileImage {
  std::string bytes = "CURV";

  CurveFileImage& Int(std::int32_t value) {
    bytes += IntBytes(value);
    return *this;
  }
  CurveFileImage& Vec(const Vector3f& v) {
    bytes += FloatBytes(v.x) + FloatBytes(v.y) + FloatBytes(v.z);
    return *this;
  }
  CurveFileImage& Object(const std::string& name, const Vector3f& location, const Vector3f& rotation, int curves) {
    Int(static_cast<std::int32_t>(name.size()));
    bytes += name;
    return Vec(location).Vec(rotation).Int(curves);
  }
  // p points in file order left, knot, right, then p - 1 segment lengths.
  CurveFileImage& CurveOf(const std::vector<orv::CurvePoint>& points, const std::vector<float>& lengths) {
    Int(static_cast<std::int32_t>(points.size()));
    for (const auto& p : points) Vec(p.left).Vec(p.knot).Vec(p.right);
    for (float length : lengths) bytes += FloatBytes(length);
    return *this;
  }
};

// A point whose handles sit one unit either side of the knot along x.
orv::CurvePoint Knot(float x, float y, float z) {
  return {Vector3f(x - 1, y, z), Vector3f(x + 1, y, z), Vector3f(x, y, z)};
}

// Points k = 0 .. count - 1 at (k, 2k, 3k), handles along x.
std::vector<orv::CurvePoint> Line(int count) {
  std::vector<orv::CurvePoint> points;
  for (int k = 0; k < count; ++k) points.push_back(Knot(float(k), 2.0f * k, 3.0f * k));
  return points;
}

// One object "Curve" with one curve of `points` points and unit segment lengths.
CurveFileImage SingleCurve(int points) {
  CurveFileImage file;
  file.Int(1).Object("Curve", Vector3f(0, 0, 0), Vector3f(0, 0, 0), 1);
  return file.CurveOf(Line(points), std::vector<float>(points > 1 ? points - 1 : 0, 1.0f));
}

class CurveFileTest : public ::testing::Test {
 protected:
  // The text ReadCurves raises for the file `bytes`, or "(no error)".
  std::string ReadError(const std::string& bytes) {
    dir.Write("data/test.curves", bytes);
    try {
      orv::ReadCurves("data/test.curves");
    } catch (const CurveFileError& e) {
      return e.what();
    }
    return "(no error)";
  }

  CurveSet Read(const CurveFileImage& file) {
    dir.Write("data/test.curves", file.bytes);
    return orv::ReadCurves("data/test.curves");
  }

  ScratchDir dir;
};

TEST_F(CurveFileTest, MissingOrUnreadableFileAndForeignMagicHaveFixedTexts) {
  EXPECT_EQ(ReadError("CURV" + IntBytes(0)), "(no error)");
  boost::filesystem::create_directories(dir.Path("data/folder.curves"));
  for (const char* path : {"data/none.curves", "data/folder.curves"}) {
    try {
      orv::ReadCurves(path);
      ADD_FAILURE() << path << " was read";
    } catch (const CurveFileError& e) {
      EXPECT_STREQ(e.what(), "No such file found") << path;
    }
  }
  // Windows separators reach the same file.
  dir.Write("data/win.curves", "CURV" + IntBytes(0));
  EXPECT_NO_THROW(orv::ReadCurves("data\\win.curves"));

  for (const std::string& bytes : {std::string(), std::string("CUR"), std::string("curv") + IntBytes(0),
                                   std::string("NBLU") + IntBytes(0), std::string("XCURV") + IntBytes(0)})
    EXPECT_EQ(ReadError(bytes), "Not a curve file") << bytes;
}

TEST_F(CurveFileTest, PointsAreReorderedTransformedAndLengthsAccumulated) {
  CurveFileImage file;
  file.Int(3);
  // Rotation X then Y, each a quarter turn: (0, 1, 0) goes to (0, 0, -1), then to
  // (-1, 0, 0); the other order would give (0, 0, -1).
  file.Object("Turned", Vector3f(1, 2, 3), Vector3f(kHalfPi, kHalfPi, 0), 1)
      .CurveOf({{/*left*/ Vector3f(0, 1, 0), /*right*/ Vector3f(0, 0, 1), /*knot*/ Vector3f(0, 0, 0)}}, {});
  file.Object("Curve", Vector3f(0, 0, 0), Vector3f(0, 0, 0), 2)
      .CurveOf(Line(3), {1.5f, 2.0f})
      .CurveOf({}, {});
  // A second object of the same name adds to its curves; a Z quarter turn takes x to y.
  file.Object("Curve", Vector3f(0, 0, 10), Vector3f(0, 0, kHalfPi), 1).CurveOf(Line(2), {4.0f});
  const CurveSet curves = Read(file);

  ASSERT_EQ(curves.size(), 2u);
  const Curve& turned = curves.at("Turned").at(0);
  ASSERT_EQ(turned.points.size(), 1u);
  EXPECT_TRUE(turned.lengths.empty());
  ExpectNear(turned.points[0].left, Vector3f(0, 2, 3));   // (-1, 0, 0) + location
  ExpectNear(turned.points[0].knot, Vector3f(1, 2, 3));   // the origin moves only
  ExpectNear(turned.points[0].right, Vector3f(1, 3, 3));  // (0, 0, 1) -> (0, 1, 0) under X

  const std::vector<Curve>& list = curves.at("Curve");
  ASSERT_EQ(list.size(), 3u);
  ASSERT_EQ(list[0].points.size(), 3u);
  ExpectNear(list[0].points[2].knot, Vector3f(2, 4, 6));
  ExpectNear(list[0].points[2].left, Vector3f(1, 4, 6));
  ExpectNear(list[0].points[2].right, Vector3f(3, 4, 6));
  EXPECT_EQ(list[0].lengths, (std::vector<float>{1.5f, 3.5f}));
  EXPECT_TRUE(list[1].points.empty());
  EXPECT_TRUE(list[1].lengths.empty());
  ExpectNear(list[2].points[1].knot, Vector3f(-2, 1, 13));
  EXPECT_EQ(list[2].lengths, (std::vector<float>{4.0f}));
}

TEST_F(CurveFileTest, EveryTruncationEndsInAnErrorNamingTheFile) {
  const std::string whole = SingleCurve(3).bytes + "trailing bytes are ignored";
  EXPECT_EQ(ReadError(whole), "(no error)");
  const std::size_t end = SingleCurve(3).bytes.size();
  for (std::size_t size = 4; size < end; ++size) {
    const std::string text = ReadError(whole.substr(0, size));
    EXPECT_EQ(text.rfind("data/test.curves ends early: ", 0), 0u) << size << ": " << text;
  }
  EXPECT_EQ(ReadError(whole.substr(0, 6)),
            "data/test.curves ends early: the object count needs 4 bytes at offset 4, but only 2 are left");
}

TEST_F(CurveFileTest, ImpossibleCountsAreRefusedBeforeAnythingIsAllocated) {
  const std::string name = IntBytes(5) + "Curve";
  const std::string place(24, '\0');
  const struct {
    std::string bytes;
    std::string error;
  } rows[] = {
      {"CURV" + IntBytes(-1), "data/test.curves: the object count is negative (-1)"},
      {"CURV" + IntBytes(0x7FFFFFFF) + name + place + IntBytes(0),
       "data/test.curves ends early: the name length of object 2 of 2147483647 needs 4 bytes at offset 45, but "
       "only 0 are left"},
      {"CURV" + IntBytes(1) + IntBytes(0x7FFFFFFF),
       "data/test.curves ends early: the name of object 1 of 1 needs 2147483647 bytes at offset 12, but only 0 "
       "are left"},
      {"CURV" + IntBytes(1) + IntBytes(-3), "data/test.curves: the name length of object 1 of 1 is negative (-3)"},
      {"CURV" + IntBytes(1) + name + place + IntBytes(-2),
       "data/test.curves: the curve count of object 1 of 1 is negative (-2)"},
      {"CURV" + IntBytes(1) + name + place + IntBytes(0x7FFFFFFF),
       "data/test.curves ends early: the point count of curve 1 of object 1 of 1 needs 4 bytes at offset 45, but "
       "only 0 are left"},
      {"CURV" + IntBytes(1) + name + place + IntBytes(1) + IntBytes(0x7FFFFFFF) + std::string(100, '\0'),
       "data/test.curves ends early: curve 1 of object 1 of 1 has 2147483647 points, which need 85899345876 "
       "bytes, but only 100 are left"},
      {"CURV" + IntBytes(1) + name + place + IntBytes(1) + IntBytes(-1),
       "data/test.curves: the point count of curve 1 of object 1 of 1 is negative (-1)"},
      // Two points need two triples of triples and one length: 76 bytes.
      {"CURV" + IntBytes(1) + name + place + IntBytes(1) + IntBytes(2) + std::string(75, '\0'),
       "data/test.curves ends early: curve 1 of object 1 of 1 has 2 points, which need 76 bytes, but only 75 are "
       "left"},
  };
  for (const auto& row : rows) EXPECT_EQ(ReadError(row.bytes), row.error);
}

TEST(CurveEvaluation, SegmentsRunKnotToKnotThroughTheHandles) {
  Curve curve;
  curve.points = {{Vector3f(9, 9, 9), Vector3f(1, 1, 0), Vector3f(0, 0, 0)},
                  {Vector3f(2, 1, 0), Vector3f(7, 7, 7), Vector3f(3, 0, 0)},
                  {Vector3f(4, 4, 4), Vector3f(8, 8, 8), Vector3f(5, 5, 5)}};
  ExpectNear(orv::EvaluateCurve(curve, 0, 0.0f), Vector3f(0, 0, 0));
  ExpectNear(orv::EvaluateCurve(curve, 0, 1.0f), Vector3f(3, 0, 0));
  ExpectNear(orv::EvaluateCurve(curve, 1, 0.0f), Vector3f(3, 0, 0));
  ExpectNear(orv::EvaluateCurve(curve, 1, 1.0f), Vector3f(5, 5, 5));
  // Halfway: (knot0 + 3 right0 + 3 left1 + knot1) / 8; the first point's left handle and
  // the last one's right never take part.
  ExpectNear(orv::EvaluateCurve(curve, 0, 0.5f), Vector3f((0 + 3 + 6 + 3) / 8.0f, (0 + 3 + 3 + 0) / 8.0f, 0));

  EXPECT_THROW(orv::EvaluateCurve(curve, 2, 0.0f), std::out_of_range);
  EXPECT_THROW(orv::EvaluateCurve(curve, -1, 0.0f), std::out_of_range);
  Curve single;
  single.points = {Knot(0, 0, 0)};
  EXPECT_THROW(orv::EvaluateCurve(single, 0, 0.0f), std::out_of_range);
}

TEST_F(CurveFileTest, ColourRampSamplesEightSegmentsOfTheFirstCurve) {
  CurveFileImage file = SingleCurve(10);
  // A later object and a second curve of "Curve" must not be the ones sampled.
  file.bytes.replace(4, 4, IntBytes(2));
  file.Object("Curve", Vector3f(100, 0, 0), Vector3f(0, 0, 0), 1).CurveOf(Line(9), std::vector<float>(8, 1.0f));
  const CurveSet curves = Read(file);
  const std::vector<float> ramp = orv::SampleColourRamp(curves);
  ASSERT_EQ(ramp.size(), 1024u);
  const Curve& curve = curves.at("Curve").at(0);
  for (int entry : {0, 1, 31, 32, 100, 255}) {
    const Vector3f expected = orv::EvaluateCurve(curve, entry / 32, (entry % 32) / 32.0f);
    ExpectNear(Vector3f(ramp[4 * entry], ramp[4 * entry + 1], ramp[4 * entry + 2]), expected);
    EXPECT_FLOAT_EQ(ramp[4 * entry + 3], entry / 256.0f);
  }
  // Sample 32 of a segment is the next segment's first: the ramp starts on knot 0 and
  // stops one sample short of knot 8.
  ExpectNear(Vector3f(ramp[0], ramp[1], ramp[2]), Vector3f(0, 0, 0));
  ExpectNear(Vector3f(ramp[128], ramp[129], ramp[130]), Vector3f(1, 2, 3));

  auto error = [](const CurveSet& set) {
    try {
      orv::SampleColourRamp(set);
    } catch (const CurveFileError& e) {
      return std::string(e.what());
    }
    return std::string("(no error)");
  };
  EXPECT_EQ(error(Read(SingleCurve(9))), "(no error)");
  EXPECT_EQ(error(Read(SingleCurve(8))),
            "The colour ramp needs 9 points on the first curve of \"Curve\", which has 8");
  EXPECT_EQ(error(CurveSet{{"Other", {curve}}}),
            "The colour ramp needs a curve of the object \"Curve\", and the curve file has none");
  EXPECT_EQ(error(CurveSet{{"Curve", {}}}),
            "The colour ramp needs a curve of the object \"Curve\", and the curve file has none");
}

// ---------------------------------------------------------------------------------------
// Generated meshes

struct StreamLayout {
  const char* name;
  int format;
  int semanticIndex;
};

struct GeneratedMesh {
  const char* name;
  std::function<MeshPtr()> make;
  int vertices;
  int indices;
  std::vector<StreamLayout> streams;
  int verticesPerPiece;  // indices of piece p stay within its own vertices
};

std::vector<GeneratedMesh> Generated() {
  return {
      {"points Cube", orv::MakePointsCube, 262144, 393216,
       {{"POSITION", 6, 0}, {"TEXCOORD", 16, 0}, {"TEXCOORD", 16, 1}, {"TEXCOORD", 42, 2}}, 4},
      {"intro Grid", orv::MakeIntroGrid, 16384, 24576, {{"POSITION", 6, 0}, {"TEXCOORD", 16, 0}, {"TEXCOORD", 42, 1}}, 4},
      {"Flashes", [] { return orv::MakeBubblesAndFlashes().flashes; }, 16384, 24576,
       {{"POSITION", 6, 0}, {"TEXCOORD", 6, 0}}, 4},
      {"Bubbles", [] { return orv::MakeBubblesAndFlashes().bubbles; }, 36864, 98304,
       {{"POSITION", 6, 0}, {"NORMAL", 6, 0}, {"TEXCOORD", 16, 0}}, 9},
      {"Electric", orv::MakeElectric, 2048, 3072, {{"POSITION", 6, 0}, {"TEXCOORD", 16, 0}, {"TEXCOORD", 6, 1}}, 4},
      {"city Stars", orv::MakeStars, 4096, 6144, {{"POSITION", 6, 0}, {"TEXCOORD", 16, 0}, {"TEXCOORD", 6, 1}}, 4},
      {"Smoke", orv::MakeSmoke, 512, 768, {{"POSITION", 6, 0}, {"TEXCOORD", 16, 0}, {"TEXCOORD", 2, 1}}, 4},
  };
}

class GeneratedMeshTest : public ::testing::TestWithParam<GeneratedMesh> {
 protected:
  void SetUp() override { orv::FillRandomTable(); }
};

TEST_P(GeneratedMeshTest, CountsStreamsAndIndicesMatchItsLayout) {
  const GeneratedMesh& expected = GetParam();
  const MeshPtr mesh = expected.make();
  EXPECT_EQ(mesh->NumVertices(), expected.vertices);
  EXPECT_EQ(mesh->NumIndices(), expected.indices);
  EXPECT_EQ(mesh->IndexStride(), 4);
  ASSERT_EQ(mesh->NumData(), expected.streams.size());
  for (unsigned i = 0; i < mesh->NumData(); ++i) {
    const PVData& stream = StreamAt(*mesh, i);
    EXPECT_EQ(stream.name, expected.streams[i].name) << i;
    EXPECT_EQ(stream.format, expected.streams[i].format) << i;
    EXPECT_EQ(stream.semanticIndex, expected.streams[i].semanticIndex) << i;
    EXPECT_NE(stream.data, nullptr) << i;
  }
  // The float streams are finite everywhere: nothing left unwritten or divided by zero.
  for (unsigned i = 0; i < mesh->NumData(); ++i) {
    const PVData& stream = StreamAt(*mesh, i);
    if (stream.format == 42) continue;
    const int floats = mesh->NumVertices() * engine::gfx::FormatSize(stream.format) / 4;
    const float* values = static_cast<const float*>(stream.data);
    int bad = 0;
    for (int k = 0; k < floats; ++k) bad += !std::isfinite(values[k]);
    EXPECT_EQ(bad, 0) << stream.name << " " << stream.semanticIndex;
  }
  // Piece p's indices address only piece p's vertices, and every vertex is used.
  const std::vector<std::uint32_t> indices = IndicesOf(*mesh);
  const int indicesPerPiece = expected.indices / (expected.vertices / expected.verticesPerPiece);
  std::vector<bool> used(static_cast<std::size_t>(expected.vertices));
  int outside = 0;
  for (std::size_t k = 0; k < indices.size(); ++k) {
    const std::uint32_t piece = static_cast<std::uint32_t>(k / indicesPerPiece);
    outside += indices[k] / expected.verticesPerPiece != piece;
    if (indices[k] < used.size()) used[indices[k]] = true;
  }
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(std::count(used.begin(), used.end(), false), 0);
}

INSTANTIATE_TEST_SUITE_P(Demo, GeneratedMeshTest, ::testing::ValuesIn(Generated()),
                         [](const ::testing::TestParamInfo<GeneratedMesh>& row) {
                           std::string name = row.param.name;
                           name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
                           return name;
                         });

class MeshValuesTest : public ::testing::Test {
 protected:
  void SetUp() override { orv::FillRandomTable(); }
};

TEST_F(MeshValuesTest, PointsCubeGridCornersTexCoordsAndRings) {
  const MeshPtr mesh = orv::MakePointsCube();
  const F3* position = Values<F3>(*mesh, 0);
  const F2* corner = Values<F2>(*mesh, 1);
  const F2* centre = Values<F2>(*mesh, 2);
  const std::uint32_t* ring = Values<std::uint32_t>(*mesh, 3);

  ExpectNear(position[0], Vector3f(-10, -10, 0), 0);
  ExpectNear(position[1], Vector3f(-10, -9.921875f, 0), 0);
  ExpectNear(position[2], Vector3f(-9.921875f, -9.921875f, 0), 0);
  ExpectNear(position[3], Vector3f(-9.921875f, -10, 0), 0);
  for (int v = 0; v < 4; ++v) EXPECT_EQ(ring[v], 478u);
  const std::vector<std::uint32_t> indices = IndicesOf(*mesh);
  EXPECT_EQ(std::vector<std::uint32_t>(indices.begin(), indices.begin() + 12),
            (std::vector<std::uint32_t>{0, 1, 2, 2, 3, 0, 4, 5, 6, 6, 7, 4}));

  const F2 corners[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
  for (int v = 0; v < 4; ++v) {
    EXPECT_EQ(corner[v].x, corners[v].x);
    EXPECT_EQ(corner[v].y, corners[v].y);
    EXPECT_FLOAT_EQ(centre[v].x, 0.5f / 256);
    EXPECT_FLOAT_EQ(centre[v].y, -0.5f / 256);
  }
  // Cell (i, j) = (1, 0) is the second cell: columns run inside rows.
  ExpectNear(position[4], Vector3f(-9.921875f, -10, 0), 0);
  // Cell (128, 128) touches the centre and has the lowest ring; the last cell's upper
  // right corner is the grid's.
  const int middle = 4 * (128 * 256 + 128);
  ExpectNear(position[middle], Vector3f(0, 0, 0), 0);
  EXPECT_EQ(ring[middle], 10u);
  const int last = 4 * (256 * 256 - 1);
  ExpectNear(position[last + 2], Vector3f(10, 10, 0), 0);
  EXPECT_FLOAT_EQ(centre[last].x, 255.5f / 256);
  EXPECT_FLOAT_EQ(centre[last].y, -255.5f / 256);
  EXPECT_EQ(ring[last], (127u * 127u * 2u) / 70u + 10u);
  // Cell (0, 255): row 255, column 0.
  EXPECT_EQ(ring[4 * 255 * 256], (128u * 128u + 127u * 127u) / 70u + 10u);
}

TEST_F(MeshValuesTest, IntroGridTexCoordsAndRandomCellValues) {
  const MeshPtr mesh = orv::MakeIntroGrid();
  const F3* position = Values<F3>(*mesh, 0);
  const F2* texCoord = Values<F2>(*mesh, 1);
  const std::uint32_t* random = Values<std::uint32_t>(*mesh, 2);
  ExpectNear(position[0], Vector3f(-1, -1, 0), 0);
  ExpectNear(position[2], Vector3f(-0.96875f, -0.96875f, 0), 0);
  ExpectNear(position[4 * 64 * 64 - 2], Vector3f(1, 1, 0), 0);
  // Cell (i, j) = (3, 5).
  const int cell = 4 * (5 * 64 + 3);
  for (int v = 0; v < 4; ++v) {
    EXPECT_FLOAT_EQ(texCoord[cell + v].x, (3 / 32.0f) / 2);
    EXPECT_FLOAT_EQ(texCoord[cell + v].y, -(5 / 32.0f) / 2);
    EXPECT_EQ(random[cell + v], orv::randomInt(140 * 25 + 217 * 3) & 63u);
  }
  std::set<std::uint32_t> seen;
  for (int v = 0; v < mesh->NumVertices(); ++v) seen.insert(random[v]);
  EXPECT_LE(*seen.rbegin(), 63u);
  EXPECT_GT(seen.size(), 32u);  // the values really vary
}

TEST_F(MeshValuesTest, BubblePiecesAndFlashesShareTheirCell) {
  const orv::BubblesAndFlashes meshes = orv::MakeBubblesAndFlashes();
  const F3* flash = Values<F3>(*meshes.flashes, 0);
  const F3* flashTex = Values<F3>(*meshes.flashes, 1);
  const F3* bubble = Values<F3>(*meshes.bubbles, 0);
  const F3* normal = Values<F3>(*meshes.bubbles, 1);
  const F2* patch = Values<F2>(*meshes.bubbles, 2);
  const float d = 0.078125f;

  // Iteration 0 uses key 0, entry 2: column 2, row 0.
  ExpectNear(flash[0], Vector3f(-30 * d, -32 * d, 0), 0);
  ExpectNear(flash[2], Vector3f(-29 * d, -31 * d, 0), 0);
  const float z0 = -3.4f * orv::randomFloat(static_cast<std::uint32_t>(1337 * -32 + 17789 * -30));
  for (int v = 0; v < 9; ++v) ExpectNear(bubble[v], Vector3f(-30 * d + d / 2, -32 * d + d / 2, z0), 0);

  const std::vector<std::uint32_t> indices = IndicesOf(*meshes.bubbles);
  // The second piece: the patch's triangles from base vertex 9.
  EXPECT_EQ(std::vector<std::uint32_t>(indices.begin() + 24, indices.begin() + 48),
            (std::vector<std::uint32_t>{9, 10, 12, 10, 11, 12, 10, 13, 11, 13, 14, 11,
                                        11, 14, 16, 14, 15, 16, 12, 11, 17, 11, 16, 17}));
  ExpectNear(normal[2], Vector3f(0, 0, -1), 0);
  ExpectNear(normal[6], Vector3f(1, -1, 0), 0);
  EXPECT_EQ(patch[2].x, 0.5f);
  EXPECT_EQ(patch[4].y, 1.0f);

  for (int p = 0; p < 4096; ++p) {
    const F3& corner = flash[4 * p];
    const F3& centre = bubble[9 * p];
    ASSERT_FLOAT_EQ(centre.x, corner.x + d / 2) << p;
    ASSERT_FLOAT_EQ(centre.y, corner.y + d / 2) << p;
    ASSERT_TRUE(corner.x >= -2.5f && corner.x < 2.5f && corner.y >= -2.5f && corner.y < 2.5f) << p;
    ASSERT_TRUE(centre.z <= 0.0f && centre.z >= -3.4f) << p;
    ASSERT_TRUE(flashTex[4 * p].z >= 0.0f && flashTex[4 * p].z <= 1.0f) << p;
    for (int v = 1; v < 4; ++v) ASSERT_EQ(flashTex[4 * p + v].z, flashTex[4 * p].z) << p;
    // Every iteration of the nested loops comes from its own key: p = 256 i + 16 j + k.
  }
  const int p = 256 * 3 + 16 * 7 + 11;
  const std::uint32_t r = orv::randomInt(77789u * 3 + 1164778u * 7 + 111u * 11) & 0xFFF;
  ExpectNear(flash[4 * p], Vector3f((int(r & 63) - 32) * d, (int((r >> 6) & 63) - 32) * d, 0), 0);
}

TEST_F(MeshValuesTest, ElectricSpiralAndStarShell) {
  const MeshPtr electric = orv::MakeElectric();
  const F3* position = Values<F3>(*electric, 0);
  const F3* offset = Values<F3>(*electric, 2);
  ExpectNear(position[0], Vector3f(0, 4, 0));
  const float h = 0.1f * std::sqrt(2.0f);
  ExpectNear(offset[0], Vector3f(-h, h, 0), 0);
  ExpectNear(offset[2], Vector3f(h, -h, 0), 0);
  // Quad 256: t = 0.5, f = 1 - 256 * 0.0017578126, angle 3 pi / 1.5 = 2 pi.
  const float f = 1.0f - 256 * 0.0017578126f;
  ExpectNear(position[4 * 256], Vector3f(0, 4 * f * f * f, -1.5f));
  ExpectNear(offset[4 * 256 + 3], Vector3f(-h, -h, 0.5f), 0);

  const MeshPtr stars = orv::MakeStars();
  const F3* centre = Values<F3>(*stars, 0);
  const F2* corner = Values<F2>(*stars, 1);
  const F3* starOffset = Values<F3>(*stars, 2);
  for (int k = 0; k < 1024; ++k) {
    const float r = std::sqrt(centre[4 * k].x * centre[4 * k].x + centre[4 * k].y * centre[4 * k].y +
                              centre[4 * k].z * centre[4 * k].z);
    ASSERT_TRUE(r >= 199.99f && r <= 280.01f) << k << ": " << r;
  }
  // Star 0 lies on the x axis at 200 + 80 randomFloat(100).
  ExpectNear(centre[0], Vector3f(200 + 80 * orv::randomFloat(100), 0, 0), 1e-3f);
  const float hs = 1.5f * std::sqrt(2.0f);
  EXPECT_FLOAT_EQ(hs, 2.1213203f);
  ExpectNear(starOffset[4 * 512 + 1], Vector3f(hs, hs, 0.5f), 0);
  EXPECT_EQ(corner[4 * 7 + 3].x, 0.0f);
  EXPECT_EQ(corner[4 * 7 + 3].y, 0.0f);
  EXPECT_EQ(corner[4 * 7 + 0].y, 1.0f);
}

TEST_F(MeshValuesTest, SmokePuffsStayInTheirBox) {
  const MeshPtr smoke = orv::MakeSmoke();
  const F3* centre = Values<F3>(*smoke, 0);
  const F4* offset = Values<F4>(*smoke, 2);
  for (int k = 0; k < 128; ++k) {
    const F3& c = centre[4 * k];
    ASSERT_TRUE(c.x >= -4 && c.x <= 4 && c.y >= -2 && c.y <= 2 && c.z >= -8 && c.z <= -2) << k;
    for (int v = 0; v < 4; ++v) {
      ASSERT_EQ(centre[4 * k + v].z, c.z);
      const F4& o = offset[4 * k + v];
      ASSERT_TRUE(std::fabs(o.x) >= 0.75f && std::fabs(o.x) <= 2.25f && std::fabs(o.y) == std::fabs(o.x)) << k;
      ASSERT_EQ(o.z, offset[4 * k].z);
      ASSERT_FLOAT_EQ(o.w, k / 128.0f);
    }
  }
}

// ---------------------------------------------------------------------------------------
// File meshes

class FileMeshTest : public testing_support::MeshTest {
 protected:
  void SetUp() override { orv::FillRandomTable(); }

  MeshPtr Read(const nbl::Writer& file) {
    dir.Write("data/src.nbl", file.Bytes());
    return MeshPtr(engine::GetNBLMesh(L"data/src.nbl"));
  }

  static nbl::Writer Triangle(int stride = 4) {
    nbl::Writer file;
    file.Positions({Vector3f(0, 0, 0), Vector3f(1, 0, 0), Vector3f(0, 1, 1)})
        .Normals({Vector3f(0, 0, 1), Vector3f(0, 1, 0), Vector3f(1, 0, 0)})
        .TexCoords({{0, 0}, {1, 0}, {0, 1}});
    return file.Indices({0, 2, 1}, stride);
  }
};

TEST_F(FileMeshTest, CubeCloudCopiesTheSourceOntoRandomCells) {
  for (int stride : {2, 4}) {
    const MeshPtr source = Read(Triangle(stride).End());
    const MeshPtr cloud = orv::MakeCubeCloud(*source, L"data/src.nbl");
    ASSERT_EQ(cloud->NumVertices(), 768);
    ASSERT_EQ(cloud->NumIndices(), 768);
    EXPECT_EQ(cloud->IndexStride(), 4);
    ASSERT_EQ(cloud->NumData(), 4u);
    const std::vector<std::tuple<std::string, int, int>> layout = {
        {"POSITION", 6, 0}, {"NORMAL", 6, 0}, {"TEXCOORD", 6, 1}, {"TEXCOORD", 42, 2}};
    for (unsigned i = 0; i < 4; ++i)
      EXPECT_EQ(std::make_tuple(StreamAt(*cloud, i).name, StreamAt(*cloud, i).format, StreamAt(*cloud, i).semanticIndex),
                layout[i]);
    EXPECT_FALSE(cloud->IsAvailable(MeshData::TEXCOORD));  // the source's coordinates stay behind

    const F3* position = Values<F3>(*cloud, 0);
    const F3* normal = Values<F3>(*cloud, 1);
    const F3* cell = Values<F3>(*cloud, 2);
    const std::uint32_t* ring = Values<std::uint32_t>(*cloud, 3);
    const std::vector<std::uint32_t> indices = IndicesOf(*cloud);
    for (std::uint32_t k : {0u, 1u, 200u, 255u}) {
      const std::uint32_t r = orv::randomInt(k) & 0xFFF;
      const int row = int(r / 64), column = int(r % 64);
      const float dx = (column / 32.0f - 1) * 10, dy = (row / 32.0f - 1) * 10;
      ExpectNear(position[3 * k + 2], Vector3f(dx, 1 + dy, 1), 1e-5f);
      ExpectNear(normal[3 * k + 1], Vector3f(0, 1, 0), 0);
      for (int v = 0; v < 3; ++v) {
        ExpectNear(cell[3 * k + v], Vector3f((column + 0.5f) / 64, -(row + 0.5f) / 64,
                                             -65 - 30 * orv::randomFloat(135 * column + 14 * row)));
        EXPECT_EQ(ring[3 * k + v], static_cast<std::uint32_t>(((row - 32) * (row - 32) + (column - 32) * (column - 32)) / 70 + 10));
      }
      EXPECT_EQ(indices[3 * k + 0], 3 * k + 0);
      EXPECT_EQ(indices[3 * k + 1], 3 * k + 2);
      EXPECT_EQ(indices[3 * k + 2], 3 * k + 1);
    }
    // Copy 0 uses entry 2: row 0, column 2.
    ExpectNear(position[0], Vector3f(-9.375f, -10, 0), 0);
  }
}

TEST_F(FileMeshTest, CubeCloudRefusesSourcesItCannotCopy) {
  nbl::Writer noNormals;
  noNormals.Positions({Vector3f(0, 0, 0), Vector3f(1, 0, 0), Vector3f(0, 1, 0)}).Indices({0, 1, 2}).End();
  const MeshPtr flat = Read(noNormals);
  EXPECT_EQ(ErrorOf([&] { orv::MakeCubeCloud(*flat, L"data/points.demo_scene/Cubes.nbl"); }),
            "data/points.demo_scene/Cubes.nbl has no NORMAL stream");

  nbl::Writer farIndex = Triangle();
  farIndex.Indices({0, 1, 3}).End();
  const MeshPtr broken = Read(farIndex);
  EXPECT_EQ(ErrorOf([&] { orv::MakeCubeCloud(*broken, L"data/src.nbl"); }),
            "data/src.nbl: index 3 at 2 is past its 3 vertices");
}

TEST_F(FileMeshTest, CityCubeGetsOneRandomValuePerTriangleOfVertices) {
  nbl::Writer file;
  std::vector<Vector3f> positions(8, Vector3f(0, 0, 0));
  file.Positions(positions).Indices({0, 1, 2, 3, 4, 5}).End();
  const MeshPtr mesh = Read(file);
  orv::AddCityCubeGroups(*mesh);
  ASSERT_EQ(mesh->NumData(), 2u);
  const PVData& stream = StreamAt(*mesh, 1);
  EXPECT_EQ(std::make_tuple(stream.name, stream.format, stream.semanticIndex), std::make_tuple(std::string("TEXCOORD"), 42, 1));
  EXPECT_FALSE(mesh->IsAvailable(MeshData::TEXCOORD));
  const std::uint32_t* value = static_cast<const std::uint32_t*>(stream.data);
  for (std::uint32_t g = 0; g < 2; ++g) {
    for (std::uint32_t v = 0; v < 3; ++v) EXPECT_EQ(value[3 * g + v], (orv::randomInt(g + 100) & 63) + 20);
  }
  EXPECT_EQ(value[6], 0u);
  EXPECT_EQ(value[7], 0u);
}

}  // namespace
