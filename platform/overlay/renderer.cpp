#include "platform/overlay/renderer.h"

#include <epoxy/gl.h>
#include <imgui.h>

#include <algorithm>
#include <cstdint>

namespace platform {
namespace {

const char* const kVertexShader = R"(#version 450 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 uv;
layout(location = 2) in vec4 colour;
layout(location = 0) uniform mat4 projection;
out vec2 fragmentUv;
out vec4 fragmentColour;
void main() {
  fragmentUv = uv;
  fragmentColour = colour;
  gl_Position = projection * vec4(position, 0.0, 1.0);
}
)";

const char* const kFragmentShader = R"(#version 450 core
layout(binding = 0) uniform sampler2D atlas;
in vec2 fragmentUv;
in vec4 fragmentColour;
out vec4 result;
void main() {
  result = fragmentColour * texture(atlas, fragmentUv);
}
)";

// Everything Draw changes, as it was before. The device sets blending, colour masks,
// viewports and scissors per draw buffer or viewport index, so only index 0 (the one
// the overlay draws with) is touched and put back, and the rest keep their own values.
// Buffers are filled through their names, never bound, and the element buffer belongs to
// the overlay's own vertex array, so the array and element bindings stay as they were
// once the vertex array is.
struct SavedState {
  GLint program, vertexArray, activeTexture, texture, sampler;
  GLboolean blend, scissor, cull, depth, stencil, srgb, restart, restartFixed;
  GLint blendSrcRgb, blendDstRgb, blendSrcAlpha, blendDstAlpha, blendEquationRgb, blendEquationAlpha;
  GLboolean colourMask[4];
  GLint scissorBox[4];
  GLfloat viewport[4];
  GLint polygonMode[2];

  void Capture() {
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
    blend = glIsEnabledi(GL_BLEND, 0);
    glGetIntegeri_v(GL_BLEND_SRC_RGB, 0, &blendSrcRgb);
    glGetIntegeri_v(GL_BLEND_DST_RGB, 0, &blendDstRgb);
    glGetIntegeri_v(GL_BLEND_SRC_ALPHA, 0, &blendSrcAlpha);
    glGetIntegeri_v(GL_BLEND_DST_ALPHA, 0, &blendDstAlpha);
    glGetIntegeri_v(GL_BLEND_EQUATION_RGB, 0, &blendEquationRgb);
    glGetIntegeri_v(GL_BLEND_EQUATION_ALPHA, 0, &blendEquationAlpha);
    glGetBooleani_v(GL_COLOR_WRITEMASK, 0, colourMask);
    scissor = glIsEnabledi(GL_SCISSOR_TEST, 0);
    glGetIntegeri_v(GL_SCISSOR_BOX, 0, scissorBox);
    glGetFloati_v(GL_VIEWPORT, 0, viewport);
    cull = glIsEnabled(GL_CULL_FACE);
    depth = glIsEnabled(GL_DEPTH_TEST);
    stencil = glIsEnabled(GL_STENCIL_TEST);
    srgb = glIsEnabled(GL_FRAMEBUFFER_SRGB);
    restart = glIsEnabled(GL_PRIMITIVE_RESTART);
    restartFixed = glIsEnabled(GL_PRIMITIVE_RESTART_FIXED_INDEX);
    // A core context answers with one value for both faces; some drivers write two.
    polygonMode[0] = polygonMode[1] = GL_FILL;
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
  }

  static void Set(GLenum cap, GLboolean on) { on ? glEnable(cap) : glDisable(cap); }

  void Restore() const {
    glUseProgram(static_cast<GLuint>(program));
    glBindVertexArray(static_cast<GLuint>(vertexArray));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    glBindSampler(0, static_cast<GLuint>(sampler));
    glActiveTexture(static_cast<GLenum>(activeTexture));
    blend ? glEnablei(GL_BLEND, 0) : glDisablei(GL_BLEND, 0);
    glBlendFuncSeparatei(0, static_cast<GLenum>(blendSrcRgb), static_cast<GLenum>(blendDstRgb),
                         static_cast<GLenum>(blendSrcAlpha), static_cast<GLenum>(blendDstAlpha));
    glBlendEquationSeparatei(0, static_cast<GLenum>(blendEquationRgb), static_cast<GLenum>(blendEquationAlpha));
    glColorMaski(0, colourMask[0], colourMask[1], colourMask[2], colourMask[3]);
    scissor ? glEnablei(GL_SCISSOR_TEST, 0) : glDisablei(GL_SCISSOR_TEST, 0);
    glScissorIndexed(0, scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
    glViewportIndexedf(0, viewport[0], viewport[1], viewport[2], viewport[3]);
    Set(GL_CULL_FACE, cull);
    Set(GL_DEPTH_TEST, depth);
    Set(GL_STENCIL_TEST, stencil);
    Set(GL_FRAMEBUFFER_SRGB, srgb);
    Set(GL_PRIMITIVE_RESTART, restart);
    Set(GL_PRIMITIVE_RESTART_FIXED_INDEX, restartFixed);
    glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(polygonMode[0]));
  }
};

GLuint CompileShader(GLenum stage, const char* source, std::string* error) {
  const GLuint shader = glCreateShader(stage);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok) return shader;
  char log[1024] = {};
  glGetShaderInfoLog(shader, sizeof log, nullptr, log);
  *error = std::string("overlay ") + (stage == GL_VERTEX_SHADER ? "vertex" : "fragment") + " shader: " + log;
  glDeleteShader(shader);
  return 0;
}

// The font atlas is uploaded with the unpack state the device set aside and put back.
GLuint UploadRgba(const unsigned char* pixels, int width, int height) {
  GLint unpackBuffer = 0, alignment = 0, rowLength = 0, skipRows = 0, skipPixels = 0;
  glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
  glGetIntegerv(GL_UNPACK_SKIP_ROWS, &skipRows);
  glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &skipPixels);
  glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);

  GLuint texture = 0;
  glCreateTextures(GL_TEXTURE_2D, 1, &texture);
  glTextureStorage2D(texture, 1, GL_RGBA8, width, height);
  glTextureSubImage2D(texture, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);

  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, skipRows);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, skipPixels);
  glBindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(unpackBuffer));
  return texture;
}

// Room for `bytes` in `buffer`, grown by half again so a UI that grows a little each
// frame does not reallocate every frame.
void Reserve(GLuint buffer, std::ptrdiff_t bytes, std::ptrdiff_t* capacity) {
  if (bytes <= *capacity) return;
  *capacity = std::max<std::ptrdiff_t>(bytes, *capacity + *capacity / 2);
  glNamedBufferData(buffer, *capacity, nullptr, GL_STREAM_DRAW);
}

}  // namespace

std::unique_ptr<OverlayRenderer> OverlayRenderer::Create(ImGuiIO& io, std::string* error) {
  std::unique_ptr<OverlayRenderer> renderer(new OverlayRenderer());
  if (!renderer->Build(io, error)) return nullptr;
  return renderer;
}

OverlayRenderer::~OverlayRenderer() { Release(); }

bool OverlayRenderer::Build(ImGuiIO& io, std::string* error) {
  const GLuint vertex = CompileShader(GL_VERTEX_SHADER, kVertexShader, error);
  if (!vertex) return false;
  const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, kFragmentShader, error);
  if (!fragment) {
    glDeleteShader(vertex);
    return false;
  }
  program_ = glCreateProgram();
  glAttachShader(program_, vertex);
  glAttachShader(program_, fragment);
  glLinkProgram(program_);
  glDetachShader(program_, vertex);
  glDetachShader(program_, fragment);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint linked = GL_FALSE;
  glGetProgramiv(program_, GL_LINK_STATUS, &linked);
  if (!linked) {
    char log[1024] = {};
    glGetProgramInfoLog(program_, sizeof log, nullptr, log);
    *error = std::string("overlay program: ") + log;
    Release();
    return false;
  }

  unsigned char* pixels = nullptr;
  int width = 0, height = 0;
  io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
  fontTexture_ = UploadRgba(pixels, width, height);
  io.Fonts->SetTexID(reinterpret_cast<ImTextureID>(static_cast<std::intptr_t>(fontTexture_)));

  // The sampler overrides whatever filtering a drawn texture carries, the atlas's and
  // any panel's image alike.
  glCreateSamplers(1, &sampler_);
  glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

  glCreateBuffers(1, &vertexBuffer_);
  glCreateBuffers(1, &indexBuffer_);
  glCreateVertexArrays(1, &vertexArray_);
  glVertexArrayVertexBuffer(vertexArray_, 0, vertexBuffer_, 0, sizeof(ImDrawVert));
  glVertexArrayElementBuffer(vertexArray_, indexBuffer_);
  struct Attribute {
    GLuint location;
    GLint size;
    GLenum type;
    GLboolean normalized;
    GLuint offset;
  };
  const Attribute attributes[] = {
      {0, 2, GL_FLOAT, GL_FALSE, static_cast<GLuint>(offsetof(ImDrawVert, pos))},
      {1, 2, GL_FLOAT, GL_FALSE, static_cast<GLuint>(offsetof(ImDrawVert, uv))},
      {2, 4, GL_UNSIGNED_BYTE, GL_TRUE, static_cast<GLuint>(offsetof(ImDrawVert, col))},
  };
  for (const Attribute& a : attributes) {
    glEnableVertexArrayAttrib(vertexArray_, a.location);
    glVertexArrayAttribFormat(vertexArray_, a.location, a.size, a.type, a.normalized, a.offset);
    glVertexArrayAttribBinding(vertexArray_, a.location, 0);
  }

  io.BackendRendererName = "neblu overlay (GL 4.5)";
  // Draw lists past 64K vertices keep 16-bit indices: each command says where its
  // vertices start.
  io.BackendFlags |= ImGuiBackendFlags_RendererHasVtxOffset;
  return true;
}

void OverlayRenderer::Release() {
  if (program_) glDeleteProgram(program_);
  if (fontTexture_) glDeleteTextures(1, &fontTexture_);
  if (sampler_) glDeleteSamplers(1, &sampler_);
  if (vertexArray_) glDeleteVertexArrays(1, &vertexArray_);
  if (vertexBuffer_) glDeleteBuffers(1, &vertexBuffer_);
  if (indexBuffer_) glDeleteBuffers(1, &indexBuffer_);
  Abandon();
}

void OverlayRenderer::Abandon() {
  program_ = fontTexture_ = sampler_ = vertexArray_ = vertexBuffer_ = indexBuffer_ = 0;
  vertexCapacity_ = indexCapacity_ = 0;
}

void OverlayRenderer::SetUpState(const ImDrawData& data, int framebufferWidth, int framebufferHeight) {
  glEnablei(GL_BLEND, 0);
  glBlendEquationSeparatei(0, GL_FUNC_ADD, GL_FUNC_ADD);
  glBlendFuncSeparatei(0, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glColorMaski(0, GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glEnablei(GL_SCISSOR_TEST, 0);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_STENCIL_TEST);
  // The UI's colours are meant as they are written, and the default framebuffer is not
  // an sRGB one anyway.
  glDisable(GL_FRAMEBUFFER_SRGB);
  // 0xFFFF is a real index in a draw list of 64K vertices.
  glDisable(GL_PRIMITIVE_RESTART);
  glDisable(GL_PRIMITIVE_RESTART_FIXED_INDEX);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glViewportIndexedf(0, 0.0f, 0.0f, static_cast<float>(framebufferWidth), static_cast<float>(framebufferHeight));

  // The device renders with the upper-left clip origin; a window (or a test) may not.
  // Rather than change it and put it back, the projection follows it.
  GLint origin = GL_LOWER_LEFT;
  glGetIntegerv(GL_CLIP_ORIGIN, &origin);
  const float left = data.DisplayPos.x, right = data.DisplayPos.x + data.DisplaySize.x;
  const float top = data.DisplayPos.y, bottom = data.DisplayPos.y + data.DisplaySize.y;
  float yScale = 2.0f / (top - bottom), yOffset = (top + bottom) / (bottom - top);
  if (origin == GL_UPPER_LEFT) {
    yScale = -yScale;
    yOffset = -yOffset;
  }
  const float projection[16] = {
      2.0f / (right - left),           0.0f,    0.0f,  0.0f,  //
      0.0f,                            yScale,  0.0f,  0.0f,  //
      0.0f,                            0.0f,    -1.0f, 0.0f,  //
      (right + left) / (left - right), yOffset, 0.0f,  1.0f,
  };
  glUseProgram(program_);
  glProgramUniformMatrix4fv(program_, 0, 1, GL_FALSE, projection);
  glBindVertexArray(vertexArray_);
  glActiveTexture(GL_TEXTURE0);
  glBindSampler(0, sampler_);
}

void OverlayRenderer::Draw(const ImDrawData& data) {
  const int framebufferWidth = static_cast<int>(data.DisplaySize.x * data.FramebufferScale.x);
  const int framebufferHeight = static_cast<int>(data.DisplaySize.y * data.FramebufferScale.y);
  if (!program_ || framebufferWidth <= 0 || framebufferHeight <= 0 || data.TotalVtxCount == 0) return;

  SavedState saved;
  saved.Capture();

  // Every list into one pair of buffers; each command then draws from its list's place.
  Reserve(vertexBuffer_, static_cast<std::ptrdiff_t>(data.TotalVtxCount) * sizeof(ImDrawVert), &vertexCapacity_);
  Reserve(indexBuffer_, static_cast<std::ptrdiff_t>(data.TotalIdxCount) * sizeof(ImDrawIdx), &indexCapacity_);
  std::ptrdiff_t vertexBytes = 0, indexBytes = 0;
  for (int n = 0; n < data.CmdListsCount; ++n) {
    const ImDrawList& list = *data.CmdLists[n];
    const auto listVertexBytes = static_cast<std::ptrdiff_t>(list.VtxBuffer.Size) * sizeof(ImDrawVert);
    const auto listIndexBytes = static_cast<std::ptrdiff_t>(list.IdxBuffer.Size) * sizeof(ImDrawIdx);
    glNamedBufferSubData(vertexBuffer_, vertexBytes, listVertexBytes, list.VtxBuffer.Data);
    glNamedBufferSubData(indexBuffer_, indexBytes, listIndexBytes, list.IdxBuffer.Data);
    vertexBytes += listVertexBytes;
    indexBytes += listIndexBytes;
  }

  SetUpState(data, framebufferWidth, framebufferHeight);
  const ImVec2 origin = data.DisplayPos, scale = data.FramebufferScale;
  const GLenum indexType = sizeof(ImDrawIdx) == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT;
  GLint listVertex = 0;
  std::size_t listIndex = 0;
  for (int n = 0; n < data.CmdListsCount; ++n) {
    const ImDrawList* list = data.CmdLists[n];
    for (const ImDrawCmd& cmd : list->CmdBuffer) {
      if (cmd.UserCallback) {
        if (cmd.UserCallback == ImDrawCallback_ResetRenderState) {
          SetUpState(data, framebufferWidth, framebufferHeight);
        } else {
          cmd.UserCallback(list, &cmd);
        }
        continue;
      }
      // Clip rectangles are in display coordinates from the top; the scissor box is in
      // framebuffer pixels from the bottom.
      const float x0 = std::max(0.0f, (cmd.ClipRect.x - origin.x) * scale.x);
      const float y0 = std::max(0.0f, (cmd.ClipRect.y - origin.y) * scale.y);
      const float x1 = std::min(static_cast<float>(framebufferWidth), (cmd.ClipRect.z - origin.x) * scale.x);
      const float y1 = std::min(static_cast<float>(framebufferHeight), (cmd.ClipRect.w - origin.y) * scale.y);
      if (x1 <= x0 || y1 <= y0 || cmd.ElemCount == 0) continue;
      glScissorIndexed(0, static_cast<GLint>(x0), static_cast<GLint>(framebufferHeight - y1),
                       static_cast<GLsizei>(x1 - x0), static_cast<GLsizei>(y1 - y0));
      // A null id is the atlas: frames built before this renderer existed name it so.
      const auto texture = static_cast<GLuint>(reinterpret_cast<std::intptr_t>(cmd.GetTexID()));
      glBindTexture(GL_TEXTURE_2D, texture ? texture : fontTexture_);
      glDrawElementsBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(cmd.ElemCount), indexType,
                               reinterpret_cast<const void*>((listIndex + cmd.IdxOffset) * sizeof(ImDrawIdx)),
                               listVertex + static_cast<GLint>(cmd.VtxOffset));
    }
    listVertex += list->VtxBuffer.Size;
    listIndex += static_cast<std::size_t>(list->IdxBuffer.Size);
  }

  saved.Restore();
}

}  // namespace platform
