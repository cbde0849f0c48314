// The fx_4_0 language as effect files from elsewhere write it: spellings the HLSL
// compiler behind the layer does not take as they stand, array sizes from the file's own
// constants, and includes found the way those files expect. Each effect is one of ours,
// written the way such files write the feature.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "effect_compile_fixture.h"
#include "platform/effect/compiler.h"

using namespace platform::fx;

namespace {

constexpr const char* kTechnique =
    "float4 VS(float4 p : POSITION) : SV_Position { return p * Scale(); }\n"
    "float4 PS(float4 p : SV_Position) : SV_Target { return float4(1, 0, 0, 1); }\n"
    "technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetGeometryShader(0);\n"
    "  SetPixelShader(CompileShader(ps_4_0, PS())); } }\n";

// Compiles() here wants the one technique its effects have.
class EffectLanguage : public effecttest::EffectCompileFixture {
 protected:
  ::testing::AssertionResult Compiles(const std::string& file, const std::string& source) {
    return EffectCompileFixture::Compiles(file, source, 1);
  }
};

float FloatAt(const Value& value, std::size_t i) {
  float f = 0;
  if (i < value.data.size()) std::memcpy(&f, &value.data[i], 4);
  return f;
}

// "unsigned int" for uint, 0 for no shader, and an annotation's string in parentheses (a
// macro that expands to ("World")): each stopped a real file before its first shader.
TEST_F(EffectLanguage, OlderSpellingsCompile) {
  ASSERT_TRUE(Compiles("spellings.fx",
                       "#define SPACE(s) (s)\n"
                       "unsigned int Count = 2;\n"
                       "float4x4 World < string Space = SPACE(\"World\"); >;\n"
                       "float Scale() { unsigned int n = Count; return (float)n; }\n" +
                           std::string(kTechnique)));
  EXPECT_EQ(Variable("Count").type.scalar, ScalarType::Uint);
  ASSERT_EQ(Variable("World").annotations.size(), 1u);
  EXPECT_EQ(Variable("World").annotations[0].value.text, "World");
  EXPECT_TRUE(effect.syntax.techniques[0].passes[0].gs.null);
}

// Array lengths written as the file's own constants or left to the initial value.
TEST_F(EffectLanguage, ArraysTakeTheirLengthFromConstantsAndInitialValues) {
  ASSERT_TRUE(Compiles("arrays.fx",
                       "static const int Taps = 3;\n"
                       "float2 Offsets[Taps * 2];\n"
                       "float Weights[] = {0.25, 0.5, 0.25};\n"
                       "static const float2 Kernel[] = {float2(0, 1), float2(1, 0)};\n"
                       "float Scale() { return Weights[1] + Offsets[5].x + Kernel[1].x; }\n" +
                           std::string(kTechnique)));
  EXPECT_EQ(Variable("Offsets").type.elements, 6);
  const VariableDecl& weights = Variable("Weights");
  EXPECT_EQ(weights.type.elements, 3);
  ASSERT_TRUE(weights.hasInitializer);
  EXPECT_EQ(FloatAt(weights.initializer, 1), 0.5f);
  EXPECT_EQ(effect.syntax.FindVariable("Kernel"), nullptr) << "a static constant is the shader's own";

  EXPECT_FALSE(Compile("unsized.fx", "float Weights[];\nfloat Scale() { return Weights[0]; }\n" + std::string(kTechnique)));
  EXPECT_NE(error.find("unsized.fx(1): error: array Weights has no size"), std::string::npos) << error;
}

// A tbuffer is set and read like a cbuffer.
TEST_F(EffectLanguage, ATBufferIsAConstantBuffer) {
  ASSERT_TRUE(Compiles("tbuffer.fx",
                       "tbuffer Bones { float4x4 Pose[64]; };\n"
                       "float Scale() { return Pose[3]._11; }\n" +
                           std::string(kTechnique)));
  ASSERT_EQ(effect.syntax.cbuffers.size(), 2u);
  EXPECT_EQ(effect.syntax.cbuffers[1].name, "Bones");
  EXPECT_EQ(Variable("Pose").type.elements, 64);
}

// A global whose struct is declared after another global: the layer's block of globals
// used to land between the struct's brace and its semicolon.
TEST_F(EffectLanguage, AStructDeclaredAfterAGlobalCompiles) {
  ASSERT_TRUE(Compiles("late_struct.fx",
                       "float4 Tint;\n"
                       "struct Material { float gloss; float3 colour; };\n"
                       "Material Surface;\n"
                       "float Scale() { return Surface.gloss + Tint.x; }\n" +
                           std::string(kTechnique)));
  EXPECT_EQ(Variable("Surface").cbuffer, 0);
}

// Includes are found beside the including file, then beside the effect; written with
// backslashes (doubled, as in a C string) or in another case than the file's name.
TEST_F(EffectLanguage, IncludesResolveAsWindowsEffectsExpect) {
  scratch.Write("shaders/lib/Common.fxh", "#include \"lib\\\\scale.fxh\"\n");
  scratch.Write("shaders/lib/scale.fxh", "float Scale() { return 2; }\n");
  ASSERT_TRUE(Compiles("shaders/main.fx", "#include <LIB\\common.fxh>\n" + std::string(kTechnique)));
  EXPECT_FALSE(Compile("shaders/other.fx", "#include \"lib/missing.fxh\"\n" + std::string(kTechnique)));
  EXPECT_NE(error.find("lib/missing.fxh"), std::string::npos) << error;
}

// A shader taking a Direct3D 9 sampler as a uniform parameter, bound by CompileShader to
// a global sampler: the parameter becomes the texture and the sampler, and the binding
// passes the texture the global sampler's block names along with it.
TEST_F(EffectLanguage, ASamplerParameterCarriesItsTexture) {
  ASSERT_TRUE(Compiles("parameter.fx", R"(
texture Shade;
sampler2D ShadeSampler = sampler_state { Texture = <Shade>; MinFilter = Point; MagFilter = Point; };
float4 Tint = float4(1, 1, 1, 1);
float4 VS(float4 p : POSITION) : SV_Position { return p; }
float4 PS(float4 p : SV_Position, uniform float4 tint, uniform sampler2D pick) : SV_Target {
  return tex2D(pick, p.xy / 8) * tint;
}
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));
  SetPixelShader(CompileShader(ps_4_0, PS(Tint, ShadeSampler))); } }
)"));
  EXPECT_EQ(effect.syntax.techniques[0].passes[0].ps.args, (std::vector<std::string>{"Tint", "Shade", "ShadeSampler"}));
}

// A helper's uniform parameters (noise octaves, as procedural materials write them) take
// literals of another type, converted as for any parameter: the shader compiler stored the
// int unconverted and failed to optimise.
TEST_F(EffectLanguage, AHelpersUniformParametersTakeLiteralsOfAnotherType) {
  ASSERT_TRUE(Compiles("octaves.fx", R"(
float Noise(float4 v, uniform uint octaves, uniform float gain) {
  float sum = 0;
  for (uint i = 0; i < octaves; i++) sum += v.x * gain;
  return sum;
}
float4 VS(float4 p : POSITION) : SV_Position { return p; }
float4 PS(float4 p : SV_Position, uniform sampler2D pick) : SV_Target { return Noise(p, 8, 2) * tex2D(pick, p.xy); }
texture Shade;
sampler2D ShadeSampler = sampler_state { Texture = <Shade>; };
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));
  SetPixelShader(CompileShader(ps_4_0, PS(ShadeSampler))); } }
)"));
}

// tex2D through a sampler whose block names no texture has nothing to read: said with the
// file and line, where the HLSL compiler would stop without either.
TEST_F(EffectLanguage, Tex2DThroughASamplerWithoutTextureIsRefused) {
  EXPECT_FALSE(Compile("lost.fx", "sampler2D Lost = sampler_state { MinFilter = Linear; };\n"
                           "float Scale() { return 1; }\n"
                           "float4 PSLost(float2 uv : TEXCOORD0) : SV_Target {\n  return tex2D(Lost, uv);\n}\n" +
                               std::string(kTechnique)));
  EXPECT_NE(error.find("lost.fx(4): error: tex2D reads through 'Lost'"), std::string::npos) << error;
}

// A geometry shader that takes clip distances from its input vertices crashes the HLSL
// compiler behind the layer. It is built through a wrapper whose input carries them under
// a semantic of its own; where the distances sit deeper than that wrapper reaches, the
// technique is refused with the reason, and the rest of the file still compiles.
TEST_F(EffectLanguage, GeometryShaderReadingClipDistancesBuildsOrIsRefusedNotACrash) {
  ASSERT_TRUE(Compile("clip.fx", std::string(R"(
struct Clipped { float4 pos : SV_Position; float3 planes : SV_ClipDistance0; float cull : SV_CullDistance0; };
struct Wrapped { Clipped inner; };
Clipped VSClip(float4 p : POSITION) { Clipped o; o.pos = p; o.planes = p.xyz; o.cull = 1; return o; }
[maxvertexcount(3)]
void GSClip(triangle Clipped v[3], inout TriangleStream<Clipped> s) { for (int i = 0; i < 3; ++i) s.Append(v[i]); }
[maxvertexcount(3)]
void GSWrapped(triangle Wrapped v[3], inout TriangleStream<Clipped> s) { for (int i = 0; i < 3; ++i) s.Append(v[i].inner); }
float Scale() { return 1; }
technique10 WithGeometry { pass P { SetVertexShader(CompileShader(vs_4_0, VSClip()));
  SetGeometryShader(CompileShader(gs_4_0, GSClip())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
technique10 Nested { pass P { SetVertexShader(CompileShader(vs_4_0, VSClip()));
  SetGeometryShader(CompileShader(gs_4_0, GSWrapped())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
)") + kTechnique)) << error;
  ASSERT_EQ(effect.techniques.size(), 3u);
  EXPECT_TRUE(effect.techniques[0].valid) << effect.techniques[0].reason;
  EXPECT_FALSE(effect.techniques[1].valid);
  EXPECT_NE(effect.techniques[1].reason.find("GSWrapped takes clip or cull distances in a form"), std::string::npos)
      << effect.techniques[1].reason;
  EXPECT_TRUE(effect.techniques[2].valid) << effect.techniques[2].reason;
}

// Literal arguments bound to uniform parameters of every numeric type, a macro among
// them: a bare 0 for a uint stopped the compiler here before the cast.
TEST_F(EffectLanguage, LiteralArgumentsBindUniformParametersOfTheirOwnType) {
  ASSERT_TRUE(Compiles("uniforms.fx", R"(
#define FT_BUFFER 0
float4 VS(float4 p : POSITION, uniform uint fetch, uniform bool twice, uniform float2 scale) : SV_Position {
  if (fetch == FT_BUFFER) p.x += 1;
  return twice ? p * float4(scale, 1, 1) : p;
}
float4 PS() : SV_Target { return 1; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS(FT_BUFFER, true, float2(2, 3))));
  SetPixelShader(CompileShader(ps_4_0, PS())); } }
)")) << error;
}

// Output-merger arguments of a pass named by variables: recorded to be read at each
// apply; a variable of the wrong kind or an unknown name is refused at its line.
TEST_F(EffectLanguage, PassStateArgumentsFromVariables) {
  const std::string states = "BlendState B { BlendEnable[0] = TRUE; };\nDepthStencilState D { StencilEnable = TRUE; };\n"
                             "float4 PS() : SV_Target { return 1; }\nfloat Scale() { return 1; }\n";
  ASSERT_TRUE(Compile("vars.fx", "float4 factor;\nuint mask;\nint id;\n" + states + R"(
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetPixelShader(CompileShader(ps_4_0, PS()));
  SetBlendState(B, factor, mask); SetDepthStencilState(D, id); } }
)" + "float4 VS(float4 p : POSITION) : SV_Position { return p; }\n")) << error;
  const PassDecl& pass = effect.syntax.techniques[0].passes[0];
  EXPECT_EQ(pass.blendFactorVariable, "factor");
  EXPECT_EQ(pass.sampleMaskVariable, "mask");
  EXPECT_EQ(pass.stencilRefVariable, "id");
  EXPECT_FALSE(Compile("float3.fx", "float3 factor;\n" + states +
                                        "technique10 T { pass P {\n  SetBlendState(B, factor, 0xFFFFFFFF); } }\n"));
  EXPECT_NE(error.find("float3.fx(7): error: blend factor 'factor' is a float3: write a float4 variable"),
            std::string::npos) << error;
  EXPECT_FALSE(Compile("unknown.fx", states + "technique10 T { pass P {\n  SetDepthStencilState(D, stencilId); } }\n"));
  EXPECT_NE(error.find("unknown.fx(6): error: stencil reference 'stencilId' is not a declared variable"),
            std::string::npos) << error;
}

// A bool between stages stops the shader compiler here; it travels as a uint, through
// wrapped entries too, while SV_IsFrontFace stays the system's bool.
TEST_F(EffectLanguage, BoolsInTheStageInterfaceCompile) {
  ASSERT_TRUE(Compiles("bools.fx", R"(
struct Lit { float4 pos : SV_Position; bool lit : TEXCOORD0, shadowed : TEXCOORD1; bool4 mask : MASK; };
Lit VS(float4 p : POSITION, uniform bool on) { Lit o; o.pos = p; o.lit = on; o.shadowed = p.x > 0; o.mask = p > 0; return o; }
float4 PS(Lit i, bool front : SV_IsFrontFace) : SV_Target { return i.lit && !i.shadowed && front && all(i.mask) ? 1 : 0; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS(true))); SetPixelShader(CompileShader(ps_4_0, PS())); } }
)")) << error;
}

}  // namespace
