// Effects: creating a three-technique effect with an empty shader cache (cold: every
// entry point through the HLSL compiler) and with a filled one (warm: SPIR-V from disk,
// translation and GL linking only); and the per-draw cost of pass Apply plus DrawIndexed
// against the same draw issued as plain GL calls on the device's context.
//
//   build/bench/bench_effects
// Headless EGL (Mesa llvmpipe); the benchmarks skip where no device can be made.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <boost/filesystem.hpp>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/plain_gl.h"
#include "platform/d3d10.h"
#include "platform/effect.h"
#include "platform/d3d10/gl_program.h"

namespace {

using platform::SafeRelease;

constexpr const char* kEffect = R"(
float4x4 World : World;
float4 Colour = float4(1, 1, 1, 1);
Texture2D Diffuse;
SamplerState Linear { Filter = MIN_MAG_MIP_LINEAR; AddressU = WRAP; AddressV = WRAP; };
struct VIn { float3 pos : POSITION; float2 uv : TEXCOORD0; };
struct VOut { float4 pos : SV_Position; float2 uv : TEXCOORD0; };
VOut VS(VIn v) { VOut o; o.pos = mul(float4(v.pos, 1), World); o.uv = v.uv; return o; }
VOut VSQuad(VIn v) { VOut o; o.pos = float4(v.pos, 1); o.uv = v.uv; return o; }
float4 PSFlat() : SV_Target { return Colour; }
float4 PSTextured(VOut i) : SV_Target { return Diffuse.Sample(Linear, i.uv) * Colour; }
float4 PSBlur(VOut i) : SV_Target {
  float4 sum = 0;
  for (int k = -2; k <= 2; ++k) sum += Diffuse.Sample(Linear, i.uv + float2(k * 0.01, 0));
  return sum / 5;
}
technique10 Flat { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetPixelShader(CompileShader(ps_4_0, PSFlat())); } }
technique10 Textured { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetPixelShader(CompileShader(ps_4_0, PSTextured())); } }
technique10 Blur < bool quad = true; > { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSBlur())); } }
)";

// A device drawing into a small target, and the effect file in a scratch folder.
struct Fixture {
  Fixture() {
    root = boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("neblu-bench-%%%%-%%%%");
    boost::filesystem::create_directories(root);
    std::ofstream((root / "bench.fx").string()) << kEffect;
    if (FAILED(D3D10CreateDevice(nullptr, D3D10_DRIVER_TYPE_HARDWARE, nullptr, 0, D3D10_SDK_VERSION, &device)))
      device = nullptr;
  }
  ~Fixture() {
    SafeRelease(device);
    boost::system::error_code ignored;
    boost::filesystem::remove_all(root, ignored);
  }
  std::wstring File() const {
    std::string s = (root / "bench.fx").string();
    return std::wstring(s.begin(), s.end());
  }
  ID3D10Effect* Create() {
    ID3D10Effect* effect = nullptr;
    D3DX10CreateEffectFromFileW(File().c_str(), nullptr, nullptr, "fx_4_0", 0, 0, device, nullptr, nullptr, &effect,
                                nullptr, nullptr);
    return effect;
  }
  boost::filesystem::path root;
  ID3D10Device* device = nullptr;
};

void BM_CreateEffectCold(benchmark::State& state) {
  Fixture f;
  if (!f.device) return state.SkipWithError("no EGL device");
  setenv("NEBLU_EFFECT_CACHE", "off", 1);
  for (auto _ : state) {
    ID3D10Effect* effect = f.Create();
    if (!effect) return state.SkipWithError("the effect does not compile");
    effect->Release();
  }
}
BENCHMARK(BM_CreateEffectCold)->Unit(benchmark::kMillisecond);

void BM_CreateEffectWarm(benchmark::State& state) {
  Fixture f;
  if (!f.device) return state.SkipWithError("no EGL device");
  setenv("NEBLU_EFFECT_CACHE", (f.root / "cache").string().c_str(), 1);
  if (ID3D10Effect* first = f.Create()) first->Release();  // fills the cache
  for (auto _ : state) {
    ID3D10Effect* effect = f.Create();
    if (!effect) return state.SkipWithError("the effect does not compile");
    effect->Release();
  }
}
BENCHMARK(BM_CreateEffectWarm)->Unit(benchmark::kMillisecond);

// One small quad into a 64x64 target, the world matrix changed before every draw.
struct DrawFixture : Fixture {
  DrawFixture() {
    if (!device) return;
    setenv("NEBLU_EFFECT_CACHE", (root / "cache").string().c_str(), 1);
    effect = Create();
    if (!effect) return;
    D3D10_TEXTURE2D_DESC td = {64, 64, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D10_USAGE_DEFAULT,
                               D3D10_BIND_RENDER_TARGET, 0, 0};
    device->CreateTexture2D(&td, nullptr, &target);
    device->CreateRenderTargetView(target, nullptr, &view);
    device->OMSetRenderTargets(1, &view, nullptr);
    D3D10_VIEWPORT viewport = {0, 0, 64, 64, 0, 1};
    device->RSSetViewports(1, &viewport);
    const float vertices[] = {-0.1f, -0.1f, 0.5f, 0, 1, -0.1f, 0.1f, 0.5f, 0, 0, 0.1f, 0.1f, 0.5f, 1, 0,
                              0.1f,  -0.1f, 0.5f, 1, 1};
    const std::uint16_t indices[] = {0, 1, 2, 0, 2, 3};
    D3D10_BUFFER_DESC vd = {sizeof vertices, D3D10_USAGE_IMMUTABLE, D3D10_BIND_VERTEX_BUFFER, 0, 0};
    D3D10_SUBRESOURCE_DATA vdata = {vertices, 0, 0};
    device->CreateBuffer(&vd, &vdata, &vb);
    D3D10_BUFFER_DESC id = {sizeof indices, D3D10_USAGE_IMMUTABLE, D3D10_BIND_INDEX_BUFFER, 0, 0};
    D3D10_SUBRESOURCE_DATA idata = {indices, 0, 0};
    device->CreateBuffer(&id, &idata, &ib);
    pass = effect->GetTechniqueByName("Flat")->GetPassByIndex(0);
    D3D10_PASS_DESC pd;
    pass->GetDesc(&pd);
    const D3D10_INPUT_ELEMENT_DESC elements[] = {
        {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D10_INPUT_PER_VERTEX_DATA, 0},
        {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 12, D3D10_INPUT_PER_VERTEX_DATA, 0},
    };
    device->CreateInputLayout(elements, 2, pd.pIAInputSignature, pd.IAInputSignatureSize, &layout);
    const UINT stride = 20, offset = 0;
    device->IASetInputLayout(layout);
    device->IASetVertexBuffers(0, 1, &vb, &stride, &offset);
    device->IASetIndexBuffer(ib, DXGI_FORMAT_R16_UINT, 0);
    device->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    world = effect->GetVariableByName("World")->AsMatrix();
  }
  ~DrawFixture() {
    SafeRelease(layout);
    SafeRelease(vb);
    SafeRelease(ib);
    SafeRelease(view);
    SafeRelease(target);
    SafeRelease(effect);
  }
  bool Ready() const { return device && effect && layout && view; }

  ID3D10Effect* effect = nullptr;
  ID3D10EffectPass* pass = nullptr;
  ID3D10EffectMatrixVariable* world = nullptr;
  ID3D10Texture2D* target = nullptr;
  ID3D10RenderTargetView* view = nullptr;
  ID3D10Buffer* vb = nullptr;
  ID3D10Buffer* ib = nullptr;
  ID3D10InputLayout* layout = nullptr;
  float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

void BM_EffectApplyDrawIndexed(benchmark::State& state) {
  DrawFixture f;
  if (!f.Ready()) return state.SkipWithError("no EGL device or the effect does not compile");
  for (auto _ : state) {
    f.matrix[12] = f.matrix[12] > 0.5f ? -0.5f : f.matrix[12] + 0.01f;
    f.world->SetMatrix(f.matrix);
    f.pass->Apply(0);
    f.device->DrawIndexed(6, 0, 0);
  }
  glFinish();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EffectApplyDrawIndexed);

// The same draw as GL calls: the pass's program, one uniform buffer written per draw,
// the vertex state the device set up for the first draw.
void BM_PlainGlDrawElements(benchmark::State& state) {
  DrawFixture f;
  if (!f.Ready()) return state.SkipWithError("no EGL device or the effect does not compile");
  f.pass->Apply(0);
  f.device->DrawIndexed(6, 0, 0);
  const GLuint program = bench::CurrentProgram();
  GLuint ubo = 0;
  glCreateBuffers(1, &ubo);
  glNamedBufferData(ubo, 80, nullptr, GL_DYNAMIC_DRAW);
  for (auto _ : state) {
    f.matrix[12] = f.matrix[12] > 0.5f ? -0.5f : f.matrix[12] + 0.01f;
    glUseProgram(program);
    bench::WriteUniformBlock(ubo, 0, f.matrix, sizeof f.matrix);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
  }
  glFinish();
  glDeleteBuffers(1, &ubo);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainGlDrawElements);

}  // namespace
