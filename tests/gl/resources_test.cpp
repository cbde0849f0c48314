// Resources and views: depth arrays read through a comparison sampler, the spectrum
// upload, refusals of bad input, and a shutdown that leaves nothing behind.

#include <array>
#include <cstring>

#include "tests/gl/gl_fixture.h"

namespace gltest {
namespace {

using ResourceTest = GlTest;

TEST_F(ResourceTest, DepthArrayRenderedSliceBySliceReadsThroughAComparisonSampler) {
  // Three depth slices, each drawn with a full quad at a different depth.
  D3D10_TEXTURE2D_DESC desc = {4, 4, 1, 3, DXGI_FORMAT_R32_TYPELESS, {1, 0}, D3D10_USAGE_DEFAULT,
                               D3D10_BIND_DEPTH_STENCIL | D3D10_BIND_SHADER_RESOURCE, 0, 0};
  Ref<ID3D10Texture2D> depth;
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&desc, nullptr, depth.Out()));
  const char* depthOnly = "#version 450\nvoid main() {}\n";
  Ref<IGlslProgram> depthProgram = Program(kColorVertexShader, depthOnly);
  Ref<ID3D10InputLayout> depthLayout = ColorLayout(depthProgram.get());
  const float depths[3] = {0.25f, 0.5f, 0.75f};
  for (UINT slice = 0; slice < 3; ++slice) {
    D3D10_DEPTH_STENCIL_VIEW_DESC dsv = {};
    dsv.Format = DXGI_FORMAT_D32_FLOAT;
    dsv.ViewDimension = D3D10_DSV_DIMENSION_TEXTURE2DARRAY;
    dsv.Texture2DArray = {0, slice, 1};
    Ref<ID3D10DepthStencilView> view;
    ASSERT_EQ(S_OK, device_->CreateDepthStencilView(depth.get(), &dsv, view.Out()));
    device_->ClearDepthStencilView(view.get(), D3D10_CLEAR_DEPTH, 1.0f, 0);
    device_->OMSetRenderTargets(0, nullptr, view.get());
    Viewport(4, 4);
    const float z = depths[slice];
    const std::vector<Vertex> quad = {{{-1, 1, z}, {}}, {{1, 1, z}, {}}, {{1, -1, z}, {}},
                                      {{-1, 1, z}, {}}, {{1, -1, z}, {}}, {{-1, -1, z}, {}}};
    Ref<ID3D10Buffer> vb = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, quad.data(), UINT(quad.size() * sizeof(Vertex)));
    ID3D10Buffer* buffers[] = {vb.get()};
    const UINT stride = sizeof(Vertex), offset = 0;
    Use(depthProgram.get());
    device_->IASetInputLayout(depthLayout.get());
    device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
    device_->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    device_->Draw(6, 0);
  }
  device_->OMSetRenderTargets(0, nullptr, nullptr);

  D3D10_SHADER_RESOURCE_VIEW_DESC srv = {};
  srv.Format = DXGI_FORMAT_R32_FLOAT;
  srv.ViewDimension = D3D10_SRV_DIMENSION_TEXTURE2DARRAY;
  srv.Texture2DArray = {0, 1, 0, 3};
  Ref<ID3D10ShaderResourceView> shadow;
  ASSERT_EQ(S_OK, device_->CreateShaderResourceView(depth.get(), &srv, shadow.Out()));
  D3D10_SAMPLER_DESC samplerDesc = {D3D10_FILTER_COMPARISON_MIN_MAG_MIP_POINT, D3D10_TEXTURE_ADDRESS_CLAMP,
                                    D3D10_TEXTURE_ADDRESS_CLAMP, D3D10_TEXTURE_ADDRESS_CLAMP, 0, 1,
                                    D3D10_COMPARISON_LESS_EQUAL, {0, 0, 0, 0}, 0, D3D10_FLOAT32_MAX};
  Ref<ID3D10SamplerState> sampler;
  ASSERT_EQ(S_OK, device_->CreateSamplerState(&samplerDesc, sampler.Out()));
  // Reference depth 0.5 against each slice: 0.5 <= 0.25 fails, 0.5 <= 0.5 and 0.75 pass.
  const char* pixel = R"(#version 450
layout(binding = 0) uniform sampler2DArrayShadow shadowMap;
layout(location = 0) out vec4 result;
void main() {
  vec2 uv = vec2(0.5, 0.5);
  result = vec4(texture(shadowMap, vec4(uv, 0.0, 0.5)), texture(shadowMap, vec4(uv, 1.0, 0.5)),
                texture(shadowMap, vec4(uv, 2.0, 0.5)), 1.0);
})";
  Ref<IGlslProgram> program = Program(kColorVertexShader, pixel);
  Ref<ID3D10InputLayout> layout = ColorLayout(program.get());
  Target target;
  MakeTarget(&target, 2, 2);
  ID3D10RenderTargetView* views[] = {target.view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  ID3D10ShaderResourceView* resources[] = {shadow.get()};
  ID3D10SamplerState* samplers[] = {sampler.get()};
  device_->PSSetShaderResources(0, 1, resources);
  device_->PSSetSamplers(0, 1, samplers);
  Viewport(2, 2);
  const std::vector<Vertex> quad = {{{-1, 1, 0.5f}, {}}, {{1, 1, 0.5f}, {}}, {{1, -1, 0.5f}, {}},
                                    {{-1, 1, 0.5f}, {}}, {{1, -1, 0.5f}, {}}, {{-1, -1, 0.5f}, {}}};
  Ref<ID3D10Buffer> vb = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, quad.data(), UINT(quad.size() * sizeof(Vertex)));
  ID3D10Buffer* buffers[] = {vb.get()};
  const UINT stride = sizeof(Vertex), offset = 0;
  Use(program.get());
  device_->IASetInputLayout(layout.get());
  device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
  device_->Draw(6, 0);
  EXPECT_EQ((Rgba8{0, 255, 255, 255}), Pixels(target.texture.get())[0]);
}

TEST_F(ResourceTest, SpectrumRowUploadsIntoA512By1FloatTexture) {
  D3D10_TEXTURE2D_DESC desc = {512, 1, 1, 1, DXGI_FORMAT_R32_FLOAT, {1, 0}, D3D10_USAGE_DEFAULT,
                               D3D10_BIND_SHADER_RESOURCE, 0, 0};
  Ref<ID3D10Texture2D> texture;
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&desc, nullptr, texture.Out()));
  std::array<float, 512> spectrum;
  for (int i = 0; i < 512; ++i) spectrum[i] = 0.001f * i - 0.1f;
  device_->UpdateSubresource(texture.get(), 0, nullptr, spectrum.data(), 2048, 2048);
  const std::vector<float> values = Floats(texture.get());
  ASSERT_EQ(512u * 4, values.size());
  for (int i = 0; i < 512; ++i) ASSERT_EQ(spectrum[i], values[i * 4]) << "bin " << i;
  // A partial row through a box lands where the box says.
  const float two[2] = {9.0f, 10.0f};
  D3D10_BOX box = {100, 0, 0, 102, 1, 1};
  device_->UpdateSubresource(texture.get(), 0, &box, two, 8, 8);
  const std::vector<float> after = Floats(texture.get());
  EXPECT_EQ(9.0f, after[100 * 4]);
  EXPECT_EQ(10.0f, after[101 * 4]);
  EXPECT_EQ(spectrum[102], after[102 * 4]);
}

struct BadTexture {
  const char* name;
  D3D10_TEXTURE2D_DESC desc;
};

class RefusedTextures : public GlTest, public ::testing::WithParamInterface<BadTexture> {};

TEST_P(RefusedTextures, FailWithAMessage) {
  Ref<ID3D10Texture2D> texture;
  ::testing::internal::CaptureStderr();
  const HRESULT hr = device_->CreateTexture2D(&GetParam().desc, nullptr, texture.Out());
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(FAILED(hr));
  EXPECT_FALSE(texture);
  EXPECT_EQ(0u, message.find("platform: CreateTexture2D: ")) << message;
}

constexpr UINT kSrv = D3D10_BIND_SHADER_RESOURCE;
constexpr UINT kRt = D3D10_BIND_RENDER_TARGET;
constexpr D3D10_USAGE kDefault = D3D10_USAGE_DEFAULT;
INSTANTIATE_TEST_SUITE_P(
    Descriptions, RefusedTextures,
    ::testing::Values(
        BadTexture{"UnknownFormat", {4, 4, 1, 1, DXGI_FORMAT_UNKNOWN, {1, 0}, kDefault, kSrv, 0, 0}},
        BadTexture{"CodePastTheTable", {4, 4, 1, 1, static_cast<DXGI_FORMAT>(500), {1, 0}, kDefault, kSrv, 0, 0}},
        BadTexture{"FormatGlCannotHold", {4, 4, 1, 1, DXGI_FORMAT_R1_UNORM, {1, 0}, kDefault, kSrv, 0, 0}},
        BadTexture{"ZeroWidth", {0, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, kDefault, kSrv, 0, 0}},
        BadTexture{"Oversized", {9000, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, kDefault, kSrv, 0, 0}},
        BadTexture{"ZeroSlices", {4, 4, 1, 0, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, kDefault, kSrv, 0, 0}},
        BadTexture{"TooManyMips", {4, 4, 4, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, kDefault, kSrv, 0, 0}},
        BadTexture{"UnsupportedSampleCount", {4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {3, 0}, kDefault, kRt, 0, 0}},
        BadTexture{"MultisampledWithMips", {4, 4, 2, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {4, 0}, kDefault, kRt, 0, 0}},
        BadTexture{"CompressedRenderTarget", {4, 4, 1, 1, DXGI_FORMAT_BC1_UNORM, {1, 0}, kDefault, kRt, 0, 0}},
        BadTexture{"ColourDepthTarget",
                   {4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, kDefault, D3D10_BIND_DEPTH_STENCIL, 0, 0}},
        BadTexture{"CubeOfFiveSlices",
                   {4, 4, 1, 5, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, kDefault, kSrv, 0, D3D10_RESOURCE_MISC_TEXTURECUBE}},
        BadTexture{"ImmutableWithoutData",
                   {4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D10_USAGE_IMMUTABLE, kSrv, 0, 0}}),
    [](const ::testing::TestParamInfo<BadTexture>& param) { return std::string(param.param.name); });

TEST_F(ResourceTest, ViewsThatDoNotFitTheirTextureAreRefused) {
  D3D10_TEXTURE2D_DESC colourDesc = {4, 4, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D10_USAGE_DEFAULT,
                                     D3D10_BIND_SHADER_RESOURCE, 0, 0};
  Ref<ID3D10Texture2D> colour;
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&colourDesc, nullptr, colour.Out()));
  Ref<ID3D10RenderTargetView> rtv;
  Ref<ID3D10DepthStencilView> dsv;
  Ref<ID3D10ShaderResourceView> srv;
  ::testing::internal::CaptureStderr();
  // No render target binding; not a depth texture; another family; a cube view of a 2D texture.
  EXPECT_EQ(E_INVALIDARG, device_->CreateRenderTargetView(colour.get(), nullptr, rtv.Out()));
  EXPECT_EQ(E_INVALIDARG, device_->CreateDepthStencilView(colour.get(), nullptr, dsv.Out()));
  D3D10_SHADER_RESOURCE_VIEW_DESC other = {};
  other.Format = DXGI_FORMAT_R32_FLOAT;
  other.ViewDimension = D3D10_SRV_DIMENSION_TEXTURE2D;
  other.Texture2D = {0, 1};
  EXPECT_EQ(E_INVALIDARG, device_->CreateShaderResourceView(colour.get(), &other, srv.Out()));
  D3D10_SHADER_RESOURCE_VIEW_DESC cube = {};
  cube.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  cube.ViewDimension = D3D10_SRV_DIMENSION_TEXTURECUBE;
  cube.TextureCube = {0, 1};
  EXPECT_EQ(E_INVALIDARG, device_->CreateShaderResourceView(colour.get(), &cube, srv.Out()));
  // A typeless depth texture needs its typed formats: D32 to write, R32_FLOAT to read.
  D3D10_TEXTURE2D_DESC depthDesc = {4, 4, 1, 1, DXGI_FORMAT_R32_TYPELESS, {1, 0}, D3D10_USAGE_DEFAULT,
                                    D3D10_BIND_DEPTH_STENCIL | D3D10_BIND_SHADER_RESOURCE, 0, 0};
  Ref<ID3D10Texture2D> depth;
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&depthDesc, nullptr, depth.Out()));
  EXPECT_EQ(E_INVALIDARG, device_->CreateDepthStencilView(depth.get(), nullptr, dsv.Out()));
  EXPECT_EQ(E_INVALIDARG, device_->CreateShaderResourceView(depth.get(), nullptr, srv.Out()));
  const std::string messages = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, messages.find("not created with D3D10_BIND_RENDER_TARGET")) << messages;
  EXPECT_NE(std::string::npos, messages.find("R32_FLOAT does not fit a R8G8B8A8_UNORM texture")) << messages;

  D3D10_DEPTH_STENCIL_VIEW_DESC d32 = {};
  d32.Format = DXGI_FORMAT_D32_FLOAT;
  d32.ViewDimension = D3D10_DSV_DIMENSION_TEXTURE2D;
  EXPECT_EQ(S_OK, device_->CreateDepthStencilView(depth.get(), &d32, dsv.Out()));
  other.Format = DXGI_FORMAT_R32_FLOAT;
  EXPECT_EQ(S_OK, device_->CreateShaderResourceView(depth.get(), &other, srv.Out()));
  Ref<ID3D10Resource> viewed;
  srv->GetResource(viewed.Out());
  EXPECT_EQ(static_cast<ID3D10Resource*>(depth.get()), viewed.get());
}

TEST_F(ResourceTest, InputLayoutMustFeedEverySignatureInput) {
  const D3D10_INPUT_ELEMENT_DESC positionOnly[] = {
      {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D10_INPUT_PER_VERTEX_DATA, 0}};
  const void* signature = nullptr;
  SIZE_T size = 0;
  colorProgram_->GetInputSignature(&signature, &size);
  Ref<ID3D10InputLayout> layout;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(E_INVALIDARG, device_->CreateInputLayout(positionOnly, 1, signature, size, layout.Out()));
  const char garbage[] = "not a signature";
  EXPECT_EQ(E_INVALIDARG, device_->CreateInputLayout(positionOnly, 1, garbage, sizeof garbage, layout.Out()));
  const std::string messages = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, messages.find("the shader reads COLOR0, which no input element provides")) << messages;
}

// The device keeps what is bound alive after the engine's last Release, and frees it
// when it is unbound; a Get hands out a live reference meanwhile.
TEST_F(ResourceTest, BoundObjectsOutliveTheirLastReleaseUntilUnbound) {
  const std::array<Vertex, 3> triangle = {};
  ID3D10Buffer* buffer = nullptr;
  D3D10_BUFFER_DESC desc = {sizeof triangle, D3D10_USAGE_DEFAULT, D3D10_BIND_VERTEX_BUFFER, 0, 0};
  ASSERT_EQ(S_OK, device_->CreateBuffer(&desc, nullptr, &buffer));
  const long live = platform::LiveComObjects();
  const UINT stride = sizeof(Vertex), offset = 0;
  device_->IASetVertexBuffers(0, 1, &buffer, &stride, &offset);
  device_->IASetVertexBuffers(1, 1, &buffer, &stride, &offset);
  buffer->Release();
  EXPECT_EQ(live, platform::LiveComObjects()) << "bound twice, so still alive";
  device_->UpdateSubresource(buffer, 0, nullptr, triangle.data(), 0, 0);
  ID3D10Buffer* none = nullptr;
  device_->IASetVertexBuffers(0, 1, &none, &stride, &offset);
  EXPECT_EQ(live, platform::LiveComObjects()) << "slot 1 still holds it";
  device_->IASetVertexBuffers(1, 1, &none, &stride, &offset);
  EXPECT_EQ(live - 1, platform::LiveComObjects());

  // A reference handed out by a Get keeps the object past its unbinding.
  Ref<ID3D10InputLayout> layout = ColorLayout(colorProgram_.get());
  ID3D10InputLayout* raw = layout.get();
  device_->IASetInputLayout(raw);
  layout.Reset();
  ID3D10InputLayout* got = nullptr;
  device_->IAGetInputLayout(&got);
  ASSERT_EQ(raw, got);
  const long withLayout = platform::LiveComObjects();
  device_->IASetInputLayout(nullptr);
  EXPECT_EQ(withLayout, platform::LiveComObjects());
  got->Release();
  EXPECT_EQ(withLayout - 1, platform::LiveComObjects());
}

TEST(Shutdown, ReleasingEverythingLeavesNoLiveObject) {
  const long comBefore = platform::LiveComObjects();
  DXGI_SWAP_CHAIN_DESC desc = {};
  desc.BufferDesc = {64, 32, {60, 1}, DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED,
                     DXGI_MODE_SCALING_UNSPECIFIED};
  desc.SampleDesc = {1, 0};
  desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  desc.BufferCount = 1;
  desc.Windowed = TRUE;
  IDXGISwapChain* swapChain = nullptr;
  ID3D10Device* device = nullptr;
  if (FAILED(D3D10CreateDeviceAndSwapChain(nullptr, D3D10_DRIVER_TYPE_HARDWARE, nullptr, 0, D3D10_SDK_VERSION, &desc,
                                           &swapChain, &device))) {
    GTEST_SKIP() << "no EGL device can be made here";
  }
  ID3D10Texture2D* backBuffer = nullptr;
  ASSERT_EQ(S_OK, swapChain->GetBuffer(0, __uuidof(ID3D10Texture2D), reinterpret_cast<void**>(&backBuffer)));
  ID3D10RenderTargetView* view = nullptr;
  ASSERT_EQ(S_OK, device->CreateRenderTargetView(backBuffer, nullptr, &view));
  backBuffer->Release();
  D3D10_TEXTURE2D_DESC depthDesc = {64, 32, 1, 1, DXGI_FORMAT_D24_UNORM_S8_UINT, {1, 0}, D3D10_USAGE_DEFAULT,
                                    D3D10_BIND_DEPTH_STENCIL, 0, 0};
  ID3D10Texture2D* depth = nullptr;
  ID3D10DepthStencilView* depthView = nullptr;
  ASSERT_EQ(S_OK, device->CreateTexture2D(&depthDesc, nullptr, &depth));
  ASSERT_EQ(S_OK, device->CreateDepthStencilView(depth, nullptr, &depthView));
  device->OMSetRenderTargets(1, &view, depthView);
  const float clear[4] = {0, 0, 1, 1};
  device->ClearRenderTargetView(view, clear);
  EXPECT_EQ(S_OK, swapChain->Present(0, 0));
  EXPECT_GT(platform::LiveGlObjects(), 0);

  // The order the window's release uses; the depth target goes later, as the
  // resource manager's does, after the device's last public reference.
  device->ClearState();
  view->Release();
  swapChain->Release();
  device->Release();
  EXPECT_GT(platform::LiveGlObjects(), 0) << "the depth target still needs its context";
  depthView->Release();
  depth->Release();
  EXPECT_EQ(0, platform::LiveGlObjects());
  EXPECT_EQ(comBefore, platform::LiveComObjects());
}

}  // namespace
}  // namespace gltest
