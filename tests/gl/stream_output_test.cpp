// Stream output through the device: what a capture writes, where the next one starts,
// what DrawAuto draws, and captures that must not rasterize. Buffers are read back
// through GL, which the device's context has current after any call.

#include <epoxy/gl.h>

#include <array>
#include <vector>

#include "tests/gl/gl_fixture.h"

namespace gltest {
namespace {

// Writes each point's position doubled, and its colour's red, per vertex.
constexpr const char* kDoubling = R"(#version 450
layout(location = 0) in vec3 POSITION;
layout(location = 1) in vec4 COLOR;
out vec4 out_DOUBLED;
out float out_RED;
void main() { gl_Position = vec4(POSITION, 1.0); out_DOUBLED = vec4(POSITION * 2.0, 1.0); out_RED = COLOR.r; }
)";

// Two points for every point in, at x - 0.5 and x + 0.5, carrying the colour on.
constexpr const char* kSplitVertex = R"(#version 450
layout(location = 0) in vec3 POSITION;
layout(location = 1) in vec4 COLOR;
out vec4 colourIn;
void main() { gl_Position = vec4(POSITION, 1.0); colourIn = COLOR; }
)";
constexpr const char* kSplitGeometry = R"(#version 450
layout(points) in;
layout(points, max_vertices = 2) out;
in vec4 colourIn[];
layout(location = 0) out vec3 out_POSITION;
layout(location = 1) out vec4 out_COLOR;
void main() {
  for (int i = 0; i < 2; ++i) {
    out_POSITION = gl_in[0].gl_Position.xyz + vec3(i == 0 ? -0.5 : 0.5, 0.0, 0.0);
    out_COLOR = colourIn[0];
    gl_Position = vec4(out_POSITION, 1.0);
    EmitVertex();
  }
  EndPrimitive();
}
)";

class StreamOutputTest : public GlTest {
 protected:
  Ref<IGlslProgram> Capturing(const char* vertex, const char* geometry, const char* pixel,
                              std::vector<const char*> varyings) {
    Ref<IGlslProgram> program;
    EXPECT_EQ(S_OK, glsl_->CreateGlslProgramWithStreamOutput(vertex, geometry, pixel, varyings.data(),
                                                             UINT(varyings.size()), program.Out()));
    return program;
  }
  static void Fill(ID3D10Buffer* buffer, float value) {
    D3D10_BUFFER_DESC desc;
    buffer->GetDesc(&desc);
    std::vector<float> values(desc.ByteWidth / 4, value);
    glNamedBufferSubData(platform::GlNameOf(buffer), 0, desc.ByteWidth, values.data());
  }
  // Binds `program` with the colour layout over `points` as a point list.
  Ref<ID3D10Buffer> UsePoints(IGlslProgram* program, const std::vector<Vertex>& points) {
    Ref<ID3D10Buffer> vb = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, points.data(), UINT(points.size() * sizeof(Vertex)));
    ID3D10Buffer* buffers[] = {vb.get()};
    const UINT stride = sizeof(Vertex), offset = 0;
    Use(program);
    device_->IASetInputLayout(colorLayout_.get());
    device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
    device_->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_POINTLIST);
    return vb;
  }
  void Targets(std::vector<ID3D10Buffer*> buffers, std::vector<UINT> offsets) {
    device_->SOSetTargets(UINT(buffers.size()), buffers.data(), offsets.data());
  }
};

const std::vector<Vertex> kThreePoints = {{{0.25f, 0, 0}, {1, 0, 0, 1}},
                                          {{0.5f, 0.5f, 0}, {0.5f, 0, 0, 1}},
                                          {{-0.75f, 0.25f, 0.5f}, {0, 1, 0, 1}}};

TEST_F(StreamOutputTest, DrawsAppendBufferAfterBufferWithGapsWhereAsked) {
  // Buffer 0 takes the doubled position and a one-float gap; buffer 1 the red alone.
  Ref<IGlslProgram> program =
      Capturing(kDoubling, nullptr, nullptr, {"out_DOUBLED", "gl_SkipComponents1", "gl_NextBuffer", "out_RED"});
  ASSERT_TRUE(program);
  Ref<ID3D10Buffer> first = MakeStreamBuffer(6 * 5 * 4), second = MakeStreamBuffer(8 * 4);
  Fill(first.get(), -9);
  Fill(second.get(), -9);
  Target target;
  DrawInto(&target, 4, 4);
  Ref<ID3D10Buffer> vb = UsePoints(program.get(), kThreePoints);
  Targets({first.get(), second.get()}, {0, 4});
  device_->Draw(3, 0);
  device_->Draw(2, 1);  // appends after the first draw's three
  Targets({}, {});

  const std::vector<float> a = BufferFloats(first.get());
  const float expectedA[] = {0.5f, 0, 0, 1,  -9, 1, 1, 0, 1, -9, -1.5f, 0.5f, 1, 1, -9,
                             1,    1, 0, 1, -9, -1.5f, 0.5f, 1, 1, -9, -9,   -9,  -9, -9, -9};
  ASSERT_EQ(a.size(), std::size(expectedA));
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_FLOAT_EQ(expectedA[i], a[i]) << "float " << i;
  const std::vector<float> b = BufferFloats(second.get());
  const float expectedB[] = {-9, 1, 0.5f, 0, 0.5f, 0, -9, -9};
  for (std::size_t i = 0; i < b.size(); ++i) EXPECT_FLOAT_EQ(expectedB[i], b[i]) << "float " << i;
  // No pixel stage and no depth test: nothing reached the target.
  for (const Rgba8& p : Pixels(target.texture.get())) EXPECT_EQ(kClear, p);
}

TEST_F(StreamOutputTest, DrawAutoDrawsWhatTheGeometryStageWroteAndAppendingCarriesOn) {
  Ref<IGlslProgram> split = Capturing(kSplitVertex, kSplitGeometry, nullptr, {"out_POSITION", "out_COLOR"});
  ASSERT_TRUE(split);
  const UINT stride = 7 * 4;
  Ref<ID3D10Buffer> stream = MakeStreamBuffer(8 * stride);
  Ref<ID3D10Buffer> vb = UsePoints(split.get(), {{{-0.25f, 0.75f, 0}, {1, 0, 0, 1}}});
  Targets({stream.get()}, {0});
  device_->Draw(1, 0);
  Targets({}, {});

  // Drawn with the colour program: two red points on pixel centres of the top row.
  Target target;
  DrawInto(&target, 4, 4);
  ID3D10Buffer* buffers[] = {stream.get()};
  const UINT offset = 0;
  Use(colorProgram_.get());
  device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
  device_->DrawAuto();
  std::vector<Rgba8> pixels = Pixels(target.texture.get());
  int red = 0;
  for (const Rgba8& p : pixels) red += p == kRed;
  EXPECT_EQ(2, red);
  EXPECT_EQ(kRed, pixels[0]);
  EXPECT_EQ(kRed, pixels[2]);

  // Bound again at "after what it holds": the next capture lands behind the first two.
  vb = UsePoints(split.get(), {{{0.25f, -0.75f, 0}, {0, 0, 1, 1}}});
  Targets({stream.get()}, {~0u});
  device_->Draw(1, 0);
  Targets({}, {});
  const std::vector<float> values = BufferFloats(stream.get());
  EXPECT_FLOAT_EQ(-0.75f, values[0]);
  EXPECT_FLOAT_EQ(0.25f, values[7]);
  EXPECT_FLOAT_EQ(-0.25f, values[14]);
  EXPECT_FLOAT_EQ(1.0f, values[14 + 5]);  // the blue of the third point
  EXPECT_FLOAT_EQ(0.75f, values[21]);

  device_->ClearRenderTargetView(target.view.get(), std::array<float, 4>{0, 0, 0, 0}.data());
  Use(colorProgram_.get());
  device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
  device_->DrawAuto();
  pixels = Pixels(target.texture.get());
  int lit = 0;
  for (const Rgba8& p : pixels) lit += p == kRed || p == kBlue;
  EXPECT_EQ(4, lit);
  EXPECT_EQ(kBlue, pixels[3 * 4 + 1]);
  EXPECT_EQ(kBlue, pixels[3 * 4 + 3]);
}

TEST_F(StreamOutputTest, AFullBufferTakesNoMoreAndDrawAutoDrawsOnlyWhatFits) {
  Ref<IGlslProgram> program = Capturing(kDoubling, nullptr, nullptr, {"out_DOUBLED"});
  Ref<ID3D10Buffer> stream = MakeStreamBuffer(2 * 16);
  Ref<ID3D10Buffer> vb = UsePoints(program.get(), kThreePoints);
  Targets({stream.get()}, {0});
  device_->Draw(3, 0);
  device_->Draw(3, 0);  // no room left: GL binds no empty range, and nothing is written
  Targets({}, {});
  const std::vector<float> values = BufferFloats(stream.get());
  EXPECT_FLOAT_EQ(0.5f, values[0]);
  EXPECT_FLOAT_EQ(1.0f, values[4]);
  // Drawn with a program of its own: two vertices, never three.
  Ref<IGlslProgram> counting = Capturing(R"(#version 450
layout(location = 0) in vec4 POSITION;
out vec4 out_SEEN;
void main() { gl_Position = POSITION; out_SEEN = POSITION; }
)", nullptr, nullptr, {"out_SEEN"});
  Ref<ID3D10Buffer> seen = MakeStreamBuffer(4 * 16);
  Fill(seen.get(), -9);
  const D3D10_INPUT_ELEMENT_DESC element = {"POSITION", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 0,
                                            D3D10_INPUT_PER_VERTEX_DATA, 0};
  const void* signature = nullptr;
  SIZE_T size = 0;
  counting->GetInputSignature(&signature, &size);
  Ref<ID3D10InputLayout> layout;
  ASSERT_EQ(S_OK, device_->CreateInputLayout(&element, 1, signature, size, layout.Out()));
  ID3D10Buffer* buffers[] = {stream.get()};
  const UINT stride = 16, offset = 0;
  Use(counting.get());
  device_->IASetInputLayout(layout.get());
  device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
  Targets({seen.get()}, {0});
  device_->DrawAuto();
  Targets({}, {});
  const std::vector<float> copied = BufferFloats(seen.get());
  EXPECT_FLOAT_EQ(1.0f, copied[4]);
  EXPECT_FLOAT_EQ(-9.0f, copied[8]);
}

TEST_F(StreamOutputTest, TargetsReadBackHeldAndWrongBuffersAreRefused) {
  Ref<ID3D10Buffer> stream = MakeStreamBuffer(64);
  Ref<ID3D10Buffer> plain = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, std::array<float, 16>{}.data(), 64);
  Targets({stream.get(), plain.get()}, {16, 0});
  std::array<ID3D10Buffer*, 4> got = {};
  std::array<UINT, 4> offsets = {7, 7, 7, 7};
  device_->SOGetTargets(4, got.data(), offsets.data());
  EXPECT_EQ(stream.get(), got[0]);
  EXPECT_EQ(16u, offsets[0]);
  EXPECT_EQ(nullptr, got[1]);  // not made for stream output
  EXPECT_EQ(nullptr, got[3]);
  if (got[0]) got[0]->Release();
  // DrawAuto from a buffer stream output never wrote draws nothing, and says why when
  // the buffer cannot be streamed into at all.
  ID3D10Buffer* buffers[] = {plain.get()};
  const UINT stride = 16, offset = 0;
  Use(colorProgram_.get());
  device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
  device_->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_POINTLIST);
  testing::internal::CaptureStderr();
  device_->DrawAuto();
  EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("DrawAuto"));
  device_->ClearState();
  device_->SOGetTargets(1, got.data(), nullptr);
  EXPECT_EQ(nullptr, got[0]);
}

TEST_F(StreamOutputTest, ProgramsThatCaptureNothingNamedOrWhatIsNotWrittenAreRefused) {
  Ref<IGlslProgram> program;
  const char* none[] = {"out_MISSING"};
  testing::internal::CaptureStderr();
  EXPECT_EQ(E_FAIL, glsl_->CreateGlslProgramWithStreamOutput(kDoubling, nullptr, nullptr, none, 1, program.Out()));
  EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("does not link"));
  EXPECT_EQ(E_INVALIDARG, glsl_->CreateGlslProgramWithStreamOutput(kDoubling, nullptr, nullptr, none, 0, program.Out()));
  const char* five[] = {"out_RED", "gl_NextBuffer", "out_RED", "gl_NextBuffer", "out_RED",
                        "gl_NextBuffer", "out_RED", "gl_NextBuffer", "out_RED"};
  testing::internal::CaptureStderr();
  EXPECT_EQ(E_INVALIDARG, glsl_->CreateGlslProgramWithStreamOutput(kDoubling, nullptr, nullptr, five, 9, program.Out()));
  testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace gltest
