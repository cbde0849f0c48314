#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/core/textConversion.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/wrapper.h"
#include "tools/meshgen/demoModels.h"
#include "tools/meshgen/pixelFont.h"
#include "tools/meshgen/shapes.h"

namespace {

using meshgen::Mesh;
using meshgen::Vector2f;
using meshgen::Vector3f;
namespace MeshData = engine::gfx::MeshData;

Mesh Build(const std::string& path) {
  for (const meshgen::MeshFile& file : meshgen::DemoMeshFiles())
    if (file.path == path) return file.build();
  ADD_FAILURE() << "meshgen writes no " << path;
  return Mesh();
}

Vector3f FaceNormal(const Mesh& m, std::size_t triangle) {
  const Vector3f& a = m.positions[m.indices[3 * triangle]];
  const Vector3f& b = m.positions[m.indices[3 * triangle + 1]];
  const Vector3f& c = m.positions[m.indices[3 * triangle + 2]];
  return (b - a) ^ (c - a);
}

struct Bounds {
  Vector3f low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
  Vector3f Size() const { return high - low; }
};

Bounds BoundsOf(const Mesh& m) {
  Bounds b;
  for (const Vector3f& p : m.positions) {
    b.low = Vector3f(std::min(b.low.x, p.x), std::min(b.low.y, p.y), std::min(b.low.z, p.z));
    b.high = Vector3f(std::max(b.high.x, p.x), std::max(b.high.y, p.y), std::max(b.high.z, p.z));
  }
  return b;
}

// Positions on a 10-micrometre lattice, so vertices that were meant to coincide do.
using Point = std::tuple<long, long, long>;
Point Key(const Vector3f& p) {
  return Point(std::lround(p.x * 1e5f), std::lround(p.y * 1e5f), std::lround(p.z * 1e5f));
}

struct EdgeFaults {
  int open = 0;         // run one way only: a hole, or the rim of a sheet
  int misoriented = 0;  // run twice the same way (two triangles wound against each other) or by more than two
};

// Edges by position: a closed, consistently wound surface runs every edge once each way.
EdgeFaults CheckEdges(const Mesh& m) {
  std::map<std::pair<Point, Point>, int> edges;
  for (std::size_t k = 0; k < m.indices.size(); k += 3)
    for (int j = 0; j < 3; ++j)
      ++edges[{Key(m.positions[m.indices[k + j]]), Key(m.positions[m.indices[k + (j + 1) % 3]])}];
  EdgeFaults faults;
  for (const auto& [edge, count] : edges) {
    const auto back = edges.find({edge.second, edge.first});
    if (count != 1 || (back != edges.end() && back->second != 1))
      ++faults.misoriented;
    else if (back == edges.end())
      ++faults.open;
  }
  return faults;
}

double SignedVolume(const Mesh& m) {
  double volume = 0;
  for (std::size_t k = 0; k < m.indices.size(); k += 3) {
    const Vector3f& a = m.positions[m.indices[k]];
    volume += a * (m.positions[m.indices[k + 1]] ^ m.positions[m.indices[k + 2]]) / 6.0;
  }
  return volume;
}

// ---- Properties every mesh must have ----

struct MeshCase {
  std::string path;
  bool closed;  // a solid (or solids), rather than a sheet
  bool flat;    // every vertex carries its triangle's face normal
};

std::ostream& operator<<(std::ostream& out, const MeshCase& c) { return out << c.path; }

class DemoMeshTest : public testing::TestWithParam<MeshCase> {};

TEST_P(DemoMeshTest, TrianglesAreWellFormedAndNormalsAgreeWithTheirWinding) {
  const Mesh m = Build(GetParam().path);
  ASSERT_FALSE(m.indices.empty());
  ASSERT_EQ(m.indices.size() % 3, 0u);
  ASSERT_EQ(m.normals.size(), m.positions.size());
  ASSERT_EQ(m.texCoords.size(), m.positions.size());
  for (std::uint32_t i : m.indices) ASSERT_LT(i, m.positions.size());

  int badNormals = 0, degenerate = 0;
  for (std::size_t t = 0; t < m.indices.size() / 3; ++t) {
    Vector3f face = FaceNormal(m, t);
    if (!(face.Mag() > 1e-7f)) {
      ++degenerate;
      continue;
    }
    face = face * (1.0f / face.Mag());
    for (int j = 0; j < 3; ++j) {
      const Vector3f& n = m.normals[m.indices[3 * t + j]];
      const bool agrees = GetParam().flat ? (n - face).Mag() < 1e-4f : n * face > 0.9f;
      if (std::fabs(n.Mag() - 1.0f) > 1e-4f || !agrees) ++badNormals;
    }
  }
  EXPECT_EQ(degenerate, 0);
  EXPECT_EQ(badNormals, 0);
  for (const Vector2f& uv : m.texCoords) ASSERT_TRUE(std::isfinite(uv.x) && std::isfinite(uv.y));
}

TEST_P(DemoMeshTest, WindingIsConsistentAndSolidsAreClosedFacingOut) {
  const Mesh m = Build(GetParam().path);
  const EdgeFaults faults = CheckEdges(m);
  EXPECT_EQ(faults.misoriented, 0);
  if (GetParam().closed) {
    EXPECT_EQ(faults.open, 0);
    EXPECT_GT(SignedVolume(m), 0.0);
  } else {
    EXPECT_GT(faults.open, 0);
  }
}

TEST_P(DemoMeshTest, OutputIsTheSameOnEveryRun) {
  const Mesh a = Build(GetParam().path), b = Build(GetParam().path);
  ASSERT_EQ(a.positions.size(), b.positions.size());
  EXPECT_EQ(std::memcmp(a.positions.data(), b.positions.data(), a.positions.size() * sizeof(Vector3f)), 0);
  EXPECT_EQ(a.indices, b.indices);
}

INSTANTIATE_TEST_SUITE_P(
    AllFiles, DemoMeshTest,
    testing::Values(MeshCase{"points.demo_scene/Cubes.nbl", true, true}, MeshCase{"city.demo_scene/Cube.nbl", true, true},
                    MeshCase{"city.demo_scene/Sofa.nbl", true, true}, MeshCase{"city.demo_scene/Ground.nbl", false, true},
                    MeshCase{"credits.demo_scene/Sofa.nbl", true, true},
                    MeshCase{"credits.demo_scene/Sofa.001.nbl", true, true},
                    MeshCase{"credits.demo_scene/creditA.nbl", true, true},
                    MeshCase{"credits.demo_scene/and.nbl", true, true},
                    MeshCase{"credits.demo_scene/creditB.nbl", true, true},
                    MeshCase{"stars.demo_scene/Planet.nbl", true, false},
                    MeshCase{"intro.demo_scene/Frame.nbl", true, true}),
    [](const testing::TestParamInfo<MeshCase>& testCase) {
      std::string name;
      for (char c : testCase.param.path)
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
      return name;
    });

TEST(DemoMeshFilesTest, ToolWritesExactlyTheFilesTheBuildListsAndEachIsTested) {
  std::vector<std::string> listed, written;
  std::stringstream list(NEBLU_MESH_FILES);
  for (std::string path; std::getline(list, path, ',');) listed.push_back(path);
  for (const meshgen::MeshFile& file : meshgen::DemoMeshFiles()) written.push_back(file.path);
  EXPECT_EQ(written, listed);
  // The engine keeps the post-processing quad inside itself under that name: a file of it
  // would never be read, and would only make an installed copy look as if it were.
  for (const std::string& path : written) EXPECT_NE(path, "quad.nbl");
}

// ---- The models' shapes ----

TEST(DemoModelTest, PointsCubeIsAQuarterUnitFlatCube) {
  const Mesh m = meshgen::PointsCube();
  EXPECT_EQ(m.positions.size(), 24u);
  EXPECT_EQ(m.indices.size(), 36u);
  const Bounds b = BoundsOf(m);
  EXPECT_EQ(b.low, Vector3f(-0.125f, -0.125f, -0.125f));
  EXPECT_EQ(b.high, Vector3f(0.125f, 0.125f, 0.125f));
}

TEST(DemoModelTest, CityBlockHasOneTriangleForEveryThreeVertices) {
  const Mesh m = meshgen::CityBlock();
  ASSERT_EQ(m.positions.size() % 3, 0u);
  EXPECT_LT(m.positions.size(), 60000u);
  ASSERT_EQ(m.indices.size(), m.positions.size());
  for (std::uint32_t k = 0; k < m.indices.size(); ++k) ASSERT_EQ(m.indices[k], k);

  const Bounds b = BoundsOf(m);
  EXPECT_FLOAT_EQ(b.low.z, -0.4f);  // the slab's underside
  EXPECT_GE(b.high.z, 10.0f);       // at least one tower
  EXPECT_LE(b.high.z, 14.8f);       // 14 storeys and a plant room
  EXPECT_NEAR(b.low.x, -b.high.x, 1e-4f);
  EXPECT_NEAR(b.low.y, -b.high.y, 1e-4f);

  // Roofs: triangles facing up above the slab. Every one of the 144 plots has one; the
  // setbacks and plant rooms add more.
  int roofs = 0;
  for (std::size_t t = 0; t < m.indices.size() / 3; ++t)
    if (m.normals[3 * t].z > 0.99f && m.positions[3 * t].z > 0.5f) ++roofs;
  EXPECT_GE(roofs / 2, 144);
}

TEST(DemoModelTest, SofasHaveSofaProportionsAndTheArmchairIsNarrower) {
  const Bounds sofa = BoundsOf(Build("city.demo_scene/Sofa.nbl"));
  EXPECT_NEAR(sofa.Size().x, 2.2f, 0.01f);
  EXPECT_NEAR(sofa.Size().y, 0.9f, 0.01f);
  EXPECT_NEAR(sofa.Size().z, 0.85f, 0.01f);
  EXPECT_FLOAT_EQ(sofa.low.z, 0.0f);
  const Bounds chair = BoundsOf(Build("credits.demo_scene/Sofa.001.nbl"));
  EXPECT_LT(chair.Size().x, 0.6f * sofa.Size().x);
  EXPECT_NEAR(chair.Size().z, sofa.Size().z, 0.01f);
}

// Groups a word's blocks into letters by where they overlap along x: letters are a
// column of pixels apart, the pixels of one letter only a groove.
int LettersAlongX(const Mesh& m) {
  std::vector<std::pair<float, float>> spans;
  for (std::size_t first = 0; first < m.positions.size(); first += 96) {  // one bevelled box each
    float low = 1e9f, high = -1e9f;
    for (std::size_t v = first; v < first + 96; ++v) {
      low = std::min(low, m.positions[v].x);
      high = std::max(high, m.positions[v].x);
    }
    spans.emplace_back(low, high);
  }
  std::sort(spans.begin(), spans.end());
  int letters = 0;
  float reach = -1e9f;
  for (const auto& [low, high] : spans) {
    if (low > reach + 0.5f * (high - low)) ++letters;
    reach = std::max(reach, high);
  }
  return letters;
}

TEST(DemoModelTest, WordsStandOnTheBaselineCentredWithOneBlobPerLetter) {
  const struct {
    const char* path;
    int letters;
    float height, depth;
  } words[] = {{"credits.demo_scene/creditA.nbl", 3, 1.4f, 0.4f},
               {"credits.demo_scene/and.nbl", 3, 0.84f, 0.24f},
               {"credits.demo_scene/creditB.nbl", 5, 1.4f, 0.4f}};
  std::map<std::string, Bounds> bounds;
  for (const auto& word : words) {
    SCOPED_TRACE(word.path);
    const Mesh m = Build(word.path);
    ASSERT_EQ(m.positions.size() % 96, 0u);
    EXPECT_EQ(LettersAlongX(m), word.letters);
    const Bounds b = BoundsOf(m);
    bounds[word.path] = b;
    EXPECT_FLOAT_EQ(b.low.z, 0.0f);
    EXPECT_NEAR(b.Size().z, word.height, 0.02f * word.height);
    EXPECT_NEAR(b.Size().y, word.depth, 1e-4f);
    EXPECT_NEAR(b.low.x, -b.high.x, 1e-4f);
    EXPECT_NEAR(b.low.y, -b.high.y, 1e-4f);
  }
  EXPECT_GT(bounds["credits.demo_scene/creditB.nbl"].Size().x, 1.5f * bounds["credits.demo_scene/creditA.nbl"].Size().x);
  EXPECT_LT(bounds["credits.demo_scene/and.nbl"].Size().x, bounds["credits.demo_scene/creditA.nbl"].Size().x);
}

TEST(PixelFontTest, WordsPutOneEmptyColumnBetweenLettersAndRefuseUnknownOnes) {
  const meshgen::PixelMask word = meshgen::WordMask("NEBLU");
  EXPECT_EQ(word.width, 5 * 6 - 1);
  EXPECT_EQ(word.height, 7);
  for (int column : {5, 11, 17, 23})
    for (int row = 0; row < 7; ++row) EXPECT_FALSE(word.At(column, row)) << column << "," << row;
  // Every letter reaches the baseline row.
  for (char letter : std::string("OrvandNEBLU")) {
    const meshgen::PixelMask* glyph = meshgen::Glyph(letter);
    ASSERT_NE(glyph, nullptr) << letter;
    bool onBaseline = false;
    for (int c = 0; c < glyph->width; ++c) onBaseline = onBaseline || glyph->At(c, 6);
    EXPECT_TRUE(onBaseline) << letter;
  }
  try {
    meshgen::WordMask("Orvx");
    ADD_FAILURE() << "no error for a missing letter";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "the pixel font has no letter 'x'");
  }
}

TEST(DemoModelTest, PlanetIsAUnitSphereWithRadialNormals) {
  const Mesh m = meshgen::Planet();
  EXPECT_EQ(m.positions.size(), 49u * 25u);
  EXPECT_EQ(m.indices.size(), 3u * (2 * 48 + 22 * 96));
  for (std::size_t v = 0; v < m.positions.size(); ++v) {
    ASSERT_NEAR(m.positions[v].Mag(), 1.0f, 1e-5f);
    ASSERT_LT((m.normals[v] - m.positions[v]).Mag(), 1e-5f);
    ASSERT_TRUE(m.texCoords[v].x >= 0 && m.texCoords[v].x <= 1 && m.texCoords[v].y >= 0 && m.texCoords[v].y <= 1);
  }
}

TEST(DemoModelTest, GroundIsFlatAtZeroAndTexturedPerTenUnits) {
  const Mesh m = meshgen::GroundPlane();
  const Bounds b = BoundsOf(m);
  EXPECT_EQ(b.low, Vector3f(-100, -100, 0));
  EXPECT_EQ(b.high, Vector3f(100, 100, 0));
  for (std::size_t v = 0; v < m.positions.size(); ++v) {
    EXPECT_EQ(m.normals[v], Vector3f(0, 0, 1));
    EXPECT_EQ(m.texCoords[v], Vector2f(m.positions[v].x / 10, m.positions[v].y / 10));
  }
}

TEST(DemoModelTest, FrameBordersTheTileGridAndLeavesItsMiddleOpen) {
  const Mesh m = meshgen::IntroFrame();
  const Bounds b = BoundsOf(m);
  EXPECT_EQ(b.low, Vector3f(-1.1f, -1.1f, -0.025f));
  EXPECT_EQ(b.high, Vector3f(1.1f, 1.1f, 0.025f));
  for (const Vector3f& p : m.positions)
    EXPECT_GE(std::max(std::fabs(p.x), std::fabs(p.y)), 1.025f - 1e-5f) << p.x << "," << p.y;
}

// ---- Through the engine ----

// A scratch folder for files, removed afterwards; the engine's log stays off.
class WrittenMeshTest : public testing::Test {
 protected:
  WrittenMeshTest()
      : dir(std::filesystem::temp_directory_path() /
            ("meshgen-test-" + std::to_string(getpid()) + "-" +
             testing::UnitTest::GetInstance()->current_test_info()->name())) {
    engine::Logging(false);
    std::filesystem::create_directories(dir);
  }
  ~WrittenMeshTest() override { std::filesystem::remove_all(dir); }

  static int Run(const std::string& arguments) {
    const int status = std::system((std::string(MESHGEN_EXECUTABLE) + " " + arguments).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::filesystem::path dir;
};

TEST_F(WrittenMeshTest, EveryFileReadsBackThroughTheEngineWithItsCounts) {
  ASSERT_EQ(Run(dir.string()), 0);
  for (const meshgen::MeshFile& file : meshgen::DemoMeshFiles()) {
    SCOPED_TRACE(file.path);
    const Mesh m = file.build();
    const engine::gfx::LoadNBLMesh read(engine::core::ToWide((dir / file.path).string()));
    EXPECT_EQ(read.NumVertices(), static_cast<int>(m.positions.size()));
    EXPECT_EQ(read.NumIndices(), static_cast<int>(m.indices.size()));
    EXPECT_EQ(read.IndexStride(), 4);
    ASSERT_TRUE(read.IsAvailable(MeshData::POSITION) && read.IsAvailable(MeshData::NORMAL) &&
                read.IsAvailable(MeshData::TEXCOORD));
    EXPECT_EQ(std::memcmp(read.GetData(MeshData::POSITION)->data, m.positions.data(),
                          m.positions.size() * sizeof(Vector3f)),
              0);
    EXPECT_EQ(std::memcmp(read.Indices(), m.indices.data(), m.indices.size() * 4), 0);
  }
}

// The program welds the sofas and the words at 60 degrees at start-up. The welded mesh
// must come out with the same normals: every edge stays hard and no face is shaded across.
TEST_F(WrittenMeshTest, StartUpWeldKeepsTheHardEdgesOfSofasAndWords) {
  ASSERT_EQ(Run(dir.string()), 0);
  for (const char* path : {"city.demo_scene/Sofa.nbl", "credits.demo_scene/Sofa.001.nbl",
                           "credits.demo_scene/creditA.nbl", "credits.demo_scene/and.nbl"}) {
    SCOPED_TRACE(path);
    engine::gfx::LoadNBLMesh mesh(engine::core::ToWide((dir / path).string()));
    const std::vector<Vector3f> before(
        static_cast<const Vector3f*>(mesh.GetData(MeshData::NORMAL)->data),
        static_cast<const Vector3f*>(mesh.GetData(MeshData::NORMAL)->data) + mesh.NumVertices());
    mesh.OptimizeMesh(60.0f);
    const auto* after = static_cast<const Vector3f*>(mesh.GetData(MeshData::NORMAL)->data);
    int changed = 0;
    for (int v = 0; v < mesh.NumVertices(); ++v) changed += (after[v] - before[v]).Mag() > 1e-4f;
    EXPECT_EQ(changed, 0);
  }
}

TEST_F(WrittenMeshTest, ToolReportsBadUsageAndTheFileItCannotWrite) {
  EXPECT_EQ(Run("> /dev/null 2>&1"), 2);
  EXPECT_EQ(Run("a b > /dev/null 2>&1"), 2);
  EXPECT_EQ(Run("--help > /dev/null"), 0);

  // A folder where a file should go: the first write fails, and says where.
  std::filesystem::create_directories(dir / "points.demo_scene/Cubes.nbl");
  const std::string log = (dir / "err.txt").string();
  EXPECT_EQ(Run(dir.string() + " 2> " + log), 1);
  std::ifstream in(log);
  const std::string message((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(message, "meshgen: cannot write " + (dir / "points.demo_scene/Cubes.nbl").string() + "\n");
}

}  // namespace
