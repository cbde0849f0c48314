// Stream output through effects, written the way particle and skinning effects from
// elsewhere write it: a particle system advanced by a geometry shader that streams out
// through helpers that append, drawn with DrawAuto by a second geometry shader of another
// vertex type (held to a golden picture), and a vertex shader handed to
// ConstructGSWithSO whose outputs are captured in part and into two buffers.

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/gl/effect_fixture.h"

namespace gltest {
namespace {

constexpr UINT kPicture = 32;

struct Particle {
  float pos[3];
  float vel[3];
  float timer;
  std::uint32_t type;
};

constexpr const char* kParticles = R"(
cbuffer PerStep { float Step; float Elapsed; };
struct Particle { float3 pos : POSITION; float3 vel : NORMAL; float timer : TIMER; uint type : TYPE; };
struct Sprite { float4 pos : SV_Position; float4 colour : COLOR0; };

Particle VSPassThrough(Particle p) { return p; }

// The emitter (type 0) stays and sends out one spark a step; a spark moves on until its
// time is spent. Each kind has a helper that appends, as particle effects write them.
void Emit(Particle p, inout PointStream<Particle> stream) {
  stream.Append(p);
  Particle spark = p;
  spark.type = 1;
  spark.timer = 2.5;
  spark.vel = float3(cos(Step * 0.9), sin(Step * 0.9), 0) * 0.3;
  stream.Append(spark);
}
void Move(Particle p, inout PointStream<Particle> stream) {
  p.pos += p.vel * Elapsed;
  p.timer -= Elapsed;
  if (p.timer > 0) stream.Append(p);
}
[maxvertexcount(2)]
void GSAdvance(point Particle input[1], inout PointStream<Particle> stream) {
  if (input[0].type == 0) Emit(input[0], stream);
  else Move(input[0], stream);
}

Particle VSDraw(Particle p) { return p; }

// Each particle a square; sparks fade with their time, the emitter is white.
[maxvertexcount(4)]
void GSSprite(point Particle input[1], inout TriangleStream<Sprite> stream) {
  const float2 corners[4] = { float2(-1, 1), float2(1, 1), float2(-1, -1), float2(1, -1) };
  Particle p = input[0];
  float size = p.type == 0 ? 0.12 : 0.07;
  float4 colour = p.type == 0 ? float4(1, 1, 1, 1) : float4(1, 0.5 * p.timer / 2.5 + 0.2, 0.1, 1);
  [unroll] for (int i = 0; i < 4; ++i) {
    Sprite s;
    s.pos = float4(p.pos.xy + corners[i] * size, 0.5, 1);
    s.colour = colour;
    stream.Append(s);
  }
  stream.RestartStrip();
}

float4 PSSprite(Sprite s) : SV_Target { return s.colour; }

GeometryShader gsStreamOut = ConstructGSWithSO(CompileShader(gs_4_0, GSAdvance()), "POSITION.xyz; NORMAL.xyz; TIMER.x; TYPE.x");
DepthStencilState DisableDepth { DepthEnable = FALSE; DepthWriteMask = ZERO; };
RasterizerState NoCull { CullMode = NONE; };

technique10 AdvanceParticles {
  pass P0 {
    SetVertexShader(CompileShader(vs_4_0, VSPassThrough()));
    SetGeometryShader(gsStreamOut);
    SetPixelShader(NULL);
    SetDepthStencilState(DisableDepth, 0);
  }
}
technique10 RenderParticles {
  pass P0 {
    SetVertexShader(CompileShader(vs_4_0, VSDraw()));
    SetGeometryShader(CompileShader(gs_4_0, GSSprite()));
    SetPixelShader(CompileShader(ps_4_0, PSSprite()));
    SetDepthStencilState(DisableDepth, 0);
    SetRasterizerState(NoCull);
  }
}
)";

class EffectStreamOutputTest : public EffectTest {
 protected:
  Ref<ID3D10InputLayout> Layout(ID3D10EffectPass* pass, const std::vector<D3D10_INPUT_ELEMENT_DESC>& elements) {
    D3D10_PASS_DESC desc;
    EXPECT_EQ(S_OK, pass->GetDesc(&desc));
    Ref<ID3D10InputLayout> layout;
    EXPECT_EQ(S_OK, device_->CreateInputLayout(elements.data(), UINT(elements.size()), desc.pIAInputSignature,
                                               desc.IAInputSignatureSize, layout.Out()));
    return layout;
  }
  void UseVertices(ID3D10Buffer* buffer, UINT stride, ID3D10InputLayout* layout) {
    ID3D10Buffer* buffers[] = {buffer};
    const UINT offset = 0;
    device_->IASetInputLayout(layout);
    device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
    device_->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_POINTLIST);
  }
};

const std::vector<D3D10_INPUT_ELEMENT_DESC> kParticleElements = {
    {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D10_INPUT_PER_VERTEX_DATA, 0},
    {"NORMAL", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 12, D3D10_INPUT_PER_VERTEX_DATA, 0},
    {"TIMER", 0, DXGI_FORMAT_R32_FLOAT, 0, 24, D3D10_INPUT_PER_VERTEX_DATA, 0},
    {"TYPE", 0, DXGI_FORMAT_R32_UINT, 0, 28, D3D10_INPUT_PER_VERTEX_DATA, 0},
};

TEST_F(EffectStreamOutputTest, AParticleSystemAdvancesThroughStreamOutputAndDrawsWithDrawAuto) {
  UseTarget(kPicture);
  Ref<ID3D10Effect> fx = Load("particles.fx", kParticles);
  ASSERT_TRUE(fx);
  ID3D10EffectTechnique* advance = fx->GetTechniqueByName("AdvanceParticles");
  ID3D10EffectTechnique* render = fx->GetTechniqueByName("RenderParticles");
  ASSERT_TRUE(advance->IsValid());
  ASSERT_TRUE(render->IsValid());
  const Particle emitter = {{-0.2f, -0.1f, 0}, {0, 0, 0}, 0, 0};
  Ref<ID3D10Buffer> launch = MakeStreamBuffer(sizeof(Particle), &emitter);
  Ref<ID3D10Buffer> buffers[2] = {MakeStreamBuffer(64 * sizeof(Particle)), MakeStreamBuffer(64 * sizeof(Particle))};
  Ref<ID3D10InputLayout> advanceLayout = Layout(advance->GetPassByIndex(0), kParticleElements);
  Ref<ID3D10InputLayout> renderLayout = Layout(render->GetPassByIndex(0), kParticleElements);
  ID3D10EffectScalarVariable* step = fx->GetVariableByName("Step")->AsScalar();
  ASSERT_EQ(S_OK, fx->GetVariableByName("Elapsed")->AsScalar()->SetFloat(0.5f));
  // Eight steps, ping-ponging: the first from the launch buffer with Draw, the rest with
  // DrawAuto from what the step before wrote.
  const int kSteps = 8;
  for (int i = 0; i < kSteps; ++i) {
    ASSERT_EQ(S_OK, step->SetFloat(static_cast<float>(i)));
    ID3D10Buffer* target = buffers[i % 2].get();
    const UINT offset = 0;
    device_->SOSetTargets(1, &target, &offset);
    UseVertices(i == 0 ? launch.get() : buffers[(i + 1) % 2].get(), sizeof(Particle), advanceLayout.get());
    ASSERT_EQ(S_OK, advance->GetPassByIndex(0)->Apply(0));
    if (i == 0) device_->Draw(1, 0);
    else device_->DrawAuto();
    ID3D10Buffer* none = nullptr;
    device_->SOSetTargets(1, &none, &offset);
  }
  // Sparks live four steps after the one that made them: the emitter, the newest spark,
  // then the four before it, oldest last.
  ID3D10Buffer* last = buffers[(kSteps - 1) % 2].get();
  const std::vector<float> values = BufferFloats(last);
  auto type = [&](int p) {
    std::uint32_t t;
    std::memcpy(&t, &values[static_cast<std::size_t>(p) * 8 + 7], 4);
    return t;
  };
  auto timer = [&](int p) { return values[static_cast<std::size_t>(p) * 8 + 6]; };
  EXPECT_EQ(0u, type(0));
  EXPECT_EQ(1u, type(1));
  EXPECT_FLOAT_EQ(2.5f, timer(1));
  EXPECT_FLOAT_EQ(-0.2f, values[8]);  // not moved yet
  EXPECT_EQ(1u, type(5));
  EXPECT_FLOAT_EQ(0.5f, timer(5));
  EXPECT_NEAR(-0.2f + std::cos(3 * 0.9f) * 0.3f * 2.0f, values[5 * 8], 1e-5);

  const float clear[4] = {0.05f, 0.05f, 0.1f, 1};
  device_->ClearRenderTargetView(target_.view.get(), clear);
  UseVertices(last, sizeof(Particle), renderLayout.get());
  ASSERT_EQ(S_OK, render->GetPassByIndex(0)->Apply(0));
  device_->DrawAuto();
  EXPECT_TRUE(MatchesGolden("effect_particles", Pixels(target_.texture.get()), kPicture, kPicture, 3, 4));
}

TEST_F(EffectStreamOutputTest, AVertexShaderStreamsOutPartsOfItsOutputsIntoTwoBuffers) {
  Ref<ID3D10Effect> fx = Load("skin.fx", std::string(kPrelude) + R"(
struct Skinned { float4 pos : POSITION; float3 norm : NORMAL; float4 extra : TEXCOORD3; };
Skinned VSSkin(VIn v) {
  Skinned o;
  o.pos = float4(v.pos * 2, 1);
  o.norm = float3(v.uv, 7);
  o.extra = float4(10, 20, 30, 40) + v.pos.x;
  return o;
}
VertexShader vsSkin = CompileShader(vs_4_0, VSSkin());
GeometryShader vsSkinSO = ConstructGSWithSO(vsSkin, "POSITION.xy; NORMAL; $SKIP.x; 1:TEXCOORD3.yzw");
technique10 Skin { pass P0 { SetVertexShader(vsSkin); SetGeometryShader(vsSkinSO); SetPixelShader(NULL); } }
)");
  ASSERT_TRUE(fx);
  ID3D10EffectTechnique* skin = fx->GetTechniqueByName("Skin");
  ASSERT_TRUE(skin->IsValid());
  const std::vector<QuadVertex> vertices = {{{0.5f, 0.25f, 0}, {0.1f, 0.2f}}, {{-1, 1, 0.5f}, {0.3f, 0.4f}}};
  Ref<ID3D10Buffer> vb = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, vertices.data(), UINT(vertices.size() * sizeof(QuadVertex)));
  Ref<ID3D10InputLayout> layout = Layout(skin->GetPassByIndex(0), {
      {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D10_INPUT_PER_VERTEX_DATA, 0},
      {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 12, D3D10_INPUT_PER_VERTEX_DATA, 0}});
  Ref<ID3D10Buffer> first = MakeStreamBuffer(2 * 6 * 4), second = MakeStreamBuffer(2 * 3 * 4);
  ID3D10Buffer* targets[] = {first.get(), second.get()};
  const UINT offsets[] = {0, 0};
  device_->SOSetTargets(2, targets, offsets);
  UseVertices(vb.get(), sizeof(QuadVertex), layout.get());
  ASSERT_EQ(S_OK, skin->GetPassByIndex(0)->Apply(0));
  device_->Draw(2, 0);
  device_->SOSetTargets(0, nullptr, nullptr);
  const std::vector<float> a = BufferFloats(first.get()), b = BufferFloats(second.get());
  const float expectedA[] = {1, 0.5f, 0.1f, 0.2f, 7, 0, -2, 2, 0.3f, 0.4f, 7, 0};
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (i % 6 == 5) continue;  // the gap: whatever the buffer held
    EXPECT_FLOAT_EQ(expectedA[i], a[i]) << "float " << i;
  }
  const float expectedB[] = {20.5f, 30.5f, 40.5f, 19, 29, 39};
  for (std::size_t i = 0; i < b.size(); ++i) EXPECT_FLOAT_EQ(expectedB[i], b[i]) << "float " << i;
}

}  // namespace
}  // namespace gltest
