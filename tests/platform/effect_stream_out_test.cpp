// Stream output in the effect front end: the declaration strings ConstructGSWithSO takes,
// which passes can stream out here and which are refused with a reason, and what the
// link asks transform feedback to capture.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/effect/compiler.h"
#include "platform/effect/link.h"
#include "support/scratch_dir.h"

using namespace platform::fx;

namespace {

std::string Describe(const std::vector<StreamOutElement>& elements) {
  std::string out;
  for (const StreamOutElement& e : elements)
    out += std::to_string(e.slot) + ":" + (e.semantic.empty() ? "$SKIP" : e.Key()) + "@" + std::to_string(e.start) +
           "+" + std::to_string(e.count) + " ";
  return out;
}

TEST(StreamOutDeclaration, ReadsSlotsMasksGapsAndSpellingsFilesUse) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"POSITION.xyz; NORMAL.xyz; TIMER.x; TYPE.x", "0:POSITION0@0+3 0:NORMAL0@0+3 0:TIMER0@0+1 0:TYPE0@0+1 "},
      {"SV_Position", "0:SV_POSITION0@0+-1 "},
      {" 1 : texcoord2.yz ;$SKIP.xy; color.rgba;", "1:TEXCOORD2@1+2 0:$SKIP@0+2 0:COLOR0@0+4 "},
      {"$SKIP; 3:Tangent7.w", "0:$SKIP@0+4 3:TANGENT7@3+1 "},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::vector<StreamOutElement> elements;
    std::string why;
    ASSERT_TRUE(ParseStreamOutDeclaration(c.text, elements, why)) << c.text << ": " << why;
    EXPECT_EQ(c.expected, Describe(elements)) << c.text;
  }
}

TEST(StreamOutDeclaration, RefusesWhatCannotBeADeclaration) {
  for (const char* text : {"4:POSITION", "POSITION.xz", "POSITION.", "POSITION.xyzwx", ".xyz", "POS-ITION",
                           "12:POSITION", "POSITION.wx", "TEXCOORD123456"}) {
    std::vector<StreamOutElement> elements;
    std::string why;
    EXPECT_FALSE(ParseStreamOutDeclaration(text, elements, why)) << text;
    EXPECT_NE(std::string::npos, why.find('\'')) << text << ": " << why;
  }
}

class StreamOutEffect : public ::testing::Test {
 protected:
  bool Compile(const std::string& source) {
    scratch.Write("so.fx", source);
    CompileOptions options;
    options.useCache = false;
    error.clear();
    return CompileEffectFile(scratch.Path("so.fx"), options, effect, error);
  }
  // Links pass 0 of technique `t`: what transform feedback captures, or the reason it
  // cannot run after "!".
  std::string Captured(std::size_t t) {
    PassProgram program;
    bool runnable = false;
    std::string reason, linkError;
    if (!LinkPass(effect, effect.techniques[t].passes[0], program, runnable, reason, linkError)) return "error " + linkError;
    if (!runnable) return "!" + reason;
    std::string out;
    for (const std::string& v : program.feedbackVaryings) out += v + " ";
    return out;
  }

  testing_support::ScratchDir scratch;
  CompiledEffect effect;
  std::string error;
};

constexpr const char* kShaders = R"(
struct Particle { float3 pos : POSITION; float3 vel : NORMAL; float timer : TIMER; uint type : TYPE; };
struct VSStreamOut { float4 pos : POSITION; float4 extra : TEXCOORD2; };
Particle VSPass(Particle p) { return p; }
VSStreamOut VSWide(Particle p) { VSStreamOut o; o.pos = float4(p.pos, 1); o.extra = float4(p.vel, p.timer); return o; }
[maxvertexcount(1)]
void GSAdvance(point Particle input[1], inout PointStream<Particle> stream) { stream.Append(input[0]); }
float4 PS() : SV_Target { return 1; }
)";

TEST_F(StreamOutEffect, GeometryAndVertexShadersStreamOutThroughVariablesOrInPlace) {
  ASSERT_TRUE(Compile(std::string(kShaders) + R"(
VertexShader vsWide = CompileShader(vs_4_0, VSWide());
GeometryShader vsWideSO = ConstructGSWithSO(vsWide, "POSITION.xyzw; 1:TEXCOORD2.yz; $SKIP.x");
GeometryShader aliasSO = vsWideSO;
technique10 FromGeometry { pass P {
  SetVertexShader(CompileShader(vs_4_0, VSPass()));
  SetGeometryShader(ConstructGSWithSO(CompileShader(gs_4_0, GSAdvance()), "NORMAL.xyz; TYPE.x; POSITION"));
  SetPixelShader(NULL); } }
technique10 FromVertex { pass P { SetVertexShader(vsWide); SetGeometryShader(aliasSO); SetPixelShader(NULL); } }
)")) << error;
  ASSERT_EQ(2u, effect.techniques.size());
  EXPECT_TRUE(effect.techniques[0].valid) << effect.techniques[0].reason;
  EXPECT_TRUE(effect.techniques[1].valid) << effect.techniques[1].reason;
  const CompiledPass& fromVertex = effect.techniques[1].passes[0];
  EXPECT_TRUE(fromVertex.streamsOut);
  EXPECT_EQ(-1, fromVertex.shaders[1]) << "a vertex shader given to ConstructGSWithSO adds no geometry stage";
  EXPECT_EQ("out_NORMAL0 out_TYPE0 out_POSITION0 ", Captured(0));
  // Buffers in slot order, the gap in the buffer it was declared in (0), a part of an
  // output copied alone.
  EXPECT_EQ("out_POSITION0 gl_SkipComponents1 gl_NextBuffer so_TEXCOORD2_12 ", Captured(1));
}

TEST_F(StreamOutEffect, PassesThatCannotStreamOutHereAreRefusedWithTheReason) {
  ASSERT_TRUE(Compile(std::string(kShaders) + R"(
GeometryShader soGS = ConstructGSWithSO(CompileShader(gs_4_0, GSAdvance()), "POSITION.xyz");
technique10 OnTheVertexSlot { pass P { SetVertexShader(ConstructGSWithSO(CompileShader(vs_4_0, VSPass()), "POSITION"));
  SetPixelShader(CompileShader(ps_4_0, PS())); } }
technique10 TwoStreams { pass P { SetVertexShader(CompileShader(vs_4_0, VSPass()));
  SetGeometryShader(ConstructGSWithSO(CompileShader(gs_4_0, GSAdvance()), "POSITION.xyz", "NORMAL.xyz", NULL, NULL, 0));
  SetPixelShader(NULL); } }
technique10 Unwritten { pass P { SetVertexShader(CompileShader(vs_4_0, VSPass()));
  SetGeometryShader(ConstructGSWithSO(CompileShader(gs_4_0, GSAdvance()), "POSITION.xyz; COLOR.x"));
  SetPixelShader(NULL); } }
technique10 TooWide { pass P { SetVertexShader(CompileShader(vs_4_0, VSPass()));
  SetGeometryShader(ConstructGSWithSO(CompileShader(gs_4_0, GSAdvance()), "TIMER.xy"));
  SetPixelShader(NULL); } }
technique10 Fine { pass P { SetVertexShader(CompileShader(vs_4_0, VSPass())); SetGeometryShader(soGS);
  SetPixelShader(NULL); } }
)")) << error;
  ASSERT_EQ(5u, effect.techniques.size());
  EXPECT_FALSE(effect.techniques[0].valid);
  EXPECT_NE(std::string::npos, effect.techniques[0].reason.find("geometry shader is not set"));
  EXPECT_FALSE(effect.techniques[1].valid);
  EXPECT_NE(std::string::npos, effect.techniques[1].reason.find("more than one stream"));
  EXPECT_EQ("!stream output names COLOR0, which the geometry shader does not write", Captured(2));
  EXPECT_NE(std::string::npos, Captured(3).find("components the geometry shader's TIMER0 does not have"));
  EXPECT_EQ("out_POSITION0 ", Captured(4));
}

TEST_F(StreamOutEffect, ABadDeclarationFailsTheFileAtItsLine) {
  EXPECT_FALSE(Compile(std::string(kShaders) + "\n\nGeometryShader g = ConstructGSWithSO(CompileShader(gs_4_0, GSAdvance()), "
                                               "\"POSITION.xz\");\n"
                                               "technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VSPass()));"
                                               " SetGeometryShader(g); SetPixelShader(NULL); } }\n"));
  EXPECT_NE(std::string::npos, error.find("so.fx(11): error: stream output declaration: 'POSITION.xz'")) << error;
  EXPECT_FALSE(Compile(std::string(kShaders) + "GeometryShader g = ConstructGSWithSO(CompileShader(gs_4_0, GSAdvance()), 3);\n"));
  EXPECT_NE(std::string::npos, error.find("expected the stream output declaration")) << error;
}

// A struct whose name holds "Stream" is no stream object: the function taking it keeps
// its body when another stage is compiled.
TEST_F(StreamOutEffect, ATypeNamedLikeAStreamIsNoStream) {
  EXPECT_TRUE(Compile(std::string(kShaders) + R"(
float4 VSDraw(VSStreamOut input) : SV_Position { return input.pos; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VSDraw())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
)")) << error;
}

}  // namespace
