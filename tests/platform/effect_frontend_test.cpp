// The effect compiler's front end without GL: constant-buffer packing against what the
// HLSL compiler really places, refusals and their messages, and the on-disk cache.

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/effect/compiler.h"
#include "platform/effect/link.h"
#include "platform/effect/reflect.h"
#include "support/scratch_dir.h"

using namespace platform::fx;

namespace {

// Every effect here is compiled from a scratch folder and, unless a test says otherwise,
// without the cache, so one test's compile cannot satisfy another's.
class EffectFrontend : public ::testing::Test {
 protected:
  bool Compile(const std::string& file, const std::string& source, CompiledEffect& out, bool cache = false) {
    scratch.Write(file, source);
    CompileOptions options;
    options.useCache = cache;
    error.clear();
    return CompileEffectFile(scratch.Path(file), options, out, error);
  }

  testing_support::ScratchDir scratch;
  std::string error;
};

constexpr const char* kQuadShaders = R"(
float4 VS(float4 p : POSITION) : SV_Position { return p; }
float4 PS(float4 p : SV_Position) : SV_Target { return float4(1, 0, 0, 1); }
)";

// --- packing ---------------------------------------------------------------------------

struct LayoutCase {
  const char* name;
  const char* declarations;  // the body of cbuffer Layout; `first` must be a float
  std::vector<std::uint32_t> offsets;  // expected, in declaration order
};

class CBufferOffsets : public EffectFrontend, public ::testing::WithParamInterface<LayoutCase> {};

// The front end's offsets are what Set* writes into the CPU image; if the compiled
// shader reads a member elsewhere the shader sees garbage, so both must agree exactly.
// They are HLSL's: what follows an array or a matrix may share its last register.
TEST_P(CBufferOffsets, FrontEndMatchesCompiledShader) {
  const LayoutCase& c = GetParam();
  std::string source = std::string("struct S { float a; float3 b; };\nstruct N { S inner; float x; };\ncbuffer Layout {\n") + c.declarations +
                       "\n};\n"
                       "float4 VS(float4 p : POSITION) : SV_Position { return p; }\n"
                       "float4 PS() : SV_Target { return float4(first, 0, 0, 1); }\n"
                       "technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));\n"
                       "  SetPixelShader(CompileShader(ps_4_0, PS())); } }\n";
  CompiledEffect effect;
  ASSERT_TRUE(Compile("layout.fx", source, effect)) << error;
  int cb = CBufferIndexOfBlock(effect, "Layout");
  ASSERT_GE(cb, 0);
  const CBufferDecl& decl = effect.syntax.cbuffers[static_cast<std::size_t>(cb)];
  const CBufferLayout& layout = effect.layouts[static_cast<std::size_t>(cb)];
  ASSERT_EQ(layout.variables.size(), c.offsets.size());

  const CompiledPass& pass = effect.techniques[0].passes[0];
  StageReflection ps;
  ASSERT_TRUE(ReflectStage(effect.shaders[static_cast<std::size_t>(pass.shaders[2])].spirv, ps, error)) << error;
  const ReflectedBlock* block = nullptr;
  for (const ReflectedBlock& b : ps.blocks)
    if (b.name == "Layout") block = &b;
  ASSERT_NE(block, nullptr);
  ASSERT_EQ(block->members.size(), decl.variables.size());
  for (std::size_t k = 0; k < decl.variables.size(); ++k) {
    const std::string& name = effect.syntax.variables[static_cast<std::size_t>(decl.variables[k])].name;
    EXPECT_EQ(block->members[k].name, name);
    EXPECT_EQ(block->members[k].offset, layout.variables[k].offset) << name << " (compiled vs front end)";
    EXPECT_EQ(layout.variables[k].offset, c.offsets[k]) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    AwkwardLayouts, CBufferOffsets,
    ::testing::Values(
        LayoutCase{"FloatThenFloat3", "float first; float3 v;", {0, 4}},
        LayoutCase{"Float3ThenFloat", "float first; float3 v; float w;", {0, 4, 16}},
        LayoutCase{"Float2Straddle", "float first; float2 a; float2 b; float c;", {0, 4, 16, 24}},
        LayoutCase{"FloatArray", "float first; float a[3]; float after;", {0, 16, 52}},
        LayoutCase{"Float2Array", "float first; float2 a[2]; float2 after;", {0, 16, 40}},
        LayoutCase{"ArrayOfArrays", "float first; float g[3][2]; float after;", {0, 16, 100}},
        LayoutCase{"ColumnMajor3x4", "float first; float3x4 m; float after;", {0, 16, 76}},
        LayoutCase{"RowMajor3x4", "float first; row_major float3x4 m; float after;", {0, 16, 64}},
        LayoutCase{"ColumnMajor4x4Array", "float first; float4x4 m[2]; float after;", {0, 16, 144}},
        LayoutCase{"Matrix2x2ThenVector", "float first; float2x2 m; float2 v;", {0, 16, 40}},
        LayoutCase{"Struct", "float first; S s; float after;", {0, 16, 48}},
        LayoutCase{"StructArray", "float first; S s[2]; float after;", {0, 16, 80}},
        LayoutCase{"NestedStruct", "float first; N n; float after;", {0, 16, 64}},
        LayoutCase{"IntsBesideFloats", "float first; int i; float2 f; uint u; bool b; int3 k;", {0, 4, 8, 16, 20, 32}}),
    [](const ::testing::TestParamInfo<LayoutCase>& p) { return std::string(p.param.name); });

// --- refusals --------------------------------------------------------------------------

TEST_F(EffectFrontend, SyntaxErrorNamesFileAndLine) {
  CompiledEffect effect;
  EXPECT_FALSE(Compile("broken.fx", "float4x4 World;\n\ntechnique10 T {\n  pass P { SetVertexShader(; }\n}\n", effect));
  EXPECT_NE(error.find("broken.fx(4)"), std::string::npos) << error;
}

TEST_F(EffectFrontend, HlslErrorInIncludedFileNamesThatFile) {
  scratch.Write("common.fxh", "float4 Helper() {\n  return undefinedThing;\n}\n");
  CompiledEffect effect;
  std::string source = std::string("#include \"common.fxh\"\n") + kQuadShaders +
                       "technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));\n"
                       "  SetPixelShader(CompileShader(ps_4_0, PS())); } }\n";
  EXPECT_FALSE(Compile("includer.fx", source, effect));
  EXPECT_NE(error.find("common.fxh(2)"), std::string::npos) << error;
}

TEST_F(EffectFrontend, MissingIncludeFails) {
  CompiledEffect effect;
  EXPECT_FALSE(Compile("main.fx", std::string("\n#include \"absent.fxh\"\n") + kQuadShaders, effect));
  EXPECT_NE(error.find("main.fx(2): error:"), std::string::npos) << error;
  EXPECT_NE(error.find("absent.fxh"), std::string::npos) << error;
  // A name that leads to a folder (empty, or cut short by a NUL) is no file to include:
  // the folder used to be read as an empty include.
  for (const std::string& name : {std::string(""), std::string("."), std::string("\0common.fxh", 11)}) {
    EXPECT_FALSE(Compile("main.fx", "\n#include \"" + name + "\"\n" + kQuadShaders, effect)) << name;
    EXPECT_NE(error.find("main.fx(2): error:"), std::string::npos) << error;
  }
}

// Two geometry shaders appending different vertex types in one file used to crash the
// HLSL compiler (it resolves every function's Append calls); both compile, and an error in
// a shader after them still names its own line.
TEST_F(EffectFrontend, GeometryShadersOfDifferentVertexTypesShareAFile) {
  const std::string shaders = R"(struct A { float4 p : SV_Position; };
struct B { float4 p : SV_Position; float2 uv : TEXCOORD0; };
float4 VS(float3 p : POSITION) : SV_Position { return float4(p, 1); }
[maxvertexcount(3)] void GS1(triangle A i[3], inout TriangleStream<A> s) { for (int k = 0; k < 3; k++) s.Append(i[k]); }
[maxvertexcount(3)]
void GS2(triangle A i[3], inout TriangleStream<B> s) {
  for (int k = 0; k < 3; k++) { B b; b.p = i[k].p; b.uv = 0; s.Append(b); }
}
float4 PS() : SV_Target { return 1; }
technique10 T1 { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetGeometryShader(CompileShader(gs_4_0, GS1()));
  SetPixelShader(CompileShader(ps_4_0, PS())); } }
technique10 T2 { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetGeometryShader(CompileShader(gs_4_0, GS2()));
  SetPixelShader(CompileShader(ps_4_0, PS())); } }
)";
  CompiledEffect effect;
  ASSERT_TRUE(Compile("two_streams.fx", shaders, effect)) << error;
  EXPECT_EQ(effect.shaders.size(), 4u);
  EXPECT_FALSE(Compile("two_streams_broken.fx",
                       shaders + "float4 PS2() : SV_Target { return undefinedThing; }\n"
                                 "technique10 T3 { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));\n"
                                 "  SetPixelShader(CompileShader(ps_4_0, PS2())); } }\n",
                       effect));
  EXPECT_NE(error.find("two_streams_broken.fx(14)"), std::string::npos) << error;
}

// The HLSL compiler here reports success for an entry point that does not exist.
TEST_F(EffectFrontend, MissingEntryPointFails) {
  std::string source = std::string(kQuadShaders) +
                       "\n\ntechnique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, NoSuchVS()));\n"
                       "  SetPixelShader(CompileShader(ps_4_0, PS())); } }\n";
  CompiledEffect effect;
  EXPECT_FALSE(Compile("entry.fx", source, effect));
  EXPECT_NE(error.find("entry.fx(6)"), std::string::npos) << error;
  EXPECT_NE(error.find("NoSuchVS"), std::string::npos) << error;
}

TEST_F(EffectFrontend, UnsupportedProfileInvalidatesOnlyItsTechnique) {
  std::string source = std::string(kQuadShaders) +
                       "technique10 Old { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));\n"
                       "  SetPixelShader(CompileShader(ps_4_0, PS())); } }\n"
                       "technique10 New { pass P { SetVertexShader(CompileShader(vs_5_0, VS()));\n"
                       "  SetPixelShader(CompileShader(ps_4_0, PS())); } }\n"
                       "technique10 Point1 { pass P { SetVertexShader(CompileShader(vs_4_1, VS()));\n"
                       "  SetPixelShader(CompileShader(ps_4_1, PS())); } }\n";
  CompiledEffect effect;
  ASSERT_TRUE(Compile("profiles.fx", source, effect)) << error;
  ASSERT_EQ(effect.techniques.size(), 3u);
  EXPECT_TRUE(effect.techniques[0].valid);
  EXPECT_FALSE(effect.techniques[1].valid);
  EXPECT_NE(effect.techniques[1].reason.find("vs_5_0"), std::string::npos);
  EXPECT_TRUE(effect.techniques[2].valid);
}

TEST_F(EffectFrontend, PlanSharesEntryPointsAndCompilesNothing) {
  // Two techniques use VS() alike, one binds a uniform argument: three vertex entries
  // would be wrong, as would a compile before the plan is handed back.
  std::string source = std::string(kQuadShaders) +
                       "float4 Tinted(float4 p : POSITION, uniform float k) : SV_Position { return p * k; }\n"
                       "technique10 A { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));\n"
                       "  SetPixelShader(CompileShader(ps_4_0, PS())); } }\n"
                       "technique10 B { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));\n"
                       "  SetPixelShader(CompileShader(ps_4_0, PS())); }\n"
                       "  pass Q { SetVertexShader(CompileShader(vs_4_0, Tinted(2))); SetPixelShader(NULL); } }\n";
  const std::uint64_t before = HlslCompileCount();
  CompiledEffect effect;
  EffectPlan plan;
  CompileOptions options;
  options.useCache = false;
  ASSERT_TRUE(PlanEffectSource(source, scratch.Path("plan.fx"), options, effect, plan, error)) << error;
  EXPECT_EQ(HlslCompileCount(), before);
  EXPECT_TRUE(effect.shaders.empty());
  ASSERT_EQ(plan.shaders.size(), 3u);
  ASSERT_EQ(effect.techniques.size(), 2u);
  EXPECT_EQ(effect.techniques[0].passes[0].shaders[0], effect.techniques[1].passes[0].shaders[0]);
  const PlannedShader& tinted = plan.shaders[effect.techniques[1].passes[1].shaders[0]];
  EXPECT_EQ(tinted.ref->entry, "Tinted");
  EXPECT_NE(tinted.entry, "Tinted") << "the uniform argument is bound by a wrapper";
  EXPECT_NE(plan.hlsl.find(tinted.entry + "("), std::string::npos);
}

// --- front end facts the effect objects rely on ----------------------------------------

TEST_F(EffectFrontend, VaryingsMeetBySemanticNotOrder) {
  std::string source = R"(
struct V { float4 pos : SV_Position; float2 uv : TEXCOORD0; float4 color : COLOR0; };
V VS(float4 p : POSITION, float4 c : COLOR, float2 t : TEXCOORD) { V v; v.pos = p; v.uv = t; v.color = c; return v; }
float4 PS(float4 color : COLOR0, float2 uv : TEXCOORD0) : SV_Target { return color * uv.x; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));
  SetPixelShader(CompileShader(ps_4_0, PS())); } }
)";
  CompiledEffect effect;
  ASSERT_TRUE(Compile("varyings.fx", source, effect)) << error;
  PassProgram program;
  bool runnable = false;
  std::string reason;
  ASSERT_TRUE(LinkPass(effect, effect.techniques[0].passes[0], program, runnable, reason, error)) << error;
  ASSERT_TRUE(runnable) << reason;
  ASSERT_EQ(program.vertexInputs.size(), 3u);
  EXPECT_EQ(program.vertexInputs[0].Key(), "POSITION0");
  EXPECT_EQ(program.vertexInputs[1].Key(), "COLOR0");
  EXPECT_EQ(program.vertexInputs[2].Key(), "TEXCOORD0");
  EXPECT_NE(program.glsl[0].find("in_COLOR0"), std::string::npos);
}

TEST_F(EffectFrontend, PixelInputNobodyWritesMakesPassUnrunnable) {
  std::string source = R"(
float4 VS(float4 p : POSITION) : SV_Position { return p; }
float4 PS(float4 c : COLOR0) : SV_Target { return c; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));
  SetPixelShader(CompileShader(ps_4_0, PS())); } }
)";
  CompiledEffect effect;
  ASSERT_TRUE(Compile("unwritten.fx", source, effect)) << error;
  PassProgram program;
  bool runnable = true;
  std::string reason;
  ASSERT_TRUE(LinkPass(effect, effect.techniques[0].passes[0], program, runnable, reason, error)) << error;
  EXPECT_FALSE(runnable);
  EXPECT_NE(reason.find("COLOR0"), std::string::npos) << reason;
}

// A warm start must not pay the HLSL compiler again, and must produce the same code.
TEST_F(EffectFrontend, WarmStartCompilesNothing) {
  std::string cacheDir = scratch.Path("cache");
  std::string previous = std::getenv("NEBLU_EFFECT_CACHE") ? std::getenv("NEBLU_EFFECT_CACHE") : "";
  setenv("NEBLU_EFFECT_CACHE", cacheDir.c_str(), 1);
  std::string source = std::string(kQuadShaders) +
                       "technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));\n"
                       "  SetPixelShader(CompileShader(ps_4_0, PS())); } }\n";
  CompiledEffect cold, warm, changed;
  std::uint64_t before = HlslCompileCount();
  ASSERT_TRUE(Compile("cached.fx", source, cold, true)) << error;
  std::uint64_t afterCold = HlslCompileCount();
  ASSERT_TRUE(Compile("cached.fx", source, warm, true)) << error;
  std::uint64_t afterWarm = HlslCompileCount();
  // Any change to the source is a different key.
  ASSERT_TRUE(Compile("cached.fx", source + "\nfloat unused;\n", changed, true)) << error;
  std::uint64_t afterChange = HlslCompileCount();
  if (previous.empty()) unsetenv("NEBLU_EFFECT_CACHE");
  else setenv("NEBLU_EFFECT_CACHE", previous.c_str(), 1);

  EXPECT_EQ(afterCold - before, 2u);
  EXPECT_EQ(afterWarm, afterCold);
  EXPECT_EQ(afterChange - afterWarm, 2u);
  ASSERT_EQ(warm.shaders.size(), cold.shaders.size());
  for (std::size_t i = 0; i < cold.shaders.size(); ++i) EXPECT_EQ(warm.shaders[i].spirv, cold.shaders[i].spirv);
}

TEST_F(EffectFrontend, DamagedCacheEntriesAreCompiledAgain) {
  std::string cacheDir = scratch.Path("cache");
  std::string previous = std::getenv("NEBLU_EFFECT_CACHE") ? std::getenv("NEBLU_EFFECT_CACHE") : "";
  setenv("NEBLU_EFFECT_CACHE", cacheDir.c_str(), 1);
  std::string source = std::string(kQuadShaders) +
                       "technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));\n"
                       "  SetPixelShader(CompileShader(ps_4_0, PS())); } }\n";
  CompiledEffect cold, warm;
  ASSERT_TRUE(Compile("cached.fx", source, cold, true)) << error;
  // Every entry cut short by a word, and one word in the middle of each flipped: both
  // once made reflection read a malformed module.
  int damaged = 0;
  for (const auto& entry : boost::filesystem::directory_iterator(cacheDir)) {
    std::string bytes = testing_support::ScratchDir::ReadFile(entry.path().string());
    bytes.resize(bytes.size() - 4);
    bytes[bytes.size() / 2] = static_cast<char>(~bytes[bytes.size() / 2]);
    scratch.Write("cache/" + entry.path().filename().string(), bytes);
    ++damaged;
  }
  const std::uint64_t before = HlslCompileCount();
  ASSERT_TRUE(Compile("cached.fx", source, warm, true)) << error;
  const std::uint64_t after = HlslCompileCount();
  if (previous.empty()) unsetenv("NEBLU_EFFECT_CACHE");
  else setenv("NEBLU_EFFECT_CACHE", previous.c_str(), 1);

  EXPECT_EQ(damaged, 2);
  EXPECT_EQ(after - before, 2u);
  ASSERT_EQ(warm.shaders.size(), cold.shaders.size());
  for (std::size_t i = 0; i < cold.shaders.size(); ++i) EXPECT_EQ(warm.shaders[i].spirv, cold.shaders[i].spirv);
}

// HLSL packs a float3 right after a float, which no std140 block can declare; such a
// cbuffer is read as an array of 16-byte registers, so the pass still runs.
TEST_F(EffectFrontend, CBufferOutsideStd140IsReadAsRegisters) {
  std::string source = R"(
cbuffer Odd { float first; float3 v; };
cbuffer Mixed { float f; int2 i; };
float4 VS(float4 p : POSITION) : SV_Position { return p; }
float4 PS() : SV_Target { return float4(first, v); }
float4 PSMixed() : SV_Target { return float4(f, i, 1); }
technique10 Registers { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));
  SetPixelShader(CompileShader(ps_4_0, PS())); } }
technique10 MixedTypes { pass P { SetVertexShader(CompileShader(vs_4_0, VS()));
  SetPixelShader(CompileShader(ps_4_0, PSMixed())); } }
)";
  CompiledEffect effect;
  ASSERT_TRUE(Compile("odd.fx", source, effect)) << error;
  PassProgram program;
  bool runnable = false;
  std::string reason;
  ASSERT_TRUE(LinkPass(effect, effect.techniques[0].passes[0], program, runnable, reason, error)) << error;
  ASSERT_TRUE(runnable) << reason;
  EXPECT_EQ(program.flattened.count(CBufferIndexOfBlock(effect, "Odd")), 1u);
  EXPECT_NE(program.glsl[2].find("layout(std140, binding = 0) uniform fxflat_Odd_block { vec4 fxflat_Odd[1]; };"),
            std::string::npos)
      << program.glsl[2];

  // Registers of one type cannot hold ints beside floats: each member becomes a uniform,
  // read from the image at the offset the packing gives it.
  ASSERT_TRUE(LinkPass(effect, effect.techniques[1].passes[0], program, runnable, reason, error)) << error;
  ASSERT_TRUE(runnable) << reason;
  EXPECT_TRUE(program.blockBindings.empty());
  const std::vector<PlainUniform>& plain = program.plain[CBufferIndexOfBlock(effect, "Mixed")];
  ASSERT_EQ(2u, plain.size());
  EXPECT_EQ("cb_Mixed.i", plain[1].name);
  EXPECT_EQ(4u, plain[1].offset);
  EXPECT_EQ('i', plain[1].scalar);
  EXPECT_EQ(2u, plain[1].rows);
  EXPECT_NE(program.glsl[2].find("uniform Mixed cb_Mixed;"), std::string::npos) << program.glsl[2];
}

}  // namespace
