// fx_4_0 syntax that effect files from elsewhere write and the layer used to refuse:
// strings split across literals, Direct3D 9-style pass assignments in technique10 passes,
// arrays of arrays, and keywords written in another case. Each effect is one of ours,
// written the way such files write the feature.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "effect_compile_fixture.h"
#include "platform/effect/compiler.h"

using namespace platform::fx;

namespace {

constexpr const char* kShaders =
    "float4 VS(float4 p : POSITION) : SV_Position { return p; }\n"
    "float4 PS() : SV_Target { return float4(1, 0, 0, 1); }\n";

using EffectSyntax = effecttest::EffectCompileFixture;

// A script annotation long enough to be written over several lines, as tool-driven
// effects do.
TEST_F(EffectSyntax, AdjacentStringLiteralsAreOneString) {
  ASSERT_TRUE(Compiles("script.fx", std::string("float Script : STANDARDSGLOBAL < string Script =\n"
                                                "  \"Technique=Main;\"\n  \"Pass=P0;\"; > = 0.8;\n") +
                                        kShaders +
                                        "technique10 Main < string Script = \"Pass=\" \"P0;\"; > { pass P0 {\n"
                                        "  SetVertexShader(CompileShader(vs_4_0, VS()));\n"
                                        "  SetPixelShader(CompileShader(ps_4_0, PS())); } }\n"));
  ASSERT_EQ(Variable("Script").annotations.size(), 1u);
  EXPECT_EQ(Variable("Script").annotations[0].value.text, "Technique=Main;Pass=P0;");
  EXPECT_EQ(effect.syntax.techniques[0].annotations[0].value.text, "Pass=P0;");
}

// The assignment form of every pass state fx_4_0 names, shaders written with `compile`.
TEST_F(EffectSyntax, PassAssignmentsSetWhatTheirCallsSet) {
  ASSERT_TRUE(Compiles("assign.fx", std::string(kShaders) + R"(
BlendState Add { BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = ONE; };
DepthStencilState Mark { StencilEnable = TRUE; };
RasterizerState Both { CullMode = NONE; };
VertexShader Shared = compile vs_4_0 VS();
technique10 D3D9Style {
  pass Compiled { VertexShader = compile vs_4_0 VS(); GeometryShader = NULL; PixelShader = compile ps_4_0 PS(); }
  pass States {
    VERTEXSHADER = (Shared); PixelShader = CompileShader(ps_4_0, PS());
    BlendState = Add; AB_BlendFactor = float4(0.5, 0.5, 0.5, 1); AB_SampleMask = 0xF;
    DepthStencilState = Mark; DS_StencilRef = 3; RasterizerState = (Both);
  }
}
)"));
  const auto& passes = effect.syntax.techniques[0].passes;
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[0].vs.entry, "VS");
  EXPECT_EQ(passes[0].vs.profile, "vs_4_0");
  EXPECT_TRUE(passes[0].gs.null);
  EXPECT_EQ(passes[0].ps.entry, "PS");
  EXPECT_EQ(passes[1].vs.variable, "Shared");
  EXPECT_EQ(passes[1].blendState, "Add");
  EXPECT_EQ(passes[1].blendFactor[0], 0.5f);
  EXPECT_EQ(passes[1].sampleMask, 0xFu);
  EXPECT_EQ(passes[1].depthState, "Mark");
  EXPECT_EQ(passes[1].stencilRef, 3u);
  EXPECT_EQ(passes[1].rasterState, "Both");
}

// Direct3D 9 render states in a technique10 pass are refused, as the reference compiler
// refuses them, with the state object that takes them instead.
TEST_F(EffectSyntax, RenderStatesInATechnique10PassSayWhatToWrite) {
  const std::string pass = std::string(kShaders) +
                           "technique10 T { pass P { VertexShader = compile vs_4_0 VS();\n"
                           "  PixelShader = compile ps_4_0 PS();\n  ";
  const struct {
    const char* state;
    const char* expected;
  } cases[] = {{"CullMode = None;", "SetRasterizerState(S);"},
               {"ZEnable = true;", "SetDepthStencilState(S, 0);"},
               {"AlphaBlendEnable = false;", "SetBlendState(S, float4(0, 0, 0, 0), 0xFFFFFFFF);"},
               {"Lighting = false;", "unknown pass state 'Lighting'"}};
  for (const auto& c : cases) {
    EXPECT_FALSE(Compile("states.fx", pass + c.state + " } }\n")) << c.state;
    EXPECT_NE(error.find("states.fx(5): error: "), std::string::npos) << error;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
}

float FloatAt(const Value& value, std::size_t i) {
  float f = 0;
  if (i < value.data.size()) std::memcpy(&f, &value.data[i], 4);
  return f;
}

// A 2D filter kernel in a cbuffer, as a global with its values, as a static and as a
// local: to the effect one array of every element in order, to the shader [row][column].
TEST_F(EffectSyntax, ArraysOfArrays) {
  ASSERT_TRUE(Compiles("gauss.fx", R"(
cbuffer Filter { float Gauss[3][2]; float4 Taps[2][2]; float After; };
float Weights[2][2] = { {1, 2}, {3, 4} };
static const float Fixed[2][3] = { {1, 0, 1}, {0, 1, 0} };
static float Scratch[2][2];
float4 VS(float4 p : POSITION) : SV_Position {
  float local[2][2] = { {0.5, 0.25}, {0.125, 1} };
  return p * Gauss[2][1] * Taps[1][0].x * Weights[1][1] * Fixed[1][1] * local[1][0] * After;
}
float4 PS() : SV_Target { return float4(1, 0, 0, 1); }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
)"));
  EXPECT_EQ(Variable("Gauss").type.elements, 6);
  EXPECT_EQ(Variable("Taps").type.elements, 4);
  const VariableDecl& weights = Variable("Weights");
  EXPECT_EQ(weights.type.elements, 4);
  ASSERT_TRUE(weights.hasInitializer);
  EXPECT_EQ(FloatAt(weights.initializer, 2), 3.0f);
  // Every element in a register of its own, the inner arrays as much as the outer.
  const int filter = 1;
  ASSERT_EQ(effect.layouts[filter].variables.size(), 3u);
  EXPECT_EQ(effect.layouts[filter].variables[1].offset, 96u);
  EXPECT_EQ(effect.layouts[filter].variables[2].offset, 160u);

  EXPECT_FALSE(Compile("unsized.fx", "float W[][2] = { {1, 2} };\n" + std::string(kShaders)));
  EXPECT_NE(error.find("unsized.fx(1): error: only a single-dimension array"), std::string::npos) << error;
}

// Keywords the reference compiler reads in any case; other type names keep their case,
// and one written in the wrong case is refused with the spelling to use.
TEST_F(EffectSyntax, KeywordsInAnyCaseTypeNamesInTheirOwn) {
  ASSERT_TRUE(Compiles("case.fx", R"(
MATRIX World;
Vector Tint < STRING Name = "tint"; >;
float4 VS(float4 p : POSITION) : SV_Position { return mul(p, World) * Tint; }
float4 PS() : SV_Target { return 1; }
)" + std::string("technique10 T { PASS P { VERTEXSHADER = compile vs_4_0 VS(); pixelshader = compile ps_4_0 PS(); } }\n")))
      << error;
  EXPECT_EQ(Variable("World").type.cls, TypeClass::Matrix);
  EXPECT_EQ(Variable("Tint").type.cols, 4);

  EXPECT_FALSE(Compile("texture.fx", "float4 Tint;\nTEXTURE2D Shade;\n" + std::string(kShaders)));
  EXPECT_NE(error.find("texture.fx(2): error: unknown type 'TEXTURE2D': type names are case-sensitive; write 'Texture2D'"),
            std::string::npos)
      << error;
}

}  // namespace
