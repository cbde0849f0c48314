#include "tests/gl/gl_fixture.h"

#include <epoxy/gl.h>

#include "support/golden_image.h"

#include <cstdlib>
#include <cstring>
#include <ostream>

namespace gltest {

std::ostream& operator<<(std::ostream& out, const Rgba8& c) {
  return out << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}

const char* const kColorVertexShader = R"(#version 450
layout(location = 0) in vec3 POSITION;
layout(location = 1) in vec4 COLOR;
out vec4 color;
void main() { gl_Position = vec4(POSITION, 1.0); color = COLOR; }
)";

const char* const kColorPixelShader = R"(#version 450
in vec4 color;
layout(location = 0) out vec4 target0;
void main() { target0 = color; }
)";

void GlTest::SetUp() {
  HRESULT hr = D3D10CreateDevice(nullptr, D3D10_DRIVER_TYPE_HARDWARE, nullptr, 0, D3D10_SDK_VERSION, &device_);
  if (FAILED(hr)) GTEST_SKIP() << "no EGL device can be made here; the platform: line above says why";
  ASSERT_EQ(S_OK, device_->QueryInterface(__uuidof(IGlslDevice), reinterpret_cast<void**>(&glsl_)));
  ASSERT_EQ(S_OK, glsl_->CreateGlslProgram(kColorVertexShader, nullptr, kColorPixelShader, colorProgram_.Out()));
  colorLayout_ = ColorLayout(colorProgram_.get());
}

void GlTest::TearDown() {
  colorProgram_.Reset();
  colorLayout_.Reset();
  if (glsl_) glsl_->Release();
  if (device_) device_->Release();
  EXPECT_EQ(0, platform::LiveGlObjects()) << "a GL object outlived its device";
}

Ref<IGlslProgram> GlTest::Program(const char* vertex, const char* pixel, const char* geometry) {
  Ref<IGlslProgram> program;
  EXPECT_EQ(S_OK, glsl_->CreateGlslProgram(vertex, geometry, pixel, program.Out()));
  return program;
}

void GlTest::MakeTarget(Target* target, UINT width, UINT height, DXGI_FORMAT format, UINT samples, UINT bind) {
  D3D10_TEXTURE2D_DESC desc = {width, height, 1, 1, format, {samples, 0}, D3D10_USAGE_DEFAULT, bind, 0, 0};
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&desc, nullptr, target->texture.Out()));
  ASSERT_EQ(S_OK, device_->CreateRenderTargetView(target->texture.get(), nullptr, target->view.Out()));
}

Ref<ID3D10Buffer> GlTest::MakeBuffer(UINT bind, const void* data, UINT bytes) {
  D3D10_BUFFER_DESC desc = {bytes, D3D10_USAGE_IMMUTABLE, bind, 0, 0};
  D3D10_SUBRESOURCE_DATA initial = {data, 0, 0};
  Ref<ID3D10Buffer> buffer;
  EXPECT_EQ(S_OK, device_->CreateBuffer(&desc, &initial, buffer.Out()));
  return buffer;
}

Ref<ID3D10Buffer> GlTest::MakeStreamBuffer(UINT bytes, const void* data) {
  D3D10_BUFFER_DESC desc = {bytes, D3D10_USAGE_DEFAULT, D3D10_BIND_VERTEX_BUFFER | D3D10_BIND_STREAM_OUTPUT, 0, 0};
  D3D10_SUBRESOURCE_DATA initial = {data, 0, 0};
  Ref<ID3D10Buffer> buffer;
  EXPECT_EQ(S_OK, device_->CreateBuffer(&desc, data ? &initial : nullptr, buffer.Out()));
  return buffer;
}

std::vector<float> GlTest::BufferFloats(ID3D10Buffer* buffer) {
  D3D10_BUFFER_DESC desc;
  buffer->GetDesc(&desc);
  std::vector<float> values(desc.ByteWidth / 4);
  glGetNamedBufferSubData(platform::GlNameOf(buffer), 0, desc.ByteWidth, values.data());
  return values;
}

void GlTest::DrawInto(Target* target, UINT width, UINT height) {
  MakeTarget(target, width, height);
  const float nothing[4] = {0, 0, 0, 0};
  device_->ClearRenderTargetView(target->view.get(), nothing);
  ID3D10RenderTargetView* views[] = {target->view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  Viewport(width, height);
}

Ref<ID3D10InputLayout> GlTest::ColorLayout(IGlslProgram* program) {
  const D3D10_INPUT_ELEMENT_DESC elements[] = {
      {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D10_INPUT_PER_VERTEX_DATA, 0},
      {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 12, D3D10_INPUT_PER_VERTEX_DATA, 0},
  };
  const void* signature = nullptr;
  SIZE_T size = 0;
  program->GetInputSignature(&signature, &size);
  Ref<ID3D10InputLayout> layout;
  EXPECT_EQ(S_OK, device_->CreateInputLayout(elements, 2, signature, size, layout.Out()));
  return layout;
}

void GlTest::Viewport(UINT width, UINT height, INT x, INT y) {
  D3D10_VIEWPORT viewport = {x, y, width, height, 0.0f, 1.0f};
  device_->RSSetViewports(1, &viewport);
}

void GlTest::DrawTriangles(const std::vector<Vertex>& vertices) {
  Draw(vertices, D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
}

void GlTest::Draw(const std::vector<Vertex>& vertices, D3D10_PRIMITIVE_TOPOLOGY topology) {
  std::vector<std::uint16_t> indices(vertices.size());
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint16_t>(i);
  Ref<ID3D10Buffer> vb = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, vertices.data(), UINT(vertices.size() * sizeof(Vertex)));
  Ref<ID3D10Buffer> ib = MakeBuffer(D3D10_BIND_INDEX_BUFFER, indices.data(), UINT(indices.size() * 2));
  ID3D10Buffer* buffers[] = {vb.get()};
  const UINT stride = sizeof(Vertex), offset = 0;
  Use(colorProgram_.get());
  device_->IASetInputLayout(colorLayout_.get());
  device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
  device_->IASetIndexBuffer(ib.get(), DXGI_FORMAT_R16_UINT, 0);
  device_->IASetPrimitiveTopology(topology);
  device_->DrawIndexed(UINT(indices.size()), 0, 0);
}

std::vector<Rgba8> GlTest::Pixels(ID3D10Texture2D* texture, UINT subresource) {
  UINT width = 0, height = 0;
  std::vector<std::uint8_t> bytes;
  EXPECT_EQ(S_OK, platform::ReadTextureRgba8(texture, subresource, &width, &height, &bytes));
  std::vector<Rgba8> pixels(bytes.size() / 4);
  if (!bytes.empty()) std::memcpy(pixels.data(), bytes.data(), bytes.size());
  return pixels;
}

std::vector<float> GlTest::Floats(ID3D10Texture2D* texture, UINT subresource) {
  UINT width = 0, height = 0;
  std::vector<float> values;
  EXPECT_EQ(S_OK, platform::ReadTexturePixels(texture, subresource, &width, &height, &values));
  return values;
}

::testing::AssertionResult MatchesGolden(const std::string& name, const std::vector<Rgba8>& pixels, unsigned width,
                                         unsigned height, int tolerance, unsigned maxBadPixels) {
  testing_support::Image image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  for (const Rgba8& p : pixels) image.rgb.insert(image.rgb.end(), {p.r, p.g, p.b});
  return testing_support::MatchesGolden(NEBLU_GOLDEN_DIR, name, image, tolerance, static_cast<int>(maxBadPixels));
}

}  // namespace gltest
