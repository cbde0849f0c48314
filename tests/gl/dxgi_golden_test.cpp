// DXGI (adapter, output modes, swap chain) and three small scenes against golden images.

#include <array>
#include <cmath>

#include "platform/win32.h"
#include "tests/gl/gl_fixture.h"

namespace gltest {
namespace {

// The mode list differs with a display (Xvfb reports one mode); these cases assert the
// headless list, so they ask for it.
class DxgiTest : public GlTest {
 protected:
  static void SetUpTestSuite() { platform::ForceHeadless(true); }
  static void TearDownTestSuite() { platform::ForceHeadless(false); }
};
using GoldenTest = GlTest;

TEST_F(DxgiTest, AdapterOutputAndModesAnswerAsTheStartUpAsks) {
  IDXGIFactory* factory = nullptr;
  ASSERT_EQ(S_OK, CreateDXGIFactory(__uuidof(IDXGIFactory), reinterpret_cast<void**>(&factory)));
  Ref<IDXGIFactory> ownedFactory(factory);
  Ref<IDXGIAdapter> adapter, missing;
  ASSERT_EQ(S_OK, factory->EnumAdapters(0, adapter.Out()));
  EXPECT_EQ(DXGI_ERROR_NOT_FOUND, factory->EnumAdapters(1, missing.Out()));
  DXGI_ADAPTER_DESC desc;
  ASSERT_EQ(S_OK, adapter->GetDesc(&desc));
  EXPECT_GT(std::wcslen(desc.Description), 0u) << "the GL renderer string";

  Ref<IDXGIOutput> output, noOutput;
  ASSERT_EQ(S_OK, adapter->EnumOutputs(0, output.Out()));
  EXPECT_EQ(DXGI_ERROR_NOT_FOUND, adapter->EnumOutputs(1, noOutput.Out()));
  UINT count = 0;
  ASSERT_EQ(S_OK, output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, 0, &count, nullptr));
  ASSERT_GT(count, 1u);
  std::vector<DXGI_MODE_DESC> modes(count);
  ASSERT_EQ(S_OK, output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, 0, &count, modes.data()));
  for (const DXGI_MODE_DESC& mode : modes) {
    EXPECT_EQ(DXGI_FORMAT_R8G8B8A8_UNORM, mode.Format);
    EXPECT_GT(mode.Width * mode.Height * mode.RefreshRate.Denominator, 0u);
  }
  UINT fewer = 1;
  EXPECT_EQ(DXGI_ERROR_MORE_DATA, output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, 0, &fewer, modes.data()));
  EXPECT_EQ(1u, fewer);
  UINT none = 7;
  EXPECT_EQ(S_OK, output->GetDisplayModeList(DXGI_FORMAT_R32_FLOAT, 0, &none, nullptr));
  EXPECT_EQ(0u, none) << "a format that cannot be displayed has no modes";
}

TEST_F(DxgiTest, MultisampleLevelsForTheSettingsDialog) {
  UINT levels = 9;
  EXPECT_EQ(S_OK, device_->CheckMultisampleQualityLevels(DXGI_FORMAT_R8G8B8A8_UNORM, 1, &levels));
  EXPECT_EQ(1u, levels);
  for (UINT count = 2; count <= 15; ++count) {
    ASSERT_EQ(S_OK, device_->CheckMultisampleQualityLevels(DXGI_FORMAT_R8G8B8A8_UNORM, count, &levels));
    EXPECT_LE(levels, 1u);
  }
  EXPECT_EQ(S_OK, device_->CheckMultisampleQualityLevels(DXGI_FORMAT_BC1_UNORM, 4, &levels));
  EXPECT_EQ(0u, levels);
}

DXGI_SWAP_CHAIN_DESC ChainDesc(UINT width, UINT height, DXGI_FORMAT format, UINT samples) {
  DXGI_SWAP_CHAIN_DESC desc = {};
  desc.BufferDesc = {width, height, {60, 1}, format, DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED,
                     DXGI_MODE_SCALING_UNSPECIFIED};
  desc.SampleDesc = {samples, 0};
  desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  desc.BufferCount = 1;
  desc.Windowed = TRUE;
  return desc;
}

TEST_F(DxgiTest, SwapChainsPresentTheirBackBufferAndRefuseBadDescriptions) {
  for (UINT samples : {1u, 4u}) {
    DXGI_SWAP_CHAIN_DESC desc = ChainDesc(32, 16, DXGI_FORMAT_R8G8B8A8_UNORM, samples);
    Ref<IDXGISwapChain> chain;
    Ref<ID3D10Device> device;
    ASSERT_EQ(S_OK, D3D10CreateDeviceAndSwapChain(nullptr, D3D10_DRIVER_TYPE_HARDWARE, nullptr, 0, D3D10_SDK_VERSION,
                                                  &desc, chain.Out(), device.Out()));
    Ref<ID3D10Texture2D> backBuffer;
    ASSERT_EQ(S_OK, chain->GetBuffer(0, __uuidof(ID3D10Texture2D), reinterpret_cast<void**>(backBuffer.Out())));
    D3D10_TEXTURE2D_DESC textureDesc;
    backBuffer->GetDesc(&textureDesc);
    EXPECT_EQ(samples, textureDesc.SampleDesc.Count);
    EXPECT_EQ(S_OK, chain->Present(1, 0));
    Ref<ID3D10Texture2D> second;
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(FAILED(chain->GetBuffer(1, __uuidof(ID3D10Texture2D), reinterpret_cast<void**>(second.Out()))));
    ::testing::internal::GetCapturedStderr();
  }
  struct Bad {
    DXGI_SWAP_CHAIN_DESC desc;
    const char* message;
  } bad[] = {{ChainDesc(0, 16, DXGI_FORMAT_R8G8B8A8_UNORM, 1), "back buffer size 0x16"},
             {ChainDesc(32, 16, DXGI_FORMAT_R32_FLOAT, 1), "R32_FLOAT (41) cannot be displayed"},
             {ChainDesc(32, 16, DXGI_FORMAT_R8G8B8A8_UNORM, 3), "cannot be made"}};
  for (Bad& b : bad) {
    Ref<IDXGISwapChain> chain;
    Ref<ID3D10Device> device;
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(FAILED(D3D10CreateDeviceAndSwapChain(nullptr, D3D10_DRIVER_TYPE_HARDWARE, nullptr, 0,
                                                     D3D10_SDK_VERSION, &b.desc, chain.Out(), device.Out())));
    const std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, message.find(b.message)) << message;
    EXPECT_FALSE(chain);
    EXPECT_FALSE(device);
  }
}

// --- golden scenes ---------------------------------------------------------------------

TEST_F(GoldenTest, InterpolatedTriangleWithDepthOverlap) {
  Target target;
  MakeTarget(&target, 48, 32);
  D3D10_TEXTURE2D_DESC depthDesc = {48, 32, 1, 1, DXGI_FORMAT_D32_FLOAT, {1, 0}, D3D10_USAGE_DEFAULT,
                                    D3D10_BIND_DEPTH_STENCIL, 0, 0};
  Ref<ID3D10Texture2D> depth;
  Ref<ID3D10DepthStencilView> depthView;
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&depthDesc, nullptr, depth.Out()));
  ASSERT_EQ(S_OK, device_->CreateDepthStencilView(depth.get(), nullptr, depthView.Out()));
  device_->ClearRenderTargetView(target.view.get(), std::array<float, 4>{0.1f, 0.1f, 0.2f, 1}.data());
  device_->ClearDepthStencilView(depthView.get(), D3D10_CLEAR_DEPTH, 1.0f, 0);
  ID3D10RenderTargetView* views[] = {target.view.get()};
  device_->OMSetRenderTargets(1, views, depthView.get());
  Viewport(48, 32);
  // A far white band, then a colour triangle that slopes through it in depth.
  DrawTriangles({{{-1, 0.3f, 0.5f}, {1, 1, 1, 1}}, {{1, 0.3f, 0.5f}, {1, 1, 1, 1}}, {{1, -0.3f, 0.5f}, {1, 1, 1, 1}},
                 {{-1, 0.3f, 0.5f}, {1, 1, 1, 1}}, {{1, -0.3f, 0.5f}, {1, 1, 1, 1}}, {{-1, -0.3f, 0.5f}, {1, 1, 1, 1}}});
  DrawTriangles({{{0, 0.9f, 0.1f}, {1, 0, 0, 1}}, {{0.9f, -0.9f, 0.9f}, {0, 1, 0, 1}},
                 {{-0.9f, -0.9f, 0.9f}, {0, 0, 1, 1}}});
  EXPECT_TRUE(MatchesGolden("triangle_depth", Pixels(target.texture.get()), 48, 32, 2, 4));
}

TEST_F(GoldenTest, MipmappedCheckerboardOnATiltedQuad) {
  // A 32x32 checkerboard with its mip chain, drawn through a sampler that wraps.
  std::vector<Rgba8> checker(32 * 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) checker[y * 32 + x] = ((x / 4 + y / 4) % 2) ? Rgba8{240, 240, 240, 255} : Rgba8{30, 60, 200, 255};
  }
  D3D10_TEXTURE2D_DESC desc = {32, 32, 0, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D10_USAGE_DEFAULT,
                               D3D10_BIND_SHADER_RESOURCE | D3D10_BIND_RENDER_TARGET, 0,
                               D3D10_RESOURCE_MISC_GENERATE_MIPS};
  Ref<ID3D10Texture2D> texture;
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&desc, nullptr, texture.Out()));
  device_->UpdateSubresource(texture.get(), 0, nullptr, checker.data(), 32 * 4, 0);
  Ref<ID3D10ShaderResourceView> view;
  ASSERT_EQ(S_OK, device_->CreateShaderResourceView(texture.get(), nullptr, view.Out()));
  device_->GenerateMips(view.get());
  D3D10_SAMPLER_DESC samplerDesc = {D3D10_FILTER_MIN_MAG_MIP_LINEAR, D3D10_TEXTURE_ADDRESS_WRAP,
                                    D3D10_TEXTURE_ADDRESS_WRAP, D3D10_TEXTURE_ADDRESS_WRAP, 0, 1,
                                    D3D10_COMPARISON_NEVER, {0, 0, 0, 0}, 0, D3D10_FLOAT32_MAX};
  Ref<ID3D10SamplerState> sampler;
  ASSERT_EQ(S_OK, device_->CreateSamplerState(&samplerDesc, sampler.Out()));
  const char* vertex = R"(#version 450
layout(location = 0) in vec3 POSITION;
layout(location = 1) in vec4 COLOR;
out vec2 uv;
void main() { gl_Position = vec4(POSITION.xy, POSITION.z, 1.0); uv = COLOR.xy; }
)";
  const char* pixel = R"(#version 450
layout(binding = 0) uniform sampler2D image;
in vec2 uv;
layout(location = 0) out vec4 result;
void main() { result = texture(image, uv); }
)";
  Ref<IGlslProgram> program = Program(vertex, pixel);
  Ref<ID3D10InputLayout> layout = ColorLayout(program.get());
  Target target;
  MakeTarget(&target, 64, 32);
  device_->ClearRenderTargetView(target.view.get(), std::array<float, 4>{0, 0, 0, 1}.data());
  ID3D10RenderTargetView* views[] = {target.view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  ID3D10ShaderResourceView* resources[] = {view.get()};
  ID3D10SamplerState* samplers[] = {sampler.get()};
  device_->PSSetShaderResources(0, 1, resources);
  device_->PSSetSamplers(0, 1, samplers);
  Viewport(64, 32);
  // A trapezoid narrowing to the top, with texture coordinates repeating four times.
  const std::vector<Vertex> quad = {{{-0.3f, 0.9f, 0.5f}, {0, 0, 0, 0}}, {{0.3f, 0.9f, 0.5f}, {4, 0, 0, 0}},
                                    {{1, -0.9f, 0.5f}, {4, 4, 0, 0}},     {{-0.3f, 0.9f, 0.5f}, {0, 0, 0, 0}},
                                    {{1, -0.9f, 0.5f}, {4, 4, 0, 0}},     {{-1, -0.9f, 0.5f}, {0, 4, 0, 0}}};
  Ref<ID3D10Buffer> vb = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, quad.data(), UINT(quad.size() * sizeof(Vertex)));
  ID3D10Buffer* buffers[] = {vb.get()};
  const UINT stride = sizeof(Vertex), offset = 0;
  Use(program.get());
  device_->IASetInputLayout(layout.get());
  device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
  device_->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  device_->Draw(6, 0);
  EXPECT_TRUE(MatchesGolden("checker_mips", Pixels(target.texture.get()), 64, 32, 3, 16));
}

TEST_F(GoldenTest, MultisampledFanThroughTheSwapChain) {
  DXGI_SWAP_CHAIN_DESC desc = ChainDesc(40, 40, DXGI_FORMAT_R8G8B8A8_UNORM, 4);
  Ref<IDXGISwapChain> chain;
  Ref<ID3D10Device> device;
  ASSERT_EQ(S_OK, D3D10CreateDeviceAndSwapChain(nullptr, D3D10_DRIVER_TYPE_HARDWARE, nullptr, 0, D3D10_SDK_VERSION,
                                                &desc, chain.Out(), device.Out()));
  // The fixture's helpers draw with their own device; this scene uses the chain's.
  std::swap(device_, *reinterpret_cast<ID3D10Device**>(&device));
  IGlslDevice* fixtureGlsl = glsl_;
  ASSERT_EQ(S_OK, device_->QueryInterface(__uuidof(IGlslDevice), reinterpret_cast<void**>(&glsl_)));
  Ref<IGlslProgram> savedProgram = std::move(colorProgram_);
  Ref<ID3D10InputLayout> savedLayout = std::move(colorLayout_);
  colorProgram_ = Program(kColorVertexShader, kColorPixelShader);
  colorLayout_ = ColorLayout(colorProgram_.get());

  Ref<ID3D10Texture2D> backBuffer;
  ASSERT_EQ(S_OK, chain->GetBuffer(0, __uuidof(ID3D10Texture2D), reinterpret_cast<void**>(backBuffer.Out())));
  Ref<ID3D10RenderTargetView> view;
  ASSERT_EQ(S_OK, device_->CreateRenderTargetView(backBuffer.get(), nullptr, view.Out()));
  device_->ClearRenderTargetView(view.get(), std::array<float, 4>{0, 0, 0, 1}.data());
  ID3D10RenderTargetView* views[] = {view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  Viewport(40, 40);
  std::vector<Vertex> fan;
  for (int i = 0; i < 7; ++i) {
    const float a0 = 6.2831853f * i / 7, a1 = 6.2831853f * (i + 1) / 7;
    const float c = i / 6.0f;
    // Clockwise on screen: centre, then the later angle, then the earlier.
    fan.push_back({{0, 0, 0.5f}, {1, c, 0, 1}});
    fan.push_back({{0.9f * std::cos(a0), 0.9f * std::sin(a0), 0.5f}, {c, 0, 1 - c, 1}});
    fan.push_back({{0.9f * std::cos(a1), 0.9f * std::sin(a1), 0.5f}, {c, 0, 1 - c, 1}});
  }
  D3D10_RASTERIZER_DESC noCull = {D3D10_FILL_SOLID, D3D10_CULL_NONE, FALSE, 0, 0, 0, TRUE, FALSE, TRUE, FALSE};
  Ref<ID3D10RasterizerState> state;
  ASSERT_EQ(S_OK, device_->CreateRasterizerState(&noCull, state.Out()));
  device_->RSSetState(state.get());
  DrawTriangles(fan);
  D3D10_TEXTURE2D_DESC resolvedDesc = {40, 40, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D10_USAGE_DEFAULT, 0, 0, 0};
  Ref<ID3D10Texture2D> resolved;
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&resolvedDesc, nullptr, resolved.Out()));
  device_->ResolveSubresource(resolved.get(), 0, backBuffer.get(), 0, DXGI_FORMAT_R8G8B8A8_UNORM);
  EXPECT_EQ(S_OK, chain->Present(0, 0));
  const std::vector<Rgba8> pixels = Pixels(resolved.get());

  device_->ClearState();
  colorProgram_ = std::move(savedProgram);
  colorLayout_ = std::move(savedLayout);
  glsl_->Release();
  glsl_ = fixtureGlsl;
  std::swap(device_, *reinterpret_cast<ID3D10Device**>(&device));
  EXPECT_TRUE(MatchesGolden("msaa_fan", pixels, 40, 40, 3, 8));
}

}  // namespace
}  // namespace gltest
