// Drawing through the device: clears, origin and viewport, depth, many targets,
// multisampling, indices, instancing and culling, checked on the pixels.

#include <array>
#include <cmath>

#include "tests/gl/gl_fixture.h"

namespace gltest {
namespace {

using DrawTest = GlTest;

// A quad from (x0, y0) to (x1, y1) in clip space at depth z, as two clockwise triangles.
std::vector<Vertex> Quad(float x0, float y0, float x1, float y1, float z, const float (&c)[4]) {
  auto v = [&](float x, float y) { return Vertex{{x, y, z}, {c[0], c[1], c[2], c[3]}}; };
  return {v(x0, y1), v(x1, y1), v(x1, y0), v(x0, y1), v(x1, y0), v(x0, y0)};
}
constexpr float kRedF[4] = {1, 0, 0, 1};
constexpr float kGreenF[4] = {0, 1, 0, 1};
constexpr float kBlueF[4] = {0, 0, 1, 1};

struct ClearCase {
  DXGI_FORMAT format;
  std::array<float, 4> color;
  std::array<float, 4> expected;  // what reads back, after the format's precision
  float tolerance;
};

class ClearColours : public GlTest, public ::testing::WithParamInterface<ClearCase> {};

TEST_P(ClearColours, ReadBackAsTheFormatStoresThem) {
  const ClearCase& c = GetParam();
  Target target;
  MakeTarget(&target, 4, 2, c.format);
  device_->ClearRenderTargetView(target.view.get(), c.color.data());
  const std::vector<float> values = Floats(target.texture.get());
  ASSERT_EQ(values.size(), 4u * 2 * 4);
  for (std::size_t i = 0; i < values.size(); ++i) EXPECT_NEAR(values[i], c.expected[i % 4], c.tolerance) << "value " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ClearColours,
    ::testing::Values(ClearCase{DXGI_FORMAT_R8G8B8A8_UNORM, {0.2f, 0.4f, 0.6f, 0.8f}, {0.2f, 0.4f, 0.6f, 0.8f}, 0.003f},
                      ClearCase{DXGI_FORMAT_B8G8R8A8_UNORM, {1, 0.5f, 0, 1}, {1, 0.5f, 0, 1}, 0.003f},
                      ClearCase{DXGI_FORMAT_R16G16B16A16_FLOAT, {-2, 0.5f, 3.25f, 1}, {-2, 0.5f, 3.25f, 1}, 0.0f},
                      ClearCase{DXGI_FORMAT_R32_FLOAT, {7.5f, 1, 1, 1}, {7.5f, 0, 0, 1}, 0.0f},
                      ClearCase{DXGI_FORMAT_R10G10B10A2_UNORM, {1, 0, 1, 1}, {1, 0, 1, 1}, 0.001f},
                      ClearCase{DXGI_FORMAT_B8G8R8X8_UNORM, {0, 1, 0, 0}, {0, 1, 0, 1}, 0.003f}));

TEST_F(DrawTest, RowZeroIsTheTopAndViewportsPlaceByTopLeft) {
  Target target;
  MakeTarget(&target, 16, 8);
  device_->ClearRenderTargetView(target.view.get(), std::array<float, 4>{0, 0, 0, 0}.data());
  ID3D10RenderTargetView* views[] = {target.view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  // Upper half of clip space, through the whole target.
  Viewport(16, 8);
  DrawTriangles(Quad(-1, 0, 1, 1, 0.5f, kRedF));
  // The whole clip space through a 4x2 viewport at (10, 5).
  Viewport(4, 2, 10, 5);
  DrawTriangles(Quad(-1, -1, 1, 1, 0.5f, kGreenF));
  const std::vector<Rgba8> pixels = Pixels(target.texture.get());
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool inViewport = x >= 10 && x < 14 && y >= 5 && y < 7;
      const Rgba8 expected = inViewport ? kGreen : y < 4 ? kRed : kClear;
      EXPECT_EQ(expected, pixels[y * 16 + x]) << "at " << x << ", " << y;
    }
  }
  UINT count = 1;
  D3D10_VIEWPORT viewport = {};
  device_->RSGetViewports(&count, &viewport);
  EXPECT_EQ(10, viewport.TopLeftX);
  EXPECT_EQ(2u, viewport.Height);
}

// GL's point mode is 0, which once read as "no topology set".
TEST_F(DrawTest, PointListsDraw) {
  Target target;
  MakeTarget(&target, 1, 1);
  device_->ClearRenderTargetView(target.view.get(), std::array<float, 4>{0, 0, 0, 0}.data());
  ID3D10RenderTargetView* views[] = {target.view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  Viewport(1, 1);
  Draw({Vertex{{0, 0, 0.5f}, {0, 1, 0, 1}}}, D3D10_PRIMITIVE_TOPOLOGY_POINTLIST);
  EXPECT_EQ(kGreen, Pixels(target.texture.get())[0]);
}

TEST_F(DrawTest, DepthTestKeepsTheNearerAndClipsOutsideZeroToOne) {
  Target target;
  MakeTarget(&target, 8, 8);
  D3D10_TEXTURE2D_DESC depthDesc = {8, 8, 1, 1, DXGI_FORMAT_D24_UNORM_S8_UINT, {1, 0}, D3D10_USAGE_DEFAULT,
                                    D3D10_BIND_DEPTH_STENCIL, 0, 0};
  Ref<ID3D10Texture2D> depth;
  Ref<ID3D10DepthStencilView> depthView;
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&depthDesc, nullptr, depth.Out()));
  ASSERT_EQ(S_OK, device_->CreateDepthStencilView(depth.get(), nullptr, depthView.Out()));
  device_->ClearRenderTargetView(target.view.get(), std::array<float, 4>{0, 0, 0, 0}.data());
  device_->ClearDepthStencilView(depthView.get(), D3D10_CLEAR_DEPTH, 1.0f, 0);
  ID3D10RenderTargetView* views[] = {target.view.get()};
  device_->OMSetRenderTargets(1, views, depthView.get());
  Viewport(8, 8);
  DrawTriangles(Quad(-1, -1, 0, 1, 0.2f, kRedF));    // left half, near
  DrawTriangles(Quad(-1, -1, 1, 1, 0.8f, kGreenF));  // everything, far
  DrawTriangles(Quad(0, -1, 1, 1, -0.5f, kBlueF));   // right half, in front of the near plane: clipped
  const std::vector<Rgba8> pixels = Pixels(target.texture.get());
  for (int x = 0; x < 8; ++x) EXPECT_EQ(x < 4 ? kRed : kGreen, pixels[3 * 8 + x]) << "at x " << x;
  const std::vector<float> depths = Floats(depth.get());
  EXPECT_NEAR(0.2f, depths[(3 * 8 + 1) * 4], 1e-5f);
  EXPECT_NEAR(0.8f, depths[(3 * 8 + 6) * 4], 1e-5f);
}

TEST_F(DrawTest, EightTargetsAtOnce) {
  const char* pixel = R"(#version 450
layout(location = 0) out vec4 t0; layout(location = 1) out vec4 t1; layout(location = 2) out vec4 t2;
layout(location = 3) out vec4 t3; layout(location = 4) out vec4 t4; layout(location = 5) out vec4 t5;
layout(location = 6) out vec4 t6; layout(location = 7) out vec4 t7;
in vec4 color;
void main() {
  t0 = vec4(0.0, 0, 0, 1); t1 = vec4(1.0 / 8.0, 0, 0, 1); t2 = vec4(2.0 / 8.0, 0, 0, 1); t3 = vec4(3.0 / 8.0, 0, 0, 1);
  t4 = vec4(4.0 / 8.0, 0, 0, 1); t5 = vec4(5.0 / 8.0, 0, 0, 1); t6 = vec4(6.0 / 8.0, 0, 0, 1); t7 = vec4(7.0 / 8.0, 0, 0, 1);
})";
  Ref<IGlslProgram> program = Program(kColorVertexShader, pixel);
  Ref<ID3D10InputLayout> layout = ColorLayout(program.get());
  std::array<Target, 8> targets;
  ID3D10RenderTargetView* views[8];
  for (int i = 0; i < 8; ++i) {
    MakeTarget(&targets[i], 4, 4);
    views[i] = targets[i].view.get();
  }
  device_->OMSetRenderTargets(8, views, nullptr);
  Viewport(4, 4);
  // The helper binds the colour program; swap in the eight-output one sharing its inputs.
  const std::vector<Vertex> quad = Quad(-1, -1, 1, 1, 0.5f, kRedF);
  Ref<ID3D10Buffer> vb = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, quad.data(), UINT(quad.size() * sizeof(Vertex)));
  ID3D10Buffer* buffers[] = {vb.get()};
  const UINT stride = sizeof(Vertex), offset = 0;
  Use(program.get());
  device_->IASetInputLayout(layout.get());
  device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
  device_->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  device_->Draw(6, 0);
  ID3D10RenderTargetView* bound[8] = {};
  device_->OMGetRenderTargets(8, bound, nullptr);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(views[i], bound[i]);
    if (bound[i]) bound[i]->Release();
    const std::vector<Rgba8> pixels = Pixels(targets[i].texture.get());
    EXPECT_NEAR(i * 255.0 / 8.0, pixels[5].r, 1.0) << "target " << i;
  }
}

TEST_F(DrawTest, FourTimesMultisampledTargetResolvesToBlendedEdges) {
  UINT levels = 0;
  ASSERT_EQ(S_OK, device_->CheckMultisampleQualityLevels(DXGI_FORMAT_R8G8B8A8_UNORM, 4, &levels));
  if (levels == 0) GTEST_SKIP() << "the driver offers no 4x multisampling";
  Target msaa, resolved;
  MakeTarget(&msaa, 16, 16, DXGI_FORMAT_R8G8B8A8_UNORM, 4);
  MakeTarget(&resolved, 16, 16, DXGI_FORMAT_R8G8B8A8_UNORM, 1);
  device_->ClearRenderTargetView(msaa.view.get(), std::array<float, 4>{0, 0, 0, 1}.data());
  ID3D10RenderTargetView* views[] = {msaa.view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  Viewport(16, 16);
  // One triangle whose hypotenuse runs corner to corner.
  DrawTriangles({{{-1, 1, 0.5f}, {1, 1, 1, 1}}, {{1, 1, 0.5f}, {1, 1, 1, 1}}, {{-1, -1, 0.5f}, {1, 1, 1, 1}}});
  device_->ResolveSubresource(resolved.texture.get(), 0, msaa.texture.get(), 0, DXGI_FORMAT_R8G8B8A8_UNORM);
  const std::vector<Rgba8> pixels = Pixels(resolved.texture.get());
  int partial = 0;
  for (const Rgba8& p : pixels) partial += p.r > 20 && p.r < 235;
  EXPECT_GE(partial, 8) << "the diagonal should be blended by coverage";
  EXPECT_EQ(255, pixels[0].r);        // inside
  EXPECT_EQ(0, pixels[16 * 16 - 1].r);  // outside
}

TEST_F(DrawTest, SixteenAndThirtyTwoBitIndices) {
  Target target;
  MakeTarget(&target, 4, 4);
  device_->ClearRenderTargetView(target.view.get(), std::array<float, 4>{0, 0, 0, 0}.data());
  ID3D10RenderTargetView* views[] = {target.view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  Viewport(4, 4);
  // The full-target quad sits past index 65535: only whole 32-bit indices reach it.
  std::vector<Vertex> vertices(70006, Vertex{{0, 0, 0.5f}, {0, 0, 0, 1}});
  const std::vector<Vertex> quad = Quad(-1, -1, 1, 1, 0.5f, kBlueF);
  std::copy(quad.begin(), quad.end(), vertices.begin() + 70000);
  const std::vector<Vertex> green = Quad(-1, -1, 1, 1, 0.5f, kGreenF);
  std::copy(green.begin(), green.end(), vertices.begin());
  Ref<ID3D10Buffer> vb = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, vertices.data(), UINT(vertices.size() * sizeof(Vertex)));
  const std::uint32_t wide[] = {70000, 70001, 70002, 70003, 70004, 70005};
  const std::uint16_t narrow[] = {9, 9, 9, 0, 1, 2, 3, 4, 5};  // drawn from index 3 on
  Ref<ID3D10Buffer> wideBuffer = MakeBuffer(D3D10_BIND_INDEX_BUFFER, wide, sizeof wide);
  Ref<ID3D10Buffer> narrowBuffer = MakeBuffer(D3D10_BIND_INDEX_BUFFER, narrow, sizeof narrow);
  ID3D10Buffer* buffers[] = {vb.get()};
  const UINT stride = sizeof(Vertex), offset = 0;
  Use(colorProgram_.get());
  device_->IASetInputLayout(colorLayout_.get());
  device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
  device_->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST);

  device_->IASetIndexBuffer(wideBuffer.get(), DXGI_FORMAT_R32_UINT, 0);
  device_->DrawIndexed(6, 0, 0);
  EXPECT_EQ(kBlue, Pixels(target.texture.get())[5]);
  device_->IASetIndexBuffer(narrowBuffer.get(), DXGI_FORMAT_R16_UINT, 0);
  device_->DrawIndexed(6, 3, 0);
  EXPECT_EQ(kGreen, Pixels(target.texture.get())[5]);
}

TEST_F(DrawTest, InstancesReadPerInstanceDataFromTheirOwnSlot) {
  const char* vertex = R"(#version 450
layout(location = 0) in vec3 POSITION;
layout(location = 1) in vec4 COLOR;
layout(location = 2) in vec2 TEXCOORD1;
out vec4 color;
void main() { gl_Position = vec4(POSITION.xy + TEXCOORD1, POSITION.z, 1.0); color = COLOR; }
)";
  Ref<IGlslProgram> program = Program(vertex, kColorPixelShader);
  const D3D10_INPUT_ELEMENT_DESC elements[] = {
      {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D10_INPUT_PER_VERTEX_DATA, 0},
      {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, D3D10_APPEND_ALIGNED_ELEMENT, D3D10_INPUT_PER_VERTEX_DATA, 0},
      {"TEXCOORD", 1, DXGI_FORMAT_R32G32_FLOAT, 1, 0, D3D10_INPUT_PER_INSTANCE_DATA, 1},
  };
  const void* signature = nullptr;
  SIZE_T size = 0;
  program->GetInputSignature(&signature, &size);
  Ref<ID3D10InputLayout> layout;
  ASSERT_EQ(S_OK, device_->CreateInputLayout(elements, 3, signature, size, layout.Out()));
  // A quad covering the top-left quarter; four instances move it to each quarter.
  const std::vector<Vertex> quad = Quad(-1, 0, 0, 1, 0.5f, kRedF);
  const float offsets[] = {0, 0, 1, 0, 0, -1, 1, -1};
  const std::uint16_t indices[] = {0, 1, 2, 3, 4, 5};
  Ref<ID3D10Buffer> vb = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, quad.data(), UINT(quad.size() * sizeof(Vertex)));
  Ref<ID3D10Buffer> instances = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, offsets, sizeof offsets);
  Ref<ID3D10Buffer> ib = MakeBuffer(D3D10_BIND_INDEX_BUFFER, indices, sizeof indices);
  Target target;
  MakeTarget(&target, 8, 8);
  device_->ClearRenderTargetView(target.view.get(), std::array<float, 4>{0, 0, 0, 0}.data());
  ID3D10RenderTargetView* views[] = {target.view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  Viewport(8, 8);
  ID3D10Buffer* buffers[] = {vb.get(), instances.get()};
  const UINT strides[] = {sizeof(Vertex), 8}, zero[] = {0, 0};
  Use(program.get());
  device_->IASetInputLayout(layout.get());
  device_->IASetVertexBuffers(0, 2, buffers, strides, zero);
  device_->IASetIndexBuffer(ib.get(), DXGI_FORMAT_R16_UINT, 0);
  device_->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  device_->DrawIndexedInstanced(6, 3, 0, 0, 0);  // three of the four quarters
  const std::vector<Rgba8> pixels = Pixels(target.texture.get());
  EXPECT_EQ(kRed, pixels[1 * 8 + 1]);  // top left
  EXPECT_EQ(kRed, pixels[1 * 8 + 6]);  // top right
  EXPECT_EQ(kRed, pixels[6 * 8 + 1]);  // bottom left
  EXPECT_EQ(kClear, pixels[6 * 8 + 6]);  // the fourth instance was not asked for
}

struct CullCase {
  const char* name;
  bool clockwiseOnScreen;
  BOOL frontCounterClockwise;
  D3D10_CULL_MODE cull;
  bool drawn;
};

class Culling : public GlTest, public ::testing::WithParamInterface<CullCase> {};

TEST_P(Culling, FollowsTheWindingAsSeenOnScreen) {
  const CullCase& c = GetParam();
  D3D10_RASTERIZER_DESC desc = {D3D10_FILL_SOLID, c.cull, c.frontCounterClockwise, 0, 0, 0, TRUE, FALSE, FALSE, FALSE};
  Ref<ID3D10RasterizerState> state;
  ASSERT_EQ(S_OK, device_->CreateRasterizerState(&desc, state.Out()));
  Target target;
  MakeTarget(&target, 4, 4);
  device_->ClearRenderTargetView(target.view.get(), std::array<float, 4>{0, 0, 0, 0}.data());
  ID3D10RenderTargetView* views[] = {target.view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  device_->RSSetState(state.get());
  Viewport(4, 4);
  // Top left, top right, bottom left: clockwise as seen with y pointing down the screen.
  std::vector<Vertex> triangle = {{{-1, 1, 0.5f}, {1, 0, 0, 1}}, {{1, 1, 0.5f}, {1, 0, 0, 1}},
                                  {{-1, -1, 0.5f}, {1, 0, 0, 1}}};
  if (!c.clockwiseOnScreen) std::swap(triangle[1], triangle[2]);
  DrawTriangles(triangle);
  EXPECT_EQ(c.drawn ? kRed : kClear, Pixels(target.texture.get())[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Windings, Culling,
    ::testing::Values(CullCase{"ClockwiseFrontCullBack", true, FALSE, D3D10_CULL_BACK, true},
                      CullCase{"CounterClockwiseCullBack", false, FALSE, D3D10_CULL_BACK, false},
                      CullCase{"ClockwiseCullFront", true, FALSE, D3D10_CULL_FRONT, false},
                      CullCase{"CounterClockwiseCullFront", false, FALSE, D3D10_CULL_FRONT, true},
                      CullCase{"CounterClockwiseFrontCullBack", false, TRUE, D3D10_CULL_BACK, true},
                      CullCase{"ClockwiseWithCounterClockwiseFront", true, TRUE, D3D10_CULL_BACK, false},
                      CullCase{"NoCulling", false, FALSE, D3D10_CULL_NONE, true}),
    [](const ::testing::TestParamInfo<CullCase>& param) { return std::string(param.param.name); });

TEST_F(DrawTest, DefaultStateCullsCounterClockwiseTriangles) {
  Target target;
  MakeTarget(&target, 4, 4);
  device_->ClearRenderTargetView(target.view.get(), std::array<float, 4>{0, 0, 0, 0}.data());
  ID3D10RenderTargetView* views[] = {target.view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  Viewport(4, 4);
  DrawTriangles({{{-1, 1, 0.5f}, {1, 0, 0, 1}}, {{-1, -1, 0.5f}, {1, 0, 0, 1}}, {{1, 1, 0.5f}, {1, 0, 0, 1}}});
  EXPECT_EQ(kClear, Pixels(target.texture.get())[0]);
}

// The device sends a pass's fixed-function state only where it differs from what GL
// has; a clear opens the write masks for itself, so a draw after it with the very same
// blend state must close them again.
TEST_F(DrawTest, AWriteMaskHoldsAgainAfterAClearBetweenTwoDraws) {
  D3D10_BLEND_DESC blend = {};
  blend.SrcBlend = blend.SrcBlendAlpha = D3D10_BLEND_ONE;
  blend.DestBlend = blend.DestBlendAlpha = D3D10_BLEND_ZERO;
  blend.BlendOp = blend.BlendOpAlpha = D3D10_BLEND_OP_ADD;
  blend.RenderTargetWriteMask[0] = D3D10_COLOR_WRITE_ENABLE_GREEN;
  Ref<ID3D10BlendState> greenOnly;
  ASSERT_EQ(S_OK, device_->CreateBlendState(&blend, greenOnly.Out()));
  Target target;
  MakeTarget(&target, 4, 4);
  ID3D10RenderTargetView* views[] = {target.view.get()};
  for (int round = 0; round < 2; ++round) {
    device_->ClearRenderTargetView(target.view.get(), std::array<float, 4>{0, 0, 1, 1}.data());
    device_->OMSetRenderTargets(1, views, nullptr);
    device_->OMSetBlendState(greenOnly.get(), nullptr, 0xFFFFFFFF);
    Viewport(4, 4);
    DrawTriangles(Quad(-1, -1, 1, 1, 0.5f, kGreenF));
    // Green written over the clear's blue, which the mask keeps.
    for (const Rgba8& pixel : Pixels(target.texture.get())) {
      EXPECT_EQ((Rgba8{0, 255, 255, 255}), pixel) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace gltest
