// Blending through effects where the pixel shader's second output feeds the blend
// (dual-source blending): the layer must hand that output to GL as the first target's
// second source, not as a second target.

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

}  // namespace
}  // namespace gltest
