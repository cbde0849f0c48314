// The overlay's renderer on a headless EGL context: a panel against a golden image under
// either clip origin, clipping with a framebuffer scale, lists past 16-bit indices, and
// the GL state the device set, which it must draw through and leave as it was. Skips,
// saying why, where no EGL context can be made.

#include <epoxy/gl.h>
#include <gtest/gtest.h>
#include <imgui.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/gl/context.h"
#include "platform/overlay/renderer.h"
#include "support/golden_image.h"

namespace {

constexpr std::uint8_t kBackground[3] = {25, 50, 75};

class OverlayRendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    surface_ = platform::CreateHeadlessGlSurface(&error);
    if (!surface_) GTEST_SKIP() << "no EGL context can be made here: " << error;
    ASSERT_TRUE(surface_->EnsureCurrent());
    context_ = ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;
    renderer_ = platform::OverlayRenderer::Create(ImGui::GetIO(), &error);
    ASSERT_NE(renderer_, nullptr) << error;
  }
  void TearDown() override {
    renderer_.reset();
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteTextures(1, &target_);
    if (context_) ImGui::DestroyContext(context_);
    surface_.reset();
  }

  // `frames` UI frames of width x height display pixels (windows settle their sizes over
  // the first few); the last one's draw data.
  static const ImDrawData& Frame(int width, int height, const std::function<void()>& build, float scale = 1.0f,
                                 int frames = 1) {
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(width), static_cast<float>(height));
    io.DisplayFramebufferScale = ImVec2(scale, scale);
    for (int i = 0; i < frames; ++i) {
      ImGui::NewFrame();
      build();
      ImGui::Render();
    }
    return *ImGui::GetDrawData();
  }

  // An RGBA8 target, bound for drawing and cleared to the background.
  void Target(int width, int height) {
    if (!framebuffer_) {
      glCreateTextures(GL_TEXTURE_2D, 1, &target_);
      glTextureStorage2D(target_, 1, GL_RGBA8, width, height);
      glCreateFramebuffers(1, &framebuffer_);
      glNamedFramebufferTexture(framebuffer_, GL_COLOR_ATTACHMENT0, target_, 0);
    }
    image_ = {width, height, {}};
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    const GLfloat background[4] = {kBackground[0] / 255.0f, kBackground[1] / 255.0f, kBackground[2] / 255.0f, 1.0f};
    glClearNamedFramebufferfv(framebuffer_, GL_COLOR, 0, background);
  }

  // The target as RGB, top row first.
  const testing_support::Image& Pixels() {
    const std::size_t w = static_cast<std::size_t>(image_.width), h = static_cast<std::size_t>(image_.height);
    std::vector<std::uint8_t> rgba(w * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTextureImage(target_, 0, GL_RGBA, GL_UNSIGNED_BYTE, static_cast<GLsizei>(rgba.size()), rgba.data());
    image_.rgb.clear();
    for (std::size_t y = h; y-- > 0;) {
      for (std::size_t x = 0; x < w; ++x) image_.rgb.insert(image_.rgb.end(), &rgba[(y * w + x) * 4], &rgba[(y * w + x) * 4 + 3]);
    }
    return image_;
  }
  std::vector<int> At(int x, int y) const {
    const std::uint8_t* p = &image_.rgb[(static_cast<std::size_t>(y) * image_.width + x) * 3];
    return {p[0], p[1], p[2]};
  }

  std::unique_ptr<platform::GlSurface> surface_;
  ImGuiContext* context_ = nullptr;
  std::unique_ptr<platform::OverlayRenderer> renderer_;
  GLuint framebuffer_ = 0, target_ = 0;
  testing_support::Image image_;
};

const std::vector<int> kBack{kBackground[0], kBackground[1], kBackground[2]}, kWhite{255, 255, 255};

// A panel as the authoring tools draw them: title bar, text, a button, a coloured swatch,
// and a child region too small for its lines, which must be clipped to it.
void Panel() {
  ImGui::SetNextWindowPos(ImVec2(8, 8));
  ImGui::SetNextWindowSize(ImVec2(224, 176));
  ImGui::Begin("Timeline");
  ImGui::Text("part 3 of 7, frame %d", 1234);
  ImGui::Button("Reload effects");
  const ImVec2 at = ImGui::GetCursorScreenPos();
  ImGui::GetWindowDrawList()->AddRectFilled(at, ImVec2(at.x + 48, at.y + 16), IM_COL32(255, 128, 0, 255));
  ImGui::Dummy(ImVec2(48, 16));
  ImGui::BeginChild("log", ImVec2(150, 48), true);
  for (int i = 0; i < 8; ++i) ImGui::Text("line %d is wider than the child region", i);
  ImGui::EndChild();
  ImGui::End();
}

// The device draws with the upper-left clip origin, a window or a test may use the usual
// one; the picture must not care.
class OverlayRendererClipOrigin : public OverlayRendererTest, public ::testing::WithParamInterface<GLenum> {};

TEST_P(OverlayRendererClipOrigin, DrawsAPanelAsTheGoldenShowsIt) {
  glClipControl(GetParam(), GL_ZERO_TO_ONE);
  const ImDrawData& data = Frame(240, 192, Panel, 1.0f, 3);
  Target(240, 192);
  renderer_->Draw(data);
  ASSERT_EQ(GL_NO_ERROR, glGetError());
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_GOLDEN_DIR, "overlay_panel", Pixels(), 2, 0));
}

INSTANTIATE_TEST_SUITE_P(BothOrigins, OverlayRendererClipOrigin, ::testing::Values(GL_LOWER_LEFT, GL_UPPER_LEFT),
                         [](const ::testing::TestParamInfo<GLenum>& origin) {
                           return std::string(origin.param == GL_UPPER_LEFT ? "UpperLeft" : "LowerLeft");
                         });

// Clip rectangles are display coordinates from the top; the scissor box is framebuffer
// pixels from the bottom, scaled.
TEST_F(OverlayRendererTest, ClipsInFramebufferPixelsFromTheBottomWithTheScale) {
  const ImDrawData& data = Frame(64, 48, [] {
    ImDrawList* list = ImGui::GetForegroundDrawList();
    list->PushClipRect(ImVec2(10, 20), ImVec2(30, 40));
    list->AddRectFilled(ImVec2(0, 0), ImVec2(64, 48), IM_COL32_WHITE);
    list->PopClipRect();
  }, 2.0f);
  Target(128, 96);
  renderer_->Draw(data);
  Pixels();
  for (int y = 0; y < 96; ++y) {
    for (int x = 0; x < 128; ++x) {
      const bool inside = x >= 20 && x < 60 && y >= 40 && y < 80;
      ASSERT_EQ(inside ? kWhite : kBack, At(x, y)) << "at " << x << "," << y;
    }
  }
}

// 20,000 one-pixel squares are 80,000 vertices: ImGui starts commands at vertex offsets
// to keep 16-bit indices, and the buffers must grow past the first frame's size.
TEST_F(OverlayRendererTest, DrawsListsPastSixtyFourThousandVertices) {
  constexpr int kWidth = 160, kHeight = 125;
  Target(kWidth, kHeight);
  renderer_->Draw(Frame(kWidth, kHeight, [] { ImGui::GetForegroundDrawList()->AddRectFilled({0, 0}, {1, 1}, IM_COL32_BLACK); }));
  const ImDrawData& data = Frame(kWidth, kHeight, [] {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const ImVec2 at(static_cast<float>(x), static_cast<float>(y));
        ImGui::GetForegroundDrawList()->AddRectFilled(at, ImVec2(at.x + 1, at.y + 1), IM_COL32(x, y, 200, 255));
      }
    }
  });
  ASSERT_GT(data.CmdLists[data.CmdListsCount - 1]->CmdBuffer.back().VtxOffset, 0u) << "no vertex offsets: tests nothing";
  renderer_->Draw(data);
  Pixels();
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) ASSERT_EQ((std::vector<int>{x, y, 200}), At(x, y)) << "at " << x << "," << y;
  }
}

// Every value the renderer might change, named, as GL reports it now.
std::vector<std::pair<std::string, GLint>> GlState() {
  std::vector<std::pair<std::string, GLint>> s;
  const auto integer = [&](const std::string& name, GLenum pname, GLuint index = ~0u, int count = 1) {
    GLint v[4] = {};
    index == ~0u ? glGetIntegerv(pname, v) : glGetIntegeri_v(pname, index, v);
    for (int i = 0; i < count; ++i) s.emplace_back(name + " " + std::to_string(index) + "." + std::to_string(i), v[i]);
  };
  const GLenum single[] = {GL_CURRENT_PROGRAM, GL_VERTEX_ARRAY_BINDING, GL_ARRAY_BUFFER_BINDING,
                           GL_ELEMENT_ARRAY_BUFFER_BINDING, GL_ACTIVE_TEXTURE, GL_UNPACK_ALIGNMENT,
                           GL_DRAW_FRAMEBUFFER_BINDING, GL_CLIP_ORIGIN, GL_POLYGON_MODE};
  for (GLenum pname : single) integer("pname " + std::to_string(pname), pname);
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  glActiveTexture(GL_TEXTURE0);
  integer("texture 2D on unit 0", GL_TEXTURE_BINDING_2D);
  integer("sampler on unit 0", GL_SAMPLER_BINDING);
  glActiveTexture(static_cast<GLenum>(active));
  const GLenum perIndex[] = {GL_BLEND_SRC_RGB, GL_BLEND_DST_RGB, GL_BLEND_SRC_ALPHA, GL_BLEND_DST_ALPHA,
                             GL_BLEND_EQUATION_RGB, GL_BLEND_EQUATION_ALPHA};
  for (GLuint i = 0; i < 2; ++i) {
    for (GLenum pname : perIndex) integer("pname " + std::to_string(pname), pname, i);
    integer("scissor box", GL_SCISSOR_BOX, i, 4);
    integer("viewport", GL_VIEWPORT, i, 4);
    s.emplace_back("blend " + std::to_string(i), glIsEnabledi(GL_BLEND, i));
    s.emplace_back("scissor test " + std::to_string(i), glIsEnabledi(GL_SCISSOR_TEST, i));
    GLboolean mask[4] = {};
    glGetBooleani_v(GL_COLOR_WRITEMASK, i, mask);
    s.emplace_back("colour mask " + std::to_string(i), mask[0] | mask[1] << 1 | mask[2] << 2 | mask[3] << 3);
  }
  const GLenum caps[] = {GL_CULL_FACE, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_FRAMEBUFFER_SRGB, GL_PRIMITIVE_RESTART,
                         GL_PRIMITIVE_RESTART_FIXED_INDEX};
  for (GLenum cap : caps) s.emplace_back("enabled " + std::to_string(cap), glIsEnabled(cap));
  return s;
}

// Made and drawn over state such as the device leaves (per-target blending and masks,
// the upper-left clip origin, wireframe, culling, tests on, unit 3 active), the UI still
// comes out filled and blended, and every value is as it was.
TEST_F(OverlayRendererTest, DrawsThroughWhateverTheDeviceLeftAndPutsItAllBack) {
  renderer_.reset();
  GLuint vertexArray = 0, buffers[2] = {}, texture = 0, sampler = 0;
  const GLuint program = glCreateProgram();
  const char* source = "#version 450 core\nvoid main() { gl_Position = vec4(0.0); }\n";
  const GLuint shader = glCreateShader(GL_VERTEX_SHADER);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  glAttachShader(program, shader);
  glLinkProgram(program);
  glDeleteShader(shader);
  glCreateVertexArrays(1, &vertexArray);
  glCreateBuffers(2, buffers);
  glCreateTextures(GL_TEXTURE_2D, 1, &texture);
  glCreateSamplers(1, &sampler);
  Target(64, 48);
  glUseProgram(program);
  glBindVertexArray(vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
  glBindTextureUnit(0, texture);
  glBindSampler(0, sampler);
  glActiveTexture(GL_TEXTURE3);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
  glEnablei(GL_BLEND, 1);
  glBlendFuncSeparate(GL_ONE, GL_ZERO, GL_DST_COLOR, GL_SRC_ALPHA);
  glBlendFuncSeparatei(1, GL_ZERO, GL_ONE, GL_ONE, GL_ONE);
  glBlendEquationSeparate(GL_MAX, GL_FUNC_SUBTRACT);
  glColorMaski(0, GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
  glEnablei(GL_SCISSOR_TEST, 0);
  glScissorIndexed(0, 1, 2, 3, 4);
  glScissorIndexed(1, 5, 6, 7, 8);
  glViewportIndexedf(0, 2, 3, 20, 10);
  glViewportIndexedf(1, 4, 5, 6, 7);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_FRONT_AND_BACK);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_STENCIL_TEST);
  glEnable(GL_FRAMEBUFFER_SRGB);
  glEnable(GL_PRIMITIVE_RESTART_FIXED_INDEX);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  const auto before = GlState();

  std::string error;
  renderer_ = platform::OverlayRenderer::Create(ImGui::GetIO(), &error);
  ASSERT_NE(renderer_, nullptr) << error;
  renderer_->Draw(Frame(64, 48, [] {
    ImGui::GetForegroundDrawList()->AddRectFilled(ImVec2(8, 8), ImVec2(40, 24), IM_COL32(255, 0, 0, 128));
  }));
  ASSERT_EQ(GL_NO_ERROR, glGetError());
  const auto after = GlState();
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(before[i].second, after[i].second) << before[i].first;

  // Half-transparent red over the background, all over the rectangle.
  Pixels();
  const auto over = [](int below, int above) { return (above * 128 + below * 127 + 127) / 255; };
  for (int y = 8; y < 24; ++y) {
    for (int x = 8; x < 40; ++x) {
      const std::vector<int> p = At(x, y);
      ASSERT_NEAR(over(kBackground[0], 255), p[0], 1) << "at " << x << "," << y;
      ASSERT_NEAR(over(kBackground[1], 0), p[1], 1) << "at " << x << "," << y;
      ASSERT_NEAR(over(kBackground[2], 0), p[2], 1) << "at " << x << "," << y;
    }
  }
  EXPECT_EQ(kBack, At(4, 4));

  const GLuint font = renderer_->FontTexture();
  renderer_.reset();
  EXPECT_FALSE(glIsTexture(font)) << "the font atlas outlived its renderer";
  glDeleteProgram(program);
  glDeleteVertexArrays(1, &vertexArray);
  glDeleteBuffers(2, buffers);
  glDeleteTextures(1, &texture);
  glDeleteSamplers(1, &sampler);
}

}  // namespace
