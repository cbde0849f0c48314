// Whole frames drawn through the engine (resource script, materials, effect files, GPU
// meshes, the renderer, a screenshot) against small golden images.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/core/input.h"
#include "engine/gfx/camera.h"
#include "engine/gfx/sceneInfo.h"
#include "engine/wrapper.h"
#include "render_fixture.h"
#include "support/golden_image.h"

using engine::core::ResourceManager;
using engine::gfx::EffectPool;

namespace {

constexpr const char* kFrame = R"(
shared cbuffer Frame {
  float4x4 View : View;
  float4x4 Projection : Projection;
  float Time : Time;
};
)";

// Diffuse light from one fixed direction plus an ambient term.
const std::string kLitEffect = std::string(kFrame) + R"(
float4x4 World : World;
float4 Tint = float4(1, 1, 1, 1);
struct VSOut { float4 position : SV_Position; float3 normal : NORMAL; };
VSOut VS(float3 position : POSITION, float3 normal : NORMAL) {
  VSOut o;
  o.position = mul(mul(mul(float4(position, 1), World), View), Projection);
  o.normal = mul(float4(normal, 0), World).xyz;
  return o;
}
float4 PS(VSOut i) : SV_Target {
  float3 toLight = normalize(float3(-0.5, 0.7, -0.6));
  float diffuse = saturate(dot(normalize(i.normal), toLight));
  return float4(Tint.rgb * (0.15 + 0.85 * diffuse), 1);
}
technique10 Lit {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
  }
}
)";

// Full-screen passes over the built-in quad: a horizontal smear of a source target, and
// a grade that mixes the smear back over a vignette.
const std::string kPostEffect = std::string(kFrame) + R"(
Texture2D Source;
SamplerState Linear { Filter = MIN_MAG_MIP_LINEAR; AddressU = CLAMP; AddressV = CLAMP; };
struct VSOut { float4 position : SV_Position; float2 uv : TEXCOORD0; };
VSOut VS(float3 position : POSITION) {
  VSOut o;
  o.position = float4(position.xy, 0, 1);
  o.uv = float2(position.x * 0.5 + 0.5, 0.5 - position.y * 0.5);
  return o;
}
float4 Smear(VSOut i) : SV_Target {
  float4 sum = 0;
  for (int k = -4; k <= 4; ++k) sum += Source.Sample(Linear, i.uv + float2(k * 0.02, 0));
  return sum / 9;
}
float4 Grade(VSOut i) : SV_Target {
  float2 d = i.uv - 0.5;
  float vignette = 1 - dot(d, d) * 1.5;
  float4 c = Source.Sample(Linear, i.uv);
  return float4(c.rgb * vignette + float3(0.05, 0.02, 0.1), 1);
}
technique10 SmearPass {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, Smear()));
  }
}
technique10 GradePass {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, Grade()));
  }
}
)";

// The same lit surface, drawn into the "scene" target; its technique asks for the
// post-processing quad material.
const std::string kLitIntoTarget = kLitEffect + R"(
technique10 LitThenPost < bool quad = true; string material = "post"; > {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
  }
}
)";

// A UV sphere of radius 1 with positions only: the material asks for normals, so the
// GPU mesh has to generate them.
engine::gfx::LoadMesh* Sphere(int rings, int segments) {
  const int vertices = (rings + 1) * (segments + 1);
  const int indices = rings * segments * 6;
  engine::gfx::LoadMesh* mesh = engine::CreateEmptyMesh(vertices, indices);
  auto* positions = static_cast<float*>(engine::AllocateMemory(static_cast<unsigned>(vertices * 12)));
  for (int r = 0; r <= rings; ++r) {
    const float theta = 3.14159265f * static_cast<float>(r) / static_cast<float>(rings);
    for (int s = 0; s <= segments; ++s) {
      const float phi = 2.0f * 3.14159265f * static_cast<float>(s) / static_cast<float>(segments);
      float* p = positions + 3 * (r * (segments + 1) + s);
      p[0] = std::sin(theta) * std::cos(phi);
      p[1] = std::cos(theta);
      p[2] = std::sin(theta) * std::sin(phi);
    }
  }
  auto* index = static_cast<std::uint32_t*>(engine::AllocateMemory(static_cast<unsigned>(indices * 4)));
  int at = 0;
  for (int r = 0; r < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const std::uint32_t a = static_cast<std::uint32_t>(r * (segments + 1) + s);
      const std::uint32_t b = a + static_cast<std::uint32_t>(segments + 1);
      const std::uint32_t quad[6] = {a, a + 1, b, b, a + 1, b + 1};
      for (std::uint32_t v : quad) index[at++] = v;
    }
  }
  mesh->Indices(reinterpret_cast<short*>(index));
  engine::gfx::PVData stream;
  stream.name = "POSITION";
  stream.format = 6;  // R32G32B32_FLOAT
  stream.data = positions;
  mesh->Add(stream);
  return mesh;
}

class GoldenFramesTest : public enginetest::RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // A camera three units in front of the origin, looking along +z.
    auto camera = boost::make_shared<engine::gfx::Camera>(renderer->SceneNode(), L"Camera");
    engine::gfx::Transformation place;
    place.Translate(engine::math::Vector3f(0, 0, -3));
    camera->Local(place);
    renderer->SceneNode()->AddChild(camera);
  }

  // Draws one frame with a screenshot and returns it.
  testing_support::Image Frame() {
    renderer->Update();  // the first frame lets the camera report before anything reads it
    engine::core::Input* input = engine::core::Input::Get();
    input->previousKeys[0x7A] = true;
    input->keys[0x7A] = false;
    renderer->Update();
    testing_support::Image image;
    EXPECT_TRUE(testing_support::ReadPng(dir.Path("screenshots/screenshot0.png"), &image));
    return image;
  }

  void Sphere(const std::string& material) {
    auto mesh = boost::make_shared<engine::gfx::Mesh>(GoldenFramesTest::SphereMesh(),
                                                      EffectPool::Get()->BuildEffect(material));
    ResourceManager::Get()->AddResource(L"sphere", mesh);
    Place(mesh);
  }

  static engine::gfx::LoadMesh* SphereMesh() { return ::Sphere(16, 24); }
};

TEST_F(GoldenFramesTest, ALitMeshWithGeneratedNormals) {
  dir.Write("data/fx/lit.fx", kLitEffect);
  dir.Write("data/sphere.efx",
            "effect = { { pass = { { fx = 'lit', tec = 'Lit', params = { { 'Tint', 'float4', { 1, 0.6, 0.2, 1 } } },"
            " streams = { { 'pos', 'POSITION' }, { 'normal', 'NORMAL' } } } } } }\n");
  float clear[4] = {0.1f, 0.1f, 0.15f, 1.0f};
  engine::SetClearColor(clear);
  Sphere("data/sphere.efx");
  const testing_support::Image image = Frame();
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_GOLDEN_DIR, "engine_lit_sphere", image, 8, 40));
}

TEST_F(GoldenFramesTest, APostProcessingChainOfTwoQuadPasses) {
  dir.Write("data/fx/lit.fx", kLitIntoTarget);
  dir.Write("data/fx/post.fx", kPostEffect);
  dir.Write("data/startup.resources",
            "resources = {\n"
            "  { RENDERTARGET, 'scene', WINDOW_WIDTH, WINDOW_HEIGHT, FMT_R8G8B8A8_UNORM, NO_MULTISAMPLING },\n"
            "  { RENDERTARGET, 'glow', WINDOW_WIDTH, WINDOW_HEIGHT, FMT_R8G8B8A8_UNORM, NO_MULTISAMPLING },\n"
            "}\n");
  // Later lines draw first: the scene, then the smear, then the screen.
  dir.Write("data/rtpriorities.txt", "_framebuffer\nglow\nscene\n");
  dir.Write("data/fx/post.efx",
            "effect = { { pass = {\n"
            "  { fx = 'post', tec = 'SmearPass', rendertarget = 'glow', depthtarget = 'null',\n"
            "    params = { { 'Source', 'target', 'scene' } }, streams = { { 'pos', 'POSITION' } } },\n"
            "  { fx = 'post', tec = 'GradePass', depthtarget = 'null',\n"
            "    params = { { 'Source', 'target', 'glow' } }, streams = { { 'pos', 'POSITION' } } },\n"
            "} } }\n");
  dir.Write("data/sphere.efx",
            "effect = { { pass = { { fx = 'lit', tec = 'LitThenPost', rendertarget = 'scene',"
            " params = { { 'Tint', 'float4', { 0.3, 0.8, 1, 1 } } },"
            " streams = { { 'pos', 'POSITION' }, { 'normal', 'NORMAL' } } } } } }\n");
  ResourceManager::Get()->LoadResourceScript("data\\startup.resources");
  Sphere("data/sphere.efx");
  const testing_support::Image image = Frame();
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_GOLDEN_DIR, "engine_post_chain", image, 8, 40));
}

}  // namespace
