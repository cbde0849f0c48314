// GLSL programs: the layer's stand-in for shader objects, which take bytecode GL cannot
// read (see platform/d3d10/gl_program.h).

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d10/device.h"
#include "platform/d3d10/program.h"
#include "platform/d3d10/report.h"

namespace platform {
namespace d3d {

GlslProgram::GlslProgram(Device* device, GLuint glName, std::vector<std::uint8_t> signature, bool geometryStage,
                         bool pixelStage, bool streamOutput)
    : DeviceChild(device),
      name(glName),
      hasPixelStage(pixelStage),
      streamsOut(streamOutput),
      signature_(std::move(signature)) {
  if (!streamsOut) return;
  if (geometryStage) {
    GLint output = 0;
    glGetProgramiv(name, GL_GEOMETRY_OUTPUT_TYPE, &output);
    feedbackMode = output == GL_POINTS ? GL_POINTS : output == GL_LINE_STRIP ? GL_LINES : GL_TRIANGLES;
  }
  GLint buffers = 0;
  glGetProgramInterfaceiv(name, GL_TRANSFORM_FEEDBACK_BUFFER, GL_ACTIVE_RESOURCES, &buffers);
  for (GLint i = 0; i < buffers; ++i) {
    const GLenum properties[] = {GL_BUFFER_BINDING, GL_TRANSFORM_FEEDBACK_BUFFER_STRIDE};
    GLint values[2] = {-1, 0};
    glGetProgramResourceiv(name, GL_TRANSFORM_FEEDBACK_BUFFER, static_cast<GLuint>(i), 2, properties, 2, nullptr,
                           values);
    if (values[0] >= 0 && values[0] < static_cast<GLint>(D3D10_SO_BUFFER_SLOT_COUNT))
      feedbackStrides[values[0]] = static_cast<UINT>(values[1]);
  }
}

GlslProgram::~GlslProgram() {
  device_->MakeCurrent();
  glDeleteProgram(name);
  CountGlObjects(-1);
}

namespace {

std::string InfoLog(GLuint object, bool program) {
  GLint length = 0;
  program ? glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length) : glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
  std::string log(static_cast<std::size_t>(std::max(length, 1)), '\0');
  program ? glGetProgramInfoLog(object, length, nullptr, &log[0]) : glGetShaderInfoLog(object, length, nullptr, &log[0]);
  log.resize(std::strlen(log.c_str()));
  return log;
}

GLuint CompileStage(const char* call, GLenum type, const char* source, const char* stageName) {
  GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    Report("%s: the %s shader does not compile:\n%s", call, stageName, InfoLog(shader, false).c_str());
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

// Reads the vertex inputs back and names them by semantic: POSITION, TEXCOORD1, in_NORMAL.
std::vector<InputSignatureElement> ReflectInputs(GLuint program) {
  std::vector<InputSignatureElement> inputs;
  GLint count = 0;
  glGetProgramInterfaceiv(program, GL_PROGRAM_INPUT, GL_ACTIVE_RESOURCES, &count);
  for (GLint i = 0; i < count; ++i) {
    char name[256];
    glGetProgramResourceName(program, GL_PROGRAM_INPUT, static_cast<GLuint>(i), sizeof name, nullptr, name);
    const GLenum properties[] = {GL_LOCATION, GL_TYPE};
    GLint values[2] = {-1, 0};
    glGetProgramResourceiv(program, GL_PROGRAM_INPUT, static_cast<GLuint>(i), 2, properties, 2, nullptr, values);
    if (values[0] < 0) continue;  // gl_VertexID and friends
    std::string semantic = name;
    if (semantic.compare(0, 3, "in_") == 0) semantic.erase(0, 3);
    std::size_t digits = semantic.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(semantic[digits - 1]))) --digits;
    InputSignatureElement e;
    e.semanticIndex = digits < semantic.size() ? static_cast<std::uint32_t>(std::stoul(semantic.substr(digits))) : 0;
    e.semanticName = semantic.substr(0, digits);
    e.location = static_cast<std::uint32_t>(values[0]);
    switch (values[1]) {
      case GL_INT: case GL_INT_VEC2: case GL_INT_VEC3: case GL_INT_VEC4:
        e.component = InputComponent::Int;
        break;
      case GL_UNSIGNED_INT: case GL_UNSIGNED_INT_VEC2: case GL_UNSIGNED_INT_VEC3: case GL_UNSIGNED_INT_VEC4:
        e.component = InputComponent::Uint;
        break;
      default:
        e.component = InputComponent::Float;
    }
    inputs.push_back(std::move(e));
  }
  return inputs;
}

// Compiles and links the stages; `varyings` (may be empty) are captured by transform
// feedback. 0 after reporting why when anything fails.
GLuint LinkProgram(const char* call, const char* vertex, const char* geometry, const char* pixel,
                   const std::vector<const char*>& varyings) {
  GLuint stages[3] = {CompileStage(call, GL_VERTEX_SHADER, vertex, "vertex"),
                      geometry ? CompileStage(call, GL_GEOMETRY_SHADER, geometry, "geometry") : 0,
                      pixel ? CompileStage(call, GL_FRAGMENT_SHADER, pixel, "pixel") : 0};
  const bool compiled = stages[0] && (!pixel || stages[2]) && (!geometry || stages[1]);
  GLuint name = 0;
  if (compiled) {
    name = glCreateProgram();
    for (GLuint stage : stages) {
      if (stage) glAttachShader(name, stage);
    }
    if (!varyings.empty())
      glTransformFeedbackVaryings(name, static_cast<GLsizei>(varyings.size()), varyings.data(),
                                  GL_INTERLEAVED_ATTRIBS);
    glLinkProgram(name);
    GLint linked = GL_FALSE;
    glGetProgramiv(name, GL_LINK_STATUS, &linked);
    if (!linked) {
      Report("%s: the program does not link:\n%s", call, InfoLog(name, true).c_str());
      glDeleteProgram(name);
      name = 0;
    }
  }
  for (GLuint stage : stages) {
    if (stage) glDeleteShader(stage);
  }
  return name;
}

}  // namespace

HRESULT Device::CreateGlslProgram(const char* vertex, const char* geometry, const char* pixel, IGlslProgram** program) {
  if (!program) return Fail(E_INVALIDARG, "CreateGlslProgram: the out pointer is null");
  *program = nullptr;
  if (!vertex || !pixel) return Fail(E_INVALIDARG, "CreateGlslProgram: a vertex and a pixel shader are needed");
  if (!MakeCurrent()) return Fail(E_FAIL, "CreateGlslProgram: the GL context is lost");
  GLuint name = LinkProgram("CreateGlslProgram", vertex, geometry, pixel, {});
  if (!name) return E_FAIL;
  CountGlObjects(1);
  *program = new GlslProgram(this, name, EncodeInputSignature(ReflectInputs(name)), geometry != nullptr, true, false);
  return S_OK;
}

HRESULT Device::CreateGlslProgramWithStreamOutput(const char* vertex, const char* geometry, const char* pixel,
                                                  const char* const* varyings, UINT varyingCount,
                                                  IGlslProgram** program) {
  const char* call = "CreateGlslProgramWithStreamOutput";
  if (!program) return Fail(E_INVALIDARG, "%s: the out pointer is null", call);
  *program = nullptr;
  if (!vertex) return Fail(E_INVALIDARG, "%s: a vertex shader is needed", call);
  if (!varyings || varyingCount == 0) return Fail(E_INVALIDARG, "%s: nothing is named to capture", call);
  std::vector<const char*> names(varyings, varyings + varyingCount);
  UINT buffers = 1;
  for (const char* n : names) {
    if (!n) return Fail(E_INVALIDARG, "%s: a captured name is null", call);
    if (std::strcmp(n, "gl_NextBuffer") == 0) ++buffers;
  }
  if (buffers > D3D10_SO_BUFFER_SLOT_COUNT)
    return Fail(E_INVALIDARG, "%s: %u buffers are named; stream output has %u", call, buffers,
                D3D10_SO_BUFFER_SLOT_COUNT);
  if (!MakeCurrent()) return Fail(E_FAIL, "%s: the GL context is lost", call);
  GLuint name = LinkProgram(call, vertex, geometry, pixel, names);
  if (!name) return E_FAIL;
  CountGlObjects(1);
  *program = new GlslProgram(this, name, EncodeInputSignature(ReflectInputs(name)), geometry != nullptr,
                             pixel != nullptr, true);
  return S_OK;
}

}  // namespace d3d
}  // namespace platform

namespace platform {

UINT GlNameOf(IUnknown* object) {
  if (auto* buffer = dynamic_cast<d3d::Buffer*>(object)) return buffer->name;
  if (auto* texture = dynamic_cast<d3d::Texture2D*>(object)) return texture->name;
  if (auto* program = dynamic_cast<d3d::GlslProgram*>(object)) return program->name;
  return 0;
}

}  // namespace platform
