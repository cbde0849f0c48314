// GPU meshes: which streams reach the vertex buffer for a given effect, the vertex
// layout, the built-in quad, refusals of meshes that cannot be drawn, and render-object
// copies.

#include <boost/make_shared.hpp>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/renderObject.h"
#include "engine/wrapper.h"
#include "engine_fixture.h"

using engine::core::Exception;
using engine::core::ResourceManager;
using engine::gfx::EffectPool;
using engine::gfx::Mesh;

namespace {

constexpr const char* kEffect = R"(
shared cbuffer Frame {
  float4x4 View : View;
  float4x4 Projection : Projection;
  float Time : Time;
};
float4x4 World : World;
struct Lit { float3 position : POSITION; float3 normal : NORMAL; };
struct Textured { float3 position : POSITION; float2 uv : TEXCOORD; };
struct Coloured { float3 position : POSITION; float4 colour : COLOR; };
struct Mapped { float3 position : POSITION; float4 t : TANGENT; float2 uv1 : TEXCOORD1; };
struct Framed { float3 position : POSITION; float3 normal : NORMAL; float3 t : TANGENT; float3 b : BINORMAL; };
float4 VSPos(float3 position : POSITION) : SV_Position { return mul(float4(position, 1), World); }
float4 VSLit(Lit v) : SV_Position { return mul(float4(v.position + v.normal, 1), World); }
float4 VSTex(Textured v) : SV_Position { return mul(float4(v.position, v.uv.x), World); }
float4 VSCol(Coloured v) : SV_Position { return mul(float4(v.position, v.colour.a), World); }
float4 VSMap(Mapped v) : SV_Position { return mul(float4(v.position + v.t.xyz * v.t.w, v.uv1.y), World); }
float4 VSFrame(Framed v) : SV_Position { return mul(float4(v.position + v.normal + v.t + v.b, 1), World); }
float4 PS() : SV_Target { return float4(1, 1, 1, 1); }
technique10 Pos { pass P { SetVertexShader(CompileShader(vs_4_0, VSPos())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
technique10 Lit { pass P { SetVertexShader(CompileShader(vs_4_0, VSLit())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
technique10 Tex { pass P { SetVertexShader(CompileShader(vs_4_0, VSTex())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
technique10 Map { pass P { SetVertexShader(CompileShader(vs_4_0, VSMap())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
technique10 Frame { pass P { SetVertexShader(CompileShader(vs_4_0, VSFrame())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
technique10 Col { pass P { SetVertexShader(CompileShader(vs_4_0, VSCol())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
)";

constexpr int kR32G32B32Float = 6;
constexpr int kR32G32Float = 16;
constexpr int kR32G32B32A32Float = 2;

std::string Int(std::int32_t value) { return std::string(reinterpret_cast<const char*>(&value), 4); }
std::string Floats(const std::vector<float>& values) {
  return std::string(reinterpret_cast<const char*>(values.data()), values.size() * 4);
}
std::string Chunk(std::int32_t kind, const std::string& payload) {
  return Int(kind) + Int(static_cast<std::int32_t>(payload.size())) + payload;
}

// A one-triangle .nbl image with the streams asked for and 32-bit indices; `colours`,
// four floats a vertex, go into a colour chunk (kind 7) of the extension section behind
// the end marker when there are any.
std::string NblTriangle(bool normals, bool texCoords, std::vector<std::int32_t> indices = {0, 1, 2},
                        const std::vector<float>& colours = {}) {
  std::string bytes = "NBLU" + Chunk(3, Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}));
  if (normals) bytes += Chunk(5, Floats({0, 0, -1, 0, 0, -1, 0, 0, -1}));
  if (texCoords) bytes += Chunk(6, Floats({0, 0, 1, 0, 0, 1}));
  std::string indexPayload = Int(4);
  for (std::int32_t i : indices) indexPayload += Int(i);
  bytes += Chunk(4, indexPayload) + Int(9);
  if (!colours.empty()) bytes += "NBLX" + Chunk(7, Floats(colours)) + Int(9);
  return bytes;
}

class GpuMeshTest : public enginetest::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    OpenWindow(Settings(64, 64));
    if (IsSkipped() || HasFatalFailure()) return;
    dir.Write("data/fx/m.fx", kEffect);
  }

  // data/<name>.nbl and its material, drawn with one technique that reads `streams`.
  std::wstring WriteMesh(const std::string& name, const std::string& image, const std::string& tec,
                         const std::string& streams) {
    const std::string path = "data/" + name + ".nbl";
    dir.Write(path, image);
    dir.Write(path + ".efx", "effect = { { pass = { { fx = 'm', tec = '" + tec + "', params = {}, streams = { " +
                                 streams + " } } } } }\n");
    return engine::core::ToWide(path);
  }

  boost::shared_ptr<Mesh> Load(const std::wstring& name) {
    return ResourceManager::Get()->GetOrCreateResource<Mesh>(name);
  }

  std::string ErrorOf(const std::wstring& name) {
    try {
      Load(name);
    } catch (const Exception& e) {
      return engine::core::ToNarrow(e.GetText());
    }
    return "(no error)";
  }

  static std::vector<std::string> Semantics(const Mesh& mesh) {
    std::vector<std::string> names;
    for (const auto& element : mesh.InputElements()) names.push_back(element.SemanticName);
    return names;
  }
};

TEST_F(GpuMeshTest, NormalsAreMadeWhenReadAndDroppedWhenNot) {
  const std::string lit = "{ 'pos', 'POSITION' }, { 'normal', 'NORMAL' }";
  const std::string plain = "{ 'pos', 'POSITION' }";
  struct Case {
    const char* name;
    bool fileNormals;
    const char* tec;
    std::string streams;
    std::vector<std::string> semantics;
    unsigned stride;
  };
  const Case cases[] = {
      {"generated", false, "Lit", lit, {"POSITION", "NORMAL"}, 24},
      {"kept", true, "Lit", lit, {"POSITION", "NORMAL", "TEXCOORD"}, 32},
      {"dropped", true, "Pos", plain, {"POSITION", "TEXCOORD"}, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto mesh = Load(WriteMesh(c.name, NblTriangle(c.fileNormals, c.fileNormals), c.tec, c.streams));
    ASSERT_TRUE(mesh);
    EXPECT_EQ(Semantics(*mesh), c.semantics);
    EXPECT_EQ(mesh->GetRenderObject()->vertexStride, c.stride);
    EXPECT_EQ(mesh->CPUMesh()->IsAvailable(engine::gfx::MeshData::NORMAL), c.stride != 20);
    ASSERT_EQ(mesh->GetEffect()->GetShaderCount(), 1u);
    EXPECT_NE(mesh->GetEffect()->GetShader(0)->InputLayout(), nullptr);
    if (c.semantics.size() > 1 && c.semantics[1] == "NORMAL") {
      // The generated normal of a triangle in the z = 0 plane lies along z.
      const float* normal = static_cast<const float*>(mesh->CPUMesh()->GetData(engine::gfx::MeshData::NORMAL)->data);
      EXPECT_FLOAT_EQ(std::fabs(normal[2]), 1.0f);
    }
  }
}

// Vertex colours are no stream a material names: every effect gets them, after the
// position, whether it reads them or not.
TEST_F(GpuMeshTest, VertexColoursReachTheVertexBufferAsFourFloats) {
  const std::vector<float> colours = {1, 0, 0, 1, 0, 1, 0, 0.5f, 0, 0, 1, 0};
  for (const char* tec : {"Col", "Pos"}) {
    SCOPED_TRACE(tec);
    auto mesh = Load(WriteMesh(tec, NblTriangle(false, false, {0, 1, 2}, colours), tec, "{ 'pos', 'POSITION' }"));
    ASSERT_TRUE(mesh);
    const auto& elements = mesh->InputElements();
    ASSERT_EQ(Semantics(*mesh), (std::vector<std::string>{"POSITION", "COLOR"}));
    EXPECT_EQ(static_cast<int>(elements[1].Format), kR32G32B32A32Float);
    EXPECT_EQ(elements[1].AlignedByteOffset, 12u);
    EXPECT_EQ(mesh->GetRenderObject()->vertexStride, 28u);
    EXPECT_NE(mesh->GetEffect()->GetShader(0)->InputLayout(), nullptr);
    const auto* stream = static_cast<const float*>(mesh->CPUMesh()->GetData(1u)->data);
    EXPECT_EQ(std::vector<float>(stream, stream + 12), colours);
  }
  // Fewer colours than vertices would be read past their end.
  EXPECT_EQ(ErrorOf(WriteMesh("short", NblTriangle(false, false, {0, 1, 2}, {1, 1, 1, 1}), "Col", "{ 'pos', 'POSITION' }")),
            "data/short.nbl holds 1 COLOR elements for 3 vertices");
}

// Tangents with their handedness and a second texture set come from the file's extension
// section and reach the vertex buffer after the streams before them, found by the input
// layout as TANGENT and TEXCOORD1.
TEST_F(GpuMeshTest, TangentsAndASecondTexCoordSetReachTheVertexBuffer) {
  const std::vector<float> tangents = {1, 0, 0, 1, 1, 0, 0, -1, 0, 1, 0, 1};
  const std::vector<float> uv1 = {0.5f, 0.25f, 0.75f, 0.25f, 0.5f, 1};
  const std::string extension = "NBLX" + Chunk(10, Floats(tangents)) + Chunk(11, Floats(uv1)) + Int(9);
  auto mesh = Load(WriteMesh("mapped", NblTriangle(false, false) + extension, "Map", "{ 'pos', 'POSITION' }"));
  ASSERT_TRUE(mesh);
  ASSERT_EQ(Semantics(*mesh), (std::vector<std::string>{"POSITION", "TANGENT", "TEXCOORD"}));
  const auto& elements = mesh->InputElements();
  EXPECT_EQ(static_cast<int>(elements[1].Format), kR32G32B32A32Float);
  EXPECT_EQ(elements[1].SemanticIndex, 0u);
  EXPECT_EQ(elements[1].AlignedByteOffset, 12u);
  EXPECT_EQ(static_cast<int>(elements[2].Format), kR32G32Float);
  EXPECT_EQ(elements[2].SemanticIndex, 1u);
  EXPECT_EQ(elements[2].AlignedByteOffset, 28u);
  EXPECT_EQ(mesh->GetRenderObject()->vertexStride, 36u);
  EXPECT_NE(mesh->GetEffect()->GetShader(0)->InputLayout(), nullptr);
}

// An effect that asks for a tangent frame keeps the tangents a mesh brings: one TANGENT
// stream, its own four floats, with binormals (normal x tangent) w beside them and the
// file's normals untouched.
TEST_F(GpuMeshTest, AFrameForAMeshWithItsOwnTangentsKeepsThem) {
  const std::vector<float> tangents = {1, 0, 0, 1, 1, 0, 0, -1, 0, 1, 0, 1};
  const std::string image = NblTriangle(true, true) + "NBLX" + Chunk(10, Floats(tangents)) + Int(9);
  auto mesh = Load(WriteMesh("framed", image, "Frame",
                             "{ 'pos', 'POSITION' }, { 'normal', 'NORMAL' }, { 'tangent', 'TANGENT' }"));
  ASSERT_TRUE(mesh);
  EXPECT_EQ(Semantics(*mesh), (std::vector<std::string>{"POSITION", "NORMAL", "TEXCOORD", "TANGENT", "BINORMAL"}));
  const engine::gfx::LoadMesh& cpu = *mesh->CPUMesh();
  const auto* tangent = static_cast<const float*>(cpu.GetData(3u)->data);
  EXPECT_EQ(cpu.GetData(3u)->format, kR32G32B32A32Float);
  EXPECT_EQ(std::vector<float>(tangent, tangent + 12), tangents);
  const auto* normal = static_cast<const float*>(cpu.GetData(engine::gfx::MeshData::NORMAL)->data);
  EXPECT_EQ(std::vector<float>(normal, normal + 9), (std::vector<float>{0, 0, -1, 0, 0, -1, 0, 0, -1}));
  // (0, 0, -1) x (1, 0, 0) = (0, -1, 0), turned by w; (0, 0, -1) x (0, 1, 0) = (1, 0, 0).
  const auto* binormal = static_cast<const float*>(cpu.GetData(4u)->data);
  EXPECT_EQ(cpu.GetData(4u)->format, kR32G32B32Float);
  EXPECT_EQ(std::vector<float>(binormal, binormal + 9), (std::vector<float>{0, -1, 0, 0, 1, 0, 1, 0, 0}));
  EXPECT_NE(mesh->GetEffect()->GetShader(0)->InputLayout(), nullptr);
}

TEST_F(GpuMeshTest, TheBuiltInQuadHasBuffersButNoEffect) {
  auto quad = Load(L"data/quad.nbl");
  ASSERT_TRUE(quad);
  EXPECT_FALSE(quad->GetEffect());

  const auto& elements = quad->InputElements();
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_STREQ(elements[0].SemanticName, "POSITION");
  EXPECT_EQ(static_cast<int>(elements[0].Format), kR32G32B32Float);
  EXPECT_EQ(elements[0].AlignedByteOffset, 0u);
  EXPECT_STREQ(elements[1].SemanticName, "TEXCOORD");
  EXPECT_EQ(static_cast<int>(elements[1].Format), kR32G32Float);
  EXPECT_EQ(elements[1].AlignedByteOffset, 12u);

  const auto& object = quad->GetRenderObject();
  EXPECT_EQ(object->vertexStride, 20u);
  EXPECT_EQ(object->vertexCount, 4u);
  EXPECT_EQ(object->triangleCount, 2u);
  EXPECT_TRUE(object->indices32);
  ASSERT_NE(object->vertexBuffer, nullptr);
  ASSERT_NE(object->indexBuffer, nullptr);
  D3D10_BUFFER_DESC desc = {};
  object->indexBuffer->GetDesc(&desc);
  EXPECT_EQ(desc.ByteWidth, 24u);
  object->vertexBuffer->GetDesc(&desc);
  EXPECT_EQ(desc.ByteWidth, 80u);
}

TEST_F(GpuMeshTest, MeshesThatCannotBeDrawnAreRefusedByName) {
  EXPECT_EQ(ErrorOf(WriteMesh("notex", NblTriangle(false, false), "Tex", "{ 'pos', 'POSITION' }, { 'tex', 'TEXCOORD' }")),
            "Effect requires texture coordinates, not found in .nbl mesh data/notex.nbl");
  EXPECT_EQ(ErrorOf(WriteMesh("past", NblTriangle(false, false, {0, 1, 3}), "Pos", "{ 'pos', 'POSITION' }")),
            "Mesh index 3 is past the last vertex of data/past.nbl");
  EXPECT_EQ(ErrorOf(WriteMesh("last", NblTriangle(false, false, {0, 1, 2}), "Pos", "{ 'pos', 'POSITION' }")),
            "(no error)");
  // A technique that reads tangents the file does not have: the layout cannot be made.
  EXPECT_EQ(ErrorOf(WriteMesh("flat", NblTriangle(false, false), "Map", "{ 'pos', 'POSITION' }")),
            "Failed to create input layout for data/flat.nbl (data/fx/m.fx, technique Map: it reads a vertex input "
            "the mesh does not have)");
}

// A mesh the program hands over is known by the name it is registered under, so its
// refusal must say which mesh it was.
TEST_F(GpuMeshTest, AnIndexPastTheLastVertexIsRefused) {
  dir.Write("data/pos.efx", "effect = { { pass = { { fx = 'm', tec = 'Pos', params = {}, streams = { { 'pos', 'POSITION' } } } } } }\n");
  auto* cpu = new engine::gfx::LoadMesh();
  cpu->NumVertices(3);
  const std::vector<float> positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  void* data = engine::gfx::AllocateMeshBuffer(positions.size() * sizeof(float));
  std::memcpy(data, positions.data(), positions.size() * sizeof(float));
  engine::gfx::PVData stream;
  stream.name = "POSITION";
  stream.format = kR32G32B32Float;
  stream.data = data;
  cpu->Add(stream);
  const std::vector<std::int32_t> indices = {0, 1, 5};
  void* indexData = engine::gfx::AllocateMeshBuffer(indices.size() * sizeof(std::int32_t));
  std::memcpy(indexData, indices.data(), indices.size() * sizeof(std::int32_t));
  cpu->Indices(static_cast<short*>(indexData));
  cpu->NumIndices(3);
  std::string error = "(no error)";
  try {
    engine::AddMesh(L"hand", cpu, EffectPool::Get()->BuildEffect("data/pos.efx"));
  } catch (const Exception& e) {
    error = engine::core::ToNarrow(e.GetText());
  }
  // A mesh the program adds has no name of its own; it is known by its registration only.
  EXPECT_EQ(error, "Mesh index 5 is past the last vertex");
}

TEST_F(GpuMeshTest, RenderObjectCopiesShareBuffersButNotMatrices) {
  auto mesh = Load(WriteMesh("box", NblTriangle(false, true), "Pos", "{ 'pos', 'POSITION' }"));
  ASSERT_TRUE(mesh);
  auto copy = mesh->CreateRenderObject();
  ASSERT_NE(copy, mesh->GetRenderObject());
  EXPECT_EQ(copy->vertexBuffer, mesh->GetRenderObject()->vertexBuffer);
  EXPECT_EQ(copy->indexBuffer, mesh->GetRenderObject()->indexBuffer);
  EXPECT_EQ(copy->effect, mesh->GetEffect());
  EXPECT_EQ(copy->vertexStride, 20u);
  copy->world.m30 = 9.0f;
  EXPECT_EQ(mesh->GetRenderObject()->world.m30, 0.0f);

  // Without an animation set, advancing and resetting do nothing.
  EXPECT_FALSE(mesh->animationSet);
  mesh->AdvanceAnimation(1.0f);
  mesh->ResetAnimation();
  mesh->animationSet = boost::make_shared<engine::gfx::AnimationSet>();
  mesh->AdvanceAnimation(1.0f);
  EXPECT_TRUE(mesh->animationSet->animations.empty());
}

}  // namespace
