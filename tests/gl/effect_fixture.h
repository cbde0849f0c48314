#pragma once

// Effects drawn through the device, shared by the effect GL tests: an 8x8 target with a
// depth buffer, effects written beside the test and loaded, and full-screen draws.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/effect.h"
#include "support/scratch_dir.h"
#include "tests/gl/gl_fixture.h"

namespace gltest {

struct QuadVertex {
  float position[3];
  float uv[2];
};

inline constexpr UINT kSize = 8;

// A shared prelude: a pass-through vertex shader over POSITION and TEXCOORD.
inline constexpr const char* kPrelude = R"(
struct VIn { float3 pos : POSITION; float2 uv : TEXCOORD0; };
struct VOut { float4 pos : SV_Position; float2 uv : TEXCOORD0; };
VOut VSQuad(VIn v) { VOut o; o.pos = float4(v.pos, 1); o.uv = v.uv; return o; }
float4 PSRed() : SV_Target { return float4(1, 0, 0, 1); }
float4 PSGreen() : SV_Target { return float4(0, 1, 0, 1); }
float4 PSBlue() : SV_Target { return float4(0, 0, 1, 1); }
)";

class EffectTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    setenv("NEBLU_EFFECT_CACHE", scratch_.Path("cache").c_str(), 1);
    UseTarget(kSize);
  }
  void TearDown() override {
    depthView_.Reset();
    depth_.Reset();
    target_ = Target();
    GlTest::TearDown();
  }

  // A square colour target of `size` pixels with a depth buffer, cleared and bound.
  void UseTarget(UINT size) {
    size_ = size;
    MakeTarget(&target_, size, size);
    D3D10_TEXTURE2D_DESC desc = {size, size, 1, 1, DXGI_FORMAT_D32_FLOAT, {1, 0}, D3D10_USAGE_DEFAULT,
                                 D3D10_BIND_DEPTH_STENCIL, 0, 0};
    ASSERT_EQ(S_OK, device_->CreateTexture2D(&desc, nullptr, depth_.Out()));
    ASSERT_EQ(S_OK, device_->CreateDepthStencilView(depth_.get(), nullptr, depthView_.Out()));
    ClearAndBind();
  }

  // A shader's view of a width x height RGBA8 texture of `texels` (rows top first).
  Ref<ID3D10ShaderResourceView> TextureView(UINT width, UINT height, const std::uint32_t* texels) {
    D3D10_TEXTURE2D_DESC desc = {width, height, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D10_USAGE_DEFAULT,
                                 D3D10_BIND_SHADER_RESOURCE, 0, 0};
    D3D10_SUBRESOURCE_DATA data = {texels, width * 4, 0};
    Ref<ID3D10Texture2D> texture;
    EXPECT_EQ(S_OK, device_->CreateTexture2D(&desc, &data, texture.Out()));
    Ref<ID3D10ShaderResourceView> view;
    EXPECT_EQ(S_OK, device_->CreateShaderResourceView(texture.get(), nullptr, view.Out()));
    return view;
  }

  void ClearAndBind() {
    const float clear[4] = {0, 0, 0, 0};
    device_->ClearRenderTargetView(target_.view.get(), clear);
    device_->ClearDepthStencilView(depthView_.get(), D3D10_CLEAR_DEPTH, 1.0f, 0);
    ID3D10RenderTargetView* views[] = {target_.view.get()};
    device_->OMSetRenderTargets(1, views, depthView_.get());
    Viewport(size_, size_);
  }

  // Writes `source` beside the test and creates the effect (a child when `pool` is given).
  Ref<ID3D10Effect> Load(const std::string& name, const std::string& source, ID3D10EffectPool* pool = nullptr,
                         HRESULT expected = S_OK) {
    scratch_.Write(name, source);
    Ref<ID3D10Effect> effect;
    HRESULT hr = D3DX10CreateEffectFromFileW(Wide(scratch_.Path(name)).c_str(), nullptr, nullptr, "fx_4_0", 0,
                                             pool ? D3D10_EFFECT_COMPILE_CHILD_EFFECT : 0, device_, pool, nullptr,
                                             effect.Out(), nullptr, nullptr);
    EXPECT_EQ(expected, hr) << name;
    return effect;
  }
  static std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

  // Applies every pass of `technique` and draws `vertices` (a triangle list unless told).
  void Draw(ID3D10EffectTechnique* technique, const std::vector<QuadVertex>& vertices, UINT instances = 1,
            D3D10_PRIMITIVE_TOPOLOGY topology = D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST) {
    ASSERT_TRUE(technique->IsValid());
    D3D10_TECHNIQUE_DESC desc;
    ASSERT_EQ(S_OK, technique->GetDesc(&desc));
    std::vector<std::uint16_t> indices(vertices.size());
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint16_t>(i);
    Ref<ID3D10Buffer> vb = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, vertices.data(), UINT(vertices.size() * sizeof(QuadVertex)));
    Ref<ID3D10Buffer> ib = MakeBuffer(D3D10_BIND_INDEX_BUFFER, indices.data(), UINT(indices.size() * 2));
    for (UINT p = 0; p < desc.Passes; ++p) {
      ID3D10EffectPass* pass = technique->GetPassByIndex(p);
      D3D10_PASS_DESC passDesc;
      ASSERT_EQ(S_OK, pass->GetDesc(&passDesc));
      const D3D10_INPUT_ELEMENT_DESC elements[] = {
          {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D10_INPUT_PER_VERTEX_DATA, 0},
          {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, 12, D3D10_INPUT_PER_VERTEX_DATA, 0},
      };
      Ref<ID3D10InputLayout> layout;
      ASSERT_EQ(S_OK, device_->CreateInputLayout(elements, 2, passDesc.pIAInputSignature,
                                                 passDesc.IAInputSignatureSize, layout.Out()));
      ID3D10Buffer* buffers[] = {vb.get()};
      const UINT stride = sizeof(QuadVertex), offset = 0;
      device_->IASetInputLayout(layout.get());
      device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
      device_->IASetIndexBuffer(ib.get(), DXGI_FORMAT_R16_UINT, 0);
      device_->IASetPrimitiveTopology(topology);
      ASSERT_EQ(S_OK, pass->Apply(0));
      if (instances > 1) device_->DrawIndexedInstanced(UINT(indices.size()), instances, 0, 0, 0);
      else device_->DrawIndexed(UINT(indices.size()), 0, 0);
    }
  }

  // A rectangle from (x0, y0) to (x1, y1) in clip space at depth z; clockwise on screen
  // (front-facing) unless `backFacing`.
  static std::vector<QuadVertex> Rect(float x0, float y0, float x1, float y1, float z = 0.5f, bool backFacing = false) {
    auto v = [&](float x, float y) { return QuadVertex{{x, y, z}, {(x + 1) / 2, (1 - y) / 2}}; };
    std::vector<QuadVertex> q = {v(x0, y1), v(x1, y1), v(x1, y0), v(x0, y1), v(x1, y0), v(x0, y0)};
    if (backFacing) std::swap(q[1], q[2]), std::swap(q[4], q[5]);
    return q;
  }
  static std::vector<QuadVertex> FullScreen(float z = 0.5f) { return Rect(-1, -1, 1, 1, z); }

  Rgba8 At(UINT x, UINT y) { return Pixels(target_.texture.get())[y * size_ + x]; }

  testing_support::ScratchDir scratch_;
  UINT size_ = kSize;
  Target target_;
  Ref<ID3D10Texture2D> depth_;
  Ref<ID3D10DepthStencilView> depthView_;
};

}  // namespace gltest
