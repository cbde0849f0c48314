// Effects written the way effect files from elsewhere write them, drawn through the
// device at 64x64 and held to reviewed golden pictures (NEBLU_UPDATE_GOLDENS=1 rewrites
// them): a textured, lit sphere in the Direct3D 9 manner, and a post-process blur whose
// taps come from the file's own constants.

#include <cmath>
#include <string>
#include <vector>

#include "tests/gl/effect_fixture.h"

namespace gltest {
namespace {

constexpr UINT kPicture = 64;

class EffectGoldenTest : public EffectTest {
 protected:
  void SetUp() override {
    EffectTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    UseTarget(kPicture);
    const float clear[4] = {0.1f, 0.1f, 0.15f, 1};
    device_->ClearRenderTargetView(target_.view.get(), clear);
  }

  // An 8x8 texture of four coloured quadrants (red, green / blue, yellow), point-sized.
  Ref<ID3D10ShaderResourceView> Quadrants() {
    std::uint32_t texels[64];
    for (UINT y = 0; y < 8; ++y)
      for (UINT x = 0; x < 8; ++x)
        texels[y * 8 + x] = y < 4 ? (x < 4 ? 0xff2828dcu : 0xff3caa28u) : (x < 4 ? 0xffdc5028u : 0xff28cdebu);
    return TextureView(8, 8, texels);
  }
};

// A sphere of 24 x 12 quads in clip space, its texture coordinates running round it.
std::vector<QuadVertex> Sphere() {
  const double pi = 3.14159265358979323846;
  const int around = 24, down = 12;
  auto at = [&](int i, int j) {
    const double phi = 2 * pi * i / around, theta = pi * j / down;
    const float x = static_cast<float>(std::sin(theta) * std::cos(phi)), y = static_cast<float>(std::cos(theta));
    const float z = static_cast<float>(std::sin(theta) * std::sin(phi));
    // x right, y up, z towards the viewer; depth 0.5 - z / 4 keeps the front nearest.
    return QuadVertex{{0.8f * x, 0.8f * y, 0.5f - 0.25f * z}, {static_cast<float>(i) / around, static_cast<float>(j) / down}};
  };
  std::vector<QuadVertex> out;
  for (int i = 0; i < around; ++i)
    for (int j = 0; j < down; ++j) {
      const QuadVertex a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
      out.insert(out.end(), {a, c, b, a, d, c});  // clockwise on screen from the front
    }
  return out;
}

TEST_F(EffectGoldenTest, ALitTexturedSphereInTheOldManner) {
  Ref<ID3D10Effect> fx = Load("sphere.fx", R"(
#define LIGHTS 2
texture Skin;
sampler2D SkinSampler = sampler_state { Texture = <Skin>; MinFilter = Point; MagFilter = Point; MipFilter = None;
  AddressU = Wrap; AddressV = Clamp; };
float3 LightDirections[LIGHTS] = { float3(-0.5, 0.7, 0.5), float3(0.8, -0.2, 0.3) };
float LightStrengths[] = { 0.9, 0.35 };
unsigned int Bands = 4;
struct VIn { float3 pos : POSITION; float2 uv : TEXCOORD0; };
struct VOut { float4 pos : SV_Position; float3 normal : NORMAL; float2 uv : TEXCOORD0; };
VOut VS(VIn v) {
  VOut o;
  o.pos = float4(v.pos, 1);
  o.normal = float3(v.pos.xy / 0.8, (0.5 - v.pos.z) * 4);
  o.uv = v.uv;
  return o;
}
float4 PS(VOut i) : SV_Target {
  float3 n = normalize(i.normal);
  float light = 0.15;
  for (int k = 0; k < LIGHTS; ++k) light += saturate(dot(n, normalize(LightDirections[k]))) * LightStrengths[k];
  light = floor(light * Bands) / Bands;
  return float4(tex2D(SkinSampler, i.uv * float2(2, 1)).rgb * light, 1);
}
technique Lit { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }
technique10 Lit { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetGeometryShader(0);
  SetPixelShader(CompileShader(ps_4_0, PS())); } }
)");
  ASSERT_TRUE(fx);
  Ref<ID3D10ShaderResourceView> skin = Quadrants();
  ASSERT_EQ(S_OK, fx->GetVariableByName("Skin")->AsShaderResource()->SetResource(skin.get()));
  Draw(fx->GetTechniqueByName("Lit"), Sphere());
  EXPECT_TRUE(MatchesGolden("effect_lit_sphere", Pixels(target_.texture.get()), kPicture, kPicture, 3, 8));
  fx->GetVariableByName("Skin")->AsShaderResource()->SetResource(nullptr);
}

TEST_F(EffectGoldenTest, APostProcessBlurWithTapsFromTheFilesConstants) {
  Ref<ID3D10Effect> fx = Load("blur.fx", std::string(kPrelude) + R"(
static const int Taps = 5;
static const float Weights[Taps] = { 0.1, 0.2, 0.4, 0.2, 0.1 };
float2 Step = float2(1.0 / 8, 0);
Texture2D Source;
SamplerState Clamped { Filter = MIN_MAG_MIP_POINT; AddressU = CLAMP; AddressV = CLAMP; };
float4 PSBlur(VOut i) : SV_Target {
  float4 sum = 0;
  [unroll] for (int k = 0; k < Taps; ++k) sum += Source.Sample(Clamped, i.uv + Step * (k - Taps / 2)) * Weights[k];
  return float4(sum.rgb, 1);
}
technique10 Blur { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetGeometryShader(NULL);
  SetPixelShader(CompileShader(ps_4_0, PSBlur())); } }
)");
  ASSERT_TRUE(fx);
  Ref<ID3D10ShaderResourceView> source = Quadrants();
  ASSERT_EQ(S_OK, fx->GetVariableByName("Source")->AsShaderResource()->SetResource(source.get()));
  Draw(fx->GetTechniqueByName("Blur"), FullScreen());
  EXPECT_TRUE(MatchesGolden("effect_blur", Pixels(target_.texture.get()), kPicture, kPicture, 3, 8));
  fx->GetVariableByName("Source")->AsShaderResource()->SetResource(nullptr);
}

}  // namespace
}  // namespace gltest
