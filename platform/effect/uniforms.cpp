#include <epoxy/gl.h>

#include <cstring>

#include "platform/effect/objects.h"

// Plain uniforms take their values through glProgramUniform*, one call per member, from
// the same CPU image a uniform block would bind: Set* and SetRawValue do not know which
// way a program reads its cbuffers.

namespace platform::fx {

namespace {

// The member's values from the image, packed the way glProgramUniform* reads them: a
// row-major member keeps its rows contiguous and is uploaded with transpose set.
bool Gather(const PlainUniform& u, const std::vector<std::uint8_t>& image, std::vector<std::uint32_t>& out) {
  out.clear();
  const std::uint32_t runs = u.columns > 1 ? (u.rowMajor ? u.rows : u.columns) : 1;
  const std::uint32_t runLength = u.columns > 1 ? (u.rowMajor ? u.columns : u.rows) : u.rows;
  for (std::uint32_t e = 0; e < u.count; ++e)
    for (std::uint32_t r = 0; r < runs; ++r) {
      std::size_t at = std::size_t{u.offset} + std::size_t{e} * u.arrayStride + std::size_t{r} * u.matrixStride;
      if (at + runLength * 4 > image.size()) return false;
      std::size_t first = out.size();
      out.resize(first + runLength);
      std::memcpy(out.data() + first, image.data() + at, runLength * 4);
    }
  return true;
}

void Upload(GLuint program, const PlainUniform& u, GLint location, const std::vector<std::uint32_t>& values) {
  const GLsizei n = static_cast<GLsizei>(u.count);
  const void* data = values.data();
  if (u.columns > 1) {
    const GLboolean t = u.rowMajor ? GL_TRUE : GL_FALSE;
    const GLfloat* f = static_cast<const GLfloat*>(data);
    switch (u.columns * 10 + u.rows) {
      case 22: glProgramUniformMatrix2fv(program, location, n, t, f); break;
      case 23: glProgramUniformMatrix2x3fv(program, location, n, t, f); break;
      case 24: glProgramUniformMatrix2x4fv(program, location, n, t, f); break;
      case 32: glProgramUniformMatrix3x2fv(program, location, n, t, f); break;
      case 33: glProgramUniformMatrix3fv(program, location, n, t, f); break;
      case 34: glProgramUniformMatrix3x4fv(program, location, n, t, f); break;
      case 42: glProgramUniformMatrix4x2fv(program, location, n, t, f); break;
      case 43: glProgramUniformMatrix4x3fv(program, location, n, t, f); break;
      case 44: glProgramUniformMatrix4fv(program, location, n, t, f); break;
      default: break;
    }
    return;
  }
  if (u.scalar == 'f') {
    const GLfloat* f = static_cast<const GLfloat*>(data);
    switch (u.rows) {
      case 1: glProgramUniform1fv(program, location, n, f); break;
      case 2: glProgramUniform2fv(program, location, n, f); break;
      case 3: glProgramUniform3fv(program, location, n, f); break;
      case 4: glProgramUniform4fv(program, location, n, f); break;
      default: break;
    }
  } else if (u.scalar == 'i') {
    const GLint* i = static_cast<const GLint*>(data);
    switch (u.rows) {
      case 1: glProgramUniform1iv(program, location, n, i); break;
      case 2: glProgramUniform2iv(program, location, n, i); break;
      case 3: glProgramUniform3iv(program, location, n, i); break;
      case 4: glProgramUniform4iv(program, location, n, i); break;
      default: break;
    }
  } else {
    const GLuint* i = static_cast<const GLuint*>(data);
    switch (u.rows) {
      case 1: glProgramUniform1uiv(program, location, n, i); break;
      case 2: glProgramUniform2uiv(program, location, n, i); break;
      case 3: glProgramUniform3uiv(program, location, n, i); break;
      case 4: glProgramUniform4uiv(program, location, n, i); break;
      default: break;
    }
  }
}

}  // namespace

void LocatePlainUniforms(IGlslProgram* program, Pass::Plain& plain) {
  const GLuint name = program->GetGlName();
  for (Pass::Uniform& u : plain.uniforms) u.location = glGetUniformLocation(name, u.layout.name.c_str());
}

void UploadPlainUniforms(IGlslProgram* program, Pass::Plain& plain) {
  if (plain.seen == plain.image->version) return;
  const GLuint name = program->GetGlName();
  std::vector<std::uint32_t> values;
  for (Pass::Uniform& u : plain.uniforms) {
    if (u.location < 0 || !Gather(u.layout, plain.image->bytes, values)) continue;
    if (!u.last.empty() && values == u.last) continue;
    Upload(name, u.layout, u.location, values);
    u.last.swap(values);
  }
  plain.seen = plain.image->version;
}

}  // namespace platform::fx
