// Constant buffers packed as HLSL packs them, drawn through the device: what follows an
// array or a matrix shares its last register, which a GL block cannot declare, and a
// packoffset of the file's own places a member where it says.

#include <string>

#include "tests/gl/effect_fixture.h"

namespace gltest {
namespace {

using EffectPackingTest = EffectTest;

TEST_F(EffectPackingTest, MembersInTheLastRegisterOfAnArrayOrMatrixReachTheShader) {
  Ref<ID3D10Effect> fx = Load("tail.fx", std::string(kPrelude) + R"(
cbuffer Floats { float2 Offsets[2]; float Gain; float3x3 Basis; float Tail; };
cbuffer Mixed { float Weights[2]; int Count; };
cbuffer Placed { float Late : packoffset(c1.y); float Early : packoffset(c0); };
float4 PSFloats() : SV_Target { return float4(Offsets[1].y, Gain, Basis[2][2], Tail); }
float4 PSMixed() : SV_Target { return float4(Weights[1], Count == 3 ? 1 : 0, 0, 1); }
float4 PSPlaced() : SV_Target { return float4(Late, Early, 0, 1); }
technique10 Floats { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSFloats())); } }
technique10 Mixed { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSMixed())); } }
technique10 Placed { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSPlaced())); } }
)");
  ASSERT_TRUE(fx);
  // Offsets at 0 (24 bytes), Gain at 24, Basis at 32 (44 bytes), Tail at 76.
  D3D10_EFFECT_VARIABLE_DESC desc;
  ASSERT_EQ(S_OK, fx->GetVariableByName("Tail")->GetDesc(&desc));
  EXPECT_EQ(76u, desc.BufferOffset);
  const float offsets[6] = {0, 0, 0, 0, 0, 0.2f};  // an element a register
  fx->GetVariableByName("Offsets")->SetRawValue(offsets, 0, 24);
  fx->GetVariableByName("Gain")->AsScalar()->SetFloat(0.4f);
  const float column[3] = {0, 0, 0.6f};  // the last column, in the last register
  fx->GetVariableByName("Basis")->SetRawValue(column, 32, 12);
  fx->GetVariableByName("Tail")->AsScalar()->SetFloat(1.0f);
  Draw(fx->GetTechniqueByName("Floats"), FullScreen());
  EXPECT_EQ((Rgba8{51, 102, 153, 255}), At(3, 3));

  const float weights[5] = {0, 0, 0, 0, 0.8f};  // an element a register
  fx->GetVariableByName("Weights")->SetRawValue(weights, 0, 20);
  ASSERT_EQ(S_OK, fx->GetVariableByName("Count")->GetDesc(&desc));
  EXPECT_EQ(20u, desc.BufferOffset);
  fx->GetVariableByName("Count")->AsScalar()->SetInt(3);
  ClearAndBind();
  Draw(fx->GetTechniqueByName("Mixed"), FullScreen());
  EXPECT_EQ((Rgba8{204, 255, 0, 255}), At(3, 3));

  ASSERT_EQ(S_OK, fx->GetVariableByName("Late")->GetDesc(&desc));
  EXPECT_EQ(20u, desc.BufferOffset);
  fx->GetVariableByName("Late")->AsScalar()->SetFloat(1.0f);
  fx->GetVariableByName("Early")->AsScalar()->SetFloat(0.2f);
  ClearAndBind();
  Draw(fx->GetTechniqueByName("Placed"), FullScreen());
  EXPECT_EQ((Rgba8{255, 51, 0, 255}), At(3, 3));
}

}  // namespace
}  // namespace gltest
