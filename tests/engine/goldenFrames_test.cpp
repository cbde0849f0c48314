// Whole frames drawn through the engine (resource script, materials, effect files, GPU
// meshes, the renderer, a screenshot) against small golden images.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/core/input.h"
#include "engine/gfx/camera.h"
#include "engine/gfx/light.h"
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

namespace {

// Casters draw depth into one target per cascade through the light's split projections;
// the receiver picks its cascade by view depth against the split planes and compares.
const std::string kShadowEffect = std::string(kFrame) + R"(
float4x4 World : World;
float4x4 LightView : View < string Object = "Sun"; >;
float4x4 SplitProjection[3] : SplitProjection < string Object = "Sun"; >;
float3 SplitPlanes : SplitPlanes < string Object = "Sun"; >;
int Cascade = 0;
float4 Tint = float4(1, 1, 1, 1);
Texture2D Shadow0;
Texture2D Shadow1;
Texture2D Shadow2;
SamplerComparisonState Compare {
  Filter = COMPARISON_MIN_MAG_LINEAR_MIP_POINT;
  AddressU = BORDER; AddressV = BORDER; BorderColor = float4(1, 1, 1, 1);
  ComparisonFunc = LESS_EQUAL;
};
RasterizerState TwoSided { CullMode = NONE; };

float4 Cast(float3 position : POSITION) : SV_Position {
  float4 world = mul(float4(position, 1), World);
  return mul(mul(world, LightView), SplitProjection[Cascade]);
}

struct VSOut { float4 position : SV_Position; float3 normal : NORMAL; float4 world : TEXCOORD0; };
VSOut Receive(float3 position : POSITION, float3 normal : NORMAL) {
  VSOut o;
  o.world = mul(float4(position, 1), World);
  o.position = mul(mul(o.world, View), Projection);
  o.normal = mul(float4(normal, 0), World).xyz;
  return o;
}
float Lookup(Texture2D map, float4x4 projection, float4 world) {
  float4 p = mul(mul(world, LightView), projection);
  float2 uv = p.xy * float2(0.5, -0.5) + 0.5;
  return map.SampleCmpLevelZero(Compare, uv, p.z - 0.002);
}
float4 Shade(VSOut i) : SV_Target {
  float depth = mul(i.world, View).z;
  float lit;
  float3 band;
  if (depth < SplitPlanes.x) { lit = Lookup(Shadow0, SplitProjection[0], i.world); band = float3(1, 0.85, 0.85); }
  else if (depth < SplitPlanes.y) { lit = Lookup(Shadow1, SplitProjection[1], i.world); band = float3(0.85, 1, 0.85); }
  else { lit = Lookup(Shadow2, SplitProjection[2], i.world); band = float3(0.85, 0.85, 1); }
  float diffuse = abs(dot(normalize(i.normal), normalize(float3(0, 0.87, -0.5))));
  return float4(Tint.rgb * band * (0.25 + 0.75 * diffuse * lit), 1);
}
technique10 Caster {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, Cast()));
    SetGeometryShader(NULL);
    SetPixelShader(NULL);
    SetRasterizerState(TwoSided);
  }
}
technique10 Receiver {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, Receive()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, Shade()));
    SetRasterizerState(TwoSided);
  }
}
)";

std::string ShadowMaterial(const std::string& tint) {
  std::string passes;
  for (int k = 0; k < 3; ++k) {
    passes += "  { fx = 'shadow', tec = 'Caster', rendertarget = 'null', depthtarget = 'shadow" + std::to_string(k) +
              "', params = { { 'Cascade', 'int', " + std::to_string(k) + " } }, streams = { { 'pos', 'POSITION' } } },\n";
  }
  passes += "  { fx = 'shadow', tec = 'Receiver', params = { { 'Tint', 'float4', " + tint +
            " }, { 'Shadow0', 'depth', 'shadow0' }, { 'Shadow1', 'depth', 'shadow1' }, { 'Shadow2', 'depth', 'shadow2' } },"
            " streams = { { 'pos', 'POSITION' }, { 'normal', 'NORMAL' } } },\n";
  return "effect = { { pass = {\n" + passes + "} } }\n";
}

engine::math::Matrix3x3 XRotation(float angle, float scale) {
  engine::math::Matrix3x3 m = engine::math::Matrix3x3::Identity;
  m.ToXRot(angle);
  m.m00 *= scale; m.m01 *= scale; m.m02 *= scale;
  m.m10 *= scale; m.m11 *= scale; m.m12 *= scale;
  m.m20 *= scale; m.m21 *= scale; m.m22 *= scale;
  return m;
}

boost::shared_ptr<engine::gfx::Node> Placed(engine::gfx::Node* parent, const engine::math::Vector3f& at,
                                            const engine::math::Matrix3x3& rotation) {
  auto node = boost::make_shared<engine::gfx::Node>(parent);
  engine::gfx::Transformation place;
  place.Rotate(rotation);
  place.Translate(at);
  node->Local(place);
  parent->AddChild(node);
  return node;
}

// Two nodes of one mesh: two render objects sharing buffers and effect, each drawn with
// its own world matrix, so both spheres show, the nearer one larger.
TEST_F(GoldenFramesTest, TwoNodesOfOneMeshBothDrawWhereTheyStand) {
  dir.Write("data/fx/lit.fx", kLitEffect);
  dir.Write("data/sphere.efx",
            "effect = { { pass = { { fx = 'lit', tec = 'Lit', params = { { 'Tint', 'float4', { 0.4, 0.9, 0.3, 1 } } },"
            " streams = { { 'pos', 'POSITION' }, { 'normal', 'NORMAL' } } } } } }\n");
  float clear[4] = {0.1f, 0.1f, 0.15f, 1.0f};
  engine::SetClearColor(clear);
  auto mesh = boost::make_shared<engine::gfx::Mesh>(SphereMesh(), EffectPool::Get()->BuildEffect("data/sphere.efx"));
  ResourceManager::Get()->AddResource(L"sphere", mesh);
  engine::gfx::Node* root = renderer->SceneNode();
  auto left = Placed(root, engine::math::Vector3f(-1.1f, 0.3f, 1), XRotation(0, 0.7f));
  left->AddChild(boost::make_shared<engine::gfx::Geometry>(mesh, left.get()));
  auto right = Placed(root, engine::math::Vector3f(0.75f, -0.25f, -0.5f), XRotation(0, 0.5f));
  right->AddChild(boost::make_shared<engine::gfx::Geometry>(mesh, right.get()));
  const testing_support::Image image = Frame();
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_GOLDEN_DIR, "engine_one_mesh_twice", image, 8, 40));
}

TEST_F(GoldenFramesTest, AMeshShadowedThroughTheLightsThreeCascades) {
  dir.Write("data/fx/shadow.fx", kShadowEffect);
  dir.Write("data/startup.resources",
            "resources = {\n"
            "  { DEPTHTARGET, 'shadow0', 512, 512, true, FMT_R32_TYPELESS, NO_MULTISAMPLING },\n"
            "  { DEPTHTARGET, 'shadow1', 512, 512, true, FMT_R32_TYPELESS, NO_MULTISAMPLING },\n"
            "  { DEPTHTARGET, 'shadow2', 512, 512, true, FMT_R32_TYPELESS, NO_MULTISAMPLING },\n"
            "}\n");
  dir.Write("data/rtpriorities.txt", "_framebuffer\n");
  dir.Write("data/ground.efx", ShadowMaterial("{ 0.9, 0.9, 0.9, 1 }"));
  dir.Write("data/ball.efx", ShadowMaterial("{ 1, 0.5, 0.2, 1 }"));
  ResourceManager::Get()->LoadResourceScript("data\\startup.resources");

  engine::gfx::Node* root = renderer->SceneNode();
  // Looking down at the scene from above and behind; the camera of the fixture is replaced.
  root->Children().clear();
  auto rig = Placed(root, engine::math::Vector3f(0, 2.5f, -6), XRotation(-0.35f, 1));
  rig->AddChild(boost::make_shared<engine::gfx::Camera>(rig.get(), L"Camera"));
  // The sun shines down and forwards from high behind the scene.
  auto sunRig = Placed(root, engine::math::Vector3f(0, 8, -5), XRotation(-1.05f, 1));
  auto sun = boost::make_shared<engine::gfx::Light>(sunRig.get());
  sun->far = 20.0f;
  sunRig->AddChild(sun);
  engine::gfx::SceneInfo::Get()->AddNode(sun, L"Sun", L"global");

  auto ground = boost::make_shared<engine::gfx::Mesh>(new engine::gfx::LoadNBLMesh(L"data/quad.nbl"),
                                                      EffectPool::Get()->BuildEffect("data/ground.efx"));
  ResourceManager::Get()->AddResource(L"ground", ground);
  auto groundNode = Placed(root, engine::math::Vector3f(0, 0, 0), XRotation(1.5707963f, 6));
  groundNode->AddChild(boost::make_shared<engine::gfx::Geometry>(ground, groundNode.get()));

  auto ball = boost::make_shared<engine::gfx::Mesh>(SphereMesh(), EffectPool::Get()->BuildEffect("data/ball.efx"));
  ResourceManager::Get()->AddResource(L"ball", ball);
  auto ballNode = Placed(root, engine::math::Vector3f(0, 1.2f, 0), XRotation(0, 1));
  ballNode->AddChild(boost::make_shared<engine::gfx::Geometry>(ball, ballNode.get()));

  const testing_support::Image image = Frame();
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_GOLDEN_DIR, "engine_cascaded_shadow", image, 8, 40));
}

}  // namespace
