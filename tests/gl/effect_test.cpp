// Effects drawn through the device: passes and their states, geometry shaders,
// instancing, a shadow map in a depth array, pools, matrix packing, annotations and the
// refusals the engine relies on, checked on the pixels.

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/effect.h"
#include "support/scratch_dir.h"
#include "tests/gl/effect_fixture.h"

namespace gltest {
namespace {

TEST_F(EffectTest, PassesApplyInOrderWithTheirBlendState) {
  Ref<ID3D10Effect> fx = Load("multipass.fx", std::string(kPrelude) + R"(
BlendState Add { BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = ONE; BlendOp = ADD; };
BlendState Off { BlendEnable[0] = FALSE; };
DepthStencilState NoDepth { DepthEnable = FALSE; };
technique10 TwoPasses {
  pass Base { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetGeometryShader(NULL);
              SetPixelShader(CompileShader(ps_4_0, PSRed())); SetBlendState(Off, float4(0, 0, 0, 0), 0xFFFFFFFF);
              SetDepthStencilState(NoDepth, 0); }
  pass Over { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetGeometryShader(NULL);
              SetPixelShader(CompileShader(ps_4_0, PSBlue())); SetBlendState(Add, float4(0, 0, 0, 0), 0xFFFFFFFF);
              SetDepthStencilState(NoDepth, 0); }
})");
  ASSERT_TRUE(fx);
  Draw(fx->GetTechniqueByName("TwoPasses"), FullScreen());
  EXPECT_EQ((Rgba8{255, 0, 255, 255}), At(4, 4));
}

TEST_F(EffectTest, DepthAndRasterizerStatesTakeEffect) {
  Ref<ID3D10Effect> fx = Load("states.fx", std::string(kPrelude) + R"(
DepthStencilState Test { DepthEnable = TRUE; DepthWriteMask = ALL; DepthFunc = LESS; };
DepthStencilState Ignore { DepthEnable = FALSE; };
RasterizerState Back { CullMode = BACK; };
RasterizerState Both { CullMode = NONE; };
technique10 Near { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSGreen()));
  SetDepthStencilState(Test, 0); SetRasterizerState(Back); } }
technique10 FarTested { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSRed()));
  SetDepthStencilState(Test, 0); SetRasterizerState(Both); } }
technique10 FarUntested { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSBlue()));
  SetDepthStencilState(Ignore, 0); SetRasterizerState(Both); } }
)");
  ASSERT_TRUE(fx);
  // Left half: green near, then red behind it (rejected). Right half: blue ignores depth.
  Draw(fx->GetTechniqueByName("Near"), Rect(-1, -1, 1, 1, 0.2f));
  Draw(fx->GetTechniqueByName("FarTested"), Rect(-1, -1, 0, 1, 0.8f));
  Draw(fx->GetTechniqueByName("FarUntested"), Rect(0, -1, 1, 1, 0.8f));
  EXPECT_EQ(kGreen, At(1, 4));
  EXPECT_EQ(kBlue, At(6, 4));
  // Back faces: culled by Back, drawn with culling off.
  ClearAndBind();
  Draw(fx->GetTechniqueByName("Near"), Rect(-1, -1, 0, 1, 0.5f, true));
  Draw(fx->GetTechniqueByName("FarUntested"), Rect(0, -1, 1, 1, 0.5f, true));
  EXPECT_EQ(kClear, At(1, 4));
  EXPECT_EQ(kBlue, At(6, 4));
}

TEST_F(EffectTest, GeometryShaderExpandsPoints) {
  Ref<ID3D10Effect> fx = Load("gs.fx", std::string(kPrelude) + R"(
float HalfSize = 0.5;
RasterizerState Both { CullMode = NONE; };
// A square around each triangle's centre.
[maxvertexcount(4)]
void GSQuad(triangle VOut p[3], inout TriangleStream<VOut> strip) {
  VOut o = p[0];
  float4 centre = (p[0].pos + p[1].pos + p[2].pos) / 3;
  float2 offsets[4] = { float2(-1, 1), float2(1, 1), float2(-1, -1), float2(1, -1) };
  for (int i = 0; i < 4; ++i) { o.pos = centre + float4(offsets[i] * HalfSize, 0, 0); strip.Append(o); }
}
technique10 Sprites { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad()));
  SetGeometryShader(CompileShader(gs_4_0, GSQuad())); SetPixelShader(CompileShader(ps_4_0, PSGreen()));
  SetRasterizerState(Both); } }
)");
  ASSERT_TRUE(fx);
  const float e = 0.05f;
  Draw(fx->GetTechniqueByName("Sprites"),
       {QuadVertex{{-e, -e, 0.5f}, {0, 0}}, QuadVertex{{0, 2 * e, 0.5f}, {0, 0}}, QuadVertex{{e, -e, 0.5f}, {0, 0}}});
  EXPECT_EQ(kGreen, At(4, 4));
  EXPECT_EQ(kGreen, At(2, 5));
  EXPECT_EQ(kClear, At(0, 0));
  EXPECT_EQ(kClear, At(7, 7));
}

// An array of varyings takes one semantic index an element (TEXCOORD2, TEXCOORD3), and a
// later stage may read the elements as members of their own.
TEST_F(EffectTest, ArrayVaryingsTakeASemanticIndexAnElement) {
  Ref<ID3D10Effect> fx = Load("lights.fx", std::string(kPrelude) + R"(
struct VLit { float4 pos : SV_Position; float3 light[2] : TEXCOORD2; float2 uv : TEXCOORD4; };
struct PSplit { float4 pos : SV_Position; float3 first : TEXCOORD2; float3 second : TEXCOORD3; float2 uv : TEXCOORD4; };
VLit VSLit(VIn v) { VLit o; o.pos = float4(v.pos, 1); o.light[0] = float3(1, 0, 0); o.light[1] = float3(0, 0.6, 0); o.uv = v.uv; return o; }
float4 PSArray(VLit i) : SV_Target { return float4(i.light[0].x, i.light[1].y, 0, 1); }
float4 PSSplit(PSplit i) : SV_Target { return float4(i.second.y, i.first.x, 0, 1); }
technique10 Array { pass P { SetVertexShader(CompileShader(vs_4_0, VSLit())); SetPixelShader(CompileShader(ps_4_0, PSArray())); } }
technique10 Split { pass P { SetVertexShader(CompileShader(vs_4_0, VSLit())); SetPixelShader(CompileShader(ps_4_0, PSSplit())); } }
)");
  ASSERT_TRUE(fx);
  Draw(fx->GetTechniqueByName("Array"), FullScreen());
  EXPECT_EQ((Rgba8{255, 153, 0, 255}), At(3, 3));
  ClearAndBind();
  Draw(fx->GetTechniqueByName("Split"), FullScreen());
  EXPECT_EQ((Rgba8{153, 255, 0, 255}), At(3, 3));
}

// Clip distances written by the vertex stage reach a geometry stage that reads them (and
// passes them on), and still clip: x < -0.5 is cut away, and the colour says what the
// geometry stage read.
TEST_F(EffectTest, ClipDistancesPassThroughAGeometryStageThatReadsThem) {
  Ref<ID3D10Effect> fx = Load("clipgs.fx", std::string(kPrelude) + R"(
struct Clipped { float4 pos : SV_Position; float4 colour : COLOR0; float2 planes : SV_ClipDistance0; };
Clipped VSClip(VIn v) { Clipped o; o.pos = float4(v.pos, 1); o.colour = 0; o.planes = float2(v.pos.x + 0.5, 0.6); return o; }
[maxvertexcount(3)]
void GSRead(triangle Clipped v[3], inout TriangleStream<Clipped> s) {
  for (int i = 0; i < 3; ++i) { Clipped o = v[i]; o.colour = float4(v[i].planes.y, 0, 0, 1); s.Append(o); }
}
float4 PSColour(Clipped i) : SV_Target { return i.colour; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VSClip()));
  SetGeometryShader(CompileShader(gs_4_0, GSRead())); SetPixelShader(CompileShader(ps_4_0, PSColour())); } }
)");
  ASSERT_TRUE(fx);
  Draw(fx->GetTechniqueByName("T"), FullScreen());
  EXPECT_EQ(kClear, At(0, 4));
  EXPECT_EQ(kClear, At(1, 4));
  EXPECT_EQ((Rgba8{153, 0, 0, 255}), At(2, 4));
  EXPECT_EQ((Rgba8{153, 0, 0, 255}), At(7, 4));
}

TEST_F(EffectTest, InstancesSeeTheirInstanceId) {
  Ref<ID3D10Effect> fx = Load("instancing.fx", std::string(kPrelude) + R"(
struct IOut { float4 pos : SV_Position; float4 color : COLOR0; };
IOut VSInstanced(VIn v, uint id : SV_InstanceID) {
  IOut o;
  o.pos = float4(v.pos.x * 0.5 - 0.5 + id, v.pos.y, v.pos.z, 1);
  o.color = id == 0 ? float4(1, 0, 0, 1) : float4(0, 1, 0, 1);
  return o;
}
float4 PSColor(IOut i) : SV_Target { return i.color; }
technique10 Instanced { pass P { SetVertexShader(CompileShader(vs_4_0, VSInstanced()));
  SetPixelShader(CompileShader(ps_4_0, PSColor())); } }
)");
  ASSERT_TRUE(fx);
  Draw(fx->GetTechniqueByName("Instanced"), FullScreen(), 2);
  EXPECT_EQ(kRed, At(1, 4));
  EXPECT_EQ(kGreen, At(6, 4));
}

TEST_F(EffectTest, ShadowPassIntoDepthArraySampledWithComparison) {
  Ref<ID3D10Effect> fx = Load("shadow.fx", std::string(kPrelude) + R"(
Texture2DArray ShadowMap;
float Slice;
float Reference;
SamplerComparisonState Compare { Filter = COMPARISON_MIN_MAG_MIP_POINT; AddressU = CLAMP; AddressV = CLAMP;
  ComparisonFunc = LESS; };
float4 PSLit(VOut i) : SV_Target {
  float lit = ShadowMap.SampleCmpLevelZero(Compare, float3(i.uv, Slice), Reference);
  return float4(lit, lit, lit, 1);
}
technique10 Shadow { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(NULL); } }
technique10 Lit { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSLit())); } }
)");
  ASSERT_TRUE(fx);
  D3D10_TEXTURE2D_DESC desc = {kSize, kSize, 1, 2, DXGI_FORMAT_R32_TYPELESS, {1, 0}, D3D10_USAGE_DEFAULT,
                               D3D10_BIND_DEPTH_STENCIL | D3D10_BIND_SHADER_RESOURCE, 0, 0};
  Ref<ID3D10Texture2D> map;
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&desc, nullptr, map.Out()));
  Ref<ID3D10DepthStencilView> slices[2];
  for (UINT s = 0; s < 2; ++s) {
    D3D10_DEPTH_STENCIL_VIEW_DESC dsv = {};
    dsv.Format = DXGI_FORMAT_D32_FLOAT;
    dsv.ViewDimension = D3D10_DSV_DIMENSION_TEXTURE2DARRAY;
    dsv.Texture2DArray.FirstArraySlice = s;
    dsv.Texture2DArray.ArraySize = 1;
    ASSERT_EQ(S_OK, device_->CreateDepthStencilView(map.get(), &dsv, slices[s].Out()));
    device_->ClearDepthStencilView(slices[s].get(), D3D10_CLEAR_DEPTH, s == 0 ? 0.0f : 1.0f, 0);
  }
  // The occluder covers the left half of slice 1 at depth 0.5.
  device_->OMSetRenderTargets(0, nullptr, slices[1].get());
  Draw(fx->GetTechniqueByName("Shadow"), Rect(-1, -1, 0, 1, 0.5f));

  D3D10_SHADER_RESOURCE_VIEW_DESC srv = {};
  srv.Format = DXGI_FORMAT_R32_FLOAT;
  srv.ViewDimension = D3D10_SRV_DIMENSION_TEXTURE2DARRAY;
  srv.Texture2DArray.MipLevels = 1;
  srv.Texture2DArray.ArraySize = 2;
  Ref<ID3D10ShaderResourceView> view;
  ASSERT_EQ(S_OK, device_->CreateShaderResourceView(map.get(), &srv, view.Out()));
  ID3D10RenderTargetView* targets[] = {target_.view.get()};
  device_->OMSetRenderTargets(1, targets, nullptr);
  ASSERT_EQ(S_OK, fx->GetVariableByName("ShadowMap")->AsShaderResource()->SetResource(view.get()));
  fx->GetVariableByName("Reference")->AsScalar()->SetFloat(0.7f);
  fx->GetVariableByName("Slice")->AsScalar()->SetFloat(1.0f);
  Draw(fx->GetTechniqueByName("Lit"), FullScreen());
  EXPECT_EQ((Rgba8{0, 0, 0, 255}), At(1, 4)) << "behind the occluder";
  EXPECT_EQ((Rgba8{255, 255, 255, 255}), At(6, 4)) << "in the light";
  // Slice 0 is all at depth 0: everything is behind it.
  fx->GetVariableByName("Slice")->AsScalar()->SetFloat(0.0f);
  Draw(fx->GetTechniqueByName("Lit"), FullScreen());
  EXPECT_EQ((Rgba8{0, 0, 0, 255}), At(6, 4));
  fx->GetVariableByName("ShadowMap")->AsShaderResource()->SetResource(nullptr);
}

// The demo's shadow path: one instanced draw whose geometry shader sends instance k to
// slice k of a depth array (SV_RenderTargetArrayIndex), each slice seeing the caster, a
// square over the top-left quarter of the lamp's view, at its own depth: 0.2, 0.5, 0.8.
// A receiver at depth 0.6 then finds its place in the lamp's clip space (here its own
// position) and reads a slice there.
constexpr const char* kCascades = R"(
struct CasterIn { float4 lamp : POSITION; uint slice : SLICE; };
struct CasterOut { float4 position : SV_Position; uint slice : SV_RenderTargetArrayIndex; };
CasterIn VSCaster(VIn v, uint instance : SV_InstanceID) {
  CasterIn o;
  o.lamp = float4(v.pos.xy, 0.2 + 0.3 * instance, 1);
  o.slice = instance;
  return o;
}
[maxvertexcount(3)]
void GSCaster(triangle CasterIn input[3], inout TriangleStream<CasterOut> stream) {
  for (int k = 0; k < 3; ++k) {
    CasterOut o;
    o.position = input[k].lamp;
    o.slice = input[0].slice;
    stream.Append(o);
  }
}
technique10 Casters { pass P { SetVertexShader(CompileShader(vs_4_0, VSCaster()));
  SetGeometryShader(CompileShader(gs_4_0, GSCaster())); SetPixelShader(NULL); } }
struct Receiver { float4 pos : SV_Position; float2 lamp : TEXCOORD1; };
Receiver VSReceiver(VIn v) { Receiver o; o.pos = float4(v.pos, 1); o.lamp = v.pos.xy; return o; }
float4 PSReceiver(Receiver r) : SV_Target { float lit = Lit(float4(r.lamp, 0.6, 1)); return float4(lit, lit, lit, 1); }
technique10 Receive { pass P { SetVertexShader(CompileShader(vs_4_0, VSReceiver())); SetGeometryShader(NULL);
  SetPixelShader(CompileShader(ps_4_0, PSReceiver())); } }
)";

class CascadeTest : public EffectTest {
 protected:
  // Draws the casters of `fx` into a fresh three-slice depth array and binds the array
  // to "ShadowMap"; then each Receive draw shows which of 8 x 8 pixels are shadowed.
  void CastShadows(ID3D10Effect* fx) {
    D3D10_TEXTURE2D_DESC desc = {kSize, kSize, 1, 3, DXGI_FORMAT_R32_TYPELESS, {1, 0}, D3D10_USAGE_DEFAULT,
                                 D3D10_BIND_DEPTH_STENCIL | D3D10_BIND_SHADER_RESOURCE, 0, 0};
    ASSERT_EQ(S_OK, device_->CreateTexture2D(&desc, nullptr, map_.Out()));
    D3D10_DEPTH_STENCIL_VIEW_DESC dsv = {};
    dsv.Format = DXGI_FORMAT_D32_FLOAT;
    dsv.ViewDimension = D3D10_DSV_DIMENSION_TEXTURE2DARRAY;
    dsv.Texture2DArray.ArraySize = 3;
    Ref<ID3D10DepthStencilView> slices;
    ASSERT_EQ(S_OK, device_->CreateDepthStencilView(map_.get(), &dsv, slices.Out()));
    device_->ClearDepthStencilView(slices.get(), D3D10_CLEAR_DEPTH, 1.0f, 0);
    device_->OMSetRenderTargets(0, nullptr, slices.get());
    Draw(fx->GetTechniqueByName("Casters"), Rect(-1, 0, 0, 1), 3);

    D3D10_SHADER_RESOURCE_VIEW_DESC srv = {};
    srv.Format = DXGI_FORMAT_R32_FLOAT;
    srv.ViewDimension = D3D10_SRV_DIMENSION_TEXTURE2DARRAY;
    srv.Texture2DArray.MipLevels = 1;
    srv.Texture2DArray.ArraySize = 3;
    ASSERT_EQ(S_OK, device_->CreateShaderResourceView(map_.get(), &srv, view_.Out()));
    ID3D10RenderTargetView* targets[] = {target_.view.get()};
    device_->OMSetRenderTargets(1, targets, nullptr);
    ASSERT_EQ(S_OK, fx->GetVariableByName("ShadowMap")->AsShaderResource()->SetResource(view_.get()));
  }

  // Shadowed under the caster (the top-left quarter) and nowhere else; lit everywhere
  // when the slice holds the caster behind the receiver.
  void ExpectShadowUnderTheCaster(ID3D10Effect* fx, bool casterInFront, const std::string& what) {
    Draw(fx->GetTechniqueByName("Receive"), FullScreen());
    const Rgba8 shadow{0, 0, 0, 255}, light{255, 255, 255, 255};
    EXPECT_EQ(casterInFront ? shadow : light, At(1, 1)) << what << ": top left, under the caster";
    EXPECT_EQ(light, At(1, 6)) << what << ": bottom left, the caster's mirror image";
    EXPECT_EQ(light, At(6, 1)) << what << ": top right";
  }

  void TearDown() override {
    view_.Reset();
    map_.Reset();
    EffectTest::TearDown();
  }

  Ref<ID3D10Texture2D> map_;
  Ref<ID3D10ShaderResourceView> view_;
};

// Row 0 of every slice is clip-space +y, as in any render target, so the lookup is
// v = 0.5 - 0.5 y.
TEST_F(CascadeTest, SlicesFromAGeometryShaderShadowWhereTheCasterStands) {
  Ref<ID3D10Effect> fx = Load("cascades.fx", std::string(kPrelude) + R"(
Texture2DArray ShadowMap;
float Slice;
SamplerState Point { Filter = MIN_MAG_MIP_POINT; AddressU = CLAMP; AddressV = CLAMP; };
float Lit(float4 lamp) {
  float2 uv = float2(0.5 + 0.5 * lamp.x, 0.5 - 0.5 * lamp.y);
  return lamp.z <= ShadowMap.SampleLevel(Point, float3(uv, Slice), 0).r ? 1 : 0;
}
)" + kCascades);
  ASSERT_TRUE(fx);
  CastShadows(fx.get());
  for (int slice : {0, 1, 2}) {
    fx->GetVariableByName("Slice")->AsScalar()->SetFloat(static_cast<float>(slice));
    ExpectShadowUnderTheCaster(fx.get(), slice < 2, "slice " + std::to_string(slice));
  }
  fx->GetVariableByName("ShadowMap")->AsShaderResource()->SetResource(nullptr);
}

// The same through the demo's own lookup (content/data/fx/shadow.fxh), with the lamp's
// view and every cascade's projection the identity, so the lamp's clip space is the
// receiver's own; the view depth picks the cascade by the split planes.
TEST_F(CascadeTest, TheDemosShadowLookupReadsTheCascadeUnderTheCaster) {
  std::ifstream lookup(std::string(NEBLU_CONTENT_FX_DIR) + "/shadow.fxh");
  ASSERT_TRUE(lookup) << NEBLU_CONTENT_FX_DIR "/shadow.fxh";
  scratch_.Write("shadow.fxh", std::string(std::istreambuf_iterator<char>(lookup), std::istreambuf_iterator<char>()));
  Ref<ID3D10Effect> fx = Load("demo_cascades.fx", std::string(kPrelude) + R"(
cbuffer Lamp { float4x4 LightView; float4x4 SplitProjection[3]; float3 SplitPlanes; };
SamplerState Point { Filter = MIN_MAG_MIP_POINT; AddressU = CLAMP; AddressV = CLAMP; };
#include "shadow.fxh"
float ViewDepth;
float Lit(float4 lamp) { return Shadowed(lamp, ViewDepth); }
)" + kCascades);
  ASSERT_TRUE(fx);
  const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  ASSERT_EQ(S_OK, fx->GetVariableByName("LightView")->AsMatrix()->SetMatrix(identity));
  float three[48];
  for (int k = 0; k < 3; ++k) std::copy(identity, identity + 16, three + 16 * k);
  ASSERT_EQ(S_OK, fx->GetVariableByName("SplitProjection")->SetRawValue(three, 0, sizeof three));
  const float planes[3] = {10, 20, 30};
  ASSERT_EQ(S_OK, fx->GetVariableByName("SplitPlanes")->SetRawValue(planes, 0, sizeof planes));
  CastShadows(fx.get());
  for (float depth : {5.0f, 15.0f, 25.0f}) {
    fx->GetVariableByName("ViewDepth")->AsScalar()->SetFloat(depth);
    ExpectShadowUnderTheCaster(fx.get(), depth < 20.0f, "view depth " + std::to_string(depth));
  }
  fx->GetVariableByName("ShadowMap")->AsShaderResource()->SetResource(nullptr);
}

TEST_F(EffectTest, PoolVariableSetOnceIsSeenByEveryChild) {
  scratch_.Write("pool.fx", "cbuffer Frame { float4 Tint; };\nfloat4 Unrelated;\n");
  Ref<ID3D10EffectPool> pool;
  ASSERT_EQ(S_OK, D3DX10CreateEffectPoolFromFileW(Wide(scratch_.Path("pool.fx")).c_str(), nullptr, nullptr, "fx_4_0",
                                                  0, 0, device_, nullptr, pool.Out(), nullptr, nullptr));
  const std::string child = std::string(kPrelude) + R"(
shared cbuffer Frame { float4 Tint; };
float Scale = 1;
float4 PSTint() : SV_Target { return Tint * Scale; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSTint())); } }
)";
  Ref<ID3D10Effect> a = Load("a.fx", child, pool.get());
  Ref<ID3D10Effect> b = Load("b.fx", child, pool.get());
  ASSERT_TRUE(a && b);
  ID3D10Effect* shared = pool->AsEffect();
  ASSERT_TRUE(shared->GetVariableByName("Tint")->IsValid());
  const float blue[4] = {0, 0, 1, 1};
  ASSERT_EQ(S_OK, shared->GetVariableByName("Tint")->AsVector()->SetFloatVector(blue));
  D3D10_EFFECT_DESC desc;
  ASSERT_EQ(S_OK, a->GetDesc(&desc));
  EXPECT_TRUE(desc.IsChildEffect);
  EXPECT_EQ(1u, desc.GlobalVariables);  // Scale; Tint belongs to the pool
  EXPECT_EQ(1u, desc.SharedGlobalVariables);
  Draw(a->GetTechniqueByName("T"), Rect(-1, -1, 0, 1));
  Draw(b->GetTechniqueByName("T"), Rect(0, -1, 1, 1));
  EXPECT_EQ(kBlue, At(1, 4));
  EXPECT_EQ(kBlue, At(6, 4));
  // Set through one child, seen by the other.
  const float green[4] = {0, 1, 0, 1};
  a->GetVariableByName("Tint")->AsVector()->SetFloatVector(green);
  ClearAndBind();
  Draw(b->GetTechniqueByName("T"), FullScreen());
  EXPECT_EQ(kGreen, At(6, 4));
}

// Engine matrices are row-major with row vectors: SetMatrix gives both packings the same
// meaning, while SetRawValue copies bytes and so means the transpose for column_major.
struct MatrixCase {
  const char* technique;
  bool raw;
  bool shifted;
};

class MatrixUpload : public EffectTest, public ::testing::WithParamInterface<MatrixCase> {};

TEST_P(MatrixUpload, TranslationLandsWhereThePackingSays) {
  const MatrixCase& c = GetParam();
  Ref<ID3D10Effect> fx = Load("matrix.fx", std::string(kPrelude) + R"(
float4x4 ColumnWorld;
row_major float4x4 RowWorld;
VOut VSColumn(VIn v) { VOut o; o.pos = mul(float4(v.pos, 1), ColumnWorld); o.uv = v.uv; return o; }
VOut VSRow(VIn v) { VOut o; o.pos = mul(float4(v.pos, 1), RowWorld); o.uv = v.uv; return o; }
technique10 Column { pass P { SetVertexShader(CompileShader(vs_4_0, VSColumn())); SetPixelShader(CompileShader(ps_4_0, PSGreen())); } }
technique10 Row { pass P { SetVertexShader(CompileShader(vs_4_0, VSRow())); SetPixelShader(CompileShader(ps_4_0, PSGreen())); } }
)");
  ASSERT_TRUE(fx);
  const float translate[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0, 0, 1};
  ID3D10EffectVariable* v = fx->GetVariableByName(std::string(c.technique) == "Column" ? "ColumnWorld" : "RowWorld");
  ASSERT_EQ(S_OK, c.raw ? v->SetRawValue(translate, 0, sizeof translate) : v->AsMatrix()->SetMatrix(translate));
  Draw(fx->GetTechniqueByName(c.technique), Rect(-0.25f, -0.25f, 0.25f, 0.25f));
  EXPECT_EQ(c.shifted ? kGreen : kClear, At(5, 4));
  EXPECT_EQ(c.shifted ? kClear : kGreen, At(4, 4));
}

INSTANTIATE_TEST_SUITE_P(Packings, MatrixUpload,
                         ::testing::Values(MatrixCase{"Column", false, true}, MatrixCase{"Row", false, true},
                                           MatrixCase{"Row", true, true}, MatrixCase{"Column", true, false}));

TEST_F(EffectTest, FullScreenQuadTechniqueReadsBackItsAnnotations) {
  Ref<ID3D10Effect> fx = Load("blur.fx", std::string(kPrelude) + R"(
float4x4 World : World < string Object = "Lamp"; string ObjectGroup = "global"; >;
float4 Colour : DIFFUSE = float4(0, 0, 0, 1);
float Strength = 0.5;
float4 PSColour() : SV_Target { return Colour * Strength; }
technique10 Blur < bool quad = true; string material = "blur"; > {
  pass P < int order = 3; > { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSColour())); }
}
)");
  ASSERT_TRUE(fx);
  ID3D10EffectTechnique* t = fx->GetTechniqueByName("Blur");
  BOOL quad = FALSE;
  ASSERT_TRUE(t->GetAnnotationByName("quad")->IsValid());
  EXPECT_EQ(S_OK, t->GetAnnotationByName("quad")->AsScalar()->GetBool(&quad));
  EXPECT_TRUE(quad);
  LPCSTR material = nullptr;
  EXPECT_EQ(S_OK, t->GetAnnotationByName("material")->AsString()->GetString(&material));
  EXPECT_STREQ("blur", material);
  EXPECT_FALSE(t->GetAnnotationByName("absent")->IsValid());
  int order = 0;
  EXPECT_EQ(S_OK, t->GetPassByIndex(0)->GetAnnotationByName("order")->AsScalar()->GetInt(&order));
  EXPECT_EQ(3, order);

  D3D10_EFFECT_DESC desc;
  ASSERT_EQ(S_OK, fx->GetDesc(&desc));
  EXPECT_EQ(3u, desc.GlobalVariables);
  D3D10_EFFECT_VARIABLE_DESC world;
  ASSERT_EQ(S_OK, fx->GetVariableByIndex(0)->GetDesc(&world));
  EXPECT_STREQ("World", world.Semantic);
  LPCSTR object = nullptr;
  fx->GetVariableByName("World")->GetAnnotationByName("Object")->AsString()->GetString(&object);
  EXPECT_STREQ("Lamp", object);

  const float colour[4] = {0, 1, 1, 1};
  fx->GetVariableByName("Colour")->AsVector()->SetFloatVector(colour);
  fx->GetVariableByName("Strength")->AsScalar()->SetFloat(1.0f);
  Draw(t, FullScreen());
  EXPECT_EQ((Rgba8{0, 255, 255, 255}), At(3, 3));
}

// HLSL packs a float3 right after a float, which no std140 block can declare.
TEST_F(EffectTest, CBufferOutsideStd140StillDraws) {
  Ref<ID3D10Effect> fx = Load("odd.fx", std::string(kPrelude) + R"(
cbuffer Odd { float Alpha; float3 Rgb; float2 Pair[2]; };
float4 PSOdd() : SV_Target { return float4(Rgb.r, Pair[1].y, Rgb.b, Alpha); }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSOdd())); } }
)");
  ASSERT_TRUE(fx);
  const float rgb[3] = {1, 0, 0.2f};
  const float pair[2] = {0, 1};
  fx->GetVariableByName("Alpha")->AsScalar()->SetFloat(1.0f);
  fx->GetVariableByName("Rgb")->AsVector()->SetFloatVector(rgb);
  fx->GetVariableByName("Pair")->SetRawValue(pair, 16, 8);
  Draw(fx->GetTechniqueByName("T"), FullScreen());
  EXPECT_EQ((Rgba8{255, 255, 51, 255}), At(3, 3));
}

// Ints beside floats off std140's alignment fit neither a uniform block nor a vec4 array:
// every cbuffer of such a program, the vertex stage's and $Globals too, becomes plain
// uniforms. Each column of the target shows one member; the lower half of columns 6 and
// 7 shows the non-square matrices.
TEST_F(EffectTest, MixedScalarCBufferDrawsThroughPlainUniforms) {
  Ref<ID3D10Effect> fx = Load("mixed.fx", std::string(kPrelude) + R"(
cbuffer Place { float2 Shift; };
cbuffer Mixed { float Alpha; int2 Pick; float3 Rgb; uint Flag; float4 Palette[3];
                float4x4 ColumnM; row_major float4x4 RowM; float2x3 Wide; row_major float3x2 Tall; };
float Gain = 0.5;
VOut VSShift(VIn v) { VOut o; o.pos = float4(v.pos.xy + Shift, v.pos.z, 1); o.uv = v.uv; return o; }
float4 PSMixed(VOut i) : SV_Target {
  int col = int(i.pos.x);
  bool low = i.pos.y >= 4;
  if (col == 0) return float4(Alpha * Gain, 0, 0, 1);
  if (col == 1) return float4(-Pick.x / 255.0, Pick.y / 255.0, 0, 1);
  if (col == 2) return float4(Rgb, 1);
  if (col == 3) return float4(float(Flag & 0xFFu) / 255.0, float(Flag >> 24) / 255.0, 0, 1);
  if (col == 4) return Palette[1];
  if (col == 5) return Palette[2];
  if (col == 6) return low ? float4(mul(float2(0, 1), Wide), 1) : mul(float4(0, 0, 0, 1), ColumnM);
  return low ? float4(mul(float3(0, 0, 1), Tall), 0, 1) : mul(float4(0, 0, 0, 1), RowM);
}
float4 PSAlpha(VOut i) : SV_Target { return float4(Alpha, Alpha, Alpha, 1); }
technique10 Mixed { pass P { SetVertexShader(CompileShader(vs_4_0, VSShift())); SetPixelShader(CompileShader(ps_4_0, PSMixed())); } }
technique10 AlphaOnly { pass P { SetVertexShader(CompileShader(vs_4_0, VSShift())); SetPixelShader(CompileShader(ps_4_0, PSAlpha())); } }
)");
  ASSERT_TRUE(fx);
  ASSERT_TRUE(fx->GetTechniqueByName("Mixed")->IsValid());
  const float shift[2] = {1, 0};
  const int pick[2] = {-40, 200};
  const float rgb[3] = {0.2f, 0.4f, 0.8f};
  const std::uint32_t flag = 0x80000040u;
  const float palette[12] = {1, 1, 1, 1, 0.2f, 0.6f, 1, 1, 1, 0.4f, 0, 1};
  float column[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.2f, 0.4f, 0.6f, 1};
  float row[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.8f, 0.6f, 0.4f, 1};
  const float wide[16] = {1, 1, 1, 0, 0.2f, 0.8f, 0.4f, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const float tall[16] = {1, 1, 0, 0, 1, 1, 0, 0, 0.6f, 0.2f, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(S_OK, fx->GetVariableByName("Shift")->AsVector()->SetFloatVector(shift));
  ASSERT_EQ(S_OK, fx->GetVariableByName("Alpha")->AsScalar()->SetFloat(0.8f));
  ASSERT_EQ(S_OK, fx->GetVariableByName("Pick")->AsVector()->SetIntVector(pick));
  ASSERT_EQ(S_OK, fx->GetVariableByName("Rgb")->AsVector()->SetFloatVector(rgb));
  ASSERT_EQ(S_OK, fx->GetVariableByName("Flag")->SetRawValue(&flag, 0, 4));
  ASSERT_EQ(S_OK, fx->GetVariableByName("Palette")->SetRawValue(palette, 0, sizeof palette));
  ASSERT_EQ(S_OK, fx->GetVariableByName("ColumnM")->AsMatrix()->SetMatrix(column));
  ASSERT_EQ(S_OK, fx->GetVariableByName("RowM")->AsMatrix()->SetMatrix(row));
  ASSERT_EQ(S_OK, fx->GetVariableByName("Wide")->AsMatrix()->SetMatrix(wide));
  ASSERT_EQ(S_OK, fx->GetVariableByName("Tall")->AsMatrix()->SetMatrix(tall));
  // Drawn off the left edge, so only an uploaded Shift brings it on screen.
  Draw(fx->GetTechniqueByName("Mixed"), Rect(-2, -1, 0, 1));
  EXPECT_EQ((Rgba8{102, 0, 0, 255}), At(0, 1)) << "float beside $Globals' initial value";
  EXPECT_EQ((Rgba8{40, 200, 0, 255}), At(1, 1)) << "int2";
  EXPECT_EQ((Rgba8{51, 102, 204, 255}), At(2, 1)) << "float3";
  EXPECT_EQ((Rgba8{64, 128, 0, 255}), At(3, 1)) << "uint";
  EXPECT_EQ((Rgba8{51, 153, 255, 255}), At(4, 1)) << "float4 array, element 1";
  EXPECT_EQ((Rgba8{255, 102, 0, 255}), At(5, 1)) << "float4 array, element 2";
  EXPECT_EQ((Rgba8{51, 102, 153, 255}), At(6, 1)) << "column_major float4x4";
  EXPECT_EQ((Rgba8{204, 153, 102, 255}), At(7, 1)) << "row_major float4x4";
  EXPECT_EQ((Rgba8{51, 204, 102, 255}), At(6, 6)) << "column_major float2x3";
  EXPECT_EQ((Rgba8{153, 51, 0, 255}), At(7, 6)) << "row_major float3x2";

  // GL keeps plain uniforms per program: a change drawn by one technique must still
  // reach the other, and what did not change stays.
  ASSERT_EQ(S_OK, fx->GetVariableByName("Alpha")->AsScalar()->SetFloat(0.4f));
  ClearAndBind();
  Draw(fx->GetTechniqueByName("AlphaOnly"), Rect(-2, -1, 0, 1));
  EXPECT_EQ((Rgba8{102, 102, 102, 255}), At(0, 1));
  ClearAndBind();
  Draw(fx->GetTechniqueByName("Mixed"), Rect(-2, -1, 0, 1));
  EXPECT_EQ((Rgba8{51, 0, 0, 255}), At(0, 1));
  EXPECT_EQ((Rgba8{51, 102, 204, 255}), At(2, 1));
  EXPECT_EQ((Rgba8{204, 153, 102, 255}), At(7, 1));
}

// The engine binds a depth-target array as a one-element resource array; a write past
// the variable's elements is refused and leaves the bound view in place.
TEST_F(EffectTest, DepthArrayBoundAsOneElementResourceArray) {
  Ref<ID3D10Effect> fx = Load("shadow_array.fx", std::string(kPrelude) + R"(
Texture2DArray ShadowMap;
float Slice;
SamplerComparisonState Compare { Filter = COMPARISON_MIN_MAG_MIP_POINT; AddressU = CLAMP; AddressV = CLAMP;
  ComparisonFunc = LESS; };
float4 PSLit(VOut i) : SV_Target {
  float lit = ShadowMap.SampleCmpLevelZero(Compare, float3(i.uv, Slice), 0.5);
  return float4(lit, lit, lit, 1);
}
technique10 Lit { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSLit())); } }
)");
  ASSERT_TRUE(fx);
  // Two depth arrays: `lit` has slice 1 cleared far (lit), `dark` is near everywhere.
  Ref<ID3D10ShaderResourceView> views[2];
  Ref<ID3D10Texture2D> maps[2];
  for (int m = 0; m < 2; ++m) {
    D3D10_TEXTURE2D_DESC desc = {kSize, kSize, 1, 2, DXGI_FORMAT_R32_TYPELESS, {1, 0}, D3D10_USAGE_DEFAULT,
                                 D3D10_BIND_DEPTH_STENCIL | D3D10_BIND_SHADER_RESOURCE, 0, 0};
    ASSERT_EQ(S_OK, device_->CreateTexture2D(&desc, nullptr, maps[m].Out()));
    for (UINT s = 0; s < 2; ++s) {
      D3D10_DEPTH_STENCIL_VIEW_DESC dsv = {};
      dsv.Format = DXGI_FORMAT_D32_FLOAT;
      dsv.ViewDimension = D3D10_DSV_DIMENSION_TEXTURE2DARRAY;
      dsv.Texture2DArray.FirstArraySlice = s;
      dsv.Texture2DArray.ArraySize = 1;
      Ref<ID3D10DepthStencilView> slice;
      ASSERT_EQ(S_OK, device_->CreateDepthStencilView(maps[m].get(), &dsv, slice.Out()));
      device_->ClearDepthStencilView(slice.get(), D3D10_CLEAR_DEPTH, m == 0 && s == 1 ? 1.0f : 0.0f, 0);
    }
    D3D10_SHADER_RESOURCE_VIEW_DESC srv = {};
    srv.Format = DXGI_FORMAT_R32_FLOAT;
    srv.ViewDimension = D3D10_SRV_DIMENSION_TEXTURE2DARRAY;
    srv.Texture2DArray.MipLevels = 1;
    srv.Texture2DArray.ArraySize = 2;
    ASSERT_EQ(S_OK, device_->CreateShaderResourceView(maps[m].get(), &srv, views[m].Out()));
  }
  ID3D10EffectShaderResourceVariable* map = fx->GetVariableByName("ShadowMap")->AsShaderResource();
  ID3D10ShaderResourceView* lit = views[0].get();
  ID3D10ShaderResourceView* both[2] = {views[1].get(), views[1].get()};
  ASSERT_EQ(S_OK, map->SetResourceArray(&lit, 0, 1));
  EXPECT_EQ(E_INVALIDARG, map->SetResourceArray(both, 1, 1));
  EXPECT_EQ(E_INVALIDARG, map->SetResourceArray(both, 0, 2));
  ID3D10ShaderResourceView* bound = nullptr;
  ASSERT_EQ(S_OK, map->GetResource(&bound));
  EXPECT_EQ(lit, bound);
  if (bound) bound->Release();

  fx->GetVariableByName("Slice")->AsScalar()->SetFloat(1.0f);
  Draw(fx->GetTechniqueByName("Lit"), FullScreen());
  EXPECT_EQ((Rgba8{255, 255, 255, 255}), At(3, 3)) << "slice 1 of the bound array";
  fx->GetVariableByName("Slice")->AsScalar()->SetFloat(0.0f);
  ClearAndBind();
  Draw(fx->GetTechniqueByName("Lit"), FullScreen());
  EXPECT_EQ((Rgba8{0, 0, 0, 255}), At(3, 3)) << "slice 0 of the bound array";
  ASSERT_EQ(S_OK, map->SetResourceArray(nullptr, 0, 0));
  ASSERT_EQ(S_OK, map->SetResource(nullptr));
}

// An effect in the Direct3D 9 manner: a texture without a dimension, a sampler block
// naming it with per-stage filters, tex2D, and a technique of the old kind beside the
// technique10 of the same name. The old technique is left out; tex2D reads the texture
// through the block's point filter and clamp.
TEST_F(EffectTest, Direct3D9SamplersReadTheTextureTheirBlockNames) {
  Ref<ID3D10Effect> fx = Load("legacy.fx", std::string(kPrelude) + R"(
texture Picture < string ResourceName = "two.png"; >;
sampler2D PictureSampler = sampler_state {
  Texture = <Picture>; MinFilter = Point; MagFilter = Point; MipFilter = None; AddressU = Clamp; AddressV = Clamp;
};
float4 PSPicture(VOut i) : SV_Target { return tex2D(PictureSampler, i.uv * 2 - 0.5); }
technique Show { pass P { VertexShader = compile vs_2_0 VSQuad(); PixelShader = compile ps_2_0 PSPicture(); } }
technique10 Show { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSPicture())); } }
)");
  ASSERT_TRUE(fx);
  D3D10_EFFECT_DESC effectDesc;
  ASSERT_EQ(S_OK, fx->GetDesc(&effectDesc));
  EXPECT_EQ(1u, effectDesc.Techniques) << "the old technique is not listed";
  const std::uint32_t texels[2] = {0xff0000ffu, 0xff00ff00u};  // red, green (RGBA8 in memory)
  Ref<ID3D10ShaderResourceView> view = TextureView(2, 1, texels);
  ASSERT_TRUE(view);
  ASSERT_EQ(S_OK, fx->GetVariableByName("Picture")->AsShaderResource()->SetResource(view.get()));
  Draw(fx->GetTechniqueByName("Show"), FullScreen());
  // u runs from -0.5 to 1.5 across the target: clamped, the left half is the red texel
  // and the right half the green one, with no blend between them.
  EXPECT_EQ((Rgba8{255, 0, 0, 255}), At(0, 4));
  EXPECT_EQ((Rgba8{255, 0, 0, 255}), At(3, 4));
  EXPECT_EQ((Rgba8{0, 255, 0, 255}), At(4, 4));
  EXPECT_EQ((Rgba8{0, 255, 0, 255}), At(7, 4));
  fx->GetVariableByName("Picture")->AsShaderResource()->SetResource(nullptr);
}

// Initial values of an array of structs, written with a brace per element: each number
// lands in its member, past the padding the packing puts between them.
TEST_F(EffectTest, StructArrayInitialValuesReachTheShader) {
  Ref<ID3D10Effect> fx = Load("lights.fx", std::string(kPrelude) + R"(
struct Light { float3 direction; float4 colour; };
cbuffer Lights { Light Lamps[2] = { {float3(0, 0, 1), float4(1, 0, 0, 1)}, {float3(0, 1, 0), float4(0, 0, 1, 1)} }; };
float4 PSLamp() : SV_Target { return Lamps[1].colour + float4(Lamps[1].direction.y * 0.5, 0, 0, 0); }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSLamp())); } }
)");
  ASSERT_TRUE(fx);
  Draw(fx->GetTechniqueByName("T"), FullScreen());
  const Rgba8 pixel = At(4, 4);
  EXPECT_NEAR(pixel.r, 128, 1);
  EXPECT_EQ(pixel.g, 0);
  EXPECT_EQ(pixel.b, 255);
}

// Buffer<T> reads a buffer's elements through a view of them; the view's first element
// is the shader's element 0.
TEST_F(EffectTest, BufferOfElementsIsReadWithLoad) {
  Ref<ID3D10Effect> fx = Load("buffer.fx", std::string(kPrelude) + R"(
Buffer<float4> Palette;
float4 PSPalette() : SV_Target { return Palette.Load(1); }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSPalette())); } }
)");
  ASSERT_TRUE(fx);
  const float colours[8][4] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 0, 1},
                               {1, 0, 1, 1}, {0, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}};
  D3D10_BUFFER_DESC desc = {sizeof colours, D3D10_USAGE_DEFAULT, D3D10_BIND_SHADER_RESOURCE, 0, 0};
  D3D10_SUBRESOURCE_DATA data = {colours, 0, 0};
  Ref<ID3D10Buffer> buffer;
  ASSERT_EQ(S_OK, device_->CreateBuffer(&desc, &data, buffer.Out()));
  D3D10_SHADER_RESOURCE_VIEW_DESC view = {};
  view.Format = DXGI_FORMAT_R32G32B32A32_FLOAT;
  view.ViewDimension = D3D10_SRV_DIMENSION_BUFFER;
  view.Buffer.FirstElement = 0;
  view.Buffer.NumElements = 8;
  Ref<ID3D10ShaderResourceView> all;
  ASSERT_EQ(S_OK, device_->CreateShaderResourceView(buffer.get(), &view, all.Out()));
  ASSERT_EQ(S_OK, fx->GetVariableByName("Palette")->AsShaderResource()->SetResource(all.get()));
  Draw(fx->GetTechniqueByName("T"), FullScreen());
  EXPECT_EQ((Rgba8{0, 255, 0, 255}), At(4, 4));

  // From element 4 on (64 bytes in, a multiple of any offset alignment GL asks for).
  view.Buffer.FirstElement = 4;
  view.Buffer.NumElements = 4;
  Ref<ID3D10ShaderResourceView> tail;
  ASSERT_EQ(S_OK, device_->CreateShaderResourceView(buffer.get(), &view, tail.Out()));
  ASSERT_EQ(S_OK, fx->GetVariableByName("Palette")->AsShaderResource()->SetResource(tail.get()));
  ClearAndBind();
  Draw(fx->GetTechniqueByName("T"), FullScreen());
  EXPECT_EQ((Rgba8{0, 255, 255, 255}), At(4, 4));

  view.Buffer.NumElements = 5;  // one past the end
  EXPECT_EQ(E_INVALIDARG, device_->CreateShaderResourceView(buffer.get(), &view, tail.Out()));
  view.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
  view.Buffer.NumElements = 4;
  EXPECT_EQ(E_INVALIDARG, device_->CreateShaderResourceView(buffer.get(), &view, tail.Out()));
  fx->GetVariableByName("Palette")->AsShaderResource()->SetResource(nullptr);
}

TEST_F(EffectTest, RefusalsLeaveInvalidObjectsNotNulls) {
  Ref<ID3D10Effect> fx = Load("refuse.fx", std::string(kPrelude) + R"(
technique10 Good { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSRed())); } }
technique10 TooNew { pass P { SetVertexShader(CompileShader(vs_5_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSRed())); } }
)");
  ASSERT_TRUE(fx);
  EXPECT_TRUE(fx->GetTechniqueByName("Good")->IsValid());
  EXPECT_FALSE(fx->GetTechniqueByName("TooNew")->IsValid());
  ID3D10EffectTechnique* unknown = fx->GetTechniqueByName("Absent");
  ASSERT_NE(nullptr, unknown);
  EXPECT_FALSE(unknown->IsValid());
  EXPECT_FALSE(unknown->GetPassByIndex(0)->IsValid());
  EXPECT_NE(S_OK, unknown->GetPassByIndex(0)->Apply(0));
  ID3D10EffectVariable* absent = fx->GetVariableByName("Absent");
  ASSERT_NE(nullptr, absent);
  EXPECT_FALSE(absent->IsValid());
  EXPECT_NE(S_OK, absent->AsMatrix()->SetMatrix(std::array<float, 16>{}.data()));

  Ref<ID3D10Effect> broken = Load("broken.fx", "technique10 T { pass P { SetPixelShader( } }\n", nullptr, E_FAIL);
  EXPECT_FALSE(broken);
  Ref<ID3D10Effect> missing = Load("missing.fx", "#include \"absent.fxh\"\n", nullptr, E_FAIL);
  EXPECT_FALSE(missing);
}

// A bool between the stages, as a struct member and as a parameter, beside the system
// value that is a bool of its own (SV_IsFrontFace).
TEST_F(EffectTest, BoolsCrossTheStageInterface) {
  Ref<ID3D10Effect> fx = Load("bools.fx", std::string(kPrelude) + R"(
struct Flags { float4 pos : SV_Position; bool2 side : FLAGS; };
Flags VSFlags(VIn v) { Flags o; o.pos = float4(v.pos, 1); o.side = bool2(v.pos.x > 0, v.pos.x <= 0); return o; }
float4 PSFlags(Flags i) : SV_Target { return float4(i.side.x, i.side.y, 0, 1); }
void VSOut(VIn v, out float4 pos : SV_Position, out bool right : RIGHT) { pos = float4(v.pos, 1); right = v.pos.x > 0; }
float4 PSIn(float4 pos : SV_Position, bool right : RIGHT, bool front : SV_IsFrontFace) : SV_Target {
  return right && front ? float4(0, 0, 1, 1) : float4(1, 1, 1, 1);
}
technique10 Member { pass P { SetVertexShader(CompileShader(vs_4_0, VSFlags())); SetPixelShader(CompileShader(ps_4_0, PSFlags())); } }
technique10 Param { pass P { SetVertexShader(CompileShader(vs_4_0, VSOut())); SetPixelShader(CompileShader(ps_4_0, PSIn())); } }
)");
  ASSERT_TRUE(fx);
  // Interpolated, a bool is only exact where every vertex agrees: each half is its own rectangle.
  Draw(fx->GetTechniqueByName("Member"), Rect(-1, -1, -0.5f, 1));
  Draw(fx->GetTechniqueByName("Member"), Rect(0.5f, -1, 1, 1));
  EXPECT_EQ(At(0, 4).r, 0);
  EXPECT_EQ(At(0, 4).g, 255);
  EXPECT_EQ(At(7, 4).r, 255);
  EXPECT_EQ(At(7, 4).g, 0);
  Draw(fx->GetTechniqueByName("Param"), Rect(0.5f, -1, 1, 1, 0.25f));  // nearer than the first draws
  EXPECT_EQ(At(7, 4).b, 255);
  EXPECT_EQ(At(7, 4).r, 0);
}

}  // namespace
}  // namespace gltest
