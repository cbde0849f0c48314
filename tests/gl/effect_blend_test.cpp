// Blending through effects where the pixel shader's second output feeds the blend
// (dual-source blending): the layer must hand that output to GL as the first target's
// second source, not as a second target. And the output-merger arguments of a pass
// (blend factor, sample mask, stencil reference) taken from variables, read at each apply.

#include <string>

#include "tests/gl/effect_fixture.h"

namespace gltest {
namespace {

TEST_F(EffectTest, DualSourceBlendingReadsTheSecondOutput) {
  Ref<ID3D10Effect> fx = Load("dual.fx", std::string(kPrelude) + R"(
BlendState Filter { BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = SRC1_COLOR; BlendOp = ADD;
  SrcBlendAlpha = ONE; DestBlendAlpha = ZERO; BlendOpAlpha = ADD; };
struct Out { float4 colour : SV_Target0; float4 filter : SV_Target1; };
Out PSFilter() { Out o; o.colour = float4(0, 0, 0.25, 1); o.filter = float4(1, 0.5, 0, 1); return o; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSFilter()));
  SetBlendState(Filter, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
)");
  ASSERT_TRUE(fx);
  const float grey[4] = {1, 1, 1, 1};
  device_->ClearRenderTargetView(target_.view.get(), grey);
  Draw(fx->GetTechniqueByName("T"), FullScreen());
  // colour + white x filter: red stays, green halves, blue is the colour's own.
  const Rgba8 pixel = At(4, 4);
  EXPECT_EQ(pixel.r, 255);
  EXPECT_NEAR(pixel.g, 128, 1);
  EXPECT_NEAR(pixel.b, 64, 1);
}

TEST_F(EffectTest, BlendFactorFromAVariableIsReadAtEachApply) {
  Ref<ID3D10Effect> fx = Load("factor.fx", std::string(kPrelude) + R"(
float4 blendFactor = float4(0.5, 0.5, 0.5, 1);
uint coverage = 0xFFFFFFFF;
BlendState ByFactor { BlendEnable[0] = TRUE; SrcBlend = BLEND_FACTOR; DestBlend = ZERO; };
float4 PSWhite() : SV_Target { return 1; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSWhite()));
  SetBlendState(ByFactor, blendFactor, coverage); } }
)");
  ASSERT_TRUE(fx);
  ID3D10EffectTechnique* technique = fx->GetTechniqueByName("T");
  Draw(technique, Rect(-1, -1, 0, 1));  // the declared value
  const float cyan[4] = {0, 1, 1, 1};
  ASSERT_EQ(S_OK, fx->GetVariableByName("blendFactor")->AsVector()->SetFloatVector(cyan));
  ASSERT_EQ(S_OK, fx->GetVariableByName("coverage")->AsScalar()->SetInt(0x0F));
  Draw(technique, Rect(0, -1, 1, 1));
  const Rgba8 left = At(1, 4), right = At(6, 4);
  EXPECT_NEAR(left.r, 128, 1);
  EXPECT_NEAR(left.g, 128, 1);
  EXPECT_EQ(right.r, 0);
  EXPECT_EQ(right.g, 255);
  EXPECT_EQ(right.b, 255);
  // The pass describes the values it applies now.
  D3D10_PASS_DESC desc;
  ASSERT_EQ(S_OK, technique->GetPassByIndex(0)->GetDesc(&desc));
  EXPECT_EQ(desc.BlendFactor[0], 0.0f);
  EXPECT_EQ(desc.BlendFactor[1], 1.0f);
  EXPECT_EQ(desc.SampleMask, 0x0Fu);
}

TEST_F(EffectTest, StencilReferenceFromAVariableIsReadAtEachApply) {
  Ref<ID3D10Effect> fx = Load("stencil.fx", std::string(kPrelude) + R"(
int id;
DepthStencilState Mark { DepthEnable = FALSE; StencilEnable = TRUE; FrontFaceStencilFunc = ALWAYS;
  FrontFaceStencilPass = REPLACE; BackFaceStencilFunc = ALWAYS; BackFaceStencilPass = REPLACE; };
DepthStencilState Only { DepthEnable = FALSE; StencilEnable = TRUE; FrontFaceStencilFunc = EQUAL;
  BackFaceStencilFunc = EQUAL; };
technique10 Write { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSRed()));
  SetDepthStencilState(Mark, id); } }
technique10 Test { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSGreen()));
  SetDepthStencilState(Only, id); } }
)");
  ASSERT_TRUE(fx);
  D3D10_TEXTURE2D_DESC depthDesc = {kSize, kSize, 1, 1, DXGI_FORMAT_D24_UNORM_S8_UINT, {1, 0}, D3D10_USAGE_DEFAULT,
                                    D3D10_BIND_DEPTH_STENCIL, 0, 0};
  Ref<ID3D10Texture2D> depth;
  Ref<ID3D10DepthStencilView> view;
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&depthDesc, nullptr, depth.Out()));
  ASSERT_EQ(S_OK, device_->CreateDepthStencilView(depth.get(), nullptr, view.Out()));
  device_->ClearDepthStencilView(view.get(), D3D10_CLEAR_DEPTH | D3D10_CLEAR_STENCIL, 1.0f, 0);
  ID3D10RenderTargetView* targets[] = {target_.view.get()};
  device_->OMSetRenderTargets(1, targets, view.get());
  ID3D10EffectScalarVariable* id = fx->GetVariableByName("id")->AsScalar();
  ASSERT_EQ(S_OK, id->SetInt(1));
  Draw(fx->GetTechniqueByName("Write"), Rect(-1, -1, 0, 1));
  ASSERT_EQ(S_OK, id->SetInt(2));
  Draw(fx->GetTechniqueByName("Write"), Rect(0, -1, 1, 1));
  // Only the right half holds 2: the green pass passes there alone.
  Draw(fx->GetTechniqueByName("Test"), FullScreen());
  EXPECT_EQ(At(1, 4).r, 255);
  EXPECT_EQ(At(1, 4).g, 0);
  EXPECT_EQ(At(6, 4).r, 0);
  EXPECT_EQ(At(6, 4).g, 255);
  ASSERT_EQ(S_OK, id->SetInt(1));
  Draw(fx->GetTechniqueByName("Test"), FullScreen());
  EXPECT_EQ(At(1, 4).g, 255);
}

}  // namespace
}  // namespace gltest
