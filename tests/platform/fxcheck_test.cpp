// fxcheck from the command line, on effects of our own that use the language the way
// effect files from elsewhere do: what its JSON reports for each feature (annotations of
// every kind, resources, states, stream output, HLSL packing), and how it answers a
// newcomer's --help and a broken file.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/scratch_dir.h"

#ifndef FXCHECK
#error "FXCHECK names the tool under test"
#endif

namespace {

class FxcheckTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("NEBLU_EFFECT_CACHE", dir.Path("cache").c_str(), 1); }

  // Runs the tool with `args` in the scratch folder: its exit status, stdout in `json`,
  // stderr in `said`.
  int Run(const std::string& args) {
    const std::string command =
        "cd '" + dir.Path("") + "' && '" + FXCHECK + "' " + args + " > out.json 2> said.txt";
    const int status = std::system(command.c_str());
    json = dir.Read("out.json");
    said = dir.Read("said.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  ::testing::AssertionResult Reports(const std::string& piece) const {
    if (json.find(piece) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no " << piece << " in\n" << json;
  }

  testing_support::ScratchDir dir;
  std::string json, said;
};

TEST_F(FxcheckTest, ReportsAnnotationsResourcesAndStatesAsDeclared) {
  dir.Write("features.fx", R"(
Texture2DMS<float4, 4> Msaa;
Texture2DArray Layers < string UIName = "layers"; int Count = 3; >;
TextureCube Sky;
Texture2D<float> Shadow;
SamplerState Linear { Filter = MIN_MAG_MIP_LINEAR; AddressU = WRAP; AddressV = MIRROR_ONCE; AddressW = BORDER;
  BorderColor = float4(1, 0, 0, 1); MipLODBias = 0.5; MaxAnisotropy = 4; MinLOD = 0; MaxLOD = 10; };
SamplerComparisonState Compare { Filter = COMPARISON_MIN_MAG_LINEAR_MIP_POINT; ComparisonFunc = LESS_EQUAL; };
float4x4 World < bool Hidden = true; float2 Range = {0, 1}; uint Steps = 3; string Tip = "world"; >;
BlendState Dual { BlendEnable[0] = TRUE; SrcBlend = SRC1_COLOR; DestBlend = INV_SRC1_COLOR; BlendOpAlpha = MAX;
  SrcBlendAlpha = SRC1_ALPHA; DestBlendAlpha = INV_SRC1_ALPHA; RenderTargetWriteMask[0] = 0x0F; };
DepthStencilState Stencil { DepthFunc = GREATER_EQUAL; StencilEnable = TRUE; StencilWriteMask = 0x0F;
  FrontFaceStencilPass = REPLACE; BackFaceStencilDepthFail = DECR_SAT; BackFaceStencilFunc = NOT_EQUAL; };
RasterizerState Lines { FillMode = WIREFRAME; CullMode = FRONT; FrontCounterClockwise = TRUE; DepthBias = 2;
  DepthBiasClamp = 0.1; SlopeScaledDepthBias = 1.5; DepthClipEnable = FALSE; AntialiasedLineEnable = TRUE; };
struct VOut { float4 pos : SV_Position; float3 uvw : TEXCOORD0; };
VOut VS(float4 p : POSITION) { VOut o; o.pos = mul(p, World); o.uvw = p.xyz; return o; }
struct POut { float4 c0 : SV_Target0; float4 c1 : SV_Target1; };
POut PS(VOut i) {
  POut o;
  o.c0 = Msaa.Load(int2(i.pos.xy), 2) + Layers.Sample(Linear, i.uvw) + Sky.Sample(Linear, i.uvw) +
         Shadow.SampleCmpLevelZero(Compare, i.uvw.xy, 0.5);
  o.c1 = o.c0.wzyx;
  return o;
}
technique Old { pass P { VertexShader = compile vs_2_0 VS(); } }
technique10 T < string Name = "t"; int Order = 2; > { pass P < float Weight = 0.5; string Mode = "dual"; > {
  SetVertexShader(CompileShader(vs_4_0, VS())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, PS()));
  SetBlendState(Dual, float4(0, 0, 0, 0), 0xFFFFFFFF); SetDepthStencilState(Stencil, 1); SetRasterizerState(Lines); } }
)");
  ASSERT_EQ(0, Run("features.fx")) << said;
  // The Direct3D 9 technique is left out; the other is valid, with every annotation.
  EXPECT_TRUE(Reports(R"({"techniques": [{"name": "T", "valid": true, "annotations": {"Name": "t", "Order": 2}, )"
                      R"("passes": [{"name": "P", "annotations": {"Weight": 0.5, "Mode": "dual"}, "vs": "VS", "gs": null, )"
                      R"("ps": "PS", "profiles": ["vs_4_0", "ps_4_0"], "streamOutput": null, )"));
  EXPECT_TRUE(Reports(R"("name": "World", "type": "float4x4", "semantic": null, "annotations": {"Hidden": true, )"
                      R"("Range": [0, 1], "Steps": 3, "Tip": "world"}, "cbuffer": "$Globals", "offset": 0, "size": 64)"));
  EXPECT_TRUE(Reports(R"("name": "Msaa", "type": "Texture2DMS")"));
  EXPECT_TRUE(Reports(R"("name": "Layers", "type": "Texture2DArray", "semantic": null, "annotations": )"
                      R"({"UIName": "layers", "Count": 3})"));
  EXPECT_TRUE(Reports(R"("name": "Compare", "type": "SamplerComparisonState")"));
  EXPECT_TRUE(Reports(R"("name": "Lines", "type": "RasterizerState")"));
}

TEST_F(FxcheckTest, ReportsStreamOutputAndOffsetsAsHlslPacksThem) {
  dir.Write("so.fx", R"(
cbuffer Packed { float2 Offsets[2]; float Gain; float3x3 Basis; float Tail; };
cbuffer Placed { float Late : packoffset(c9.y); float Early : packoffset(c0); };
struct Skinned { float4 pos : POSITION; float3 norm : NORMAL; };
Skinned VSSkin(Skinned s, uniform bool twice) { s.pos *= twice ? 2 * Gain : Tail + Late; return s; }
VertexShader vsSkin = CompileShader(vs_4_0, VSSkin(true));
GeometryShader vsSkinSO = ConstructGSWithSO(vsSkin, "POSITION.xyzw; NORMAL.xyz");
technique10 Skin { pass P { SetVertexShader(vsSkin); SetGeometryShader(vsSkinSO); SetPixelShader(NULL); } }
)");
  ASSERT_EQ(0, Run("so.fx")) << said;
  EXPECT_TRUE(Reports(R"("vs": "VSSkin", "gs": "VSSkin", "ps": null, "profiles": ["vs_4_0", "vs_4_0"], )"
                      R"("streamOutput": "POSITION.xyzw; NORMAL.xyz")"));
  EXPECT_TRUE(Reports(R"("name": "Offsets", "type": "float2[2]", "semantic": null, "annotations": {}, )"
                      R"("cbuffer": "Packed", "offset": 0, "size": 24)"));
  EXPECT_TRUE(Reports(R"("name": "Gain", "type": "float", "semantic": null, "annotations": {}, "cbuffer": "Packed", )"
                      R"("offset": 24, "size": 4)"));
  EXPECT_TRUE(Reports(R"("cbuffer": "Packed", "offset": 32, "size": 44)"));  // Basis
  EXPECT_TRUE(Reports(R"("cbuffer": "Packed", "offset": 76, "size": 4)"));   // Tail
  EXPECT_TRUE(Reports(R"("cbuffer": "Placed", "offset": 148, "size": 4)"));  // Late
}

TEST_F(FxcheckTest, AnswersHelpUsageAndBrokenFiles) {
  EXPECT_EQ(0, Run("--help"));
  EXPECT_NE(std::string::npos, json.find("usage: fxcheck FILE"));
  EXPECT_EQ(2, Run(""));
  EXPECT_NE(std::string::npos, said.find("usage: fxcheck FILE"));
  EXPECT_EQ(1, Run("missing.fx"));
  EXPECT_NE(std::string::npos, said.find("missing.fx")) << said;
  dir.Write("broken.fx", "float4x4 World;\n\nGeometryShader g = ConstructGSWithSO(NULL, \"POSITION\");\n");
  EXPECT_EQ(1, Run("broken.fx"));
  EXPECT_NE(std::string::npos, said.find("broken.fx(3): error:")) << said;
  dir.Write("mixed.fx", "cbuffer Placed {\n  float Late : packoffset(c9.y);\n  float Early;\n};\n");
  EXPECT_EQ(1, Run("mixed.fx"));
  EXPECT_NE(std::string::npos, said.find("mixed.fx(3): error: cannot mix packoffset")) << said;
  dir.Write("badso.fx", "float4 VS(float4 p : POSITION) : SV_Position { return p; }\n"
                        "GeometryShader g = ConstructGSWithSO(CompileShader(vs_4_0, VS()), \"0:POSITION.xz\");\n"
                        "technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetGeometryShader(g); "
                        "SetPixelShader(NULL); } }\n");
  EXPECT_EQ(1, Run("badso.fx"));
  EXPECT_NE(std::string::npos, said.find("badso.fx(2): error: stream output declaration: '0:POSITION.xz'")) << said;
  EXPECT_TRUE(json.empty());
}

}  // namespace
